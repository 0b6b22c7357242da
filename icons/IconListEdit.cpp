// The editing commands of an icon-list window: every one writes into the
// working file (with its 'iDel' and 'iUpd' marks) and leaves the icon file
// alone until it is saved.
#include "icons/IconListInternal.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/FamilyWindow.h"
#include "icons/IconListDrag.h"
#include "icons/NewIcon.h"
#include "icons/WinIcon.h"
#include "image/CustomIcons.h"
#include "image/IconClipboard.h"
#include "image/IconFamilyFiles.h"
#include "image/IconResources.h"
#include "platform/core/PString.h"
#include "platform/icons/PlotIcons.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/ui/Scrap.h"

#include <algorithm>
#include <charconv>

namespace {

enum : SInt16 { kUntitledIconName = 1, kCopySuffixItem = 3 };
enum : SInt16 { kIconFileNotMadeItem = 2 };  // of the paint-file messages
enum : DialogItemIndex { kInfoIconItem = 3, kInfoIDItem = 4, kInfoNameItem = 5 };
enum : SInt16 { kIconInfoDialog = 131 };

// Writes the icon into the working file under `id` and `name`: as one 'icns'
// resource, or member by member.
OSErr WriteIcon(IconFileRec* rec, const KorvelIcon& icon, OSType type, ConstStr255Param name, ResID id) {
    UseResFileScope use(rec->workingRefNum);
    OSErr err = RemoveIconResources(id);
    if (err != noErr) return err;
    if (type == kIconListTypeFamily) {
        IconFamilyHandle data = nullptr;
        err = KorvelIconToIconFamily(icon, &data);
        if (err == noErr) {
            err = SaveDataToResource(HandleBytes(Handle(data)), kIconListTypeFamily, id, name, kIconResourceAttributes);
            DisposeHandle(Handle(data));
        }
    } else if (icon.suite) {
        IconResInfo info;
        info.resID = id;
        PStrCopy(name ? name : reinterpret_cast<ConstStr255Param>("\0"), info.name);
        info.attributes = kIconResourceAttributes;
        err = ForEachIconDo(icon.suite, SystemIconSelector(), AddIconToFile, &info);
    }
    if (err == noErr) CreateUpdateInfo(id);
    return err;
}

Boolean IDInList(const IconFileRec& rec, ResID id) {
    return std::any_of(rec.entries.begin(), rec.entries.end(), [id](const IconEntry& e) { return e.resID == id; });
}

// The list type an added icon gets: 'icns' when Icon Services are there and
// the icon has a member a classic suite cannot hold.
OSType ListTypeFor(const KorvelIcon& icon, OSType type) {
    if (type != 0) return type;
    return isIconServicesAvailable && IsKorvelIconHasThumbnailIcon(icon) ? kIconListTypeFamily : kIconListTypeClassic;
}

// Moves the icon `from` to `to` with `name` in the working file; the icon
// is read first, so it moves whether it lay in the working or the icon file.
OSErr MoveIcon(IconFileRec* rec, const IconEntry& from, ResID to, ConstStr255Param name) {
    KorvelIcon icon;
    if (const OSErr err = MyGetKorvelIcon(rec, &icon, from, nullptr, nullptr); err != noErr) return err;
    KorvelIconOwner owner(icon);
    if (const OSErr err = WriteIcon(rec, icon, from.listType, name, to); err != noErr) return err;
    if (from.resID != to) {
        UseResFileScope use(rec->workingRefNum);
        if (const OSErr err = RemoveIconResources(from.resID); err != noErr) return err;
        CreateDeleteInfo(from.resID);
    }
    return noErr;
}

void SelectEntry(WindowRef window, ResID id) {
    IconFileRec* rec = GetIconFileRec(window);
    SortIconEntries(rec);
    std::fill(rec->selected.begin(), rec->selected.end(), 0);
    for (size_t i = 0; i < rec->entries.size(); ++i)
        if (rec->entries[i].resID == id) {
            rec->selected[i] = 1;
            LScrollToCell(window, SInt16(i));
        }
}

}  // namespace

