// The Window menu: the Magnification submenu and the list of open documents,
// grouped by kind, from which one is brought to the front.
#include "app/MenuBar.h"

#include "app/MenuCommands.h"
#include "app/WindowKinds.h"
#include "paint/PaintWindow.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

namespace {

constexpr MenuItemIndex kMagItem = 1;
constexpr MenuItemIndex kFirstListedItem = 4;
constexpr SInt16 kRatioCount = 5;

// The groups in menu order: icon lists, icon families, paint windows.
constexpr std::array<SInt16, 3> kGroupKinds{kIconListWindowKind, kFamilyWindowKind, kPaintWindowKind};
using WindowGroups = std::array<std::vector<WindowRef>, 3>;

// The documents as the menu last listed them, front to back in each group.
WindowGroups gListedWindows;

WindowGroups CollectDocumentWindows() {
    WindowGroups groups;
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (!IsWindowVisible(w) || IsFloatingWindow(w)) continue;
        const SInt16 kind = GetExtWindowKind(w);
        for (size_t g = 0; g < kGroupKinds.size(); ++g) {
            if (kind == kGroupKinds[g]) groups[g].push_back(w);
        }
    }
    return groups;
}

struct ListedItem {
    std::string text;  // the title's bytes
    UInt16 mark;
    bool operator==(const ListedItem&) const = default;
};

std::string PStringBytes(ConstStr255Param s) { return std::string(reinterpret_cast<const char*>(s + 1), s[0]); }

std::vector<ListedItem> CurrentListedItems(MenuRef menu) {
    std::vector<ListedItem> items;
    for (MenuItemIndex i = kFirstListedItem; i <= CountMenuItems(menu); ++i) {
        Str255 text;
        UInt16 mark = noMark;
        GetMenuItemText(menu, i, text);
        GetItemMark(menu, i, &mark);
        items.push_back({PStringBytes(text), mark});
    }
    return items;
}

Boolean IsListedWindowOpen(WindowRef window) {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) {
        if (w == window) return IsWindowVisible(w);
    }
    return false;
}

}  // namespace

void UpdateWindowMenu() {
    MenuRef menu = GetMenuHandle(kWindowMenuID);
    if (!menu) return;
    WindowRef paint = FrontPaintWindow();
    if (paint) EnableMenuItem(menu, kMagItem);
    else DisableMenuItem(menu, kMagItem);
    if (MenuRef mag = GetMenuHandle(kMagMenuID); mag && paint) {
        MarkOneItem(mag, 1, kRatioCount, MenuItemIndex(GetPaintWinRec(paint)->ratio + 1));
    }

    gListedWindows = CollectDocumentWindows();

    std::vector<ListedItem> items;
    WindowRef front = FrontDocumentWindow();
    for (const std::vector<WindowRef>& group : gListedWindows) {
        if (group.empty()) continue;
        items.push_back({"-", noMark});
        for (WindowRef w : group) {
            Str255 title;
            GetWTitle(w, title);
            items.push_back({PStringBytes(title), w == front ? checkMark : noMark});
        }
    }
    // Rebuilding remakes the menu's actions: only when the list changed.
    if (items == CurrentListedItems(menu)) return;
    for (MenuItemIndex i = CountMenuItems(menu); i >= kFirstListedItem; --i) DeleteMenuItem(menu, i);
    for (const ListedItem& item : items) {
        Str255 text;
        text[0] = UInt8(item.text.size());
        std::copy(item.text.begin(), item.text.end(), text + 1);
        AppendMenuItemText(menu, text);
        SetItemMark(menu, CountMenuItems(menu), item.mark);
    }
}

void HandleWindowChoice(SInt16 item) {
    if (item < SInt16(kFirstListedItem)) return;
    SInt16 k = SInt16(item - kFirstListedItem);
    WindowRef chosen = nullptr;
    for (const std::vector<WindowRef>& group : gListedWindows) {
        if (group.empty()) continue;
        if (k == 0) return;  // the group's separator
        --k;
        if (k < SInt16(group.size())) {
            chosen = group[size_t(k)];
            break;
        }
        k = SInt16(k - SInt16(group.size()));
    }
    // A window closed since the menu was built is not brought back.
    if (!chosen || !IsListedWindowOpen(chosen)) return;
    if (chosen != FrontDocumentWindow()) SelectWindow(chosen);
    UpdateMenus();
}
