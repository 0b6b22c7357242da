// The mask commands: the selection made opaque, white made transparent, their
// undo, the marks of the two Effect items, blending the floating selection,
// and reading opacity through a moved selection.
#include "tests/tools/MaskTestSupport.h"
#include "tests/tools/ToolTestSupport.h"

#include "app/MenuBar.h"
#include "paint/Undo.h"
#include "tools/Selection.h"

using namespace masktest;
using tooltest::ColorToolTest;
using Rows = std::vector<std::string>;

namespace {

class MasksTest : public ColorToolTest, public testing::WithParamInterface<SInt16> {};

// A black ring round white, a red dot beside it, all white elsewhere.
const Rows kRingImage{
    "........",
    ".###....",
    ".#.#.r..",
    ".###....",
    "........",
};
const Rows kAllOpaque(5, "########");
const Rows kRingArea{
    "........",
    ".###....",
    ".###....",
    ".###....",
    "........",
};

}  // namespace

// White pixels become transparent wherever they are, inside the ring too;
// every other pixel becomes opaque, also one that was transparent. Undo and
// redo exchange the two masks exactly.
TEST_P(MasksTest, WhiteTransparentMaskAndItsUndo) {
    const Rows before{
        "########",
        "########",
        "####.###",  // the red dot starts transparent
        "########",
        "########",
    };
    WindowRef w = MakeDocument(GetParam(), kRingImage, before);
    PaintWinRec* rec = GetPaintWinRec(w);
    const Rows shown = pixelart::Picture(rec->dispPort.get());
    ChangeMask(w, transparent);
    const Rows after{
        "........",
        ".###....",
        ".#.#.#..",
        ".###....",
        "........",
    };
    EXPECT_EQ(Mask(rec), after);
    EXPECT_EQ(Image(rec), kRingImage);
    EXPECT_EQ(pixelart::Picture(rec->dispPort.get()), shown);
    EXPECT_EQ(rec->undoMode, kUndoChangeMask);
    EXPECT_TRUE(rec->isDirty);
    EXPECT_TRUE(MaskIsWhiteTransparent(rec));

    DoUndo();
    EXPECT_EQ(Mask(rec), before);
    EXPECT_EQ(rec->undoMode, -kUndoChangeMask);
    EXPECT_FALSE(MaskIsWhiteTransparent(rec));
    DoUndo();
    EXPECT_EQ(Mask(rec), after);
    EXPECT_EQ(rec->undoMode, kUndoChangeMask);
}

// Mode 0 without a selection: the whole picture opaque.
TEST_P(MasksTest, OpaqueMaskOfTheWholePicture) {
    WindowRef w = MakeDocument(GetParam(), kRingImage, Rows(5, "........"));
    PaintWinRec* rec = GetPaintWinRec(w);
    ChangeMask(w, srcCopy);
    EXPECT_EQ(Mask(rec), kAllOpaque);
    EXPECT_TRUE(MaskIsOpaqueSelection(rec));
    EXPECT_EQ(rec->undoMode, kUndoChangeMask);
}

// Mode 0 on a moved floating selection: the lifted pixels all opaque at the
// place they were lifted from, every other mask pixel transparent.
TEST_P(MasksTest, OpaqueMaskOfAMovedSelection) {
    WindowRef w = MakeDocument(GetParam(), kRingImage, Rows{
                                                           "........",
                                                           ".###....",
                                                           ".#.#....",
                                                           ".###....",
                                                           "........",
                                                       });
    PaintWinRec* rec = GetPaintWinRec(w);
    Lift(w, kRingArea);
    MoveSelection(w, 3, 1, true);
    ASSERT_EQ(rec->selOffset.h, 3);
    ChangeMask(w, srcCopy);
    EXPECT_EQ(Mask(rec), kRingArea);
    EXPECT_TRUE(MaskIsOpaqueSelection(rec));
    // The inside of the ring now covers the base: black ring, white inside.
    EXPECT_EQ(pixelart::Picture(rec->dispPort.get()), (Rows{
                                                          "........",
                                                          "........",
                                                          "....###.",
                                                          "....#.#.",
                                                          "....###.",
                                                      }));
}

// Mode 36 on a floating selection: the white rule applies inside the lifted
// shape only; outside it the mask stays transparent, so the red dot, which
// was not lifted, gets no opacity there.
TEST_P(MasksTest, WhiteTransparentMaskOfASelection) {
    WindowRef w = MakeDocument(GetParam(), kRingImage, kAllOpaque);
    PaintWinRec* rec = GetPaintWinRec(w);
    Lift(w, kRingArea);
    ChangeMask(w, transparent);
    EXPECT_EQ(Mask(rec), (Rows{
                             "........",
                             ".###....",
                             ".#.#....",
                             ".###....",
                             "........",
                         }));
    EXPECT_TRUE(MaskIsWhiteTransparent(rec));
    EXPECT_FALSE(MaskIsOpaqueSelection(rec));
}

