#include "platform/ui/Events.h"

#include "platform/core/Memory.h"
#include "platform/raster/Regions.h"
#include "platform/resources/Resources.h"
#include "platform/ui/Cursors.h"
#include "platform/ui/KeyMap.h"
#include "platform/ui/Menus.h"
#include "platform/ui/WindowInternal.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QImage>

#include <cstring>
#include <QMouseEvent>
#include <QWidget>

using namespace uitest;

namespace {

using EventsTest = UiTest;

struct MouseCase {
    const char* name;
    EventModifiers scripted;
    EventModifiers down;  // the mouse-down's modifiers; the mouse-up adds btnState
};

TEST_F(EventsTest, ScriptedClicksBecomeMouseRecordsThroughQt) {
    WindowRef w = MakeWindow(R(100, 100, 300, 400));
    const MouseCase cases[] = {
        {"plain", 0, 0},
        {"Ctrl is Command", cmdKey, cmdKey},
        {"Shift and Alt", shiftKey | optionKey, shiftKey | optionKey},
        {"right click", controlKey, controlKey},
        {"right click with Command", controlKey | cmdKey, controlKey | cmdKey},
    };
    // Content, title bar, desktop, and a floating window's frame all report.
    WindowRef fl = MakeWindow(R(500, 500, 540, 560), floatProc);
    const Point where[] = {P(150, 210), P(90, 250), P(700, 20), P(495, 530)};
    for (const MouseCase& c : cases) {
        for (Point at : where) {
            ScriptClick(at, c.scripted);
            const auto events = PlayScript(mDownMask | mUpMask);
            ASSERT_EQ(events.size(), 2u) << c.name;
            EXPECT_EQ(events[0].what, mouseDown);
            EXPECT_EQ(events[0].where, at) << c.name << " " << at.v << "," << at.h;
            EXPECT_EQ(events[0].modifiers, c.down) << c.name;
            EXPECT_EQ(events[1].what, mouseUp);
            EXPECT_EQ(events[1].where, at);
            EXPECT_EQ(events[1].modifiers, c.down | btnState) << c.name;
            EXPECT_LE(events[0].when, events[1].when);
        }
    }
    EXPECT_EQ(EventWindow(EventRecord{mouseDown, 0, 0, P(150, 210), 0}), w);
    EXPECT_EQ(EventWindow(EventRecord{mouseDown, 0, 0, P(520, 520), 0}), fl);
}

TEST_F(EventsTest, StillDownFollowsTheButtonUntilTheMouseUpIsQueued) {
    MakeWindow(R(100, 100, 300, 400));
    ScriptMouseDown(P(150, 150));
    ScriptMouseMove(P(160, 170));
    ScriptMouseUp(P(170, 190));
    EventRecord ev = NextEvent(mDownMask);
    ASSERT_EQ(ev.what, mouseDown);
    // Each pump plays one action: the move, then the release.
    EXPECT_TRUE(StillDown());
    EXPECT_FALSE(StillDown());
    EXPECT_FALSE(Button());
    Point p;
    GetGlobalMouse(&p);
    EXPECT_EQ(p, P(170, 190));
    EXPECT_FALSE(WaitMouseUp());  // removes the queued mouse-up
    EXPECT_FALSE(EventAvail(mUpMask, &ev));
}

struct KeyCase {
    const char* name;
    UInt8 keyCode, charCode;
    EventModifiers modifiers;
};

TEST_F(EventsTest, ScriptedKeysKeepTheirKeyAndCharacterCodes) {
    MakeWindow(R(100, 100, 300, 400));
    const KeyCase cases[] = {
        {"left", kVK_LeftArrow, kLeftArrowCharCode, 0},
        {"right", kVK_RightArrow, kRightArrowCharCode, 0},
        {"up", kVK_UpArrow, kUpArrowCharCode, 0},
        {"down", kVK_DownArrow, kDownArrowCharCode, shiftKey | optionKey},
        {"home", kVK_Home, kHomeCharCode, 0},
        {"end", kVK_End, kEndCharCode, 0},
        {"page up", kVK_PageUp, kPageUpCharCode, 0},
        {"page down", kVK_PageDown, kPageDownCharCode, 0},
        {"backspace", kVK_Delete, kBackspaceCharCode, 0},
        {"forward delete", kVK_ForwardDelete, kDeleteCharCode, 0},
        {"return", kVK_Return, kReturnCharCode, 0},
        {"keypad enter", kVK_ANSI_KeypadEnter, kEnterCharCode, 0},
        {"tab", kVK_Tab, kTabCharCode, 0},
        {"escape", kVK_Escape, kEscapeCharCode, 0},
        {"o", kVK_ANSI_O, 'o', 0},
        {"Command-o keeps the letter", kVK_ANSI_O, 'o', cmdKey},
        {"Command-Shift-Z", kVK_ANSI_Z, 'Z', cmdKey | shiftKey},
        {"Option-o", kVK_ANSI_O, 'o', optionKey},
        {"Control-m", kVK_ANSI_M, 'm', controlKey},
        {"E", kVK_ANSI_E, 'E', shiftKey},
        {"digit 6", kVK_ANSI_6, '6', 0},
        {"shifted 1", kVK_ANSI_1, '!', shiftKey},
        {"Command-period", 0x2F, '.', cmdKey},
        {"keypad 7", 0x59, '7', 0},
        {"space", kVK_Space, ' ', 0},
    };
    for (const KeyCase& c : cases) {
        ScriptKey(c.keyCode, c.charCode, c.modifiers);
        const auto events = PlayScript(keyDownMask | keyUpMask);
        ASSERT_EQ(events.size(), 2u) << c.name;
        const UInt32 message = c.charCode | (UInt32(c.keyCode) << 8);
        EXPECT_EQ(events[0].what, keyDown) << c.name;
        EXPECT_EQ(events[0].message, message) << c.name;
        EXPECT_EQ(events[0].modifiers, c.modifiers | btnState) << c.name;
        EXPECT_EQ(events[1].what, keyUp) << c.name;
        EXPECT_EQ(events[1].message, message) << c.name;
    }
}

struct QtKeyCase {
    const char* name;
    int key;
    Qt::KeyboardModifiers modifiers;
    const char* text;
    UInt8 keyCode, charCode;
};

// What a real keyboard's Qt events become (the scripted road builds them the same way).
TEST(KeyMap, QtKeysMapToClassicCodes) {
    const QtKeyCase cases[] = {
        {"Ctrl+O gives a control character", Qt::Key_O, Qt::ControlModifier, "\x0f", kVK_ANSI_O, 'o'},
        {"Ctrl+Shift+O", Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier, "\x0f", kVK_ANSI_O, 'O'},
        {"o", Qt::Key_O, Qt::NoModifier, "o", kVK_ANSI_O, 'o'},
        {"Alt+o typed as a symbol", Qt::Key_O, Qt::AltModifier, "\xc3\xb8", kVK_ANSI_O, 'o'},
        {"Return", Qt::Key_Return, Qt::NoModifier, "\r", kVK_Return, kReturnCharCode},
        {"keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", kVK_ANSI_KeypadEnter, kEnterCharCode},
        {"Backspace", Qt::Key_Backspace, Qt::NoModifier, "\b", kVK_Delete, kBackspaceCharCode},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, "\x7f", kVK_ForwardDelete, kDeleteCharCode},
        {"Shift+Tab", Qt::Key_Backtab, Qt::ShiftModifier, "", kVK_Tab, kTabCharCode},
        {"keypad 5", Qt::Key_5, Qt::KeypadModifier, "5", 0x57, '5'},
        {"digit 5", Qt::Key_5, Qt::NoModifier, "5", kVK_ANSI_5, '5'},
        {"keypad minus", Qt::Key_Minus, Qt::KeypadModifier, "-", 0x4E, '-'},
        {"question mark", Qt::Key_Question, Qt::ShiftModifier, "?", 0x2C, '?'},
        {"at sign is shift-2", Qt::Key_At, Qt::ShiftModifier, "@", kVK_ANSI_2, '@'},
        {"F5", Qt::Key_F5, Qt::NoModifier, "", 0x60, 16},
    };
    for (const QtKeyCase& c : cases) {
        ui_internal::KeyCodes k;
        ASSERT_TRUE(ui_internal::MapQtKey(c.key, c.modifiers, QString::fromUtf8(c.text), &k)) << c.name;
        EXPECT_EQ(k.keyCode, c.keyCode) << c.name;
        EXPECT_EQ(k.charCode, c.charCode) << c.name;
        EXPECT_EQ(k.modifierBit, 0) << c.name;
    }
    ui_internal::KeyCodes k;
    ASSERT_TRUE(ui_internal::MapQtKey(Qt::Key_Control, Qt::ControlModifier, "", &k));
    EXPECT_EQ(k.modifierBit, cmdKey);
    EXPECT_EQ(k.keyCode, kVK_Command);
    EXPECT_FALSE(ui_internal::MapQtKey(Qt::Key_unknown, Qt::NoModifier, "", &k));
}

