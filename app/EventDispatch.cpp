// The main loop and the routing of each event by window part and kind.
#include "app/Alerts.h"
#include "app/MenuBar.h"
#include "app/PaletteContent.h"
#include "app/Shell.h"
#include "app/TitlePopup.h"
#include "app/WindowKinds.h"
#include "icons/FamilyCommands.h"
#include "icons/FamilyWindow.h"
#include "icons/IconList.h"
#include "io/Clipboard.h"
#include "io/ExternalEditor.h"
#include "paint/PaintView.h"
#include "paint/PaintWindow.h"
#include "palettes/DotMode.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/Menus.h"
#include "platform/ui/Scripting.h"
#include "app/AppleEvents.h"
#include "paint/Undo.h"
#include "tools/ColorMode.h"
#include "tools/Selection.h"
#include "tools/Tools.h"

#include <cctype>
#include <cstdlib>

namespace {

constexpr UInt32 kSleepTicks = 6;

PaintWinRec* FrontPaintRec() {
    WindowRef front = FrontDocumentWindow();
    return GetExtWindowKind(front) == kPaintWindowKind ? GetPaintWinRec(front) : nullptr;
}

void MyZoomWindow(WindowRef window, WindowPartCode part, Point where) {
    const SInt16 kind = GetExtWindowKind(window);
    if (kind == kFamilyWindowKind) {
        if (isIconServicesAvailable && TrackBox(window, where, part)) ToggleFamilyWindowZoom(window);
        return;
    }
    if (kind != kPaintWindowKind) return;
    if (!TrackBox(window, where, part)) return;
    ResetRuler();
    ZoomPaintWindow(window, part);
}

void HandleGoAway(WindowRef window, Point where) {
    if (!TrackGoAway(window, where)) return;
    SInt16 kind = GetExtWindowKind(window);
    if (IsDocumentWindowKind(kind)) {
        // A close the user cancels, or whose save fails and says why, leaves the window open.
        if (CloseDocumentWindow(window, false) != noErr) return;
    } else {
        if (window == DotModePalette && FrontPaintRec()) EndDotMode(FrontDocumentWindow());
        ShowHidePalette(window, false);
    }
    UpdateMenus();
}

// Within the title text as the frame draws it.
Boolean ClickInTitleText(WindowRef window, Point where) {
    Rect title;
    return GetWindowBounds(window, kWindowTitleTextRgn, &title) == noErr && PtInRect(where, &title);
}

}  // namespace

void MainLoop() {
    quit = false;
    while (!quit) {
        EventRecord event;
        if (WaitNextEvent(everyEvent, &event, kSleepTicks, gCurRgnHand)) {
            DoEvent(&event);
        } else {
            DoIdleEvent(&event);
        }
    }
}

void RunPendingEvents() {
    EventRecord event;
    for (int guard = 0; guard < 10000; ++guard) {
        // A scripted action waiting for its time is slept for, not spun on:
        // spinning could use up the guard before it comes.
        if (!WaitNextEvent(everyEvent, &event, ScriptPending() ? 1 : 0, gCurRgnHand)) {
            if (!ScriptPending()) break;
            continue;
        }
        DoEvent(&event);
    }
}

void DoEvent(EventRecord* event) {
    switch (event->what) {
    case mouseDown:
        HandleMouseDown(event);
        break;
    case keyDown:
    case autoKey: {
        if (IsKeyDown(kVK_Option)) event->modifiers |= optionKey;
        SInt32 choice = SInt32(MenuEvent(event));
        if (choice != 0) {
            SInt16 saved = CurResFile();
            if (gApplRefNum != -1) UseResFile(gApplRefNum);
            HandleMenuChoice(choice);
            UseResFile(saved);
        } else {
            HandleKeyDown(event);
        }
        break;
    }
    case updateEvt:
        DoUpdate(event);
        break;
    case activateEvt:
        if (WindowRef window = EventWindow(*event); GetExtWindowKind(window) == kFamilyWindowKind)
            DoActivateFamilyWindow(window, (event->modifiers & activeFlag) != 0);
        break;
    case mouseWheelEvt:
        HandleMouseWheel(event);
        break;
    case osEvt:
        if ((event->message >> 24) == suspendResumeMessage) {
            if (event->message & resumeFlag) {
                UpdatePasteMenu();
                ChangeSysSettings();
                ResetRuler();
            } else {
                ResetSysSettings();
            }
        } else if ((event->message >> 24) == mouseMovedMessage) {
            UpdateMouseCursor(event->where);
        }
        break;
    case kHighLevelEvent:
        DoHighLevelEvent(event);
        break;
    default:
        break;
    }
}

