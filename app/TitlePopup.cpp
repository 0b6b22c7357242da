#include "app/TitlePopup.h"

#include "app/Alerts.h"
#include "app/WindowKinds.h"
#include "icons/IconList.h"
#include "paint/PaintWindow.h"
#include "platform/core/PString.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/Launch.h"
#include "platform/ui/Menus.h"

#include <filesystem>
#include <vector>

namespace {

constexpr MenuID kTitlePathMenu = 173;
constexpr SInt16 kEventMessages = 4012, kFolderNotShownItem = 8;

// The document's file of a paint or icon-list window; false for none.
bool DocumentFile(WindowRef window, FSSpec* file) {
    const SInt16 kind = GetExtWindowKind(window);
    if (kind == kPaintWindowKind) {
        const PaintWinRec* rec = GetPaintWinRec(window);
        if (!rec || !rec->hasFile) return false;
        *file = rec->fileSpec;
        return true;
    }
    if (kind == kIconListWindowKind) {
        const IconFileRec* rec = GetIconFileRec(window);
        if (!rec || !rec->hasFile) return false;
        *file = rec->sourceSpec;
        return true;
    }
    return false;
}

}  // namespace

void TitlePopup(WindowRef window) {
    FSSpec file;
    if (!DocumentFile(window, &file)) return;
    // The file first, then each folder that holds it.
    std::vector<std::filesystem::path> paths{std::filesystem::path(FSSpecToPath(&file))};
    while (paths.back().has_relative_path()) paths.push_back(paths.back().parent_path());
    MenuRef menu = GetMenu(kTitlePathMenu);
    if (!menu) return;
    InsertMenu(menu, hierMenu);
    for (const std::filesystem::path& path : paths) {
        Str255 name;
        CopyCStringToPascal(path.has_filename() ? path.filename().string() : path.string(), name);
        AppendMenuItemText(menu, name);
    }
    Rect title, content;
    (void)GetWindowBounds(window, kWindowTitleTextRgn, &title);
    (void)GetWindowBounds(window, kWindowContentRgn, &content);
    const SInt32 choice = PopUpMenuSelect(menu, SInt16(content.top - 17), SInt16(title.left - 20), 1);
    DeleteMenu(kTitlePathMenu);
    DisposeMenu(menu);
    const SInt16 item = SInt16(choice & 0xFFFF);
    if (item < 2 || size_t(item) > paths.size()) return;  // none, or the document itself
    const std::string folder = paths[size_t(item - 1)].string();
    FSSpec folderSpec;
    if (FSSpecFromPath(folder, &folderSpec) != noErr || LaunchApplicationWithDocument(nullptr, folderSpec) != noErr)
        ErrorAlertNamed(kEventMessages, kFolderNotShownItem, folder);
}
