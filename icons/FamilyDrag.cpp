// Drag and drop on the icon-family window: the selected member dragged out
// as a picture; a picture dropped onto a member replaces it.
#include "icons/FamilyWindow.h"

#include "app/MenuBar.h"
#include "app/Shell.h"
#include "icons/FamilyWindowInternal.h"
#include "icons/IconConvert.h"
#include "palettes/Prefs.h"
#include "platform/core/Memory.h"
#include "platform/raster/GWorld.h"
#include "platform/ui/Drag.h"

namespace {

constexpr FlavorType kPictFlavor = FourCC("PICT");
enum { kAcceptableFlag = 0, kShownFlag = 1 };
// The member highlighted while kShownFlag is set (one drag runs at a time).
SInt16 gHilitedKind = -1;

// The member under a point of the window (first shown kind), or -1.
SInt16 MemberAt(const FamilyWinRec& family, WindowRef window, Point local) {
    const SInt16 last = LastShownKind(family, window);
    for (SInt16 kind = 0; kind <= last; ++kind)
        if (PtInRect(local, &familyIconRect[size_t(kind)])) return kind;
    return -1;
}

Point DragLocal(WindowRef window, DragRef drag) {
    Point mouse{0, 0};
    (void)GetDragMouse(drag, &mouse, nullptr);
    SavedGWorld saved;
    SetPortWindowPort(window);
    GlobalToLocal(&mouse);
    return mouse;
}

WindowRef FrontPaintWindow() {
    for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w))
        if (IsWindowVisible(w) && GetExtWindowKind(w) == kPaintWindowKind) return w;
    return nullptr;
}

// Exactly one item, with a picture.
Boolean IsMyIconFamilyTypeAvailable(DragRef drag) {
    UInt16 count = 0;
    DragItemRef item = 0;
    FlavorFlags flags = 0;
    return CountDragItems(drag, &count) == noErr && count == 1 &&
           GetDragItemReferenceNumber(drag, 1, &item) == noErr &&
           GetFlavorFlags(drag, item, kPictFlavor, &flags) == noErr;
}

OSErr MySendIconFamilyDataProc(FlavorType type, void* refCon, DragItemRef item, DragRef drag) {
    if (type != kPictFlavor) return badDragFlavorErr;
    FamilyWinRec* family = GetFamilyWinRec(static_cast<WindowRef>(refCon));
    if (!family || family->selectedKind < 0) return cantGetFlavorErr;
    UniqueHandle picture(KorvelIconToPicture(family->icon, family->selectedKind));
    if (!picture) return cantGetFlavorErr;
    const std::span<UInt8> bytes = HandleBytes(picture.get());
    return SetDragItemFlavorData(drag, item, type, bytes.data(), Size(bytes.size()), 0);
}

OSErr MyIconFamilyTrackingHandler(DragTrackingMessage message, WindowRef window, void* state, DragRef drag) {
    auto* flags = static_cast<Boolean*>(state);
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family) return noErr;
    switch (message) {
    case kDragTrackingEnterWindow:
        flags[kAcceptableFlag] = IsMyIconFamilyTypeAvailable(drag);
        flags[kShownFlag] = false;
        return noErr;
    case kDragTrackingInWindow: {
        if (!flags[kAcceptableFlag]) return noErr;
        const SInt16 kind = MemberAt(*family, window, DragLocal(window, drag));
        if (kind < 0) {
            if (flags[kShownFlag]) (void)HideDragHilite(drag);
            flags[kShownFlag] = false;
            return noErr;
        }
        if (flags[kShownFlag] && gHilitedKind == kind) return noErr;
        Rect around = familyIconRect[size_t(kind)];
        InsetRect(&around, -2, -2);
        UniqueRgn area;
        RectRgn(area, &around);
        gHilitedKind = kind;
        flags[kShownFlag] = ShowDragHilite(drag, area, true) == noErr;
        return noErr;
    }
    case kDragTrackingLeaveWindow:
        if (flags[kShownFlag]) (void)HideDragHilite(drag);
        flags[kAcceptableFlag] = flags[kShownFlag] = false;
        return noErr;
    default: return noErr;
    }
}

