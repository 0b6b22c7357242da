// The icon-list window (kind 138): the icons of one resource file as a grid
// of cells labelled with their IDs. Every edit goes into a working resource
// file in the system's temporary folder, recorded there with the empty
// bookkeeping resources 'iDel' and 'iUpd'; the icon file itself changes only
// when it is saved, in the form it was read (flat resource file, AppleDouble
// companion, AppleSingle or MacBinary), written beside and renamed over it.
//
// The icon file is held as an in-memory resource file for the life of the
// window, so that a save can be built on a copy and thrown away when writing
// fails: the file on disk and the window's edits then stay as they were.
#pragma once

#include "image/KorvelIcon.h"
#include "platform/files/FSSpec.h"
#include "platform/files/Forks.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

#include <string>
#include <vector>

struct IconEntry {
    ResID resID = 0;
    OSType listType = 0;  // 'icns' or 'ICN#'
    friend bool operator==(const IconEntry&, const IconEntry&) = default;
};

inline constexpr OSType kIconListTypeFamily = FourCC("icns");
inline constexpr OSType kIconListTypeClassic = FourCC("ICN#");
inline constexpr ResType kDeleteInfoType = FourCC("iDel");
inline constexpr ResType kUpdateInfoType = FourCC("iUpd");

// Undo modes of an icon list; negative: the step was undone (redo).
enum : SInt16 { kIconListUndoAdd = 25, kIconListUndoDelete = 26, kIconListUndoInfo = 27 };

// Cell geometry.
inline constexpr SInt16 kIconCellWidth = 56, kIconCellHeight = 64, kIconListScrollBar = 15;
inline constexpr SInt16 kIconListMinWidth = 240, kIconListMinHeight = 192;

struct IconFileRec {
    // The cells in ascending ID order (ties keep their order) and their
    // selection flags, one per entry.
    std::vector<IconEntry> entries;
    std::vector<UInt8> selected;
    SInt16 columns = 1;
    SInt16 topRow = 0;  // the first row shown
    ControlRef vScroll = nullptr;

    SInt16 sourceRefNum = 0;  // the icon file's resources, held in memory
    FSSpec sourceSpec{};
    ForkSource sourceForm = ForkSource::none;  // where its fork was read from
    SInt16 workingRefNum = 0;
    FSSpec workingSpec{};
    Boolean hasFile = false;
    Boolean isDirty = false;
    Boolean dragAsWinIcon = false;
    SInt16 undoMode = 0;
    std::vector<IconEntry> undoList;  // undoCount is its size
    Str255 undoName = {0};
    Boolean dragHilite[2] = {false, false};  // a drag here is acceptable; the list is highlighted
    // What the last read of the icon file left out, for the user.
    std::string skippedNote;
};

extern SInt16 gTempFileNum;

// Start-up: removes the working files (and their companions) that copies of
// the program no longer running left in the temporary folder.
void RemoveStaleWorkingFiles();

IconFileRec* GetIconFileRec(WindowRef window);

// Opening and closing.
[[nodiscard]] OSErr LoadFromIconFile(const FSSpec& file);
// The number of icons the file lists (its custom icon aside); a negative
// error when the file cannot be read (alert shown), 0 without a fork.
SInt16 CountIcons(const FSSpec& file);
[[nodiscard]] OSErr OpenIconWindow(const FSSpec& file);
// A new, never-saved icon file (Icon menu item 1).
WindowRef NewIconFile();
// -128 when the user cancels a question; the window stays open.
[[nodiscard]] OSErr CloseIconFile(WindowRef window, Boolean quitting);

// The icon list read from an icon file: every ID of 'ICN#' and 'ics#' (and
// 'icns' with Icon Services) once, ascending, without -16455. IDs whose
// masks are all of the wrong size are left out and named in `skipped`.
std::vector<IconEntry> ReadIconEntries(SInt16 refNum, std::string* skipped);

// Reading icons: the working file first, then the icon file. Members of
// the wrong size are left out. The icon is the caller's.
[[nodiscard]] OSErr MyGetKorvelIcon(IconFileRec* iconFile, KorvelIcon* icon, const IconEntry& entry,
                                    StringPtr name, Boolean* editable);
SInt16 GetSelectedIconData(const IconFileRec& iconFile, IconEntry* entry);  // index or -1
SInt16 IsMultiIconSelected(const IconFileRec& iconFile);                   // selected cells
void SelectAllIcons(WindowRef window);

