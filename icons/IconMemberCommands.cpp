// The member commands of the family window: edit in a paint window, copy,
// cut, paste, clear, create empty and undo, and the return of an edited
// member from its paint window. One undo step serves the whole window.
#include "icons/IconConvert.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/WindowKinds.h"
#include "icons/IconMemberInternal.h"
#include "io/DocumentPicture.h"
#include "io/ExternalEditor.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Scrap.h"

#include <cstdlib>
#include <string>

namespace {

constexpr OSType kPictFlavor = FourCC("PICT");
constexpr OSType kMemberFileType = FourCC("icns");
constexpr SInt16 kUntitledStrings = 132;
// Magnification exponents of a member's paint window: ×8, and ×4 for the
// 128-pixel thumbnails.
constexpr SInt16 kMemberRatio = 3;
constexpr SInt16 kThumbnailRatio = 2;

Boolean IsLiveWindow(WindowRef window) {
    if (!window) return false;
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w))
        if (w == window) return true;
    return false;
}

// The selected member's kind, or -1.
SInt16 SelectedKind(const FamilyWinRec& family) {
    return family.selectedKind >= 0 && family.selectedKind < kIconKindCount ? family.selectedKind : SInt16(-1);
}

// Puts the selected member's picture on the clipboard; false (after a beep)
// when there is none or the clipboard cannot take it.
bool CopyMemberPicture(const FamilyWinRec& family) {
    PicHandle picture = KorvelIconToPicture(family.icon, SelectedKind(family));
    if (!picture) {
        SysBeep(1);
        return false;
    }
    UniqueHandle owned(picture);
    HLockHi(picture);
    OSErr err = ClearCurrentScrap();
    if (err == noErr) err = PutScrapFlavor(kPictFlavor, HandleBytes(picture));
    if (err != noErr) {
        SysBeep(1);
        return false;
    }
    UpdatePasteMenu();
    return true;
}

// The first paint window in window order, visible or not.
WindowRef FirstPaintWindow() {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w))
        if (GetExtWindowKind(w) == kPaintWindowKind) return w;
    return nullptr;
}

// Exchanges the member of `kind` with the undo slot; false when memory runs
// out (nothing changes then).
bool ExchangeWithUndo(FamilyWinRec* family, SInt16 kind) {
    Handle member = MemberData(family->icon, kind);
    UniqueHandle memberCopy;
    if (member) {
        memberCopy.reset(CopyOfHandle(member));
        if (!memberCopy) return false;
    }
    if (ReplaceMember(&family->icon, kind, family->undoData) != noErr) return false;
    family->undoData = memberCopy.release();
    return true;
}

}  // namespace

Handle MemberData(const KorvelIcon& icon, SInt16 kind) {
    Handle data = nullptr;
    if (kind < 0 || kind >= kIconKindCount || GetDataFromKorvelIcon(&data, icon, kind) != noErr) return nullptr;
    return data;
}

Handle CopyOfHandle(Handle h) {
    if (!h) return nullptr;
    Handle copy = h;
    return HandToHand(&copy) == noErr ? copy : nullptr;
}

OSErr ReplaceMember(KorvelIcon* icon, SInt16 kind, Handle data) {
    // The thumbnail members are the record's own handles: the record does not
    // free the one it gives up.
    Handle old = kind == kKindIt32 || kind == kKindT8mk ? MemberData(*icon, kind) : nullptr;
    if (const OSErr err = SetDataToKorvelIcon(data, icon, kind); err != noErr) return err;
    if (old && old != data) DisposeHandle(old);
    return noErr;
}

void SetUndoData(FamilyWinRec* family, Handle data) {
    if (family->undoData && family->undoData != data) DisposeHandle(family->undoData);
    family->undoData = data;
}

void InvalMember(WindowRef familyWindow, SInt16 kind) {
    if (kind < 0 || kind >= kIconKindCount) return;
    Rect r = familyIconRect[size_t(kind)];
    InsetRect(&r, -2, -2);
    InvalWindowRect(familyWindow, &r);
}

void InvalPreview() {
    if (gPreviewWindow) InvalWindow(gPreviewWindow);
}

