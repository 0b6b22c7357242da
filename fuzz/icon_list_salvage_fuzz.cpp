// The lenient reader of damaged icon files: whatever it salvages is a fork
// the checked parser accepts, holding no more bytes than the input.
#include "icons/IconListInternal.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::span<const UInt8> bytes(data, size);
    std::vector<UInt8> salvaged;
    int skipped = 0;
    const OSErr err = SalvageResourceFork(bytes, &salvaged, &skipped);
    if (err == mapReadErr || err == addResFailed) return 0;
    if (err != noErr || skipped < 0) std::abort();
    ResourceForkImage image;
    if (ParseResourceFork(salvaged, &image) != noErr) std::abort();
    size_t total = 0;
    for (const ForkResource& r : image.resources) total += r.data.size();
    if (total > size) std::abort();
    return 0;
}