ResID MyContinuousUniqID(const IconFileRec& rec, SInt16 n) {
    std::vector<ResID> ids;
    for (const IconEntry& e : rec.entries) ids.push_back(e.resID);
    std::sort(ids.begin(), ids.end());
    SInt32 m = 127;
    for (ResID id : ids) {
        const SInt32 previous = m;
        m = std::max<SInt32>(m, id);
        if (m - previous > n) return ResID(previous + 1);
    }
    return m + 1 > 32767 ? ResID(0) : ResID(m + 1);
}

OSErr AddKorvelIconToList(WindowRef window, KorvelIcon* icon, OSType type, ConstStr255Param name, ResID id,
                          Boolean isLast) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || !icon) return paramErr;
    if (id == 0) id = MyUniqueID(*rec);
    if (id == 0) {
        (void)DisposeKorvelIcon(icon);  // the icon is ours whatever happens
        return addResFailed;
    }
    const OSType listType = ListTypeFor(*icon, type);
    const OSErr err = WriteIcon(rec, *icon, listType, name, id);
    (void)DisposeKorvelIcon(icon);
    if (err != noErr) return err;
    const IconEntry entry{id, listType};
    rec->undoList.push_back(entry);
    AddIconToIconList(window, entry, isLast);
    if (isLast) {
        rec->undoMode = kIconListUndoAdd;
        MarkIconListChanged(window);
    }
    return noErr;
}

OSErr DeleteSelectedIcon(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return paramErr;
    std::vector<IconEntry> gone;
    for (size_t i = 0; i < rec->entries.size(); ++i) {
        if (!rec->selected[i]) continue;
        if (WindowRef family = FindListFamilyWindow(window, rec->entries[i].resID))
            if (const OSErr err = CloseFamilyWindow(family, true, false); err != noErr) return err;
        gone.push_back(rec->entries[i]);
    }
    if (gone.empty()) return noErr;
    {
        UseResFileScope use(rec->workingRefNum);
        for (const IconEntry& e : gone) CreateDeleteInfo(e.resID);
    }
    rec->undoList = gone;
    UpdateIconList(window, 2, gone);
    rec->undoMode = kIconListUndoDelete;
    MarkIconListChanged(window);
    return noErr;
}

namespace {
// The one selected icon of the window's list (and its name and entry): the
// icon is the caller's. paramErr without one; a failed read beeps.
[[nodiscard]] OSErr ReadSelectedIcon(WindowRef window, KorvelIcon* icon, StringPtr name, IconEntry* entry = nullptr) {
    IconFileRec* rec = GetIconFileRec(window);
    IconEntry selected;
    if (!rec || GetSelectedIconData(*rec, &selected) < 0) return paramErr;
    if (entry) *entry = selected;
    const OSErr err = MyGetKorvelIcon(rec, icon, selected, name, nullptr);
    if (err != noErr) SysBeep(1);
    return err;
}
}  // namespace

OSErr DuplicateSelectedIcon(WindowRef window) {
    KorvelIcon icon;
    Str255 name;
    IconEntry entry;
    if (const OSErr err = ReadSelectedIcon(window, &icon, name, &entry); err != noErr) return err;
    IconFileRec* rec = GetIconFileRec(window);
    Str255 suffix;
    GetIndString(suffix, kIconNameStrings, kCopySuffixItem);
    PStrCat(name, suffix);
    rec->undoList.clear();
    const OSErr err = AddKorvelIconToList(window, &icon, entry.listType, name, 0, true);
    (void)DisposeKorvelIcon(&icon);
    return err;
}

