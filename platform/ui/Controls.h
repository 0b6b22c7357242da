// Controls in windows: scroll bars, buttons, check boxes, radio buttons,
// pop-up menus and group boxes, shown by Qt widgets at the control's
// rectangle (local coordinates of the window's port, following SetOrigin).
// Qt widgets only show the state; mouse-downs come to the program as events
// and FindControl/TrackControl drive the control as the toolbox does.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/raster/QDTypes.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Windows.h"

struct ControlInfo;  // the layer's record
using ControlRef = ControlInfo*;
using ControlHandle = ControlRef;
using ControlPartCode = SInt16;

enum : SInt16 {
    pushButProc = 0,
    checkBoxProc = 1,
    radioButProc = 2,
    scrollBarProc = 16,
    kControlScrollBarLiveProc = 386,
    kControlGroupBoxTextTitleProc = 160,
    kControlTabSmallProc = 129,
    kControlTabLargeProc = 128,
    kControlSliderProc = 48,  // + 1 live feedback, + 2 tick marks (max - min + 1 of them)
    popupMenuProc = 1008,  // min holds the menu ID; value the chosen item
    kControlEditTextProc = 272,
    kControlStaticTextProc = 288,
};

enum : ControlPartCode {
    kControlNoPart = 0,
    kControlButtonPart = 10,
    kControlCheckBoxPart = 11,
    kControlUpButtonPart = 20,
    kControlDownButtonPart = 21,
    kControlPageUpPart = 22,
    kControlPageDownPart = 23,
    kControlMenuPart = 2,
    kControlEditTextPart = 5,
    kControlIndicatorPart = 129,
    kControlInactivePart = 255,
};

using ControlActionProcPtr = void (*)(ControlRef theControl, ControlPartCode partCode);

ControlRef NewControl(WindowRef owningWindow, const Rect* boundsRect, ConstStr255Param controlTitle,
                      Boolean initiallyVisible, SInt16 initialValue, SInt16 minimumValue, SInt16 maximumValue,
                      SInt16 procID, SRefCon controlReference);
void DisposeControl(ControlRef theControl);
WindowRef GetControlOwner(ControlRef control);

SInt16 GetControlValue(ControlRef control);
void SetControlValue(ControlRef control, SInt16 value);  // clamped into min..max
SInt16 GetControlMinimum(ControlRef control);
void SetControlMinimum(ControlRef control, SInt16 value);
SInt16 GetControlMaximum(ControlRef control);
void SetControlMaximum(ControlRef control, SInt16 value);  // a maximum below the minimum leaves an empty range
SRefCon GetControlReference(ControlRef control);
void SetControlReference(ControlRef control, SRefCon data);
void SetControlTitle(ControlRef control, ConstStr255Param title);
void GetControlTitle(ControlRef control, Str255 title);
Rect* GetControlBounds(ControlRef control, Rect* bounds);
MenuRef GetControlPopupMenuHandle(ControlRef control);

void MoveControl(ControlRef control, SInt16 h, SInt16 v);
void SizeControl(ControlRef control, SInt16 w, SInt16 h);
void ShowControl(ControlRef control);
void HideControl(ControlRef control);
Boolean IsControlVisible(ControlRef control);
void HiliteControl(ControlRef control, ControlPartCode hiliteState);  // 255 inactive, 0 active
Boolean IsControlActive(ControlRef control);
void Draw1Control(ControlRef control);
void DrawControls(WindowRef window);

// Hit testing and tracking at a local point of the owner's port.
ControlPartCode FindControl(Point testPoint, WindowRef theWindow, ControlRef* theControl);
// Tracks while the button is down: arrows and pages call the action
// repeatedly; the thumb of a live scroll bar sets the value and calls the
// action with kControlIndicatorPart on every move; a check box, radio button
// or button returns its part when released inside (the program changes the
// value). A pop-up shows its menu and sets the value to the chosen item.
// Returns the part, or kControlNoPart when released outside.
ControlPartCode TrackControl(ControlRef theControl, Point startPoint, ControlActionProcPtr actionProc);

// A tab control's titles come from the 'STR#' whose ID is the minimum given
// at creation (then the minimum becomes 1 and the maximum the tab count);
// this replaces one title, tab numbered from 1.
void SetControlTabTitle(ControlRef control, SInt16 tab, ConstStr255Param title);
