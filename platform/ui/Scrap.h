// The scrap (the system clipboard). Flavours are four-character types held
// in the system clipboard under MIME types of their own
// ("application/x-korvel-PICT"; characters other than letters and digits
// written as %XX), so they pass between Korvel processes. A 'PICT' flavour is
// also offered as image/png for other programs, and an image that another
// program put there is read back as a 'PICT' flavour.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>
#include <string>
#include <vector>

// A picture on the clipboard is refused beyond these, checked before its
// pixels are made.
inline constexpr int kMaxScrapPictureEdge = 32767;
inline constexpr Size kMaxScrapPicturePixels = Size(1) << 26;

struct ScrapPicture {
    SInt16 width = 0, height = 0;
    std::vector<UInt32> pixels;  // 0x00RRGGBB, rows top to bottom, width × height of them
};

// The picture on the clipboard. noErr with it; noTypeErr when the clipboard
// holds no picture that can be read; memFullErr when it is larger than the
// limits above (nothing is decoded then).
[[nodiscard]] OSErr GetScrapPicture(ScrapPicture* picture);

// Flavours larger than this are neither written nor read.
inline constexpr Size kMaxScrapFlavorSize = Size(1) << 28;

// Empties the clipboard: flavours put after this replace what was there.
[[nodiscard]] OSErr ClearCurrentScrap();
// Adds (or replaces) one flavour. paramErr for an empty or oversized flavour.
[[nodiscard]] OSErr PutScrapFlavor(OSType flavorType, std::span<const UInt8> data);
// Adds (or replaces) the 'PICT' flavour with the PNG image offered to other
// programs for it, which takes the place of the picture drawn over white.
[[nodiscard]] OSErr PutScrapPictureWithPng(std::span<const UInt8> picture, std::span<const UInt8> png);
// The size of a flavour; noTypeErr when the clipboard has none of that type,
// memFullErr when it is larger than kMaxScrapFlavorSize or than an image
// the 'PICT' conversion accepts (the limits of GetScrapPicture).
[[nodiscard]] OSErr GetScrapFlavorSize(OSType flavorType, Size* byteCount);
// The bytes of a flavour, with the errors of GetScrapFlavorSize.
[[nodiscard]] OSErr GetScrapFlavorData(OSType flavorType, std::vector<UInt8>* data);
// The MIME type a flavour travels under.
std::string ScrapFlavorMimeType(OSType flavorType);
