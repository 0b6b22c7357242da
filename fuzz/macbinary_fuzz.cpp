// MacBinary II/III: whatever parses must write (as the same version) and
// parse back to the same name, Finder information and forks.
#include "platform/files/MacBinary.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const UInt8> bytes(data, size);
    MacBinaryFile f;
    if (ParseMacBinary(bytes, &f) != noErr) return 0;
    MacBinaryFile g;
    if (ParseMacBinary(WriteMacBinary(f), &g) != noErr) std::abort();
    if (g.version != f.version || g.name != f.name || g.fileType != f.fileType || g.creator != f.creator ||
        g.finderFlags != f.finderFlags || !(g.location == f.location) || g.folder != f.folder ||
        g.dataFork != f.dataFork || g.resourceFork != f.resourceFork)
        std::abort();
    return 0;
}
