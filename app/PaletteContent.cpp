#include "app/PaletteContent.h"

#include "app/Alerts.h"
#include "app/AppResources.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "image/Colors.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "palettes/BlendPalette.h"
#include "palettes/ColorPalettes.h"
#include "palettes/DotMode.h"
#include "palettes/PatternPalette.h"
#include "platform/core/PString.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Text.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Dialogs.h"

#include <string>

namespace {

constexpr SInt16 kAboutDialogID = 128;

constexpr Rect kCColorRect{2, 2, 16, 16};
constexpr Rect kBackSwatchRect{2, 19, 16, 33};
constexpr Rect kExchangeRect{13, 13, 17, 22};
constexpr Rect kLockRect{18, 1, 26, 34};

Rect TColorRect(int i) { return Rect{SInt16(28 + 15 * i), 2, SInt16(42 + 15 * i), 16}; }
Rect BColorRect(int i) { return Rect{SInt16(28 + 15 * i), 19, SInt16(42 + 15 * i), 33}; }

void DrawPictureResource(SInt16 id, const Rect* frame) {
    Handle pic = GetResource(FourCC("PICT"), id);
    if (!pic) return;
    Rect bounds;
    if (!frame) {
        QDGetPictureBounds(pic, &bounds);
        OffsetRect(&bounds, SInt16(-bounds.left), SInt16(-bounds.top));
        frame = &bounds;
    }
    DrawPicture(pic, frame);
}

void PaintSwatch(const Rect& r, const RGBColor& color) {
    RGBForeColor(&color);
    PaintRect(&r);
    RGBForeColor(&rgbBlackColor);
}

void DrawTransparentMark(SInt16 right) {
    TextFont(1);
    TextSize(9);
    const UInt8 t[2] = {1, 'T'};
    MoveTo(SInt16(right - StringWidth(t)), 15);
    DrawString(t);
    TextSize(0);
    TextFont(0);
}

}  // namespace

void DrawBlend() {
    if (!gBlendPalettePtr) return;
    SavedGWorld saved;
    SetGWorld(gBlendPalettePtr, nullptr);
    Rect bounds;
    GetPortBounds(gBlendPalettePtr, &bounds);
    UniqueRgn savedClip;
    GetClip(savedClip.get());
    if (gBlendLocked) {
        UniqueRgn keep, part;
        RectRgn(keep.get(), &kCColorRect);
        RectRgn(part.get(), &kLockRect);
        UnionRgn(keep.get(), part.get(), keep.get());
        RectRgn(part.get(), &kBackSwatchRect);
        UnionRgn(keep.get(), part.get(), keep.get());
        SetClip(keep.get());
    }
    EraseRect(&bounds);
    DrawPictureResource(152, &bounds);
    PaintSwatch(kCColorRect, gCurrentColor.rgb);
    if (gCurrentColor.isTransparent) DrawTransparentMark(15);
    PaintSwatch(kBackSwatchRect, gBackColor.rgb);
    if (gBackColor.isTransparent) DrawTransparentMark(32);
    DrawPictureResource(154, &kExchangeRect);
    if (!gBlendLocked) {
        for (int i = 0; i < 5; ++i) PaintSwatch(TColorRect(i), gCurrentColor.rgb);
        Rect r = TColorRect(0);
        LightenRect(&r);
        LightenRect(&r);
        r = TColorRect(1);
        LightenRect(&r);
        r = TColorRect(4);
        DarkenRect(&r);
        DarkenRect(&r);
        r = TColorRect(3);
        DarkenRect(&r);
        RGBColor c = gCurrentColor.rgb, p = gPrevColor.rgb;
        RGBColor m = c;
        BlendColor(&m, &p);
        RGBColor mc = m, mp = m;
        BlendColor(&mc, &c);
        BlendColor(&mp, &p);
        const RGBColor column[5] = {c, mc, m, mp, p};
        for (int i = 0; i < 5; ++i) PaintSwatch(BColorRect(i), column[i]);
    } else {
        DrawPictureResource(153, &kLockRect);
    }
    SetClip(savedClip.get());
    RGBForeColor(&rgbBlackColor);
}

Boolean PaletteHasContent(WindowRef window) {
    if (window != DotModePalette) return window != nullptr;
    // The dot-mode palette speaks for the front paint document in dot mode only.
    WindowRef front = FrontDocumentWindow();
    const PaintWinRec* rec = GetExtWindowKind(front) == kPaintWindowKind ? GetPaintWinRec(front) : nullptr;
    return rec && rec->dotMode;
}

void DrawPaletteContent(WindowRef window, SInt16 kind) {
    Rect port;
    GetWindowPortBounds(window, &port);
    EraseRect(&port);
    switch (kind) {
    case kToolPaletteKind:
        DrawPictureResource(132, &port);
        DarkenRect(&gToolRect);
        break;
    case kColorPalette1Kind:
        DrawColorPalette(window, kColorPalette1);
        break;
    case kColorPalette2Kind:
        DrawColorPalette(window, kColorPalette2);
        break;
    case kFavoritePaletteKind:
        UpdateFavoritePalette(window);
        break;
    case kBlendPaletteKind:
        if (gBlendPalettePtr) {
            Rect src;
            GetPortBounds(gBlendPalettePtr, &src);
            CopyBits(GetPortBitMapForCopyBits(gBlendPalettePtr), GetPortBitMapForCopyBits(GetWindowPort(window)),
                     &src, &src, srcCopy, nullptr);
        }
        break;
    case kTitleWindowKind:
        DrawPictureResource(139, &port);
        break;
    case kPatternPaletteKind:
        UpdatePatternPalette();
        break;
    case kDotModePaletteKind:
        UpdateDotModePalette(window);
        break;
    default:
        // The info palette is drawn by RedrawInfo.
        break;
    }
}

void ClickPaletteContent(WindowRef, SInt16 kind, Point local, const EventRecord* event) {
    const EventModifiers mods = event ? event->modifiers : 0;
    const Boolean option = (mods & optionKey) != 0, command = (mods & cmdKey) != 0;
    switch (kind) {
    case kColorPalette1Kind:
    case kColorPalette2Kind:
        if (mods & controlKey) ColorPalettePopup(event->where);
        else if (kind == kColorPalette1Kind) ClickColorPalette1(local, option, command);
        else ClickColorPalette2(local, option, command);
        break;
    case kFavoritePaletteKind:
        if (!(mods & controlKey)) ClickFavoritePalette(local, option, command);
        break;
    case kPatternPaletteKind:
        ClickPatternPalette(local);
        break;
    case kBlendPaletteKind:
        ClickBlendPalette(local, option, command, (mods & controlKey) != 0);
        break;
    case kDotModePaletteKind:
        ClickDotModePalette(local, event);
        break;
    default:
        // Clicks in the other palettes do nothing.
        break;
    }
}

void DoAboutBox() {
    // The version `korvel --version` prints fills the dialog's ^0.
    Str255 version;
    CopyCStringToPascal(ApplicationVersionString(), version);
    ParamText(version, nullptr, nullptr, nullptr);
    DialogRef dialog = GetNewDialog(kAboutDialogID, nullptr, kFirstWindowOfClass);
    if (!dialog) {
        SysBeep(1);
        return;
    }
    BeginModal();
    ShowWindow(dialog);
    DialogItemIndex item = 0;
    do {
        ModalDialog(MyModalDialogFilter, &item);
    } while (item != kStdOkItemIndex && item != kStdCancelItemIndex);
    DisposeDialog(dialog);
    EndModal();
}
