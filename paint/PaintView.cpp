// The paint view on screen: redrawing the window and the preview, the corner
// indicators, the magnification, the crosshair ruler, the mask view and
// clicks.
#include "paint/PaintView.h"
#include "paint/PaintViewInternal.h"

#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "paint/BackLayer.h"
#include "paint/PaintDrag.h"
#include "tools/Tools.h"
#include "image/Colors.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/raster/Text.h"
#include "platform/resources/Patterns.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Menus.h"

namespace {

constexpr SInt16 kRatioStrings = 146;
constexpr SInt16 kMarqueePattern = 128;
constexpr SInt16 kBackLayerPicture = 145;     // the foreground is edited
constexpr SInt16 kBackLayerEditPicture = 146; // the background layer is edited
constexpr SInt16 kNoBackLayerPicture = 147;
constexpr UInt16 kOKeyCode = 31;

PaintClickProcPtr gPaintClickProc = nullptr;

Rect PortRect(WindowRef window) {
    Rect r;
    GetWindowPortBounds(window, &r);
    return r;
}

}  // namespace

Rect PaintImageArea(WindowRef window) {
    Rect r = PortRect(window);
    r.right = SInt16(std::max<int>(r.left, r.right - 15));
    r.bottom = SInt16(std::max<int>(r.top, r.bottom - 15));
    return r;
}

Pattern MarqueePattern() {
    Pattern pat;
    if (!GetPattern(&pat, kMarqueePattern)) GetQDGlobalsGray(&pat);
    return pat;
}

void FrameMarquee(RgnHandle outline, const Pattern& pat) {
    PenState saved;
    GetPenState(&saved);
    PenNormal();
    PenPat(&pat);
    PenMode(patXor);
    FrameRgn(outline);
    SetPenState(&saved);
}

void SetPaintClickProc(PaintClickProcPtr proc) { gPaintClickProc = proc; }

void RedrawPaintWindow(WindowRef window, RgnHandle clip) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    UniqueRgn oldClip;
    GetClip(oldClip);

    const Rect imageArea = PaintImageArea(window);
    UniqueRgn area;
    RectRgn(area, &imageArea);
    if (clip) SectRgn(area, clip, area);
    if (EmptyRgn(area)) return;

    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    SetClip(area);
    // Beyond the zoomed image there is nothing but white.
    UniqueRgn outside, disp;
    RectRgn(disp, &rec->dispRect);
    DiffRgn(area, disp, outside);
    if (!EmptyRgn(outside)) EraseRgn(outside);

    const BitMap* windowBits = GetPortBitMapForCopyBits(GetWindowPort(window));
    if (GWorldPtr image = MakePaintImage(rec, area)) {
        Rect bounds;
        GetPixBounds(GetGWorldPixMap(image), &bounds);
        CopyBits(GetPortBitMapForCopyBits(image), windowBits, &bounds, &bounds, srcCopy, area);
        DisposeGWorld(image);
    } else if (GWorldPtr preview = MakePreviewImage(rec)) {
        // Too little memory for the zoomed picture: the 1:1 image, scaled.
        CopyBits(GetPortBitMapForCopyBits(preview), windowBits, &rec->picRect, &rec->dispRect, srcCopy, area);
        if (rec->backPort) DisposeGWorld(preview);
    }
    if (rec->isFloating && rec->selShown) FrameMarquee(rec->selDispRgn, MarqueePattern());
    SetClip(oldClip);
}

void RedrawPreviewWindow(WindowRef window) {
    // Called with the paint window, or with the preview window itself for its update.
    if (!GetPaintWinRec(window)) window = FrontDocumentWindow();
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !gPreviewWindow) return;
    GWorldPtr preview = MakePreviewImage(rec);
    if (!preview) return;
    SavedGWorld saved;
    SetPortWindowPort(gPreviewWindow);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    CopyBits(GetPortBitMapForCopyBits(preview), GetPortBitMapForCopyBits(GetWindowPort(gPreviewWindow)),
             &rec->picRect, &rec->picRect, srcCopy, nullptr);
    if (rec->backPort) DisposeGWorld(preview);
    if (rec->isFloating && rec->selShown && window == FrontDocumentWindow())
        FrameMarquee(rec->selRgn, MarqueePattern());
}

