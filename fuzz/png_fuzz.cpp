// PNG data from untrusted bytes: whatever decodes must encode and decode to
// the same pixels, and nothing decodes beyond the pixel cap.
#include "platform/codecs/PngCodec.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kMaxPixels = 256 * 256;
    RgbaImage image;
    std::string why;
    if (DecodePngRgba(std::span<const UInt8>(data, size), kMaxPixels, &image, &why) != noErr) {
        if (why.empty() || !image.pixels.empty()) std::abort();
        return 0;
    }
    if (size_t(image.width) * size_t(image.height) > kMaxPixels ||
        image.pixels.size() != size_t(image.width) * size_t(image.height) * 4)
        std::abort();
    std::vector<UInt8> encoded;
    if (EncodePngRgba(image, &encoded) != noErr) std::abort();
    RgbaImage back;
    if (DecodePngRgba(encoded, kMaxPixels, &back, &why) != noErr || back.pixels != image.pixels) std::abort();
    return 0;
}
