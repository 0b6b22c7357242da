// The background layer: buffers after each layer command and its undo, the merge at
// every foreground level against a blend computed here, the Edit items, the indicator.
#include "tests/support/PaintTestSupport.h"

#include "paint/BackLayer.h"

using namespace painttest;

namespace {

const Rows kFore{"rb..", "..#r"}, kForeMask{"##..", "####"}, kBack{"gggg", "bbbb"};

class BackLayerTest : public ToolTest {
protected:
    void SetUp() override { ToolTest::SetUp(), gOtherPrefs[kOtherStartInBackMode] = 0; }
    // The foreground edited over kBack.
    static Doc Layered() {
        Doc d = MakeDoc(kFore, 1, kForeMask);
        EXPECT_EQ(GoBackgroundMode(d), noErr);
        Fill(d, kBack);
        EXPECT_EQ(GoBackgroundMode(d), noErr);
        return d;
    }
    static Rows Back(PaintWinRec* rec) { return rec->backPort ? Picture(rec->backPort.get()) : Rows{}; }
    static Rows ShownOver(PaintWinRec* rec) { return Picture(UniqueGWorld(MakePreviewImage(rec)).get()); }
};

}  // namespace

TEST_F(BackLayerTest, SwitchingParksEachLayerAndMakesTheMissingOne) {
    auto [w, rec] = MakeDoc(kFore, 1, kForeMask);
    ASSERT_EQ(GoBackgroundMode(w), noErr);  // a new, white and opaque background
    EXPECT_EQ(Picture(rec->foreHoldPort.get()), kFore);
    EXPECT_EQ(BitPicture(MapOf(rec->foreHoldMask.get())), kForeMask);
    EXPECT_EQ(Image(w), Rows(2, "...."));
    EXPECT_EQ(Mask(w), Rows(2, "####"));
    EXPECT_EQ(rec->undoMode, kUndoEnterBackMode);
    Fill(w, kBack);
    ASSERT_EQ(GoBackgroundMode(w), noErr);
    EXPECT_EQ(Back(rec), kBack);
    EXPECT_EQ(Image(w), kFore);
    EXPECT_EQ(Mask(w), kForeMask);
    EXPECT_FALSE(rec->foreHoldPort || rec->foreHoldMask || rec->isBackMode || rec->undoMode);
    EXPECT_EQ(ShownOver(rec), (Rows{"rbgg", "..#r"}));
    ShowHideBackground(w);  // the foreground over white
    EXPECT_EQ(ShownOver(rec), kFore);
}

TEST_F(BackLayerTest, MergeBlendsAtEveryLevelAndUndoGivesBothLayersBack) {
    auto [w, rec] = Layered();
    const double weights[] = {1.0, 0.75, 0.5, 0.25, 0.0};
    for (SInt16 level = 0; level <= 4; ++level) {
        SCOPED_TRACE(level);
        HandleForeTransparencyChoice(level + 1);
        const Rows shown = ShownOver(rec);
        ASSERT_EQ(UnionBackground(w), noErr);
        EXPECT_FALSE(HasLayers(rec) || rec->hasTransparency);
        EXPECT_EQ(Mask(w), Rows(2, "####"));
        EXPECT_EQ(Image(w), shown);  // what was shown is what was merged
        for (int x = 0, y = 0; y < 2; y += ++x / 4, x %= 4) {
            const double wf = kForeMask[y][x] == '#' ? weights[level] : 0;
            const RGBColor f = ColorOf(kFore[y][x]), b = ColorOf(kBack[y][x]);
            const RGBColor got = ReadPixel(MapOf(rec->offPort.get()), x, y);
            for (auto c : {&RGBColor::red, &RGBColor::green, &RGBColor::blue})
                EXPECT_NEAR(got.*c >> 8, (f.*c >> 8) * wf + (b.*c >> 8) * (1 - wf), 1.0) << x << "," << y;
        }
        DoUndo();
        EXPECT_EQ(Image(w), kFore);
        EXPECT_EQ(Mask(w), kForeMask);
        EXPECT_EQ(Back(rec), kBack);
    }
}