void DrawRatio(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    CGrafPtr port = GetWindowPort(window);
    const SInt16 oldFont = port->txFont, oldSize = port->txSize, oldFace = port->txFace;
    const Rect r = PortRect(window);
    const Rect display{SInt16(r.bottom - 14), r.left, r.bottom, SInt16(r.left + 30)};
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&display);
    TextFont(1);
    TextSize(9);
    TextFace(normal);
    Str255 label;
    GetIndString(label, kRatioStrings, SInt16(rec->ratio + 1));
    MoveTo(SInt16(display.left + (30 - StringWidth(label)) / 2), SInt16(display.top + 11));
    DrawString(label);
    PenState pen;
    GetPenState(&pen);
    PenNormal();
    MoveTo(SInt16(display.left + 29), display.top);
    LineTo(SInt16(display.left + 29), SInt16(display.bottom - 1));
    SetPenState(&pen);
    TextFont(oldFont);
    TextSize(oldSize);
    TextFace(oldFace);
}

void DrawBackInfo(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    const Rect r = PortRect(window);
    const Rect box{SInt16(r.bottom - 14), SInt16(r.left + 30), r.bottom, SInt16(r.left + 42)};
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&box);
    SInt16 id = kNoBackLayerPicture;
    if (rec->backPort || rec->foreHoldPort) id = rec->isBackMode ? kBackLayerEditPicture : kBackLayerPicture;
    if (PicHandle pic = GetResource(FourCC("PICT"), id)) DrawPicture(pic, &box);
}

void ChangeRatio(WindowRef window, Point globalPt) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    MenuRef menu = GetMenuHandle(kMagPopupMenuID);
    if (!menu) {
        menu = GetMenu(kMagPopupMenuID);
        if (!menu) return;
        InsertMenu(menu, hierMenu);
    }
    SetMenuFont(menu, 0, 9);
    for (MenuItemIndex i = 1; i <= CountMenuItems(menu); ++i) CheckMenuItem(menu, i, i == rec->ratio + 1);
    const SInt32 choice = PopUpMenuSelect(menu, globalPt.v, globalPt.h, SInt16(rec->ratio + 1));
    const SInt16 item = SInt16(choice & 0xFFFF);
    if (item > 0 && item - 1 != rec->ratio) ChangeRatioMain(window, SInt16(item - 1));
}

void ChangeRatioMain(WindowRef window, SInt16 ratio) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    ratio = FitRatio(&rec->picRect, ratio);
    if (MenuRef mag = GetMenuHandle(kMagMenuID)) {
        for (MenuItemIndex i = 1; i <= 5; ++i) SetItemMark(mag, i, i == ratio + 1 ? checkMark : noMark);
    }
    rec->ratio = ratio;
    UpdatePaintWindow(window);
}

void UpdatePaintWindow(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    const int imageWidth = std::max(1, RectWidth(rec->picRect));
    const int oldScale = std::max(1, RectWidth(rec->dispRect) / imageWidth);
    rec->ratio = FitRatio(&rec->picRect, rec->ratio);
    rec->dispRect = rec->picRect;
    rec->dispRect.bottom = SInt16(rec->picRect.bottom << rec->ratio);
    rec->dispRect.right = SInt16(rec->picRect.right << rec->ratio);
    if (rec->isFloating) {
        CopyRgn(rec->selRgn, rec->selDispRgn);
        MapRgn(rec->selDispRgn, &rec->picRect, &rec->dispRect);
    }
    if (!EmptyRgn(rec->undoSelDispRgn)) {
        CopyRgn(rec->undoSelRgn, rec->undoSelDispRgn);
        MapRgn(rec->undoSelDispRgn, &rec->picRect, &rec->dispRect);
    }

    Rect r = PortRect(window);
    const int oldW = RectWidth(r) - 15, oldH = RectHeight(r) - 15;
    SetPaintWindowSize(window, &rec->picRect, rec->ratio);
    r = PortRect(window);
    const int newW = RectWidth(r) - 15, newH = RectHeight(r) - 15;

    // The image point at the centre of the view stays there.
    const int oldHValue = rec->hScroll ? GetControlValue(rec->hScroll) : 0;
    const int oldVValue = rec->vScroll ? GetControlValue(rec->vScroll) : 0;
    const int h = ((oldW / 2 + oldHValue) << rec->ratio) / oldScale - newW / 2;
    const int v = ((oldH / 2 + oldVValue) << rec->ratio) / oldScale - newH / 2;
    SetScrollBarMax(window);
    if (rec->hScroll) SetControlValue(rec->hScroll, SInt16(std::clamp(h, -32768, 32767)));
    if (rec->vScroll) SetControlValue(rec->vScroll, SInt16(std::clamp(v, -32768, 32767)));
    SetOrigin(rec->hScroll ? GetControlValue(rec->hScroll) : 0, rec->vScroll ? GetControlValue(rec->vScroll) : 0);
    SetScrollBarRect(window);
    r = PortRect(window);
    ClipRect(&r);
    InvalWindowRect(window, &r);
    FollowViewInPreview(window);
}

