// The rubber band, the marquee and dragging the selection. Everything here is
// drawn in pattern-xor, so drawing a frame a second time removes it.
#include "tools/Selection.h"

#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/PaintViewInternal.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/ui/Cursors.h"

#include <cstdlib>

namespace {

bool ShowsInPreview(WindowRef window) { return gPreviewWindow && window == FrontDocumentWindow(); }

Point MouseInImage(WindowRef window, SInt16 ratio) {
    SetPortWindowPort(window);
    Point pt;
    GetMouse(&pt);
    ToRealPos(&pt, ratio);
    return pt;
}

// Frames `r` (image coordinates) in the window, zoomed, and in the preview.
void FrameBand(WindowRef window, const PaintWinRec* rec, const Rect& r, const Pattern& pat) {
    if (EmptyRect(&r)) return;
    SavedGWorld saved;
    UniqueRgn band;
    RectRgn(band, &r);
    if (ShowsInPreview(window)) {
        SetPortWindowPort(gPreviewWindow);
        FrameMarquee(band, pat);
        QDFlushPortBuffer(GetWindowPort(gPreviewWindow), band);
    }
    MapRgn(band, &rec->picRect, &rec->dispRect);
    SetPortWindowPort(window);
    UniqueRgn oldClip;
    GetClip(oldClip);
    const Rect area = PaintImageArea(window);
    ClipRect(&area);
    FrameMarquee(band, pat);
    SetClip(oldClip);
    QDFlushPortBuffer(GetWindowPort(window), band);
}

// Shows `changed` (image coordinates) of the document as it now is: dispPort
// recomposed there, then the preview at 1:1 and the window zoomed, with its grid.
void ShowDragged(WindowRef window, PaintWinRec* rec, RgnHandle changed) {
    SavedGWorld saved;
    Rect box;
    GetRegionBounds(changed, &box);
    if (!SectRect(&box, &rec->picRect, &box)) return;

    SetBlackOnWhite(rec->offPort.get());
    SetBlackOnWhite(rec->dispPort.get());
    const BitMap* disp = GetPortBitMapForCopyBits(rec->dispPort.get());
    CopyBits(GetPortBitMapForCopyBits(rec->basePort.get()), disp, &box, &box, srcCopy, changed);
    Rect selBounds;
    GetRegionBounds(rec->selRgn, &selBounds);
    UniqueRgn shown;
    SectRgn(rec->selRgn, changed, shown);
    if (rec->selMode == blend) OpColor(&rgbGrayColor);
    SafeCopyDeepMask(GetPortBitMapForCopyBits(rec->offPort.get()), GetPortBitMapForCopyBits(rec->maskPort.get()),
                     disp, &rec->selRect, &rec->selRect, &selBounds, rec->selMode, shown);
    OpColor(&rgbBlackColor);

    if (ShowsInPreview(window)) {
        if (GWorldPtr preview = MakePreviewImage(rec)) {
            SetPortWindowPort(gPreviewWindow);
            RGBForeColor(&rgbBlackColor);
            RGBBackColor(&rgbWhiteColor);
            CopyBits(GetPortBitMapForCopyBits(preview), GetPortBitMapForCopyBits(GetWindowPort(gPreviewWindow)),
                     &box, &box, srcCopy, changed);
            if (rec->backPort) DisposeGWorld(preview);
            QDFlushPortBuffer(GetWindowPort(gPreviewWindow), changed);
        }
    }
    UniqueRgn zoomed;
    CopyRgn(changed, zoomed);
    MapRgn(zoomed, &rec->picRect, &rec->dispRect);
    RedrawPaintWindow(window, zoomed);
    QDFlushPortBuffer(GetWindowPort(window), zoomed);
}

}  // namespace

void SortRect(Rect* r, Boolean snap) {
    if (!r) return;
    SInt16 unit = 1;
    if (snap) unit = ((gToolPrefs.gridSetting >> 4) & 0x0F) == 1 ? 32 : 16;
    if (r->top > r->bottom) {
        const SInt16 top = r->top;
        r->top = r->bottom;
        r->bottom = SInt16(top + unit);
    }
    if (r->left > r->right) {
        const SInt16 left = r->left;
        r->left = r->right;
        r->right = SInt16(left + unit);
    }
}

