// Drag and drop on the icon-list window. Selected icons are dragged out as
// promised files (a folder with the icon as its custom icon, or with the
// command key down at the start a Windows icon file) and as icon families;
// files and icon families dropped onto the list are added to it as new icons.
#pragma once

#include "icons/IconList.h"
#include "platform/ui/Drag.h"

// Installed when the window is made, removed when it goes.
[[nodiscard]] OSErr InstallIconListDragHandlers(WindowRef window);
void RemoveIconListDragHandlers(WindowRef window);

// Drags the selected icons out of the window from the mouse-down `event`.
// Promised files that could not be made are named in an alert afterwards;
// a drag nobody took changes nothing and gives noErr.
[[nodiscard]] OSErr MyDoStartDragIcon(WindowRef window, const EventRecord* event);
// Items 1 … count: each a promised folder ('phfs' promising 'fssP') and,
// with Icon Services, a promised icon family ('icns').
[[nodiscard]] OSErr MyDoAddIconFlavors(DragRef drag, UInt16 count);
// The one-pixel outline of the visible selected icons' 32 × 32 areas, in
// global coordinates.
[[nodiscard]] OSErr MyGetDragIconRegion(WindowRef window, RgnHandle region);
// Supplies 'fssP' (makes the file in the drop folder) and 'icns'; refCon is
// the drag's source record of MyDoStartDragIcon.
[[nodiscard]] OSErr MySendIconDataProc(FlavorType type, void* refCon, DragItemRef item, DragRef drag);
// A 'phfs' flavour promising a file of that type and creator, made when a
// receiver asks for `promisedFlavor`, which is added to the item unmade.
[[nodiscard]] OSErr AddDragItemFlavorTypePromiseHFS(DragRef drag, DragItemRef item, OSType fileType,
                                                    OSType fileCreator, UInt16 fdFlags, FlavorType promisedFlavor);

// Every item carries a file ('hfs ') or, with Icon Services, an icon family.
Boolean IsMyIconListTypeAvailable(DragRef drag);
OSErr MyIconListTrackingHandler(DragTrackingMessage message, WindowRef window, void* state, DragRef drag);
OSErr MyIconListReceiveHandler(WindowRef window, void* state, DragRef drag);

// The name a dragged or exported icon's file gets: the icon's name with ':'
// and '/' made '-', or, when that is empty or names a folder itself ("." or
// ".."), the icon file's name, a separator and the ID; cut to 31 bytes.
std::string IconFileBaseName(const IconFileRec& iconFile, ConstStr255Param name, ResID id);
