// The dot-mode palette: the library name, the recorded command and the input
// command of the front paint document, with the pop-ups that choose, make and
// edit libraries and commands.
#include "palettes/DotMode.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/Shell.h"
#include "app/WindowKinds.h"
#include "paint/PaintWindow.h"
#include "palettes/DotLibrary.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/files/FSSpec.h"
#include "platform/files/Files.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Text.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Events.h"
#include "platform/ui/Menus.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

enum : MenuID { kDotLibPopup = 162, kDotCmdPopup = 163, kRecordedPopup = 164, kInputPopup = 165, kLibNamePopup = 171 };
constexpr SInt16 kNewDotLibDialog = 142;
constexpr Rect kLibPopRect{3, 85, 14, 96};
constexpr Rect kCmdPopRect{18, 85, 29, 96};
constexpr Rect kRecordedRect{19, 5, 27, 79};
constexpr Rect kInputRect{34, 5, 63, 96};
constexpr Rect kLibNameRect{3, 5, 14, 79};

PaintWinRec* FrontPaintRec() {
    WindowRef front = FrontDocumentWindow();
    return GetExtWindowKind(front) == kPaintWindowKind ? GetPaintWinRec(front) : nullptr;
}

void UseDotFont(SInt16 size) {
    Str255 fontName;
    GetIndString(fontName, 150, 1);
    SInt16 font = 0;
    GetFNum(fontName, &font);
    TextFont(font);
    TextSize(size);
}

// Draws as many whole characters of `text` as fit before `right`, on lines
// `lineHeight` apart from `v` down to `bottom`: a long command never runs
// into the pop-up arrows or out of the palette.
void DrawWithin(SInt16 h, SInt16 v, SInt16 right, SInt16 bottom, ConstStr255Param text, SInt16 lineHeight = 11) {
    SInt16 start = 1;
    for (; start <= text[0] && v <= bottom; v = SInt16(v + lineHeight)) {
        SInt16 count = 0;
        while (start + count <= text[0] && h + TextWidth(text, start, SInt16(count + 1)) <= right) ++count;
        if (count == 0) return;
        MoveTo(h, v);
        DrawText(text, start, count);
        start = SInt16(start + count);
    }
}

void DrawPopArrow(const Rect& r) {
    FrameRect(&r);
    for (SInt16 i = 0; i < 3; ++i) {
        MoveTo(SInt16(r.left + 3 + i), SInt16(r.top + 4 + i));
        LineTo(SInt16(r.right - 4 - i), SInt16(r.top + 4 + i));
    }
}

// A pop-up menu from the resources for one choice; 0 when none was made.
SInt16 PopUp(MenuID id, Point local, const std::vector<std::string>& leading, SInt16 checked,
             const std::vector<MenuItemIndex>& disabled = {}) {
    MenuRef menu = GetMenu(id);
    if (!menu) return 0;
    InsertMenu(menu, hierMenu);
    for (size_t i = leading.size(); i-- > 0;) {
        Str255 text;
        CopyCStringToPascal(leading[i], text);
        InsertMenuItemText(menu, text, 0);
    }
    if (checked > 0) CheckMenuItem(menu, MenuItemIndex(checked), true);
    for (MenuItemIndex item : disabled) DisableMenuItem(menu, item);
    Point global = local;
    LocalToGlobal(&global);
    const SInt32 choice = PopUpMenuSelect(menu, global.v, global.h, std::max<SInt16>(checked, 1));
    DeleteMenu(id);
    DisposeMenu(menu);
    return SInt16(choice & 0xFFFF);
}

// The library files of the library folder, by name.
std::vector<std::string> LibraryFiles() {
    std::vector<std::string> names;
    std::error_code ec;
    const std::string folder = PathForDirID(gDotLibFolderID);
    if (folder.empty()) return names;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        if (name.size() > 31 || name.empty() || name[0] == '.') continue;
        FSSpec fileSpec;
        FInfo info;
        if (FSSpecFromPath(entry.path().string(), &fileSpec) == noErr && FSpGetFInfo(&fileSpec, &info) == noErr &&
            info.fdType == FourCC("iPat"))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return std::tolower(x) == std::tolower(y); });
}

// The new library's name from dialog 142; false when cancelled or refused.
bool AskNewLibName(Str255 name) {
    DialogRef d = GetNewDialog(kNewDotLibDialog, nullptr, kFirstWindowOfClass);
    if (!d) {
        SysBeep(1);
        return false;
    }
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);
    BeginModal();
    ShowWindow(d);
    DialogItemIndex hit = 0;
    do ModalDialog(nullptr, &hit);
    while (hit != kStdOkItemIndex && hit != kStdCancelItemIndex);
    GetDialogItemText(d, 3, name);
    DisposeDialog(d);
    EndModal();
    if (hit != kStdOkItemIndex || name[0] == 0) return false;
    if (name[0] >= 32) {
        ErrorAlertFromResource(kDotLibErrStrings, kDotLibNameTooLong);
        return false;
    }
    for (int i = 1; i <= name[0]; ++i)
        if (name[i] == ':' || name[i] == '/') name[i] = '-';
    FSSpec fileSpec;
    const OSErr err = GetDotLibFolderSpec(name, &fileSpec);
    if (err == noErr) ErrorAlertFromResource(kDotLibErrStrings, kDotLibExists);
    else if (err != fnfErr) ErrorAlertFromResource(kDotLibErrStrings, kDotLibCannotMake);
    return err == fnfErr;
}