TEST_F(EventsTest, ModifierKeysChangeStateWithoutEvents) {
    MakeWindow(R(100, 100, 300, 400));
    ScriptKeyDown(kVK_Option, 0, optionKey);
    ScriptKeyDown(kVK_ANSI_O, 'o', optionKey);
    const EventMask keys = keyDownMask | keyUpMask | mDownMask;
    const auto downs = PlayScript(keys);
    ASSERT_EQ(downs.size(), 1u);
    EXPECT_EQ(downs[0].message, UInt32('o' | (kVK_ANSI_O << 8)));
    EXPECT_TRUE(IsKeyDown(kVK_ANSI_O));
    EXPECT_TRUE(IsKeyDown(kVK_Option));
    EXPECT_EQ(GetCurrentKeyModifiers(), UInt32(optionKey));
    ScriptKeyUp(kVK_ANSI_O, 'o', optionKey);
    ScriptKeyUp(kVK_Option, 0, 0);
    const auto ups = PlayScript(keys);
    ASSERT_EQ(ups.size(), 1u);
    EXPECT_EQ(ups[0].what, keyUp);
    EXPECT_FALSE(IsKeyDown(kVK_ANSI_O));
    EXPECT_FALSE(IsKeyDown(kVK_Option));
    EXPECT_EQ(GetCurrentKeyModifiers(), 0u);
}

