// The freehand tools: the stroke engine shared by the pencil and the eraser,
// the two strokes themselves, and painting single footprints at image points
// (a run of them is one undo step).
//
// A stroke draws into a drawing buffer (the document's dispPort, or a private
// buffer holding the lifted pixels while a selection floats) and into a 1-bit
// stroke buffer that remembers every pixel the pen touched. The window and the
// preview show each segment at once; only on release does the stroke reach
// offPort and maskPort, so the image stays untouched while the button is down.
#include "tools/Tools.h"
#include "tools/StrokeEngine.h"

#include "app/CursorUpdate.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/Undo.h"
#include "palettes/ColorPalettes.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Shapes.h"
#include "platform/ui/Cursors.h"

#include <cassert>
#include <algorithm>
#include <cstdlib>
#include <memory>

namespace {

constexpr UInt32 kShiftWaitTicks = 60;

// The pen hangs below and to the right of its point, so the point moves up
// and left by half the pen to centre the footprint on the pointer.
Point PenOffset(Point penSize) { return Point{SInt16(-(penSize.v / 2)), SInt16(-(penSize.h / 2))}; }

Rect FootprintRect(Point a, Point b, Point penSize) {
    return Rect{std::min(a.v, b.v), std::min(a.h, b.h), SInt16(std::max(a.v, b.v) + penSize.v),
                SInt16(std::max(a.h, b.h) + penSize.h)};
}

void SetBlackOnWhite() {
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
}

}  // namespace

// Everything one stroke owns and needs while the button is down.
struct Stroke {
    WindowRef window = nullptr;
    PaintWinRec* rec = nullptr;
    Point penSize{1, 1};
    SInt16 penMode = patCopy;
    RGBColor opColor{0, 0, 0};
    RGBColor color{0, 0, 0};
    SInt16 kind = kPaintCurrentColor;
    UniqueGWorld strokeBuf;  // 1 bit over picRect: what the pen touched
    UniqueGWorld floatBuf;   // the drawing buffer while a selection floats
    GWorldPtr draw = nullptr;
    UniqueRgn painted;       // blend mode: pixels already blended once
    UniqueRgn drawClip;      // selRgn, the limit of the drawing buffer
    // dispPort's state, given back after the stroke.
    PenState savedPen{};
    RGBColor savedFore{0, 0, 0};
    RGBColor savedOp{0, 0, 0};
    UniqueRgn savedClip;
    // Over a background layer the mask follows the pen at once, so that the
    // live display shows strokes on transparent pixels; maskPort's own state
    // is given back afterwards.
    bool liveMask = false;
    PenState maskPen{};
    UniqueRgn maskClip;
};

