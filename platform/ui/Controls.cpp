// Controls. Each control's state (value, range, title, hilite) lives in its
// record; the Qt widget at the control's rectangle only shows that state and
// never takes a mouse click itself (clicks reach the program as events, and
// FindControl/TrackControl act on them), so a check box cannot toggle behind
// the program's back.
#include "platform/ui/Controls.h"

#include "platform/core/Geometry.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/core/TextEncoding.h"
#include "platform/resources/Resources.h"
#include "platform/ui/ControlInternal.h"
#include "platform/ui/ControlRecord.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/WindowInternal.h"

#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <algorithm>
#include <memory>

using ui_internal::Alive;
using ui_internal::ControlKind;
using ui_internal::KindOf;
using ui_internal::kMaxTabs;
using ui_internal::kTabIndent;
using ui_internal::ScrollBarWidget;
using ui_internal::ShownText;
using ui_internal::SliderWidget;
using ui_internal::Sync;
using ui_internal::WidgetRect;

namespace {

class ShowOnlyCheckBox : public QCheckBox {
public:
    using QCheckBox::QCheckBox;

protected:
    void nextCheckState() override {}
};
class ShowOnlyRadioButton : public QRadioButton {
public:
    using QRadioButton::QRadioButton;

protected:
    void nextCheckState() override {}
};

std::vector<std::unique_ptr<ControlInfo>> gControls;

}  // namespace

