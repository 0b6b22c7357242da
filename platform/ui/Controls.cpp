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
#include "platform/raster/GWorld.h"
#include "platform/resources/Resources.h"
#include "platform/ui/ControlInternal.h"
#include "platform/ui/Events.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/WindowInternal.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGuiApplication>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTabBar>

#include <algorithm>
#include <memory>

namespace {

enum class Kind { Button, CheckBox, Radio, ScrollBar, Slider, GroupBox, Tabs, Popup, EditText, StaticText };

Kind KindOf(SInt16 procID) {
    if (procID >= 0 && procID < 16) {
        switch (procID & 7) {
        case checkBoxProc: return Kind::CheckBox;
        case radioButProc: return Kind::Radio;
        default: return Kind::Button;
        }
    }
    if ((procID >= 16 && procID < 24) || (procID >= 384 && procID < 392)) return Kind::ScrollBar;
    if (procID >= 48 && procID < 64) return Kind::Slider;
    if (procID >= 128 && procID < 136) return Kind::Tabs;
    if (procID >= 160 && procID < 168) return Kind::GroupBox;
    if (procID >= 1008 && procID < 1024) return Kind::Popup;
    if (procID >= 272 && procID < 280) return Kind::EditText;
    if (procID >= 288 && procID < 296) return Kind::StaticText;
    return Kind::Button;
}

bool IsLiveScrollBar(SInt16 procID) { return procID >= 384 && procID < 392 && (procID & 2); }

// Widgets whose style geometry the hit tests need.
class ScrollBarWidget : public QScrollBar {
public:
    using QScrollBar::QScrollBar;
    using QScrollBar::initStyleOption;
};
class SliderWidget : public QSlider {
public:
    using QSlider::QSlider;
    using QSlider::initStyleOption;
};
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

constexpr int kTabIndent = 8;
constexpr int kMaxTabs = 32;  // the first tab's distance from the control's left edge

QString ShownText(const std::string& bytes) { return QString::fromStdString(LegacyTextToUtf8(bytes)); }

}  // namespace

struct ControlInfo {
    WindowRef owner = nullptr;
    Rect rect{};
    SInt16 value = 0, min = 0, max = 0, procID = 0;
    Kind kind = Kind::Button;
    SRefCon refCon = nullptr;
    std::string title;  // also the text of an edit-text control
    bool visible = true;
    UInt8 hilite = 0;
    bool isDefault = false;
    QPointer<QWidget> widget;
    // Pop-ups: the menu and the title's width at the left of the rectangle.
    MenuRef popupMenu = nullptr;
    SInt16 titleWidth = 0;
    QPointer<QLabel> popupLabel;
    QPointer<QComboBox> popupBox;
    // Tabs.
    std::vector<std::string> tabTitles;
    QPointer<QTabBar> tabBar;
    // Edit text: the selection in characters.
    int selStart = 0, selEnd = 0;
};