TEST_F(BackLayerTest, DeletingEitherLayerFromEitherSideUndoesExactly) {
    for (bool fromBack : {false, true})
        for (bool deleteFore : {false, true}) {
            SCOPED_TRACE(testing::Message() << fromBack << deleteFore);
            auto [w, rec] = Layered();
            if (fromBack && GoBackgroundMode(w) != noErr) FAIL();
            ASSERT_EQ(deleteFore ? DeleteForeground(w) : DeleteBackground(w), noErr);
            EXPECT_FALSE(HasLayers(rec));
            EXPECT_EQ(Image(w), deleteFore ? kBack : kFore);
            EXPECT_EQ(Mask(w), deleteFore ? Rows(2, "####") : kForeMask);
            DoUndo();  // the foreground edited over the background, its mask whole
            EXPECT_EQ(Image(w), kFore);
            EXPECT_EQ(Mask(w), kForeMask);
            EXPECT_EQ(Back(rec), kBack);
        }
}

TEST_F(BackLayerTest, ALiftedSelectionStaysInPlaceAndLiftsTheOtherLayer) {
    auto [w, rec] = Layered();
    Lift(w, {"....", ".##."});
    MoveSelection(w, 1, -1, true);
    const std::string outline = Bounds(rec->selDispRgn);
    ASSERT_EQ(GoBackgroundMode(w), noErr);
    EXPECT_EQ(Bounds(rec->selRgn), "0,2,1,4");
    EXPECT_EQ(Bounds(rec->selDispRgn), outline);
    EXPECT_EQ(Shown(w), kBack);  // the background alone, lifted where the selection lies
    EXPECT_EQ(Picture(rec->foreHoldPort.get()), (Rows{"rb.#", "...r"}));
}

TEST_F(BackLayerTest, EditItemsAndIndicatorFollowTheState) {
    auto check = [](bool single, bool layers, const char* texts, std::vector<int> marked) {
        EXPECT_EQ(ItemText(kEditMenuID, 14) + "/" + ItemText(kEditMenuID, 20), texts);
        EXPECT_EQ(bool(Enabled(kEditMenuID, 14)), single || layers);
        for (MenuItemIndex item : {15, 16, 17, 19, 20}) EXPECT_EQ(bool(Enabled(kEditMenuID, item)), layers);
        EXPECT_EQ(Marked(kForeTransMenuID), marked);
    };
    UpdateMenus();
    check(false, false, "New Background Layer/Hide Background", {});
    auto [w, rec] = MakePaint(24, 8, 1);  // wide enough for the indicator
    gOtherPrefs[kOtherStartInBackMode] = 1;
    UpdateBGSetting();
    check(true, false, "New Foreground Layer/Hide Background", {});
    ASSERT_EQ(GoBackgroundMode(w), noErr);  // a new, transparent foreground
    EXPECT_EQ(rec->undoMode, kUndoLeaveBackMode);
    EXPECT_EQ(Mask(w), Rows(8, std::string(24, '.')));
    HandleForeTransparencyChoice(3);
    ShowHideBackground(w);
    check(true, true, "Switch Layers/Show Background", {3});
    DoUndo();  // the level
    check(true, true, "Switch Layers/Show Background", {1});

    // Picture 145 (the foreground edited): the foreground's black square at its lower left.
    const Rect port = Port(w);
    const PixMap& shown = **GetPortPixMap(GetWindowPort(w));
    EXPECT_EQ(ReadPixel(shown, port.left + 30, port.bottom - 2), kBlack);
    EXPECT_EQ(ReadPixel(shown, port.left + 39, port.bottom - 2), kWhite);
    // A quick click in it switches layers; a press held past the double-click time opens the pop-up.
    const Point box = Global(w, Point{SInt16(port.bottom - 8), SInt16(port.left + 35)});
    ScriptClick(box);
    RunPendingEvents();
    EXPECT_TRUE(rec->isBackMode);
    ScriptMouseDown(box);
    ScriptWait(GetDblTime() + 3);
    ScriptMenuChoice(MenuChoice(kLayerPopupMenuID, 2));  // merge
    ScriptWait(5);
    ScriptMouseUp(box);
    RunPendingEvents();
    EXPECT_EQ(rec->undoMode, kUndoUnionBackground);
}
