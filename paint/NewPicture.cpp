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
#include <string_view>
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

// The first of the width and height fields that does not hold a size a new
// picture can have, or 0 when both do.
DialogItemIndex BadSizeItem(DialogRef dialog, SInt16* width, SInt16* height) {
    Str255 text;
    GetDialogItemText(dialog, kWidthItem, text);
    if (!ParsePictureEdge(text, width)) return kWidthItem;
    GetDialogItemText(dialog, kHeightItem, text);
    if (!ParsePictureEdge(text, height)) return kHeightItem;
    return 0;
}

}  // namespace

static_assert(kMaxPictureEdge <= kMaxGWorldEdge && Size(kMaxPictureEdge) * kMaxPictureEdge <= kMaxGWorldPixels,
              "every size a new picture accepts can have its buffers");

Boolean ParsePictureEdge(ConstStr255Param text, SInt16* edge) {
    if (!text || !edge) return false;
    std::string_view s(reinterpret_cast<const char*>(text + 1), text[0]);
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
    int value = 0;
    const auto [end, err] = std::from_chars(s.data(), s.data() + s.size(), value);
    if (s.empty() || err != std::errc() || end != s.data() + s.size() || value < 1 || value > kMaxPictureEdge)
        return false;
    *edge = SInt16(value);
    return true;
}

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
    Str255 typedWidth, typedHeight;
    GetDialogItemText(dialog, kWidthItem, typedWidth);
    GetDialogItemText(dialog, kHeightItem, typedHeight);
    SInt16 typedMode = defaultModeItem;
    SInt16 width = 0, height = 0;
    DialogItemIndex item = 0;
    for (;;) {
        ModalDialog(nullptr, &item);
        if (item == kStdCancelItemIndex) break;
        if (item == kStdOkItemIndex) {
            const DialogItemIndex bad = BadSizeItem(dialog, &width, &height);
            if (bad == 0) break;
            ErrorAlertFromResource(kPaintFileErrStrings, kPictureSizeMessage);
            SelectDialogItemText(dialog, bad, 0, 32767);
            continue;
        }
        if (item == kClipSizeItem && clip.present) {
            fromClip = !fromClip;
            SetItemValue(dialog, kClipSizeItem, fromClip ? 1 : 0);
            if (fromClip) {
                GetDialogItemText(dialog, kWidthItem, typedWidth);
                GetDialogItemText(dialog, kHeightItem, typedHeight);
                typedMode = ItemValue(dialog, kColorModeItem, defaultModeItem);
                SetItemNumber(dialog, kWidthItem, clip.width);
                SetItemNumber(dialog, kHeightItem, clip.height);
                SetItemValue(dialog, kColorModeItem, clip.colorModeItem);
            } else {
                SetDialogItemText(dialog, kWidthItem, typedWidth);
                SetDialogItemText(dialog, kHeightItem, typedHeight);
                SetItemValue(dialog, kColorModeItem, typedMode);
            }
            SelectDialogItemText(dialog, kWidthItem, 0, 32767);
        }
    }
    if (item == kStdOkItemIndex) {
        settings->pictRect = Rect{0, 0, height, width};
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
    // is a size out of range (the preferences may hold any).
    const int width = RectWidth(settings.pictRect), height = RectHeight(settings.pictRect);
    if (width < 1 || width > kMaxPictureEdge || height < 1 || height > kMaxPictureEdge) {
        ErrorAlertFromResource(kPaintFileErrStrings, kPictureSizeMessage);
        return;
    }
    const Rect pic{0, 0, SInt16(height), SInt16(width)};
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
