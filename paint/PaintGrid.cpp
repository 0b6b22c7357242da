// The zoomed picture: mapping between window points and image pixels, the
// 1:1 preview image, the zoomed image and its grids.
#include "paint/PaintView.h"

#include "image/Colors.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Patterns.h"

#include <algorithm>

namespace {

constexpr SInt16 kPixelGrid4List = 128;   // pixel-grid patterns at 4x
constexpr SInt16 kPixelGrid8List = 129;   // at 8x and 16x
constexpr SInt16 kBlockGrid4List = 130;   // block-grid patterns at 4x
constexpr SInt16 kBlockGrid8List = 131;   // at 8x and 16x
constexpr SInt16 kBlockGridPlainList = 132;  // at 1x and 2x

SInt16 PixelGridStyle() { return SInt16(gToolPrefs.gridSetting & 0x0F); }
SInt16 BlockGridCode() { return SInt16((gToolPrefs.gridSetting >> 4) & 0x0F); }

// Without the application's patterns the grids fall back to light dotted
// lines: every other pixel, every fourth at 1x and 2x.
Pattern GridPattern(SInt16 listID, SInt16 index) {
    Pattern pat;
    if (GetIndPattern(&pat, listID, index)) return pat;
    switch (listID) {
    case kPixelGrid4List: return Pattern{{0xAA, 0x00, 0x88, 0x00, 0xAA, 0x00, 0x88, 0x00}};
    case kBlockGridPlainList: return Pattern{{0x88, 0x00, 0x00, 0x00, 0x80, 0x00, 0x00, 0x00}};
    default: return Pattern{{0xAA, 0x00, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00}};
    }
}

// Where drawing into the current port can show: its rectangle within the
// clip's bounds. Grid lines are cut to it, since a zoomed picture made for an
// update is a small part of a very long line.
Rect DrawableBox() {
    CGrafPtr port = GetQDGlobalsThePort();
    Rect box = port->portRect;
    if (port->clipRgn) {
        Rect clip;
        GetRegionBounds(port->clipRgn, &clip);
        if (!SectRect(&box, &clip, &box)) box = Rect{0, 0, 0, 0};
    }
    return box;
}

void VerticalLine(const Rect& box, int x, int length) {
    if (x < box.left || x >= box.right) return;
    const int from = std::max<int>(0, box.top), to = std::min<int>(length, box.bottom);
    if (from >= to) return;
    MoveTo(SInt16(x), SInt16(from));
    LineTo(SInt16(x), SInt16(to - 1));
}

void HorizontalLine(const Rect& box, int y, int length) {
    if (y < box.top || y >= box.bottom) return;
    const int from = std::max<int>(0, box.left), to = std::min<int>(length, box.right);
    if (from >= to) return;
    MoveTo(SInt16(from), SInt16(y));
    LineTo(SInt16(to - 1), SInt16(y));
}

// The mode and weight of the foreground over the background layer, by level.
SInt16 ForegroundMode(const PaintWinRec* rec) {
    static constexpr UInt16 kWeights[5] = {0, 0xC000, 0x8000, 0x4000, 0x0000};
    if (rec->foreTrans <= 0 || rec->foreTrans > 4) return srcCopy;
    const RGBColor weight{kWeights[rec->foreTrans], kWeights[rec->foreTrans], kWeights[rec->foreTrans]};
    OpColor(&weight);
    return blend;
}

}  // namespace

void ToRealPos(Point* pt, SInt16 ratio) {
    pt->h = SInt16(pt->h >> ratio);
    pt->v = SInt16(pt->v >> ratio);
}

void ToGridPos(Point* pt, SInt16 ratio) {
    pt->h = SInt16(pt->h * (1 << ratio));
    pt->v = SInt16(pt->v * (1 << ratio));
}

void FixToGrid(Point* pt) {
    const SInt16 code = BlockGridCode();
    if (code != 0 && code != 1 && code != 2) return;
    const SInt16 mask = code == 1 ? ~31 : ~15;
    pt->h = SInt16(pt->h & mask);
    pt->v = SInt16(pt->v & mask);
}

void FixToGrid2(Point* pt) {
    const SInt16 code = BlockGridCode();
    if (code != 0 && code != 1 && code != 2) return;
    const SInt16 half = code == 1 ? 16 : 8;
    const SInt16 mask = code == 1 ? ~31 : ~15;
    pt->h = SInt16((pt->h + half) & mask);
    pt->v = SInt16((pt->v + half) & mask);
}

SInt16 FitRatio(const Rect* picRect, SInt16 ratio) {
    ratio = std::clamp<SInt16>(ratio, 0, 4);
    const int edge = std::max(RectWidth(*picRect), RectHeight(*picRect));
    while (ratio > 0 && (edge << ratio) + 15 > 32767) --ratio;
    return ratio;
}