void DoIdleEvent(EventRecord* event) {
    UpdateMouseCursor(event->where);
    WindowRef front = FrontDocumentWindow();
    if (GetExtWindowKind(front) == kFamilyWindowKind) DoFamilyWindowIdle(front);
    if (GetExtWindowKind(front) == kPaintWindowKind) InvertDot(front);
    if (front) UpdateXIconList();
}

void HandleMouseDown(EventRecord* event) {
    WindowRef window = nullptr;
    WindowPartCode part = FindWindow(event->where, &window);
    if (FrontPaintRec()) ResetDot(FrontDocumentWindow());
    switch (part) {
    case inMenuBar: {
        InitCursor();
        SInt32 choice = MenuSelect(event->where);
        HandleMenuChoice(choice);
        break;
    }
    case inContent:
        ContentClick(event);
        break;
    case inDrag: {
        SInt16 kind = GetExtWindowKind(window);
        if ((event->modifiers & cmdKey) && (kind == kPaintWindowKind || kind == kIconListWindowKind) &&
            ClickInTitleText(window, event->where)) {
            TitlePopup(window);
            break;
        }
        if (kind == kPaintWindowKind && (event->modifiers & controlKey)) {
            ChangeRatio(window, event->where);
            break;
        }
        Rect bounds;
        GetRegionBounds(GetGrayRgn(), &bounds);
        DragWindow(window, event->where, &bounds);
        if (!IsFloatingWindow(window) && window != FrontNonFloatingWindow()) SelectWindow(window);
        UpdateMenus();
        break;
    }
    case inGrow:
        if (GetExtWindowKind(window) == kIconListWindowKind) ResizeIconWindow(window, event->where);
        if (GetExtWindowKind(window) == kPaintWindowKind) {
            ResetRuler();
            ResizePaintWindow(window, event->where);
        }
        break;
    case inGoAway:
        HandleGoAway(window, event->where);
        break;
    case inZoomIn:
    case inZoomOut:
        MyZoomWindow(window, part, event->where);
        break;
    default:
        break;
    }
}

void HandleMouseWheel(EventRecord* event) {
    WindowRef window = nullptr;
    if (FindWindow(event->where, &window) != inContent) return;
    if (GetExtWindowKind(window) == kIconListWindowKind && MouseWheelAxis(*event) == kMouseWheelAxisY)
        ScrollIconList(window, SInt16(MouseWheelDelta(*event) > 0 ? -1 : 1));
    if (GetExtWindowKind(window) == kPaintWindowKind)
        DoScrollPaintWindowByWheel(window, MouseWheelAxis(*event), MouseWheelDelta(*event), event->modifiers);
}

void ContentClick(EventRecord* event) {
    WindowRef window = nullptr;
    FindWindow(event->where, &window);
    if (!window) return;
    SetPortWindowPort(window);
    Point local = event->where;
    GlobalToLocal(&local);
    SInt16 kind = GetExtWindowKind(window);
    switch (kind) {
    case kPaintWindowKind:
        ClickPaintWindow(window, local, event);
        break;
    case kFamilyWindowKind:
        ClickFamilyWindow(window, local, event);
        UpdateDocumentCommandMenus();
        break;
    case kIconListWindowKind:
        ClickIconWindow(window, local, event);
        break;
    case kPreviewWindowKind:
        break;
    case kTitleWindowKind:
        if (local.h >= 0 && local.v >= 0) DoAboutBox();
        break;
    case kToolPaletteKind:
        ClickToolPalette(local, event->when);
        break;
    case kInfoWindowKind:
        ClickInfoWindow(local);
        break;
    case kColorPalette1Kind:
    case kColorPalette2Kind:
    case kBlendPaletteKind:
    case kPatternPaletteKind:
    case kDotModePaletteKind:
    case kFavoritePaletteKind:
        ClickPaletteContent(window, kind, local, event);
        break;
    default:
        SysBeep(1);
        break;
    }
    WindowRef front = FrontDocumentWindow();
    if (front) SetPortWindowPort(front);
}

