// Windows icon files from untrusted bytes: the whole reading, and whatever
// is read must write and read back to the same members.
#include "icons/WinIcon.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void Free(KorvelIcon* icon) {
    if (icon->suite) (void)DisposeIconSuite(icon->suite, true);
    if (icon->it32Data) DisposeHandle(icon->it32Data);
    if (icon->t8mkData) DisposeHandle(icon->t8mkData);
    *icon = {};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const UInt8> bytes(data, size);
    std::vector<WinIconEntry> entries;
    (void)ParseWinIconDirectory(bytes, &entries, nullptr);
    IconSuiteRef suite = nullptr;
    if (WinIconBytesToIconSuite(bytes, &suite) == noErr) (void)DisposeIconSuite(suite, true);

    KorvelIcon icon;
    std::vector<std::string> notes;
    if (WinIconBytesToKorvelIcon(bytes, &icon, &notes) != noErr) return 0;
    std::vector<UInt8> written;
    const OSErr built = BuildWinIcon(icon, true, &written);
    KorvelIcon again;
    if (built == noErr) {
        std::vector<std::string> moreNotes;
        // What Korvel writes it reads without a complaint.
        if (WinIconBytesToKorvelIcon(written, &again, &moreNotes) != noErr || !moreNotes.empty()) std::abort();
    }
    Free(&again);
    Free(&icon);
    return 0;
}