namespace {

bool Blending(const Stroke& s) { return s.penMode == blend && s.kind == kPaintCurrentColor; }

// Sets up the drawing buffer's pen, colour and clip for the stroke.
void PrepareDrawing(Stroke& s) {
    SetGWorld(s.draw, nullptr);
    PenSize(s.penSize.h, s.penSize.v);
    PenMode(s.kind == kPaintCurrentColor ? s.penMode : SInt16(patCopy));
    RGBForeColor(&s.color);
    OpColor(&s.opColor);
    SetClip(s.drawClip);

    SetGWorld(s.strokeBuf.get(), nullptr);
    SetBlackOnWhite();
    PenSize(s.penSize.h, s.penSize.v);
    PenMode(patCopy);

    if (s.rec->backPort && !s.rec->isFloating) {
        s.liveMask = true;
        SetGWorld(s.rec->maskPort.get(), nullptr);
        GetPenState(&s.maskPen);
        GetClip(s.maskClip);
        PenSize(s.penSize.h, s.penSize.v);
        PenMode(patCopy);
        RGBForeColor(s.kind == kPaintTransparent ? &rgbWhiteColor : &rgbBlackColor);
        SetClip(s.drawClip);
    }
}

// Adds the stroke buffer's rows of `r` to the painted region.
void AddPaintedRows(Stroke& s, const Rect& r) {
    const PixMap& pm = **GetGWorldPixMap(s.strokeBuf.get());
    const SInt16 top = std::max(r.top, pm.bounds.top), bottom = std::min(r.bottom, pm.bounds.bottom);
    if (top >= bottom) return;
    BitMap band = pm;
    band.baseAddr = reinterpret_cast<Ptr>(PixRow(pm, top));
    band.bounds.top = top;
    band.bounds.bottom = bottom;
    UniqueRgn rows;
    if (BitMapToRegion(rows, &band) != noErr) return;
    UnionRgn(s.painted, rows, s.painted);
}

// One segment (a zero-length one for a single footprint) into both buffers.
void DrawSegment(Stroke& s, Point from, Point to) {
    const Rect touched = FootprintRect(from, to, s.penSize);
    SetGWorld(s.draw, nullptr);
    if (Blending(s)) {
        // A pixel the stroke has blended already keeps that one blend.
        UniqueRgn clip;
        DiffRgn(s.drawClip, s.painted, clip);
        SetClip(clip);
    }
    MoveTo(from.h, from.v);
    LineTo(to.h, to.v);
    SetGWorld(s.strokeBuf.get(), nullptr);
    MoveTo(from.h, from.v);
    LineTo(to.h, to.v);
    if (s.liveMask) {
        SetGWorld(s.rec->maskPort.get(), nullptr);
        MoveTo(from.h, from.v);
        LineTo(to.h, to.v);
    }
    if (Blending(s)) AddPaintedRows(s, touched);
}

// Shows the image rectangle `r` of the stroke in progress in the paint window
// (zoomed, with its grid) and in the preview window, at once.
void ShowStrokeRect(Stroke& s, Rect r) {
    PaintWinRec* rec = s.rec;
    if (!SectRect(&r, &rec->picRect, &r)) return;
    SavedGWorld saved;
    if (rec->isFloating) {
        SetGWorld(rec->dispPort.get(), nullptr);
        SetBlackOnWhite();
        UniqueRgn clip;
        RectRgn(clip, &r);
        SetClip(clip);
        CopyBits(GetPortBitMapForCopyBits(rec->basePort.get()), GetPortBitMapForCopyBits(rec->dispPort.get()), &r,
                 &r, srcCopy, nullptr);
        if (rec->selMode == blend) OpColor(&rgbGrayColor);
        CopyBits(GetPortBitMapForCopyBits(s.floatBuf.get()), GetPortBitMapForCopyBits(rec->dispPort.get()), &r, &r,
                 rec->selMode, rec->selRgn);
        OpColor(&rgbBlackColor);
        ClipRect(&rec->picRect);
    }
    if (s.liveMask) {
        // The picture over the layer is composed from offPort, so the segment goes there now too.
        SetGWorld(rec->offPort.get(), nullptr);
        SetBlackOnWhite();
        CopyBits(GetPortBitMapForCopyBits(s.draw), GetPortBitMapForCopyBits(rec->offPort.get()), &r, &r, srcCopy,
                 nullptr);
    }
    if (rec->backPort && rec->foreTrans == 4) return;  // the foreground is not shown at this level

    UniqueRgn zoomed;
    RectRgn(zoomed, &r);
    MapRgn(zoomed, &rec->picRect, &rec->dispRect);
    if (rec->isFloating) SectRgn(zoomed, rec->selDispRgn, zoomed);
    RedrawPaintWindow(s.window, zoomed);
    // Only the changed part goes to the screen: a whole-window flush per segment would dominate the stroke.
    QDFlushPortBuffer(GetWindowPort(s.window), zoomed);

    if (gPreviewWindow && s.window == FrontDocumentWindow()) {
        GWorldPtr preview = MakePreviewImage(rec);
        if (preview) {
            SetPortWindowPort(gPreviewWindow);
            SetBlackOnWhite();
            CopyBits(GetPortBitMapForCopyBits(preview), GetPortBitMapForCopyBits(GetWindowPort(gPreviewWindow)), &r,
                     &r, srcCopy, nullptr);
            if (rec->backPort) DisposeGWorld(preview);
            UniqueRgn changed;
            RectRgn(changed, &r);
            QDFlushPortBuffer(GetWindowPort(gPreviewWindow), changed);
        }
    }
}

// The pointer's image position, moved by the pen offset.
Point PointerPenPoint(const Stroke& s, Point offset) {
    SetPortWindowPort(s.window);
    Point pt;
    GetMouse(&pt);
    ToRealPos(&pt, s.rec->ratio);
    return Point{SInt16(pt.v + offset.v), SInt16(pt.h + offset.h)};
}

// Gives dispPort back its own drawing state.
void RestoreDispPort(Stroke& s) {
    SetGWorld(s.rec->dispPort.get(), nullptr);
    SetPenState(&s.savedPen);
    RGBForeColor(&s.savedFore);
    OpColor(&s.savedOp);
    SetClip(s.savedClip);
}

// Whether the pencil's toggle applies at image point `pt` with the pen in force.
bool PencilToggles(PaintWinRec* rec, Point pt, Point penSize, SInt16 blendMode) {
    if (!gToolPrefs.pencilToggle) return false;
    if (gToolPrefs.toggleOnlyWithSmallPen && (penSize.h != 1 || penSize.v != 1)) return false;
    if (blendMode != 0) return false;
    if (rec->isFloating) {
        pt.h = SInt16(pt.h - rec->selOffset.h);
        pt.v = SInt16(pt.v - rec->selOffset.v);
    }
    Rect bounds;
    GetPixBounds(GetGWorldPixMap(rec->maskPort.get()), &bounds);
    if (!PtInRect(pt, &bounds)) return false;
    SavedGWorld saved;
    SetGWorld(rec->maskPort.get(), nullptr);
    RGBColor m;
    GetCPixel(pt.h, pt.v, &m);
    if (EqualColor(&m, &rgbWhiteColor)) return false;  // transparent
    SetGWorld(rec->offPort.get(), nullptr);
    RGBColor c;
    GetCPixel(pt.h, pt.v, &c);
    return EqualColor(&c, &gCurrentColor.rgb);
}

void AfterStroke() {
    UpdateMenus();  // the transparency items follow the mask
    SetUndoMode(kUndoPaint);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}

// Runs one stroke with the pen set in offPort's drawing state.
void StrokeWith(WindowRef window, SInt16 kind, Point localPt, Boolean shift, Point penSize, SInt16 mode) {
    PaintWinRec* rec = GetPaintWinRec(window);
    Point pt = localPt;
    ToRealPos(&pt, rec->ratio);
    PenState saved;
    {
        SavedGWorld port;
        SetGWorld(rec->offPort.get(), nullptr);
        GetPenState(&saved);
        PenSize(penSize.h, penSize.v);
        PenMode(mode);
        OpColor(&gBlendRatio);
    }
    const OSErr err = PaintOffPort(window, kind, pt, shift);
    {
        SavedGWorld port;
        SetGWorld(rec->offPort.get(), nullptr);
        SetPenState(&saved);
        OpColor(&rgbBlackColor);
    }
    if (err == noErr) AfterStroke();
}

}  // namespace

