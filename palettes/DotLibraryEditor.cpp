// The library editor (a list of the open library's commands with Add, Edit
// and Delete) and the command editor, which takes only texts of the dot
// alphabet.
#include "palettes/DotLibrary.h"
#include "palettes/DotMode.h"

#include "app/Alerts.h"
#include "app/DialogScroll.h"
#include "platform/core/PString.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Text.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Events.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

enum : DialogItemIndex { kListItem = 3, kAddItem = 4, kEditItem = 5, kDeleteItem = 6, kListScrollItem = 7 };
enum : DialogItemIndex { kTextItem = 3, kPreviewItem = 4 };
constexpr SInt16 kEditLibraryDialog = 145, kEditCommandDialog = 146, kEditorTitles = 157;
constexpr SInt16 kRowHeight = 14;

struct LibraryEdit {
    std::vector<std::string> commands;
    int selected = -1;  // 0-based, −1 for none
};

void UseDotFont12() {
    Str255 fontName;
    GetIndString(fontName, 150, 1);
    SInt16 font = 0;
    GetFNum(fontName, &font);
    TextFont(font);
    TextSize(12);
}

Rect ItemBox(DialogRef d, DialogItemIndex item) {
    DialogItemType type;
    Handle h;
    Rect box;
    GetDialogItem(d, item, &type, &h, &box);
    return box;
}

void MyDrawCommandList(DialogRef d, DialogItemIndex item) {
    const auto* edit = static_cast<const LibraryEdit*>(GetWRefCon(d));
    const Rect box = ItemBox(d, item);
    EraseRect(&box);
    FrameRect(&box);
    if (!edit) return;
    UseDotFont12();
    const size_t first = size_t(DialogScrollTop(d, kListScrollItem));
    for (size_t i = first; i < edit->commands.size(); ++i) {
        const SInt16 top = SInt16(box.top + 1 + SInt16(i - first) * kRowHeight);
        if (top + kRowHeight > box.bottom) break;
        Str255 text;
        CopyCStringToPascal(edit->commands[i], text);
        MoveTo(SInt16(box.left + 4), SInt16(top + 11));
        DrawString(text);
        if (int(i) == edit->selected) {
            const Rect row{top, SInt16(box.left + 1), SInt16(top + kRowHeight), SInt16(box.right - 1)};
            InvertRect(&row);
        }
    }
    TextFont(0);
    TextSize(0);
}

void MyDrawCommandPreview(DialogRef d, DialogItemIndex item) {
    const Rect box = ItemBox(d, item);
    EraseRect(&box);
    Str255 text;
    GetDialogItemText(d, kTextItem, text);
    UseDotFont12();
    MoveTo(SInt16(box.left + 2), SInt16(box.top + 14));
    DrawString(text);
    TextFont(0);
    TextSize(0);
}

SInt16 VisibleRows(const Rect& list) { return SInt16((list.bottom - list.top - 2) / kRowHeight); }

// The list's scroll range for its commands, showing the selected one.
void UpdateListScroll(DialogRef d, const LibraryEdit& edit, const Rect& list) {
    SetDialogScrollRange(d, kListScrollItem, SInt16(edit.commands.size()), VisibleRows(list), SInt16(edit.selected));
}

Boolean MyLibraryListFilter(DialogRef d, EventRecord* event, DialogItemIndex* itemHit) {
    if (event && HandleDialogScrollEvent(d, kListScrollItem, *event)) {
        *itemHit = 0;
        return true;
    }
    return MyModalDialogFilter(d, event, itemHit);
}

}  // namespace

