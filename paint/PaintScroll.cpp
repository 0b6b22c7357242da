// Scrolling and resizing paint windows. The window's drawing origin is the
// scroll position, so local coordinates are those of the zoomed image.
#include "paint/PaintView.h"
#include "paint/PaintViewInternal.h"

#include "app/Shell.h"
#include "image/Colors.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/ui/Cursors.h"

#include <algorithm>

namespace {

constexpr SInt16 kScrollStep = 16;
constexpr SInt16 kHandCursor = 141;
// A zoomed picture for tracking larger than this many pixels is not made;
// the 1:1 image is scaled instead.
constexpr Size kMaxTrackingPixels = Size(1) << 24;

Rect PortRect(WindowRef window) {
    Rect r;
    GetWindowPortBounds(window, &r);
    return r;
}

SInt16 ZoomedWidth(const PaintWinRec* rec) { return SInt16(RectWidth(rec->picRect) << rec->ratio); }
SInt16 ZoomedHeight(const PaintWinRec* rec) { return SInt16(RectHeight(rec->picRect) << rec->ratio); }

// The picture shown while scrolling: the zoomed picture with its grid, or
// the 1:1 image when that cannot be had.
struct TrackingPicture {
    GWorldPtr image = nullptr;
    bool isPreview = false;
    bool ownsImage = false;
    PaintWinRec* rec = nullptr;

    explicit TrackingPicture(PaintWinRec* r) : rec(r) {
        if (Size(RectWidth(r->dispRect)) * RectHeight(r->dispRect) <= kMaxTrackingPixels)
            image = MakePaintImage(r, nullptr);
        if (image) {
            ownsImage = true;
            return;
        }
        image = MakePreviewImage(r);
        isPreview = true;
        ownsImage = image && r->backPort;
    }
    ~TrackingPicture() {
        if (ownsImage) DisposeGWorld(image);
    }
    TrackingPicture(const TrackingPicture&) = delete;
    TrackingPicture& operator=(const TrackingPicture&) = delete;
};

// Shows the view scrolled to (h, v) while the port's origin is still where it
// was: the image area is filled from the picture, then the marquee.
void ShowViewAt(WindowRef window, const TrackingPicture& pict, SInt16 h, SInt16 v, const Pattern& marquee) {
    PaintWinRec* rec = pict.rec;
    SavedGWorld saved;
    SetPortWindowPort(window);
    const Rect area = PaintImageArea(window);
    const SInt16 dh = SInt16(area.left - h), dv = SInt16(area.top - v);
    UniqueRgn oldClip, areaRgn;
    GetClip(oldClip);
    RectRgn(areaRgn, &area);
    SetClip(areaRgn);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&area);
    if (pict.image) {
        Rect dst = rec->dispRect;
        OffsetRect(&dst, dh, dv);
        const Rect src = pict.isPreview ? rec->picRect : rec->dispRect;
        CopyBits(GetPortBitMapForCopyBits(pict.image), GetPortBitMapForCopyBits(GetWindowPort(window)), &src, &dst,
                 srcCopy, areaRgn);
    }
    if (rec->isFloating && rec->selShown) {
        UniqueRgn outline;
        CopyRgn(rec->selDispRgn, outline);
        OffsetRgn(outline, dh, dv);
        FrameMarquee(outline, marquee);
    }
    SetClip(oldClip);
    QDFlushPortBuffer(GetWindowPort(window), nullptr);
}

// The tracking in progress, for the scroll bars' action procedure.
struct ScrollTracking {
    const TrackingPicture* picture = nullptr;
    SInt16 lastValue = 0;
    Pattern marquee[2];
};

// While a scroll bar is tracked, the window keeps the tracking's address as a
// window property, where the action procedure finds it; it is removed when
// the tracking ends, whichever way.
constexpr OSType kTrackingCreator = FourCC("Krvl"), kTrackingTag = FourCC("sTrk");

class TrackingOnWindow {
public:
    TrackingOnWindow(WindowRef window, ScrollTracking* tracking) : window_(window) {
        (void)SetWindowProperty(window, kTrackingCreator, kTrackingTag, sizeof tracking, &tracking);
    }
    ~TrackingOnWindow() { (void)RemoveWindowProperty(window_, kTrackingCreator, kTrackingTag); }
    TrackingOnWindow(const TrackingOnWindow&) = delete;
    TrackingOnWindow& operator=(const TrackingOnWindow&) = delete;

private:
    WindowRef window_;
};

