// Drags as records: items, flavours, the send procedure, the window
// handlers and their tracking, the drop highlight.
#include "platform/ui/Drag.h"

#include "platform/raster/GWorld.h"
#include "platform/raster/Shapes.h"
#include "platform/ui/DragInternal.h"
#include "platform/ui/DragRecord.h"
#include "platform/ui/LayerState.h"

#include <algorithm>
#include <cstring>
#include <memory>

namespace ui_internal {

std::map<WindowRef, DragHandlers>& DragHandlerTable() {
    static std::map<WindowRef, DragHandlers> table;
    std::erase_if(table, [](const auto& entry) { return Record(entry.first) == nullptr; });
    return table;
}

OpaqueDragRef::Item* FindDragItem(DragRef drag, DragItemRef item) {
    if (!drag) return nullptr;
    for (OpaqueDragRef::Item& it : drag->items)
        if (it.ref == item) return &it;
    return nullptr;
}

OpaqueDragRef::Flavor* FindDragFlavor(DragRef drag, DragItemRef item, FlavorType type) {
    OpaqueDragRef::Item* it = FindDragItem(drag, item);
    if (!it) return nullptr;
    for (OpaqueDragRef::Flavor& f : it->flavors)
        if (f.type == type) return &f;
    return nullptr;
}

OSErr DragFlavorBytes(DragRef drag, DragItemRef item, FlavorType type, const std::vector<UInt8>** bytes) {
    if (!drag) return badDragRefErr;
    if (!FindDragItem(drag, item)) return badDragItemErr;
    OpaqueDragRef::Flavor* f = FindDragFlavor(drag, item, type);
    if (!f) return cantGetFlavorErr;
    if (!f->hasData && f->fetch) {
        std::vector<UInt8> data;
        if (const OSErr err = f->fetch(&data); err != noErr) return err;
        f->data = std::move(data);
        f->hasData = true;
    }
    if (!f->hasData && drag->send && !drag->sending) {
        drag->sending = true;
        const OSErr err = drag->send(type, drag->sendRefCon, item, drag);
        drag->sending = false;
        if (err != noErr) return err;
        f = FindDragFlavor(drag, item, type);  // the sender may have added flavours
        if (!f) return cantGetFlavorErr;
    }
    if (!f->hasData) return cantGetFlavorErr;
    *bytes = &f->data;
    return noErr;
}

namespace {

void Track(DragRef drag, DragTrackingMessage message, WindowRef window) {
    auto& table = DragHandlerTable();
    const auto found = table.find(window);
    if (found == table.end() || !found->second.tracking) return;
    (void)found->second.tracking(message, window, found->second.trackingRefCon, drag);
}

}  // namespace

void MoveDragTo(DragRef drag, Point global, EventModifiers modifiers) {
    drag->mouse = global;
    drag->modifiers = modifiers;
    WindowRef under = nullptr;
    const WindowPartCode part = HitTest(global, &under);
    if (drag->sourceWindow && under != drag->sourceWindow) drag->leftSender = true;
    auto& table = DragHandlerTable();
    WindowRef target = (part != inDesk && table.count(under)) ? under : nullptr;
    if (target != drag->over) {
        if (WindowRef old = drag->over) {
            Track(drag, kDragTrackingLeaveWindow, old);
            Track(drag, kDragTrackingLeaveHandler, old);
        }
        drag->over = target;
        if (target) {
            Track(drag, kDragTrackingEnterHandler, target);
            Track(drag, kDragTrackingEnterWindow, target);
        }
    }
    if (target) Track(drag, kDragTrackingInWindow, target);
}

OSErr DropDragHere(DragRef drag, EventModifiers modifiers) {
    drag->upModifiers = modifiers;
    OSErr result = dragNotAcceptedErr;
    if (WindowRef target = drag->over) {
        auto& table = DragHandlerTable();
        const auto found = table.find(target);
        if (found != table.end() && found->second.receive)
            result = found->second.receive(target, found->second.receiveRefCon, drag) == noErr
                         ? OSErr(noErr)
                         : OSErr(dragNotAcceptedErr);
    }
    LeaveDragWindows(drag);
    return result;
}

void LeaveDragWindows(DragRef drag) {
    if (WindowRef old = drag->over) {
        Track(drag, kDragTrackingLeaveWindow, old);
        Track(drag, kDragTrackingLeaveHandler, old);
        drag->over = nullptr;
    }
    (void)HideDragHilite(drag);
}

}  // namespace ui_internal

using namespace ui_internal;

OSErr NewDrag(DragRef* drag) {
    if (!drag) return paramErr;
    *drag = new OpaqueDragRef;  // handed back by DisposeDrag
    (*drag)->fromThisProgram = true;
    return noErr;
}

OSErr DisposeDrag(DragRef drag) {
    if (!drag) return badDragRefErr;
    (void)HideDragHilite(drag);
    delete drag;
    return noErr;
}