TEST_F(EventsTest, HeldKeysRepeatWithTheLayersThresholds) {
    MakeWindow(R(100, 100, 300, 400));
    const SInt16 thresh = LMGetKeyThresh(), rep = LMGetKeyRepThresh();
    EXPECT_EQ(thresh, 24);
    EXPECT_EQ(rep, 4);
    struct Case {
        SInt16 delay, interval;
        UInt32 held;
        size_t atLeast, atMost;
    } cases[] = {
        {6, 3, 36, 4, 12},     // about (36 - 6) / 3 + 1 = 11
        {120, 4, 20, 0, 0},    // released before the delay
    };
    for (const Case& c : cases) {
        LMSetKeyThresh(c.delay);
        LMSetKeyRepThresh(c.interval);
        ScriptKeyDown(kVK_ANSI_A, 'a');
        ScriptWait(c.held);
        ScriptKeyUp(kVK_ANSI_A, 'a');
        const auto events = PlayScript(keyDownMask | keyUpMask | autoKeyMask);
        ASSERT_GE(events.size(), 2u);
        EXPECT_EQ(events.front().what, keyDown);
        EXPECT_EQ(events.back().what, keyUp);
        const size_t repeats = events.size() - 2;
        EXPECT_GE(repeats, c.atLeast);
        EXPECT_LE(repeats, c.atMost);
        for (size_t i = 1; i + 1 < events.size(); ++i) {
            EXPECT_EQ(events[i].what, autoKey);
            EXPECT_EQ(events[i].message, UInt32('a' | (kVK_ANSI_A << 8)));
            EXPECT_GE(events[i].when, events[i - 1].when + (i == 1 ? c.delay : c.interval) - 1);
        }
        // Nothing repeats after the release.
        EXPECT_EQ(NextEvent(autoKeyMask, 12).what, nullEvent);
    }
    LMSetKeyThresh(thresh);
    LMSetKeyRepThresh(rep);
}