ScrollTracking* TrackingOf(WindowRef window) {
    ScrollTracking* tracking = nullptr;
    UInt32 size = 0;
    if (GetWindowProperty(window, kTrackingCreator, kTrackingTag, sizeof tracking, &size, &tracking) != noErr ||
        size != sizeof tracking)
        return nullptr;
    return tracking;
}

// Scrolls the pixels of the image area by (dh, dv) and invalidates what is uncovered.
void ScrollImagePixels(WindowRef window, SInt16 dh, SInt16 dv) {
    const Rect area = PaintImageArea(window);
    if (EmptyRect(&area)) return;
    SavedGWorld saved;
    GWorldPtr temp = nullptr;
    CGrafPtr port = GetWindowPort(window);
    UniqueRgn uncovered, moved;
    RectRgn(uncovered, &area);
    Rect shifted = area;
    OffsetRect(&shifted, dh, dv);
    if (std::abs(dh) < RectWidth(area) && std::abs(dv) < RectHeight(area) &&
        NewGWorld(&temp, 32, &area, nullptr, nullptr, useTempMem) == noErr && temp) {
        UniqueGWorld owner(temp);
        SetGWorld(temp, nullptr);
        CopyBits(GetPortBitMapForCopyBits(port), GetPortBitMapForCopyBits(temp), &area, &area, srcCopy, nullptr);
        SetPortWindowPort(window);
        UniqueRgn oldClip, areaRgn;
        GetClip(oldClip);
        RectRgn(areaRgn, &area);
        SetClip(areaRgn);
        RGBForeColor(&rgbBlackColor);
        RGBBackColor(&rgbWhiteColor);
        CopyBits(GetPortBitMapForCopyBits(temp), GetPortBitMapForCopyBits(port), &area, &shifted, srcCopy, areaRgn);
        SetClip(oldClip);
        RectRgn(moved, &shifted);
        DiffRgn(uncovered, moved, uncovered);
    }
    InvalWindowRgn(window, uncovered);
}

void PlaceOrigin(WindowRef window, PaintWinRec* rec) {
    SetPortWindowPort(window);
    SetOrigin(GetControlValue(rec->hScroll), GetControlValue(rec->vScroll));
    SetScrollBarRect(window);
    Draw1Control(rec->hScroll);
    Draw1Control(rec->vScroll);
    const Rect r = PortRect(window);
    ClipRect(&r);
    FollowViewInPreview(window);
}

}  // namespace

void SetScrollBarMax(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->hScroll || !rec->vScroll) return;
    const Rect r = PortRect(window);
    SetControlMaximum(rec->hScroll, SInt16(ZoomedWidth(rec) - RectWidth(r) + 15));
    SetControlMaximum(rec->vScroll, SInt16(ZoomedHeight(rec) - RectHeight(r) + 15));
}

void SetScrollBarRect(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->hScroll || !rec->vScroll) return;
    const Rect r = PortRect(window);
    MoveControl(rec->hScroll, SInt16(r.left + 42), SInt16(r.bottom - 15));
    SizeControl(rec->hScroll, SInt16(std::max(0, (r.right - 14) - (r.left + 42))), 16);
    MoveControl(rec->vScroll, SInt16(r.right - 15), SInt16(r.top - 1));
    SizeControl(rec->vScroll, 16, SInt16(std::max(0, (r.bottom - 14) - (r.top - 1))));
}

void DoScrollPaintWindowMain(WindowRef window, SInt16 dh, SInt16 dv) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->hScroll || !rec->vScroll) return;
    const SInt16 oldH = GetControlValue(rec->hScroll), oldV = GetControlValue(rec->vScroll);
    const SInt16 newH = SInt16(std::clamp<int>(oldH + dh, 0, std::max<int>(0, GetControlMaximum(rec->hScroll))));
    const SInt16 newV = SInt16(std::clamp<int>(oldV + dv, 0, std::max<int>(0, GetControlMaximum(rec->vScroll))));
    if (newH == oldH && newV == oldV) return;
    SavedGWorld saved;
    SetControlValue(rec->hScroll, newH);
    SetControlValue(rec->vScroll, newV);
    SetPortWindowPort(window);
    ScrollImagePixels(window, SInt16(oldH - newH), SInt16(oldV - newV));
    PlaceOrigin(window, rec);
}