namespace {

void DrawCrosshair(WindowRef window, Point pt) {
    const Rect r = PortRect(window);
    MoveTo(pt.h, r.top);
    LineTo(pt.h, SInt16(r.top + RectHeight(r) - 15 - 1));
    MoveTo(r.left, pt.v);
    LineTo(SInt16(r.left + RectWidth(r) - 15 - 1), pt.v);
}

void ForgetRuler() {
    gPrevRulerPt = Point{-1, -1};
    if (gRulerRgn) SetEmptyRgn(gRulerRgn);
}

}  // namespace

void DrawRuler(Point globalMouse) {
    WindowRef window = FrontDocumentWindow();
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!gToolPrefs.showRuler || !rec || IsWindowUpdatePending(window)) {
        ForgetRuler();
        return;
    }
    SavedGWorld saved;
    SetPortWindowPort(window);
    Point pt = globalMouse;
    GlobalToLocal(&pt);
    ToRealPos(&pt, rec->ratio);
    ToGridPos(&pt, rec->ratio);
    WindowRef hit = nullptr;
    const WindowPartCode part = FindWindow(globalMouse, &hit);
    const Rect area = PaintImageArea(window);
    if (hit != window || part != inContent || !PtInRect(pt, &area)) pt = Point{-1, -1};
    if (pt == gPrevRulerPt) return;

    UniqueRgn oldClip;
    GetClip(oldClip);
    PenState pen;
    GetPenState(&pen);
    const Pattern pat = MarqueePattern();
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    PenNormal();
    PenPat(&pat);
    PenMode(patXor);
    ClipRect(&area);
    if (pt.h != -1 || pt.v != -1) DrawCrosshair(window, pt);
    if ((gPrevRulerPt.h != -1 || gPrevRulerPt.v != -1) && gRulerRgn) {
        UniqueRgn eraseClip;
        RectRgn(eraseClip, &area);
        SectRgn(eraseClip, gRulerRgn, eraseClip);
        SetClip(eraseClip);
        DrawCrosshair(window, gPrevRulerPt);
    }
    SetPenState(&pen);
    SetClip(oldClip);
    if (gRulerRgn) GetPortVisibleRegion(GetWindowPort(window), gRulerRgn);
    gPrevRulerPt = pt;
    QDFlushPortBuffer(GetWindowPort(window), nullptr);
}

void ResetRuler() { DrawRuler(Point{-1, -1}); }