TEST_F(EventsTest, UpdatesComeAfterOtherEventsFrontWindowFirst) {
    WindowRef back = MakeWindow(R(100, 100, 200, 200));
    WindowRef front = MakeWindow(R(120, 120, 220, 220));
    // Showing a window asks for its whole content once.
    EXPECT_TRUE(IsWindowUpdatePending(back));
    EXPECT_TRUE(IsWindowUpdatePending(front));
    const EventMask kNoActivates = everyEvent & ~activMask;
    ASSERT_EQ(PostEvent(keyDown, 0x0161), noErr);
    EventRecord ev;

    ASSERT_TRUE(GetNextEvent(kNoActivates, &ev));
    EXPECT_EQ(ev.what, keyDown);
    EXPECT_EQ(ev.message, 0x0161u);
    ASSERT_TRUE(GetNextEvent(kNoActivates, &ev));
    EXPECT_EQ(ev.what, updateEvt);
    EXPECT_EQ(EventWindow(ev), front);
    // Until BeginUpdate the same update comes again.
    ASSERT_TRUE(GetNextEvent(updateMask, &ev));
    EXPECT_EQ(EventWindow(ev), front);
    BeginUpdate(front);
    EndUpdate(front);
    ASSERT_TRUE(GetNextEvent(kNoActivates, &ev));
    EXPECT_EQ(EventWindow(ev), back);
    BeginUpdate(back);
    EndUpdate(back);
    EXPECT_FALSE(GetNextEvent(kNoActivates, &ev));
    EXPECT_EQ(ev.what, nullEvent);
    // A hidden window gets none until shown.
    HideWindow(front);
    InvalWindowRect(front, &front->portRect);
    EXPECT_FALSE(GetNextEvent(updateMask, &ev));
    ShowWindow(front);
    ASSERT_TRUE(GetNextEvent(updateMask, &ev));
    EXPECT_EQ(EventWindow(ev), front);
}

TEST_F(EventsTest, ActivateEventsFollowTheFrontDocument) {
    WindowRef a = MakeWindow(R(100, 100, 200, 200));
    EventRecord ev;
    ASSERT_TRUE(GetNextEvent(activMask, &ev));
    EXPECT_EQ(EventWindow(ev), a);
    EXPECT_TRUE(ev.modifiers & activeFlag);
    WindowRef b = MakeWindow(R(120, 120, 220, 220));
    WindowRef fl = MakeWindow(R(300, 300, 340, 340), floatProc);  // floating windows take no activation
    struct Expect {
        WindowRef window;
        bool active;
    };
    auto expectActivates = [&](std::vector<Expect> want) {
        for (const Expect& e : want) {
            ASSERT_TRUE(GetNextEvent(activMask, &ev));
            EXPECT_EQ(EventWindow(ev), e.window);
            EXPECT_EQ((ev.modifiers & activeFlag) != 0, e.active);
        }
        EXPECT_FALSE(GetNextEvent(activMask, &ev));
    };
    expectActivates({{a, false}, {b, true}});
    SelectWindow(a);
    expectActivates({{b, false}, {a, true}});
    SelectWindow(a);
    expectActivates({});
    // Activates come before queued input.
    ASSERT_EQ(PostEvent(mouseDown, 0), noErr);
    HideWindow(a);
    ASSERT_TRUE(GetNextEvent(mDownMask | activMask, &ev));
    EXPECT_EQ(ev.what, activateEvt);
    FlushEvents(everyEvent, 0);
    // A disposed window's events are dropped and its id names nothing.
    BeginUpdate(fl);
    EndUpdate(fl);
    ASSERT_TRUE(EventAvail(updateMask, &ev));
    const EventRecord stale = ev;
    ASSERT_EQ(EventWindow(stale), b);
    ShowWindow(a);  // queues b's deactivation
    BeginUpdate(a);
    EndUpdate(a);
    DisposeWindow(b);
    EXPECT_EQ(EventWindow(stale), nullptr);
    ASSERT_TRUE(GetNextEvent(activMask, &ev));
    EXPECT_EQ(EventWindow(ev), a);
    EXPECT_FALSE(GetNextEvent(activMask | updateMask, &ev));
}

