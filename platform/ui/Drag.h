// Drag and drop. A drag is a list of items, each with flavours: four-character
// types whose data is given when the drag is made or supplied later by the
// sender's send procedure, when a receiver asks. Windows install a tracking
// handler (told when a drag enters, moves in and leaves them) and a receive
// handler (told of a drop).
//
// Over Qt, a drag leaving Korvel offers its flavours as MIME types that other
// programs take:
//   'PICT'  as image/png (drawn over white) and as a PNG file in a folder of
//           its own under $TMPDIR/Korvel (text/uri-list), besides the picture
//           itself under Korvel's own type (ScrapFlavorMimeType);
//   'hfs '  as text/uri-list of the file;
//   'phfs'  (a promised file) as text/uri-list: the sender's send procedure is
//           asked for 'fssP' with that same temporary folder as the drop
//           location and makes the file there; the receiver copies it.
//   other   under Korvel's own type.
// Data is made only when a receiver asks for the type, once per drag.
// Drags arriving from other programs become items the same way round: one
// 'hfs ' item per local file, else one 'PICT' item for an image (decoded
// within the clipboard's size limits when the picture is first asked for).
#pragma once

#include "platform/files/FSSpec.h"
#include "platform/raster/Regions.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

#include <functional>
#include <string>
#include <vector>

class QMimeData;

struct OpaqueDragRef;
using DragRef = OpaqueDragRef*;
using DragItemRef = UInt32;
using FlavorType = OSType;
using FlavorFlags = UInt32;
using DragAttributes = UInt32;
using DragTrackingMessage = SInt16;

enum : DragTrackingMessage {
    kDragTrackingEnterHandler = 1,
    kDragTrackingEnterWindow = 2,
    kDragTrackingInWindow = 3,
    kDragTrackingLeaveWindow = 4,
    kDragTrackingLeaveHandler = 5,
};

enum : DragAttributes {
    kDragHasLeftSenderWindow = 1u << 0,
    kDragInsideSenderApplication = 1u << 1,
    kDragInsideSenderWindow = 1u << 2,
};

enum : FlavorFlags {
    flavorSenderOnly = 1u << 0,
    flavorSenderTranslated = 1u << 1,
    flavorNotSaved = 1u << 2,
    flavorSystemTranslated = 1u << 8,
};

enum : OSErr {
    badDragRefErr = -1850,
    badDragItemErr = -1851,
    badDragFlavorErr = -1852,
    duplicateFlavorErr = -1853,
    cantGetFlavorErr = -1854,
    duplicateHandlerErr = -1855,
    handlerNotFoundErr = -1856,
    dragNotAcceptedErr = -1857,
};

// Flavour data beyond this is neither made nor read; a drag from another
// program brings at most kMaxDragItems items.
inline constexpr Size kMaxDragFlavorSize = Size(1) << 28;
inline constexpr UInt16 kMaxDragItems = 1024;

inline constexpr FlavorType kDragFlavorTypeHFS = FourCC("hfs ");
inline constexpr FlavorType kDragFlavorTypePromiseHFS = FourCC("phfs");
inline constexpr FlavorType kDragPromisedFlavor = FourCC("fssP");

// The data of an 'hfs ' flavour.
struct HFSFlavor {
    OSType fileType = 0;
    OSType fileCreator = 0;
    UInt16 fdFlags = 0;
    FSSpec fileSpec{};
};
// The data of a 'phfs' flavour: what file the sender promises, and the
// flavour ('fssP') that makes it.
struct PromiseHFSFlavor {
    OSType fileType = 0;
    OSType fileCreator = 0;
    UInt16 fdFlags = 0;
    FlavorType promisedFlavor = 0;
};

using DragSendDataProcPtr = OSErr (*)(FlavorType type, void* refCon, DragItemRef item, DragRef drag);
using DragTrackingHandlerProcPtr = OSErr (*)(DragTrackingMessage message, WindowRef window, void* refCon,
                                             DragRef drag);
using DragReceiveHandlerProcPtr = OSErr (*)(WindowRef window, void* refCon, DragRef drag);

[[nodiscard]] OSErr NewDrag(DragRef* drag);
[[nodiscard]] OSErr DisposeDrag(DragRef drag);

// Adds a flavour to an item (made when new). With no data (null, 0) the data
// is promised: the send procedure supplies it when a receiver asks.
[[nodiscard]] OSErr AddDragItemFlavor(DragRef drag, DragItemRef item, FlavorType type, const void* data,
                                      Size size, FlavorFlags flags);
// Sets (from the send procedure: supplies) a flavour's data, written at
// `offset` into what is there.
[[nodiscard]] OSErr SetDragItemFlavorData(DragRef drag, DragItemRef item, FlavorType type, const void* data,
                                          Size size, UInt32 offset);
[[nodiscard]] OSErr SetDragSendProc(DragRef drag, DragSendDataProcPtr proc, void* refCon);