OSErr AddDragItemFlavor(DragRef drag, DragItemRef item, FlavorType type, const void* data, Size size,
                        FlavorFlags flags) {
    if (!drag) return badDragRefErr;
    if (size < 0 || size > kMaxDragFlavorSize || (size > 0 && !data)) return paramErr;
    OpaqueDragRef::Item* it = FindDragItem(drag, item);
    if (!it) {
        drag->items.push_back(OpaqueDragRef::Item{item, {}});
        it = &drag->items.back();
    }
    for (const OpaqueDragRef::Flavor& f : it->flavors)
        if (f.type == type) return duplicateFlavorErr;
    OpaqueDragRef::Flavor f;
    f.type = type;
    f.flags = flags;
    if (data) {
        const auto* bytes = static_cast<const UInt8*>(data);
        f.data.assign(bytes, bytes + size);
        f.hasData = true;
    }
    it->flavors.push_back(std::move(f));
    return noErr;
}

OSErr SetDragItemFlavorData(DragRef drag, DragItemRef item, FlavorType type, const void* data, Size size,
                            UInt32 offset) {
    if (!drag) return badDragRefErr;
    if (!FindDragItem(drag, item)) return badDragItemErr;
    OpaqueDragRef::Flavor* f = FindDragFlavor(drag, item, type);
    if (!f) return cantGetFlavorErr;
    if (size < 0 || (size > 0 && !data) || Size(offset) > kMaxDragFlavorSize - size) return paramErr;
    if (f->data.size() < size_t(offset) + size_t(size)) f->data.resize(size_t(offset) + size_t(size));
    if (size > 0) std::memcpy(f->data.data() + offset, data, size_t(size));
    f->hasData = true;
    return noErr;
}

OSErr SetDragSendProc(DragRef drag, DragSendDataProcPtr proc, void* refCon) {
    if (!drag) return badDragRefErr;
    drag->send = proc;
    drag->sendRefCon = refCon;
    return noErr;
}

OSErr CountDragItems(DragRef drag, UInt16* numItems) {
    if (!drag) return badDragRefErr;
    if (!numItems) return paramErr;
    *numItems = UInt16(std::min<size_t>(drag->items.size(), 0xFFFF));
    return noErr;
}

OSErr GetDragItemReferenceNumber(DragRef drag, UInt16 index, DragItemRef* item) {
    if (!drag) return badDragRefErr;
    if (!item) return paramErr;
    if (index < 1 || index > drag->items.size()) return badDragItemErr;
    *item = drag->items[index - 1].ref;
    return noErr;
}

OSErr CountDragItemFlavors(DragRef drag, DragItemRef item, UInt16* numFlavors) {
    if (!drag) return badDragRefErr;
    const OpaqueDragRef::Item* it = FindDragItem(drag, item);
    if (!it) return badDragItemErr;
    if (!numFlavors) return paramErr;
    *numFlavors = UInt16(it->flavors.size());
    return noErr;
}

OSErr GetFlavorType(DragRef drag, DragItemRef item, UInt16 index, FlavorType* type) {
    if (!drag) return badDragRefErr;
    const OpaqueDragRef::Item* it = FindDragItem(drag, item);
    if (!it) return badDragItemErr;
    if (!type) return paramErr;
    if (index < 1 || index > it->flavors.size()) return badDragFlavorErr;
    *type = it->flavors[index - 1].type;
    return noErr;
}

OSErr GetFlavorFlags(DragRef drag, DragItemRef item, FlavorType type, FlavorFlags* flags) {
    if (!drag) return badDragRefErr;
    if (!FindDragItem(drag, item)) return badDragItemErr;
    const OpaqueDragRef::Flavor* f = FindDragFlavor(drag, item, type);
    if (!f) return cantGetFlavorErr;
    if (flags) *flags = f->flags;
    return noErr;
}

OSErr GetFlavorDataSize(DragRef drag, DragItemRef item, FlavorType type, Size* size) {
    if (!size) return paramErr;
    *size = 0;
    const std::vector<UInt8>* bytes = nullptr;
    if (const OSErr err = DragFlavorBytes(drag, item, type, &bytes); err != noErr) return err;
    *size = Size(bytes->size());
    return noErr;
}

OSErr GetFlavorData(DragRef drag, DragItemRef item, FlavorType type, void* buffer, Size* size, UInt32 offset) {
    if (!size || *size < 0 || (*size > 0 && !buffer)) return paramErr;
    const std::vector<UInt8>* bytes = nullptr;
    if (const OSErr err = DragFlavorBytes(drag, item, type, &bytes); err != noErr) {
        *size = 0;
        return err;
    }
    const size_t start = std::min<size_t>(offset, bytes->size());
    const size_t count = std::min<size_t>(size_t(*size), bytes->size() - start);
    if (count > 0) std::memcpy(buffer, bytes->data() + start, count);
    *size = Size(count);
    return noErr;
}

OSErr GetDragAttributes(DragRef drag, DragAttributes* attributes) {
    if (!drag) return badDragRefErr;
    if (!attributes) return paramErr;
    DragAttributes a = 0;
    if (drag->leftSender) a |= kDragHasLeftSenderWindow;
    if (drag->fromThisProgram) a |= kDragInsideSenderApplication;
    if (drag->sourceWindow && drag->over == drag->sourceWindow) a |= kDragInsideSenderWindow;
    *attributes = a;
    return noErr;
}

