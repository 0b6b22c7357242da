// The scrap (the system clipboard): what the program reads of it.
#pragma once

#include "platform/core/MacTypes.h"

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
