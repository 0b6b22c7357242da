// Drag and drop on the icon-list window: the selected icons dragged out as
// promised files and icon families; files and icon families dropped in
// become new icons of the list, as one step to undo.
#include "icons/IconListDrag.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/IconListInternal.h"
#include "icons/WinIcon.h"
#include "image/CustomIcons.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/files/Files.h"
#include "platform/icons/IconFamily.h"
#include "platform/raster/GWorld.h"

#include <algorithm>

namespace {

constexpr FlavorType kIconFamilyFlavor = FourCC("icns");
constexpr OSType kFolderFileType = FourCC("fold"), kFinderCreator = FourCC("MACS");
enum { kAcceptableFlag = 0, kShownFlag = 1 };
enum : SInt16 { kIconFileNameStrings = 140, kIDSeparatorItem = 2 };
constexpr SInt16 kIconNotAddedItem = 10;  // of the icon file messages: the icon cannot be added
constexpr size_t kMaxFileName = 31;
constexpr int kMaxNameCounter = 9999;

// What a drag out of a list carries while TrackDrag runs: item i is entry i - 1.
struct IconDragSource {
    WindowRef window = nullptr;
    std::vector<IconEntry> entries;
    std::vector<std::string> notMade;  // files a receiver asked for that could not be made
};

// The list's area: the content less the scroll bar.
Rect ListArea(WindowRef window) {
    Rect area;
    GetWindowPortBounds(window, &area);
    area.right = SInt16(std::max<int>(area.left, area.right - kIconListScrollBar));
    return area;
}

Boolean HasFlavor(DragRef drag, DragItemRef item, FlavorType type) {
    FlavorFlags flags = 0;
    return GetFlavorFlags(drag, item, type, &flags) == noErr;
}

// A name not yet taken in the folder: the base, then "base 1", "base 2"…
// (the base cut so that the counter fits), with the suffix after it.
OSErr FreeNameIn(const FSSpec& folder, const std::string& base, const std::string& suffix, FSSpec* file) {
    KorvelCatInfo info;
    if (const OSErr err = FSpGetCatInfo(&folder, &info); err != noErr) return err;
    if (!info.isFolder) return dirNFErr;
    std::string name = base + suffix;
    for (int n = 1; n <= kMaxNameCounter; ++n) {
        Str255 pname;
        CopyCStringToPascal(name, pname);
        const OSErr err = FSMakeFSSpec(folder.vRefNum, info.dirID, pname, file);
        if (err == fnfErr) return noErr;
        if (err != noErr) return err;
        const std::string counter = " " + std::to_string(n);
        name = std::string(TruncateUtf8(base, kMaxFileName - counter.size())) + counter + suffix;
    }
    return dupFNErr;
}

// 'fssP': the item's icon made in the drop folder; the flavour's data is the
// file made.
OSErr SendPromisedFile(IconDragSource* source, const IconEntry& entry, DragItemRef item, DragRef drag) {
    IconFileRec* rec = GetIconFileRec(source->window);
    FSSpec folder;
    if (const OSErr err = GetDropLocation(drag, &folder); err != noErr) return err;
    // The desktop's trash cannot be told from any other folder here, so a drop
    // there makes the files like any other and deletes nothing from the list.
    KorvelIconOwner icon;
    Str255 name;
    if (const OSErr err = MyGetKorvelIcon(rec, icon.get(), entry, name, nullptr); err != noErr) return err;
    const std::string base = IconFileBaseName(*rec, name, entry.resID);
    const std::string suffix = rec->dragAsWinIcon ? ".ico" : "";
    FSSpec file;
    OSErr err = FreeNameIn(folder, base, suffix, &file);
    if (err == noErr)
        err = rec->dragAsWinIcon ? MakeWinIconFromSuite(file, icon->suite) : MakeFolderWithKorvelIcon(&file, *icon);
    if (err != noErr) {
        source->notMade.push_back("“" + base + suffix + "”");
        return err;
    }
    return SetDragItemFlavorData(drag, item, kDragPromisedFlavor, &file, sizeof file, 0);
}

OSErr SendIconFamily(IconDragSource* source, const IconEntry& entry, DragItemRef item, DragRef drag) {
    KorvelIconOwner icon;
    if (const OSErr err = MyGetKorvelIcon(GetIconFileRec(source->window), icon.get(), entry, nullptr, nullptr);
        err != noErr)
        return err;
    IconFamilyHandle family = nullptr;
    if (const OSErr err = KorvelIconToIconFamily(*icon, &family); err != noErr) return err;
    UniqueHandle owned(family);
    const std::span<UInt8> bytes = HandleBytes(family);
    return SetDragItemFlavorData(drag, item, kIconFamilyFlavor, bytes.data(), Size(bytes.size()), 0);
}

// A dropped item's icon family, bounded before anything is made of it: the
// icon, or an error when it is damaged or too large.
OSErr DroppedFamilyIcon(DragRef drag, DragItemRef item, KorvelIcon* icon) {
    Size size = 0;
    if (const OSErr err = GetFlavorDataSize(drag, item, kIconFamilyFlavor, &size); err != noErr) return err;
    if (size < Size(kIconFamilyHeaderSize) || size_t(size) > kMaxIconFamilyBytes) return paramErr;
    UniqueHandle family(NewHandle(size));
    if (!family) return memFullErr;
    if (const OSErr err = GetFlavorData(drag, item, kIconFamilyFlavor, HandleBytes(family.get()).data(), &size, 0);
        err != noErr)
        return err;
    SetHandleSize(family.get(), size);  // what was there, should the sender have given less
    return IconFamilyToKorvelIcon(family.get(), icon);
}

// Adds the icon family of a dropped item; a refusal is named in `refused`.
OSErr AddDroppedFamily(WindowRef window, DragRef drag, DragItemRef item, ResID id, Boolean isLast,
                       std::vector<std::string>* refused) {
    KorvelIcon icon;
    OSErr err = DroppedFamilyIcon(drag, item, &icon);
    // An icon the list could not show again once saved is not taken.
    if (err == noErr && !IsValidIconSuite(icon.suite) && !IsKorvelIconHasThumbnailIcon(icon)) err = noSuchIconErr;
    SInt16 why = kDroppedDamagedItem;
    if (err == noErr) {
        static const UInt8 kNoName[] = {0};
        err = AddKorvelIconToList(window, &icon, 0, kNoName, id, isLast);  // which disposes of the icon
        if (err == noErr) return noErr;
        why = kIconNotAddedItem;
    }
    (void)DisposeKorvelIcon(&icon);
    refused->push_back(IconFileErrText(kDroppedFamilyItem) + " (" + IconFileErrText(why) + ")");
    if (isLast) FinishAddingIcons(window);
    return err;
}

// The dropped file of an item's 'hfs ' flavour; false when it is damaged.
bool DroppedFile(DragRef drag, DragItemRef item, HFSFlavor* file) {
    Size size = sizeof *file;
    return GetFlavorData(drag, item, kDragFlavorTypeHFS, file, &size, 0) == noErr && size == Size(sizeof *file);
}

}  // namespace