void StrokeDeleter::operator()(Stroke* s) const { std::default_delete<Stroke>()(s); }

OSErr BeginStroke(WindowRef window, SInt16 kind, StrokeRef* out) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !rec->offPort || !rec->dispPort || !rec->maskPort) return paramErr;
    SavedGWorld savedPort;
    StrokeRef owned(std::make_unique<Stroke>().release());
    Stroke& s = *owned;
    s.window = window;
    s.rec = rec;
    {
        CGrafPtr off = rec->offPort.get();
        s.penSize = off->pnSize;
        s.penMode = off->pnMode;
        s.opColor = off->rgbOpColor;
    }
    s.penSize.h = std::clamp<SInt16>(s.penSize.h, 1, 64);
    s.penSize.v = std::clamp<SInt16>(s.penSize.v, 1, 64);
    if (kind == kPaintBackColor && HasBackground(rec)) kind = kPaintTransparent;
    s.kind = kind;
    s.color = kind == kPaintCurrentColor ? gCurrentColor.rgb : kind == kPaintBackColor ? gBackColor.rgb : rgbWhiteColor;

    OSErr err = NewGWorld(s.strokeBuf.out(), 1, &rec->picRect, nullptr, nullptr, useTempMem);
    if (err != noErr || !s.strokeBuf) return err != noErr ? err : OSErr(memFullErr);
    SetGWorld(s.strokeBuf.get(), nullptr);
    SetBlackOnWhite();
    EraseRect(&rec->picRect);

    CopyRgn(rec->selRgn, s.drawClip);
    if (rec->isFloating) {
        err = NewGWorld(s.floatBuf.out(), rec->depth == 24 ? 32 : rec->depth, &rec->picRect, nullptr, nullptr,
                        useTempMem);
        if (err != noErr || !s.floatBuf) return err != noErr ? err : OSErr(memFullErr);
        SetGWorld(s.floatBuf.get(), nullptr);
        SetBlackOnWhite();
        EraseRect(&rec->picRect);
        Rect selBounds;
        GetRegionBounds(rec->selRgn, &selBounds);
        SetGWorld(rec->offPort.get(), nullptr);
        SetBlackOnWhite();
        SetGWorld(s.floatBuf.get(), nullptr);
        CopyBits(GetPortBitMapForCopyBits(rec->offPort.get()), GetPortBitMapForCopyBits(s.floatBuf.get()),
                 &rec->selRect, &selBounds, srcCopy, nullptr);
        s.draw = s.floatBuf.get();
    } else {
        s.draw = rec->dispPort.get();
        SetGWorld(s.draw, nullptr);
        GetPenState(&s.savedPen);
        s.savedFore = s.draw->rgbFgColor;
        s.savedOp = s.draw->rgbOpColor;
        GetClip(s.savedClip);
    }
    PrepareDrawing(s);
    *out = std::move(owned);
    return noErr;

}

