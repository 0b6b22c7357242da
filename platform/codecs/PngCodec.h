// PNG images to and from plain 8-bit RGBA pixels, through libpng. Used by
// every reader of PNG data nested in other formats and by the PNG documents.
#pragma once

#include "platform/core/MacTypes.h"

#include <cstddef>
#include <span>
#include <string>
#include <vector>

struct RgbaImage {
    int width = 0, height = 0;
    std::vector<UInt8> pixels;  // R,G,B,A per pixel, rows top to bottom
};

// Decodes any PNG (palette, grey, 16-bit, interlaced, tRNS) to 8-bit RGBA
// through libpng with setjmp error recovery; refuses images over maxPixels
// before allocating; `why` gets a clear reason on failure. Returns paramErr
// for data that is not a readable PNG and memFullErr for an image over the
// cap or one that cannot be allocated.
[[nodiscard]] OSErr DecodePngRgba(std::span<const UInt8> bytes, size_t maxPixels, RgbaImage* out, std::string* why);

// Encodes 8-bit RGBA as a non-interlaced colour+alpha PNG. paramErr for an
// image whose pixels do not match its size, memFullErr when out of memory.
[[nodiscard]] OSErr EncodePngRgba(const RgbaImage& image, std::vector<UInt8>* out);
