// Clicks and keys in the icon-family window: selecting members with the mouse,
// Tab and the arrows, opening them with a double-click or Return, the
// member's context menu, and typing in the name field.
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/FamilyWindow.h"
#include "icons/FamilyWindowInternal.h"
#include "icons/IconConvert.h"
#include "io/ExternalEditor.h"
#include "palettes/Prefs.h"
#include "platform/core/Geometry.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Text.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Scrap.h"

namespace {

constexpr MenuID kMemberContextMenuID = 172;
enum : MenuItemIndex {
    kContextEdit = 1, kContextEditExternal = 2, kContextTakeBack = 3, kContextCut = 5, kContextCopy = 6,
    kContextPaste = 7, kContextClear = 8, kContextNewEmpty = 10,
};
constexpr SInt16 kMenuTextSize = 9;
// Half the side of the 5 x 5 slop square round a click.
constexpr SInt16 kSlop = 2;

// The first shown member whose place holds the point, or -1.
SInt16 HitMember(const FamilyWinRec& family, WindowRef window, Point pt) {
    const SInt16 last = LastShownKind(family, window);
    for (SInt16 kind = 0; kind <= last; ++kind)
        if (PtInRect(pt, &familyIconRect[size_t(kind)])) return kind;
    return -1;
}

Boolean MemberHasData(const FamilyWinRec& family, SInt16 kind) {
    Handle data = nullptr;
    return kind >= 0 && GetDataFromKorvelIcon(&data, family.icon, kind) == noErr && data != nullptr;
}

Boolean ClipboardHasPicture() {
    Size size = 0;
    return GetScrapFlavorSize(FourCC("PICT"), &size) == noErr && size > 0;
}

void SetItemEnabled(MenuRef menu, MenuItemIndex item, Boolean enabled) {
    if (enabled) EnableMenuItem(menu, item);
    else DisableMenuItem(menu, item);
}

// The member context menu at a point of the window (local coordinates).
void FamilyContextMenu(WindowRef window, Point localPt) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    MenuRef menu = GetMenuHandle(kMemberContextMenuID);
    if (!menu) {
        const SInt16 saved = CurResFile();
        if (gApplRefNum != -1) UseResFile(gApplRefNum);
        menu = GetMenu(kMemberContextMenuID);
        UseResFile(saved);
        if (!menu) return;
        InsertMenu(menu, hierMenu);
    }
    const Boolean hasData = MemberHasData(*family, family->selectedKind);
    for (MenuItemIndex item : {kContextEdit, kContextCut, kContextCopy, kContextClear})
        SetItemEnabled(menu, item, hasData);
    SetItemEnabled(menu, kContextNewEmpty, family->selectedKind >= 0 && !hasData);
    const Boolean isOut = family->selectedKind >= 0 && IsOpenedByExternalEditor(window, family->selectedKind, false);
    SetItemEnabled(menu, kContextEditExternal, hasData && !isOut && IsExternalEditingAvailable());
    SetItemEnabled(menu, kContextTakeBack, isOut);
    SetItemEnabled(menu, kContextPaste, family->selectedKind >= 0 && ClipboardHasPicture());
    SetMenuFont(menu, systemFont, kMenuTextSize);

    Point global = localPt;
    {
        SavedGWorld saved;
        SetPortWindowPort(window);
        LocalToGlobal(&global);
    }
    const SInt32 choice = ContextualMenuSelect(menu, global);
    switch (MenuItemIndex(choice & 0xFFFF)) {
    case kContextEdit: EditFamilyIcon(window, kEditInPaintWindow); break;
    case kContextEditExternal: EditFamilyIcon(window, kEditExternal); break;
    case kContextTakeBack: DropFromExternalEditor(window, family->selectedKind); break;
    case kContextCut: CutSelectedIconPicture(window); break;
    case kContextCopy: CopySelectedIconPicture(window); break;
    case kContextPaste: PasteToSelectedIcon(window); break;
    case kContextClear: DeleteSelectedIconPicture(window); break;
    case kContextNewEmpty: CreateEmptyIconData(window); break;
    default: break;
    }
}

void SelectAndShowMenu(WindowRef window, FamilyWinRec* family, SInt16 kind, Point localPt) {
    if (TEIsActive(family->nameTE)) TEDeactivate(family->nameTE);
    SelectFamilyMember(family, kind);
    FamilyContextMenu(window, localPt);
}

// The name field becomes the focus with its whole text selected.
void FocusNameField(FamilyWinRec* family) {
    SelectFamilyMember(family, -1);
    TEActivate(family->nameTE);
    TESetSelect(0, 32767, family->nameTE);
}

}  // namespace

void SelectFamilyMember(FamilyWinRec* family, SInt16 kind) {
    if (!family) return;
    const SInt16 old = family->selectedKind;
    family->selectedKind = kind;
    if (old != kind) RedrawFamilyMember(family, old);
    RedrawFamilyMember(family, kind);
    if (old != kind) {
        UpdateMenus();
        RedrawIconPreview();
    }
}

