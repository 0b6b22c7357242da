// The document picture: a paint document's image (or its floating selection)
// as a colour picture, with the program's comments for the selection outline
// and the layer count. It is what the clipboard, PICT files and icon members
// take from a paint document.
#pragma once

#include <functional>

#include "platform/raster/QDTypes.h"
#include "platform/ui/Windows.h"

// Application comments (kind 100): creator 'Krvl', then one of these kinds.
enum : SInt16 { kKorvelPicComment = 100, kSelectionRgnComment = 200, kLayerInfoComment = 201 };

// The picture of the paint window's document, framed by the floating
// selection or else the whole image. With layers, a document with a
// background layer (whichever layer is being edited) or transparency gives
// the background layer and the foreground clipped to its mask. None when memory runs out; the caller
// owns the picture.
PicHandle GetSelectionPic(WindowRef window, Boolean withLayers);

// A picture of `frame` recorded from `port` by `draw`, which draws into the
// port while nothing reaches its pixels (the visible region is emptied, the
// clip is the frame, the colours black on white); the port's clip, visible
// region and colours are restored. None when the picture cannot be made.
PicHandle RecordPortPicture(GWorldPtr port, const Rect& frame, const std::function<void()>& draw);
