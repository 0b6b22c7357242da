// A new, untitled picture and the new-picture dialog.
#include "paint/PaintWindow.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/WindowKinds.h"
#include "image/Colors.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/Pen.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Scrap.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <unordered_set>

namespace {

constexpr SInt16 kPictSizeDialog = 135;
enum : DialogItemIndex {
    kWidthItem = 3, kHeightItem = 4, kColorModeItem = 5, kZoomItem = 6, kClipSizeItem = 7, kBackgroundItem = 8,
};

// What the clipboard's picture suggests: its size and whether it needs more
// than 256 colours.
struct ClipboardPicture {
    bool present = false;
    SInt16 width = 0, height = 0;
    SInt16 colorModeItem = 1;
};

ClipboardPicture LookAtClipboard() {
    ClipboardPicture clip;
    ScrapPicture picture;
    if (GetScrapPicture(&picture) != noErr) return clip;
    clip.present = true;
    clip.width = picture.width;
    clip.height = picture.height;
    std::unordered_set<UInt32> colours;
    for (size_t i = 0; i < picture.pixels.size() && colours.size() <= 256; ++i) colours.insert(picture.pixels[i]);
    clip.colorModeItem = colours.size() > 256 ? 2 : 1;
    return clip;
}

ControlRef ItemControl(DialogRef dialog, DialogItemIndex item) {
    ControlRef control = nullptr;
    if (GetDialogItemAsControl(dialog, item, &control) != noErr) return nullptr;
    return control;
}

SInt16 ItemValue(DialogRef dialog, DialogItemIndex item, SInt16 otherwise) {
    ControlRef control = ItemControl(dialog, item);
    return control ? GetControlValue(control) : otherwise;
}

void SetItemValue(DialogRef dialog, DialogItemIndex item, SInt16 value) {
    if (ControlRef control = ItemControl(dialog, item)) SetControlValue(control, value);
}

void SetItemNumber(DialogRef dialog, DialogItemIndex item, SInt32 number) {
    Str255 text;
    CopyCStringToPascal(std::to_string(number), text);
    SetDialogItemText(dialog, item, text);
}

SInt32 ItemNumber(DialogRef dialog, DialogItemIndex item) {
    Str255 text;
    GetDialogItemText(dialog, item, text);
    const std::string s = PStringToStd(text);
    SInt32 value = 0;
    const char* begin = s.data();
    while (begin != s.data() + s.size() && *begin == ' ') ++begin;
    std::from_chars(begin, s.data() + s.size(), value);
    return value;
}

}  // namespace

SInt16 ConfigurePictSize(PictSizeSettings* settings) {
    const ClipboardPicture clip = LookAtClipboard();
    BeginModal();
    DialogRef dialog = GetNewDialog(kPictSizeDialog, nullptr, kFirstWindowOfClass);
    if (!dialog) {
        EndModal();
        return -1;
    }
    SetDialogDefaultItem(dialog, kStdOkItemIndex);
    SetDialogCancelItem(dialog, kStdCancelItemIndex);

    const SInt16 defaultModeItem = settings->colorMode == 8 ? 1 : 2;
    bool fromClip = settings->sizeFromClipboard && clip.present;
    if (!clip.present) DisableDialogItem(dialog, kClipSizeItem);
    SetItemValue(dialog, kClipSizeItem, fromClip ? 1 : 0);
    SetItemNumber(dialog, kWidthItem, fromClip ? clip.width : RectWidth(settings->pictRect));
    SetItemNumber(dialog, kHeightItem, fromClip ? clip.height : RectHeight(settings->pictRect));
    SetItemValue(dialog, kColorModeItem, fromClip ? clip.colorModeItem : defaultModeItem);
    SetItemValue(dialog, kZoomItem, SInt16(settings->ratio + 1));
    SetItemValue(dialog, kBackgroundItem, SInt16(settings->backgroundKind + 1));
    SelectDialogItemText(dialog, kWidthItem, 0, 32767);
    ShowWindow(dialog);

    // What was typed before the clipboard's size replaced it.
    SInt32 typedWidth = RectWidth(settings->pictRect), typedHeight = RectHeight(settings->pictRect);
    SInt16 typedMode = defaultModeItem;
    DialogItemIndex item = 0;
    for (;;) {
        ModalDialog(nullptr, &item);
        if (item == kStdOkItemIndex || item == kStdCancelItemIndex) break;
        if (item == kClipSizeItem && clip.present) {
            fromClip = !fromClip;
            SetItemValue(dialog, kClipSizeItem, fromClip ? 1 : 0);
            if (fromClip) {
                typedWidth = ItemNumber(dialog, kWidthItem);
                typedHeight = ItemNumber(dialog, kHeightItem);
                typedMode = ItemValue(dialog, kColorModeItem, defaultModeItem);
                SetItemNumber(dialog, kWidthItem, clip.width);
                SetItemNumber(dialog, kHeightItem, clip.height);
                SetItemValue(dialog, kColorModeItem, clip.colorModeItem);
            } else {
                SetItemNumber(dialog, kWidthItem, typedWidth);
                SetItemNumber(dialog, kHeightItem, typedHeight);
                SetItemValue(dialog, kColorModeItem, typedMode);
            }
            SelectDialogItemText(dialog, kWidthItem, 0, 32767);
        }
    }
    if (item == kStdOkItemIndex) {
        const SInt32 width = ItemNumber(dialog, kWidthItem), height = ItemNumber(dialog, kHeightItem);
        settings->pictRect = Rect{0, 0, SInt16(std::clamp<SInt32>(height, 0, 32767)),
                                  SInt16(std::clamp<SInt32>(width, 0, 32767))};
        settings->colorMode = ItemValue(dialog, kColorModeItem, defaultModeItem) == 1 ? 8 : 24;
        settings->ratio = SInt16(std::clamp<SInt16>(SInt16(ItemValue(dialog, kZoomItem, 1) - 1), 0, 4));
        settings->backgroundKind = SInt16(ItemValue(dialog, kBackgroundItem, 1) - 1);
        settings->sizeFromClipboard = fromClip ? 1 : 0;
        gPaintWinPrefs.sizeFromClipboard = settings->sizeFromClipboard;
    }
    DisposeDialog(dialog);
    EndModal();
    UpdateMenus();
    return item;
}