// The grid.
void InitIconList(WindowRef window);  // lays out the cells for the window's width
void AddIconToIconList(WindowRef window, const IconEntry& entry, Boolean isLast);
// Mode 2 removes `entries`; mode 1 selects them (rebuilding keeps the rest).
void UpdateIconList(WindowRef window, SInt16 mode, const std::vector<IconEntry>& entries);
void SortIconEntries(IconFileRec* iconFile);
Rect IconCellRect(const IconFileRec& iconFile, SInt16 index);  // in window coordinates
void LScrollToCell(WindowRef window, SInt16 index);
void MoveSelectedIcon(WindowRef window, SInt16 dx, SInt16 dy);
void UpdateIconWindow(WindowRef window);
void ClickIconWindow(WindowRef window, Point localPt, const EventRecord* event);
Boolean DoIconListKey(WindowRef window, const EventRecord* event);  // true when used
void ResizeIconWindow(WindowRef window, Point globalPt);
void ScrollIconList(WindowRef window, SInt16 rows);
void OpenSelectedIcon(WindowRef window);
// The preview palette shows the first selected icon.
void DrawIconListPreview(WindowRef window);

// Bookkeeping in the working file (made current by the caller).
void CreateDeleteInfo(ResID id);
void CreateUpdateInfo(ResID id);
void RemoveDeleteInfo(ResID id);
Boolean IsIconChanged(ResID id);

// Editing (each ends with the list redrawn, isDirty set and the menus updated).
ResID MyContinuousUniqID(const IconFileRec& iconFile, SInt16 n);
inline ResID MyUniqueID(const IconFileRec& iconFile) { return MyContinuousUniqID(iconFile, 1); }
[[nodiscard]] OSErr AddKorvelIconToList(WindowRef window, KorvelIcon* icon, OSType type, ConstStr255Param name,
                                        ResID id, Boolean isLast);
// Adds the icon of a file as a new icon named after it, under `id` (0: the
// first free one): a Windows icon file, an icon-family file (by suffix, else
// by the file's type), or the icon any other file or folder shows. A file
// that gives no icon with a 32- or 16-pixel 1-bit member is refused: named
// with the reason in `refused`, or in an alert of its own without one. With
// `isLast` the icons added since `undoList` was last emptied are selected
// and become the step to undo, even when this file is refused.
[[nodiscard]] OSErr AddFileIconToIconList(WindowRef window, const FSSpec& file, ResID id, Boolean isLast,
                                          std::vector<std::string>* refused = nullptr);
// Icon menu, Import: the icons of the files the user chooses, one alert
// naming those that gave none; userCanceledErr when the chooser is cancelled.
[[nodiscard]] OSErr ImportIconFromFile(WindowRef window);
// Icon menu, Open with Resource Editor: closes the window (asking to save)
// and opens its file in the resource editor of the preferences.
[[nodiscard]] OSErr OpenWithResEdit(WindowRef window);
// Icon menu, Add Icon: an icon from the new-icon dialog's template, members,
// ID and name; userCanceledErr when the dialog is cancelled.
[[nodiscard]] OSErr AddNewIcon(WindowRef window);
// Icon menu, Export: the selected icon as an icon-family file, a folder with
// it as its custom icon, or a Windows icon file, where the user says.
[[nodiscard]] OSErr ExportIconToFolder(WindowRef window);
[[nodiscard]] OSErr DeleteSelectedIcon(WindowRef window);
[[nodiscard]] OSErr DuplicateSelectedIcon(WindowRef window);
[[nodiscard]] OSErr CopySelectedIcon(WindowRef window);
[[nodiscard]] OSErr PasteIcon(WindowRef window);
// Gives the selected icon a new ID and name; dupFNErr when the ID is taken
// by another icon or is the custom icon's.
[[nodiscard]] OSErr ChangeSelectedIconInfo(WindowRef window, ResID newID, ConstStr255Param newName);
void SelectedIconInfo(WindowRef window);  // the info dialog
// The info dialog's picture of the icon, in its item 3: the 32-pixel icon
// centred, else the 16-pixel one, else the 128-pixel image shrunk to fit.
void DrawIconInfoIcon(DialogRef dialog, const KorvelIcon& icon);
void DoUndoIconList(WindowRef window);
// Writes a family window's icon back into its list's working file.
[[nodiscard]] OSErr StoreFamilyInIconList(WindowRef familyWindow);

// Saving.
[[nodiscard]] OSErr SaveIconFile(WindowRef window);
[[nodiscard]] OSErr DoRevertIconFile(WindowRef window);
Boolean IconListSaveEnabled(WindowRef window);
