// The run-length coder of 32-bit icon members: unpack arbitrary data into a
// member of each size; whatever unpacks must pack and unpack to the same
// pixels.
#include "platform/icons/IcnsRle.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const size_t kEdges[] = {16, 32, 48, 128, 1, 3};
    const size_t edge = kEdges[data[0] % 6];
    const std::span<const UInt8> packed(data + 1, size - 1);
    std::vector<UInt8> pixels(edge * edge * 4);
    size_t used = 0;
    if (IcnsRleDecompress(packed, pixels, &used) != noErr) return 0;
    if (used > packed.size()) std::abort();
    const std::vector<UInt8> repacked = IcnsRleCompress(pixels);
    std::vector<UInt8> back(pixels.size());
    if (IcnsRleDecompress(repacked, back, &used) != noErr || used != repacked.size() || back != pixels) std::abort();
    return 0;
}
