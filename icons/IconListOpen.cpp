// Opening and closing icon-list windows, and the family windows opened
// from them.
#include "icons/IconListInternal.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "icons/FamilyWindow.h"
#include "icons/IconListDrag.h"
#include "image/IconResources.h"
#include "io/OpenDocuments.h"
#include "paint/PaintWindow.h"
#include "platform/core/PString.h"
#include "platform/files/Files.h"

#include <memory>

namespace {

enum : SInt16 { kIconListWindowTemplate = 136, kCustomIconQuestions = 149, kNotEditableItem = 1 };
constexpr Point kFirstIconListPlace{113, 42};

void PlaceIconWindow(WindowRef window) {
    Rect desk{};
    GetRegionBounds(GetGrayRgn(), &desk);
    Rect content{};
    GetWindowBounds(window, kWindowContentRgn, &content);
    const Rect limits{SInt16(desk.top + 40), SInt16(desk.left + 4), SInt16(desk.bottom - (content.bottom - content.top)),
                      SInt16(desk.right - (content.right - content.left))};
    Point pos = kFirstIconListPlace;
    StackWindowPos(&pos, Point{30, 20}, &limits);
    MoveWindow(window, pos.h, pos.v, false);
}

}  // namespace

std::string ListFamilyTitle(const IconFileRec& rec, ResID id) {
    Str255 head;
    GetIndString(head, kFamilyTitleStringList, 1);
    std::string title = PStringToStd(head);
    if (const size_t at = title.find("^0"); at != std::string::npos) title.replace(at, 2, std::to_string(id));
    return title + PStringToStd(rec.sourceSpec.name);
}

WindowRef FindIconListWindow(const FSSpec& file) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        const IconFileRec* rec = GetIconFileRec(w);
        if (rec && rec->hasFile && EqualFile(rec->sourceSpec, file)) return w;
    }
    return nullptr;
}

WindowRef FindListFamilyWindow(WindowRef list, ResID id) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        const FamilyWinRec* family = GetFamilyWinRec(w);
        if (family && family->parentList == list && family->resID == id) return w;
    }
    return nullptr;
}

void MarkIconListChanged(WindowRef window) {
    if (IconFileRec* rec = GetIconFileRec(window)) {
        rec->isDirty = true;
        if (rec->workingRefNum > 0) UpdateResFile(rec->workingRefNum);
    }
    InvalWindow(window);
    RedrawIconPreview();
    UpdateMenus();
}

WindowRef MakeIconWindow(SInt16 sourceRefNum) {
    auto owned = std::make_unique<IconFileRec>();
    WindowRef window;
    {
        UseResFileScope app(GetApplicationResFile());
        window = GetNewCWindow(kIconListWindowTemplate, nullptr, kFirstWindowOfClass);
    }
    if (!window) {
        SysBeep(1);
        return nullptr;
    }
    SetExtWindowKind(window, kIconListWindowKind);
    PlaceIconWindow(window);
    IconFileRec* rec = owned.get();
    if (MakeWorkingFile(rec) != noErr) {
        DisposeWindow(window);
        SysBeep(1);
        return nullptr;
    }
    rec->sourceRefNum = sourceRefNum;
    rec->entries = ReadIconEntries(sourceRefNum, &rec->skippedNote);
    SetWRefCon(window, owned.release());
    InitIconList(window);
    (void)InstallIconListDragHandlers(window);  // without them the window takes no drops
    return window;
}

OSErr OpenIconWindow(const FSSpec& file) {
    SInt16 ref = 0;
    ForkSource form = ForkSource::none;
    std::string note;
    if (const OSErr err = ReadIconFileFork(file, &ref, &form, &note); err != noErr) return err;
    WindowRef window = MakeIconWindow(ref);
    if (!window) {
        CloseResFile(ref);
        return memFullErr;
    }
    IconFileRec* rec = GetIconFileRec(window);
    rec->sourceSpec = file;
    rec->sourceForm = form;
    rec->hasFile = true;
    if (!note.empty()) rec->skippedNote = note + (rec->skippedNote.empty() ? "" : "; " + rec->skippedNote);
    SetWTitle(window, file.name);
    ShowWindow(window);
    SelectWindow(window);
    UpdateMenus();
    if (!rec->skippedNote.empty()) {
        Str255 head;
        GetIndString(head, kIconFileErrStrings, kIconFileSkipped);
        std::string text = PStringToStd(head);
        if (const size_t at = text.find("^0"); at != std::string::npos) text.replace(at, 2, PStringToStd(file.name));
        NoteAlertText(text + " " + rec->skippedNote + ".");
    }
    return noErr;
}

OSErr LoadFromIconFile(const FSSpec& file) {
    WindowRef open = FindIconListWindow(file);
    if (!open) open = FindFamilyWindow(file);
    if (open) {
        SelectWindow(open);
        UpdateMenus();
        return noErr;
    }
    const SInt16 count = CountIcons(file);
    if (count < 0) return count;
    if (count == 0) return OpenFolderIcon(file, false);
    return OpenIconWindow(file);
}

