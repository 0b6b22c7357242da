#include "io/ImportPicture.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "io/OpenDocuments.h"
#include "io/OpenMessages.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/core/Geometry.h"
#include "platform/core/PString.h"
#include "platform/picture/GraphicsImport.h"
#include "platform/raster/Regions.h"
#include "platform/ui/Dialogs.h"

#include <string>

namespace {

constexpr SInt16 kDrawingSizeDialog = 1510;
enum : DialogItemIndex { kDrawingWidthItem = 3, kDrawingHeightItem = 4 };
constexpr SInt16 kNoPaintWindowItem = 11;  // in the picture file messages

std::string NameOf(const FSSpec& file) { return PStringToStd(file.name); }

void SetItemNumber(DialogRef dialog, DialogItemIndex item, SInt32 number) {
    Str255 text;
    CopyCStringToPascal(std::to_string(number), text);
    SetDialogItemText(dialog, item, text);
}

Boolean ReadEdge(DialogRef dialog, DialogItemIndex item, SInt16* edge) {
    Str255 text;
    GetDialogItemText(dialog, item, text);
    return ParsePictureEdge(text, edge);
}

// The size a drawing is drawn at: what the caller gave, or what the user
// chooses starting from the size of a new picture. False when cancelled.
Boolean ChooseDrawingSize(const FSSpec& file, const Rect* given, Rect* bounds) {
    if (given) {
        *bounds = Rect{0, 0, SInt16(given->bottom - given->top), SInt16(given->right - given->left)};
        return true;
    }
    SInt16 width = SInt16(gPaintWinPrefs.pictRect.right - gPaintWinPrefs.pictRect.left);
    SInt16 height = SInt16(gPaintWinPrefs.pictRect.bottom - gPaintWinPrefs.pictRect.top);
    if (!AskDrawingSize(file.name, &width, &height)) return false;
    *bounds = Rect{0, 0, height, width};
    return true;
}

}  // namespace

Boolean AskDrawingSize(ConstStr255Param name, SInt16* width, SInt16* height) {
    ParamText(name, nullptr, nullptr, nullptr);
    BeginModal();
    DialogRef dialog = GetNewDialog(kDrawingSizeDialog, nullptr, kFirstWindowOfClass);
    if (!dialog) {
        EndModal();
        return false;
    }
    SetDialogDefaultItem(dialog, kStdOkItemIndex);
    SetDialogCancelItem(dialog, kStdCancelItemIndex);
    SetItemNumber(dialog, kDrawingWidthItem, *width);
    SetItemNumber(dialog, kDrawingHeightItem, *height);
    SelectDialogItemText(dialog, kDrawingWidthItem, 0, 32767);
    ShowWindow(dialog);
    DialogItemIndex item = 0;
    SInt16 w = 0, h = 0;
    for (;;) {
        ModalDialog(MyModalDialogFilter, &item);
        if (item == kStdCancelItemIndex) break;
        if (item != kStdOkItemIndex) continue;
        const Boolean widthOk = ReadEdge(dialog, kDrawingWidthItem, &w);
        const Boolean heightOk = widthOk && ReadEdge(dialog, kDrawingHeightItem, &h);
        if (widthOk && heightOk && Size(w) * h <= kMaxImportPixels) break;
        ErrorAlertFromResource(kOpenErrStrings, kDrawingSizeMessage);
        SelectDialogItemText(dialog, widthOk ? kDrawingHeightItem : kDrawingWidthItem, 0, 32767);
    }
    DisposeDialog(dialog);
    EndModal();
    if (item != kStdOkItemIndex) return false;
    *width = w;
    *height = h;
    return true;
}

OSErr OpenImportedPicture(const FSSpec& file) { return OpenImportedPictureAt(file, nullptr); }

OSErr OpenImportedPictureAt(const FSSpec& file, const Rect* drawingSize) {
    if (IsFileOpened(file)) return noErr;
    GraphicsImportComponent raw = nullptr;
    if (const OSErr err = GetGraphicsImporterForFile(&file, &raw); err != noErr) {
        if (err == cantFindHandler) ErrorAlertNamed(kOpenErrStrings, kNotAPictureMessage, NameOf(file));
        else ErrorAlertNamed(kPaintFileErrStrings, kCannotOpenItemMessage, NameOf(file));
        return err;
    }
    UniqueGraphicsImporter importer(raw);
    auto refuse = [&](OSErr err) {
        AlertWithReason(kCannotImportMessage, NameOf(file), GraphicsImportGetError(importer.get()));
        return err;
    };
    ImageDescription desc;
    (void)GraphicsImportGetImageDescription(importer.get(), &desc);
    Rect bounds{};
    const Boolean ownSize = !desc.isVector || (drawingSize && EmptyRect(drawingSize));
    if (!ownSize) {
        if (!ChooseDrawingSize(file, drawingSize, &bounds)) return userCanceledErr;
        if (const OSErr err = GraphicsImportSetBoundsRect(importer.get(), &bounds); err != noErr) return refuse(err);
    } else if (const OSErr err = GraphicsImportGetNaturalBounds(importer.get(), &bounds); err != noErr) {
        return refuse(err);
    }

    const SInt16 depth = desc.depth <= 8 ? 8 : 24;
    WindowRef window = MakePaintWindow(&bounds, gPaintWinPrefs.ratio, depth);
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) {
        ErrorAlertFromResource(kPaintFileErrStrings, kNoPaintWindowItem);
        return memFullErr;
    }
    EraseOffPort(rec);
    (void)GraphicsImportSetGWorld(importer.get(), rec->offPort.get());
    (void)GraphicsImportSetMaskGWorld(importer.get(), rec->maskPort.get());
    if (const OSErr err = GraphicsImportDraw(importer.get()); err != noErr) {
        rec->isDirty = false;
        (void)ClosePaintWindow(window, false);
        return refuse(err);
    }
    rec->picRect = bounds;
    rec->fileType = FourCC("PICT");
    rec->fileCreator = gPICTCreator;
    rec->hasFile = false;
    rec->isDirty = false;
    rec->undoMode = 0;
    rec->fileSpec = file;
    SetEditWindowTitle(window);
    RectRgn(rec->updateRgn, &bounds);
    DispOffPort(window);
    CountUse(kUsedOpened);
    UpdateMenus();
    return noErr;
}