std::string IconFileBaseName(const IconFileRec& iconFile, ConstStr255Param name, ResID id) {
    std::string base = name ? PStringToStd(name) : std::string();
    // Neither separator may be part of a name; nor may a NUL byte.
    std::replace_if(base.begin(), base.end(), [](char c) { return c == ':' || c == '/' || c == '\0'; }, '-');
    if (base.empty() || base == "." || base == "..") {
        Str255 separator;
        GetIndString(separator, kIconFileNameStrings, kIDSeparatorItem);
        base = PStringToStd(iconFile.sourceSpec.name) + PStringToStd(separator) + std::to_string(id);
        std::replace(base.begin(), base.end(), '/', '-');
    }
    return std::string(TruncateUtf8(base, kMaxFileName));
}

OSErr AddDragItemFlavorTypePromiseHFS(DragRef drag, DragItemRef item, OSType fileType, OSType fileCreator,
                                      UInt16 fdFlags, FlavorType promisedFlavor) {
    PromiseHFSFlavor promise;
    promise.fileType = fileType;
    promise.fileCreator = fileCreator;
    promise.fdFlags = fdFlags;
    promise.promisedFlavor = promisedFlavor;
    if (const OSErr err = AddDragItemFlavor(drag, item, kDragFlavorTypePromiseHFS, &promise, sizeof promise, 0);
        err != noErr)
        return err;
    return AddDragItemFlavor(drag, item, promisedFlavor, nullptr, 0, 0);
}

