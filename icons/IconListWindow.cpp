// The icon-list window's grid: the cells' layout, drawing, selection by
// mouse and keys, scrolling and resizing.
#include "icons/IconListInternal.h"

#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/FamilyWindow.h"
#include "icons/IconListDrag.h"
#include "image/Colors.h"
#include "palettes/Prefs.h"
#include "platform/raster/ColorTables.h"
#include "platform/core/PString.h"
#include "platform/icons/PlotIcons.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Text.h"
#include "platform/ui/DesktopPixels.h"
#include "platform/ui/Menus.h"

#include <algorithm>

namespace {

enum : SInt16 { kIconContextMenuID = 156, kListContextMenuID = 157 };
constexpr SInt16 kSlop = 2;
constexpr Rect kActivePart{7, 11, 55, 45};  // the icon and its label within a cell
constexpr RGBColor kHighlight{0xB0B0, 0xCCCC, 0xFFFF};

Rect ListView(WindowRef window) {
    Rect port;
    GetWindowPortBounds(window, &port);
    port.right = SInt16(std::max<int>(port.left, port.right - kIconListScrollBar));
    return port;
}

SInt16 VisibleRows(WindowRef window) {
    const Rect view = ListView(window);
    return SInt16(std::max(1, (view.bottom - view.top) / kIconCellHeight));
}

SInt16 RowCount(const IconFileRec& rec) {
    return SInt16((SInt32(rec.entries.size()) + rec.columns - 1) / rec.columns);
}

void UpdateScrollBar(WindowRef window, IconFileRec* rec) {
    Rect port;
    GetWindowPortBounds(window, &port);
    const Rect bar{SInt16(port.top - 1), SInt16(port.right - kIconListScrollBar), SInt16(port.bottom - 14),
                   SInt16(port.right + 1)};
    if (!rec->vScroll) {
        rec->vScroll = NewControl(window, &bar, nullptr, true, 0, 0, 0, scrollBarProc, 0);
    } else {
        MoveControl(rec->vScroll, bar.left, bar.top);
        SizeControl(rec->vScroll, SInt16(bar.right - bar.left), SInt16(bar.bottom - bar.top));
    }
    if (!rec->vScroll) return;
    const SInt16 maxTop = SInt16(std::max(0, RowCount(*rec) - VisibleRows(window)));
    rec->topRow = std::clamp<SInt16>(rec->topRow, 0, maxTop);
    SetControlMaximum(rec->vScroll, maxTop);
    SetControlValue(rec->vScroll, rec->topRow);
}

SInt16 CellAt(WindowRef window, const IconFileRec& rec, Point pt) {
    const Rect view = ListView(window);
    if (!PtInRect(pt, &view)) return -1;
    const SInt16 col = SInt16((pt.h - view.left) / kIconCellWidth);
    if (col >= rec.columns) return -1;
    const SInt32 index = SInt32(rec.topRow + (pt.v - view.top) / kIconCellHeight) * rec.columns + col;
    return index < SInt32(rec.entries.size()) ? SInt16(index) : -1;
}

void SelectOnly(IconFileRec* rec, SInt16 index) {
    std::fill(rec->selected.begin(), rec->selected.end(), 0);
    if (index >= 0 && size_t(index) < rec->selected.size()) rec->selected[size_t(index)] = 1;
}

void FillBackground(const Rect& r) {
    RGBColor back = rgbWhiteColor;
    if (gListBackground == 2) back = {0xCCCC, 0xCCCC, 0xCCCC};
    if (gListBackground == 3) back = rgbBlackColor;
    if (gListBackground == 4) back = {0x6666, 0x8888, 0xAAAA};
    RGBForeColor(&back);
    PaintRect(&r);
    RGBForeColor(&rgbBlackColor);
}

void DrawCell(IconFileRec* rec, SInt16 index, const Rect& cell) {
    const IconEntry& entry = rec->entries[size_t(index)];
    const Boolean selected = rec->selected[size_t(index)] != 0;
    KorvelIcon icon;
    const OSErr err = MyGetKorvelIcon(rec, &icon, entry, nullptr, nullptr);
    KorvelIconOwner owner(icon);
    Handle big = nullptr;
    if (err == noErr) (void)GetIconFromSuite(&big, icon.suite, FourCC("ICN#"));
    Rect place = big ? Rect{SInt16(cell.top + 8), SInt16(cell.left + 12), SInt16(cell.top + 40), SInt16(cell.left + 44)}
                     : Rect{SInt16(cell.top + 16), SInt16(cell.left + 20), SInt16(cell.top + 32), SInt16(cell.left + 36)};
    if (selected) {
        Rect frame{SInt16(cell.top + 8), SInt16(cell.left + 12), SInt16(cell.top + 40), SInt16(cell.left + 44)};
        InsetRect(&frame, -3, -3);
        RGBForeColor(&kHighlight);
        PaintRect(&frame);
        RGBForeColor(&rgbBlackColor);
        PenSize(2, 2);
        FrameRect(&frame);
        PenNormal();
    }
    if (err == noErr && icon.suite)
        (void)PlotIconSuite(&place, kAlignNone, selected ? kTransformSelected : kTransformNone, icon.suite);
    Str255 label;
    CopyCStringToPascal(std::to_string(entry.resID), label);
    static const UInt8 kFamilyMark[] = {1, 'i'}, kSmallMark[] = {1, 's'};
    if (entry.listType == kIconListTypeFamily) PStrCat(label, kFamilyMark);
    else if (!big) PStrCat(label, kSmallMark);
    TextFont(applFont);
    TextSize(9);
    const SInt16 width = StringWidth(label);
    const SInt16 left = SInt16(cell.left + 28 - width / 2);
    const Rect labelRect{SInt16(cell.top + 45), SInt16(left - 2), SInt16(cell.top + 57), SInt16(left + width + 2)};
    if (selected) {
        RGBForeColor(&kHighlight);
        PaintRect(&labelRect);
        RGBForeColor(&rgbBlackColor);
    } else if (gListBackground == 3) {
        RGBForeColor(&rgbWhiteColor);
    }
    MoveTo(left, SInt16(cell.top + 54));
    DrawString(label);
    RGBForeColor(&rgbBlackColor);
}

void ShowContextMenu(WindowRef window, SInt16 menuID, Point localPt);

}  // namespace