OSErr CopySelectedIcon(WindowRef window) {
    KorvelIcon icon;
    if (const OSErr err = ReadSelectedIcon(window, &icon, nullptr); err != noErr) return err;
    KorvelIconOwner owner(icon);
    return KorvelIconToClip(icon);
}

OSErr PasteIcon(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return paramErr;
    KorvelIcon icon;
    std::vector<UInt8> bytes;
    if (isIconServicesAvailable && GetScrapFlavorData(FourCC("icns"), &bytes) == noErr && !bytes.empty()) {
        Handle h = NewHandleFromBytes(bytes);
        if (!h) return memFullErr;
        const OSErr err = IconFamilyToKorvelIcon(IconFamilyHandle(h), &icon);
        DisposeHandle(h);
        if (err != noErr) return err;
    } else {
        UniqueIconSuite suite;
        if (const OSErr err = NewIconSuite(suite.out()); err != noErr) return err;
        // Colour members come only with the mask of their size.
        const std::pair<ResType, std::array<ResType, 2>> groups[] = {
            {FourCC("ICN#"), {FourCC("icl8"), FourCC("icl4")}},
            {FourCC("ics#"), {FourCC("ics8"), FourCC("ics4")}},
        };
        for (const auto& group : groups) {
            for (size_t k = 0; k < 3; ++k) {
                const ResType type = k == 0 ? group.first : group.second[k - 1];
                bytes.clear();
                if (GetScrapFlavorData(type, &bytes) != noErr || bytes.empty()) {
                    if (k == 0) break;
                    continue;
                }
                Handle h = NewHandleFromBytes(bytes);
                if (!h || AddIconToSuite(h, suite.get(), type) != noErr) {
                    if (h) DisposeHandle(h);
                    return memFullErr;
                }
            }
        }
        if (!IsValidIconSuite(suite.get())) {
            SysBeep(1);
            return noTypeErr;
        }
        icon.suite = suite.release();
    }
    Str255 name;
    GetIndString(name, kIconNameStrings, kUntitledIconName);
    rec->undoList.clear();
    const OSErr err = AddKorvelIconToList(window, &icon, 0, name, 0, true);
    (void)DisposeKorvelIcon(&icon);
    return err;
}

OSErr ChangeSelectedIconInfo(WindowRef window, ResID newID, ConstStr255Param newName) {
    IconFileRec* rec = GetIconFileRec(window);
    IconEntry entry;
    const SInt16 index = rec ? GetSelectedIconData(*rec, &entry) : SInt16(-1);
    if (index < 0) return paramErr;
    if (newID == kCustomIconResID || (newID != entry.resID && IDInList(*rec, newID))) return dupFNErr;
    KorvelIcon scratch;
    Str255 oldName;
    if (const OSErr err = MyGetKorvelIcon(rec, &scratch, entry, oldName, nullptr); err != noErr) return err;
    (void)DisposeKorvelIcon(&scratch);
    if (const OSErr err = MoveIcon(rec, entry, newID, newName); err != noErr) return err;
    rec->undoList = {IconEntry{newID, entry.listType}, entry};
    PStrCopy(oldName, rec->undoName);
    if (WindowRef family = FindListFamilyWindow(window, entry.resID)) {
        FamilyWinRec* frec = GetFamilyWinRec(family);
        frec->resID = newID;
        CopyCStringToPascal(ListFamilyTitle(*rec, newID), frec->fileSpec.name);
        SetIconFamilyWinTitle(family);
        PStrCopy(newName, frec->familyName);
        TESetText(newName + 1, newName[0], frec->nameTE);
        TESetSelect(0, 32767, frec->nameTE);
    }
    rec->entries[size_t(index)].resID = newID;
    SelectEntry(window, newID);
    rec->undoMode = kIconListUndoInfo;
    MarkIconListChanged(window);
    return noErr;
}