void DoUpdate(EventRecord* event) {
    WindowRef window = EventWindow(*event);
    if (!window) return;
    CGrafPtr savedPort;
    GDHandle savedDevice;
    GetGWorld(&savedPort, &savedDevice);
    BeginUpdate(window);
    SetPortWindowPort(window);
    SInt16 kind = GetExtWindowKind(window);
    if (kind == kPaintWindowKind) {
        Rect port;
        GetWindowPortBounds(window, &port);
        UniqueRgn area;
        GetPortVisibleRegion(GetWindowPort(window), area.get());
        UniqueRgn image;
        Rect imageRect{port.top, port.left, SInt16(port.bottom - 15), SInt16(port.right - 15)};
        RectRgn(image.get(), &imageRect);
        SectRgn(area.get(), image.get(), area.get());
        RedrawPaintWindow(window, area.get());
        DrawGrowIcon(window);
        DrawControls(window);
        DrawRatio(window);
        DrawBackInfo(window);
    } else if (kind == kIconListWindowKind) {
        UpdateIconWindow(window);
    } else if (kind == kFamilyWindowKind) {
        UpdateFamilyWindow(window);
    } else if (kind == kPreviewWindowKind) {
        WindowRef front = FrontDocumentWindow();
        if (FrontPaintRec()) RedrawPreviewWindow(window);
        else if (GetExtWindowKind(front) == kFamilyWindowKind || GetExtWindowKind(front) == kIconListWindowKind)
            UpdateIconPreview(front);
        else DrawPaletteContent(window, kind);
    } else if (kind == kInfoWindowKind) {
        RedrawInfo(window);
    } else {
        DrawPaletteContent(window, kind);
    }
    EndUpdate(window);
    SetGWorld(savedPort, savedDevice);
}

void HandleKeyDown(EventRecord* event) {
    UInt8 ch = UInt8(event->message & charCodeMask);
    UInt8 keyCode = UInt8((event->message & keyCodeMask) >> 8);
    Boolean shift = (event->modifiers & shiftKey) != 0;
    Boolean option = (event->modifiers & optionKey) != 0;
    WindowRef front = FrontDocumentWindow();
    SInt16 kind = GetExtWindowKind(front);

    if (kind == kIconListWindowKind && DoIconListKey(front, event)) {
        UpdateDocumentCommandMenus();
        return;
    }
    if (kind == kFamilyWindowKind && DoFamilyWindowKey(front, event)) {
        UpdateDocumentCommandMenus();
        return;
    }
    if (kind == kPaintWindowKind) {
        PaintWinRec* rec = GetPaintWinRec(front);
        if (rec && rec->dotMode && HandleDotKey(event->what, ch, front)) return;
        if (option && (keyCode == kVK_ANSI_O || ch == 'o')) {
            DispPaintMask(front);
            return;
        }
        Boolean isArrow = ch >= kLeftArrowCharCode && ch <= kDownArrowCharCode;
        if (rec && rec->isFloating) {
            switch (std::toupper(ch)) {
            case 'B': HandleMenuChoice(MenuChoice(kEffectMenuID, 18)); return;
            case 'O': HandleMenuChoice(MenuChoice(kEffectMenuID, 16)); return;
            case 'T': HandleMenuChoice(MenuChoice(kEffectMenuID, 17)); return;
            case kEnterCharCode: FixSelection(front); return;
            case kBackspaceCharCode:
            case kDeleteCharCode:  // the Delete key of PC keyboards
                DoDelete(option);
                return;
            default: break;
            }
            if (isArrow) {
                MoveSelectionByKey(front, ch, event->modifiers);
                return;
            }
        }
        if (isArrow || ch == kHomeCharCode || ch == kEndCharCode || ch == kPageUpCharCode ||
            ch == kPageDownCharCode) {
            DoScrollPaintWindowByKeys(front, ch, event->modifiers);
            return;
        }
        switch (std::toupper(ch)) {
        case 'A': HandleMenuChoice(MenuChoice(kEffectMenuID, 6)); return;
        case 'F': HandleMenuChoice(MenuChoice(kEffectMenuID, 3)); return;
        case 'H': HandleMenuChoice(MenuChoice(kEffectMenuID, 13)); return;
        case 'V': HandleMenuChoice(MenuChoice(kEffectMenuID, 14)); return;
        case 'D':
            HandlePenColorChoice(2);
            return;
        case 'L':
            HandlePenColorChoice(1);
            return;
        case 'S':
            DoAutoSelect(front);
            return;
        case 'Z':
            DoUndo();
            return;
        default:
            break;
        }
        if (const SInt16 choice = ColorModeChoiceForKey(keyCode, ch, shift, option)) {
            HandleColorModeChoice(choice);
            return;
        }
    }
    // Keys for any window.
    switch (ch) {
    case kTabCharCode:
        HandlePenColorChoice(option ? 5 : 4);
        return;
    case kUpArrowCharCode:
        if (kind != kPaintWindowKind) HandlePenColorChoice(1);
        return;
    case kDownArrowCharCode:
        if (kind != kPaintWindowKind) HandlePenColorChoice(2);
        return;
    default:
        break;
    }
    (void)shift;
    switch (std::toupper(ch)) {
    case 'E': ToolSelect(gSelectedTool == kEraserTool ? kPencilTool : kEraserTool); break;
    case 'P': ToolSelect(gSelectedTool == kPencilTool ? kEraserTool : kPencilTool); break;
    case 'I': ToolSelect(kEyedropperTool); break;
    case 'K': ToolSelect(kBucketTool); break;
    case 'M': ToolSelect(kSelectionTool); break;
    default: break;
    }
}