WindowRef FindMemberPaintWindow(WindowRef familyWindow, SInt16 kind) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        const PaintWinRec* rec = GetPaintWinRec(w);
        if (rec && IsWindowVisible(w) && rec->fileType == kMemberFileType && rec->parentWindow == familyWindow &&
            rec->iconKind == kind)
            return w;
    }
    return nullptr;
}

Boolean IsMemberPaintWindow(WindowRef paintWindow) {
    const PaintWinRec* rec = GetPaintWinRec(paintWindow);
    return rec && rec->fileType == kMemberFileType && IsLiveWindow(rec->parentWindow) &&
           GetFamilyWinRec(rec->parentWindow) != nullptr;
}

void EditFamilyIcon(WindowRef familyWindow, SInt16 mode) {
    FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    if (!family) return;
    const SInt16 kind = SelectedKind(*family);
    if (!MemberData(family->icon, kind)) return;
    if (WindowRef open = FindMemberPaintWindow(familyWindow, kind)) {
        SelectWindow(open);
        return;
    }
    if (IsOpenedByExternalEditor(familyWindow, kind, false)) return;
    // The default hands out full-colour members only to an editor the user named.
    const Boolean named = isExternalEditorAvailable && gUseExternalEditor;
    if ((mode == kEditExternal && IsExternalEditingAvailable()) ||
        (mode == kEditDefault && gIconUseDepth[size_t(kind)] == 32 && named)) {
        (void)OpenByExternalEditor(familyWindow);  // it tells its own failure
        return;
    }

    UniqueHandle picture(KorvelIconToPicture(family->icon, kind));
    if (!picture) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyConvertMessage);
        return;
    }
    Rect frame{};
    QDGetPictureBounds(picture.get(), &frame);
    const bool full = gIconUseDepth[size_t(kind)] == 32;
    const SInt16 ratio = gIconSize[size_t(kind)] == 128 ? kThumbnailRatio : kMemberRatio;
    WindowRef window = MakePaintWindow(&frame, ratio, full ? 24 : 8);
    PaintWinRec* rec = GetPaintWinRec(window);
    if (!rec) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyConvertMessage);
        return;
    }
    rec->picRect = frame;
    rec->fileType = kMemberFileType;
    rec->hasFile = true;
    rec->isDirty = false;
    rec->undoMode = 0;
    if (family->familyName[0] > 0) {
        CopyCStringToPascal(PStringToStd(family->familyName), rec->fileSpec.name, 63);
    } else {
        GetIndString(rec->fileSpec.name, kUntitledStrings, 1);
    }
    rec->parentWindow = familyWindow;
    rec->iconKind = kind;
    SetEditWindowTitle(window);

    {
        // Every pixel of the member is opaque while it is edited.
        SavedGWorld saved;
        SetBlackOnWhite(rec->offPort.get());
        DrawPicture(picture.get(), &frame);
        SetBlackOnWhite(rec->maskPort.get());
        PaintRect(&frame);
    }
    RectRgn(rec->updateRgn, &frame);
    DispOffPort(window);
    UpdateMenus();
}

void CopySelectedIconPicture(WindowRef familyWindow) {
    if (const FamilyWinRec* family = GetFamilyWinRec(familyWindow)) (void)CopyMemberPicture(*family);
}

void DeleteSelectedIconPicture(WindowRef familyWindow) {
    FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    if (!family) return;
    const SInt16 kind = SelectedKind(*family);
    Handle data = MemberData(family->icon, kind);
    if (!data) return SysBeep(1);
    // A suite keeps at least one 1-bit member.
    const bool large1Bit = kind == kKindICNImage || kind == kKindICNMask;
    const bool small1Bit = kind == kKindIcsImage || kind == kKindIcsMask;
    if ((large1Bit && !MemberData(family->icon, kKindIcsImage)) ||
        (small1Bit && !MemberData(family->icon, kKindICNImage)))
        return SysBeep(1);
    // A paint window editing the member (either half of a 1-bit member) is
    // closed first; one holding unsaved edits keeps the member.
    for (SInt16 k : {kind, IconKindOtherHalf(kind)}) {
        WindowRef open = k >= 0 ? FindMemberPaintWindow(familyWindow, k) : nullptr;
        if (!open) continue;
        SelectWindow(open);
        if (GetPaintWinRec(open)->isDirty) return SysBeep(1);
        if (ClosePaintWindow(open, false) != noErr) return;
    }

    UniqueHandle undo(CopyOfHandle(data));
    if (!undo || ReplaceMember(&family->icon, kind, nullptr) != noErr) return SysBeep(1);
    SetUndoData(family, undo.release());
    InvalMember(familyWindow, kind);
    InvalMember(familyWindow, IconKindOtherHalf(kind));
    family->isDirty = true;
    family->undoKind = kind;
    family->undoMode = kFamilyUndoDelete;
    UpdateMenus();
    InvalPreview();
}

