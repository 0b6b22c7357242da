// Wind: chosen rows of the picture are smeared sideways by blending shifted
// copies into them, so that streaks trail behind in the wind's direction.
#include "tools/Effects.h"

#include "app/Alerts.h"
#include "paint/Undo.h"
#include "palettes/Prefs.h"
#include "platform/core/Geometry.h"
#include "platform/core/Random.h"

namespace {

enum : DialogItemIndex { kDirectionFirst = 3, kDirectionLast = 4, kStrengthFirst = 5, kStrengthLast = 6 };
constexpr UInt16 kWindWeight = 0x5000;  // about 31 % of each shifted copy

// Going down the rows, each is chosen one time in four; after a chosen row
// the next two are skipped.
void MakeStreakRgn(const Rect& r, RgnHandle streaks) {
    SetEmptyRgn(streaks);
    UniqueRgn row;
    for (int v = r.top; v < r.bottom; ++v) {
        if ((Random() & 3) != 0) continue;
        SetRectRgn(row, r.left, SInt16(v), r.right, SInt16(v + 1));
        UnionRgn(streaks, row, streaks);
        v += 2;
    }
}

}  // namespace

WindSettings GetWindSettings() {
    WindSettings s;
    s.direction = PrefShort(&gWindPrefs[0]) == 1 ? 1 : 0;
    s.strength = PrefShort(&gWindPrefs[2]) == 1 ? 1 : 0;
    return s;
}

OSErr ConfigureWind(WindSettings* settings) {
    WindSettings s = GetWindSettings();
    BeginModal();
    DialogRef d = GetNewDialog(kWindDialog, nullptr, kFirstWindowOfClass);
    if (!d) {
        EndModal();
        SysBeep(1);
        return resNotFound;
    }
    SetDialogDefaultItem(d, kStdOkItemIndex);
    SetDialogCancelItem(d, kStdCancelItemIndex);
    SetRadioGroup(d, kDirectionFirst, kDirectionLast, s.direction);
    SetRadioGroup(d, kStrengthFirst, kStrengthLast, s.strength);
    ShowWindow(d);
    DialogItemIndex hit = 0;
    for (;;) {
        ModalDialog(MyModalDialogFilter, &hit);
        if (hit == kStdOkItemIndex || hit == kStdCancelItemIndex) break;
        if (hit >= kDirectionFirst && hit <= kDirectionLast) s.direction = SInt16(hit - kDirectionFirst);
        if (hit >= kStrengthFirst && hit <= kStrengthLast) s.strength = SInt16(hit - kStrengthFirst);
        SetRadioGroup(d, kDirectionFirst, kDirectionLast, s.direction);
        SetRadioGroup(d, kStrengthFirst, kStrengthLast, s.strength);
    }
    DisposeDialog(d);
    EndModal();
    if (hit != kStdOkItemIndex) return userCanceledErr;
    PutPrefShort(&gWindPrefs[0], s.direction);
    PutPrefShort(&gWindPrefs[2], s.strength);
    if (settings) *settings = s;
    return noErr;
}

void DoWind(WindowRef window) {
    WindSettings settings;
    if (ConfigureWind(&settings) != noErr) return;
    DoWindWith(window, settings);
}

void DoWindWith(WindowRef window, const WindSettings& settings) {
    PaintWinRec* rec = GetPaintWinRec(window);
    EffectTarget target;
    if (!GetEffectTarget(rec, &target)) return;
    SavedGWorld saved;
    const Rect& r = target.rect;
    UniqueRgn streaks;
    if (!streaks) {
        ErrorAlertFromResource(kMemoryErrStrings, 1);
        return;
    }
    MakeStreakRgn(r, streaks);
    if (!BeginEffect(window)) return;
    const int d = settings.direction == 1 ? -1 : 1;
    const int n = (settings.strength == 1 ? 1 : 0) + 4;
    const RGBColor weight{kWindWeight, kWindWeight, kWindWeight};
    for (int k = n; k >= 0; --k) {
        Rect moved = r;
        OffsetRect(&moved, SInt16(k * d), 0);
        CopyWithOp(rec->undoPort.get(), rec->offPort.get(), r, moved, blend, weight, streaks);
    }
    OrNonWhiteIntoMask(rec, r);
    FinishEffect(window, kUsedWind, kUndoTone);
}