TEST_F(EventsTest, MenuChoicesArriveAsMouseDownsInTheMenuBar) {
    ScriptMenuChoice((129 << 16) | 3);
    const auto events = PlayScript(mDownMask);
    ASSERT_EQ(events.size(), 1u);
    WindowRef w = reinterpret_cast<WindowRef>(1);
    EXPECT_EQ(FindWindow(events[0].where, &w), inMenuBar);
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(MenuSelect(events[0].where), (129 << 16) | 3);
}

TEST_F(EventsTest, LeavingTheMouseRegionGivesMouseMoved) {
    ScriptMouseMove(P(50, 60));
    PlayScript(0);
    UniqueRgn rgn;
    SetRectRgn(rgn, 40, 40, 80, 80);  // contains (v 50, h 60)
    EventRecord ev;
    EXPECT_FALSE(WaitNextEvent(everyEvent, &ev, 0, rgn));
    EXPECT_EQ(ev.where, P(50, 60));
    ScriptMouseMove(P(50, 90));
    PlayScript(0);
    ASSERT_TRUE(WaitNextEvent(everyEvent, &ev, 0, rgn));
    EXPECT_EQ(ev.what, osEvt);
    EXPECT_EQ(ev.message >> 24, UInt32(mouseMovedMessage));
    EXPECT_EQ(ev.where, P(50, 90));
}

TEST_F(EventsTest, ApplicationActivationGivesSuspendAndResume) {
    QApplicationStateChangeEvent start(Qt::ApplicationActive);
    QCoreApplication::sendEvent(qApp, &start);
    FlushEvents(osMask, 0);
    const Qt::ApplicationState states[] = {Qt::ApplicationInactive, Qt::ApplicationInactive, Qt::ApplicationActive};
    for (Qt::ApplicationState s : states) {
        QApplicationStateChangeEvent change(s);
        QCoreApplication::sendEvent(qApp, &change);
    }
    // The repeated inactive state is no change.
    const UInt32 expected[] = {UInt32(suspendResumeMessage) << 24, (UInt32(suspendResumeMessage) << 24) | resumeFlag};
    for (UInt32 message : expected) {
        EventRecord ev;
        ASSERT_TRUE(GetNextEvent(osMask, &ev));
        EXPECT_EQ(ev.what, osEvt);
        EXPECT_EQ(ev.message, message);
    }
    EventRecord ev;
    EXPECT_FALSE(GetNextEvent(osMask, &ev));
}

TEST_F(EventsTest, FlushEventsStopsAtTheStopMask) {
    ASSERT_EQ(PostEvent(keyDown, 1), noErr);
    ASSERT_EQ(PostEvent(mouseDown, 2), noErr);
    ASSERT_EQ(PostEvent(keyDown, 3), noErr);
    ASSERT_EQ(PostEvent(mouseUp, 4), noErr);
    ASSERT_EQ(PostEvent(keyDown, 5), noErr);
    FlushEvents(keyDownMask | mDownMask, mUpMask);
    std::vector<UInt32> left;
    EventRecord ev;
    while (GetNextEvent(everyEvent & ~updateMask, &ev)) left.push_back(ev.message);
    EXPECT_EQ(left, (std::vector<UInt32>{4, 5}));
}