void DoScrollPaintWindowByKeys(WindowRef window, SInt16 charCode, EventModifiers modifiers) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->hScroll || !rec->vScroll) return;
    const SInt16 hMax = std::max<SInt16>(0, GetControlMaximum(rec->hScroll));
    const SInt16 vMax = std::max<SInt16>(0, GetControlMaximum(rec->vScroll));
    if (hMax == 0 && vMax == 0) return;
    const SInt16 step = (modifiers & cmdKey) ? std::max(hMax, vMax) : kScrollStep;
    const Rect r = PortRect(window);
    const SInt16 pageH = SInt16(RectWidth(r) - 15 - 16), pageV = SInt16(RectHeight(r) - 15 - 16);
    SInt16 dh = 0, dv = 0;
    switch (charCode) {
    case kLeftArrowCharCode: dh = SInt16(-step); break;
    case kRightArrowCharCode: dh = step; break;
    case kUpArrowCharCode: dv = SInt16(-step); break;
    case kDownArrowCharCode: dv = step; break;
    case kHomeCharCode: dh = SInt16(-pageH); break;
    case kEndCharCode: dh = pageH; break;
    case kPageUpCharCode: dv = SInt16(-pageV); break;
    case kPageDownCharCode: dv = pageV; break;
    default: return;
    }
    DoScrollPaintWindowMain(window, dh, dv);
}

void DoScrollPaintWindowByWheel(WindowRef window, UInt16 axis, SInt16 notches, EventModifiers modifiers) {
    constexpr int kStepsPerNotch = 3;
    // A turn away from the user (positive) goes towards the top, or the left.
    const int amount = std::clamp(-notches * kStepsPerNotch * kScrollStep, -32767, 32767);
    if (axis == kMouseWheelAxisX || (modifiers & shiftKey)) DoScrollPaintWindowMain(window, SInt16(amount), 0);
    else DoScrollPaintWindowMain(window, 0, SInt16(amount));
}

void ContentScroll(WindowRef window, ControlRef control, SInt16 delta) {
    PaintWinRec* rec = GetPaintWinRec(window);
    const ScrollTracking* tracking = TrackingOf(window);
    if (!rec || !tracking || !tracking->picture || delta == 0) return;
    // The marquee's pattern alternates with the scroll position.
    const Pattern& marquee = tracking->marquee[GetControlValue(control) & 1];
    ShowViewAt(window, *tracking->picture, GetControlValue(rec->hScroll), GetControlValue(rec->vScroll), marquee);
}

void MyScrollHandler(ControlRef control, ControlPartCode part) {
    WindowRef window = GetControlOwner(control);
    ScrollTracking* tracking = TrackingOf(window);
    if (!tracking) return;
    const Rect r = PortRect(window);
    const bool horizontal = GetControlReference(control) == reinterpret_cast<SRefCon>(1);
    const int page = (horizontal ? RectWidth(r) : RectHeight(r)) - 15 - 16;
    const SInt16 old = tracking->lastValue;
    if (part != kControlIndicatorPart) {
        int step = 0;
        switch (part) {
        case kControlUpButtonPart: step = -kScrollStep; break;
        case kControlDownButtonPart: step = kScrollStep; break;
        case kControlPageUpPart: step = -page; break;
        case kControlPageDownPart: step = page; break;
        default: return;
        }
        const int value = std::clamp<int>(GetControlValue(control) + step, GetControlMinimum(control),
                                          std::max<int>(GetControlMinimum(control), GetControlMaximum(control)));
        SetControlValue(control, SInt16(value));
    }
    const SInt16 now = GetControlValue(control);
    tracking->lastValue = now;
    if (now != old) ContentScroll(window, control, SInt16(now - old));
}

void DoScrollPaintWindow(Point localPt, WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    ControlRef control = nullptr;
    const ControlPartCode part = FindControl(localPt, window, &control);
    if (!control || part == kControlNoPart) return;
    if (control != rec->hScroll && control != rec->vScroll) return;

    ScrollTracking tracking;
    tracking.lastValue = GetControlValue(control);
    tracking.marquee[0] = MarqueePattern();
    GetQDGlobalsGray(&tracking.marquee[1]);
    if (tracking.lastValue & 1) std::swap(tracking.marquee[0], tracking.marquee[1]);
    const SInt16 startValue = tracking.lastValue;

    bool usedPreview = false;
    if (isAppearanceAvailable || part != kControlIndicatorPart) {
        TrackingPicture picture(rec);
        usedPreview = picture.isPreview;
        tracking.picture = &picture;
        TrackingOnWindow kept(window, &tracking);
        TrackControl(control, localPt, MyScrollHandler);
    } else {
        TrackControl(control, localPt, nullptr);
        if (GetControlValue(control) != startValue) {
            TrackingPicture picture(rec);
            usedPreview = picture.isPreview;
            tracking.picture = &picture;
            TrackingOnWindow kept(window, &tracking);
            ContentScroll(window, control, SInt16(GetControlValue(control) - startValue));
        }
    }
    if (GetControlValue(control) != startValue) {
        PlaceOrigin(window, rec);
        if (usedPreview && gToolPrefs.gridSetting != 1) {
            const Rect r = PortRect(window);
            InvalWindowRect(window, &r);
        }
    }
}