void DrawIconInfoIcon(DialogRef dialog, const KorvelIcon& icon) {
    SavedGWorld saved;
    SetPortWindowPort(dialog);
    DialogItemType type = 0;
    Handle h = nullptr;
    Rect area{};
    GetDialogItem(dialog, kInfoIconItem, &type, &h, &area);
    EraseRect(&area);
    const SInt16 midV = SInt16((area.top + area.bottom) / 2), midH = SInt16((area.left + area.right) / 2);
    if (icon.suite) {
        // As in the list's cells: the large icon when there is one.
        Handle large = nullptr;
        (void)GetIconFromSuite(&large, icon.suite, FourCC("ICN#"));
        const SInt16 half = large ? 16 : 8;
        const Rect place{SInt16(midV - half), SInt16(midH - half), SInt16(midV + half), SInt16(midH + half)};
        (void)PlotIconSuite(&place, kAlignNone, kTransformNone, icon.suite);
        return;
    }
    // Only the 128-pixel members: that image, shrunk into the area.
    UniqueHandle picture(KorvelIconToPicture(icon, kKindIt32));
    if (picture) DrawPicture(picture.get(), &area);
}

namespace {
// Draws the icon (on the dialog's reference constant) on every update.
Boolean IconInfoFilter(DialogRef dialog, EventRecord* event, DialogItemIndex* itemHit) {
    const auto* icon = static_cast<const KorvelIcon*>(GetWRefCon(dialog));
    if (!event || event->what != updateEvt || EventWindow(*event) != dialog || !icon)
        return MyModalDialogFilter(dialog, event, itemHit);
    BeginUpdate(dialog);
    DrawDialog(dialog);
    DrawIconInfoIcon(dialog, *icon);
    EndUpdate(dialog);
    return false;
}
}  // namespace

void SelectedIconInfo(WindowRef window) {
    KorvelIconOwner icon;
    Str255 name;
    IconEntry entry;
    if (ReadSelectedIcon(window, icon.get(), name, &entry) != noErr) return;
    BeginModal();
    DialogRef dialog = GetNewDialog(kIconInfoDialog, nullptr, kFirstWindowOfClass);
    if (!dialog) {
        EndModal();
        SysBeep(1);
        return;
    }
    SetWRefCon(dialog, icon.get());
    SetDialogDefaultItem(dialog, kStdOkItemIndex);
    SetDialogCancelItem(dialog, kStdCancelItemIndex);
    Str255 text;
    CopyCStringToPascal(std::to_string(entry.resID), text);
    SetDialogItemText(dialog, kInfoIDItem, text);
    SetDialogItemText(dialog, kInfoNameItem, name);
    SelectDialogItemText(dialog, kInfoIDItem, 0, 32767);
    ShowWindow(dialog);
    for (;;) {
        DialogItemIndex item = 0;
        ModalDialog(IconInfoFilter, &item);
        if (item == kStdCancelItemIndex) break;
        if (item != kStdOkItemIndex) continue;
        GetDialogItemText(dialog, kInfoIDItem, text);
        Str255 newName;
        GetDialogItemText(dialog, kInfoNameItem, newName);
        int id = 0;
        const char* s = reinterpret_cast<const char*>(text + 1);
        const auto [end, ec] = std::from_chars(s, s + text[0], id);
        if (ec != std::errc() || end != s + text[0] || id < -32768 || id > 32767 ||
            ChangeSelectedIconInfo(window, ResID(id), newName) != noErr) {
            SysBeep(1);
            SelectDialogItemText(dialog, kInfoIDItem, 0, 32767);
            continue;
        }
        break;
    }
    DisposeDialog(dialog);
    EndModal();
    UpdateMenus();
}