IconFileRec* GetIconFileRec(WindowRef window) {
    if (!window || GetExtWindowKind(window) != kIconListWindowKind) return nullptr;
    return reinterpret_cast<IconFileRec*>(GetWRefCon(window));
}

void InitIconList(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return;
    const Rect view = ListView(window);
    rec->columns = SInt16(std::max(1, (view.right - view.left) / kIconCellWidth));
    rec->selected.resize(rec->entries.size(), 0);
    UpdateScrollBar(window, rec);
}

void SortIconEntries(IconFileRec* rec) {
    std::vector<size_t> order(rec->entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return rec->entries[a].resID < rec->entries[b].resID; });
    std::vector<IconEntry> entries;
    std::vector<UInt8> selected;
    for (size_t i : order) {
        entries.push_back(rec->entries[i]);
        selected.push_back(i < rec->selected.size() ? rec->selected[i] : 0);
    }
    rec->entries = std::move(entries);
    rec->selected = std::move(selected);
}

Rect IconCellRect(const IconFileRec& rec, SInt16 index) {
    const SInt16 row = SInt16(index / rec.columns - rec.topRow), col = SInt16(index % rec.columns);
    const SInt16 top = SInt16(row * kIconCellHeight), left = SInt16(col * kIconCellWidth);
    return {top, left, SInt16(top + kIconCellHeight), SInt16(left + kIconCellWidth)};
}

void UpdateIconWindow(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    const Rect view = ListView(window);
    ClipRect(&view);
    FillBackground(view);
    const SInt32 first = SInt32(rec->topRow) * rec->columns;
    const SInt32 last = std::min<SInt32>(SInt32(rec->entries.size()), first + (VisibleRows(window) + 1) * rec->columns);
    for (SInt32 i = first; i < last; ++i) DrawCell(rec, SInt16(i), IconCellRect(*rec, SInt16(i)));
    Rect port;
    GetWindowPortBounds(window, &port);
    ClipRect(&port);
    DrawControls(window);
    DrawGrowIcon(window);
}

