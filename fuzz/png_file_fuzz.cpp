// PNG documents from untrusted bytes: a decoded picture lies within the
// pixel cap with a mask of its size, a refusal says why and leaves nothing,
// and whatever decodes writes again and reads back to the same pixels.
#include "io/PngData.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

UInt32 PixelAt(const PixMap& pm, int h, int v) {
    const UInt8* row = PixRow(pm, v);
    if (pm.pixelSize == 32) return UInt32(row[4 * h + 1]) << 16 | UInt32(row[4 * h + 2]) << 8 | row[4 * h + 3];
    const int bit = h * pm.pixelSize;
    return (row[bit >> 3] >> (8 - pm.pixelSize - (bit & 7))) & ((1u << pm.pixelSize) - 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr Size kMaxPixels = 512 * 512;
    for (Boolean wantMask : {Boolean(false), Boolean(true)}) {
        PNGDecoded decoded;
        SInt16 message = 0;
        std::string why;
        const OSErr err = PNGDecodeBytes(std::span<const UInt8>(data, size), wantMask, kMaxPixels, &decoded, &message, &why);
        if (err != noErr) {
            if ((message == 0 && err != memFullErr) || decoded.image || decoded.mask) std::abort();
            continue;
        }
        const PixMap& pm = **GetGWorldPixMap(decoded.image.get());
        const int width = pm.bounds.right, height = pm.bounds.bottom;
        if (Size(width) * height > kMaxPixels) std::abort();
        if (decoded.mask) {
            const PixMap& mask = **GetGWorldPixMap(decoded.mask.get());
            if (mask.bounds.right != width || mask.bounds.bottom != height || mask.pixelSize != 1) std::abort();
        }
        PNGEncodeParams params;
        params.buffer = decoded.image.get();
        params.width = SInt16(width);
        params.height = SInt16(height);
        params.depth = pm.pixelSize;
        params.colorCount = SInt16(pm.pixelSize <= 8 ? 1 << pm.pixelSize : 0);
        params.compressLevel = 1;
        std::vector<UInt8> encoded;
        if (PNGEncodeBytes(params, &encoded, &why) != noErr) std::abort();
        PNGDecoded back;
        if (PNGDecodeBytes(encoded, false, kMaxPixels, &back, &message, &why) != noErr) std::abort();
        const PixMap& again = **GetGWorldPixMap(back.image.get());
        if (again.pixelSize != pm.pixelSize || again.bounds.right != width || again.bounds.bottom != height) std::abort();
        for (int v = 0; v < height; ++v)
            for (int h = 0; h < width; ++h)
                if (PixelAt(pm, h, v) != PixelAt(again, h, v)) std::abort();
    }
    return 0;
}