void DoDotLibPop(Point local) {
    if (!isDotLibAvailable) return;
    const std::vector<std::string> files = LibraryFiles();
    SInt16 checked = 0;
    for (size_t i = 0; i < files.size(); ++i)
        if (EqualNoCase(files[i], PStringToStd(gDotLibName))) checked = SInt16(i + 1);
    const SInt16 item = PopUp(kDotLibPopup, local, files, checked);
    if (item <= 0) return;
    if (size_t(item) <= files.size()) {
        Str255 name;
        CopyCStringToPascal(files[size_t(item) - 1], name);
        FSSpec fileSpec;
        if (GetDotLibFolderSpec(name, &fileSpec) == noErr) (void)SetDotLibMain(fileSpec);
        return;
    }
    Str255 name;
    if (AskNewLibName(name)) (void)AddNewDotLibMain(name);
}

void DoDotCmdPop(Point local, bool command) {
    std::vector<std::string> commands;
    if (GetDotLibCommands(&commands) != noErr || commands.empty()) return;
    SInt16 checked = 0;
    for (size_t i = 0; i < commands.size(); ++i)
        if (commands[i] == PStringToStd(gDotCommand)) checked = SInt16(i + 1);
    const SInt16 item = PopUp(kDotCmdPopup, local, commands, checked);
    if (item <= 0 || size_t(item) > commands.size()) return;
    if (command) {
        DoDeleteDotCommand(item);
        return;
    }
    std::string chosen = commands[size_t(item) - 1];
    if (chosen.size() > size_t(kMaxInputCommand)) {
        chosen.resize(kMaxInputCommand);
        SysBeep(1);
    }
    CopyCStringToPascal(chosen, gDotCommand);
}

void DoRecDotPop(Point local) {
    WindowRef front = FrontDocumentWindow();
    if (gDotCommand[0] == 0 || !FrontPaintRec()) return;
    std::vector<MenuItemIndex> disabled;
    if (gDotLibRefNum == -1) disabled.push_back(3);
    const SInt16 item = PopUp(kRecordedPopup, local, {}, 0, disabled);
    if (item == 1) ExecuteCommand(gDotCommand, front);
    if (item == 3) AddCmdToLib();
}

void DoInputDotPop(Point local) {
    WindowRef front = FrontDocumentWindow();
    PaintWinRec* rec = FrontPaintRec();
    if (!rec || rec->inputCommand[0] == 0) return;
    const SInt16 item = PopUp(kInputPopup, local, {}, 0);
    if (item == 1) (void)HandleDotKey(keyDown, kEscapeCharCode, front);
    if (item == 2) (void)HandleDotKey(keyDown, '0', front);
}

// A double click on the name opens the editor at once; a single click
// offers it in a pop-up.
void DoLibNamePop(Point local, const EventRecord* event) {
    static UInt32 lastWhen = 0;
    static Point lastWhere{-100, -100};
    const UInt32 when = event ? event->when : TickCount();
    const bool twice = when - lastWhen <= GetDblTime() && std::abs(local.h - lastWhere.h) <= 2 &&
                       std::abs(local.v - lastWhere.v) <= 2;
    lastWhen = twice ? 0 : when;
    lastWhere = local;
    if (CountCmdNum() <= 0) return;
    if (twice || PopUp(kLibNamePopup, local, {}, 0) == 1) DoEditLibrary();
}

}  // namespace

void UpdateDotModePalette(WindowRef palette) {
    if (!palette) palette = DotModePalette;
    if (!palette || !IsWindowVisible(palette)) return;
    SavedGWorld saved;
    SetPortWindowPort(palette);
    Rect port;
    GetWindowPortBounds(palette, &port);
    EraseRect(&port);
    UseDotFont(9);
    DrawWithin(5, 12, kLibNameRect.right, 12, gDotLibName);
    if (isDotLibAvailable) DrawPopArrow(kLibPopRect);
    if (CountCmdNum() > 0) DrawPopArrow(kCmdPopRect);
    DrawWithin(5, 27, kRecordedRect.right, 27, gDotCommand);
    if (PaintWinRec* rec = FrontPaintRec()) DrawWithin(5, 44, SInt16(kInputRect.right - 1), kInputRect.bottom, rec->inputCommand);
    TextFont(0);
    TextSize(0);
}

void ClickDotModePalette(Point local, const EventRecord* event) {
    const bool command = event && (event->modifiers & cmdKey);
    SavedGWorld saved;
    SetPortWindowPort(DotModePalette);
    if (PtInRect(local, &kLibPopRect)) DoDotLibPop(local);
    else if (PtInRect(local, &kCmdPopRect)) DoDotCmdPop(Point{kCmdPopRect.top, kCmdPopRect.left}, command);
    else if (PtInRect(local, &kRecordedRect)) DoRecDotPop(local);
    else if (PtInRect(local, &kInputRect)) DoInputDotPop(local);
    else if (PtInRect(local, &kLibNameRect)) DoLibNamePop(local, event);
    UpdateDotModePalette(DotModePalette);
}