void ClickFamilyWindow(WindowRef window, Point localPt, const EventRecord* event) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family || !event) return;
    const Boolean isFront = window == FrontNonFloatingWindow();
    const SInt16 hit = HitMember(*family, window, localPt);
    if (hit < 0) {
        if (!isFront) {
            SelectWindow(window);
            UpdateMenus();
            return;
        }
        if (PtInRect(localPt, &familyNameTERect)) {
            TEActivate(family->nameTE);
            TEClick(localPt, (event->modifiers & shiftKey) != 0, family->nameTE);
        } else {
            TEDeactivate(family->nameTE);
        }
        SelectFamilyMember(family, -1);
        return;
    }
    if (IsShowContextualMenuClick(event)) {
        if (!isFront) SelectWindow(window);
        SelectAndShowMenu(window, family, hit, localPt);
        return;
    }
    const Press press = TrackPress(window, localPt, event->when, kSlop);
    if (press == Press::Held) {
        if (!isFront) SelectWindow(window);
        SelectAndShowMenu(window, family, hit, localPt);
        return;
    }
    if (press == Press::Moved && isDragMgrPresent) {
        SelectFamilyMember(family, hit);
        (void)MyDoStartDragIconFamily(window, event);  // a drag nobody took changes nothing
        FlushEvents(mUpMask, 0);
        return;
    }
    if (!isFront) {
        SelectWindow(window);
        UpdateMenus();
        return;
    }
    const SInt16 old = family->selectedKind;
    family->selectedKind = hit;
    RedrawFamilyMember(family, old);
    RedrawFamilyMember(family, hit);
    RedrawIconPreview();
    if (press == Press::Clicked && WaitForSecondClick(window, event->where, event->when, kSlop)) {
        FlushEvents(mDownMask | mUpMask, 0);
        if (TEIsActive(family->nameTE)) TEDeactivate(family->nameTE);
        EditFamilyIcon(window, kEditDefault);
        return;
    }
    if (old != hit) UpdateMenus();
    if (TEIsActive(family->nameTE)) TEDeactivate(family->nameTE);
}

void SelectNextIcon(FamilyWinRec* family, Boolean backwards) {
    WindowRef window = FamilyWindowOf(family);
    if (!window) return;
    const SInt16 last = LastShownKind(*family, window);
    if (family->selectedKind < 0) {
        if (!TEIsActive(family->nameTE)) {
            FocusNameField(family);
            return;
        }
        TEDeactivate(family->nameTE);
        SelectFamilyMember(family, backwards ? last : 0);
        return;
    }
    const SInt16 next = SInt16(family->selectedKind + (backwards ? -1 : 1));
    if (next < 0 || next > last) FocusNameField(family);
    else SelectFamilyMember(family, next);
}

void SelectNextIcon2(FamilyWinRec* family, SInt16 dx, SInt16 dy) {
    WindowRef window = FamilyWindowOf(family);
    if (!window) return;
    const int next = family->selectedKind + dx + 4 * dy;
    if (next < 0 || next > LastShownKind(*family, window)) return;
    SelectFamilyMember(family, SInt16(next));
}

Boolean DoFamilyWindowKey(WindowRef window, const EventRecord* event) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family || !event) return false;
    const UInt8 ch = UInt8(event->message & charCodeMask);
    if (ch == kTabCharCode) {
        SelectNextIcon(family, (event->modifiers & shiftKey) != 0);
        return true;
    }
    const Boolean isReturn = ch == kReturnCharCode || ch == kEnterCharCode;
    const Boolean isArrow = ch >= kLeftArrowCharCode && ch <= kDownArrowCharCode;
    if (TEIsActive(family->nameTE)) {
        if (isReturn) return true;
        const std::string before = TEGetText(family->nameTE);
        TEKey(char16_t(ch), family->nameTE);
        if (!isArrow && TEGetText(family->nameTE) != before && !family->isDirty) {
            family->isDirty = true;
            UpdateSaveMenu();
        }
        return true;
    }
    if (isReturn) {
        if (family->selectedKind >= 0) EditFamilyIcon(window, kEditDefault);
        return true;
    }
    if (ch == kBackspaceCharCode || ch == kDeleteCharCode) {
        if (family->selectedKind >= 0) DeleteSelectedIconPicture(window);
        return true;
    }
    switch (ch) {
    case kLeftArrowCharCode: SelectNextIcon2(family, -1, 0); return true;
    case kRightArrowCharCode: SelectNextIcon2(family, 1, 0); return true;
    case kUpArrowCharCode: SelectNextIcon2(family, 0, -1); return true;
    case kDownArrowCharCode: SelectNextIcon2(family, 0, 1); return true;
    default: return false;
    }
}
