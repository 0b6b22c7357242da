// Hit tests and mouse tracking of controls: FindControl finds the part under
// a point and TrackControl follows the mouse while the button is down, as the
// toolbox does, calling the action procedure as the value changes.
#include "platform/ui/Controls.h"

#include "platform/core/Geometry.h"
#include "platform/raster/GWorld.h"
#include "platform/ui/ControlInternal.h"
#include "platform/ui/ControlRecord.h"
#include "platform/ui/Events.h"
#include "platform/ui/MenuInternal.h"
#include "platform/ui/WindowInternal.h"

#include <QAbstractButton>
#include <QStyle>
#include <QStyleOptionSlider>

#include <algorithm>

using ui_internal::Alive;
using ui_internal::ControlKind;
using ui_internal::IsLiveScrollBar;
using ui_internal::kTabIndent;
using ui_internal::ScrollBarWidget;
using ui_internal::SliderWidget;

namespace {

ScrollBarWidget* ScrollBarOf(ControlRef c) {
    return c->kind == ControlKind::ScrollBar ? static_cast<ScrollBarWidget*>(c->widget.data()) : nullptr;
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
    if (c->kind == ControlKind::ScrollBar) {
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
    const int startTab = c->kind == ControlKind::Tabs ? TabAt(c, start) : 0;
    auto inside = [&](Point p) {
        return c->kind == ControlKind::Tabs ? TabAt(c, p) == startTab : PtInRect(p, &c->rect) != 0;
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
    if (c->kind == ControlKind::Tabs) SetControlValue(c, SInt16(startTab));
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

namespace ui_internal {

ControlPartCode ControlPartAt(ControlRef c, Point pt) {
    if (!Alive(c) || !c->visible || c->hilite == kControlInactivePart || !PtInRect(pt, &c->rect))
        return kControlNoPart;
    switch (c->kind) {
    case ControlKind::Button: return kControlButtonPart;
    case ControlKind::CheckBox:
    case ControlKind::Radio: return kControlCheckBoxPart;
    case ControlKind::ScrollBar: return ScrollBarPartAt(c, pt);
    case ControlKind::Slider: return c->max > c->min ? ControlPartCode(kControlIndicatorPart) : ControlPartCode(kControlNoPart);
    case ControlKind::Tabs: return TabAt(c, pt) ? ControlPartCode(kControlButtonPart) : ControlPartCode(kControlNoPart);
    case ControlKind::Popup: return kControlMenuPart;
    case ControlKind::EditText: return kControlEditTextPart;
    case ControlKind::GroupBox:
    case ControlKind::StaticText: return kControlNoPart;
    }
    return kControlNoPart;
}

}  // namespace ui_internal

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
    case ControlKind::ScrollBar:
        if (part == kControlIndicatorPart) return TrackThumb(c, startPoint, actionProc, IsLiveScrollBar(c->procID));
        return TrackRepeating(c, part, actionProc);
    case ControlKind::Slider: return TrackSlider(c, startPoint, actionProc);
    case ControlKind::Popup: return TrackPopup(c);
    case ControlKind::EditText:
        while (StillDown()) {
        }
        return part;
    default: return TrackPress(c, part, startPoint);
    }
}
