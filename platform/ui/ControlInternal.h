// What the dialog files need of the control layer beyond Controls.h.
#pragma once

#include "platform/ui/Controls.h"

#include <string>

class QWidget;

namespace ui_internal {

// The part of the control under a local point, kControlNoPart when none (an
// inactive or hidden control, a group box, the pane of a tab control).
ControlPartCode ControlPartAt(ControlRef control, Point localPoint);
// Titles and edit texts longer than a Str255 (static texts after ^0..^3).
void SetControlText(ControlRef control, const std::string& text);
std::string GetControlText(ControlRef control);
// Edit text: the selection, and one typed key (character code) applied as a
// person's typing would; true when the key was taken.
void SetControlTextSelection(ControlRef control, SInt16 start, SInt16 end);
bool ApplyKeyToEditText(ControlRef control, UInt8 charCode);
// The edit commands on an edit text with Command held: A selects all, C
// copies, X cuts, V pastes the clipboard's text; true when one was done.
bool ApplyEditCommand(ControlRef control, UInt8 charCode);
// The caret offset nearest a local point of an edit text.
SInt16 EditTextOffsetAt(ControlRef control, Point localPoint);
void SetControlDefaultButton(ControlRef control, bool isDefault);
QWidget* ControlWidget(ControlRef control);
bool IsPopupProc(SInt16 procID);

}  // namespace ui_internal
