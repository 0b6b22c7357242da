#include "icons/FamilyCommands.h"

#include "icons/FamilyWindow.h"
#include "icons/IconConvert.h"
#include "platform/ui/Scrap.h"
#include "platform/ui/TextEdit.h"

#include <algorithm>
#include <vector>

namespace {

enum : SInt16 { kEditUndo = 1, kEditCut = 3, kEditCopy = 4, kEditPaste = 5, kEditClear = 6, kEditSelectAll = 7 };
enum : SInt16 { kIconNewMember = 4, kIconEditMember = 10 };

// Family windows whose name field was active when they went behind.
std::vector<WindowRef> gFieldsToReactivate;

Boolean FieldActive(const FamilyWinRec* family) { return family->nameTE && TEIsActive(family->nameTE); }

Boolean FieldHasSelection(const FamilyWinRec* family) {
    return TEGetSelEnd(family->nameTE) > TEGetSelStart(family->nameTE);
}

Boolean MemberSelected(const FamilyWinRec* family) {
    return family->selectedKind >= 0 && family->selectedKind <= LastVisibleKind(*family);
}

Boolean MemberHasData(const FamilyWinRec* family) {
    if (!MemberSelected(family)) return false;
    Handle data = nullptr;
    return GetDataFromKorvelIcon(&data, family->icon, family->selectedKind) == noErr && data &&
           GetHandleSize(data) > 0;
}

Boolean ScrapHasPicture() {
    Size size = 0;
    return GetScrapFlavorSize(FourCC("PICT"), &size) == noErr && size > 0;
}

// The Edit menu's commands on the selected member.
Boolean MemberItemEnabled(const FamilyWinRec* family, SInt16 editItem) {
    switch (editItem) {
    case kEditCut:
    case kEditCopy:
    case kEditClear: return MemberHasData(family);
    case kEditPaste: return MemberSelected(family) && ScrapHasPicture();
    default: return false;
    }
}

void DoMemberItem(WindowRef window, SInt16 editItem) {
    switch (editItem) {
    case kEditCut: CutSelectedIconPicture(window); break;
    case kEditCopy: CopySelectedIconPicture(window); break;
    case kEditPaste: PasteToSelectedIcon(window); break;
    case kEditClear: DeleteSelectedIconPicture(window); break;
    default: break;
    }
}

// The name field is redrawn by the window's update.
void InvalNameField(WindowRef window) {
    Rect r = familyNameTERect;
    InsetRect(&r, -2, -2);
    InvalWindowRect(window, &r);
}

}  // namespace

Boolean FamilyEditItemEnabled(WindowRef window, SInt16 item) {
    const FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family) return false;
    if (item == kEditUndo) return family->undoMode != 0;
    if (FieldActive(family)) {
        switch (item) {
        case kEditCut:
        case kEditCopy:
        case kEditClear: return FieldHasSelection(family);
        case kEditPaste: return TEScrapHasText();
        case kEditSelectAll: return true;
        default: return false;
        }
    }
    return MemberItemEnabled(family, item);
}

void DoFamilyEditItem(WindowRef window, SInt16 item) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family || !FamilyEditItemEnabled(window, item)) return;
    if (item == kEditUndo) {
        DoUndoIconFamily(window);
        return;
    }
    if (!FieldActive(family)) {
        DoMemberItem(window, item);
        return;
    }
    switch (item) {
    case kEditCut: TECut(family->nameTE); break;
    case kEditCopy: TECopy(family->nameTE); break;
    case kEditPaste: TEPaste(family->nameTE); break;
    case kEditClear: TEDelete(family->nameTE); break;
    case kEditSelectAll: TESetSelect(0, SInt32(TEGetText(family->nameTE).size()), family->nameTE); break;
    default: break;
    }
    // Any change of the name is a change of the family.
    if (item != kEditCopy && item != kEditSelectAll) family->isDirty = true;
    InvalNameField(window);
}

Boolean FamilyIconItemEnabled(WindowRef window, SInt16 item) {
    const FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family) return false;
    switch (item) {
    case kIconNewMember: return MemberSelected(family) && !MemberHasData(family);
    case kIconEditMember: return MemberHasData(family);
    default: return false;
    }
}

void DoFamilyIconItem(WindowRef window, SInt16 item) {
    if (!FamilyIconItemEnabled(window, item)) return;
    if (item == kIconNewMember) CreateEmptyIconData(window);
    else EditFamilyIcon(window, kEditDefault);
}

Boolean FamilySaveEnabled(WindowRef window) {
    const FamilyWinRec* family = GetFamilyWinRec(window);
    return family && (family->isDirty || !family->hasFile);
}

Boolean FamilyRevertEnabled(WindowRef window) {
    const FamilyWinRec* family = GetFamilyWinRec(window);
    // A family of an icon list goes back to the list, not to a file of its own.
    return family && family->isDirty && family->hasFile && !family->parentList;
}

void DoActivateFamilyWindow(WindowRef window, Boolean becomingActive) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family || !family->nameTE) return;
    auto remembered = std::find(gFieldsToReactivate.begin(), gFieldsToReactivate.end(), window);
    if (!becomingActive) {
        if (TEIsActive(family->nameTE)) {
            TEDeactivate(family->nameTE);
            if (remembered == gFieldsToReactivate.end()) gFieldsToReactivate.push_back(window);
            InvalNameField(window);
        }
    } else if (remembered != gFieldsToReactivate.end()) {
        gFieldsToReactivate.erase(remembered);
        TEActivate(family->nameTE);
        InvalNameField(window);
    }
}

void ForgetFamilyWindowActivation(WindowRef window) { std::erase(gFieldsToReactivate, window); }
