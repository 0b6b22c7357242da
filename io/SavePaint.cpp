#include "io/SavePaint.h"

#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "icons/IconConvert.h"
#include "paint/PaintWindow.h"
#include "palettes/Prefs.h"
#include "tools/Selection.h"

namespace {
constexpr OSErr kUnimplementedErr = -4;  // the toolbox's unimpErr
constexpr SInt16 kCannotSaveItem = 13;

// A paint window editing a member of a family window saves into the family:
// the whole image, with a floating selection dropped into it first.
OSErr SaveMemberToFamily(WindowRef window, PaintWinRec* rec) {
    if (rec->isFloating) FixSelection(window);
    CountUse(kUsedSaves);
    if (const OSErr err = SaveToFamily(window); err != noErr) return err;
    rec->isDirty = false;
    SetEditWindowTitle(window);
    UpdateMenus();
    return noErr;
}
}  // namespace

// Pictures are not written to files in this version: such a save says so
// and returns an error, which keeps every caller's document open and
// unchanged, so a close that asked to save stops instead of losing the
// picture. A member of an icon family saves back into its family.
OSErr SavePaintWindow(WindowRef window, SInt16 copy, SInt16 saveAs) {
    PaintWinRec* rec = GetPaintWinRec(window);
    if (rec && !copy && !saveAs && IsMemberPaintWindow(window)) return SaveMemberToFamily(window, rec);
    ErrorAlertFromResource(kPaintFileErrStrings, kCannotSaveItem);
    return kUnimplementedErr;
}
