// Dialogs and alerts. A dialog is a window of the window layer whose record
// points at the dialog's own record here: the item list as the 'DITL's gave
// it, the default and cancel items and the keyboard focus. Buttons, check
// boxes, radio buttons, texts and resource controls are controls of the
// window; pictures and user items are drawn into the window's port.
#include "platform/ui/Dialogs.h"

#include "platform/core/Geometry.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "platform/ui/ControlInternal.h"
#include "platform/ui/DialogInternal.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/UiResources.h"
#include "platform/ui/WindowInternal.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QStyle>

#include <algorithm>
#include <array>
#include <memory>

namespace {

struct DialogItem {
    UInt8 type = 0;  // with the itemDisable bit
    Rect rect{};
    SInt16 resID = 0;
    ControlRef control = nullptr;
    UserItemProcPtr proc = nullptr;
    bool hidden = false;
    QPointer<QLabel> icon;  // the standard icons 0 to 2
};

struct DialogInfo {
    WindowRef window = nullptr;
    SInt16 id = 0;
    std::vector<DialogItem> items;
    DialogItemIndex defaultItem = kStdOkItemIndex;
    DialogItemIndex cancelItem = 0;  // 0: item 2 when there is one, else item 1
    DialogItemIndex focusItem = 0;
    bool logged = false;
    QPointer<QLabel> alertIcon;
};

std::vector<std::unique_ptr<DialogInfo>> gDialogs;

// Icon IDs 0, 1 and 2 are the stop, note and caution icons.
enum : SInt16 { kStopIcon = 0, kNoteIcon = 1, kCautionIcon = 2 };

QLabel* MakeStandardIcon(WindowRef w, SInt16 iconID, const Rect& r) {
    QWidget* parent = ui_internal::ContentWidget(w);
    if (!parent || iconID < kStopIcon || iconID > kCautionIcon) return nullptr;
    QStyle::StandardPixmap sp = iconID == kStopIcon   ? QStyle::SP_MessageBoxCritical
                                : iconID == kNoteIcon ? QStyle::SP_MessageBoxInformation
                                                      : QStyle::SP_MessageBoxWarning;
    auto* label = new QLabel(parent);
    label->setPixmap(QApplication::style()->standardIcon(sp).pixmap(RectWidth(r), RectHeight(r)));
    Rect port;
    GetWindowPortBounds(w, &port);
    label->setGeometry(r.left - port.left, r.top - port.top, RectWidth(r), RectHeight(r));
    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    label->show();
    return label;
}

// A 32 x 32 'ICON' (128 bytes, one bit a pixel) scaled into r on the current port.
void DrawIconResource(SInt16 iconID, const Rect& r) {
    Handle h = GetResource(FourCC("ICON"), iconID);
    if (!h || GetHandleSize(h) < 128 || RectWidth(r) <= 0 || RectHeight(r) <= 0) return;
    auto bits = HandleBytes(h);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            if (!(bits[size_t(y * 4 + x / 8)] & (0x80 >> (x % 8)))) continue;
            Rect cell = MakeRect(r.top + y * RectHeight(r) / 32, r.left + x * RectWidth(r) / 32,
                                 r.top + (y + 1) * RectHeight(r) / 32, r.left + (x + 1) * RectWidth(r) / 32);
            PaintRect(&cell);
        }
}

// Templates with a positioning word are centred across the desktop and put
// a third of the way down, as alerts are.
Rect PlacedBounds(const Rect& bounds, UInt16 position) {
    if (position == 0) return bounds;
    Rect desk;
    GetRegionBounds(GetGrayRgn(), &desk);
    const int w = RectWidth(bounds), h = RectHeight(bounds);
    const int left = desk.left + std::max((RectWidth(desk) - w) / 2, 0);
    const int top = desk.top + std::max((RectHeight(desk) - h) / 3, int(kDocumentTitleBarHeight));
    return MakeRect(top, left, top + h, left + w);
}
std::array<std::string, 4> gParams;