void NewPaintWindow() {
    PictSizeSettings settings;
    settings.pictRect = gPaintWinPrefs.pictRect;
    settings.ratio = gPaintWinPrefs.ratio;
    settings.showSizeDialog = gPaintWinPrefs.showSizeDialog;
    settings.sizeFromClipboard = gPaintWinPrefs.sizeFromClipboard;
    settings.backgroundKind = gPaintWinPrefs.backgroundKind;
    settings.colorMode = gPaintWinPrefs.colorMode;

    bool showDialog = settings.showSizeDialog != 0;
    if (GetCurrentKeyModifiers() & optionKey) showDialog = !showDialog;
    if (showDialog && ConfigurePictSize(&settings) == kStdCancelItemIndex) return;

    // Memory is asked of the system as needed; what can be refused up front
    // is a picture whose buffers the drawing layer would never make.
    const Rect pic{0, 0, SInt16(RectHeight(settings.pictRect)), SInt16(RectWidth(settings.pictRect))};
    const Size pixels = Size(RectWidth(pic)) * Size(RectHeight(pic));
    if (EmptyRect(&pic) || RectWidth(pic) > kMaxGWorldEdge || RectHeight(pic) > kMaxGWorldEdge ||
        pixels > kMaxGWorldPixels) {
        ErrorAlertFromResource(kPaintFileErrStrings, 1);
        return;
    }
    WindowRef window = MakePaintWindow(&pic, settings.ratio, settings.colorMode);
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) {
        ErrorAlertFromResource(kPaintFileErrStrings, 1);
        return;
    }
    rec->fileType = FourCC("PICT");
    rec->fileCreator = gPICTCreator;
    rec->hasFile = false;
    rec->undoMode = 0;
    rec->isDirty = false;
    FillNewPicture(rec, settings.backgroundKind);

    MakeUntitledFileName(FourCC("PICT"), rec->fileSpec.name);
    SetEditWindowTitle(window);
    CountUse(kUsedNewPicture);
    UpdateMenus();
    if (gPreviewWindow) {
        Rect all;
        GetWindowPortBounds(gPreviewWindow, &all);
        InvalWindowRect(gPreviewWindow, &all);
    }
}

void FillNewPicture(PaintWinRec* rec, SInt16 backgroundKind) {
    SavedGWorld saved;
    SetGWorld(rec->maskPort.get(), nullptr);
    RGBForeColor(&rgbBlackColor);
    RGBBackColor(&rgbWhiteColor);
    PenNormal();
    switch (backgroundKind) {
    case 0: PaintRect(&rec->picRect); break;
    case 1:
        EraseRect(&rec->picRect);
        rec->hasTransparency = true;
        break;
    case 2:
        if (!gBackColor.isTransparent) {
            PaintRect(&rec->picRect);
            SetGWorld(rec->offPort.get(), nullptr);
            RGBBackColor(&gBackColor.rgb);
            EraseRect(&rec->picRect);
            RGBBackColor(&rgbWhiteColor);
        } else {
            EraseRect(&rec->picRect);
            rec->hasTransparency = true;
        }
        break;
    default: break;
    }
    // What is shown must follow the image from the start.
    ComposeDispPort(rec);
}