OSErr MyDoAddIconFlavors(DragRef drag, UInt16 count) {
    for (DragItemRef item = 1; item <= count; ++item) {
        OSErr err = AddDragItemFlavorTypePromiseHFS(drag, item, kFolderFileType, kFinderCreator, 0, kDragPromisedFlavor);
        if (err == noErr && isIconServicesAvailable) err = AddDragItemFlavor(drag, item, kIconFamilyFlavor, nullptr, 0, 0);
        if (err != noErr) return err;
    }
    return noErr;
}

OSErr MyGetDragIconRegion(WindowRef window, RgnHandle region) {
    const IconFileRec* rec = GetIconFileRec(window);
    if (!rec || !region) return paramErr;
    SetEmptyRgn(region);
    const Rect area = ListArea(window);
    UniqueRgn one;
    for (size_t i = 0; i < rec->entries.size(); ++i) {
        if (!rec->selected[i]) continue;
        const Rect cell = IconCellRect(*rec, SInt16(i));
        const Rect icon{SInt16(cell.top + 8), SInt16(cell.left + 12), SInt16(cell.top + 40), SInt16(cell.left + 44)};
        Rect shown;
        if (!SectRect(&icon, &area, &shown)) continue;  // scrolled out of sight
        RectRgn(one, &shown);
        UnionRgn(region, one, region);
    }
    UniqueRgn inner;
    CopyRgn(region, inner);
    InsetRgn(inner, 1, 1);
    DiffRgn(region, inner, region);
    SavedGWorld saved;
    SetPortWindowPort(window);
    Point origin{0, 0};
    LocalToGlobal(&origin);
    OffsetRgn(region, origin.h, origin.v);
    return noErr;
}

OSErr MySendIconDataProc(FlavorType type, void* refCon, DragItemRef item, DragRef drag) {
    auto* source = static_cast<IconDragSource*>(refCon);
    if (!source || !GetIconFileRec(source->window)) return paramErr;
    if (item < 1 || item > source->entries.size()) return badDragItemErr;
    const IconEntry& entry = source->entries[item - 1];
    if (type == kDragPromisedFlavor) return SendPromisedFile(source, entry, item, drag);
    if (type == kIconFamilyFlavor && isIconServicesAvailable) return SendIconFamily(source, entry, item, drag);
    return badDragFlavorErr;
}

OSErr MyDoStartDragIcon(WindowRef window, const EventRecord* event) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || !event) return paramErr;
    IconDragSource source;
    source.window = window;
    for (size_t i = 0; i < rec->entries.size(); ++i)
        if (rec->selected[i]) source.entries.push_back(rec->entries[i]);
    if (source.entries.empty()) return paramErr;  // IDs are 16-bit: at most 65535 icons
    rec->dragAsWinIcon = (event->modifiers & cmdKey) != 0;
    DragRef drag = nullptr;
    if (const OSErr err = NewDrag(&drag); err != noErr) return err;
    OSErr err = MyDoAddIconFlavors(drag, UInt16(source.entries.size()));
    UniqueRgn outline;
    if (err == noErr) err = MyGetDragIconRegion(window, outline);
    if (err == noErr) err = SetDragSendProc(drag, MySendIconDataProc, &source);
    if (err == noErr) err = TrackDrag(drag, event, outline);
    (void)DisposeDrag(drag);
    if (!source.notMade.empty()) {
        std::string names;
        for (const std::string& n : source.notMade) names += (names.empty() ? "" : ", ") + n;
        std::string message = IconFileErrText(kIconsNotMadeItem);
        if (const size_t at = message.find("^0"); at != std::string::npos) message.replace(at, 2, names);
        ErrorAlert(message);
    }
    return err == userCanceledErr ? OSErr(noErr) : err;
}

Boolean IsMyIconListTypeAvailable(DragRef drag) {
    UInt16 count = 0;
    if (CountDragItems(drag, &count) != noErr || count == 0 || count > kMaxDragItems) return false;
    for (UInt16 index = 1; index <= count; ++index) {
        DragItemRef item = 0;
        if (GetDragItemReferenceNumber(drag, index, &item) != noErr) return false;
        if (!HasFlavor(drag, item, kDragFlavorTypeHFS) &&
            !(isIconServicesAvailable && HasFlavor(drag, item, kIconFamilyFlavor)))
            return false;
    }
    return true;
}

