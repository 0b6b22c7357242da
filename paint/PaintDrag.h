// Drag and drop on paint windows: the floating selection dragged out as a
// picture; a picture, an icon file or any file's icon dropped in as a new
// floating selection.
#pragma once

#include "platform/ui/Drag.h"

// Installs the window's handlers with its record's drag state, cleared;
// RemovePaintWinDragHandlers takes them away when the window closes.
[[nodiscard]] OSErr InstallPaintWinDragHandlers(WindowRef window);
void RemovePaintWinDragHandlers(WindowRef window);

// Drags the floating selection out of the window (a Command-click inside it).
[[nodiscard]] OSErr MyDoStartDragPaintWin(WindowRef window, const EventRecord* event);
// Item 1 gets a 'PICT' flavour whose data is supplied when asked.
[[nodiscard]] OSErr MyDoAddPaintWinFlavors(DragRef drag);
// The one-pixel frame of the selection's outline, global coordinates.
[[nodiscard]] OSErr MyGetDragPaintWinRegion(WindowRef window, RgnHandle region);
[[nodiscard]] OSErr MySendPaintWinDataProc(FlavorType type, void* refCon, DragItemRef item, DragRef drag);

[[nodiscard]] OSErr MyPaintWinTrackingHandler(DragTrackingMessage message, WindowRef window, void* state,
                                              DragRef drag);
[[nodiscard]] OSErr MyPaintWinReceiveHandler(WindowRef window, void* state, DragRef drag);
// At most one item, each with a 'PICT' or an 'hfs ' flavour.
Boolean IsMyPaintWinTypeAvailable(DragRef drag);
