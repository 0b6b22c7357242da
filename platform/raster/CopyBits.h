// Copying pixels between pixel maps of any depth.
#pragma once

#include "platform/raster/QDTypes.h"

// Copies srcRect of srcBits onto dstRect of dstBits in `mode`, clipped to
// maskRgn (if any) and, when dstBits is the current port's pixel map, to the
// port's clip and visible regions. Unequal rectangles scale by replicating or
// dropping pixels. When the destination is the current port's pixel map, the
// copy goes through the port's bit-copy bottleneck (and into a picture being
// recorded on it).
void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect,
              SInt16 mode, RgnHandle maskRgn);
// Copies only where the 1-bit mask has set bits.
void CopyMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* maskRect, const Rect* dstRect);
// As CopyMask, with a mask of any depth (deeper masks blend by their grey
// level), a transfer mode and a clip region.
void CopyDeepMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits, const Rect* srcRect,
                  const Rect* maskRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn);
// CopyDeepMask with the left-edge alignment fix: when the destination's left
// edge is not a multiple of 4, the left edges of all three rectangles move
// left by that remainder (their right edges stay, so no column of the request
// is lost) and the copy is clipped to the requested destination (or to the
// caller's region). Scaled copies keep their rectangles.
void SafeCopyDeepMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits, const Rect* srcRect,
                      const Rect* maskRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn);

// The standard bit-copy bottleneck of the current port: records into an open
// picture, then draws into the port.
void StdBits(const BitMap* srcBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn);
