#include "paint/PaintDrag.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/IconConvert.h"
#include "icons/WinIcon.h"
#include "image/CustomIcons.h"
#include "image/IconFamilyFiles.h"
#include "io/Clipboard.h"
#include "io/DocumentPicture.h"
#include "paint/PaintView.h"
#include "paint/PaintViewInternal.h"
#include "paint/PaintWindow.h"
#include "paint/Undo.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/icons/IconSuites.h"
#include "platform/raster/GWorld.h"
#include "tools/Selection.h"

#include <cctype>
#include <cstring>
#include <string>

namespace {

constexpr FlavorType kPictFlavor = FourCC("PICT");
enum : SInt16 { kDropErrStrings = 4013, kDamagedDropItem = 1, kNoIconItem = 2, kNoMemoryDropItem = 3 };
// The drag state's two flags (PaintWinRec::dragHilite).
enum { kDropFlag = 0, kEnteredFlag = 1 };

bool SameTextIgnoringCase(const std::string& a, const char* b) {
    if (a.size() != std::strlen(b)) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// The image area as a region of the window's local coordinates.
void ImageAreaRgn(WindowRef window, RgnHandle rgn) {
    const Rect area = PaintImageArea(window);
    RectRgn(rgn, &area);
}

// Pastes the picture as a new floating selection. The undo mode (8, or 0
// when the paste failed) goes through SetUndoMode in the front document
// window; any other window keeps it in its record, so that neither the menus
// nor its modified flag change.
OSErr PasteDropped(WindowRef window, PicHandle picture) {
    PaintWinRec* rec = GetPaintWinRec(window);
    const OSErr err = PutPictureIntoEditWin(picture, window);
    const SInt16 mode = err == noErr ? SInt16(kUndoPaste) : SInt16(kUndoNone);
    if (window == FrontDocumentWindow())
        SetUndoMode(mode);
    else
        rec->undoMode = mode;
    if (err == noErr) {
        DispOffPort(window);
        DispSelection(window);
    } else if (err == badPictErr) {
        ErrorAlertFromResource(kDropErrStrings, kDamagedDropItem);
    }
    return err;
}

// The icon of a dropped file: a Windows icon by type or suffix (".ico" in
// any case), an icon family likewise, else the icon the desktop shows for it.
OSErr DroppedFileIcon(const HFSFlavor& file, IconSuiteRef* suite) {
    Str255 suffix{};
    GetSuffix(file.fileSpec.name, suffix);
    const std::string ext = PStringToStd(suffix);
    OSType type = file.fileType;
    if (FInfo info{}; FSpGetFInfo(&file.fileSpec, &info) == noErr) type = info.fdType;
    if (type == FourCC("ICO ") || SameTextIgnoringCase(ext, ".ico")) return WinIconToIconSuite(file.fileSpec, suite);
    if (type == FourCC("icns") || SameTextIgnoringCase(ext, ".icns")) return XIconToIconSuite(&file.fileSpec, suite);
    return GetFileIconSuite(&file.fileSpec, suite);
}

// Pastes the first 32 x 32 image (8-, 4-, then 1-bit) of a dropped file's
// icon. False when the file gave no picture (said so).
bool PasteDroppedFile(WindowRef window, const HFSFlavor& file) {
    UniqueIconSuite suite;
    UniqueHandle picture;
    if (DroppedFileIcon(file, suite.out()) == noErr && suite) {
        for (SInt16 kind = 0; kind <= 2 && !picture; ++kind) picture.reset(IconToPicture(suite.get(), kind));
    }
    if (!picture) {
        ErrorAlertNamed(kDropErrStrings, kNoIconItem, PStringToStd(file.fileSpec.name));
        return false;
    }
    (void)PasteDropped(window, picture.get());
    return true;
}

}  // namespace

OSErr InstallPaintWinDragHandlers(WindowRef window) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) return paramErr;
    if (!isDragMgrPresent) return noErr;
    rec->dragHilite[kDropFlag] = rec->dragHilite[kEnteredFlag] = false;
    return InstallDragHandlers(MyPaintWinTrackingHandler, MyPaintWinReceiveHandler, window, rec->dragHilite);
}

void RemovePaintWinDragHandlers(WindowRef window) {
    RemoveDragHandlers(MyPaintWinTrackingHandler, MyPaintWinReceiveHandler, window);
}

OSErr MyDoStartDragPaintWin(WindowRef window, const EventRecord* event) {
    if (!GetPaintWinRec(window) || !event) return paramErr;
    DragRef drag = nullptr;
    if (const OSErr err = NewDrag(&drag); err != noErr) return err;
    OSErr err = MyDoAddPaintWinFlavors(drag);
    UniqueRgn outline;
    if (err == noErr) err = MyGetDragPaintWinRegion(window, outline);
    if (err == noErr) err = SetDragSendProc(drag, MySendPaintWinDataProc, window);
    if (err == noErr) err = TrackDrag(drag, event, outline);
    (void)DisposeDrag(drag);
    return err == userCanceledErr ? OSErr(noErr) : err;
}

