// Start-up, the main loop and event dispatch.
#pragma once

#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

extern Boolean quit;
extern RgnHandle gCurRgnHand;
extern RgnHandle gRulerRgn;
extern GWorldPtr gBlendPalettePtr;
extern SInt16 gApplRefNum;

// Feature flags, set once by InitGlobals.
extern Boolean isAppearanceAvailable, isOSX, isIconServicesAvailable, isTabletAvailable;
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
void HandleKeyDown(EventRecord* event);
void DoUpdate(EventRecord* event);
void ChangeSysSettings();
void ResetSysSettings();
void Quit();
void ToolWindowInit();
// Handles events until none is waiting (tests and scripted runs).
void RunPendingEvents();

// Runs the program: start-up, main loop, shut-down. Returns the exit status.
int RunApplication(int argc, char** argv);
