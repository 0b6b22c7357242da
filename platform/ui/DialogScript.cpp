// Scripted answers for dialogs and alerts, the unattended switch and the log
// of what ran. The dialog layer asks here before it waits for a person.
#include "platform/ui/DialogInternal.h"
#include "platform/ui/Scripting.h"
#include "platform/ui/WindowInternal.h"

#include <deque>

namespace {

struct ScriptedDialog {
    SInt16 dialogID = 0;
    std::deque<DialogStep> steps;
};

std::vector<ScriptedDialog> gScripted;
std::deque<ColorPickerAnswer> gColorPickerAnswers;
std::deque<NavAnswer> gNavAnswers;
bool gUnattended = false;
std::vector<SInt16> gShown;
std::string gLastAlertText;
std::string gLastNavFolder;

}  // namespace

void ScriptDialog(SInt16 dialogID, std::vector<DialogStep> steps) {
    if (steps.empty()) return;
    gScripted.push_back({dialogID, std::deque<DialogStep>(steps.begin(), steps.end())});
}

void ScriptColorPicker(ColorPickerAnswer answer) { gColorPickerAnswers.push_back(std::move(answer)); }

void ScriptNavDialog(NavAnswer answer) { gNavAnswers.push_back(std::move(answer)); }

void SetUnattended(Boolean unattended) { gUnattended = unattended; }

const std::vector<SInt16>& DialogsShown() { return gShown; }

std::string LastAlertText() { return gLastAlertText; }
std::string LastNavDialogFolder() { return gLastNavFolder; }

void ResetScriptLog() {
    gShown.clear();
    gLastAlertText.clear();
    gLastNavFolder.clear();
    ui_internal::ResetInputScriptLog();
}

namespace ui_internal {

bool IsUnattended() { return gUnattended; }

bool TakeDialogStep(SInt16 dialogID, DialogStep* step) {
    for (auto it = gScripted.begin(); it != gScripted.end(); ++it) {
        if (it->dialogID != dialogID && it->dialogID != -1) continue;
        *step = std::move(it->steps.front());
        it->steps.pop_front();
        if (it->steps.empty()) gScripted.erase(it);
        return true;
    }
    return false;
}

void NoteDialogShown(SInt16 dialogID) { gShown.push_back(dialogID); }

bool TakeColorPickerAnswer(ColorPickerAnswer* answer) {
    if (gColorPickerAnswers.empty()) return false;
    *answer = std::move(gColorPickerAnswers.front());
    gColorPickerAnswers.pop_front();
    return true;
}

bool TakeNavAnswer(NavAnswer* answer) {
    if (gNavAnswers.empty()) return false;
    *answer = std::move(gNavAnswers.front());
    gNavAnswers.pop_front();
    return true;
}

void SetLastAlertText(std::string text) { gLastAlertText = std::move(text); }
void NoteNavDialogFolder(std::string folder) { gLastNavFolder = std::move(folder); }

}  // namespace ui_internal