void DrawIconListPreview(WindowRef window) {
    IconFileRec* rec = GetIconFileRec(window);
    IconEntry entry;
    KorvelIcon icon;
    if (!rec || GetSelectedIconData(*rec, &entry) < 0 || MyGetKorvelIcon(rec, &icon, entry, nullptr, nullptr) != noErr) {
        DrawKorvelIconPreview(nullptr);
        return;
    }
    KorvelIconOwner owner(icon);
    DrawKorvelIconPreview(&icon);
}

void LScrollToCell(WindowRef window, SInt16 index) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || index < 0) return;
    const SInt16 row = SInt16(index / rec->columns);
    if (row < rec->topRow) rec->topRow = row;
    else if (row >= rec->topRow + VisibleRows(window)) rec->topRow = SInt16(row - VisibleRows(window) + 1);
    UpdateScrollBar(window, rec);
    InvalWindow(window);
}

void ScrollIconList(WindowRef window, SInt16 rows) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return;
    rec->topRow = SInt16(rec->topRow + rows);
    UpdateScrollBar(window, rec);
    InvalWindow(window);
}

void AddIconToIconList(WindowRef window, const IconEntry& entry, Boolean isLast) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return;
    rec->entries.push_back(entry);
    rec->selected.assign(rec->entries.size(), 0);
    SortIconEntries(rec);
    if (!isLast) return;
    SInt16 lastIndex = -1;
    for (size_t i = 0; i < rec->entries.size(); ++i)
        for (const IconEntry& u : rec->undoList)
            if (rec->entries[i].resID == u.resID) rec->selected[i] = 1, lastIndex = SInt16(i);
    UpdateScrollBar(window, rec);
    LScrollToCell(window, lastIndex);
    InvalWindow(window);
}

void UpdateIconList(WindowRef window, SInt16 mode, const std::vector<IconEntry>& entries) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return;
    auto listed = [&](ResID id) {
        return std::any_of(entries.begin(), entries.end(), [id](const IconEntry& e) { return e.resID == id; });
    };
    if (mode == 2) {
        std::vector<IconEntry> kept;
        std::vector<UInt8> keptSelected;
        for (size_t i = 0; i < rec->entries.size(); ++i) {
            if (listed(rec->entries[i].resID)) continue;
            kept.push_back(rec->entries[i]);
            keptSelected.push_back(0);
        }
        rec->entries = std::move(kept);
        rec->selected = std::move(keptSelected);
    }
    InitIconList(window);
    if (mode == 1) {
        SInt16 lastIndex = -1;
        for (size_t i = 0; i < rec->entries.size(); ++i) {
            rec->selected[i] = listed(rec->entries[i].resID) ? 1 : 0;
            if (rec->selected[i]) lastIndex = SInt16(i);
        }
        LScrollToCell(window, lastIndex);
    }
    InvalWindow(window);
}

SInt16 GetSelectedIconData(const IconFileRec& rec, IconEntry* entry) {
    for (size_t i = 0; i < rec.selected.size(); ++i)
        if (rec.selected[i]) {
            if (entry) *entry = rec.entries[i];
            return SInt16(i);
        }
    return -1;
}

SInt16 IsMultiIconSelected(const IconFileRec& rec) {
    return SInt16(std::count(rec.selected.begin(), rec.selected.end(), UInt8(1)));
}

void SelectAllIcons(WindowRef window) {
    if (IconFileRec* rec = GetIconFileRec(window)) {
        std::fill(rec->selected.begin(), rec->selected.end(), 1);
        InvalWindow(window);
        UpdateMenus();
    }
}

void MoveSelectedIcon(WindowRef window, SInt16 dx, SInt16 dy) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || rec->entries.empty()) return;
    const SInt32 count = SInt32(rec->entries.size());
    const SInt16 current = GetSelectedIconData(*rec, nullptr);
    SInt32 next;
    if (current < 0) next = dx > 0 || dy > 0 ? 0 : count - 1;
    else next = current + dx + SInt32(dy) * rec->columns;  // row ends wrap to the next or previous row
    if (next < 0 || next >= count) return;
    SelectOnly(rec, SInt16(next));
    LScrollToCell(window, SInt16(next));
    InvalWindow(window);
    RedrawIconPreview();
    UpdateMenus();
}

