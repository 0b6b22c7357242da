// The drag record behind a DragRef and the window handlers, shared by the
// drag layer's files: Drag.cpp (items, flavours, handlers, highlight) and
// DragRouter.cpp (Qt's drags and drops).
#pragma once

#include "platform/ui/Drag.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

struct OpaqueDragRef {
    struct Flavor {
        FlavorType type = 0;
        FlavorFlags flags = 0;
        bool hasData = false;
        std::vector<UInt8> data;
        // Data of another program, converted when first asked for.
        std::function<OSErr(std::vector<UInt8>*)> fetch;
    };
    struct Item {
        DragItemRef ref = 0;
        std::vector<Flavor> flavors;
    };
    std::vector<Item> items;
    DragSendDataProcPtr send = nullptr;
    void* sendRefCon = nullptr;
    bool sending = false;               // inside the send procedure: no second call
    bool fromThisProgram = false;       // made by NewDrag here, not by another program
    WindowRef sourceWindow = nullptr;   // where TrackDrag started
    bool leftSender = false;
    Point mouse{0, 0};
    EventModifiers modifiers = 0, downModifiers = 0, upModifiers = 0;
    WindowRef over = nullptr;           // the window with handlers the drag is over
    WindowRef hiliteWindow = nullptr;
    UniqueRgn hilite;                   // the framed ring, the window's local coordinates
    std::string dropFolder;             // set while a promised file is asked for
    std::string tempFolder;             // this drag's folder of files for other programs
};

namespace ui_internal {

struct DragHandlers {
    DragTrackingHandlerProcPtr tracking = nullptr;
    void* trackingRefCon = nullptr;
    DragReceiveHandlerProcPtr receive = nullptr;
    void* receiveRefCon = nullptr;
};
// The handlers of live windows; entries of windows that went are dropped.
std::map<WindowRef, DragHandlers>& DragHandlerTable();

OpaqueDragRef::Item* FindDragItem(DragRef drag, DragItemRef item);
OpaqueDragRef::Flavor* FindDragFlavor(DragRef drag, DragItemRef item, FlavorType type);
// The whole data of a flavour, asking the sender or converting when needed.
[[nodiscard]] OSErr DragFlavorBytes(DragRef drag, DragItemRef item, FlavorType type,
                                    const std::vector<UInt8>** bytes);

// Moves the drag to a global point: the windows' tracking handlers are told
// of leaving and entering and then of the move.
void MoveDragTo(DragRef drag, Point global, EventModifiers modifiers);
// Drops the drag where it is: noErr when a receive handler took it.
[[nodiscard]] OSErr DropDragHere(DragRef drag, EventModifiers modifiers);
// The drag leaves the windows (drag cancelled or gone off the program).
void LeaveDragWindows(DragRef drag);

}  // namespace ui_internal