UInt8 BaseType(UInt8 type) { return type & UInt8(~itemDisable); }

DialogInfo* Info(DialogRef d) {
    ui_internal::WindowRecord* rec = ui_internal::Record(d);
    if (!rec || !rec->dialog) return nullptr;
    for (auto& p : gDialogs)
        if (p.get() == rec->dialog) return p.get();
    return nullptr;
}

DialogItem* Item(DialogInfo* info, DialogItemIndex n) {
    if (!info || n < 1 || size_t(n) > info->items.size()) return nullptr;
    return &info->items[size_t(n - 1)];
}

std::string Substitute(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '^' && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '3') {
            out += gParams[size_t(text[i + 1] - '0')];
            ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

bool IsTextItem(UInt8 base) { return base == statText || base == editText; }

DialogItemIndex CancelItemOf(const DialogInfo& d) {
    if (d.cancelItem) return d.cancelItem;
    return d.items.size() >= 2 ? DialogItemIndex(2) : DialogItemIndex(1);
}

// Makes the control that shows an item, or none for pictures, icons and user items.
ControlRef MakeItemControl(WindowRef w, const DialogItemData& data, UInt8 base) {
    std::string text(data.data.begin(), data.data.end());
    Str255 title;
    auto make = [&](SInt16 procID, const std::string& t, SInt16 value, SInt16 min, SInt16 max) {
        CopyCStringToPascal(t, title);
        ControlRef c = NewControl(w, &data.rect, title, true, value, min, max, procID, nullptr);
        if (c && t.size() > 255) ui_internal::SetControlText(c, t);
        return c;
    };
    switch (base) {
    case ctrlItem + btnCtrl: return make(pushButProc, text, 0, 0, 1);
    case ctrlItem + chkCtrl: return make(checkBoxProc, text, 0, 0, 1);
    case ctrlItem + radCtrl: return make(radioButProc, text, 0, 0, 1);
    case ctrlItem + resCtrl: {
        Handle h = GetResource(FourCC("CNTL"), data.ResourceID());
        ControlTemplateData t;
        if (!h || ParseControlTemplate(HandleBytes(h), &t) != noErr) return nullptr;
        CopyCStringToPascal(t.title, title);
        ControlRef c = NewControl(w, &data.rect, title, t.visible, t.value, t.min, t.max, t.procID,
                                  reinterpret_cast<SRefCon>(intptr_t(t.refCon)));
        return c;
    }
    case statText: return make(kControlStaticTextProc, Substitute(text), 0, 0, 0);
    case editText: return make(kControlEditTextProc, Substitute(text), 0, 0, 0);
    default: return nullptr;
    }
}

void AppendItems(DialogInfo* info, SInt16 ditlID) {
    Handle h = GetResource(FourCC("DITL"), ditlID);
    std::vector<DialogItemData> list;
    if (!h || ParseDialogItemList(HandleBytes(h), &list) != noErr) return;
    for (const DialogItemData& data : list) {
        if (info->items.size() >= kMaxDialogItems) break;
        DialogItem item;
        item.type = data.type;
        item.rect = data.rect;
        UInt8 base = BaseType(data.type);
        if (base == iconItem || base == picItem || base == ctrlItem + resCtrl) item.resID = data.ResourceID();
        item.control = MakeItemControl(info->window, data, base);
        if (base == iconItem) item.icon = MakeStandardIcon(info->window, item.resID, item.rect);
        if (item.control && (data.type & itemDisable) && !IsTextItem(base) && base != ctrlItem + resCtrl)
            HiliteControl(item.control, kControlInactivePart);
        info->items.push_back(item);
        if (base == editText && info->focusItem == 0) {
            info->focusItem = DialogItemIndex(info->items.size());
            ui_internal::SetControlTextSelection(item.control, 0, 32767);
        }
    }
}

void MarkDefault(DialogInfo* info) {
    for (size_t i = 0; i < info->items.size(); ++i)
        if (BaseType(info->items[i].type) == ctrlItem + btnCtrl)
            ui_internal::SetControlDefaultButton(info->items[i].control, i + 1 == size_t(info->defaultItem));
}

// Pictures and user items are drawn into the port; controls are widgets.
void DrawPortItems(DialogInfo* info) {
    SavedGWorld saved;
    SetPortWindowPort(info->window);
    for (size_t i = 0; i < info->items.size(); ++i) {
        DialogItem& item = info->items[i];
        if (item.hidden) continue;
        UInt8 base = BaseType(item.type);
        if (base == picItem) {
            if (Handle pic = GetResource(FourCC("PICT"), item.resID)) DrawPicture(pic, &item.rect);
        } else if (base == iconItem && !item.icon) {
            DrawIconResource(item.resID, item.rect);
        } else if (base == userItem && item.proc) {
            item.proc(info->window, DialogItemIndex(i + 1));
        }
    }
}

// The item a local point hits, 0 for none: the first enabled item, in list
// order, whose control answers a part there or, for items without a control,
// whose rectangle holds the point.
DialogItemIndex ItemAt(DialogInfo* info, Point local) {
    for (size_t i = 0; i < info->items.size(); ++i) {
        const DialogItem& item = info->items[i];
        if (item.hidden) continue;
        UInt8 base = BaseType(item.type);
        bool hit = item.control && base != statText ? ui_internal::ControlPartAt(item.control, local) != 0
                                                    : PtInRect(local, &item.rect) != 0;
        if (hit) return DialogItemIndex(i + 1);
    }
    return 0;
}

bool ItemEnabled(const DialogItem& item) { return !(item.type & itemDisable); }

// The front visible dialog, if the front window is one.
DialogRef FrontDialog() {
    WindowRef w = FrontWindow();
    return Info(w) ? w : nullptr;
}

void FlushDialog(DialogInfo* info) { QDFlushPortBuffer(GetWindowPort(info->window), nullptr); }

// Default handling of one event for a dialog; the item hit, or 0.
DialogItemIndex HandleDialogEvent(DialogInfo* info, const EventRecord& e) {
    switch (e.what) {
    case updateEvt: {
        WindowRef w = EventWindow(e);
        if (!w) return 0;
        DialogInfo* shown = Info(w);
        if (!shown) {
            // Another window's update that the filter did not draw: it waits,
            // region and all, for the program's own loop.
            if (IsWindowUpdatePending(w)) ui_internal::HoldUpdateEvents(w);
            return 0;
        }
        BeginUpdate(w);
        DrawPortItems(shown);
        DrawControls(w);
        EndUpdate(w);
        return 0;
    }
    case mouseDown: {
        WindowRef w = nullptr;
        if (FindWindow(e.where, &w) != inContent || w != info->window) return 0;
        SavedGWorld saved;
        SetPortWindowPort(info->window);
        Point local = e.where;
        GlobalToLocal(&local);
        DialogItemIndex n = ItemAt(info, local);
        DialogItem* item = Item(info, n);
        if (!item) return 0;
        if (item->control && BaseType(item->type) != statText) {
            ControlPartCode part = TrackControl(item->control, local, nullptr);
            if (!part || !Item(Info(w), n)) return 0;
            if (BaseType(item->type) == editText) {
                // The caret goes where the button came up.
                Point up{};
                GetMouse(&up);
                info->focusItem = n;
                const SInt16 at = ui_internal::EditTextOffsetAt(item->control, up);
                ui_internal::SetControlTextSelection(item->control, at, at);
            }
        }
        return ItemEnabled(*item) ? n : 0;
    }
    case keyDown:
    case autoKey: {
        UInt8 ch = UInt8(e.message & charCodeMask);
        bool cmd = (e.modifiers & cmdKey) != 0;
        auto hitIfEnabled = [&](DialogItemIndex n) -> DialogItemIndex {
            DialogItem* item = Item(info, n);
            if (!item || item->hidden || !ItemEnabled(*item)) return 0;
            if (item->control && !IsControlActive(item->control)) return 0;
            return n;
        };
        if (ch == kReturnCharCode || ch == kEnterCharCode) return hitIfEnabled(info->defaultItem);
        if (ch == kEscapeCharCode || (cmd && ch == '.')) return hitIfEnabled(CancelItemOf(*info));
        DialogItem* focus = Item(info, info->focusItem);
        if (cmd) {
            if (focus && ui_internal::ApplyEditCommand(focus->control, ch)) return info->focusItem;
            return 0;
        }
        if (ch == kTabCharCode) {
            // The next visible edit text after the focus takes it, text selected.
            size_t n = info->items.size();
            for (size_t step = 1; step <= n; ++step) {
                size_t i = (size_t(info->focusItem) + step - 1) % n;
                if (BaseType(info->items[i].type) == editText && !info->items[i].hidden) {
                    info->focusItem = DialogItemIndex(i + 1);
                    ui_internal::SetControlTextSelection(info->items[i].control, 0, 32767);
                    break;
                }
            }
            return 0;
        }
        if (focus && ui_internal::ApplyKeyToEditText(focus->control, ch)) return info->focusItem;
        return 0;
    }
    default: return 0;
    }
}

DialogItemIndex ApplyStep(DialogInfo* info, const DialogStep& step) {
    DialogItem* item = Item(info, step.item);
    if (!item) return CancelItemOf(*info);
    switch (step.kind) {
    case DialogStep::Kind::Type:
        if (item->control && BaseType(item->type) == editText) {
            ui_internal::SetControlText(item->control, step.text);
            info->focusItem = step.item;
        }
        break;
    case DialogStep::Kind::Choose:
        if (item->control) SetControlValue(item->control, step.value);
        break;
    case DialogStep::Kind::Click: break;
    }
    return step.item;
}

void LogShown(DialogInfo* info) {
    if (info->logged) return;
    info->logged = true;
    ui_internal::NoteDialogShown(info->id);
}

DialogInfo* NewDialogRecord(WindowRef w, SInt16 id) {
    auto owned = std::make_unique<DialogInfo>();
    owned->window = w;
    owned->id = id;
    DialogInfo* info = owned.get();
    gDialogs.push_back(std::move(owned));
    ui_internal::Record(w)->dialog = info;
    return info;
}

SInt16 DialogProcFor(SInt16 procID) {
    switch (procID) {
    case dBoxProc:
    case plainDBox:
    case altDBoxProc:
    case movableDBoxProc: return procID;
    default: return movableDBoxProc;  // a modal dialog always needs a dialog frame here
    }
}

enum class AlertIcon { None, Stop, Note, Caution };

DialogItemIndex RunAlert(SInt16 alertID, ModalFilterProcPtr filter, AlertIcon icon) {
    Handle h = GetResource(FourCC("ALRT"), alertID);
    AlertTemplateData alrt;
    if (!h || ParseAlertTemplate(HandleBytes(h), &alrt) != noErr) return -1;
    const Rect bounds = PlacedBounds(alrt.boundsRect, alrt.position);
    WindowRef w = NewCWindow(nullptr, &bounds, nullptr, false, dBoxProc, kFirstWindowOfClass, false, nullptr);
    if (!w) return -1;
    DialogInfo* info = NewDialogRecord(w, alertID);
    AppendItems(info, alrt.itemsID);
    if (info->items.empty()) {
        DisposeDialog(w);
        return -1;
    }
    // The first stage's bold-item bit says which of the first two buttons is the default.
    info->defaultItem = (alrt.stages & 0x8) && info->items.size() >= 2 ? 2 : 1;
    info->cancelItem = info->items.size() >= 2 ? DialogItemIndex(3 - info->defaultItem) : DialogItemIndex(1);
    MarkDefault(info);
    std::string text;
    for (const DialogItem& item : info->items)
        if (BaseType(item.type) == statText) {
            if (!text.empty()) text += '\n';
            text += ui_internal::GetControlText(item.control);
        }
    ui_internal::SetLastAlertText(text);
    const bool listHasIcon = std::any_of(info->items.begin(), info->items.end(),
                                         [](const DialogItem& item) { return BaseType(item.type) == iconItem; });
    if (icon != AlertIcon::None && !listHasIcon) {
        // Where the toolbox puts an alert's icon.
        const SInt16 id = icon == AlertIcon::Stop ? kStopIcon : icon == AlertIcon::Note ? kNoteIcon : kCautionIcon;
        info->alertIcon = MakeStandardIcon(w, id, MakeRect(10, 20, 42, 52));
    }
    ShowWindow(w);
    DialogItemIndex hit = 0;
    ModalDialog(filter, &hit);
    DisposeDialog(w);
    return hit;
}

}  // namespace