Boolean DoIconListKey(WindowRef window, const EventRecord* event) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec) return false;
    const UInt8 ch = UInt8(event->message & charCodeMask);
    switch (ch) {
    case kReturnCharCode:
    case kEnterCharCode:
        if (GetSelectedIconData(*rec, nullptr) >= 0) OpenSelectedIcon(window);
        return true;
    case kBackspaceCharCode:
    case kDeleteCharCode:
        if (GetSelectedIconData(*rec, nullptr) >= 0) (void)DeleteSelectedIcon(window);
        return true;
    case kLeftArrowCharCode: MoveSelectedIcon(window, -1, 0); return true;
    case kRightArrowCharCode: MoveSelectedIcon(window, 1, 0); return true;
    case kUpArrowCharCode: MoveSelectedIcon(window, 0, -1); return true;
    case kDownArrowCharCode: MoveSelectedIcon(window, 0, 1); return true;
    case kPageUpCharCode: ScrollIconList(window, SInt16(-VisibleRows(window))); return true;
    case kPageDownCharCode: ScrollIconList(window, VisibleRows(window)); return true;
    default: return false;
    }
}

void ClickIconWindow(WindowRef window, Point localPt, const EventRecord* event) {
    IconFileRec* rec = GetIconFileRec(window);
    if (!rec || !event) return;
    const Boolean isFront = window == FrontNonFloatingWindow();
    const Rect view = ListView(window);
    if (!PtInRect(localPt, &view)) {
        if (!isFront) {
            SelectWindow(window);
        } else if (ControlRef control = nullptr; FindControl(localPt, window, &control) && control == rec->vScroll) {
            const ControlPartCode part = FindControl(localPt, window, &control);
            if (part == kControlIndicatorPart) {
                TrackControl(control, localPt, nullptr);
                rec->topRow = GetControlValue(control);
            } else {
                const SInt16 step = part == kControlUpButtonPart ? -1 : part == kControlDownButtonPart ? 1
                                  : part == kControlPageUpPart ? SInt16(-VisibleRows(window)) : VisibleRows(window);
                rec->topRow = SInt16(rec->topRow + step);
            }
            UpdateScrollBar(window, rec);
            InvalWindow(window);
        }
        UpdateMenus();
        return;
    }
    const SInt16 index = CellAt(window, *rec, localPt);
    Rect active = kActivePart;
    if (index >= 0) {
        const Rect cell = IconCellRect(*rec, index);
        OffsetRect(&active, cell.left, cell.top);
    }
    if (index < 0 || !PtInRect(localPt, &active)) {
        if (!isFront) {
            SelectWindow(window);
            UpdateMenus();
            return;
        }
        SelectOnly(rec, -1);
        InvalWindow(window);
        RedrawIconPreview();
        UpdateMenus();
        if (IsShowContextualMenuClick(event)) ShowContextMenu(window, kListContextMenuID, localPt);
        return;
    }
    if (!isFront) {
        // The selection stays: a drag takes it as it is, from one of its icons.
        if (TrackPress(window, localPt, event->when, kSlop) == Press::Moved && isDragMgrPresent) {
            if (rec->selected[size_t(index)]) {
                (void)MyDoStartDragIcon(window, event);  // a drag nobody took changes nothing
                FlushEvents(mUpMask, 0);
            } else {
                SelectOnly(rec, -1);
                InvalWindow(window);
            }
            UpdateMenus();
            return;
        }
        SelectWindow(window);
        UpdateMenus();
        return;
    }
    if ((event->modifiers & shiftKey) && GetSelectedIconData(*rec, nullptr) >= 0) {
        // The smallest block of cells holding the selection and the clicked cell.
        SInt16 top = SInt16(index / rec->columns), bottom = top, left = SInt16(index % rec->columns), right = left;
        for (size_t i = 0; i < rec->selected.size(); ++i) {
            if (!rec->selected[i]) continue;
            top = std::min<SInt16>(top, SInt16(i / size_t(rec->columns)));
            bottom = std::max<SInt16>(bottom, SInt16(i / size_t(rec->columns)));
            left = std::min<SInt16>(left, SInt16(i % size_t(rec->columns)));
            right = std::max<SInt16>(right, SInt16(i % size_t(rec->columns)));
        }
        for (size_t i = 0; i < rec->selected.size(); ++i) {
            const SInt16 r = SInt16(i / size_t(rec->columns)), c = SInt16(i % size_t(rec->columns));
            if (r >= top && r <= bottom && c >= left && c <= right) rec->selected[i] = 1;
        }
    } else if (!(event->modifiers & cmdKey) && !rec->selected[size_t(index)]) {
        SelectOnly(rec, -1);
    }
    rec->selected[size_t(index)] = 1;
    InvalWindow(window);
    RedrawIconPreview();
    UpdateMenus();
    if (IsShowContextualMenuClick(event)) {
        ShowContextMenu(window, kIconContextMenuID, localPt);
        return;
    }
    switch (TrackPress(window, localPt, event->when, kSlop)) {
    case Press::Held:
        if (rec->selected[size_t(index)]) ShowContextMenu(window, kIconContextMenuID, localPt);
        return;
    case Press::Moved:
        if (isDragMgrPresent) {
            (void)MyDoStartDragIcon(window, event);  // a drag nobody took changes nothing
            FlushEvents(mUpMask, 0);
        }
        return;
    case Press::Clicked:
        if (WaitForSecondClick(window, event->where, event->when, kSlop)) OpenSelectedIcon(window);
        return;
    }
}