OSErr MyIconFamilyReceiveHandler(WindowRef window, void* state, DragRef drag) {
    auto* flags = static_cast<Boolean*>(state);
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family || !flags[kAcceptableFlag]) return dragNotAcceptedErr;
    (void)HideDragHilite(drag);
    flags[kAcceptableFlag] = flags[kShownFlag] = false;
    UInt16 count = 0;
    if (const OSErr err = CountDragItems(drag, &count); err != noErr) return err;
    const Point local = DragLocal(window, drag);
    for (UInt16 index = 1; index <= count; ++index) {
        DragItemRef item = 0;
        FlavorFlags flavorFlags = 0;
        if (GetDragItemReferenceNumber(drag, index, &item) != noErr ||
            GetFlavorFlags(drag, item, kPictFlavor, &flavorFlags) != noErr)
            continue;
        const SInt16 kind = MemberAt(*family, window, local);
        if (kind < 0) continue;
        if (family->selectedKind >= 0) InvalWindowRect(window, &familyIconRect[size_t(family->selectedKind)]);
        WindowRef member = FindMemberPaintWindow(window, kind);
        if (member && member == FrontPaintWindow()) {
            SysBeep(1);
            return noErr;
        }
        Size size = 0;
        OSErr err = GetFlavorDataSize(drag, item, kPictFlavor, &size);
        UniqueHandle picture;
        if (err == noErr) {
            picture.reset(NewHandle(size));
            if (!picture) err = memFullErr;
        }
        if (err == noErr) err = GetFlavorData(drag, item, kPictFlavor, HandleBytes(picture.get()).data(), &size, 0);
        if (err == memFullErr) return memFullErr;
        if (err != noErr) continue;
        family->selectedKind = kind;
        InvalWindowRect(window, &familyIconRect[size_t(kind)]);
        (void)SavePictureToIconData(picture.get(), window, true);  // a refused picture was named in an alert
    }
    if (gOtherPrefs[kOtherFrontOnDrop]) {
        SelectWindow(window);
        UpdateMenus();
    }
    if (window == FrontNonFloatingWindow()) RedrawIconPreview();
    return noErr;
}

}  // namespace

OSErr InstallFamilyDragHandlers(WindowRef window) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family) return paramErr;
    if (!isDragMgrPresent) return noErr;
    family->dragHilite[kAcceptableFlag] = family->dragHilite[kShownFlag] = false;
    return InstallDragHandlers(MyIconFamilyTrackingHandler, MyIconFamilyReceiveHandler, window, family->dragHilite);
}

void RemoveFamilyDragHandlers(WindowRef window) {
    RemoveDragHandlers(MyIconFamilyTrackingHandler, MyIconFamilyReceiveHandler, window);
}

OSErr MyDoStartDragIconFamily(WindowRef window, const EventRecord* event) {
    FamilyWinRec* family = GetFamilyWinRec(window);
    if (!family || !event || family->selectedKind < 0) return paramErr;
    DragRef drag = nullptr;
    if (const OSErr err = NewDrag(&drag); err != noErr) return err;
    // The outline: the member's rectangle less its inside, global coordinates.
    UniqueRgn outline, inside;
    Rect r = familyIconRect[size_t(family->selectedKind)];
    {
        SavedGWorld saved;
        SetPortWindowPort(window);
        Point topLeft{r.top, r.left}, bottomRight{r.bottom, r.right};
        LocalToGlobal(&topLeft);
        LocalToGlobal(&bottomRight);
        r = Rect{topLeft.v, topLeft.h, bottomRight.v, bottomRight.h};
    }
    RectRgn(outline, &r);
    InsetRect(&r, 1, 1);
    RectRgn(inside, &r);
    DiffRgn(outline, inside, outline);
    OSErr err = AddDragItemFlavor(drag, 1, kPictFlavor, nullptr, 0, 0);
    if (err == noErr) err = SetDragSendProc(drag, MySendIconFamilyDataProc, window);
    if (err == noErr) err = TrackDrag(drag, event, outline);
    (void)DisposeDrag(drag);
    return err == userCanceledErr ? OSErr(noErr) : err;
}