void StrokeLine(Stroke* s, Point from, Point to) {
    SavedGWorld saved;
    DrawSegment(*s, from, to);
    ShowStrokeRect(*s, FootprintRect(from, to, s->penSize));
}

void EndStroke(Stroke* stroke, Point last) {
    Stroke& s = *stroke;
    PaintWinRec* rec = s.rec;
    SavedGWorld savedPort;
    // Release: the stroke goes into the image and its mask.
    UniqueRgn strokeRgn;
    // A 1-bit buffer always converts.
    [[maybe_unused]] const OSErr converted = BitMapToRegion(strokeRgn, GetPortBitMapForCopyBits(s.strokeBuf.get()));
    assert(converted == noErr);
    SectRgn(strokeRgn, rec->selRgn, strokeRgn);
    SetGWorld(s.draw, nullptr);
    SetBlackOnWhite();
    SetGWorld(rec->offPort.get(), nullptr);
    SetBlackOnWhite();
    ClipRect(&rec->picRect);
    if (!rec->isFloating) {
        CopyBits(GetPortBitMapForCopyBits(s.draw), GetPortBitMapForCopyBits(rec->offPort.get()), &rec->picRect,
                 &rec->picRect, srcCopy, nullptr);
        RestoreDispPort(s);
        if (s.liveMask) {
            SetGWorld(rec->maskPort.get(), nullptr);
            SetPenState(&s.maskPen);
            SetClip(s.maskClip);
            SetBlackOnWhite();
        }
    } else {
        Rect selBounds;
        GetRegionBounds(rec->selRgn, &selBounds);
        UniqueRgn there;
        CopyRgn(rec->selRgn, there);
        OffsetRgn(there, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
        SetGWorld(rec->offPort.get(), nullptr);
        CopyBits(GetPortBitMapForCopyBits(s.floatBuf.get()), GetPortBitMapForCopyBits(rec->offPort.get()), &selBounds,
                 &rec->selRect, srcCopy, there);
    }
    s.floatBuf.reset();
    s.strokeBuf.reset();

    CopyRgn(strokeRgn, rec->updateRgn);
    UniqueRgn maskArea;
    CopyRgn(strokeRgn, maskArea);
    if (rec->isFloating) OffsetRgn(maskArea, SInt16(-rec->selOffset.h), SInt16(-rec->selOffset.v));
    SetGWorld(rec->maskPort.get(), nullptr);
    SetBlackOnWhite();
    if (s.kind == kPaintTransparent) EraseRgn(maskArea);
    else PaintRgn(maskArea);
    rec->lastPenPt = last;
    DispOffPort(s.window);
}

OSErr PaintOffPort(WindowRef window, SInt16 kind, Point start, Boolean shift) {
    PaintWinRec* rec = GetPaintWinRec(window);
    StrokeRef stroke;
    if (const OSErr err = BeginStroke(window, kind, &stroke); err != noErr) {
        SysBeep(1);
        SetUndoMode(kUndoNone);
        return err;
    }
    Stroke& s = *stroke;
    SavedGWorld savedPort;
    const Point offset = PenOffset(s.penSize);
    Point prev{SInt16(start.v + offset.v), SInt16(start.h + offset.h)};
    bool horizontal = true;
    if (!shift) {
        StrokeLine(&s, prev, prev);
    } else {
        // The click point is the start: a pointer read now may already have moved.
        const Point down = start;
        Point now = PointerPenPoint(s, Point{0, 0});
        const UInt32 began = TickCount();
        while (now.h == down.h && now.v == down.v && StillDown() && TickCount() - began < kShiftWaitTicks)
            now = PointerPenPoint(s, Point{0, 0});
        const bool moved = now.h != down.h || now.v != down.v;
        if (rec->undoMode == kUndoPaint && !moved) {
            // Continues the last stroke with a straight line from its end.
            StrokeLine(&s, rec->lastPenPt, prev);
        } else {
            horizontal = std::abs(now.h - down.h) >= std::abs(now.v - down.v);
            StrokeLine(&s, prev, prev);
        }
    }

    while (StillDown()) {
        Point pt = PointerPenPoint(s, offset);
        if (shift) {
            if (horizontal) pt.v = prev.v;
            else pt.h = prev.h;
        }
        if (pt.h == prev.h && pt.v == prev.v) continue;
        StrokeLine(&s, prev, pt);
        prev = pt;
    }

    EndStroke(&s, prev);
    return noErr;
}

void DoPaint(WindowRef window, Point localPt, Boolean shift) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SetPenCursor(0);
    if (GoOffPort(window) != noErr) {
        SysBeep(1);
        SetUndoMode(kUndoNone);
        return;
    }
    Point pt = localPt;
    ToRealPos(&pt, rec->ratio);
    const Point penSize{gPenHeight, gPenWidth};
    SInt16 kind = kPaintCurrentColor;
    SInt16 mode = gBlendMode;
    if (gCurrentColor.isTransparent) {
        kind = kPaintTransparent;
        mode = patCopy;
    } else if (PencilToggles(rec, pt, penSize, gBlendMode)) {
        kind = gBackColor.isTransparent ? kPaintTransparent : kPaintBackColor;
        mode = patCopy;
    }
    StrokeWith(window, kind, localPt, shift, penSize, mode);
}

