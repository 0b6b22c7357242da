// The mask commands: the selection made opaque, white made transparent, their
// undo, the marks of the two Effect items, blending the floating selection,
// and reading opacity through a moved selection.
#include "tests/support/PaintTestSupport.h"

using namespace painttest;

namespace {

class MasksTest : public ColorToolTest, public testing::WithParamInterface<SInt16> {};

// A black ring round white, a red dot beside it, all white elsewhere.
const Rows kRingImage{"........", ".###....", ".#.#.r..", ".###....", "........"};
const Rows kRingArea{"........", ".###....", ".###....", ".###....", "........"};
const Rows kRing{"........", ".###....", ".#.#....", ".###....", "........"};

}  // namespace

// Mode 36 (transparent) makes white pixels transparent and every other
// opaque, inside the ring too and also one that was transparent; with a
// floating selection only inside its shape, so the red dot, not lifted, gets
// no opacity. Mode 0 (srcCopy) makes the whole picture opaque, or the lifted
// pixels at the place they were lifted from.
TEST_P(MasksTest, ChangeMaskByModeAndSelection) {
    struct Case {
        const char* what;
        Rows mask;
        bool lift;
        SInt16 dx, dy, mode;
        Rows maskAfter, shownAfter;  // shown empty: as before
        bool opaque, whiteTransparent;
    } cases[] = {
        {"white transparent", {"########", "########", "####.###", "########", "########"}, false, 0, 0, transparent,
         {"........", ".###....", ".#.#.#..", ".###....", "........"}, {}, false, true},
        {"opaque", Rows(5, "........"), false, 0, 0, srcCopy, Rows(5, "########"), {}, true, false},
        // The inside of the ring covers the base: black ring, white inside.
        {"opaque moved selection", kRing, true, 3, 1, srcCopy, kRingArea,
         {"........", "........", "....###.", "....#.#.", "....###."}, true, false},
        {"white transparent selection", Rows(5, "########"), true, 0, 0, transparent, kRing, {}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto [w, rec] = MakeDoc(kRingImage, 0, c.mask, GetParam());
        if (c.lift) Lift(w, kRingArea);
        if (c.dx || c.dy) MoveSelection(w, c.dx, c.dy, true);
        const Rows shown = Shown(w), maskBefore = Mask(rec);
        ChangeMask(w, c.mode);
        EXPECT_EQ(Mask(rec), c.maskAfter);
        EXPECT_EQ(Image(rec), kRingImage);
        EXPECT_EQ(Shown(w), c.shownAfter.empty() ? shown : c.shownAfter);
        EXPECT_EQ(rec->undoMode, kUndoChangeMask);
        EXPECT_TRUE(rec->isDirty);
        EXPECT_EQ(bool(MaskIsOpaqueSelection(rec)), c.opaque);
        EXPECT_EQ(bool(MaskIsWhiteTransparent(rec)), c.whiteTransparent);
        // Asked again it changes nothing and records nothing: undo still gives the mask back.
        rec->isDirty = false;
        ChangeMask(w, c.mode);
        EXPECT_FALSE(rec->isDirty);
        DoUndo();
        EXPECT_EQ(Mask(rec), maskBefore);
        CloseAllDocuments();
    }
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
        auto [w, rec] = MakeDoc(image, 0, Rows(5, std::string(13, '#')), GetParam());
        if (floating) {
            Lift(w, Rows{".............", "..#######....", "..#######....", "....###......", "............."});
            MoveSelection(w, 1, 1, true);
        }
        ChangeMask(w, transparent);
        ASSERT_TRUE(MaskIsWhiteTransparent(rec));
        const PixMap& pm = MapOf(rec->maskPort.get());
        for (int v = 0; v < 5; ++v)
            for (int x = 0; x < 13; ++x) {
                PixRow(pm, v)[x >> 3] ^= UInt8(0x80 >> (x & 7));
                EXPECT_FALSE(MaskIsWhiteTransparent(rec)) << x << "," << v;
                PixRow(pm, v)[x >> 3] ^= UInt8(0x80 >> (x & 7));
            }
        EXPECT_TRUE(MaskIsWhiteTransparent(rec));
        CloseAllDocuments();
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
        auto [w, rec] = MakeDoc(c.image, 0, Rows(3, "####"));
        if (!c.lift.empty()) {
            Lift(w, c.lift);
            if (c.dx) MoveSelection(w, c.dx, 0, true);
        }
        SetMaskRows(rec, c.mask);
        EXPECT_EQ(bool(MaskIsOpaqueSelection(rec)), c.opaque);
        EXPECT_EQ(bool(MaskIsWhiteTransparent(rec)), c.whiteTransparent);
        CloseAllDocuments();
    }
}

// Blending toggles with its check mark; twice gives back exactly the picture.
TEST_F(ColorToolTest, ToggleSelectionBlendTwiceRestores) {
    auto [w, rec] = MakeDoc(Rows{"####", "####"}, 0, Rows{"####", "####"});
    Lift(w, Rows{"##..", "##.."});
    MoveSelection(w, 2, 0, true);
    const std::vector<UInt8> shown = Bytes(rec->dispPort.get());
    MenuRef effect = GetMenuHandle(kEffectMenuID);
    ASSERT_NE(effect, nullptr);
    UInt16 mark = 0;

    ToggleSelectionBlend(w);
    EXPECT_EQ(rec->selMode, blend);
    GetItemMark(effect, 18, &mark);
    EXPECT_NE(mark, 0);
    // Black blended over black stays black; the lifted place shows the white base.
    const Rows blended = Shown(w);
    EXPECT_EQ(blended, (Rows{"..##", "..##"}));

    // Over a white base the blend shows grey.
    MoveSelection(w, -2, 0, true);
    EXPECT_EQ(Shown(w), (Rows{"??##", "??##"}));
    MoveSelection(w, 2, 0, true);

    ToggleSelectionBlend(w);
    EXPECT_EQ(rec->selMode, srcCopy);
    GetItemMark(effect, 18, &mark);
    EXPECT_EQ(mark, 0);
    EXPECT_EQ(Bytes(rec->dispPort.get()), shown);
}