OSErr MyIconListTrackingHandler(DragTrackingMessage message, WindowRef window, void* state, DragRef drag) {
    auto* flags = static_cast<Boolean*>(state);
    switch (message) {
    case kDragTrackingEnterWindow: {
        flags[kAcceptableFlag] = flags[kShownFlag] = false;
        DragAttributes attributes = 0;
        if (GetDragAttributes(drag, &attributes) != noErr || (attributes & kDragInsideSenderWindow) ||
            !IsMyIconListTypeAvailable(drag))
            return noErr;
        flags[kAcceptableFlag] = true;
        const Rect area = ListArea(window);
        UniqueRgn hilite;
        RectRgn(hilite, &area);
        flags[kShownFlag] = ShowDragHilite(drag, hilite, true) == noErr;
        return noErr;
    }
    case kDragTrackingLeaveWindow:
        if (flags[kShownFlag]) (void)HideDragHilite(drag);
        flags[kAcceptableFlag] = flags[kShownFlag] = false;
        return noErr;
    default: return noErr;
    }
}

OSErr MyIconListReceiveHandler(WindowRef window, void* state, DragRef drag) {
    auto* flags = static_cast<Boolean*>(state);
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || !flags[kAcceptableFlag]) return dragNotAcceptedErr;
    (void)HideDragHilite(drag);
    flags[kAcceptableFlag] = flags[kShownFlag] = false;
    UInt16 count = 0;
    if (const OSErr err = CountDragItems(drag, &count); err != noErr) return err;
    count = std::min<UInt16>(count, kMaxDragItems);

    // The step to undo stays the previous one when no item gives an icon.
    const std::vector<IconEntry> previousList = rec->undoList;
    const SInt16 previousMode = rec->undoMode;
    rec->undoList.clear();
    rec->undoList.reserve(count);
    // IDs as for import: a run of free IDs, or the first free one each time.
    SInt32 next = 0;
    if (gOtherPrefs[kOtherConsecutiveIDs]) {
        next = MyContinuousUniqID(*rec, SInt16(count));
        if (next == 0 || next + count - 1 > 32767) next = 0;
    }
    std::vector<std::string> refused;
    for (UInt16 index = 1; index <= count; ++index) {
        const Boolean isLast = index == count;
        const ResID id = next ? ResID(next) : ResID(0);
        DragItemRef item = 0;
        OSErr err = GetDragItemReferenceNumber(drag, index, &item);
        HFSFlavor file;
        if (err == noErr && HasFlavor(drag, item, kDragFlavorTypeHFS)) {
            if (DroppedFile(drag, item, &file)) {
                err = AddFileIconToIconList(window, file.fileSpec, id, isLast, &refused);
            } else {
                err = paramErr;
                refused.push_back(IconFileErrText(kDroppedItem) + " (" + IconFileErrText(kDroppedDamagedItem) + ")");
                if (isLast) FinishAddingIcons(window);
            }
        } else if (err == noErr) {
            err = AddDroppedFamily(window, drag, item, id, isLast, &refused);
        } else if (isLast) {
            FinishAddingIcons(window);
        }
        if (err == noErr && next) ++next;
    }
    if (rec->undoList.empty()) {
        rec->undoList = previousList;
        rec->undoMode = previousMode;
    }
    if (gOtherPrefs[kOtherFrontOnDrop]) SelectWindow(window);
    UpdateMenus();
    if (!refused.empty()) AlertIconsRefused(refused);
    return noErr;
}

OSErr InstallIconListDragHandlers(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return paramErr;
    if (!isDragMgrPresent) return noErr;
    rec->dragHilite[kAcceptableFlag] = rec->dragHilite[kShownFlag] = false;
    return InstallDragHandlers(MyIconListTrackingHandler, MyIconListReceiveHandler, window, rec->dragHilite);
}

void RemoveIconListDragHandlers(WindowRef window) {
    RemoveDragHandlers(MyIconListTrackingHandler, MyIconListReceiveHandler, window);
}
