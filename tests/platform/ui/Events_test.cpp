#include "platform/ui/Events.h"

#include "platform/raster/Regions.h"
#include "platform/ui/KeyMap.h"
#include "platform/ui/WindowInternal.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <QDialog>
#include <QTimer>


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
        {"plain", 0, 0}, {"Ctrl is Command", cmdKey, cmdKey},
        {"Shift and Alt", shiftKey | optionKey, shiftKey | optionKey},
        {"right click", controlKey, controlKey}, {"right click with Command", controlKey | cmdKey, controlKey | cmdKey},
    };
    // Content, title bar, desktop, and a floating window's frame all report.
    WindowRef fl = MakeWindow(R(500, 500, 540, 560), floatProc);
    const Point where[] = {P(150, 210), P(90, 250), P(700, 20), P(495, 530)};
    for (const MouseCase& c : cases) {
        for (Point at : where) {
            ScriptClick(at, c.scripted);
            const auto events = PlayScript(mDownMask | mUpMask);
            ASSERT_EQ(events.size(), 2u) << c.name;
            EXPECT_TRUE(events[0].what == mouseDown && events[1].what == mouseUp);
            EXPECT_TRUE(events[0].where == at && events[1].where == at) << c.name << " " << at.v << "," << at.h;
            EXPECT_EQ(events[0].modifiers, c.down) << c.name;
            EXPECT_EQ(events[1].modifiers, c.down | btnState) << c.name;
            EXPECT_LE(events[0].when, events[1].when);
        }
    }
    EXPECT_EQ(EventWindow(EventRecord{mouseDown, 0, 0, P(150, 210), 0}), w);
    EXPECT_EQ(EventWindow(EventRecord{mouseDown, 0, 0, P(520, 520), 0}), fl);
}

// Each key goes through a Qt key event and back.
TEST_F(EventsTest, ScriptedKeysKeepTheirKeyAndCharacterCodes) {
    MakeWindow(R(100, 100, 300, 400));
    const struct {
        UInt8 keyCode, charCode;
        EventModifiers modifiers;
    } cases[] = {
        {kVK_LeftArrow, kLeftArrowCharCode, 0},  {kVK_DownArrow, kDownArrowCharCode, shiftKey | optionKey},
        {kVK_Home, kHomeCharCode, 0},            {kVK_PageDown, kPageDownCharCode, 0},
        {kVK_Delete, kBackspaceCharCode, 0},     {kVK_ForwardDelete, kDeleteCharCode, 0},
        {kVK_Return, kReturnCharCode, 0},        {kVK_ANSI_KeypadEnter, kEnterCharCode, 0},
        {kVK_Tab, kTabCharCode, 0},              {kVK_Escape, kEscapeCharCode, 0},
        {kVK_ANSI_O, 'o', 0},                    {kVK_ANSI_O, 'o', cmdKey},  // Command keeps the letter
        {kVK_ANSI_Z, 'Z', cmdKey | shiftKey},    {kVK_ANSI_O, 'o', optionKey},
        {kVK_ANSI_M, 'm', controlKey},           {kVK_ANSI_E, 'E', shiftKey},
        {kVK_ANSI_1, '!', shiftKey},             {0x2F, '.', cmdKey},
        {0x59, '7', 0},  /* keypad 7 */          {kVK_Space, ' ', 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "key " << int(c.keyCode) << " char " << int(c.charCode));
        ScriptKey(c.keyCode, c.charCode, c.modifiers);
        const auto events = PlayScript(keyDownMask | keyUpMask);
        ASSERT_EQ(events.size(), 2u);
        const UInt32 message = c.charCode | (UInt32(c.keyCode) << 8);
        EXPECT_TRUE(events[0].what == keyDown && events[1].what == keyUp);
        EXPECT_TRUE(events[0].message == message && events[1].message == message);
        EXPECT_EQ(events[0].modifiers, c.modifiers | btnState);
    }
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

// A modal Qt dialog (a file dialog) takes the keyboard and Qt drops the
// key-ups meanwhile: a key held when it opened no longer counts as held, and
// does not repeat once it has closed.
TEST_F(EventsTest, AModalQtDialogEndsTheRepeatOfAHeldKey) {
    MakeWindow(R(100, 100, 300, 400));
    ScriptKeyDown(kVK_ANSI_S, 's', cmdKey);
    ASSERT_EQ(NextEvent(keyDownMask).what, keyDown);
    ASSERT_TRUE(IsKeyDown(kVK_ANSI_S));
    QDialog dialog;
    QTimer::singleShot(50, &dialog, &QDialog::reject);
    dialog.exec();
    EXPECT_FALSE(IsKeyDown(kVK_ANSI_S));
    EXPECT_EQ(GetCurrentKeyModifiers() & cmdKey, 0u);
    EXPECT_EQ(NextEvent(autoKeyMask, 30).what, nullEvent);
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
    EXPECT_TRUE(ev.what == keyDown && ev.message == 0x0161u);
    ASSERT_TRUE(GetNextEvent(kNoActivates, &ev));
    EXPECT_TRUE(ev.what == updateEvt && EventWindow(ev) == front);
    ASSERT_TRUE(GetNextEvent(updateMask, &ev));  // until BeginUpdate the same update comes again
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

}  // namespace
