// AppleSingle/AppleDouble containers, and the resource-file sniff that runs
// on the same untrusted bytes: whatever parses must write and parse back to
// the same entries, and writing again must give the same bytes.
#include "platform/files/AppleDouble.h"
#include "platform/files/Forks.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const UInt8> bytes(data, size);
    (void)LooksLikeResourceFile(bytes);
    AppleDoubleFile f;
    if (ParseAppleDouble(bytes, &f) != noErr) return 0;
    const std::vector<UInt8> written = WriteAppleDouble(f);
    AppleDoubleFile g;
    if (ParseAppleDouble(written, &g) != noErr) std::abort();
    if (g.entries.size() != f.entries.size()) std::abort();
    for (const auto& e : f.entries) {
        const AppleDoubleEntry* back = g.find(e.id);
        if (!back || back->bytes != e.bytes) std::abort();
    }
    if (WriteAppleDouble(g) != written) std::abort();
    return 0;
}
