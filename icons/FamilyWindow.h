// The icon-family window (kind 139): all members of one icon side by side
// at their real size, with an editable name field; members are selected,
// opened for editing, copied, pasted and saved back to where the icon came
// from. The member commands and conversions are in IconConvert.h.
#pragma once

#include "app/WindowKinds.h"
#include "image/KorvelIcon.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/Events.h"
#include "platform/ui/TextEdit.h"
#include "platform/ui/Windows.h"

#include <array>

// Where a family came from and goes back to.
inline constexpr OSType kSourceCustomIcon = FourCC("Icon");
inline constexpr OSType kSourceIconFamilyFile = FourCC("icns");
inline constexpr OSType kSourceWinIcon = FourCC("wIco");
inline constexpr OSType kSourceIconList = FourCC("ICN#");

// Undo modes of a family window.
enum : SInt16 { kFamilyUndoStore = 28, kFamilyUndoDelete = 30, kFamilyUndoCreate = 31 };

struct FamilyWinRec {
    WindowRef parentList = nullptr;
    OSType sourceType = 0;
    FSSpec fileSpec{};
    Boolean hasFile = false;
    Boolean isFolder = false;
    KorvelIcon icon{};
    ResID resID = kCustomIconResID;
    Str255 familyName = {0};
    SInt16 selectedKind = -1;
    TEHandle nameTE = nullptr;
    Boolean isDirty = false;
    Boolean show32 = false;
    SInt16 winWidth = 195;
    SInt16 winHeight = 134;
    SInt16 undoMode = 0;
    SInt16 undoKind = -1;
    Handle undoData = nullptr;
    Boolean dragHilite[2] = {false, false};  // a drag here is acceptable; a member is highlighted
};

inline constexpr Rect familyNameTERect = {9, 45, 21, 177};
extern const std::array<Rect, kIconKindCount> familyIconRect;

// The record of a family window, or none for another window.
FamilyWinRec* GetFamilyWinRec(WindowRef window);
// The last member kind the window shows: 7, 11 or 13.
SInt16 LastVisibleKind(const FamilyWinRec& family);

// The common constructor: the window takes `icon` on success; on failure the
// caller still owns it.
WindowRef MakeFamilyWindow(Point position, Boolean show32, const FSSpec* fileSpec, OSType sourceType,
                           const KorvelIcon& icon, ConstStr255Param name);
void UpdateFamilyWindow(WindowRef window);
void DisplayFamilyIcon(FamilyWinRec* family, SInt16 kind);
void ClickFamilyWindow(WindowRef window, Point localPt, const EventRecord* event);
void SelectNextIcon(FamilyWinRec* family, Boolean backwards);
void SelectNextIcon2(FamilyWinRec* family, SInt16 dx, SInt16 dy);
// Keys while the family window is frontmost; true when used.
Boolean DoFamilyWindowKey(WindowRef window, const EventRecord* event);
void SetIconFamilyWinTitle(WindowRef window);
void UpdateCursorInFamilyWindow(WindowRef window, Point localPt);
void DoFamilyWindowIdle(WindowRef window);
void ToggleFamilyWindowZoom(WindowRef window);

// Openers: each first brings a standalone family window that already shows
// the same file or folder to the front.
[[nodiscard]] OSErr OpenXIconFile(const FSSpec& file);
[[nodiscard]] OSErr OpenWinIconFile(const FSSpec& file);
[[nodiscard]] OSErr OpenFolderIcon(const FSSpec& item, Boolean isFolder);
// A standalone window showing `item`, or none.
WindowRef FindFamilyWindow(const FSSpec& item);

[[nodiscard]] OSErr SaveFamilyIcon(WindowRef window, Boolean thenSaveList, Boolean saveAs);
[[nodiscard]] OSErr DoRevertIconFamilyWindow(WindowRef window);
// -128 when the user cancels or a member's paint window holds unsaved edits.
[[nodiscard]] OSErr CloseFamilyWindow(WindowRef window, Boolean askToSave, Boolean refuseIfEditing);

// Drag and drop (FamilyDrag.cpp): a member dragged out as a picture, a
// picture dropped onto a member.
[[nodiscard]] OSErr InstallFamilyDragHandlers(WindowRef window);
void RemoveFamilyDragHandlers(WindowRef window);
[[nodiscard]] OSErr MyDoStartDragIconFamily(WindowRef window, const EventRecord* event);

void UpdateIconPreview(WindowRef window);
void DrawKorvelIconPreview(const KorvelIcon* icon);
void RedrawIconPreview();