void DispPaintMask(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    HideCursor();
    {
        SavedGWorld saved;
        GWorldPtr temp = nullptr;
        UniqueGWorld owner;
        if (NewGWorld(&temp, 1, &rec->picRect, nullptr, nullptr, useTempMem) == noErr && temp) {
            owner.reset(temp);
            SetGWorld(temp, nullptr);
            EraseRect(&rec->picRect);
            Rect selBounds;
            GetRegionBounds(rec->selRgn, &selBounds);
            const BitMap* bits = GetPortBitMapForCopyBits(temp);
            CopyBits(GetPortBitMapForCopyBits(rec->maskPort.get()), bits, &rec->selRect, &selBounds, srcCopy,
                     rec->selRgn);
            if (rec->isFloating)
                CopyBits(GetPortBitMapForCopyBits(rec->baseMask.get()), bits, &rec->picRect, &rec->picRect, srcOr,
                         nullptr);
        }
        // Without the scratch mask the masks are drawn straight into the windows.
        auto drawInto = [&](WindowRef target, const Rect* dst, RgnHandle clip) {
            SetPortWindowPort(target);
            RGBForeColor(&rgbBlackColor);
            RGBBackColor(&rgbWhiteColor);
            const BitMap* windowBits = GetPortBitMapForCopyBits(GetWindowPort(target));
            if (temp) {
                CopyBits(GetPortBitMapForCopyBits(temp), windowBits, &rec->picRect, dst, srcCopy, clip);
                return;
            }
            EraseRect(dst);
            UniqueRgn selClip;
            CopyRgn(rec->selRgn, selClip);
            MapRgn(selClip, &rec->picRect, dst);
            if (clip) SectRgn(selClip, clip, selClip);
            Rect selBounds;
            GetRegionBounds(rec->selRgn, &selBounds);
            MapRect(&selBounds, &rec->picRect, dst);
            CopyBits(GetPortBitMapForCopyBits(rec->maskPort.get()), windowBits, &rec->selRect, &selBounds, srcCopy,
                     selClip);
            if (rec->isFloating)
                CopyBits(GetPortBitMapForCopyBits(rec->baseMask.get()), windowBits, &rec->picRect, dst, srcOr, clip);
        };
        if (gPreviewWindow) {
            drawInto(gPreviewWindow, &rec->picRect, nullptr);
            QDFlushPortBuffer(GetWindowPort(gPreviewWindow), nullptr);
        }
        const Rect area = PaintImageArea(window);
        SetPortWindowPort(window);
        UniqueRgn areaRgn;
        RectRgn(areaRgn, &area);
        drawInto(window, &rec->dispRect, areaRgn);
        QDFlushPortBuffer(GetWindowPort(window), nullptr);
    }
    while (IsKeyDown(kOKeyCode)) Delay(1, nullptr);

    const Rect area = PaintImageArea(window);
    UniqueRgn areaRgn;
    RectRgn(areaRgn, &area);
    RedrawPaintWindow(window, areaRgn);
    QDFlushPortBuffer(GetWindowPort(window), nullptr);
    ValidWindowRect(window, &area);
    if (gPreviewWindow) {
        RedrawPreviewWindow(window);
        QDFlushPortBuffer(GetWindowPort(gPreviewWindow), nullptr);
        Rect all;
        GetWindowPortBounds(gPreviewWindow, &all);
        ValidWindowRect(gPreviewWindow, &all);
    }
    ShowCursor();
    FlushEvents(mDownMask | keyDownMask, 0);
}

void ClickPaintWindow(WindowRef window, Point localPt, const EventRecord* event) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    const Rect imageArea = PaintImageArea(window);
    if (isDragMgrPresent && event && PtInRect(localPt, &imageArea) &&
        (gSelectedTool == kSelectionTool || window != FrontDocumentWindow()) && (event->modifiers & cmdKey) &&
        !(event->modifiers & optionKey) && PtInRgn(localPt, rec->selDispRgn)) {
        if (gPrevRulerPt.h != -1) ResetRuler();
        (void)MyDoStartDragPaintWin(window, event);  // a drag nobody took changes nothing
        return;
    }
    if (window != FrontDocumentWindow()) {
        SelectWindow(window);
        UpdateMenus();
        return;
    }
    const Rect r = PortRect(window);
    const Rect area = PaintImageArea(window);
    if (PtInRect(localPt, &area)) {
        if (gPaintClickProc) gPaintClickProc(window, localPt, event);
        return;
    }
    const bool inBottomStrip = localPt.v >= r.bottom - 15;
    if (inBottomStrip && localPt.h < r.left + 30) {
        Point corner{SInt16(r.bottom - 14), r.left};
        SavedGWorld saved;
        SetPortWindowPort(window);
        LocalToGlobal(&corner);
        ChangeRatio(window, corner);
        return;
    }
    if (inBottomStrip && localPt.h < r.left + 43) {
        ClickBackInfo(window, localPt, event);
        return;
    }
    DoScrollPaintWindow(localPt, window);
}