void TrackMarquee(WindowRef window, Rect* r, Boolean snap) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !r) return;
    SavedGWorld saved;
    const Pattern pat = MarqueePattern();
    const Point start{r->top, r->left};
    Rect shown{start.v, start.h, start.v, start.h};
    while (StillDown()) {
        Point pt = MouseInImage(window, rec->ratio);
        if (snap) FixToGrid(&pt);
        Rect now{start.v, start.h, pt.v, pt.h};
        SortRect(&now, snap);
        if (!SectRect(&now, &rec->picRect, &now)) now = Rect{start.v, start.h, start.v, start.h};
        if (EqualRect(&now, &shown)) continue;
        FrameBand(window, rec, shown, pat);
        FrameBand(window, rec, now, pat);
        shown = now;
    }
    FrameBand(window, rec, shown, pat);
    *r = shown;
}

void DispSelection(WindowRef window) { DispSelectionMain(window, true, true); }

void DispSelectionMain(WindowRef window, Boolean inPreview, Boolean inWindow) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->isFloating) return;
    SavedGWorld saved;
    const Pattern pat = MarqueePattern();
    if (inPreview && ShowsInPreview(window)) {
        SetPortWindowPort(gPreviewWindow);
        FrameMarquee(rec->selRgn, pat);
        QDFlushPortBuffer(GetWindowPort(gPreviewWindow), nullptr);
    }
    if (inWindow) {
        SetPortWindowPort(window);
        UniqueRgn oldClip;
        GetClip(oldClip);
        const Rect area = PaintImageArea(window);
        ClipRect(&area);
        FrameMarquee(rec->selDispRgn, pat);
        SetClip(oldClip);
        QDFlushPortBuffer(GetWindowPort(window), nullptr);
    }
}

Boolean DragSelection(WindowRef window, Point start, Point* delta, Boolean shift) {
    if (delta) *delta = Point{0, 0};
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->isFloating) return false;
    SavedGWorld saved;
    UseCursor((GetCurrentKeyModifiers() & optionKey) ? kDragCopyCursor : kDragSelectionCursor);
    const Boolean wasShown = rec->selShown;
    if (wasShown) DispSelection(window);
    // While dragging the redraws must not put the marquee back.
    rec->selShown = false;

    Point pt = start;
    while ((pt = MouseInImage(window, rec->ratio)).h == start.h && pt.v == start.v) {
        if (!StillDown()) {
            rec->selShown = wasShown;
            return false;
        }
    }

    enum { kFree, kHorizontal, kVertical } constraint = kFree;
    if (shift) constraint = std::abs(pt.v - start.v) < std::abs(pt.h - start.h) ? kHorizontal : kVertical;
    Rect origin;
    GetRegionBounds(rec->selRgn, &origin);
    Point moved{0, 0};
    UniqueRgn before, changed;
    for (bool first = true; first || StillDown(); first = false) {
        if (!first) pt = MouseInImage(window, rec->ratio);
        Point step{SInt16(pt.v - start.v), SInt16(pt.h - start.h)};
        if (constraint == kHorizontal) step.v = 0;
        else if (constraint == kVertical) step.h = 0;
        else if (GetCurrentKeyModifiers() & shiftKey) {
            Point corner{SInt16(origin.top + step.v), SInt16(origin.left + step.h)};
            FixToGrid2(&corner);
            step = Point{SInt16(corner.v - origin.top), SInt16(corner.h - origin.left)};
        }
        if (step.h == moved.h && step.v == moved.v) continue;
        CopyRgn(rec->selRgn, before);
        OffsetRgn(rec->selRgn, SInt16(step.h - moved.h), SInt16(step.v - moved.v));
        moved = step;
        UnionRgn(before, rec->selRgn, changed);
        ShowDragged(window, rec, changed);
    }
    OffsetRgn(rec->selRgn, SInt16(-moved.h), SInt16(-moved.v));
    rec->selShown = wasShown;
    if (delta) *delta = moved;
    return true;
}