TEST_F(EventsTest, WaitNextEventSleepsAndDelayPassesTime) {
    EventRecord ev;
    const UInt32 t0 = TickCount();
    EXPECT_FALSE(WaitNextEvent(everyEvent, &ev, 6, nullptr));
    const UInt32 t1 = TickCount();
    EXPECT_GE(t1 - t0, 5u);
    UInt32 final = 0;
    Delay(3, &final);
    EXPECT_GE(final, t1 + 3);
    // A scripted event ends the wait early.
    ScriptWait(2);
    ScriptKey(kVK_ANSI_K, 'k');
    MakeWindow(R(100, 100, 200, 200));
    FlushEvents(everyEvent, 0);
    while (GetNextEvent(activMask, &ev)) {
    }
    EXPECT_TRUE(WaitNextEvent(keyDownMask, &ev, 600, nullptr));
    EXPECT_LT(TickCount() - t1, 300u);
}

bool Black(const QBitmap& b, int x, int y) { return b.toImage().pixel(x, y) == qRgb(0, 0, 0); }

TEST_F(EventsTest, CursorsKeepTheirBitmapsMasksAndHotSpot) {
    // 'CURS': 16 data rows, 16 mask rows, hot spot (v, h), big-endian.
    std::vector<UInt8> curs(68, 0);
    curs[0] = 0x80, curs[1] = 0x01;   // data row 0: first and last pixel
    curs[32] = 0xC0, curs[33] = 0x01;  // mask row 0: first two and last
    curs[2] = 0x40;                    // data row 1 without mask: left out
    curs[65] = 3, curs[67] = 5;
    const SInt16 saved = CurResFile();
    const SInt16 ref = NewResFileInMemory();
    UseResFile(ref);
    Handle h = NewHandle(68);
    std::memcpy(*h, curs.data(), 68);
    AddResource(h, FourCC("CURS"), 200, nullptr);
    CursHandle c = GetCursor(200);
    CursHandle missing = GetCursor(201);
    CloseResFile(ref);
    UseResFile(saved);
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ((*c)->data[0], 0x8001);
    EXPECT_EQ((*c)->mask[0], 0xC001);
    EXPECT_EQ((*c)->hotSpot, P(3, 5));
    SetCursor(*c);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    const QCursor shown = *QApplication::overrideCursor();
    EXPECT_EQ(shown.hotSpot(), QPoint(5, 3));
    const QBitmap data = shown.bitmap(), mask = shown.mask();
    ASSERT_EQ(data.size(), QSize(16, 16));
    EXPECT_TRUE(Black(data, 0, 0));
    EXPECT_FALSE(Black(data, 1, 0));
    EXPECT_TRUE(Black(data, 15, 0));
    EXPECT_TRUE(Black(mask, 1, 0));
    EXPECT_FALSE(Black(mask, 2, 0));
    EXPECT_FALSE(Black(data, 1, 1));
    // Hidden twice needs two shows.
    HideCursor();
    HideCursor();
    ShowCursor();
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BlankCursor);
    ShowCursor();
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::BitmapCursor);
    // Standard cursors without resources.
    CursHandle cross = GetCursor(crossCursor);
    ASSERT_NE(cross, nullptr);
    EXPECT_EQ((*cross)->hotSpot, P(7, 7));
    EXPECT_EQ((*cross)->data[7], 0xFFFE);
    InitCursor();
    Cursor arrow;
    GetQDGlobalsArrow(&arrow);
    EXPECT_EQ(QApplication::overrideCursor()->hotSpot(), QPoint(arrow.hotSpot.h, arrow.hotSpot.v));
}

TEST_F(EventsTest, SysBeepIsCounted) {
    ResetScriptLog();
    SysBeep(1);
    SysBeep(30);
    EXPECT_EQ(SysBeepCount(), 2u);
    ResetScriptLog();
    EXPECT_EQ(SysBeepCount(), 0u);
}

}  // namespace
