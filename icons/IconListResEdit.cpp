// Handing an icon file to the resource editor named in the preferences.
#include "icons/IconListInternal.h"

#include "app/Alerts.h"
#include "palettes/Prefs.h"
#include "platform/core/PString.h"
#include "platform/ui/Launch.h"

namespace {
enum : SInt16 { kResEditNotStartedItem = 11 };
}  // namespace

OSErr OpenWithResEdit(WindowRef window) {
    const IconFileRec* rec = GetIconFileRec(window);
    if (!rec || !isResEditAvailable) return paramErr;
    // A file never saved has nothing on disk for the editor: its window
    // stays as it is.
    if (!rec->hasFile) return fnfErr;
    const FSSpec file = rec->sourceSpec;
    // The editor must find the file as the user left it: the window asks to
    // save its changes and closes first.
    if (const OSErr err = CloseIconFile(window, false); err != noErr) return err;
    const OSErr err = LaunchApplicationWithDocument(&gResEditor, file);
    if (err != noErr) ErrorAlertNamed(kIconFileErrStrings, kResEditNotStartedItem, PStringToStd(gResEditor.name));
    return err;
}