namespace ui_internal {

ControlKind KindOf(SInt16 procID) {
    if (procID >= 0 && procID < 16) {
        switch (procID & 7) {
        case checkBoxProc: return ControlKind::CheckBox;
        case radioButProc: return ControlKind::Radio;
        default: return ControlKind::Button;
        }
    }
    if ((procID >= 16 && procID < 24) || (procID >= 384 && procID < 392)) return ControlKind::ScrollBar;
    if (procID >= 48 && procID < 64) return ControlKind::Slider;
    if (procID >= 128 && procID < 136) return ControlKind::Tabs;
    if (procID >= 160 && procID < 168) return ControlKind::GroupBox;
    if (procID >= 1008 && procID < 1024) return ControlKind::Popup;
    if (procID >= 272 && procID < 280) return ControlKind::EditText;
    if (procID >= 288 && procID < 296) return ControlKind::StaticText;
    return ControlKind::Button;
}

QString ShownText(const std::string& bytes) { return QString::fromStdString(LegacyTextToUtf8(bytes)); }

bool Alive(ControlRef c) {
    return c && std::any_of(gControls.begin(), gControls.end(), [c](const auto& p) { return p.get() == c; });
}

// Edit-text rectangles name the text; the frame is drawn around them.
Rect WidgetRect(ControlRef c) {
    Rect r = c->rect;
    if (c->kind == ControlKind::EditText) InsetRect(&r, -3, -3);
    return r;
}

void Sync(ControlRef c) {
    QWidget* w = c->widget;
    if (!w) return;
    const bool active = c->hilite != kControlInactivePart;
    w->setEnabled(active);
    switch (c->kind) {
    case ControlKind::Button: {
        auto* b = static_cast<QPushButton*>(w);
        b->setText(ShownText(c->title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        b->setDown(c->hilite > 0 && c->hilite < kControlInactivePart);
        b->setDefault(c->isDefault);
        break;
    }
    case ControlKind::CheckBox: {
        auto* b = static_cast<QCheckBox*>(w);
        b->setText(ShownText(c->title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        b->setTristate(c->value == 2);
        b->setCheckState(c->value == 0 ? Qt::Unchecked : c->value == 1 ? Qt::Checked : Qt::PartiallyChecked);
        break;
    }
    case ControlKind::Radio: {
        auto* b = static_cast<QRadioButton*>(w);
        b->setText(ShownText(c->title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        b->setChecked(c->value != 0);
        break;
    }
    case ControlKind::ScrollBar: {
        auto* s = static_cast<QScrollBar*>(w);
        QSignalBlocker block(s);
        s->setRange(c->min, std::max(c->min, c->max));
        s->setValue(c->value);
        s->setEnabled(active && c->max > c->min);
        break;
    }
    case ControlKind::Slider: {
        auto* s = static_cast<QSlider*>(w);
        QSignalBlocker block(s);
        s->setRange(c->min, std::max(c->min, c->max));
        s->setValue(c->value);
        break;
    }
    case ControlKind::GroupBox:
        static_cast<QGroupBox*>(w)->setTitle(ShownText(c->title));
        break;
    case ControlKind::Tabs:
        if (c->tabBar) {
            QSignalBlocker block(c->tabBar);
            // The maximum is the number of tabs shown.
            const int count = std::clamp<int>(c->max, 0, kMaxTabs);
            if (int(c->tabTitles.size()) < count) c->tabTitles.resize(size_t(count));
            while (c->tabBar->count() > count) c->tabBar->removeTab(c->tabBar->count() - 1);
            for (int i = 0; i < count; ++i) {
                if (i >= c->tabBar->count())
                    c->tabBar->addTab(ShownText(c->tabTitles[size_t(i)]));
                else
                    c->tabBar->setTabText(i, ShownText(c->tabTitles[size_t(i)]));
            }
            c->tabBar->setCurrentIndex(c->value - 1);
            // The bar's height is known only once it has tabs; the pane hangs from its middle.
            const int barH = c->tabBar->sizeHint().height();
            c->tabBar->setGeometry(kTabIndent, 0, std::max(RectWidth(c->rect) - 2 * kTabIndent, 0), barH);
            if (auto* pane = c->tabBar->parentWidget()->findChild<QFrame*>()) {
                pane->setGeometry(0, barH / 2, std::max(RectWidth(c->rect), 0),
                                  std::max(RectHeight(c->rect) - barH / 2, 0));
            }
        }
        break;
    case ControlKind::Popup:
        if (c->popupLabel) c->popupLabel->setText(ShownText(c->title));
        if (c->popupBox) {
            QSignalBlocker block(c->popupBox);
            c->popupBox->clear();
            if (const MenuData* m = ui_internal::MenuContents(c->popupMenu))
                for (const MenuItemData& item : m->items) c->popupBox->addItem(ShownText(item.text));
            c->popupBox->setCurrentIndex(c->value - 1);
        }
        break;
    case ControlKind::EditText: {
        auto* e = static_cast<QLineEdit*>(w);
        QString text = ShownText(c->title);
        if (e->text() != text) e->setText(text);
        int len = int(text.size());
        int a = std::clamp(c->selStart, 0, len), b = std::clamp(c->selEnd, 0, len);
        if (a == b)
            e->setCursorPosition(a);
        else
            e->setSelection(a, b - a);
        break;
    }
    case ControlKind::StaticText:
        static_cast<QLabel*>(w)->setText(ShownText(c->title));
        break;
    }
    w->setVisible(c->visible);
}

}  // namespace ui_internal

namespace {

void ClampValue(ControlRef c) {
    if (c->max < c->min)
        c->value = c->min;
    else
        c->value = std::clamp(c->value, c->min, c->max);
}

void Place(ControlRef c) {
    if (!c->widget) return;
    Rect port{};
    GetWindowPortBounds(c->owner, &port);
    Rect r = WidgetRect(c);
    c->widget->setGeometry(r.left - port.left, r.top - port.top, std::max(RectWidth(r), 0),
                           std::max(RectHeight(r), 0));
    if (c->kind == ControlKind::Popup && c->popupLabel && c->popupBox) {
        int w = RectWidth(r), h = RectHeight(r);
        int tw = std::clamp(int(c->titleWidth), 0, w);
        c->popupLabel->setGeometry(0, 0, tw, h);
        c->popupBox->setGeometry(tw, 0, w - tw, h);
    }
    if (c->kind == ControlKind::Tabs && c->tabBar) {
        c->tabBar->setGeometry(kTabIndent, 0, std::max(RectWidth(r) - 2 * kTabIndent, 0),
                               c->tabBar->sizeHint().height());
    }
}

QWidget* MakeWidget(ControlRef c, QWidget* parent) {
    QWidget* w = nullptr;
    switch (c->kind) {
    case ControlKind::Button: w = new QPushButton(parent); break;
    case ControlKind::CheckBox: w = new ShowOnlyCheckBox(parent); break;
    case ControlKind::Radio: {
        auto* r = new ShowOnlyRadioButton(parent);
        r->setAutoExclusive(false);  // the program sets each radio button
        w = r;
        break;
    }
    case ControlKind::ScrollBar:
        w = new ScrollBarWidget(RectWidth(c->rect) > RectHeight(c->rect) ? Qt::Horizontal : Qt::Vertical, parent);
        static_cast<QScrollBar*>(w)->setPageStep(0);  // a fixed-size thumb, as the toolbox draws
        break;
    case ControlKind::Slider: {
        auto* s = new SliderWidget(RectWidth(c->rect) >= RectHeight(c->rect) ? Qt::Horizontal : Qt::Vertical, parent);
        if (c->procID & 2) {
            s->setTickPosition(QSlider::TicksBelow);
            s->setTickInterval(1);
        }
        s->setPageStep(1);
        w = s;
        break;
    }
    case ControlKind::GroupBox: w = new QGroupBox(parent); break;
    case ControlKind::Tabs: {
        auto* box = new QWidget(parent);
        c->tabBar = new QTabBar(box);
        c->tabBar->setDrawBase(false);
        auto* pane = new QFrame(box);
        pane->setFrameShape(QFrame::StyledPanel);
        int barH = c->tabBar->sizeHint().height();
        pane->setGeometry(0, barH / 2, std::max(RectWidth(c->rect), 0), std::max(RectHeight(c->rect) - barH / 2, 0));
        pane->lower();
        w = box;
        break;
    }
    case ControlKind::Popup: {
        auto* box = new QWidget(parent);
        c->popupLabel = new QLabel(box);
        c->popupBox = new QComboBox(box);
        c->popupBox->setFocusPolicy(Qt::NoFocus);
        w = box;
        break;
    }
    case ControlKind::EditText: {
        auto* e = new QLineEdit(parent);
        e->setMaxLength(255);
        w = e;
        break;
    }
    case ControlKind::StaticText: {
        auto* l = new QLabel(parent);
        l->setWordWrap(true);
        l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        l->setTextFormat(Qt::PlainText);
        w = l;
        break;
    }
    }
    w->setFocusPolicy(Qt::NoFocus);
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    if (c->kind == ControlKind::GroupBox || c->kind == ControlKind::Tabs) w->lower();  // containers stay behind their contents
    return w;
}

// The titles of a tab control from its 'STR#'.
void LoadTabTitles(ControlRef c, SInt16 strListID, SInt16 wanted) {
    SInt16 count = wanted;
    if (Handle h = GetResource(FourCC("STR#"), strListID); h && GetHandleSize(h) >= 2) {
        auto bytes = HandleBytes(h);
        SInt16 stored = SInt16(bytes[0] << 8 | bytes[1]);
        if (count <= 0) count = stored;
    }
    count = std::clamp<SInt16>(count, 0, kMaxTabs);
    for (SInt16 i = 1; i <= count; ++i) {
        Str255 s;
        GetIndString(s, strListID, i);
        c->tabTitles.push_back(PStringToStd(s));
    }
}

}  // namespace

// ---- Layer-internal -----------------------------------------------------------

namespace ui_internal {

void RelayoutControls(WindowRef window) {
    if (WindowRecord* rec = Record(window))
        for (ControlRef c : rec->controls) Place(c);
}

void DisposeControlsOf(WindowRef window) {
    WindowRecord* rec = Record(window);
    if (!rec) return;
    std::vector<ControlRef> all = rec->controls;
    for (ControlRef c : all) DisposeControl(c);
}
void SetControlDefaultButton(ControlRef c, bool isDefault) {
    if (!Alive(c)) return;
    c->isDefault = isDefault;
    Sync(c);
}

QWidget* ControlWidget(ControlRef c) { return Alive(c) ? c->widget.data() : nullptr; }

bool IsPopupProc(SInt16 procID) { return KindOf(procID) == ControlKind::Popup; }

}  // namespace ui_internal

// ---- Making and disposing --------------------------------------------------------

ControlRef NewControl(WindowRef owningWindow, const Rect* boundsRect, ConstStr255Param controlTitle,
                      Boolean initiallyVisible, SInt16 initialValue, SInt16 minimumValue, SInt16 maximumValue,
                      SInt16 procID, SRefCon controlReference) {
    ui_internal::WindowRecord* rec = ui_internal::Record(owningWindow);
    if (!rec || !boundsRect) return nullptr;
    auto owned = std::make_unique<ControlInfo>();
    ControlRef c = owned.get();
    c->owner = owningWindow;
    c->rect = *boundsRect;
    c->procID = procID;
    c->kind = KindOf(procID);
    c->refCon = controlReference;
    c->title = controlTitle ? PStringToStd(controlTitle) : std::string();
    c->visible = initiallyVisible;
    c->value = initialValue;
    c->min = minimumValue;
    c->max = maximumValue;
    if (c->kind == ControlKind::Popup) {
        // The minimum names the menu and the maximum the title's width; then
        // the range becomes the menu's items.
        MenuRef menu = GetMenuHandle(minimumValue);
        if (!menu) {
            menu = GetMenu(minimumValue);
            if (menu) InsertMenu(menu, hierMenu);
        }
        c->popupMenu = menu;
        c->titleWidth = maximumValue;
        c->min = 1;
        c->max = SInt16(CountMenuItems(menu));
    } else if (c->kind == ControlKind::Tabs) {
        LoadTabTitles(c, minimumValue, maximumValue);
        c->min = 1;
        c->max = SInt16(c->tabTitles.size());
    }
    ClampValue(c);
    if (QWidget* parent = ui_internal::ContentWidget(owningWindow)) c->widget = MakeWidget(c, parent);
    gControls.push_back(std::move(owned));
    rec->controls.push_back(c);
    Place(c);
    Sync(c);
    return c;
}

void DisposeControl(ControlRef c) {
    auto it = std::find_if(gControls.begin(), gControls.end(), [c](const auto& p) { return p.get() == c; });
    if (it == gControls.end()) return;
    if (ui_internal::WindowRecord* rec = ui_internal::Record(c->owner)) std::erase(rec->controls, c);
    if (c->widget) {
        c->widget->hide();
        c->widget->deleteLater();  // the parent deletes it first if the window goes sooner
    }
    gControls.erase(it);
}

WindowRef GetControlOwner(ControlRef c) { return Alive(c) ? c->owner : nullptr; }

// ---- State -------------------------------------------------------------------------

SInt16 GetControlValue(ControlRef c) { return Alive(c) ? c->value : 0; }

void SetControlValue(ControlRef c, SInt16 value) {
    if (!Alive(c)) return;
    c->value = value;
    ClampValue(c);
    Sync(c);
}

SInt16 GetControlMinimum(ControlRef c) { return Alive(c) ? c->min : 0; }

void SetControlMinimum(ControlRef c, SInt16 value) {
    if (!Alive(c)) return;
    c->min = value;
    ClampValue(c);
    Sync(c);
}

SInt16 GetControlMaximum(ControlRef c) { return Alive(c) ? c->max : 0; }

void SetControlMaximum(ControlRef c, SInt16 value) {
    if (!Alive(c)) return;
    c->max = value;
    ClampValue(c);
    Sync(c);
}

SRefCon GetControlReference(ControlRef c) { return Alive(c) ? c->refCon : nullptr; }

void SetControlReference(ControlRef c, SRefCon data) {
    if (Alive(c)) c->refCon = data;
}

void SetControlTitle(ControlRef c, ConstStr255Param title) {
    if (title) ui_internal::SetControlText(c, PStringToStd(title));
}

void GetControlTitle(ControlRef c, Str255 title) {
    if (title) CopyCStringToPascal(Alive(c) ? c->title : std::string(), title);
}

Rect* GetControlBounds(ControlRef c, Rect* bounds) {
    if (bounds) *bounds = Alive(c) ? c->rect : Rect{};
    return bounds;
}

MenuRef GetControlPopupMenuHandle(ControlRef c) {
    return Alive(c) && ui_internal::IsLiveMenu(c->popupMenu) ? c->popupMenu : nullptr;
}

void SetControlTabTitle(ControlRef c, SInt16 tab, ConstStr255Param title) {
    if (!Alive(c) || c->kind != ControlKind::Tabs || !title || tab < 1 || tab > kMaxTabs) return;
    if (c->tabTitles.size() < size_t(tab)) c->tabTitles.resize(size_t(tab));
    c->tabTitles[size_t(tab - 1)] = PStringToStd(title);
    Sync(c);
}

void MoveControl(ControlRef c, SInt16 h, SInt16 v) {
    if (!Alive(c)) return;
    OffsetRect(&c->rect, SInt16(h - c->rect.left), SInt16(v - c->rect.top));
    Place(c);
}

void SizeControl(ControlRef c, SInt16 w, SInt16 h) {
    if (!Alive(c)) return;
    c->rect.right = SInt16(c->rect.left + w);
    c->rect.bottom = SInt16(c->rect.top + h);
    Place(c);
}

void ShowControl(ControlRef c) {
    if (!Alive(c)) return;
    c->visible = true;
    Sync(c);
}

void HideControl(ControlRef c) {
    if (!Alive(c)) return;
    c->visible = false;
    Sync(c);
}

Boolean IsControlVisible(ControlRef c) { return Alive(c) && c->visible; }

void HiliteControl(ControlRef c, ControlPartCode hiliteState) {
    if (!Alive(c)) return;
    c->hilite = UInt8(hiliteState);
    Sync(c);
}

Boolean IsControlActive(ControlRef c) { return Alive(c) && c->hilite != kControlInactivePart; }

void Draw1Control(ControlRef c) {
    if (!Alive(c)) return;
    Sync(c);
    if (c->widget) c->widget->update();
}

void DrawControls(WindowRef window) {
    if (ui_internal::WindowRecord* rec = ui_internal::Record(window))
        for (ControlRef c : rec->controls) Draw1Control(c);
}