namespace {

std::vector<std::unique_ptr<ControlInfo>> gControls;

bool Alive(ControlRef c) {
    return c && std::any_of(gControls.begin(), gControls.end(), [c](const auto& p) { return p.get() == c; });
}

void ClampValue(ControlRef c) {
    if (c->max < c->min)
        c->value = c->min;
    else
        c->value = std::clamp(c->value, c->min, c->max);
}

// Edit-text rectangles name the text; the frame is drawn around them.
Rect WidgetRect(ControlRef c) {
    Rect r = c->rect;
    if (c->kind == Kind::EditText) InsetRect(&r, -3, -3);
    return r;
}

void Place(ControlRef c) {
    if (!c->widget) return;
    Rect port{};
    GetWindowPortBounds(c->owner, &port);
    Rect r = WidgetRect(c);
    c->widget->setGeometry(r.left - port.left, r.top - port.top, std::max(RectWidth(r), 0),
                           std::max(RectHeight(r), 0));
    if (c->kind == Kind::Popup && c->popupLabel && c->popupBox) {
        int w = RectWidth(r), h = RectHeight(r);
        int tw = std::clamp(int(c->titleWidth), 0, w);
        c->popupLabel->setGeometry(0, 0, tw, h);
        c->popupBox->setGeometry(tw, 0, w - tw, h);
    }
    if (c->kind == Kind::Tabs && c->tabBar) {
        c->tabBar->setGeometry(kTabIndent, 0, std::max(RectWidth(r) - 2 * kTabIndent, 0),
                               c->tabBar->sizeHint().height());
    }
}

void Sync(ControlRef c) {
    QWidget* w = c->widget;
    if (!w) return;
    const bool active = c->hilite != kControlInactivePart;
    w->setEnabled(active);
    switch (c->kind) {
    case Kind::Button: {
        auto* b = static_cast<QPushButton*>(w);
        b->setText(ShownText(c->title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        b->setDown(c->hilite > 0 && c->hilite < kControlInactivePart);
        b->setDefault(c->isDefault);
        break;
    }
    case Kind::CheckBox: {
        auto* b = static_cast<QCheckBox*>(w);
        b->setText(ShownText(c->title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        b->setTristate(c->value == 2);
        b->setCheckState(c->value == 0 ? Qt::Unchecked : c->value == 1 ? Qt::Checked : Qt::PartiallyChecked);
        break;
    }
    case Kind::Radio: {
        auto* b = static_cast<QRadioButton*>(w);
        b->setText(ShownText(c->title).replace(QLatin1Char('&'), QStringLiteral("&&")));
        b->setChecked(c->value != 0);
        break;
    }
    case Kind::ScrollBar: {
        auto* s = static_cast<QScrollBar*>(w);
        QSignalBlocker block(s);
        s->setRange(c->min, std::max(c->min, c->max));
        s->setValue(c->value);
        s->setEnabled(active && c->max > c->min);
        break;
    }
    case Kind::Slider: {
        auto* s = static_cast<QSlider*>(w);
        QSignalBlocker block(s);
        s->setRange(c->min, std::max(c->min, c->max));
        s->setValue(c->value);
        break;
    }
    case Kind::GroupBox:
        static_cast<QGroupBox*>(w)->setTitle(ShownText(c->title));
        break;
    case Kind::Tabs:
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
    case Kind::Popup:
        if (c->popupLabel) c->popupLabel->setText(ShownText(c->title));
        if (c->popupBox) {
            QSignalBlocker block(c->popupBox);
            c->popupBox->clear();
            if (const MenuData* m = ui_internal::MenuContents(c->popupMenu))
                for (const MenuItemData& item : m->items) c->popupBox->addItem(ShownText(item.text));
            c->popupBox->setCurrentIndex(c->value - 1);
        }
        break;
    case Kind::EditText: {
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
    case Kind::StaticText:
        static_cast<QLabel*>(w)->setText(ShownText(c->title));
        break;
    }
    w->setVisible(c->visible);
}

QWidget* MakeWidget(ControlRef c, QWidget* parent) {
    QWidget* w = nullptr;
    switch (c->kind) {
    case Kind::Button: w = new QPushButton(parent); break;
    case Kind::CheckBox: w = new ShowOnlyCheckBox(parent); break;
    case Kind::Radio: {
        auto* r = new ShowOnlyRadioButton(parent);
        r->setAutoExclusive(false);  // the program sets each radio button
        w = r;
        break;
    }
    case Kind::ScrollBar:
        w = new ScrollBarWidget(RectWidth(c->rect) > RectHeight(c->rect) ? Qt::Horizontal : Qt::Vertical, parent);
        static_cast<QScrollBar*>(w)->setPageStep(0);  // a fixed-size thumb, as the toolbox draws
        break;
    case Kind::Slider: {
        auto* s = new SliderWidget(RectWidth(c->rect) >= RectHeight(c->rect) ? Qt::Horizontal : Qt::Vertical, parent);
        if (c->procID & 2) {
            s->setTickPosition(QSlider::TicksBelow);
            s->setTickInterval(1);
        }
        s->setPageStep(1);
        w = s;
        break;
    }
    case Kind::GroupBox: w = new QGroupBox(parent); break;
    case Kind::Tabs: {
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
    case Kind::Popup: {
        auto* box = new QWidget(parent);
        c->popupLabel = new QLabel(box);
        c->popupBox = new QComboBox(box);
        c->popupBox->setFocusPolicy(Qt::NoFocus);
        w = box;
        break;
    }
    case Kind::EditText: {
        auto* e = new QLineEdit(parent);
        e->setMaxLength(255);
        w = e;
        break;
    }
    case Kind::StaticText: {
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
    if (c->kind == Kind::GroupBox || c->kind == Kind::Tabs) w->lower();  // containers stay behind their contents
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

ScrollBarWidget* ScrollBarOf(ControlRef c) {
    return c->kind == Kind::ScrollBar ? static_cast<ScrollBarWidget*>(c->widget.data()) : nullptr;
}

// Tab under a local point (from 1), 0 for none.
int TabAt(ControlRef c, Point pt) {
    if (!c->tabBar) return 0;
    QPoint p(pt.h - c->rect.left - kTabIndent, pt.v - c->rect.top);
    for (int i = 0; i < c->tabBar->count(); ++i)
        if (c->tabBar->tabRect(i).contains(p)) return i + 1;
    return 0;
}

// Along the scroll bar's or slider's axis: the groove's start and usable
// length and the thumb's start and length, in widget coordinates.
struct Track {
    int grooveStart = 0, grooveLen = 0, thumbStart = 0, thumbLen = 0;
    bool horizontal = true;
};

Track TrackGeometry(ControlRef c) {
    Track t;
    QStyleOptionSlider opt;
    QStyle::ComplexControl cc;
    QStyle::SubControl groove, thumb;
    QWidget* w = c->widget;
    if (c->kind == Kind::ScrollBar) {
        static_cast<ScrollBarWidget*>(w)->initStyleOption(&opt);
        cc = QStyle::CC_ScrollBar;
        groove = QStyle::SC_ScrollBarGroove;
        thumb = QStyle::SC_ScrollBarSlider;
    } else {
        static_cast<SliderWidget*>(w)->initStyleOption(&opt);
        cc = QStyle::CC_Slider;
        groove = QStyle::SC_SliderGroove;
        thumb = QStyle::SC_SliderHandle;
    }
    QRect g = w->style()->subControlRect(cc, &opt, groove, w);
    QRect s = w->style()->subControlRect(cc, &opt, thumb, w);
    t.horizontal = opt.orientation == Qt::Horizontal;
    t.grooveStart = t.horizontal ? g.left() : g.top();
    t.grooveLen = t.horizontal ? g.width() : g.height();
    t.thumbStart = t.horizontal ? s.left() : s.top();
    t.thumbLen = t.horizontal ? s.width() : s.height();
    return t;
}

// The value whose thumb starts at `thumbStart` (widget coordinates).
SInt16 ValueForThumb(ControlRef c, const Track& t, int thumbStart) {
    int span = std::max(t.grooveLen - t.thumbLen, 1);
    return SInt16(QStyle::sliderValueFromPosition(c->min, std::max(c->min, c->max),
                                                  std::clamp(thumbStart - t.grooveStart, 0, span), span));
}

int AxisOf(ControlRef c, const Track& t, Point pt) {
    return t.horizontal ? pt.h - c->rect.left : pt.v - c->rect.top;
}

ControlPartCode ScrollBarPartAt(ControlRef c, Point pt) {
    ScrollBarWidget* sb = ScrollBarOf(c);
    if (!sb || c->max <= c->min) return kControlNoPart;
    QStyleOptionSlider opt;
    sb->initStyleOption(&opt);
    QPoint p(pt.h - c->rect.left, pt.v - c->rect.top);
    switch (sb->style()->hitTestComplexControl(QStyle::CC_ScrollBar, &opt, p, sb)) {
    case QStyle::SC_ScrollBarSubLine: return kControlUpButtonPart;
    case QStyle::SC_ScrollBarAddLine: return kControlDownButtonPart;
    case QStyle::SC_ScrollBarSubPage: return kControlPageUpPart;
    case QStyle::SC_ScrollBarAddPage: return kControlPageDownPart;
    case QStyle::SC_ScrollBarSlider: return kControlIndicatorPart;
    default: return kControlNoPart;
    }
}

// The port of the control's window is current while tracking, so GetMouse
// answers in its local coordinates.
class OwnerPort {
public:
    explicit OwnerPort(WindowRef w) { SetPortWindowPort(w); }

private:
    SavedGWorld saved_;
};

void SetPressed(ControlRef c, bool pressed) {
    if (auto* b = qobject_cast<QAbstractButton*>(c->widget.data())) b->setDown(pressed);
}

ControlPartCode TrackRepeating(ControlRef c, ControlPartCode part, ControlActionProcPtr action) {
    constexpr UInt32 kFirstRepeat = 18, kRepeat = 4;  // ticks
    if (action) action(c, part);
    UInt32 next = TickCount() + kFirstRepeat;
    Point pt{};
    while (StillDown()) {
        if (!Alive(c)) return kControlNoPart;
        GetMouse(&pt);
        if (TickCount() >= next && ui_internal::ControlPartAt(c, pt) == part) {
            if (action) action(c, part);
            next = TickCount() + kRepeat;
        }
    }
    if (!Alive(c)) return kControlNoPart;
    GetMouse(&pt);
    return ui_internal::ControlPartAt(c, pt) == part ? part : ControlPartCode(kControlNoPart);
}

ControlPartCode TrackThumb(ControlRef c, Point start, ControlActionProcPtr action, bool live) {
    Track t = TrackGeometry(c);
    int grab = AxisOf(c, t, start) - t.thumbStart;
    Point pt = start;
    while (StillDown()) {
        if (!Alive(c)) return kControlNoPart;
        GetMouse(&pt);
        if (!live) continue;
        SInt16 v = ValueForThumb(c, t, AxisOf(c, t, pt) - grab);
        if (v != c->value) {
            SetControlValue(c, v);
            if (action) action(c, kControlIndicatorPart);
        }
    }
    if (!Alive(c)) return kControlNoPart;
    GetMouse(&pt);
    SInt16 v = ValueForThumb(c, t, AxisOf(c, t, pt) - grab);
    if (v != c->value) {
        SetControlValue(c, v);
        if (live && action) action(c, kControlIndicatorPart);
    }
    return kControlIndicatorPart;
}

// A slider follows the mouse wherever the click was, centring the thumb on it.
ControlPartCode TrackSlider(ControlRef c, Point start, ControlActionProcPtr action) {
    Track t = TrackGeometry(c);
    bool live = (c->procID & 1) != 0;
    Point pt = start;
    auto follow = [&](Point p) {
        SInt16 v = ValueForThumb(c, t, AxisOf(c, t, p) - t.thumbLen / 2);
        if (v != c->value) {
            SetControlValue(c, v);
            if (live && action) action(c, kControlIndicatorPart);
        }
    };
    follow(pt);
    while (StillDown()) {
        if (!Alive(c)) return kControlNoPart;
        GetMouse(&pt);
        follow(pt);
    }
    if (!Alive(c)) return kControlNoPart;
    GetMouse(&pt);
    follow(pt);
    return kControlIndicatorPart;
}

ControlPartCode TrackPress(ControlRef c, ControlPartCode part, Point start) {
    const int startTab = c->kind == Kind::Tabs ? TabAt(c, start) : 0;
    auto inside = [&](Point p) {
        return c->kind == Kind::Tabs ? TabAt(c, p) == startTab : PtInRect(p, &c->rect) != 0;
    };
    Point pt = start;
    SetPressed(c, true);
    while (StillDown()) {
        if (!Alive(c)) return kControlNoPart;
        GetMouse(&pt);
        SetPressed(c, inside(pt));
    }
    if (!Alive(c)) return kControlNoPart;
    SetPressed(c, false);
    GetMouse(&pt);
    if (!inside(pt)) return kControlNoPart;
    if (c->kind == Kind::Tabs) SetControlValue(c, SInt16(startTab));
    return part;
}

ControlPartCode TrackPopup(ControlRef c) {
    if (!ui_internal::IsLiveMenu(c->popupMenu)) return kControlNoPart;
    Point at{c->rect.top, SInt16(c->rect.left + std::max<SInt16>(c->titleWidth, 0))};
    LocalToGlobal(&at);
    SInt32 choice = PopUpMenuSelect(c->popupMenu, at.v, at.h, c->value);
    if (!Alive(c)) return kControlNoPart;
    if (choice == 0 || MenuID(choice >> 16) != GetMenuID(c->popupMenu)) return kControlNoPart;
    SetControlValue(c, SInt16(choice & 0xFFFF));
    return kControlMenuPart;
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

ControlPartCode ControlPartAt(ControlRef c, Point pt) {
    if (!Alive(c) || !c->visible || c->hilite == kControlInactivePart || !PtInRect(pt, &c->rect))
        return kControlNoPart;
    switch (c->kind) {
    case Kind::Button: return kControlButtonPart;
    case Kind::CheckBox:
    case Kind::Radio: return kControlCheckBoxPart;
    case Kind::ScrollBar: return ScrollBarPartAt(c, pt);
    case Kind::Slider: return c->max > c->min ? ControlPartCode(kControlIndicatorPart) : ControlPartCode(kControlNoPart);
    case Kind::Tabs: return TabAt(c, pt) ? ControlPartCode(kControlButtonPart) : ControlPartCode(kControlNoPart);
    case Kind::Popup: return kControlMenuPart;
    case Kind::EditText: return kControlEditTextPart;
    case Kind::GroupBox:
    case Kind::StaticText: return kControlNoPart;
    }
    return kControlNoPart;
}

void SetControlText(ControlRef c, const std::string& text) {
    if (!Alive(c)) return;
    c->title = text;
    if (c->kind == Kind::EditText) c->selStart = c->selEnd = int(ShownText(text).size());
    Sync(c);
}

std::string GetControlText(ControlRef c) { return Alive(c) ? c->title : std::string(); }

void SetControlTextSelection(ControlRef c, SInt16 start, SInt16 end) {
    if (!Alive(c)) return;
    int len = int(ShownText(c->title).size());
    c->selStart = std::clamp<int>(start, 0, len);
    c->selEnd = std::clamp<int>(end, c->selStart, len);
    Sync(c);
}

bool ApplyKeyToEditText(ControlRef c, UInt8 ch) {
    if (!Alive(c) || c->kind != Kind::EditText) return false;
    QString s = ShownText(c->title);
    int a = std::clamp(std::min(c->selStart, c->selEnd), 0, int(s.size()));
    int b = std::clamp(std::max(c->selStart, c->selEnd), 0, int(s.size()));
    switch (ch) {
    case kBackspaceCharCode:
        if (a == b && a > 0) --a;
        s.remove(a, b - a);
        b = a;
        break;
    case kDeleteCharCode:
        if (a == b && b < s.size()) ++b;
        s.remove(a, b - a);
        b = a;
        break;
    case kLeftArrowCharCode:
        a = b = (a == b && a > 0) ? a - 1 : a;
        break;
    case kRightArrowCharCode:
        a = b = (a == b && b < s.size()) ? b + 1 : b;
        break;
    case kHomeCharCode:
    case kUpArrowCharCode: a = b = 0; break;
    case kEndCharCode:
    case kDownArrowCharCode: a = b = int(s.size()); break;
    default: {
        if (ch < 0x20) return false;
        char byte = char(ch);
        QString typed = QString::fromStdString(LegacyTextToUtf8(std::string_view(&byte, 1)));
        QString next = s;
        next.replace(a, b - a, typed);
        if (next.toStdString().size() > 255) return true;  // full: the key is taken, nothing changes
        s = next;
        a = b = a + int(typed.size());
        break;
    }
    }
    c->title = s.toStdString();
    c->selStart = a;
    c->selEnd = b;
    Sync(c);
    return true;
}

bool ApplyEditCommand(ControlRef c, UInt8 ch) {
    if (!Alive(c) || c->kind != Kind::EditText) return false;
    if (ch >= 1 && ch <= 26) ch = UInt8(ch + 'a' - 1);  // Ctrl turned the letter into a control character
    if (ch >= 'A' && ch <= 'Z') ch = UInt8(ch + 32);
    QString s = ShownText(c->title);
    int a = std::clamp(std::min(c->selStart, c->selEnd), 0, int(s.size()));
    int b = std::clamp(std::max(c->selStart, c->selEnd), 0, int(s.size()));
    QClipboard* clip = QGuiApplication::clipboard();
    switch (ch) {
    case 'a':
        a = 0;
        b = int(s.size());
        break;
    case 'c':
        if (a < b && clip) clip->setText(s.mid(a, b - a));
        return true;
    case 'x':
        if (a < b && clip) clip->setText(s.mid(a, b - a));
        s.remove(a, b - a);
        b = a;
        break;
    case 'v': {
        if (!clip) return true;
        QString typed = clip->text();
        typed.remove(QLatin1Char('\r'));
        typed.remove(QLatin1Char('\n'));
        QString next = s;
        next.replace(a, b - a, typed);
        if (next.toStdString().size() > 255) return true;
        s = next;
        a = b = a + int(typed.size());
        break;
    }
    default: return false;
    }
    c->title = s.toStdString();
    c->selStart = a;
    c->selEnd = b;
    Sync(c);
    return true;
}

SInt16 EditTextOffsetAt(ControlRef c, Point pt) {
    if (!Alive(c) || c->kind != Kind::EditText) return 0;
    auto* e = qobject_cast<QLineEdit*>(c->widget.data());
    if (!e) return SInt16(ShownText(c->title).size());
    Rect r = WidgetRect(c);
    return SInt16(e->cursorPositionAt(QPoint(pt.h - r.left, pt.v - r.top)));
}

void SetControlDefaultButton(ControlRef c, bool isDefault) {
    if (!Alive(c)) return;
    c->isDefault = isDefault;
    Sync(c);
}

QWidget* ControlWidget(ControlRef c) { return Alive(c) ? c->widget.data() : nullptr; }

bool IsPopupProc(SInt16 procID) { return KindOf(procID) == Kind::Popup; }

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
    if (c->kind == Kind::Popup) {
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
    } else if (c->kind == Kind::Tabs) {
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
    if (!Alive(c) || c->kind != Kind::Tabs || !title || tab < 1 || tab > kMaxTabs) return;
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

// ---- Clicks --------------------------------------------------------------------------

ControlPartCode FindControl(Point testPoint, WindowRef theWindow, ControlRef* theControl) {
    if (theControl) *theControl = nullptr;
    ui_internal::WindowRecord* rec = ui_internal::Record(theWindow);
    if (!rec) return kControlNoPart;
    // The last made is drawn on top.
    for (auto it = rec->controls.rbegin(); it != rec->controls.rend(); ++it) {
        if (ControlPartCode part = ui_internal::ControlPartAt(*it, testPoint)) {
            if (theControl) *theControl = *it;
            return part;
        }
    }
    return kControlNoPart;
}

ControlPartCode TrackControl(ControlRef c, Point startPoint, ControlActionProcPtr actionProc) {
    if (!Alive(c)) return kControlNoPart;
    ControlPartCode part = ui_internal::ControlPartAt(c, startPoint);
    if (!part) return kControlNoPart;
    OwnerPort port(c->owner);
    switch (c->kind) {
    case Kind::ScrollBar:
        if (part == kControlIndicatorPart) return TrackThumb(c, startPoint, actionProc, IsLiveScrollBar(c->procID));
        return TrackRepeating(c, part, actionProc);
    case Kind::Slider: return TrackSlider(c, startPoint, actionProc);
    case Kind::Popup: return TrackPopup(c);
    case Kind::EditText:
        while (StillDown()) {
        }
        return part;
    default: return TrackPress(c, part, startPoint);
    }
}