Boolean WaitForSecondClick(WindowRef window, Point where, UInt32 when, SInt16 slop) {
    auto near = [&](Point pt) { return std::abs(pt.h - where.h) <= slop && std::abs(pt.v - where.v) <= slop; };
    const UInt32 until = when + GetDblTime();
    for (;;) {
        EventRecord next;
        if (EventAvail(mDownMask, &next)) {
            WindowRef hit = nullptr;
            if (FindWindow(next.where, &hit) != inContent || hit != window || !near(next.where)) return false;
            // The mouse-down just seen is the first in the queue, so it is the one taken.
            return GetNextEvent(mDownMask, &next);
        }
        Point mouse;
        GetGlobalMouse(&mouse);
        if (TickCount() >= until || !near(mouse)) return false;
        Delay(1, nullptr);
    }
}

Press TrackPress(WindowRef window, Point localPt, UInt32 when, SInt16 slop) {
    const Rect square{SInt16(localPt.v - slop), SInt16(localPt.h - slop), SInt16(localPt.v + slop + 1),
                      SInt16(localPt.h + slop + 1)};
    Press press = Press::Clicked;
    SavedGWorld saved;
    SetPortWindowPort(window);
    while (StillDown()) {
        Point mouse;
        GetMouse(&mouse);
        if (!PtInRect(mouse, &square)) {
            if (isDragMgrPresent) return Press::Moved;
            press = Press::Moved;
        }
        if (press == Press::Clicked && TickCount() - when > GetDblTime()) return Press::Held;
    }
    return press;
}

OSErr CloseDocumentWindow(WindowRef window, Boolean quitting) {
    if (GetExtWindowKind(window) == kFamilyWindowKind) {
        const OSErr err = CloseFamilyWindow(window, true, false);
        if (err == noErr) ForgetFamilyWindowActivation(window);
        UpdateMenus();
        return err;
    }
    if (GetExtWindowKind(window) == kIconListWindowKind) {
        const OSErr err = CloseIconFile(window, quitting);
        UpdateMenus();
        return err;
    }
    return ClosePaintWindow(window, quitting);
}

void Quit() {
    for (;;) {
        WindowRef front = FrontDocumentWindow();
        if (!front) break;
        OSErr err = CloseDocumentWindow(front, true);
        if (err != noErr) {
            UpdateMenus();
            return;
        }
        if (front == FrontDocumentWindow()) break;  // a kind nobody closes: stop rather than spin
    }
    quit = true;
}
