// Start-up, the main loop and event dispatch.
#pragma once

#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

extern Boolean quit;
extern RgnHandle gCurRgnHand;
extern RgnHandle gRulerRgn;
extern GWorldPtr gBlendPalettePtr;
extern SInt16 gApplRefNum;

// Feature flags, set once by InitGlobals. The icon flags come from the icon
// utilities' attributes and are all false when those cannot be read; the
// thumbnail members ('it32', 't8mk') are read and written only with
// isThumbnailIconsAvailable, 'icns' data only with isIconServicesAvailable.
extern Boolean isDragMgrPresent;
extern Boolean isAppearanceAvailable, isOSX, isIconServicesAvailable, isTabletAvailable;
extern Boolean is32BitIconsAvailable, isThumbnailIconsAvailable;
extern SInt32 gSystemVersion, gCarbonLibVersion;

// Tool state set by InitGlobals (the tools own their meaning).
extern SInt16 gSelectedTool, gBlendMode, gBSelectedItem, gPenWidth, gPenHeight, gEraserWidth, gEraserHeight;
extern Point gPrevRulerPt;
extern Boolean gBlendLocked;
extern Rect gToolRect;

void InitConstants();
void InitGlobals();
// The whole start-up sequence up to the main loop; false when the program must end.
Boolean StartUp();
void ShutDown();
void MainLoop();
void DoEvent(EventRecord* event);
void DoIdleEvent(EventRecord* event);
void HandleMouseDown(EventRecord* event);
void ContentClick(EventRecord* event);
// The wheel scrolls the paint window under the pointer, front or not.
void HandleMouseWheel(EventRecord* event);
void HandleKeyDown(EventRecord* event);
void DoUpdate(EventRecord* event);
void ChangeSysSettings();
void ResetSysSettings();
void Quit();
// Closes a document window by its kind, asking to save a changed document
// ("before quitting" when `quitting`); the error of a cancelled question or a
// failed save, which leaves the window open.
[[nodiscard]] OSErr CloseDocumentWindow(WindowRef window, Boolean quitting);
// The second click of a double-click on `window`: a mouse-down in the same
// window within `slop` pixels of the first click (global `where`), before the
// double-click time after `when` has passed and while the pointer stays that
// close. It is taken from the queue; a mouse-down anywhere else ends the wait
// and stays queued for the window it lands in.
Boolean WaitForSecondClick(WindowRef window, Point where, UInt32 when, SInt16 slop);
enum class Press { Clicked, Held, Moved };
// Follows a press at `localPt` in `window`, made at `when`: Clicked when it is
// released where it was, Held when it stays past the double-click time, Moved
// as soon as it leaves the square of `slop` pixels around the point when
// drags are possible (else it is followed to its release).
Press TrackPress(WindowRef window, Point localPt, UInt32 when, SInt16 slop);
void ToolWindowInit();
// Handles events until none is waiting (tests and scripted runs).
void RunPendingEvents();

// Runs the program: start-up, main loop, shut-down. Returns the exit status.
int RunApplication(int argc, char** argv);