void GrabScrollPaintWindow(WindowRef window, Point localPt) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->hScroll || !rec->vScroll) return;
    const SInt16 hMax = std::max<SInt16>(0, GetControlMaximum(rec->hScroll));
    const SInt16 vMax = std::max<SInt16>(0, GetControlMaximum(rec->vScroll));
    if (hMax == 0 && vMax == 0) return;
    TrackingPicture picture(rec);
    if (!picture.image) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    UseCursor(kHandCursor);
    const SInt16 startH = GetControlValue(rec->hScroll), startV = GetControlValue(rec->vScroll);
    SInt16 h = startH, v = startV;
    const Pattern marquee = MarqueePattern();
    while (StillDown()) {
        Point pt;
        GetMouse(&pt);
        const int nh = std::clamp(startH - ((pt.h - localPt.h) * (1 << rec->ratio)), 0, int(hMax));
        const int nv = std::clamp(startV - ((pt.v - localPt.v) * (1 << rec->ratio)), 0, int(vMax));
        if (nh == h && nv == v) continue;
        h = SInt16(nh);
        v = SInt16(nv);
        ShowViewAt(window, picture, h, v, marquee);
    }
    SetControlValue(rec->hScroll, h);
    SetControlValue(rec->vScroll, v);
    PlaceOrigin(window, rec);
}

void ResizePaintWindow(WindowRef window, Point globalPt) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    Rect desk{};
    if (RgnHandle gray = GetGrayRgn()) GetRegionBounds(gray, &desk);
    const int width = RectWidth(rec->picRect), height = RectHeight(rec->picRect);
    // Toolbox order: minimum height and width, maximum height and width.
    const Rect limits{SInt16(std::min(height + 15, 100)), SInt16(std::min(width + 15, 100)),
                      SInt16(std::min<int>((height << rec->ratio) + 15, desk.bottom)),
                      SInt16(std::min<int>((width << rec->ratio) + 15, desk.right))};
    const SInt32 size = GrowWindow(window, globalPt, &limits);
    if (size == 0) return;
    SizeWindow(window, SInt16(size & 0xFFFF), SInt16(size >> 16), true);
    ResizePaintWindowMain(window);
}

void ResizePaintWindowMain(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->hScroll || !rec->vScroll) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    HideControl(rec->hScroll);
    HideControl(rec->vScroll);
    const Rect r = PortRect(window);
    const int visibleW = RectWidth(r) - 15, visibleH = RectHeight(r) - 15;
    SetControlMaximum(rec->hScroll, SInt16(ZoomedWidth(rec) - visibleW));
    SetControlMaximum(rec->vScroll, SInt16(ZoomedHeight(rec) - visibleH));
    // Keep the view's top-left, unless the view now reaches past the image.
    int h = GetControlValue(rec->hScroll), v = GetControlValue(rec->vScroll);
    if (h + visibleW > ZoomedWidth(rec)) h = ZoomedWidth(rec) - visibleW;
    if (v + visibleH > ZoomedHeight(rec)) v = ZoomedHeight(rec) - visibleH;
    h = std::max(h, 0);
    v = std::max(v, 0);
    SetOrigin(SInt16(h), SInt16(v));
    SetControlValue(rec->hScroll, SInt16(h));
    SetControlValue(rec->vScroll, SInt16(v));
    const Rect moved = PortRect(window);
    ClipRect(&moved);
    InvalWindowRect(window, &moved);
    SetScrollBarRect(window);
    ShowControl(rec->hScroll);
    ShowControl(rec->vScroll);
    FollowViewInPreview(window);
}

void ZoomPaintWindow(WindowRef window, WindowPartCode part) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    if (part == inZoomIn) {
        Rect user;
        GetWindowUserState(window, &user);
        SizeWindow(window, SInt16(RectWidth(user)), SInt16(RectHeight(user)), true);
    } else if (part == inZoomOut) {
        SetPaintWindowSize(window, &rec->picRect, rec->ratio);
    } else {
        return;
    }
    ResizePaintWindowMain(window);
}