GWorldPtr MakePreviewImage(PaintWinRec* rec) {
    if (!rec->backPort) return rec->dispPort.get();
    GWorldPtr temp = nullptr;
    const SInt16 depth = rec->depth == 24 ? 32 : rec->depth;
    if (NewGWorld(&temp, depth, &rec->picRect, nullptr, nullptr, useTempMem) != noErr || !temp) return nullptr;
    SavedGWorld saved;
    SetGWorld(temp, nullptr);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    EraseRect(&rec->picRect);
    const BitMap* dst = GetPortBitMapForCopyBits(temp);
    if (rec->showBack)
        CopyBits(GetPortBitMapForCopyBits(rec->backPort.get()), dst, &rec->picRect, &rec->picRect, srcCopy,
                 nullptr);
    if (rec->foreTrans != 4) {
        const SInt16 mode = ForegroundMode(rec);
        if (!rec->isFloating) {
            CopyDeepMask(GetPortBitMapForCopyBits(rec->offPort.get()), GetPortBitMapForCopyBits(rec->maskPort.get()),
                         dst, &rec->picRect, &rec->picRect, &rec->picRect, mode, nullptr);
        } else {
            // The mask of what is shown: the lifted part where it lies now, over the rest.
            GWorldPtr mask = nullptr;
            if (NewGWorld(&mask, 1, &rec->picRect, nullptr, nullptr, useTempMem) == noErr && mask) {
                UniqueGWorld maskOwner(mask);
                SetGWorld(mask, nullptr);
                EraseRect(&rec->picRect);
                Rect selBounds;
                GetRegionBounds(rec->selRgn, &selBounds);
                const BitMap* maskBits = GetPortBitMapForCopyBits(mask);
                CopyBits(GetPortBitMapForCopyBits(rec->maskPort.get()), maskBits, &rec->selRect, &selBounds,
                         srcCopy, rec->selRgn);
                CopyBits(GetPortBitMapForCopyBits(rec->baseMask.get()), maskBits, &rec->picRect, &rec->picRect,
                         srcOr, nullptr);
                SetGWorld(temp, nullptr);
                const SInt16 floatMode = ForegroundMode(rec);
                CopyDeepMask(GetPortBitMapForCopyBits(rec->dispPort.get()), maskBits, dst, &rec->picRect,
                             &rec->picRect, &rec->picRect, floatMode, nullptr);
            }
        }
        OpColor(&rgbBlackColor);
    }
    return temp;
}

GWorldPtr MakePaintImage(PaintWinRec* rec, RgnHandle clip) {
    GWorldPtr preview = MakePreviewImage(rec);
    if (!preview) return nullptr;
    const SInt16 r = rec->ratio;
    const int cell = 1 << r;
    // Only the part that will be shown is made: the clip's bounds, widened to
    // whole pixel squares and to the 8-pixel phase of the grid patterns.
    Rect bounds = rec->dispRect;
    if (clip) {
        Rect clipBounds;
        GetRegionBounds(clip, &clipBounds);
        if (!SectRect(&rec->dispRect, &clipBounds, &bounds)) bounds = Rect{0, 0, 0, 0};
    }
    const int align = std::max(8, cell);
    bounds.top = SInt16(bounds.top / align * align);
    bounds.left = SInt16(bounds.left / align * align);
    bounds.bottom = SInt16(std::min<int>((bounds.bottom + cell - 1) / cell * cell, rec->dispRect.bottom));
    bounds.right = SInt16(std::min<int>((bounds.right + cell - 1) / cell * cell, rec->dispRect.right));
    auto releasePreview = [&] {
        if (rec->backPort) DisposeGWorld(preview);
    };
    GWorldPtr image = nullptr;
    if (EmptyRect(&bounds) ||
        NewGWorld(&image, rec->depth == 24 ? 32 : rec->depth, &bounds, nullptr, nullptr, useTempMem) != noErr ||
        !image) {
        releasePreview();
        return nullptr;
    }
    SavedGWorld saved;
    SetGWorld(image, nullptr);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    if (clip) SetClip(clip);
    EraseRect(&bounds);
    const Rect src{SInt16(bounds.top >> r), SInt16(bounds.left >> r), SInt16(bounds.bottom >> r),
                   SInt16(bounds.right >> r)};
    CopyBits(GetPortBitMapForCopyBits(preview), GetPortBitMapForCopyBits(image), &src, &bounds, srcCopy, nullptr);
    if (gToolPrefs.gridSetting != 1) DrawGridMain(r, rec);
    releasePreview();
    ClipRect(&bounds);
    return image;
}

void DrawGridMain(SInt16 ratio, PaintWinRec* rec) {
    const SInt16 style = PixelGridStyle();
    const SInt16 code = BlockGridCode();
    const Rect& disp = rec->dispRect;
    const int width = RectWidth(rec->picRect), height = RectHeight(rec->picRect);
    const Rect box = DrawableBox();
    PenState saved;
    GetPenState(&saved);
    RGBColor savedFore;
    GetForeColor(&savedFore);

    if (style >= 2 && ratio >= 2) {
        const Pattern pat = GridPattern(ratio == 2 ? kPixelGrid4List : kPixelGrid8List, style);
        RGBForeColor(&gToolPrefs.pixelGridColor);
        PenNormal();
        PenPat(&pat);
        PenMode(patOr);
        if (ratio < 4) {
            PaintRect(&disp);
        } else {
            for (int x = disp.left; x <= disp.right; x += 16) VerticalLine(box, x, RectHeight(disp));
            for (int y = disp.top; y <= disp.bottom; y += 16) HorizontalLine(box, y, RectWidth(disp));
        }
        RGBForeColor(&rgbBlackColor);
        PenNormal();
    }
    // Codes past 6 would mean blocks smaller than a pixel: no block grid.
    if (code >= 1 && code <= 6) {
        Pattern pat;
        if (ratio <= 1) pat = GridPattern(kBlockGridPlainList, 1);
        else pat = GridPattern(ratio == 2 ? kBlockGrid4List : kBlockGrid8List, std::max<SInt16>(style, 1));
        PenNormal();
        PenPat(&pat);
        PenMode(patOr);
        RGBForeColor(&gToolPrefs.blockGridColor);
        const int n = 6 - code;
        for (int i = 1; i <= (width >> n); ++i) VerticalLine(box, i << (n + ratio), height << ratio);
        for (int i = 1; i <= (height >> n); ++i) HorizontalLine(box, i << (n + ratio), width << ratio);
        RGBForeColor(&rgbBlackColor);
        PenNormal();
    }
    SetPenState(&saved);
    RGBForeColor(&savedFore);
}
