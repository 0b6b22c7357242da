// What a picture holds: its deepest raster.
#pragma once

#include "platform/raster/QDTypes.h"

// The deepest raster the picture draws: 1 for a plain bit map, the pixel
// size for a pixel map (16-bit rasters count as 32: playback widens them),
// 0 when it draws none. On a damaged picture the error is returned and
// `depth` holds what was seen before the damage.
[[nodiscard]] OSErr GetPictureMaxDepth(PicHandle picture, SInt16* depth);

// The bit-copy procedure GetPictureMaxDepth plays the picture through: it
// raises the depth kept beside the current port's procedures; with other
// procedures installed it does nothing.
void MyGetDepthProc(const BitMap* srcBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
                    RgnHandle maskRgn);