Boolean DoEditDotCommand(Str255 command, const std::vector<std::string>& others) {
    DialogRef d = GetNewDialog(kEditCommandDialog, nullptr, kFirstWindowOfClass);
    if (!d) {
        SysBeep(1);
        return false;
    }
    Str255 title;
    GetIndString(title, kEditorTitles, command[0] == 0 ? 1 : 2);
    SetWTitle(d, title);
    Str255 lastValid;
    PStrCopy(command, lastValid);
    SetDialogItemText(d, kTextItem, command);
    SetDialogItemDrawProc(d, kPreviewItem, MyDrawCommandPreview);
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);
    BeginModal();
    ShowWindow(d);
    Boolean accepted = false;
    for (;;) {
        DialogItemIndex hit = 0;
        ModalDialog(nullptr, &hit);
        if (hit == kStdCancelItemIndex) break;
        Str255 text;
        GetDialogItemText(d, kTextItem, text);
        if (hit == kTextItem) {
            if (CheckCommandStr(text) != noErr) {
                SysBeep(1);
                SetDialogItemText(d, kTextItem, lastValid);
            } else {
                PStrCopy(text, lastValid);
            }
            const Rect box = ItemBox(d, kPreviewItem);
            InvalWindowRect(d, &box);
            continue;
        }
        if (hit != kStdOkItemIndex) continue;
        if (EqualPString(lastValid, command)) break;  // unchanged: as Cancel
        const std::string typed = PStringToStd(lastValid);
        if (typed.empty() || std::find(others.begin(), others.end(), typed) != others.end()) {
            SysBeep(1);
            continue;
        }
        PStrCopy(lastValid, command);
        accepted = true;
        break;
    }
    DisposeDialog(d);
    EndModal();
    return accepted;
}

void DoEditLibrary() {
    LibraryEdit edit;
    if (GetDotLibCommands(&edit.commands) != noErr) {
        SysBeep(1);
        return;
    }
    DialogRef d = GetNewDialog(kEditLibraryDialog, nullptr, kFirstWindowOfClass);
    if (!d) {
        SysBeep(1);
        return;
    }
    SetWRefCon(d, &edit);
    SetDialogItemDrawProc(d, kListItem, MyDrawCommandList);
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);
    BeginModal();
    ShowWindow(d);
    const Rect list = ItemBox(d, kListItem);
    UpdateListScroll(d, edit, list);
    DialogItemIndex hit = 0;
    for (;;) {
        ModalDialog(MyLibraryListFilter, &hit);
        if (hit == kStdOkItemIndex || hit == kStdCancelItemIndex) break;
        if (hit == kListItem) {
            SavedGWorld saved;
            SetPortWindowPort(d);
            Point pt;
            GetMouse(&pt);
            const int row = pt.v > list.top ? DialogScrollTop(d, kListScrollItem) + (pt.v - list.top - 1) / kRowHeight : -1;
            edit.selected = row >= 0 && size_t(row) < edit.commands.size() ? row : -1;
        } else if (hit == kAddItem || (hit == kEditItem && edit.selected >= 0)) {
            const bool adding = hit == kAddItem;
            Str255 text{};
            if (!adding) CopyCStringToPascal(edit.commands[size_t(edit.selected)], text);
            if (DoEditDotCommand(text, edit.commands)) {
                if (adding && edit.commands.size() < size_t(kMaxDotLibCommands)) {
                    edit.commands.push_back(PStringToStd(text));
                    edit.selected = int(edit.commands.size()) - 1;
                } else if (!adding) {
                    edit.commands[size_t(edit.selected)] = PStringToStd(text);
                }
            }
        } else if (hit == kDeleteItem && edit.selected >= 0) {
            edit.commands.erase(edit.commands.begin() + edit.selected);
            edit.selected = -1;
        }
        UpdateListScroll(d, edit, list);
        InvalWindowRect(d, &list);
    }
    SetWRefCon(d, nullptr);
    DisposeDialog(d);
    EndModal();
    if (hit == kStdOkItemIndex && SetDotLibCommands(edit.commands) != noErr) {
        SysBeep(1);  // the file keeps its old commands
        return;
    }
    UpdateDotModePalette(nullptr);
}