void CutSelectedIconPicture(WindowRef familyWindow) {
    const FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    // Nothing is deleted that did not reach the clipboard.
    if (family && CopyMemberPicture(*family)) DeleteSelectedIconPicture(familyWindow);
}

void PasteToSelectedIcon(WindowRef familyWindow) {
    FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    if (!family || SelectedKind(*family) < 0) return;
    if (const PaintWinRec* front = GetPaintWinRec(FirstPaintWindow());
        front && front->fileType == kMemberFileType && front->parentWindow == familyWindow &&
        front->iconKind == family->selectedKind)
        return SysBeep(1);
    std::vector<UInt8> bytes;
    const OSErr err = GetScrapFlavorData(kPictFlavor, &bytes);
    if (err == memFullErr) return ErrorAlertFromResource(kFamilyErrStrings, kFamilyPasteMemoryMessage);
    if (err != noErr || bytes.empty()) return;
    UniqueHandle picture(NewHandleFromBytes(bytes));
    if (!picture) return ErrorAlertFromResource(kFamilyErrStrings, kFamilyPasteMemoryMessage);
    (void)SavePictureToIconData(picture.get(), familyWindow, true);  // a refusal has been shown
    InvalPreview();
}

void CreateEmptyIconData(WindowRef familyWindow) {
    FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    if (!family) return;
    const SInt16 kind = SelectedKind(*family);
    if (kind < 0 || MemberData(family->icon, kind)) return;
    UniqueHandle empty(NewHandleClear(IconKindDataSize(kind)));
    if (!empty || ReplaceMember(&family->icon, kind, empty.get()) != noErr) return SysBeep(1);
    (void)empty.release();
    SetUndoData(family, nullptr);
    InvalMember(familyWindow, IconKindOtherHalf(kind));
    InvalMember(familyWindow, kind);
    family->undoKind = kind;
    family->undoMode = kFamilyUndoCreate;
    family->isDirty = true;
    UpdateMenus();
    InvalPreview();
}

void DoUndoIconFamily(WindowRef familyWindow) {
    FamilyWinRec* family = GetFamilyWinRec(familyWindow);
    if (!family) return;
    const SInt16 mode = SInt16(std::abs(family->undoMode));
    if (mode == 0) {
        DisableMenuItem(GetMenuHandle(kEditMenuID), 1);
        return;
    }
    if (mode == kFamilyUndoStore || mode == kFamilyUndoDelete || mode == kFamilyUndoCreate) {
        if (family->undoKind < 0 || family->undoKind >= kIconKindCount || !ExchangeWithUndo(family, family->undoKind))
            return SysBeep(1);
    }
    family->undoMode = SInt16(-family->undoMode);
    family->selectedKind = family->undoKind;
    InvalWindow(familyWindow);
    family->isDirty = true;
    CountUse(kUsedIconUndo);
    UpdateMenus();
    InvalPreview();
}

OSErr SaveToFamily(WindowRef paintWindow) {
    if (!IsMemberPaintWindow(paintWindow)) return paramErr;
    const PaintWinRec* rec = GetPaintWinRec(paintWindow);
    WindowRef familyWindow = rec->parentWindow;
    UniqueHandle picture(GetSelectionPic(paintWindow, true));
    if (!picture) {
        ErrorAlertFromResource(kFamilyErrStrings, kFamilyConvertMessage);
        return memFullErr;
    }
    GetFamilyWinRec(familyWindow)->selectedKind = rec->iconKind;
    const OSErr err =
        SavePictureToIconData(picture.get(), familyWindow, gOtherPrefs[kOtherMaskByShape] != 0);
    InvalWindow(familyWindow);
    return err;
}
