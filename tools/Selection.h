// The floating selection of a paint document: lifting part of the picture,
// the marquee round it, dragging and moving it, dropping it back, exchanging
// it with what lies under it, the automatic selections, the mask commands and
// the selection as icon data.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/core/MacTypes.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

// Resources of the selection.
enum : SInt16 {
    kMarqueePattern = 128,         // 'PAT ' of the marquee and the rubber band
    kSelectCursor = 130,           // outside the selection
    kDragSelectionCursor = 134,    // while dragging
    kDragCopyCursor = 136,         // while dragging a copy (Option)
    kSelectionFrameIcon = 135,     // icon suite over framed selection icons
};

// --- Selection.cpp: the selection model --------------------------------------

// A click with the selection tool at a window point.
void DoSelect(WindowRef window, Point localPt, Boolean shift, Boolean option, Boolean command);
// Lifts `region` (image coordinates) into a floating selection; undo mode 2.
// The caller has saved the old shape (UpdatePSRgn) and recorded the undo state.
void DoSelectMain(WindowRef window, UniqueRgn region);
// undoSelRgn and undoSelDispRgn become copies of selRgn and selDispRgn.
void UpdatePSRgn(PaintWinRec* rec);
// Moves the lifted pixels by (dx, dy); undo mode 3.
void MoveSelection(WindowRef window, SInt16 dx, SInt16 dy, Boolean redraw);
// An arrow key (character code) on a floating selection: by 1, by 8 with
// Option, by 16 with Option and Shift; the marquee is hidden first.
void MoveSelectionByKey(WindowRef window, UInt8 charCode, EventModifiers modifiers);
// Drops the floating selection into the picture; undo mode 5.
void FixSelection(WindowRef window);
// Swaps the selection with what lies under it; undo mode 10.
void ExchangeSelection(WindowRef window);
// The exchange on the buffers alone (no undo state, no redraw): undo runs it again.
void ExchangeSelectionMain(PaintWinRec* rec);
// Select all (a double-click on the selection tool): drops a floating
// selection, records the undo state and lifts the whole picture.
void SelectWholePicture(WindowRef window);

// --- Marquee.cpp: rubber band, marquee and dragging --------------------------

// Normalises a dragged rectangle so that it still holds its start pixel (or
// grid cell when snapping).
void SortRect(Rect* r, Boolean snap);
// Rubber-bands a rectangle from r's top-left (image coordinates) while the
// button is down; on release r is the normalised rectangle within picRect.
void TrackMarquee(WindowRef window, Rect* r, Boolean snap);
// XORs the marquee (pattern 128): drawing twice removes it.
void DispSelection(WindowRef window);
void DispSelectionMain(WindowRef window, Boolean inPreview, Boolean inWindow);
// Drags the floating selection from `start` (image coordinates), showing it
// live; true when the pointer moved. selRgn is left where it started: the
// caller applies `delta` with MoveSelection.
Boolean DragSelection(WindowRef window, Point start, Point* delta, Boolean shift);

// --- AutoSelect.cpp: content, stroke and colour selections -------------------

// The content mask of `srcRect` of `buffer`: every non-white pixel and every
// white pixel enclosed by them, in a new bitmap over `dstRect` (NewBitMap;
// the caller disposes of it).
[[nodiscard]] OSErr CreateMask(GWorldPtr buffer, const Rect* srcRect, const Rect* dstRect, BitMap* mask);
// Key S and Selection item 1: lifts the last stroke, or shrinks to the content.
void DoAutoSelect(WindowRef window);
// Double-click on a palette colour: selects every pixel of that colour (or
// every transparent pixel).
void DoSelectColorArea(WindowRef window, const RGBColor* color, Boolean transparent);

// --- Masks.cpp: the mask commands --------------------------------------------

// Effect items 16 (mode 0: the selection opaque) and 17 (mode 36: white
// transparent); undo mode 17.
void ChangeMask(WindowRef window, SInt16 mode);
// Effect item 18: the floating selection drawn in copy or blend.
void ToggleSelectionBlend(WindowRef window);
// The marks of Effect items 16 and 17: the mask covers the whole selection;
// the mask equals the one made from the image's white pixels.
Boolean MaskIsOpaqueSelection(PaintWinRec* rec);
Boolean MaskIsWhiteTransparent(PaintWinRec* rec);

// --- SelectionIcon.cpp: the selection as icon data ---------------------------

// Fits r into a size × size square: scaled down so that its longer side is
// `size` when larger, then centred.
void ReduceRect(Rect* r, SInt16 size);
// The selection drawn into a size × size icon of `depth` bits (1, 4, 8 or
// 32) with its mask after it for depth 1; framed adds a frame and icon
// suite 135. No result (after error alert 4006, item 1) on failure.
Handle GetSelectionIconHandle(WindowRef window, SInt16 size, SInt16 depth, Boolean framed);
