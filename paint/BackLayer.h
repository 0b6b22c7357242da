// The background layer of a paint document. A document holds one layer
// ("single") or two: a background and a foreground drawn over it. The
// ordinary buffers of the record always hold the layer being edited; the
// other one is parked:
//
//   state               backPort  foreHoldPort/Mask  isBackMode
//   single              none      none               the start-layer preference
//   foreground edited   present   none               clear
//   background edited   none      present            set
//
// The foreground is shown over the background at a level 0 (opaque) to 4
// (hidden), see SetForeBlend.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

// Resources of the layer commands.
enum : SInt16 {
    kLayerStrings = 148,          // 'STR#': 1 hide, 2 show, 3 new foreground, 4 new background, 5 switch
    kLayerPopupMenuID = 160,      // the indicator's pop-up
    kForeTransPopupMenuID = 136,  // its foreground-level submenu
};

inline bool HasLayers(const PaintWinRec* rec) { return rec && (rec->backPort || rec->foreHoldPort); }
// Whether `window` is a paint window whose document has two layers.
Boolean WindowHasLayers(WindowRef window);

// Switches the edited layer. From the foreground side of a single document it
// makes a new, white background (undo mode 19); from the background side of a
// single document a new, transparent foreground (mode 20). A lifted selection
// stays lifted, in place, and lifts the other layer's pixels. Every buffer
// it needs is made first: on failure the document is as it was.
[[nodiscard]] OSErr GoBackgroundMode(WindowRef window);
// Draws the foreground onto the background at its level: one layer remains (mode 21).
[[nodiscard]] OSErr UnionBackground(WindowRef window);
// Keeps only the background (mode 22) or only the foreground (mode 23).
[[nodiscard]] OSErr DeleteForeground(WindowRef window);
[[nodiscard]] OSErr DeleteBackground(WindowRef window);
// Shows or hides the background under the foreground (no undo step).
void ShowHideBackground(WindowRef window);
// The front paint document's foreground level becomes item − 1 (mode 24).
void HandleForeTransparencyChoice(SInt16 item);

// A failed layer command's alert; nothing for noErr, nor for userCanceledErr
// (a selection that could not be dropped, which its own alert reported).
void ReportLayerError(OSErr err);

// The indicator's pop-up (menu 160 with submenu 136) at a global point, and
// what the choice runs.
void BackgroundPop(WindowRef window, Point globalPt);
// A press in the indicator box (30 to 43 pixels along the bottom edge): a
// quick click switches layers; held past the double-click time, or with
// Control, it opens the pop-up.
void ClickBackInfo(WindowRef window, Point localPt, const EventRecord* event);
void UpdateBackInfo(WindowRef window);
// Edit items 14 to 20 and the foreground-level menu 137 from the front window.
void UpdateBGMenu();
