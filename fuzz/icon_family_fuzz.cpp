// Icon families from untrusted bytes: parse, convert to a suite and back,
// read and replace every element, convert to the program's icon record and
// back, draw every member, merge with a written family, and describe the
// family.
#include "app/Inspect.h"
#include "app/Shell.h"
#include "image/IconFamilyFiles.h"
#include "image/KorvelIcon.h"
#include "platform/core/Memory.h"
#include "platform/icons/IconFamily.h"
#include "platform/icons/IconSuites.h"
#include "platform/picture/Pictures.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const UInt8> bytes(data, size);
    std::vector<IconFamilyElement> elements;
    const OSErr parsed = ParseIconFamily(bytes, &elements);

    UniqueHandle family(NewHandleFromBytes(bytes));
    if (!family) return 0;
    UniqueIconSuite suite;
    if (IconFamilyToIconSuite(family.get(), kSelectorAllAvailableData, suite.out()) == noErr) {
        Handle rebuilt = nullptr;
        if (IconSuiteToIconFamily(suite.get(), kSelectorAllAvailableData, &rebuilt) != noErr) std::abort();
        UniqueHandle owner(rebuilt);
        UniqueIconSuite again;
        // What this layer writes must read back.
        if (IconFamilyToIconSuite(rebuilt, kSelectorAllAvailableData, again.out()) != noErr) std::abort();
        if (CountIconSuiteMembers(again.get()) != CountIconSuiteMembers(suite.get())) std::abort();
    }
    if (parsed == noErr) {
        UniqueHandle h(NewHandle(0));
        for (const auto& e : elements) {
            if (GetIconFamilyData(family.get(), e.type, h.get()) != noErr) continue;
            if (SetIconFamilyData(family.get(), e.type, h.get()) != noErr) std::abort();
        }
    }

    isIconServicesAvailable = isThumbnailIconsAvailable = true;
    gSystemVersion = 0x1000;
    KorvelIconOwner icon;
    if (IconFamilyToKorvelIcon(family.get(), icon.get()) == noErr) {
        Handle rebuilt = nullptr;
        if (KorvelIconToIconFamily(*icon, &rebuilt) != noErr) std::abort();
        UniqueHandle owner(rebuilt);
        std::vector<UInt8> merged;
        if (MergeIconFamilies(HandleBytes(rebuilt), bytes, &merged) != noErr) std::abort();
        if (ParseIconFamily(merged, nullptr) != noErr) std::abort();
        for (SInt16 kind = 0; kind < kIconKindCount; ++kind) KillPicture(KorvelIconToPicture(*icon, kind));
        (void)IsEditableIconFamily(family.get());
    }

    InspectRequest req;
    req.path = "fuzz.icns";
    req.bytes = bytes;
    std::string out, reason;
    (void)InspectIconFamilyFile(req, out, reason);
    return 0;
}
