// The window layer's records, shared by its own files (windows, events,
// menus, controls, dialogs). Program code never includes this.
#pragma once

#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/ui/Controls.h"
#include "platform/ui/Windows.h"

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class QWidget;
class QMainWindow;

namespace ui_internal {

struct WindowRecord {
    CGrafPort port;            // first, so that the port and the record share an address
    UniqueGWorld buffer;       // the 32-bit pixels the port draws into
    QWidget* frame = nullptr;  // the Qt widget of the whole window (frame and content)
    SInt16 procID = documentProc;
    bool floating = false;
    bool isDialog = false;
    bool visible = false;
    bool hilited = false;
    bool goAway = true;
    bool hasGrow = false;
    bool hasZoom = false;
    std::string title;         // UTF-8
    SRefCon refCon = nullptr;
    UInt32 eventId = 0;        // the number update/activate events carry
    Rect contentGlobal{};      // content rectangle in desktop coordinates
    UniqueRgn updateRgn;       // local coordinates at origin (0, 0)
    Rect userState{}, stdState{};
    std::map<std::pair<OSType, OSType>, std::vector<UInt8>> properties;
    std::vector<ControlRef> controls;
    void* dialog = nullptr;    // the dialog layer's record when isDialog
};

WindowRecord* Record(WindowRef window);          // none for a port that is not a window
WindowRef WindowFromEventId(UInt32 eventId);
QWidget* DesktopWidget();                          // the main window's central area
QMainWindow* MainWindow();
// The content widget of a window, whose coordinates are the port's at origin (0, 0).
QWidget* ContentWidget(WindowRef window);
// Called by the window layer when a window's port origin or size changes, so
// controls follow.
void RelayoutControls(WindowRef window);
void DisposeControlsOf(WindowRef window);

// The pump: processes pending Qt events and plays one scripted action.
void PumpEvents(int maxWaitMs);
// Queue access for the menu and dialog layers.
void QueueEvent(const EventRecord& event);
// Update events of held windows are not offered until released. A modal
// dialog holds a window whose update its filter left undrawn, so that its
// loop neither spins on the update nor throws it away; the window keeps its
// update region and is drawn by the main loop once the dialog has gone.
void HoldUpdateEvents(WindowRef window);
size_t HeldUpdateCount();
void ReleaseHeldUpdateEvents(size_t keep);  // all but the first `keep` held
void SetPendingMenuChoice(SInt32 choice);
SInt32 TakePendingMenuChoice();

// Menu layer (Menus.cpp): a menu choice as Qt reports it when the user picks
// an item. From the bar it becomes the pending choice and an inMenuBar
// mouse-down; while a pop-up runs it is that pop-up's answer. Scripted menu
// choices are played through here.
void DeliverMenuChoice(SInt32 choice);
// Dialog layer (DialogScript.cpp): dialogs and pop-ups do not wait for a person.
bool IsUnattended();
// Input layer (Scripting.cpp): clears the beep count; ResetScriptLog calls it.
void ResetInputScriptLog();

}  // namespace ui_internal