void ResizeIconWindow(WindowRef window, Point globalPt) {
    if (!GetIconFileRec(window)) return;
    Rect desk;
    GetRegionBounds(GetGrayRgn(), &desk);
    const Rect limits{kIconListMinHeight, kIconListMinWidth, SInt16(desk.bottom - desk.top),
                      SInt16(desk.right - desk.left)};
    const SInt32 size = GrowWindow(window, globalPt, &limits);
    if (size == 0) return;
    SizeWindow(window, SInt16(size & 0xFFFF), SInt16(size >> 16), true);
    InitIconList(window);
    InvalWindow(window);
}

namespace {

void ShowContextMenu(WindowRef window, SInt16 menuID, Point localPt) {
    IconFileRec* rec = GetIconFileRec(window);
    MenuRef menu = GetMenuHandle(menuID);
    if (!menu) menu = GetMenu(menuID);
    if (!rec || !menu) return;
    const Boolean single = IsMultiIconSelected(*rec) < 2;
    for (MenuItemIndex item = 1; item <= CountMenuItems(menu); ++item) EnableMenuItem(menu, item);
    if (menuID == kIconContextMenuID) {
        for (MenuItemIndex item : {3, 4, 7, 9, 10})
            if (!single) DisableMenuItem(menu, item);
    } else if (!isResEditAvailable || !rec->hasFile) {
        DisableMenuItem(menu, 6);
    }
    Point global = localPt;
    LocalToGlobal(&global);
    const SInt32 choice = ContextualMenuSelect(menu, global);
    const SInt16 item = SInt16(choice & 0xFFFF);
    if ((choice >> 16) != menuID || item == 0) return;
    if (menuID == kListContextMenuID) {
        if (item == 1) (void)PasteIcon(window);
        if (item == 3) (void)AddNewIcon(window);
        if (item == 4) (void)ImportIconFromFile(window);
        if (item == 6) (void)OpenWithResEdit(window);  // the window is gone when it closed
        UpdateMenus();
        return;
    }
    switch (item) {
    case 1: OpenSelectedIcon(window); break;
    case 3:
        if (CopySelectedIcon(window) == noErr) (void)DeleteSelectedIcon(window);
        break;
    case 4: (void)CopySelectedIcon(window); break;
    case 5: (void)PasteIcon(window); break;
    case 6: (void)DeleteSelectedIcon(window); break;
    case 7: (void)DuplicateSelectedIcon(window); break;
    case 9: SelectedIconInfo(window); break;
    case 10: (void)ExportIconToFolder(window); break;
    default: break;
    }
    UpdateMenus();
}

}  // namespace