// Runs the drag from the mouse-down until the button is released, the
// region (global coordinates) showing where it goes. noErr when a receiver
// took it; userCanceledErr when it ended where nobody took it.
[[nodiscard]] OSErr TrackDrag(DragRef drag, const EventRecord* event, RgnHandle dragRegion);

[[nodiscard]] OSErr CountDragItems(DragRef drag, UInt16* numItems);
[[nodiscard]] OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* item);  // from 1
[[nodiscard]] OSErr CountDragItemFlavors(DragRef drag, DragItemRef item, UInt16* numFlavors);
[[nodiscard]] OSErr GetFlavorType(DragRef drag, DragItemRef item, UInt16 index, FlavorType* type);  // from 1
// cantGetFlavorErr when the item has no such flavour.
[[nodiscard]] OSErr GetFlavorFlags(DragRef drag, DragItemRef item, FlavorType type, FlavorFlags* flags);
// The size of a flavour's data, asking the sender (or decoding another
// program's data) when it was promised; the errors of the sender, or
// memFullErr beyond the clipboard's limits.
[[nodiscard]] OSErr GetFlavorDataSize(DragRef drag, DragItemRef item, FlavorType type, Size* size);
// Copies at most *size bytes from `offset`; *size becomes the count copied.
[[nodiscard]] OSErr GetFlavorData(DragRef drag, DragItemRef item, FlavorType type, void* buffer, Size* size,
                                  UInt32 offset);

[[nodiscard]] OSErr GetDragAttributes(DragRef drag, DragAttributes* attributes);
// The mouse in global coordinates (both points the same: nothing pins it).
[[nodiscard]] OSErr GetDragMouse(DragRef drag, Point* mouse, Point* globalPinnedMouse);
[[nodiscard]] OSErr GetDragModifiers(DragRef drag, SInt16* modifiers, SInt16* mouseDownModifiers,
                                     SInt16* mouseUpModifiers);
// The folder in which a receiver wants promised files made ('fssP'); fnfErr
// outside a send procedure asked for a promised file. There is no way to tell
// the desktop's trash apart from any other receiver.
[[nodiscard]] OSErr GetDropLocation(DragRef drag, FSSpec* folder);

// Handlers of a window (one of each). duplicateHandlerErr when one is there.
[[nodiscard]] OSErr InstallTrackingHandler(DragTrackingHandlerProcPtr handler, WindowRef window, void* refCon);
[[nodiscard]] OSErr InstallReceiveHandler(DragReceiveHandlerProcPtr handler, WindowRef window, void* refCon);
[[nodiscard]] OSErr RemoveTrackingHandler(DragTrackingHandlerProcPtr handler, WindowRef window);
[[nodiscard]] OSErr RemoveReceiveHandler(DragReceiveHandlerProcPtr handler, WindowRef window);
// Both handlers of a window, sharing one reference: both are installed or neither.
[[nodiscard]] OSErr InstallDragHandlers(DragTrackingHandlerProcPtr tracking, DragReceiveHandlerProcPtr receive,
                                        WindowRef window, void* refCon);
void RemoveDragHandlers(DragTrackingHandlerProcPtr tracking, DragReceiveHandlerProcPtr receive, WindowRef window);

// Frames the region (the window's local coordinates) of the window the drag
// is over, as the place it would drop; one highlight at a time per drag.
[[nodiscard]] OSErr ShowDragHilite(DragRef drag, RgnHandle hiliteFrame, Boolean inside);
[[nodiscard]] OSErr HideDragHilite(DragRef drag);
// The highlighted region, empty when none is shown (tests).
std::vector<Rect> DragHiliteRects(DragRef drag);

// ---- Scripting (tests) ----
// Qt runs no drag without a window system; tests stand in for the person
// and the other program.
//
// While set, TrackDrag gives the drag and what it offers other programs to
// this procedure instead of running it; its result is TrackDrag's.
using TrackDragScriptProc = std::function<OSErr(DragRef drag, QMimeData* offered)>;
void SetTrackDragScript(TrackDragScriptProc proc);
// Moves a drag over the desktop to a global point, as the mouse does.
void ScriptDragMove(DragRef drag, Point global, EventModifiers modifiers);
// Moves a drag over the desktop to a global point and drops it there, through
// the window handlers as a drop of the window system does: noErr when a
// window's receive handler took it, dragNotAcceptedErr otherwise (the files
// of a drag no window took are then opened, as any drop on the program).
[[nodiscard]] OSErr ScriptDragDrop(DragRef drag, Point global, EventModifiers modifiers);
// The same for data another program offers: MIME type and bytes each.
[[nodiscard]] OSErr ScriptForeignDrop(const std::vector<std::pair<std::string, std::vector<UInt8>>>& offered,
                                      Point global, EventModifiers modifiers);
