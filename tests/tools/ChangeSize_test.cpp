// Change Size through its dialog: sizes out of range beep, a size beyond
// the pixel-area cap is refused with an alert, a document with a background
// layer refuses; scaling and canvas changes move exact pixels and mask bits
// (a stretched mask also takes every non-white pixel); undo gives back the
// exact buffers.
#include "tools/ChangeSize.h"

#include "app/Alerts.h"
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

constexpr SInt16 kChangeSizeDialog = 144;

class ChangeSizeTest : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        gResizeData = ResizeData{};
    }
    // Width and height typed, the check boxes clicked, OK.
    static void Resize(WindowRef w, const char* width, const char* height, std::vector<DialogStep> clicks = {}) {
        std::vector<DialogStep> steps = {DialogStep::Type(3, width), DialogStep::Type(4, height)};
        steps.insert(steps.end(), clicks.begin(), clicks.end());
        steps.push_back(DialogStep::Click(1));
        ScriptDialog(kChangeSizeDialog, steps);
        ChangeIconSize(w);
    }
};

TEST_F(ChangeSizeTest, RefusesWhatItCannotHoldAndLeavesTheDocument) {
    const Doc doc = MakeDoc({"r.#", "#b."}, 0, {"##.", "###"});
    const std::string before = State(doc);
    for (const char* size : {"0", "16384", "x"}) {
        ResetScriptLog();
        Resize(doc, size, "2");
        EXPECT_EQ(SysBeepCount(), 1u) << size;
    }
    // 16383 × 16383 passes the edge check but not the area cap.
    ResetScriptLog();
    ScriptDialog(kErrorAlertID, {DialogStep::Click(1)});
    Resize(doc, "16383", "16383");
    EXPECT_EQ(DialogsShown(), (std::vector<SInt16>{kChangeSizeDialog, kErrorAlertID}));
    EXPECT_EQ(State(doc), before);
    EXPECT_EQ(doc.rec->undoMode, kUndoNone);

    // A background layer: a beep and no dialog.
    ResetScriptLog();
    doc.rec->backPort = NewWorld(32, doc.rec->picRect);
    ChangeIconSize(doc);
    EXPECT_EQ(SysBeepCount(), 1u);
    EXPECT_TRUE(DialogsShown().empty());
    EXPECT_EQ(State(doc), before);
}

TEST_F(ChangeSizeTest, ScalesOrExtendsExactlyAndUndoes) {
    const struct {
        const char* what;
        const char *width, *height;
        std::vector<DialogStep> clicks;
        Rows image, mask;
    } cases[] = {
        {"doubled by stretching", "8", "4", {DialogStep::Click(5)},
         {"rr..##bb", "rr..##bb", "##bb..rr", "##bb..rr"}, Rows(4, "########")},
        // Each new pixel takes the one under its centre.
        {"halved by stretching", "2", "1", {DialogStep::Click(5)}, {"br"}, {"##"}},
        {"200 percent, proportional", "4", "2",
         {DialogStep::Choose(7, 2), DialogStep::Click(9), DialogStep::Type(3, "200"), DialogStep::Click(5)},
         {"rr..##bb", "rr..##bb", "##bb..rr", "##bb..rr"}, Rows(4, "########")},
        {"a transparent margin", "6", "3", {DialogStep::Choose(10, 2)},
         {"r.#b..", "#b.r..", "......"}, {"###...", "####..", "......"}},
        {"cropped", "2", "1", {}, {"r."}, {"##"}},
    };
    for (SInt16 depth : {24, 8})
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.what << ", depth " << depth);
        gResizeData = ResizeData{};  // the dialog keeps its last choices
        const Doc doc = MakeDoc({"r.#b", "#b.r"}, 0, {"###.", "####"}, depth);
        const std::string before = State(doc);
        Resize(doc, c.width, c.height, c.clicks);
        EXPECT_EQ(Image(doc.rec), c.image);
        EXPECT_EQ(Mask(doc.rec), c.mask);
        EXPECT_EQ(Shown(doc), c.image);
        EXPECT_EQ(doc.rec->undoMode, kUndoChangeSize);
        const std::string after = State(doc);
        DoUndo();
        EXPECT_EQ(State(doc), before);
        DoUndo();
        EXPECT_EQ(State(doc), after);
        CloseAllDocuments();
    }
}

// Stretching at sizes that fill no byte of mask: each new pixel and mask bit
// come from the old pixel under its centre, and every non-white pixel is
// opaque; the display copy shows the new picture.
TEST_F(ChangeSizeTest, StretchTakesThePixelUnderEachCentre) {
    const Rows image{"r.#b..g..#.r.", ".b..#r..g..#.", "#..g.b.r..#..", "..r..#b...g.#",
                     ".g.#..r..b...", "b...r..#.g..r", "..#b..g..r.#."};
    const Rows mask{"#..#.##..#..#", ".#.##..#...#.", "##....#.#.#..", "...#.#..##..#",
                    "#.#...#.#..#.", ".#..##...#.#.", "#...#.#.#...#"};
    gResizeData.stretch = 1;
    for (const SInt16 depth : {24, 8})
        for (const auto& [w, h] : {std::pair{29, 11}, std::pair{6, 3}, std::pair{13, 20}}) {
            const Doc doc = MakeDoc(image, 0, mask, depth);
            const Rect r = MakeRect(0, 0, h, w);
            ASSERT_TRUE(ChangeIconSizeMain(doc, &r, 0));
            Rows wantImage, wantMask;
            for (int y = 0; y < h; ++y) {
                wantImage.emplace_back(), wantMask.emplace_back();
                for (int x = 0; x < w; ++x) {
                    const size_t sx = size_t((2 * x + 1) * 13 / (2 * w)), sy = size_t((2 * y + 1) * 7 / (2 * h));
                    wantImage.back() += image[sy][sx];
                    wantMask.back() += image[sy][sx] != '.' || mask[sy][sx] == '#' ? '#' : '.';
                }
            }
            EXPECT_EQ(Image(doc.rec), wantImage) << depth << " " << w;
            EXPECT_EQ(Mask(doc.rec), wantMask) << depth << " " << w;
            EXPECT_EQ(Shown(doc), wantImage) << depth << " " << w;
            CloseAllDocuments();
        }
}

}  // namespace