// ---- Making dialogs --------------------------------------------------------------

DialogRef GetNewDialog(SInt16 dialogID, void* /*dStorage*/, WindowRef /*behind*/) {
    Handle h = GetResource(FourCC("DLOG"), dialogID);
    DialogTemplateData t;
    if (!h || ParseDialogTemplate(HandleBytes(h), &t) != noErr) return nullptr;
    Str255 title;
    CopyCStringToPascal(t.title, title);
    const Rect bounds = PlacedBounds(t.boundsRect, t.position);
    WindowRef w = NewCWindow(nullptr, &bounds, title, false, DialogProcFor(t.procID), kFirstWindowOfClass,
                             false, reinterpret_cast<SRefCon>(intptr_t(t.refCon)));
    if (!w) return nullptr;
    DialogInfo* info = NewDialogRecord(w, dialogID);
    AppendItems(info, t.itemsID);
    MarkDefault(info);
    return w;
}

void DisposeDialog(DialogRef theDialog) {
    DialogInfo* info = Info(theDialog);
    if (!info) {
        DisposeWindow(theDialog);
        return;
    }
    ui_internal::Record(theDialog)->dialog = nullptr;
    if (info->alertIcon) info->alertIcon->deleteLater();
    std::erase_if(gDialogs, [info](const auto& p) { return p.get() == info; });
    DisposeWindow(theDialog);
}

