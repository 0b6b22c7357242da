#include "platform/core/PString.h"
#include "platform/ui/ControlInternal.h"
#include "platform/ui/Controls.h"
#include "platform/ui/WindowInternal.h"
#include "tests/platform/ui/UiTestSupport.h"

#include <QTabBar>

namespace {

using namespace uitest;

constexpr Rect kContent{60, 40, 260, 340};  // global content rectangle of the test window

std::vector<ControlPartCode> gActions;
void CountAction(ControlRef, ControlPartCode part) { gActions.push_back(part); }
// What a program's scroll action does: a line per arrow.
void ScrollAction(ControlRef c, ControlPartCode part) {
    gActions.push_back(part);
    if (part == kControlUpButtonPart) SetControlValue(c, SInt16(GetControlValue(c) - 1));
    if (part == kControlDownButtonPart) SetControlValue(c, SInt16(GetControlValue(c) + 1));
}

class ControlsTest : public UiTest {
protected:
    ControlsTest() : UiTest(400, 300) {}
    void SetUp() override {
        UiTest::SetUp();
        window_ = NewCWindow(nullptr, &kContent, nullptr, true, documentProc, kFirstWindowOfClass, false, nullptr);
        ASSERT_NE(window_, nullptr);
        gActions.clear();
    }
    ControlRef Make(const Rect& r, SInt16 value, SInt16 min, SInt16 max, SInt16 procID, const char* title = "") {
        Str255 t;
        CopyCStringToPascal(title, t);
        return NewControl(window_, &r, t, true, value, min, max, procID, nullptr);
    }
    static Point Global(int h, int v) { return P(kContent.top + v, kContent.left + h); }
    // Waits for the scripted mouse-down and tracks it as the program would.
    ControlPartCode ClickAndTrack(ControlRef* hit, ControlActionProcPtr action) {
        const EventRecord e = NextEvent(mDownMask, 200);
        EXPECT_EQ(e.what, mouseDown);
        SavedGWorld saved;
        SetPortWindowPort(window_);
        Point local = e.where;
        GlobalToLocal(&local);
        ControlRef c = nullptr;
        if (!FindControl(local, window_, &c)) return -1;
        if (hit) *hit = c;
        return TrackControl(c, local, action);
    }
    WindowRef window_ = nullptr;
};

}  // namespace

TEST_F(ControlsTest, ValuesStayInRange) {
    ControlRef c = Make(R(0, 284, 100, 300), 5, 0, 10, scrollBarProc);
    struct Step {
        enum { Value, Min, Max } what;
        SInt16 arg;
        SInt16 value, min, max;
    } steps[] = {
        {Step::Value, 7, 7, 0, 10},   {Step::Value, -3, 0, 0, 10}, {Step::Value, 11, 10, 0, 10},
        {Step::Max, 4, 4, 0, 4},      {Step::Min, 6, 6, 6, 4},     // an empty range holds the minimum
        {Step::Value, 9, 6, 6, 4},    {Step::Max, 20, 6, 6, 20},   {Step::Value, 15, 15, 6, 20},
        {Step::Min, 16, 16, 16, 20},
    };
    for (const Step& s : steps) {
        if (s.what == Step::Value) SetControlValue(c, s.arg);
        if (s.what == Step::Min) SetControlMinimum(c, s.arg);
        if (s.what == Step::Max) SetControlMaximum(c, s.arg);
        EXPECT_TRUE(GetControlValue(c) == s.value && GetControlMinimum(c) == s.min && GetControlMaximum(c) == s.max)
            << s.arg;
    }
    ControlRef born = Make(R(0, 0, 16, 100), 50, 0, 10, scrollBarProc);
    EXPECT_EQ(GetControlValue(born), 10);
}

TEST_F(ControlsTest, ScrollBarPartsLieInOrderAlongTheBar) {
    const Rect bounds = R(0, 284, 100, 300);
    ControlRef c = Make(bounds, 0, 0, 50, scrollBarProc);
    auto partsDown = [&] {
        std::vector<ControlPartCode> runs;
        for (SInt16 v = 0; v < 100; ++v) {
            ControlRef hit = nullptr;
            ControlPartCode p = FindControl(Point{v, 292}, window_, &hit);
            EXPECT_EQ(hit, p ? c : nullptr);
            if (runs.empty() || runs.back() != p) runs.push_back(p);
        }
        return runs;
    };
    using V = std::vector<ControlPartCode>;
    const ControlPartCode up = kControlUpButtonPart, pgUp = kControlPageUpPart, thumb = kControlIndicatorPart,
                          pgDown = kControlPageDownPart, down = kControlDownButtonPart;
    EXPECT_EQ(partsDown(), (V{up, thumb, pgDown, down}));
    SetControlValue(c, 50);
    EXPECT_EQ(partsDown(), (V{up, pgUp, thumb, down}));
    SetControlValue(c, 25);
    EXPECT_EQ(partsDown(), (V{up, pgUp, thumb, pgDown, down}));
    // Outside the bar, an empty range, an inactive or a hidden bar: nothing.
    ControlRef hit = c;
    EXPECT_EQ(FindControl(Point{50, 283}, window_, &hit), kControlNoPart);
    EXPECT_EQ(hit, nullptr);
    EXPECT_EQ(FindControl(Point{100, 292}, window_, &hit), kControlNoPart);
    SetControlMaximum(c, 0);
    EXPECT_EQ(FindControl(Point{2, 292}, window_, &hit), kControlNoPart);
    SetControlMaximum(c, 50);
    HiliteControl(c, kControlInactivePart);
    EXPECT_FALSE(IsControlActive(c));
    EXPECT_EQ(FindControl(Point{2, 292}, window_, &hit), kControlNoPart);
    HiliteControl(c, 0);
    HideControl(c);
    EXPECT_EQ(FindControl(Point{2, 292}, window_, &hit), kControlNoPart);
    ShowControl(c);
    EXPECT_EQ(FindControl(Point{2, 292}, window_, &hit), kControlUpButtonPart);
    // A horizontal bar is laid out left to right.
    ControlRef h = Make(R(184, 0, 200, 120), 0, 0, 10, scrollBarProc);
    EXPECT_EQ(FindControl(Point{192, 1}, window_, &hit), kControlUpButtonPart);
    EXPECT_EQ(hit, h);
    EXPECT_EQ(FindControl(Point{192, 118}, window_, &hit), kControlDownButtonPart);
}