void DoUndoIconList(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || rec->undoMode == 0) return;
    const SInt16 mode = rec->undoMode;
    if (mode == kIconListUndoInfo || mode == -kIconListUndoInfo) {
        if (rec->undoList.size() != 2) return;
        const IconEntry now = rec->undoList[0], before = rec->undoList[1];
        KorvelIcon scratch;
        Str255 currentName;
        if (MyGetKorvelIcon(rec, &scratch, now, currentName, nullptr) != noErr) {
            SysBeep(1);
            return;
        }
        (void)DisposeKorvelIcon(&scratch);
        if (MoveIcon(rec, now, before.resID, rec->undoName) != noErr) {
            SysBeep(1);
            return;
        }
        for (IconEntry& e : rec->entries)
            if (e.resID == now.resID) e.resID = before.resID;
        if (WindowRef family = FindListFamilyWindow(window, now.resID)) GetFamilyWinRec(family)->resID = before.resID;
        SelectEntry(window, before.resID);
        std::swap(rec->undoList[0], rec->undoList[1]);
        PStrCopy(currentName, rec->undoName);
    } else if (mode == kIconListUndoAdd || mode == -kIconListUndoDelete) {
        {
            UseResFileScope use(rec->workingRefNum);
            for (const IconEntry& e : rec->undoList) CreateDeleteInfo(e.resID);
        }
        UpdateIconList(window, 2, rec->undoList);
    } else {
        {
            UseResFileScope use(rec->workingRefNum);
            for (const IconEntry& e : rec->undoList) RemoveDeleteInfo(e.resID);
        }
        for (size_t i = 0; i < rec->undoList.size(); ++i)
            AddIconToIconList(window, rec->undoList[i], i + 1 == rec->undoList.size());
    }
    rec->undoMode = SInt16(-mode);
    MarkIconListChanged(window);
}

namespace {
Boolean IconIDInList(WindowRef iconList, ResID id) {
    const IconFileRec* rec = GetIconFileRec(iconList);
    return rec && IDInList(*rec, id);
}
}  // namespace

OSErr AddNewIcon(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return paramErr;
    IconResInfo info;
    info.resID = MyUniqueID(*rec);
    GetIndString(info.name, kIconNameStrings, kUntitledIconName);
    info.attributes = kIconResourceAttributes;
    IconMemberSelector selector;
    SInt16 templateIndex = kBlankTemplate;
    if (const OSErr err = NewIconDialog(&info, &selector, &templateIndex, window, IconIDInList); err != noErr)
        return err;
    KorvelIcon icon;
    if (const OSErr err = GetKorvelIconFromTemplate(&icon, selector, templateIndex); err != noErr) {
        SysBeep(1);
        return err;
    }
    rec->undoList.clear();
    const OSErr err = AddKorvelIconToList(window, &icon, 0, info.name, info.resID, true);
    (void)DisposeKorvelIcon(&icon);
    return err;
}

OSErr ExportIconToFolder(WindowRef window) {
    KorvelIcon icon;
    Str255 name;
    IconEntry entry;
    if (const OSErr err = ReadSelectedIcon(window, &icon, name, &entry); err != noErr) return err;
    const IconFileRec* rec = GetIconFileRec(window);
    Str255 suggestion;
    CopyCStringToPascal(IconFileBaseName(*rec, name, entry.resID), suggestion);
    FSSpec file;
    OSType type = 0;
    NavReplyRecord reply;
    OSErr err = SaveAsIconDialog(suggestion, &file, &type, &reply, 0, IconListDialogFolder(*rec));
    if (err == noErr) {
        NoteIconListDialogFolder(file);
        switch (type) {
        case FourCC("icns"): err = MakeXIconWithKorvelIcon(&file, icon); break;
        case FourCC("Icon"): err = MakeFolderWithKorvelIcon(&file, icon); break;
        case FourCC("wIco"): err = MakeWinIconFromSuite(file, icon.suite); break;
        default: err = paramErr; break;
        }
        if (err != noErr) ErrorAlertNamed(kPaintFileErrStrings, kIconFileNotMadeItem, PStringToStd(file.name));
    }
    (void)DisposeKorvelIcon(&icon);
    return err;
}