DialogRef GetDialogFromWindow(WindowRef window) { return Info(window) ? window : nullptr; }

SInt16 GetDialogID(DialogRef theDialog) {
    DialogInfo* info = Info(theDialog);
    return info ? info->id : 0;
}

void AppendDITL(DialogRef theDialog, SInt16 ditlID) {
    if (DialogInfo* info = Info(theDialog)) {
        AppendItems(info, ditlID);
        MarkDefault(info);
    }
}

DialogItemIndex CountDITL(DialogRef theDialog) {
    DialogInfo* info = Info(theDialog);
    return info ? DialogItemIndex(info->items.size()) : 0;
}

// ---- Items ------------------------------------------------------------------------

void GetDialogItem(DialogRef theDialog, DialogItemIndex itemNo, DialogItemType* itemType, Handle* item, Rect* box) {
    DialogItem* it = Item(Info(theDialog), itemNo);
    if (itemType) *itemType = it ? it->type : 0;
    if (item) {
        *item = nullptr;
        if (it && it->control) *item = reinterpret_cast<Handle>(it->control);
        else if (it && it->proc) *item = reinterpret_cast<Handle>(it->proc);
    }
    if (box) *box = it ? it->rect : Rect{};
}

void SetDialogItemDrawProc(DialogRef theDialog, DialogItemIndex itemNo, UserItemProcPtr proc) {
    if (DialogItem* it = Item(Info(theDialog), itemNo); it && BaseType(it->type) == userItem) it->proc = proc;
}