TEST_F(ControlsTest, HeldArrowRepeatsTheActionWhileOverIt) {
    ControlRef c = Make(R(0, 284, 100, 300), 40, 0, 50, scrollBarProc);
    ScriptMouseDown(Global(292, 97));
    ScriptWait(40);
    ScriptMouseUp(Global(292, 97));
    ControlRef hit = nullptr;
    EXPECT_EQ(ClickAndTrack(&hit, ScrollAction), kControlDownButtonPart);
    EXPECT_EQ(hit, c);
    // Once at once, then repeating after the first delay.
    ASSERT_GE(gActions.size(), 3u);
    for (ControlPartCode p : gActions) EXPECT_EQ(p, kControlDownButtonPart);
    EXPECT_EQ(GetControlValue(c), std::min<int>(50, 40 + int(gActions.size())));
    // Released off the arrow: no part, though the action ran at the press.
    gActions.clear();
    ScriptMouseDown(Global(292, 2));
    ScriptMouseMove(Global(200, 2));
    ScriptMouseUp(Global(200, 2));
    EXPECT_EQ(ClickAndTrack(nullptr, CountAction), kControlNoPart);
    ASSERT_FALSE(gActions.empty());
    for (ControlPartCode p : gActions) EXPECT_EQ(p, kControlUpButtonPart);
}

TEST_F(ControlsTest, PopUpAndTabsTakeTheirResources) {
    InitResources();
    const SInt16 file = NewResFileInMemory();
    AddTestResource(FourCC("MENU"), 150, MenuBytes(150, "", {{"8 bits"}, {"24 bits"}, {"32 bits"}}));
    ByteWriter tabs;
    tabs.u16be(3);
    for (const char* t : {"General", "Paint", "PNG"}) PutPString(tabs, t);
    AddTestResource(FourCC("STR#"), 143, tabs.buffer());

    // The minimum field names the menu, the maximum its items.
    ControlRef pop = Make(R(10, 10, 30, 200), 2, 150, 60, popupMenuProc, "Depth:");
    EXPECT_TRUE(GetControlMinimum(pop) == 1 && GetControlMaximum(pop) == 3);
    ScriptMouseDown(Global(100, 20));
    ScriptMenuChoice(150 << 16 | 3);
    ScriptMouseUp(Global(100, 20));
    EXPECT_EQ(ClickAndTrack(nullptr, nullptr), kControlMenuPart);
    EXPECT_EQ(GetControlValue(pop), 3);

    // The minimum field names the titles' string list.
    ControlRef tab = Make(R(40, 10, 190, 290), 1, 143, 0, kControlTabSmallProc);
    EXPECT_TRUE(GetControlMinimum(tab) == 1 && GetControlMaximum(tab) == 3);
    auto* bar = ui_internal::ControlWidget(tab)->findChild<QTabBar*>();
    ASSERT_NE(bar, nullptr);
    QPoint centre = bar->mapTo(ui_internal::ControlWidget(tab), bar->tabRect(2).center());
    Point at = Global(10 + centre.x(), 40 + centre.y());
    ScriptClick(at);
    EXPECT_EQ(ClickAndTrack(nullptr, nullptr), kControlButtonPart);
    EXPECT_EQ(GetControlValue(tab), 3);
    SetControlMaximum(tab, 2);  // fewer tabs shown: the value follows
    EXPECT_EQ(GetControlValue(tab), 2);
    // The pane below the tabs is not a hit, so items on the page get the clicks.
    EXPECT_EQ(FindControl(Point{150, 150}, window_, nullptr), kControlNoPart);
    CloseResFile(file);
}

TEST_F(ControlsTest, EditTextTakesTypedKeys) {
    ControlRef c = Make(R(10, 10, 26, 110), 0, 0, 0, kControlEditTextProc, "32");
    ui_internal::SetControlTextSelection(c, 0, 32767);
    struct Key {
        UInt8 ch;
        const char* text;
    } keys[] = {
        {'6', "6"}, {'4', "64"}, {kBackspaceCharCode, "6"}, {kLeftArrowCharCode, "6"}, {'1', "16"},
        {kDeleteCharCode, "1"}, {kEndCharCode, "1"}, {'0', "10"}, {kHomeCharCode, "10"}, {kDeleteCharCode, "0"},
    };
    for (const Key& k : keys) {
        EXPECT_TRUE(ui_internal::ApplyKeyToEditText(c, k.ch));
        Str255 t;
        GetControlTitle(c, t);
        EXPECT_EQ(PStringToStd(t), k.text) << int(k.ch);
    }
    EXPECT_FALSE(ui_internal::ApplyKeyToEditText(c, kReturnCharCode));
    ui_internal::SetControlText(c, std::string(255, 'x'));
    EXPECT_TRUE(ui_internal::ApplyKeyToEditText(c, 'y'));  // full: taken, unchanged
    EXPECT_EQ(ui_internal::GetControlText(c), std::string(255, 'x'));
}
