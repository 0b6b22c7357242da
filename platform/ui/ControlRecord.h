// The control record and what the control files share: Controls.cpp (records,
// widgets, state), ControlTracking.cpp (hit tests and mouse tracking) and
// ControlText.cpp (edit text). Nothing outside them includes this.
#pragma once

#include "platform/ui/Controls.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QScrollBar>
#include <QSlider>
#include <QString>
#include <QTabBar>

#include <string>
#include <vector>

namespace ui_internal {

enum class ControlKind { Button, CheckBox, Radio, ScrollBar, Slider, GroupBox, Tabs, Popup, EditText, StaticText };

ControlKind KindOf(SInt16 procID);
inline bool IsLiveScrollBar(SInt16 procID) { return procID >= 384 && procID < 392 && (procID & 2); }

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

inline constexpr int kTabIndent = 8;  // the first tab's distance from the control's left edge
inline constexpr int kMaxTabs = 32;

QString ShownText(const std::string& bytes);

}  // namespace ui_internal

struct ControlInfo {
    WindowRef owner = nullptr;
    Rect rect{};
    SInt16 value = 0, min = 0, max = 0, procID = 0;
    ui_internal::ControlKind kind = ui_internal::ControlKind::Button;
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

namespace ui_internal {

// False for a control that was disposed of.
bool Alive(ControlRef control);
// The widget shows the record's state.
void Sync(ControlRef control);
// The widget's rectangle: the control's, with the frame around an edit text.
Rect WidgetRect(ControlRef control);

}  // namespace ui_internal