void DoErase(WindowRef window, Point localPt, Boolean shift) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    SetPenCursor(1);
    if (GoOffPort(window) != noErr) {
        SysBeep(1);
        SetUndoMode(kUndoNone);
        return;
    }
    const SInt16 kind = gBackColor.isTransparent ? kPaintTransparent : kPaintBackColor;
    StrokeWith(window, kind, localPt, shift, Point{gEraserHeight, gEraserWidth}, patCopy);
}


void DoDotPaintMain(WindowRef window, Point pt) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return;
    if (rec->undoMode != kUndoDotPaint) {
        // A run of dots is one undo step, which also takes the dot and the input back.
        if (GoOffPort(window) != noErr) {
            SysBeep(1);
            SetUndoMode(kUndoNone);
            return;
        }
        SetEmptyRgn(rec->updateRgn);
        rec->undoDotPos = rec->dotPos;
        PStrCopy(rec->inputCommand, rec->undoInputCommand);
    }
    const Point penSize{gPenHeight, gPenWidth};
    SInt16 kind = kPaintCurrentColor;
    SInt16 mode = gBlendMode;
    if (gCurrentColor.isTransparent) {
        kind = kPaintTransparent;
        mode = patCopy;
    } else if (PencilToggles(rec, pt, penSize, gBlendMode)) {
        kind = gBackColor.isTransparent ? kPaintTransparent : kPaintBackColor;
        mode = patCopy;
    }
    UniqueRgn before;
    CopyRgn(rec->updateRgn, before);
    PenState saved;
    {
        SavedGWorld port;
        SetGWorld(rec->offPort.get(), nullptr);
        GetPenState(&saved);
        PenSize(penSize.h, penSize.v);
        PenMode(mode);
        OpColor(&gBlendRatio);
    }
    StrokeRef stroke;
    const OSErr err = BeginStroke(window, kind, &stroke);
    if (err == noErr) {
        StrokeLine(stroke.get(), pt, pt);
        EndStroke(stroke.get(), pt);
        UnionRgn(before, rec->updateRgn, rec->updateRgn);
    }
    {
        SavedGWorld port;
        SetGWorld(rec->offPort.get(), nullptr);
        SetPenState(&saved);
        OpColor(&rgbBlackColor);
    }
    if (err != noErr) {
        SysBeep(1);
        return;
    }
    UpdateMenus();
    SetUndoMode(kUndoDotPaint);
    if (gPaletteCheck == kPaletteCheckDocumentColors) UpdatePaletteCheck();
}
