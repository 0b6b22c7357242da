// The window layer over Qt Widgets. A WindowRef is the window's port: a 32-bit
// pixel buffer of the content size drawn with the raster engine; Qt paint
// events only copy it to the screen (scaled by whole numbers on high-DPI
// screens). The layer draws the frames itself (title bar, close box, zoom
// box), so FindWindow reports the same parts the toolbox does and the program
// tracks them with TrackGoAway, TrackBox, DragWindow and GrowWindow.
//
// The desktop is the central area of one main window with a menu bar.
// Document windows are children of the desktop; floating windows are Qt tool
// windows that stay above the main window. Global coordinates are desktop
// coordinates (Events.h).
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/raster/QDTypes.h"

using WindowRef = WindowPtr;
using SRefCon = void*;

using WindowPartCode = SInt16;
enum : WindowPartCode {
    inDesk = 0,
    inNoWindow = 0,
    inMenuBar = 1,
    inSysWindow = 2,
    inContent = 3,
    inDrag = 4,
    inGrow = 5,
    inGoAway = 6,
    inZoomIn = 7,
    inZoomOut = 8,
};

// Window definition ids of window templates. The layer draws documents with
// a 20-pixel title bar, floating windows with an 11-pixel one, dialogs with a
// plain frame.
enum : SInt16 {
    documentProc = 0,
    dBoxProc = 1,
    plainDBox = 2,
    altDBoxProc = 3,
    noGrowDocProc = 4,
    movableDBoxProc = 5,
    zoomDocProc = 8,
    zoomNoGrow = 12,
    floatProc = 1985,          // floating, close box
    floatGrowProc = 1987,      // floating, close box, grow box
    floatZoomProc = 1989,      // floating, close and zoom boxes
    floatZoomGrowProc = 1991,
};

// Frame metrics, so that program code and tests can place windows exactly.
inline constexpr SInt16 kDocumentTitleBarHeight = 20;
inline constexpr SInt16 kFloatingTitleBarHeight = 11;
inline constexpr SInt16 kWindowBorder = 1;  // left, right and bottom edge of every framed window

// 'WIND' resource layout (big-endian): boundsRect (global content rectangle),
// procID, visible (i16), goAwayFlag (i16), refCon (i32), title (Pascal string),
// then an optional positioning word.
struct WindowTemplate {
    Rect boundsRect;
    SInt16 procID = documentProc;
    Boolean visible = false;
    Boolean goAwayFlag = true;
    SInt32 refCon = 0;
    Str255 title{};
};
[[nodiscard]] OSErr ParseWindowTemplate(const UInt8* data, Size size, WindowTemplate* out);

// `behind` as the toolbox has it: kFirstWindowOfClass (in front of all
// others of its class) or kLastWindowOfClass.
inline WindowRef const kFirstWindowOfClass = reinterpret_cast<WindowRef>(-1);
inline WindowRef const kLastWindowOfClass = nullptr;

// Make the main window and desktop if not yet made. The desktop is `width` x
// `height` when given (tests fix it), else the main window's usual size.
// Returns memFullErr when Qt cannot make a window.
[[nodiscard]] OSErr InitWindows(SInt16 desktopWidth = 0, SInt16 desktopHeight = 0);
void TearDownWindows();  // disposes every window and the main window (tests, quitting)
void SetMainWindowTitle(ConstStr255Param title);

// Windows are made invisible unless `visible`; none on failure.
WindowRef NewCWindow(void* storage, const Rect* boundsRect, ConstStr255Param title, Boolean visible,
                     SInt16 procID, WindowRef behind, Boolean goAwayFlag, SRefCon refCon);
WindowRef GetNewCWindow(SInt16 windowID, void* storage, WindowRef behind);  // from 'WIND' windowID
void DisposeWindow(WindowRef window);

void ShowWindow(WindowRef window);
void HideWindow(WindowRef window);
Boolean IsWindowVisible(WindowRef window);
void ShowHide(WindowRef window, Boolean showFlag);
void SelectWindow(WindowRef window);  // front of its class, activates a document
void BringToFront(WindowRef window);
void SendBehind(WindowRef window, WindowRef behindWindow);
void HiliteWindow(WindowRef window, Boolean fHilite);
Boolean IsWindowHilited(WindowRef window);

