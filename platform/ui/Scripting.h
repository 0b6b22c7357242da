// Scripted input for tests and demonstrations. Actions wait in a script and
// are played one per pump of the event layer (WaitNextEvent, StillDown,
// Button, ModalDialog...) as real Qt events sent to the widget under the
// point, so the whole road from Qt to the program is exercised.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Events.h"

#include <functional>
#include <string>
#include <vector>

// Mouse. Points are global (desktop) coordinates; controlKey with the button
// is sent as a right click.
void ScriptMouseDown(Point where, EventModifiers modifiers = 0);
void ScriptMouseMove(Point where, EventModifiers modifiers = 0);
void ScriptMouseUp(Point where, EventModifiers modifiers = 0);
void ScriptClick(Point where, EventModifiers modifiers = 0);  // down, then up
// A turn of the mouse wheel over `where` by `notches` (positive: away from the
// user, or to the left on kMouseWheelAxisX).
void ScriptWheel(Point where, UInt16 axis, SInt16 notches, EventModifiers modifiers = 0);
// Keys: the virtual key code and its character. A held key repeats with the
// layer's own auto-key timing until its key-up is played.
void ScriptKeyDown(UInt8 keyCode, UInt8 charCode, EventModifiers modifiers = 0);
void ScriptKeyUp(UInt8 keyCode, UInt8 charCode, EventModifiers modifiers = 0);
void ScriptKey(UInt8 keyCode, UInt8 charCode, EventModifiers modifiers = 0);  // down, then up
// A choice from the menu bar, as Qt reports it when the user picks an item.
void ScriptMenuChoice(SInt32 menuChoice);
// Let `ticks` pass before the next action.
void ScriptWait(UInt32 ticks);
Boolean ScriptPending();
void ClearScript();

// Answers for modal dialogs and alerts, consumed in order by the dialog of
// that ID when it runs (dialogID −1 matches any). Each step acts on an item
// as the user would: type text, click, choose a pop-up item.
struct DialogStep {
    enum class Kind { Type, Click, Choose } kind = Kind::Click;
    DialogItemIndex item = 1;
    std::string text;
    SInt16 value = 0;
    static DialogStep Type(DialogItemIndex item, std::string text) { return {Kind::Type, item, std::move(text), 0}; }
    static DialogStep Click(DialogItemIndex item) { return {Kind::Click, item, {}, 0}; }
    static DialogStep Choose(DialogItemIndex item, SInt16 value) { return {Kind::Choose, item, {}, value}; }
};
void ScriptDialog(SInt16 dialogID, std::vector<DialogStep> steps);
// Answers for the colour picker (ColorPicker.h) and the navigation dialogs
// (NavDialogs.h), each taken by the next one that runs, oldest first.
// `whileShown`, when set, runs where the dialog would wait for the user, so a
// test can look at the windows behind it.
struct ColorPickerAnswer {
    Boolean chosen = true;  // false: the user cancels
    RGBColor color;
    std::function<void()> whileShown;
};
void ScriptColorPicker(ColorPickerAnswer answer);
struct NavAnswer {
    Boolean chosen = true;  // false: the user cancels
    std::string path;       // the item chosen
    std::function<void()> whileShown;
    SInt16 format = -1;     // a save dialog's format pop-up item, from 0; -1 leaves the one proposed
    SInt16 split = -1;      // a save dialog's check box: 0 off, 1 on, -1 as proposed
    std::vector<std::string> morePaths{};  // further items chosen with `path` in a multiple selection
};
void ScriptNavDialog(NavAnswer answer);
// When set, a dialog or alert without a scripted answer does not wait for a
// person: it ends at once with its cancel item (or item 1) and is logged. The
// colour picker and the navigation dialogs are cancelled.
void SetUnattended(Boolean unattended);
// The dialogs and alerts that ran, by ID, oldest first (alerts too).
const std::vector<SInt16>& DialogsShown();
// The texts of the last alert's static items, after ParamText substitution.
std::string LastAlertText();
// The folder the last navigation dialog started in (empty: its own choice).
std::string LastNavDialogFolder();
UInt32 SysBeepCount();
void ResetScriptLog();  // clears DialogsShown, LastAlertText, LastNavDialogFolder and the beep count
