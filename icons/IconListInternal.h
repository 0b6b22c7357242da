// What the icon-list files share among themselves.
#pragma once

#include "icons/IconList.h"
#include "platform/resources/ResourceFork.h"
#include "platform/resources/Resources.h"

#include <span>
#include <string>
#include <vector>

enum : SInt16 { kIconFileErrStrings = 4020, kIconFileUnreadable = 1, kIconFileSaveFailed = 2, kIconFileSkipped = 3,
                kIconFileMissing = 4 };
// Messages of dropped and dragged icons in that list.
enum : SInt16 { kIconsNotMadeItem = 12, kDroppedFamilyItem = 13, kDroppedDamagedItem = 14, kDroppedItem = 15 };
enum : SInt16 { kIconListTitleStrings = 145, kIconNameStrings = 141, kFamilyTitleStringList = 139 };

// Makes a resource file current for its life and gives the previous one back.
class UseResFileScope {
public:
    explicit UseResFileScope(SInt16 refNum) : saved_(CurResFile()) { UseResFile(refNum); }
    ~UseResFileScope() { UseResFile(saved_); }
    UseResFileScope(const UseResFileScope&) = delete;
    UseResFileScope& operator=(const UseResFileScope&) = delete;

private:
    SInt16 saved_;
};

// The first resource of each type and ID whose data lies inside the bytes,
// as a sound fork; `skipped` counts the rest.
[[nodiscard]] OSErr SalvageResourceFork(std::span<const UInt8> bytes, std::vector<UInt8>* out, int* skipped);

// The icon file's fork in memory: read, or salvaged with a note of what was
// left out. An alert names the file when nothing can be read.
[[nodiscard]] OSErr ReadIconFileFork(const FSSpec& file, SInt16* refNum, ForkSource* form, std::string* note);
// The resource types of an icon, 'icns' last.
std::span<const ResType> IconResourceTypes();
// Removes every icon resource of that ID from the current file.
[[nodiscard]] OSErr RemoveIconResources(ResID id);
[[nodiscard]] OSErr RemoveOneResource(ResType type, ResID id);
// The working file: made empty in the temporary folder and opened.
[[nodiscard]] OSErr MakeWorkingFile(IconFileRec* iconFile);
void DisposeWorkingFile(IconFileRec* iconFile);
void MarkIconListChanged(WindowRef window);
WindowRef FindIconListWindow(const FSSpec& file);
// The family window showing icon `id` of the list, or none.
WindowRef FindListFamilyWindow(WindowRef list, ResID id);
void DisposeIconWindow(WindowRef window);
// "Icon <id> of <file>": the title of a family window opened from the list.
std::string ListFamilyTitle(const IconFileRec& rec, ResID id);
WindowRef MakeIconWindow(SInt16 sourceRefNum);

// The folder the list's Import and Export dialogs start in: the icon file's
// own; for an icon file never saved, the folder these dialogs last gave a
// file in, else the user's home.
SInt32 IconListDialogFolder(const IconFileRec& rec);
// Remembers the folder of a file these dialogs gave.
void NoteIconListDialogFolder(const FSSpec& chosen);

// Item `index` of the icon file messages.
std::string IconFileErrText(SInt16 index);
// One alert naming every refused file or item, each with its reason.
void AlertIconsRefused(const std::vector<std::string>& refused);
// Selects what the last add brought and makes it the step to undo, when the
// last item of a run gave no icon of its own.
void FinishAddingIcons(WindowRef window);
