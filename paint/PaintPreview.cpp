// The preview window's size, place and view. It shows the front picture at
// 1:1 in at most kPreviewMaxSide pixels each way and always lies on the
// desktop; a larger picture shows the part round the paint window's view,
// which the preview follows through its drawing origin, so that everything
// drawn into it keeps using picture coordinates.
#include "paint/PaintView.h"

#include "app/WindowKinds.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/ui/Controls.h"

#include <algorithm>

namespace {

// The preview's drawing origin that centres the view of `paintWindow` (clamped
// to the picture).
Point PreviewOriginFor(WindowRef paintWindow, const PaintWinRec* rec) {
    Rect port, preview;
    GetWindowPortBounds(paintWindow, &port);
    GetWindowPortBounds(gPreviewWindow, &preview);
    const int viewH = rec->hScroll ? GetControlValue(rec->hScroll) : 0;
    const int viewV = rec->vScroll ? GetControlValue(rec->vScroll) : 0;
    const int centreH = (viewH + (RectWidth(port) - 15) / 2) >> rec->ratio;
    const int centreV = (viewV + (RectHeight(port) - 15) / 2) >> rec->ratio;
    const int spareH = std::max(0, RectWidth(rec->picRect) - RectWidth(preview));
    const int spareV = std::max(0, RectHeight(rec->picRect) - RectHeight(preview));
    return Point{SInt16(std::clamp(centreV - RectHeight(preview) / 2, 0, spareV)),
                 SInt16(std::clamp(centreH - RectWidth(preview) / 2, 0, spareH))};
}

void InvalWholePreview() {
    Rect all;
    GetWindowPortBounds(gPreviewWindow, &all);
    InvalWindowRect(gPreviewWindow, &all);
}

}  // namespace

void SizePreviewWindow(SInt16 width, SInt16 height) {
    if (!gPreviewWindow) return;
    SizeWindow(gPreviewWindow, width, height, false);
    SavedGWorld saved;
    SetPortWindowPort(gPreviewWindow);
    SetOrigin(0, 0);
    const Rect all{0, 0, height, width};
    ClipRect(&all);
    InvalWholePreview();
    // Back onto the desktop where the window would run past its right or bottom edge.
    Rect frame, content, desk;
    GetWindowBounds(gPreviewWindow, kWindowStructureRgn, &frame);
    GetWindowBounds(gPreviewWindow, kWindowContentRgn, &content);
    GetRegionBounds(GetGrayRgn(), &desk);
    int dh = 0, dv = 0;
    if (frame.right > desk.right) dh = desk.right - frame.right;
    if (frame.left + dh < desk.left) dh = desk.left - frame.left;
    if (frame.bottom > desk.bottom) dv = desk.bottom - frame.bottom;
    if (frame.top + dv < desk.top) dv = desk.top - frame.top;
    if (dh || dv) MoveWindow(gPreviewWindow, SInt16(content.left + dh), SInt16(content.top + dv), false);
}

void FitPreviewWindow(WindowRef paintWindow) {
    PaintWinRec* rec = GetPaintWinRec(paintWindow);
    if (!gPreviewWindow || !rec || paintWindow != FrontDocumentWindow()) return;
    SizePreviewWindow(SInt16(std::min<int>(RectWidth(rec->picRect), kPreviewMaxSide)),
                      SInt16(std::min<int>(RectHeight(rec->picRect), kPreviewMaxSide)));
    SavedGWorld saved;
    SetPortWindowPort(gPreviewWindow);
    const Point origin = PreviewOriginFor(paintWindow, rec);
    SetOrigin(origin.h, origin.v);
    ClipRect(&rec->picRect);
}

void FollowViewInPreview(WindowRef paintWindow) {
    PaintWinRec* rec = GetPaintWinRec(paintWindow);
    if (!gPreviewWindow || !rec || paintWindow != FrontDocumentWindow()) return;
    const Point origin = PreviewOriginFor(paintWindow, rec);
    Rect preview;
    GetWindowPortBounds(gPreviewWindow, &preview);
    if (origin.h == preview.left && origin.v == preview.top) return;
    SavedGWorld saved;
    SetPortWindowPort(gPreviewWindow);
    SetOrigin(origin.h, origin.v);
    InvalWholePreview();
}
