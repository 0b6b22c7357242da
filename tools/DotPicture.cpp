// Dot picture: the picture redrawn as scattered dots of its own colours, each
// softened into its eight neighbours, over white, the current colour or the
// (optionally faded) picture itself.
#include "tools/Effects.h"

#include "app/Alerts.h"
#include "image/Colors.h"
#include "paint/Undo.h"
#include "palettes/Prefs.h"
#include "platform/core/Geometry.h"
#include "platform/core/Random.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/Pen.h"

#include <algorithm>

namespace {

enum : DialogItemIndex {
    kBackgroundFirst = 3, kBackgroundLast = 5, kFadeItem = 6, kSpacingFirst = 7, kSpacingLast = 10
};

void MarkDot(const PixMap& dots, const Rect& r, int x, int y) {
    if (x < r.left || x >= r.right) return;
    const int col = x - dots.bounds.left;
    UInt8* row = PixRow(dots, y);
    row[col >> 3] = UInt8(row[col >> 3] | (0x80 >> (col & 7)));
}

// The dots of each row, right to left, 2·spacing + 2 to 2·spacing + 6 pixels
// apart, the rows staggered by 3 pixels in a three-row cycle. Remainders
// keep the sign of the dividend, as C++'s do.
void PlaceDots(const PixMap& dots, const Rect& r, SInt16 spacing) {
    auto step = [spacing] { return 2 * spacing + Random() % 3 + 4; };
    for (int y = r.top; y < r.bottom; ++y) {
        int x = r.right + 3 * (y % 3) + Random() % 3;
        while (x >= r.right) x -= step();
        MarkDot(dots, r, x, y);
        for (;;) {
            x -= step();
            if (x < r.left) break;
            MarkDot(dots, r, x, y);
        }
    }
}

struct Soften {
    SInt16 dh, dv;
    UInt16 weight;
};
constexpr Soften kSoften[] = {{-1, -1, 0x4000}, {0, -1, 0x8000}, {1, -1, 0x4000}, {-1, 0, 0x8000},
                              {1, 0, 0x8000},   {-1, 1, 0x4000}, {0, 1, 0x8000},  {1, 1, 0x4000}};

}  // namespace

DotPictureSettings GetDotPictureSettings() {
    DotPictureSettings s;
    s.background = std::clamp<SInt16>(PrefShort(&gDotPicturePrefs[0]), 0, 2);
    s.fade = gDotPicturePrefs[2] != 0;
    s.spacing = std::clamp<SInt16>(PrefShort(&gDotPicturePrefs[4]), 0, 3);
    return s;
}

OSErr ConfigureDotPicture(DotPictureSettings* settings) {
    DotPictureSettings s = GetDotPictureSettings();
    BeginModal();
    DialogRef d = GetNewDialog(kDotPictureDialog, nullptr, kFirstWindowOfClass);
    if (!d) {
        EndModal();
        SysBeep(1);
        return resNotFound;
    }
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);
    auto show = [&] {
        SetRadioGroup(d, kBackgroundFirst, kBackgroundLast, s.background);
        SetRadioGroup(d, kSpacingFirst, kSpacingLast, s.spacing);
        SetEffectItemValue(d, kFadeItem, s.fade ? 1 : 0);
        if (s.background == 2) EnableDialogItem(d, kFadeItem);
        else DisableDialogItem(d, kFadeItem);
    };
    show();
    ShowWindow(d);
    DialogItemIndex hit = 0;
    for (;;) {
        ModalDialog(MyModalDialogFilter, &hit);
        if (hit == kStdOkItemIndex || hit == kStdCancelItemIndex) break;
        if (hit >= kBackgroundFirst && hit <= kBackgroundLast) s.background = SInt16(hit - kBackgroundFirst);
        if (hit >= kSpacingFirst && hit <= kSpacingLast) s.spacing = SInt16(hit - kSpacingFirst);
        if (hit == kFadeItem && s.background == 2) s.fade = !s.fade;
        show();
    }
    DisposeDialog(d);
    EndModal();
    if (hit != kStdOkItemIndex) return userCanceledErr;
    PutPrefShort(&gDotPicturePrefs[0], s.background);
    gDotPicturePrefs[2] = s.fade ? 1 : 0;
    PutPrefShort(&gDotPicturePrefs[4], s.spacing);
    if (settings) *settings = s;
    return noErr;
}

void DoDotPicture(WindowRef window) {
    DotPictureSettings settings;
    if (ConfigureDotPicture(&settings) != noErr) return;
    DoDotPictureWith(window, settings);
}

void DoDotPictureWith(WindowRef window, const DotPictureSettings& settings) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    SavedGWorld saved;
    const Rect& r = target.rect;
    UniqueGWorld dots;
    if (NewGWorld(dots.out(), 1, &r, nullptr, nullptr, useTempMem) != noErr || !dots) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return;
    }
    SetBlackOnWhite(dots.get());
    EraseRect(&r);
    PlaceDots(**GetGWorldPixMap(dots.get()), r, std::clamp<SInt16>(settings.spacing, 0, 3));
    if (!BeginEffect(window)) return;

    GWorldPtr off = rec->offPort.get();
    SetBlackOnWhite(off);
    switch (settings.background) {
    case 0: EraseRect(&r); break;
    case 1:
        RGBForeColor(&gCurrentColor.rgb);
        PaintRect(&r);
        RGBForeColor(&rgbBlackColor);
        break;
    default:
        if (settings.fade) {
            const RGBColor half{0x8000, 0x8000, 0x8000};
            RGBForeColor(&rgbWhiteColor);
            OpColor(&half);
            PenMode(blend);
            PaintRect(&r);
            PenNormal();
            OpColor(&rgbBlackColor);
            RGBForeColor(&rgbBlackColor);
        }
        break;
    }
    const BitMap* source = GetPortBitMapForCopyBits(rec->undoPort.get());
    const BitMap* mask = GetPortBitMapForCopyBits(dots.get());
    const BitMap* dest = GetPortBitMapForCopyBits(off);
    SafeCopyDeepMask(source, mask, dest, &r, &r, &r, srcCopy, nullptr);
    for (const Soften& s : kSoften) {
        Rect moved = r;
        OffsetRect(&moved, s.dh, s.dv);
        const RGBColor weight{s.weight, s.weight, s.weight};
        OpColor(&weight);
        SafeCopyDeepMask(source, mask, dest, &r, &r, &moved, blend, nullptr);
    }
    OpColor(&rgbBlackColor);
    // The mask only gains: every non-white pixel becomes opaque.
    OrNonWhiteIntoMask(rec, r);
    FinishEffect(window, kUsedDotPicture, kUndoTone);
}