// Front to back, floating windows first; only visible windows count as front.
WindowRef FrontWindow();
WindowRef FrontNonFloatingWindow();
WindowRef GetWindowList();                 // the front-most window, visible or not
WindowRef GetNextWindow(WindowRef window); // the next one behind, none at the end
Boolean IsFloatingWindow(WindowRef window);

WindowPartCode FindWindow(Point thePoint, WindowRef* window);
Boolean TrackGoAway(WindowRef window, Point thePt);              // tracks while the button is down
Boolean TrackBox(WindowRef window, Point thePt, WindowPartCode partCode);
void DragWindow(WindowRef window, Point startPt, const Rect* boundsRect);  // moves it when the mouse ends in bounds
// Returns height << 16 | width of the new content size, or 0 when unchanged.
SInt32 GrowWindow(WindowRef window, Point startPt, const Rect* sizeRect);
void ZoomWindow(WindowRef window, WindowPartCode partCode, Boolean front);
void DrawGrowIcon(WindowRef window);  // the grow box glyph into the port's bottom-right 15 x 15

// Position and size of the content, in global coordinates.
void MoveWindow(WindowRef window, SInt16 hGlobal, SInt16 vGlobal, Boolean front);
void SizeWindow(WindowRef window, SInt16 w, SInt16 h, Boolean fUpdate);  // keeps the port's origin
// The title text region is the title as the frame draws it (empty for none).
enum : UInt16 { kWindowTitleTextRgn = 1, kWindowStructureRgn = 32, kWindowContentRgn = 33 };
OSStatus GetWindowBounds(WindowRef window, UInt16 regionCode, Rect* globalBounds);
Rect* GetWindowPortBounds(WindowRef window, Rect* bounds);  // the port rectangle, local coordinates
void GetWindowStandardState(WindowRef window, Rect* rect);
void SetWindowStandardState(WindowRef window, const Rect* rect);
void GetWindowUserState(WindowRef window, Rect* rect);
void SetWindowUserState(WindowRef window, const Rect* rect);
RgnHandle GetGrayRgn();  // the desktop, global coordinates; owned by the layer

void SetWTitle(WindowRef window, ConstStr255Param title);
void GetWTitle(WindowRef window, Str255 title);
void SetWRefCon(WindowRef window, SRefCon data);
SRefCon GetWRefCon(WindowRef window);
SInt16 GetWindowProcID(WindowRef window);

// Window properties: small byte blocks kept with the window.
enum : OSStatus { errWindowPropertyNotFound = -5604 };
OSStatus SetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 size, const void* buffer);
OSStatus GetWindowProperty(WindowRef window, OSType creator, OSType tag, UInt32 bufferSize,
                           UInt32* actualSize, void* buffer);
OSStatus GetWindowPropertySize(WindowRef window, OSType creator, OSType tag, UInt32* size);
OSStatus RemoveWindowProperty(WindowRef window, OSType creator, OSType tag);

// Ports and updating. Update regions are kept in local coordinates of the
// port at the time they are added and follow SetOrigin.
CGrafPtr GetWindowPort(WindowRef window);
WindowRef GetWindowFromPort(CGrafPtr port);
void SetPortWindowPort(WindowRef window);
void InvalWindowRect(WindowRef window, const Rect* bounds);
void InvalWindow(WindowRef window);  // the whole port; nothing for no window
void InvalWindowRgn(WindowRef window, RgnHandle region);
void ValidWindowRect(WindowRef window, const Rect* bounds);
void ValidWindowRgn(WindowRef window, RgnHandle region);
Boolean IsWindowUpdatePending(WindowRef window);
// BeginUpdate sets the port's visible region to the update region (local) and
// clears it; EndUpdate restores the visible region and shows what was drawn.
void BeginUpdate(WindowRef window);
void EndUpdate(WindowRef window);
RgnHandle GetPortVisibleRegion(CGrafPtr port, RgnHandle visRgn);
// Show what was drawn into the port now, without waiting for the event loop
// (live drawing during tracking). A null region means the whole port.
void QDFlushPortBuffer(CGrafPtr port, RgnHandle region);

// Coordinates of the current port.
void GlobalToLocal(Point* pt);
void LocalToGlobal(Point* pt);

// The integer scale at which ports are shown (1, or 2 on a high-DPI screen).
SInt16 GetWindowScale(WindowRef window);

// Sound.
void SysBeep(SInt16 duration);