WindowRef NewIconFile() {
    WindowRef window = MakeIconWindow(0);
    if (!window) return nullptr;
    IconFileRec* rec = GetIconFileRec(window);
    rec->hasFile = false;
    {
        UseResFileScope app(GetApplicationResFile());
        GetIndString(rec->sourceSpec.name, kIconListTitleStrings, 2);
    }
    SetWTitle(window, rec->sourceSpec.name);
    ShowWindow(window);
    SelectWindow(window);
    UpdateMenus();
    return window;
}

void DisposeIconWindow(WindowRef window) {
    if (IconFileRec* rec = GetIconFileRec(window)) {
        std::unique_ptr<IconFileRec> owned(rec);
        RemoveIconListDragHandlers(window);
        SetWRefCon(window, nullptr);
        if (rec->sourceRefNum > 0) CloseResFile(rec->sourceRefNum);
        DisposeWorkingFile(rec);
    }
    DisposeWindow(window);
}

OSErr CloseIconFile(WindowRef window, Boolean quitting) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return paramErr;
    // The family windows of the list store their changes into it first.
    for (WindowRef w = GetWindowList(); w;) {
        const FamilyWinRec* family = GetFamilyWinRec(w);
        WindowRef next = GetNextWindow(w);
        if (family && family->parentList == window) {
            if (const OSErr err = CloseFamilyWindow(w, true, false); err != noErr) return err;
            next = GetWindowList();  // the list changed under the walk
        }
        w = next;
    }
    if (rec->isDirty) {
        SelectWindow(window);
        switch (AskSaveChanges(4, rec->sourceSpec.name, quitting)) {  // "icon file"
        case kStdCancelItemIndex: return userCanceledErr;
        case kStdOkItemIndex:
            if (const OSErr err = SaveIconFile(window); err != noErr) return err;
            break;
        default: break;
        }
    }
    DisposeIconWindow(window);
    UpdateMenus();
    return noErr;
}

void OpenSelectedIcon(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return;
    Rect bounds;
    GetWindowBounds(window, kWindowContentRgn, &bounds);
    const std::vector<IconEntry> entries = rec->entries;
    const std::vector<UInt8> selected = rec->selected;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!selected[i]) continue;
        if (WindowRef open = FindListFamilyWindow(window, entries[i].resID)) {
            SelectWindow(open);
            break;
        }
        KorvelIcon icon;
        Boolean editable = true;
        Str255 name;
        if (MyGetKorvelIcon(rec, &icon, entries[i], name, &editable) != noErr) {
            SysBeep(1);
            continue;
        }
        KorvelIconOwner owner(icon);
        if (!editable && !MyConfirmDialog(kCustomIconQuestions, kNotEditableItem)) continue;
        Boolean show32 = false;
        if (isIconServicesAvailable) (void)KorvelIconHas32Icons(icon, &show32);
        FSSpec titleSpec{};
        CopyCStringToPascal(ListFamilyTitle(*rec, entries[i].resID), titleSpec.name);
        WindowRef family = MakeFamilyWindow(Point{SInt16(bounds.top + 30), SInt16(bounds.left + 20)}, show32,
                                            &titleSpec, kSourceIconList, icon, name);
        if (!family) {
            SysBeep(1);
            break;
        }
        (void)owner.release();
        FamilyWinRec* frec = GetFamilyWinRec(family);
        frec->parentList = window;
        frec->resID = entries[i].resID;
        SetIconFamilyWinTitle(family);
    }
    UpdateMenus();
}

OSErr StoreFamilyInIconList(WindowRef familyWindow) {
    FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    if (!family || !family->parentList) return paramErr;
    IconFileRec* rec = GetIconFileRec(family->parentList);
    if (!rec) return paramErr;
    OSType type = kIconListTypeClassic;
    for (const IconEntry& e : rec->entries)
        if (e.resID == family->resID) type = e.listType;
    Str255 name;
    PStrCopy(family->familyName, name);
    {
        UseResFileScope use(rec->workingRefNum);
        if (const OSErr err = RemoveIconResources(family->resID); err != noErr) return err;
        IconResInfo info;
        info.resID = family->resID;
        PStrCopy(name, info.name);
        info.attributes = kIconResourceAttributes;
        OSErr err = noErr;
        if (type == kIconListTypeFamily) {
            IconFamilyHandle data = nullptr;
            err = KorvelIconToIconFamily(family->icon, &data);
            if (err == noErr) {
                err = SaveDataToResource(HandleBytes(Handle(data)), kIconListTypeFamily, family->resID, name,
                                         kIconResourceAttributes);
                DisposeHandle(Handle(data));
            }
        } else if (family->icon.suite) {
            err = ForEachIconDo(family->icon.suite, SystemIconSelector(), AddIconToFile, &info);
        }
        if (err != noErr) return err;
        CreateUpdateInfo(family->resID);
    }
    MarkIconListChanged(family->parentList);
    return noErr;
}
