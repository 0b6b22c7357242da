// PICT documents: the document picture written to a PICT file (512 zero
// bytes, then the picture, the zoom in the resource fork), and a PICT file,
// plain or layered, opened as a new paint document.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/picture/Pictures.h"
#include "platform/ui/Windows.h"

struct PaintWinRec;

// Opens the file as a new paint document (or brings its window forward when
// it is open already). Failures have been shown.
[[nodiscard]] OSErr OpenPictFile(const FSSpec& fileSpec);
// The picture of a PICT file, or none after the alert saying why.
PicHandle LoadFromPict(const FSSpec& fileSpec);
// Writes the picture as a PICT file, beside the file and then renamed over it.
[[nodiscard]] OSErr SaveAsPictMain(PicHandle pic, const FSSpec& fileSpec);

// The largest PICT file read, and the largest document opened from a file:
// each edge at most kMaxPictureEdge pixels and at most kMaxOpenPixels in
// all (a document holds several buffers of its size), as for new pictures.
inline constexpr size_t kMaxPictFileBytes = size_t(256) << 20;
inline constexpr Size kMaxOpenPixels = kMaxPictureArea;
inline constexpr SInt16 kMaxZoomRatio = 4;
// Whether a picture of this frame may become a document.
Boolean IsOpenableSize(const Rect& frame);

// The zoom resource ('Krvl' 128 "mag", the zoom exponent) in the file's
// resource fork, which is made when missing. Loading gives `ratio` back when
// the file has none (or a value out of range).
[[nodiscard]] OSErr SaveZoomResource(const FSSpec& fileSpec, SInt16 ratio);
SInt16 LoadZoomResource(const FSSpec& fileSpec, SInt16 ratio);

// The rectangle of a document made from the picture; memFullErr when it is
// larger than a document may be.
[[nodiscard]] OSErr PictDocumentRect(PicHandle pic, Rect* picRect);
// Fills the buffers of a new document (made over that rectangle) from the
// picture: a plain picture opaque all over, a layered one with its layers.
[[nodiscard]] OSErr LoadPictIntoDocument(PicHandle pic, PaintWinRec* rec);

// Layered pictures. IsBackAvailable tells whether the picture is one the
// program wrote with layers (its layer-info comment), or holds exactly two
// pixel images and nothing else (2 layers). SpritPictAndLoad plays such a
// picture into the document: the first copy into backPort (unless the
// document has transparency), the next into offPort with its mask region
// painted into maskPort, and the foreground's blend weight into foreTrans.
Boolean IsBackAvailable(PicHandle pic, SInt16* layerCount);
[[nodiscard]] OSErr SpritPictAndLoad(PicHandle pic, PaintWinRec* rec);
// The playback procedures the two above install.
void MyGetLayerInfoProc(SInt16 kind, SInt16 dataSize, Handle dataHandle);
void MyGetLayerDataProc(const BitMap* srcBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
                        RgnHandle maskRgn);