OSErr GetDialogItemAsControl(DialogRef inDialog, DialogItemIndex inItemNo, ControlRef* outControl) {
    DialogItem* it = Item(Info(inDialog), inItemNo);
    if (outControl) *outControl = it ? it->control : nullptr;
    return it && it->control ? noErr : paramErr;
}

void GetDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, Str255 text) {
    if (!text) return;
    DialogItem* it = Item(Info(theDialog), itemNo);
    CopyCStringToPascal(it && it->control ? ui_internal::GetControlText(it->control) : std::string(), text);
}

void SetDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, ConstStr255Param text) {
    DialogItem* it = Item(Info(theDialog), itemNo);
    if (it && it->control && text) ui_internal::SetControlText(it->control, PStringToStd(text));
}

void SelectDialogItemText(DialogRef theDialog, DialogItemIndex itemNo, SInt16 strtSel, SInt16 endSel) {
    DialogInfo* info = Info(theDialog);
    DialogItem* it = Item(info, itemNo);
    if (!it || BaseType(it->type) != editText) return;
    info->focusItem = itemNo;
    ui_internal::SetControlTextSelection(it->control, strtSel, endSel);
}

void HideDialogItem(DialogRef theDialog, DialogItemIndex itemNo) {
    DialogInfo* info = Info(theDialog);
    DialogItem* it = Item(info, itemNo);
    if (!it || it->hidden) return;
    it->hidden = true;
    if (it->control) HideControl(it->control);
    if (it->icon) it->icon->hide();
    InvalWindowRect(theDialog, &it->rect);
}

