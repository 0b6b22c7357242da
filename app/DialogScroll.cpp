#include "app/DialogScroll.h"

#include "platform/raster/GWorld.h"
#include "platform/ui/Windows.h"

#include <algorithm>
#include <cstdint>

namespace {

constexpr SInt16 kWheelRows = 3;  // rows per notch of the mouse wheel

ControlRef BarOf(DialogRef dialog, DialogItemIndex barItem) {
    ControlRef bar = nullptr;
    if (GetDialogItemAsControl(dialog, barItem, &bar) != noErr) return nullptr;
    return bar;
}

// The reference holds the number of rows shown.
SInt16 PageOf(ControlRef bar) {
    return SInt16(std::max<std::intptr_t>(1, reinterpret_cast<std::intptr_t>(GetControlReference(bar)) - 1));
}

void ScrollBarBy(ControlRef bar, SInt16 rows) {
    const SInt16 before = GetControlValue(bar);
    SetControlValue(bar, SInt16(std::clamp<int>(before + rows, GetControlMinimum(bar), GetControlMaximum(bar))));
    if (GetControlValue(bar) == before) return;
    SavedGWorld saved;
    SetPortWindowPort(GetControlOwner(bar));
    DrawDialog(GetControlOwner(bar));
}

}  // namespace

SInt16 DialogScrollTop(DialogRef dialog, DialogItemIndex barItem) {
    ControlRef bar = BarOf(dialog, barItem);
    return bar ? GetControlValue(bar) : SInt16(0);
}

void SetDialogScrollRange(DialogRef dialog, DialogItemIndex barItem, SInt16 rows, SInt16 visible, SInt16 keep) {
    ControlRef bar = BarOf(dialog, barItem);
    if (!bar) return;
    visible = std::max<SInt16>(visible, 1);
    SetControlReference(bar, reinterpret_cast<SRefCon>(std::intptr_t(visible)));
    SetControlMaximum(bar, SInt16(std::max(0, rows - visible)));
    SInt16 top = GetControlValue(bar);
    if (keep >= 0 && keep < top) top = keep;
    if (keep >= 0 && keep >= top + visible) top = SInt16(keep - visible + 1);
    SetControlValue(bar, top);  // clamped into the new range
}

void ScrollDialogRows(DialogRef dialog, DialogItemIndex barItem, SInt16 rows) {
    if (ControlRef bar = BarOf(dialog, barItem)) ScrollBarBy(bar, rows);
}

void MyDialogScrollAction(ControlRef bar, ControlPartCode part) {
    switch (part) {
    case kControlUpButtonPart: ScrollBarBy(bar, -1); break;
    case kControlDownButtonPart: ScrollBarBy(bar, 1); break;
    case kControlPageUpPart: ScrollBarBy(bar, SInt16(-PageOf(bar))); break;
    case kControlPageDownPart: ScrollBarBy(bar, PageOf(bar)); break;
    case kControlIndicatorPart: {  // the value is already set: only the rows follow
        SavedGWorld saved;
        SetPortWindowPort(GetControlOwner(bar));
        DrawDialog(GetControlOwner(bar));
        break;
    }
    default: break;
    }
}

Boolean HandleDialogScrollEvent(DialogRef dialog, DialogItemIndex barItem, const EventRecord& event,
                                ControlActionProcPtr action) {
    ControlRef bar = BarOf(dialog, barItem);
    if (!bar) return false;
    switch (event.what) {
    case mouseDown: {
        WindowRef window = nullptr;
        if (FindWindow(event.where, &window) != inContent || window != dialog) return false;
        SavedGWorld saved;
        SetPortWindowPort(dialog);
        Point local = event.where;
        GlobalToLocal(&local);
        ControlRef hit = nullptr;
        if (!FindControl(local, dialog, &hit) || hit != bar) return false;
        TrackControl(bar, local, action);
        return true;
    }
    case mouseWheelEvt: {
        WindowRef window = nullptr;
        if (MouseWheelAxis(event) != kMouseWheelAxisY || FindWindow(event.where, &window) != inContent ||
            window != dialog)
            return false;
        ScrollBarBy(bar, SInt16(-MouseWheelDelta(event) * kWheelRows));
        return true;
    }
    case keyDown:
    case autoKey: {
        if (event.modifiers & cmdKey) return false;
        const SInt16 page = PageOf(bar);
        switch (UInt8(event.message & charCodeMask)) {
        case kUpArrowCharCode: ScrollBarBy(bar, -1); return true;
        case kDownArrowCharCode: ScrollBarBy(bar, 1); return true;
        case kPageUpCharCode: ScrollBarBy(bar, SInt16(-page)); return true;
        case kPageDownCharCode: ScrollBarBy(bar, page); return true;
        case kHomeCharCode: ScrollBarBy(bar, SInt16(-GetControlMaximum(bar))); return true;
        case kEndCharCode: ScrollBarBy(bar, GetControlMaximum(bar)); return true;
        default: return false;
        }
    }
    default: return false;
    }
}