// The mark of Effect 17 against the mask the command makes, on a picture
// of odd width (a partial last mask byte): it holds after the command, and
// flipping any one mask bit, inside the selection or outside it, breaks it.
TEST_P(MasksTest, WhiteTransparentMarkAgreesWithTheCommandBitForBit) {
    Rows image;
    unsigned seed = 7;
    for (int v = 0; v < 5; ++v) {
        std::string row;
        for (int x = 0; x < 13; ++x) {
            seed = seed * 1103515245u + 12345u;
            row += ".#rgb."[(seed >> 16) % 6];
        }
        image.push_back(row);
    }
    for (bool floating : {false, true}) {
        SCOPED_TRACE(floating ? "floating" : "whole picture");
        WindowRef w = MakeDocument(GetParam(), image, Rows(5, std::string(13, '#')));
        PaintWinRec* rec = GetPaintWinRec(w);
        if (floating) {
            Lift(w, Rows{".............", "..#######....", "..#######....", "....###......", "............."});
            MoveSelection(w, 1, 1, true);
        }
        ChangeMask(w, transparent);
        ASSERT_TRUE(MaskIsWhiteTransparent(rec));
        const PixMap& pm = pixelart::MapOf(rec->maskPort.get());
        for (int v = 0; v < 5; ++v)
            for (int x = 0; x < 13; ++x) {
                PixRow(pm, v)[x >> 3] ^= UInt8(0x80 >> (x & 7));
                EXPECT_FALSE(MaskIsWhiteTransparent(rec)) << x << "," << v;
                PixRow(pm, v)[x >> 3] ^= UInt8(0x80 >> (x & 7));
            }
        EXPECT_TRUE(MaskIsWhiteTransparent(rec));
        painttest::CloseAllDocuments();
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, MasksTest, testing::Values(SInt16(8), SInt16(24)),
                         [](const auto& info) { return "Depth" + std::to_string(info.param); });

// The marks of Effect items 16 and 17 for masks written directly, with and
// without a (moved) selection.
TEST_F(ColorToolTest, MaskMarksTruthTable) {
    struct Case {
        const char* what;
        Rows image;
        Rows lift;  // empty: nothing floats
        SInt16 dx;
        Rows mask;
        bool opaque, whiteTransparent;
    };
    const Rows solid{"rrbb", "rrbb", "bbrr"};
    const Rows dotted{"r.b.", "....", "..#."};
    const Rows block{"##..", "##..", "...."};
    const Case cases[] = {
        {"all opaque over white pixels", dotted, {}, 0, Rows(3, "####"), true, false},
        {"mask of the non-white pixels", dotted, {}, 0, Rows{"#.#.", "....", "..#."}, false, true},
        {"no white pixel and all opaque", solid, {}, 0, Rows(3, "####"), true, true},
        {"white picture, all transparent", Rows(3, "...."), {}, 0, Rows(3, "...."), false, true},
        {"one opaque pixel missing", solid, {}, 0, Rows{"####", "###.", "####"}, false, false},
        {"selection opaque where lifted", solid, block, 0, block, true, true},
        {"selection partly transparent", solid, block, 0, Rows{"##..", "#...", "...."}, false, false},
        {"moved selection read where lifted", solid, block, 2, block, true, true},
        {"moved selection opaque only where shown", solid, block, 2, Rows{"..##", "..##", "...."}, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowRef w = MakeDocument(24, c.image, Rows(3, "####"));
        PaintWinRec* rec = GetPaintWinRec(w);
        if (!c.lift.empty()) {
            Lift(w, c.lift);
            if (c.dx) MoveSelection(w, c.dx, 0, true);
        }
        SetMaskRows(rec, c.mask);
        EXPECT_EQ(bool(MaskIsOpaqueSelection(rec)), c.opaque);
        EXPECT_EQ(bool(MaskIsWhiteTransparent(rec)), c.whiteTransparent);
        painttest::CloseAllDocuments();
    }
}

// Blending toggles with its check mark; twice gives back exactly the picture.
TEST_F(ColorToolTest, ToggleSelectionBlendTwiceRestores) {
    WindowRef w = MakeDocument(24, Rows{"####", "####"}, Rows{"####", "####"});
    PaintWinRec* rec = GetPaintWinRec(w);
    Lift(w, Rows{"##..", "##.."});
    MoveSelection(w, 2, 0, true);
    const std::vector<UInt8> shown = pixelart::Bytes(rec->dispPort.get());
    MenuRef effect = GetMenuHandle(kEffectMenuID);
    ASSERT_NE(effect, nullptr);
    UInt16 mark = 0;

    ToggleSelectionBlend(w);
    EXPECT_EQ(rec->selMode, blend);
    GetItemMark(effect, 18, &mark);
    EXPECT_NE(mark, 0);
    // Black blended over black stays black; the lifted place shows the white base.
    const Rows blended = pixelart::Picture(rec->dispPort.get());
    EXPECT_EQ(blended, (Rows{"..##", "..##"}));

    // Over a white base the blend shows grey.
    MoveSelection(w, -2, 0, true);
    EXPECT_EQ(pixelart::Picture(rec->dispPort.get()), (Rows{"??##", "??##"}));
    MoveSelection(w, 2, 0, true);

    ToggleSelectionBlend(w);
    EXPECT_EQ(rec->selMode, srcCopy);
    GetItemMark(effect, 18, &mark);
    EXPECT_EQ(mark, 0);
    EXPECT_EQ(pixelart::Bytes(rec->dispPort.get()), shown);
}