OSErr GetDragMouse(DragRef drag, Point* mouse, Point* globalPinnedMouse) {
    if (!drag) return badDragRefErr;
    if (mouse) *mouse = drag->mouse;
    if (globalPinnedMouse) *globalPinnedMouse = drag->mouse;
    return noErr;
}

OSErr GetDragModifiers(DragRef drag, SInt16* modifiers, SInt16* mouseDownModifiers, SInt16* mouseUpModifiers) {
    if (!drag) return badDragRefErr;
    if (modifiers) *modifiers = SInt16(drag->modifiers);
    if (mouseDownModifiers) *mouseDownModifiers = SInt16(drag->downModifiers);
    if (mouseUpModifiers) *mouseUpModifiers = SInt16(drag->upModifiers);
    return noErr;
}

OSErr GetDropLocation(DragRef drag, FSSpec* folder) {
    if (!drag) return badDragRefErr;
    if (!folder) return paramErr;
    if (drag->dropFolder.empty()) return fnfErr;
    return FSSpecFromPath(drag->dropFolder, folder);
}

OSErr InstallTrackingHandler(DragTrackingHandlerProcPtr handler, WindowRef window, void* refCon) {
    if (!handler || !Record(window)) return paramErr;
    DragHandlers& h = DragHandlerTable()[window];
    if (h.tracking) return duplicateHandlerErr;
    h.tracking = handler;
    h.trackingRefCon = refCon;
    EnsureDropRouter();
    return noErr;
}

OSErr InstallReceiveHandler(DragReceiveHandlerProcPtr handler, WindowRef window, void* refCon) {
    if (!handler || !Record(window)) return paramErr;
    DragHandlers& h = DragHandlerTable()[window];
    if (h.receive) return duplicateHandlerErr;
    h.receive = handler;
    h.receiveRefCon = refCon;
    EnsureDropRouter();
    return noErr;
}

OSErr RemoveTrackingHandler(DragTrackingHandlerProcPtr handler, WindowRef window) {
    auto& table = DragHandlerTable();
    const auto found = table.find(window);
    if (found == table.end() || found->second.tracking != handler) return handlerNotFoundErr;
    found->second.tracking = nullptr;
    if (!found->second.receive) table.erase(found);
    return noErr;
}

OSErr RemoveReceiveHandler(DragReceiveHandlerProcPtr handler, WindowRef window) {
    auto& table = DragHandlerTable();
    const auto found = table.find(window);
    if (found == table.end() || found->second.receive != handler) return handlerNotFoundErr;
    found->second.receive = nullptr;
    if (!found->second.tracking) table.erase(found);
    return noErr;
}

OSErr InstallDragHandlers(DragTrackingHandlerProcPtr tracking, DragReceiveHandlerProcPtr receive, WindowRef window,
                          void* refCon) {
    if (const OSErr err = InstallTrackingHandler(tracking, window, refCon); err != noErr) return err;
    if (const OSErr err = InstallReceiveHandler(receive, window, refCon); err != noErr) {
        (void)RemoveTrackingHandler(tracking, window);
        return err;
    }
    return noErr;
}

void RemoveDragHandlers(DragTrackingHandlerProcPtr tracking, DragReceiveHandlerProcPtr receive, WindowRef window) {
    (void)RemoveTrackingHandler(tracking, window);
    (void)RemoveReceiveHandler(receive, window);
}

namespace {

// Inverts the highlight ring in the window; twice restores what was there.
void InvertHilite(WindowRef window, RgnHandle ring) {
    if (!Record(window)) return;
    SavedGWorld saved;
    SetPortWindowPort(window);
    InvertRgn(ring);
    ShowDrawnPorts();
}

}  // namespace

OSErr ShowDragHilite(DragRef drag, RgnHandle hiliteFrame, Boolean inside) {
    if (!drag) return badDragRefErr;
    if (!hiliteFrame || !drag->over) return paramErr;
    (void)HideDragHilite(drag);
    // A ring two pixels wide along the region's edge, inside or outside it.
    UniqueRgn inner;
    CopyRgn(hiliteFrame, inner);
    UniqueRgn ring;
    if (inside) {
        InsetRgn(inner, 2, 2);
        DiffRgn(hiliteFrame, inner, ring);
    } else {
        InsetRgn(inner, -2, -2);
        DiffRgn(inner, hiliteFrame, ring);
    }
    CopyRgn(ring, drag->hilite);
    drag->hiliteWindow = drag->over;
    InvertHilite(drag->hiliteWindow, drag->hilite);
    return noErr;
}

OSErr HideDragHilite(DragRef drag) {
    if (!drag) return badDragRefErr;
    if (!drag->hiliteWindow) return noErr;
    InvertHilite(drag->hiliteWindow, drag->hilite);
    drag->hiliteWindow = nullptr;
    SetEmptyRgn(drag->hilite);
    return noErr;
}

std::vector<Rect> DragHiliteRects(DragRef drag) {
    if (!drag || !drag->hiliteWindow) return {};
    return RegionRects(drag->hilite);
}