void ShowDialogItem(DialogRef theDialog, DialogItemIndex itemNo) {
    DialogItem* it = Item(Info(theDialog), itemNo);
    if (!it || !it->hidden) return;
    it->hidden = false;
    if (it->control) ShowControl(it->control);
    if (it->icon) it->icon->show();
    InvalWindowRect(theDialog, &it->rect);
}

void EnableDialogItem(DialogRef theDialog, DialogItemIndex itemNo) {
    DialogItem* it = Item(Info(theDialog), itemNo);
    if (!it) return;
    it->type &= UInt8(~itemDisable);
    if (it->control && !IsTextItem(BaseType(it->type))) HiliteControl(it->control, 0);
}

void DisableDialogItem(DialogRef theDialog, DialogItemIndex itemNo) {
    DialogItem* it = Item(Info(theDialog), itemNo);
    if (!it) return;
    it->type |= itemDisable;
    if (it->control && !IsTextItem(BaseType(it->type))) HiliteControl(it->control, kControlInactivePart);
}

void SetDialogDefaultItem(DialogRef theDialog, DialogItemIndex newItem) {
    DialogInfo* info = Info(theDialog);
    if (!info) return;
    info->defaultItem = newItem;
    MarkDefault(info);
}

void SetDialogCancelItem(DialogRef theDialog, DialogItemIndex newItem) {
    if (DialogInfo* info = Info(theDialog)) info->cancelItem = newItem;
}

DialogItemIndex GetDialogKeyboardFocusItem(DialogRef theDialog) {
    DialogInfo* info = Info(theDialog);
    return info ? info->focusItem : 0;
}

void DrawDialog(DialogRef theDialog) {
    DialogInfo* info = Info(theDialog);
    if (!info) return;
    DrawPortItems(info);
    DrawControls(theDialog);
    FlushDialog(info);
}

// ---- Running ----------------------------------------------------------------------