OSErr MyDoAddPaintWinFlavors(DragRef drag) { return AddDragItemFlavor(drag, 1, kPictFlavor, nullptr, 0, 0); }

OSErr MyGetDragPaintWinRegion(WindowRef window, RgnHandle region) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec || !region) return paramErr;
    UniqueRgn inner;
    CopyRgn(rec->selDispRgn, inner);
    InsetRgn(inner, 1, 1);
    DiffRgn(rec->selDispRgn, inner, region);
    SavedGWorld saved;
    SetPortWindowPort(window);
    Point origin{0, 0};
    LocalToGlobal(&origin);
    OffsetRgn(region, origin.h, origin.v);
    return noErr;
}

OSErr MySendPaintWinDataProc(FlavorType type, void* refCon, DragItemRef item, DragRef drag) {
    if (type != kPictFlavor) return badDragFlavorErr;
    auto window = static_cast<WindowRef>(refCon);
    UniqueHandle picture(GetSelectionPic(window, false));
    if (!picture) return memFullErr;
    const std::span<UInt8> bytes = HandleBytes(picture.get());
    return SetDragItemFlavorData(drag, item, type, bytes.data(), Size(bytes.size()), 0);
}

Boolean IsMyPaintWinTypeAvailable(DragRef drag) {
    UInt16 count = 0;
    if (CountDragItems(drag, &count) != noErr || count > 1) return false;
    for (UInt16 index = 1; index <= count; ++index) {
        DragItemRef item = 0;
        if (GetDragItemReferenceNumber(drag, index, &item) != noErr) return false;
        FlavorFlags flags = 0;
        if (GetFlavorFlags(drag, item, kPictFlavor, &flags) != noErr &&
            GetFlavorFlags(drag, item, kDragFlavorTypeHFS, &flags) != noErr)
            return false;
    }
    return true;
}

OSErr MyPaintWinTrackingHandler(DragTrackingMessage message, WindowRef window, void* state, DragRef drag) {
    auto* flags = static_cast<Boolean*>(state);
    switch (message) {
    case kDragTrackingEnterWindow: {
        flags[kEnteredFlag] = true;
        DragAttributes attributes = 0;
        if (GetDragAttributes(drag, &attributes) != noErr) return noErr;
        if (!(attributes & kDragInsideSenderWindow) && IsMyPaintWinTypeAvailable(drag)) {
            flags[kDropFlag] = true;
            UniqueRgn area;
            ImageAreaRgn(window, area);
            (void)ShowDragHilite(drag, area, true);
        }
        return noErr;
    }
    case kDragTrackingLeaveWindow:
        if (flags[kDropFlag] && flags[kEnteredFlag]) (void)HideDragHilite(drag);
        flags[kDropFlag] = false;
        return noErr;
    default: return noErr;
    }
}

OSErr MyPaintWinReceiveHandler(WindowRef window, void* state, DragRef drag) {
    auto* flags = static_cast<Boolean*>(state);
    if (!flags[kDropFlag]) return dragNotAcceptedErr;
    flags[kDropFlag] = flags[kEnteredFlag] = false;
    (void)HideDragHilite(drag);
    UInt16 count = 0;
    if (const OSErr err = CountDragItems(drag, &count); err != noErr) return err;
    for (UInt16 index = 1; index <= count; ++index) {
        DragItemRef item = 0;
        if (GetDragItemReferenceNumber(drag, index, &item) != noErr) continue;
        FlavorFlags flavorFlags = 0;
        bool pasted = false;
        if (GetFlavorFlags(drag, item, kPictFlavor, &flavorFlags) == noErr) {
            Size size = 0;
            OSErr err = GetFlavorDataSize(drag, item, kPictFlavor, &size);
            UniqueHandle picture;
            if (err == noErr) {
                picture.reset(NewHandle(size));
                if (!picture) err = memFullErr;
            }
            if (err == noErr) err = GetFlavorData(drag, item, kPictFlavor, HandleBytes(picture.get()).data(), &size, 0);
            if (err == memFullErr) {
                ErrorAlertFromResource(kDropErrStrings, kNoMemoryDropItem);
                return memFullErr;
            }
            if (err != noErr) {
                ErrorAlertFromResource(kDropErrStrings, kDamagedDropItem);
                continue;
            }
            (void)PasteDropped(window, picture.get());
            pasted = true;
        } else if (GetFlavorFlags(drag, item, kDragFlavorTypeHFS, &flavorFlags) == noErr) {
            HFSFlavor file;
            Size size = sizeof file;
            if (GetFlavorData(drag, item, kDragFlavorTypeHFS, &file, &size, 0) != noErr || size != sizeof file)
                continue;
            pasted = PasteDroppedFile(window, file);
        }
        if (pasted && gOtherPrefs[kOtherFrontOnDrop]) {
            SelectWindow(window);
            UpdateMenus();
        }
    }
    return noErr;
}
