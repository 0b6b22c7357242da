// The background layer: the buffers after each layer command and after its
// undo, the merge at every foreground level against a blend computed here,
// the Edit items per state, and the indicator.
#include "tests/support/PaintTestSupport.h"

#include "paint/BackLayer.h"

#include <cmath>

using namespace painttest;

namespace {

const Rows kFore{"rb..", "..#r"}, kForeMask{"##..", "####"}, kBack{"gggg", "bbbb"};

class BackLayerTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        gOtherPrefs[kOtherStartInBackMode] = 0;
    }
    // A document with the foreground edited over kBack.
    static Doc Layered() {
        Doc d = MakeDoc(kFore, 1, kForeMask);
        EXPECT_EQ(GoBackgroundMode(d), noErr);
        Fill(d, kBack);
        EXPECT_EQ(GoBackgroundMode(d), noErr);
        return d;
    }
    static Rows Back(PaintWinRec* rec) { return rec->backPort ? Picture(rec->backPort.get()) : Rows{}; }
};

}  // namespace

TEST_F(BackLayerTest, SwitchingParksEachLayerAndMakesTheMissingOne) {
    auto [w, rec] = MakeDoc(kFore, 1, kForeMask);
    ASSERT_EQ(GoBackgroundMode(w), noErr);  // a new, white and opaque background
    EXPECT_EQ(Picture(rec->foreHoldPort.get()), kFore);
    EXPECT_EQ(BitPicture(MapOf(rec->foreHoldMask.get())), kForeMask);
    EXPECT_EQ(Image(w), Rows(2, "...."));
    EXPECT_EQ(Mask(w), Rows(2, "####"));
    EXPECT_TRUE(rec->isBackMode);
    EXPECT_EQ(rec->undoMode, kUndoEnterBackMode);
    Fill(w, kBack);
    ASSERT_EQ(GoBackgroundMode(w), noErr);
    EXPECT_EQ(Back(rec), kBack);
    EXPECT_EQ(Image(w), kFore);
    EXPECT_EQ(Mask(w), kForeMask);
    EXPECT_FALSE(rec->foreHoldPort || rec->foreHoldMask || rec->isBackMode);
    EXPECT_EQ(rec->undoMode, kUndoNone);
    // Hiding the background shows the foreground over white.
    UniqueGWorld shown(MakePreviewImage(rec));
    EXPECT_EQ(Picture(shown.get()), (Rows{"rbgg", "..#r"}));
    ShowHideBackground(w);
    shown.reset(MakePreviewImage(rec));
    EXPECT_EQ(Picture(shown.get()), (Rows{"rb..", "..#r"}));

    // A single document started on the background gets a new, transparent foreground.
    gOtherPrefs[kOtherStartInBackMode] = 1;
    auto [w2, rec2] = MakeDoc(kBack, 1);
    ASSERT_EQ(GoBackgroundMode(w2), noErr);
    EXPECT_EQ(Back(rec2), kBack);
    EXPECT_EQ(Mask(w2), Rows(2, "...."));
    EXPECT_EQ(rec2->undoMode, kUndoLeaveBackMode);
}

TEST_F(BackLayerTest, MergeBlendsAtEveryLevelAndUndoGivesBothLayersBack) {
    auto [w, rec] = Layered();
    const UInt16 weights[] = {0xFFFF, 0xC000, 0x8000, 0x4000, 0};
    for (SInt16 level = 0; level <= 4; ++level) {
        SCOPED_TRACE(level);
        HandleForeTransparencyChoice(level + 1);
        UniqueGWorld shown(MakePreviewImage(rec));
        ASSERT_EQ(UnionBackground(w), noErr);
        EXPECT_FALSE(HasLayers(rec) || rec->hasTransparency);
        EXPECT_EQ(Mask(w), Rows(2, "####"));
        for (int y = 0; y < 2; ++y)
            for (int x = 0; x < 4; ++x) {
                const RGBColor f = ColorOf(kFore[y][x]), b = ColorOf(kBack[y][x]);
                const RGBColor got = ReadPixel(MapOf(rec->offPort.get()), x, y);
                const double wf = kForeMask[y][x] == '#' ? weights[level] / 65535.0 : 0;
                auto near = [wf](UInt16 g, UInt16 fc, UInt16 bc) {
                    return std::abs((g >> 8) - std::lround((fc >> 8) * wf + (bc >> 8) * (1 - wf))) <= 1;
                };
                EXPECT_TRUE(near(got.red, f.red, b.red) && near(got.green, f.green, b.green) &&
                            near(got.blue, f.blue, b.blue))
                    << x << "," << y;
                EXPECT_EQ(ReadPixel(MapOf(shown.get()), x, y), got);  // what was shown is what was merged
            }
        DoUndo();
        EXPECT_EQ(Image(w), kFore);
        EXPECT_EQ(Mask(w), kForeMask);
        EXPECT_EQ(Back(rec), kBack);
    }
}