void ModalDialog(ModalFilterProcPtr modalFilter, DialogItemIndex* itemHit) {
    DialogItemIndex dummy = 0;
    if (!itemHit) itemHit = &dummy;
    *itemHit = 0;
    DialogRef d = FrontDialog();
    if (!d) {
        // No visible dialog in front: run the most recent one, showing it.
        for (auto it = gDialogs.rbegin(); it != gDialogs.rend() && !d; ++it) d = (*it)->window;
        if (!d) return;
        ShowWindow(d);
        SelectWindow(d);
    }
    DialogInfo* info = Info(d);
    LogShown(info);
    const SInt16 id = info->id;
    DialogStep step;
    if (ui_internal::TakeDialogStep(id, &step)) {
        *itemHit = ApplyStep(info, step);
        return;
    }
    // Windows held back by this call are offered again when it returns.
    struct HeldUpdates {
        size_t keep = ui_internal::HeldUpdateCount();
        ~HeldUpdates() { ui_internal::ReleaseHeldUpdateEvents(keep); }
    } held;
    // High-level events (files to open, quit) wait in the queue for the main
    // loop: a dialog that took them would lose them.
    constexpr EventMask kDialogEvents = everyEvent & ~highLevelEventMask;
    for (int idle = 0;; ) {
        EventRecord e;
        WaitNextEvent(kDialogEvents, &e, 1, nullptr);
        info = Info(d);
        if (!info) return;  // the filter disposed of it
        DialogItemIndex filtered = 0;
        if (modalFilter && modalFilter(d, &e, &filtered)) {
            *itemHit = filtered;
            return;
        }
        if (!(info = Info(d))) return;
        if (DialogItemIndex n = HandleDialogEvent(info, e)) {
            *itemHit = n;
            return;
        }
        // Nobody will answer: nothing scripted is left and no one is watching.
        // The windows' updates are handed out first (a bounded number of
        // rounds, in case a filter keeps invalidating).
        if (ui_internal::IsUnattended() && !ScriptPending() && !EventAvail(kDialogEvents & ~updateMask, &e) &&
            (++idle > 64 || !EventAvail(updateMask, &e))) {
            *itemHit = CancelItemOf(*info);
            return;
        }
    }
}

Boolean IsDialogEvent(const EventRecord* theEvent) {
    if (!theEvent) return false;
    switch (theEvent->what) {
    case updateEvt:
    case activateEvt: return Info(EventWindow(*theEvent)) != nullptr;
    case mouseDown: {
        WindowRef w = nullptr;
        return FindWindow(theEvent->where, &w) == inContent && Info(w);
    }
    case keyDown:
    case autoKey: return FrontDialog() != nullptr;
    default: return false;
    }
}

Boolean DialogSelect(const EventRecord* theEvent, DialogRef* theDialog, DialogItemIndex* itemHit) {
    if (!theEvent || !IsDialogEvent(theEvent)) return false;
    DialogRef d = nullptr;
    if (theEvent->what == updateEvt || theEvent->what == activateEvt)
        d = EventWindow(*theEvent);
    else if (theEvent->what == mouseDown)
        FindWindow(theEvent->where, &d);
    else
        d = FrontDialog();
    DialogInfo* info = Info(d);
    if (!info) return false;
    LogShown(info);
    if (theDialog) *theDialog = d;
    DialogItemIndex n = HandleDialogEvent(info, *theEvent);
    if (itemHit) *itemHit = n;
    return n != 0;
}

// ---- Alerts -------------------------------------------------------------------------

void ParamText(ConstStr255Param param0, ConstStr255Param param1, ConstStr255Param param2, ConstStr255Param param3) {
    ConstStr255Param params[4] = {param0, param1, param2, param3};
    // A null parameter keeps its earlier text.
    for (size_t i = 0; i < 4; ++i)
        if (params[i]) gParams[i] = PStringToStd(params[i]);
}

DialogItemIndex Alert(SInt16 alertID, ModalFilterProcPtr modalFilter) {
    return RunAlert(alertID, modalFilter, AlertIcon::None);
}
DialogItemIndex StopAlert(SInt16 alertID, ModalFilterProcPtr modalFilter) {
    return RunAlert(alertID, modalFilter, AlertIcon::Stop);
}
DialogItemIndex NoteAlert(SInt16 alertID, ModalFilterProcPtr modalFilter) {
    return RunAlert(alertID, modalFilter, AlertIcon::Note);
}
DialogItemIndex CautionAlert(SInt16 alertID, ModalFilterProcPtr modalFilter) {
    return RunAlert(alertID, modalFilter, AlertIcon::Caution);
}