TEST_F(BackLayerTest, DeletingEitherLayerFromEitherSideUndoesExactly) {
    struct Case { bool fromBack, deleteFore; Rows image, mask; };
    const Case cases[] = {{false, true, kBack, Rows(2, "####")}, {true, true, kBack, Rows(2, "####")},
                          {false, false, kFore, kForeMask}, {true, false, kFore, kForeMask}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fromBack << c.deleteFore);
        auto [w, rec] = Layered();
        if (c.fromBack) {
            ASSERT_EQ(GoBackgroundMode(w), noErr);
        }
        ASSERT_EQ(c.deleteFore ? DeleteForeground(w) : DeleteBackground(w), noErr);
        EXPECT_FALSE(HasLayers(rec));
        EXPECT_EQ(Image(w), c.image);
        EXPECT_EQ(Mask(w), c.mask);
        DoUndo();  // the foreground edited over the background, its mask whole
        EXPECT_EQ(Image(w), kFore);
        EXPECT_EQ(Mask(w), kForeMask);
        EXPECT_EQ(Back(rec), kBack);
        DoUndo();
        EXPECT_EQ(Image(w), c.image);
        EXPECT_FALSE(HasLayers(rec));
    }
}

TEST_F(BackLayerTest, ALiftedSelectionStaysInPlaceAndLiftsTheOtherLayer) {
    auto [w, rec] = Layered();
    Lift(w, {"....", ".##."});
    MoveSelection(w, 1, -1, true);
    const std::string outline = Bounds(rec->selDispRgn);
    ASSERT_EQ(GoBackgroundMode(w), noErr);
    EXPECT_TRUE(rec->isFloating);
    EXPECT_EQ(Bounds(rec->selRgn), "0,2,1,4");
    EXPECT_EQ(Bounds(rec->selDispRgn), outline);
    EXPECT_EQ(Shown(w), kBack);  // the background alone, lifted where the selection lies
    EXPECT_EQ(Picture(rec->foreHoldPort.get()), (Rows{"rb.#", "...r"}));
}

TEST_F(BackLayerTest, EditItemsAndIndicatorFollowTheState) {
    auto check = [](bool layersItemsOn, const char* first, const char* last, int marked) {
        EXPECT_EQ(ItemText(kEditMenuID, 14), first);
        EXPECT_EQ(ItemText(kEditMenuID, 20), last);
        for (MenuItemIndex item : {15, 16, 17, 19, 20})
            EXPECT_EQ(bool(Enabled(kEditMenuID, item)), layersItemsOn) << item;
        EXPECT_EQ(Marked(kForeTransMenuID), marked ? std::vector<int>{marked} : std::vector<int>{});
    };
    UpdateMenus();
    EXPECT_FALSE(Enabled(kEditMenuID, 14));
    check(false, "New Background Layer", "Hide Background", 0);
    auto [w, rec] = MakePaint(24, 8, 1);  // wide enough for the indicator
    UpdateMenus();
    EXPECT_TRUE(Enabled(kEditMenuID, 14));
    check(false, "New Background Layer", "Hide Background", 0);
    ASSERT_EQ(GoBackgroundMode(w), noErr);
    ASSERT_EQ(GoBackgroundMode(w), noErr);
    HandleForeTransparencyChoice(3);
    ShowHideBackground(w);
    check(true, "Switch Layers", "Show Background", 3);
    DoUndo();  // the level
    check(true, "Switch Layers", "Show Background", 1);

    // The indicator: picture 145 (foreground edited) has the foreground's black square at its lower left.
    Rect port = Port(w);
    const PixMap& shown = **GetPortPixMap(GetWindowPort(w));
    auto at = [&](int x, int y) { return ReadPixel(shown, port.left + 30 + x, port.bottom - 14 + y); };
    EXPECT_EQ(at(0, 12), kBlack);
    EXPECT_EQ(at(9, 12), kWhite);
    // A quick click in it switches layers; a press held past the double-click time opens the pop-up.
    const Point box = Global(w, Point{SInt16(port.bottom - 8), SInt16(port.left + 35)});
    ScriptMouseDown(box);
    ScriptMouseUp(box);
    RunPendingEvents();
    EXPECT_TRUE(rec->isBackMode);
    ScriptMouseDown(box);
    ScriptWait(GetDblTime() + 2);
    ScriptWait(1);
    ScriptMenuChoice(MenuChoice(kLayerPopupMenuID, 2));  // merge
    ScriptWait(5);
    ScriptMouseUp(box);
    RunPendingEvents();
    EXPECT_FALSE(HasLayers(rec));
    EXPECT_EQ(rec->undoMode, kUndoUnionBackground);
}
