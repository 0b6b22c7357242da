// The Effect menu's effects on real paint windows: rotations, flips, wind,
// dot picture, the tone effects and edging, their undo, and what they do
// with nothing to act on.
#include "tests/support/PaintTestSupport.h"
#include "platform/core/Random.h"
#include "tools/Bucket.h"
#include "tools/Effects.h"

#include <cstdlib>
#include <functional>

using namespace painttest;

namespace {

class EffectsTest : public ToolTest {};

const Rows kArt{"r#g..", "b..#.", "..gg#"};
const Rows kArtMask{"#####", "###..", ".####"};

// The lifted pixels as text: selRect of offPort, '-' where the shape has no pixel.
Rows Lifted(PaintWinRec* rec) {
    Rows rows;
    const PixMap& pm = MapOf(rec->offPort.get());
    for (int v = rec->selRect.top; v < rec->selRect.bottom; ++v) {
        std::string row;
        for (int h = rec->selRect.left; h < rec->selRect.right; ++h) {
            const Point pt{SInt16(v + rec->selOffset.v), SInt16(h + rec->selOffset.h)};
            row += PtInRgn(pt, rec->selRgn) ? CharOf(ReadPixel(pm, h, v)) : '-';
        }
        rows.push_back(row);
    }
    return rows;
}

int Grey(const PixMap& pm, int h, int v) { return ReadPixel(pm, h, v).green >> 8; }

}  // namespace

// Four turns by 90 resample the unrotated pixels by 90, 180, 270 and 360: the
// last gives back the picture and its mask exactly. One turn of a 5 x 3
// picture is 3 x 5, clockwise, with no row or column taken twice.
TEST_F(EffectsTest, QuarterTurns) {
    auto [w, rec] = MakeDoc(kArt, 0, kArtMask);
    RotateByAngle(w, 90);
    EXPECT_EQ(Lifted(rec), (Rows{".br", "..#", "g.g", "g#.", "#.."}));
    EXPECT_TRUE(rec->isFloating);
    for (int i = 0; i < 3; ++i) RotateByAngle(w, 90);
    EXPECT_EQ(rec->rotAngle, 360);
    EXPECT_EQ(RectText(&rec->selRect), "0,0,3,5");
    EXPECT_EQ(Lifted(rec), kArt);
    // The buffers grew by a pixel on every side.
    EXPECT_EQ(Mask(rec), (Rows{".......", ".#####.", ".###...", "..####.", "......."}));
    // Sides of unlike parity put the centre between pixels.
    auto [w2, rec2] = MakeDoc({"r#"});
    RotateByAngle(w2, 90);
    EXPECT_EQ(Lifted(rec2), (Rows{"r", "#"}));
}

// 45 degrees lifts a larger selection whose corners are transparent; the
// picture left behind is white and the selection tool can move it.
TEST_F(EffectsTest, FortyFiveDegrees) {
    auto [w, rec] = MakeDoc(Rows(8, "########"));
    RotateByAngle(w, 45);
    ASSERT_TRUE(rec->isFloating);
    EXPECT_GT(RectWidth(rec->selRect), 8);
    EXPECT_GT(RectHeight(rec->selRect), 8);
    const Point corner{SInt16(rec->selRect.top), SInt16(rec->selRect.left)};
    EXPECT_FALSE(PtInRgn(corner, rec->selRgn));
    EXPECT_FALSE(RealPtInMask(corner, rec->maskPort.get()));
    EXPECT_EQ(Picture(rec->basePort.get()), Rows(8, "........"));
    EXPECT_EQ(rec->undoMode, kUndoRotate);
}

// The dialog's angle: −90 is 270; a multiple of 360 does nothing.
TEST_F(EffectsTest, RotateDialogAngles) {
    auto [w, rec] = MakeDoc(kArt);
    ScriptDialog(kRotateDialog, {DialogStep::Type(3, "-90"), DialogStep::Click(1)});
    EXPECT_EQ(ConfigureRotate(), 270);
    EXPECT_EQ(gAngle, 270);
    const std::string before = State(w);
    ScriptDialog(kRotateDialog, {DialogStep::Type(3, "720"), DialogStep::Click(1)});
    DoRotate(w);
    EXPECT_EQ(State(w), before);
    EXPECT_EQ(rec->undoMode, kUndoNone);
}

// Flipping twice gives back the pixels and the shape of a moved, non-rectangular selection.
TEST_F(EffectsTest, FlipTwiceRestores) {
    for (auto flip : {FlipHorizontal, FlipVertical}) {
        auto [w, rec] = MakeDoc(kArt, 0, kArtMask);
        Lift(w, {"###..", "#....", "##..."});
        MoveSelection(w, 1, 0, true);
        const std::string before = State(w);
        flip(w);
        EXPECT_NE(State(w), before);
        flip(w);
        EXPECT_EQ(State(w), before);
        CloseAllDocuments();
    }
}

// In 24 bits a vertical flip moves whole four-byte pixels, pad byte included.
TEST_F(EffectsTest, VerticalFlipMovesWholePixels) {
    auto [w, rec] = MakeDoc(Rows(3, "...."));
    const PixMap& pm = MapOf(rec->offPort.get());
    for (int v = 0; v < 3; ++v)
        for (int h = 0; h < 4; ++h) SetPx(pm, h, v, UInt32(0x01000000 * (v + 1) + 0x10203 * h));
    FlipVertical(w);
    for (int v = 0; v < 3; ++v)
        for (int h = 0; h < 4; ++h) EXPECT_EQ(Px(pm, h, v), UInt32(0x01000000 * (3 - v) + 0x10203 * h));
}

// Strength 1 smears each chosen row at offsets 5 … 0: a black pixel at x = 2
// darkens x = 2 to 7; rows not chosen keep their pixel. A seed repeats it.
TEST_F(EffectsTest, WindStrengthOne) {
    const Rows art(12, "..#.........");
    std::vector<Rows> runs;
    for (int run = 0; run < 2; ++run) {
        auto [w, rec] = MakeDoc(art);
        SetQDRandomSeed(1234);
        DoWindWith(w, WindSettings{0, 1});
        const PixMap& pm = MapOf(rec->offPort.get());
        int chosen = 0;
        for (int v = 0; v < 12; ++v) {
            std::string marks;
            for (int h = 0; h < 12; ++h) marks += ReadPixel(pm, h, v) == kWhite ? '.' : 'x';
            if (marks == "..x.........") continue;
            EXPECT_EQ(marks, "..xxxxxx....") << "row " << v;
            ++chosen;
        }
        EXPECT_GT(chosen, 0);
        EXPECT_EQ(Mask(rec), Rows(12, "############"));
        runs.push_back(Image(rec));
        CloseAllDocuments();
    }
    EXPECT_EQ(runs[0], runs[1]);
}

// Whatever the background, dot picture only adds opacity: the mask becomes
// the old one with every non-white pixel of the result.
TEST_F(EffectsTest, DotPictureOnlyAddsOpacity) {
    const Rows art(10, "rrgg##bb..rrgg##");
    const Rows mask(10, "#####...........");
    for (SInt16 background : {0, 1, 2}) {
        auto [w, rec] = MakeDoc(art, 0, mask);
        gCurrentColor = ColorRec{kGreen, 0};
        DoDotPictureWith(w, DotPictureSettings{background, true, 1});
        const PixMap& pm = MapOf(rec->offPort.get());
        Rows want = mask;
        for (int v = 0; v < 10; ++v)
            for (int h = 0; h < 16; ++h)
                if (!(ReadPixel(pm, h, v) == kWhite)) want[size_t(v)][size_t(h)] = '#';
        EXPECT_EQ(Mask(rec), want) << "background " << background;
        CloseAllDocuments();
    }
}

// Darken: black stays, white and transparent become opaque 0xDD grey.
// Lighten: white stays, black becomes 0x22, transparent stays transparent.
TEST_F(EffectsTest, DarkenAndLighten) {
    auto [w, rec] = MakeDoc({"#.."}, 0, {"##."});
    const PixMap& pm = MapOf(rec->offPort.get());
    DoDarken(w);
    EXPECT_EQ(std::vector<int>({Grey(pm, 0, 0), Grey(pm, 1, 0), Grey(pm, 2, 0)}), std::vector<int>({0, 0xDD, 0xDD}));
    EXPECT_EQ(Mask(rec), Rows{"###"});
    DoUndo();
    DoLighten(w);
    const PixMap& lit = MapOf(rec->offPort.get());
    EXPECT_EQ(std::vector<int>({Grey(lit, 0, 0), Grey(lit, 1, 0), Grey(lit, 2, 0)}), std::vector<int>({0x22, 0xFF, 0xFF}));
    EXPECT_EQ(Mask(rec), Rows{"##."});
}

// One black pixel in 24 bits: about half grey in the centre, 7/8 white around it.
TEST_F(EffectsTest, AntialiasOnePixel) {
    auto [w, rec] = MakeDoc({".....", ".....", "..#..", ".....", "....."}, 0, Rows(5, "....."));
    DoAntialias(w);
    const PixMap& pm = MapOf(rec->offPort.get());
    EXPECT_NEAR(Grey(pm, 2, 2), 0x80, 2);
    for (auto [h, v] : {std::pair{1, 2}, {3, 2}, {2, 1}, {2, 3}}) EXPECT_NEAR(Grey(pm, h, v), 0xE0, 2);
    EXPECT_EQ(Mask(rec), (Rows{".....", "..#..", ".###.", "..#..", "....."}));
}

// Width 0 draws nothing; opacity 4 leaves a quarter of the colour over the picture.
TEST_F(EffectsTest, EdgingWidthAndOpacity) {
    auto [w, rec] = MakeDoc(Rows(4, "...."), 0, Rows(4, "...."));
    gCurrentColor = ColorRec{kRed, 0};
    DoEdgingWith(w, EdgeSettings{0, 1, 6});
    EXPECT_EQ(Image(rec), Rows(4, "...."));
    EXPECT_EQ(Mask(rec), Rows(4, "...."));
    DoEdgingWith(w, EdgeSettings{1, 4, 6});
    const RGBColor edge = ReadPixel(MapOf(rec->offPort.get()), 1, 1);
    EXPECT_EQ(edge.red >> 8, 0xFF);
    EXPECT_NEAR(edge.green >> 8, 0xBF, 1);
    EXPECT_EQ(Mask(rec), (Rows{"#...", ".#..", "..#.", "...#"}));
}

// Undo gives back the exact buffers and selection after every effect.
TEST_F(EffectsTest, UndoRestoresExactly) {
    const std::vector<std::function<void(WindowRef)>> effects = {
        DoDarken, DoLighten, DoFill, DoAntialias, FlipHorizontal, FlipVertical,
        [](WindowRef w) { RotateByAngle(w, 30); },
        [](WindowRef w) { DoWindWith(w, WindSettings{1, 1}); },
        [](WindowRef w) { DoDotPictureWith(w, DotPictureSettings{2, true, 0}); },
        [](WindowRef w) { DoEdgingWith(w, EdgeSettings{2, 3, 5}); }};
    for (bool lifted : {false, true})
        for (size_t i = 0; i < effects.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "effect " << i << " lifted " << lifted);
            auto [w, rec] = MakeDoc(kArt, 0, kArtMask);
            if (lifted) Lift(w, {"####.", "####.", "###.."});
            const std::string before = State(w);
            const auto image = Bytes(rec->offPort.get()), mask = Bytes(rec->maskPort.get());
            effects[i](w);
            EXPECT_NE(rec->undoMode, kUndoNone);
            DoUndo();
            EXPECT_EQ(State(w), before);
            EXPECT_EQ(Bytes(rec->offPort.get()), image);
            EXPECT_EQ(Bytes(rec->maskPort.get()), mask);
            CloseAllDocuments();
        }
}

// With an empty selection every effect beeps and changes nothing.
TEST_F(EffectsTest, NothingToActOn) {
    auto [w, rec] = MakeDoc(kArt);
    Lift(w, Rows(3, "....."));
    const std::string before = State(w);
    const SInt16 mode = rec->undoMode;
    const UInt32 beeps = SysBeepCount();
    for (auto effect : {DoDarken, DoLighten, DoFill, DoAntialias, FlipHorizontal, FlipVertical})
        effect(w);
    RotateByAngle(w, 90);
    DoWindWith(w, WindSettings{});
    DoDotPictureWith(w, DotPictureSettings{});
    DoEdgingWith(w, EdgeSettings{});
    EXPECT_EQ(SysBeepCount() - beeps, 10u);
    EXPECT_EQ(State(w), before);
    EXPECT_EQ(rec->undoMode, mode);
}

// The Effect items are enabled with a paint window in front; key H flips
// through the menu's command as Flip Horizontal does.
TEST_F(EffectsTest, MenuItemsAndKeys) {
    auto [w, rec] = MakeDoc(kArt);
    UpdateMenus();
    for (MenuItemIndex item : {3, 4, 5, 6, 7, 8, 9, 12, 13, 14}) EXPECT_TRUE(Enabled(kEffectMenuID, item)) << item;
    Key(kVK_ANSI_H, 'h');
    EXPECT_EQ(Image(rec), (Rows{"..g#r", ".#..b", "#gg.."}));
    EXPECT_EQ(rec->undoMode, kUndoFlip);
}

// Rotations in a row are one rotation of the unrotated pixels: 30 then 60 is 90.
TEST_F(EffectsTest, RotationsAddUp) {
    auto [w, rec] = MakeDoc(kArt, 0, kArtMask);
    RotateByAngle(w, 90);
    const std::string once = State(w);
    DoUndo();
    SetUndoMode(kUndoNone);
    RotateByAngle(w, 30);
    RotateByAngle(w, 60);
    EXPECT_EQ(State(w), once);
    EXPECT_EQ(rec->rotAngle, 90);
}

// The edging dialog keeps a width of 0 to 32767; anything else beeps and
// keeps the settings; a transparent pen cuts its edge out of the mask.
TEST_F(EffectsTest, EdgingDialogAndTransparentPen) {
    const auto prefs = gEdgePrefs;
    EdgeSettings s;
    for (const char* bad : {"-1", "32768", "wide"}) {
        ScriptDialog(kEdgingDialog, {DialogStep::Type(3, bad), DialogStep::Click(1)});
        EXPECT_EQ(ConfigureEdging(&s), paramErr) << bad;
    }
    EXPECT_EQ(gEdgePrefs, prefs);
    ScriptDialog(kEdgingDialog, {DialogStep::Type(3, "2"), DialogStep::Choose(5, 6), DialogStep::Click(1)});
    ASSERT_EQ(ConfigureEdging(&s), noErr);
    EXPECT_EQ(GetEdgeSettings().width, 2);
    EXPECT_EQ(GetEdgeSettings().shape, 6);
    gEdgePrefs = prefs;

    auto [w, rec] = MakeDoc(Rows(4, "####"));
    gCurrentColor = ColorRec{kWhite, 1};
    DoEdgingWith(w, EdgeSettings{1, 1, 7});
    EXPECT_EQ(Mask(rec), (Rows{"###.", "##.#", "#.##", ".###"}));
}

// Fill paints the current pattern; with a transparent pen the filled part turns transparent.
TEST_F(EffectsTest, FillFollowsPenTransparency) {
    auto [w, rec] = MakeDoc(Rows(3, "...."), 0, Rows(3, "...."));
    Lift(w, {".##.", ".##.", "...."});
    DoFill(w);
    EXPECT_EQ(Lifted(rec), (Rows{"##", "##"}));
    EXPECT_EQ(Mask(rec), (Rows{".##.", ".##.", "...."}));
    gCurrentColor = ColorRec{kRed, 1};
    DoFill(w);
    EXPECT_EQ(Mask(rec), Rows(3, "...."));
}

// A quarter turn of a picture larger than the resampling's tiles is the exact
// clockwise transposition: new (i, j) is old (j, height − 1 − i), pad byte included.
TEST_F(EffectsTest, QuarterTurnOfALargePicture) {
    constexpr int kW = 300, kH = 201;
    auto [w, rec] = MakePaint(kW, kH, 0, 24);
    const PixMap& before = MapOf(rec->offPort.get());
    for (int v = 0; v < kH; ++v)
        for (int h = 0; h < kW; ++h) SetPx(before, h, v, UInt32(v * 7919 + h * 104729));
    RotateByAngle(w, 90);
    ASSERT_EQ(RectWidth(rec->selRect), kH);
    ASSERT_EQ(RectHeight(rec->selRect), kW);
    const PixMap& after = MapOf(rec->offPort.get());
    int wrong = 0;
    for (int j = 0; j < kW; ++j)
        for (int i = 0; i < kH; ++i)
            wrong += Px(after, rec->selRect.left + i, rec->selRect.top + j) != UInt32((kH - 1 - i) * 7919 + j * 104729);
    EXPECT_EQ(wrong, 0);
}

// The quarter turns' blocked copies, the exact stepping of other angles and
// the four-pixel flip against the per-pixel rule, on sizes that fill no
// block: each new pixel takes the source pixel under its turned centre (the
// halving rounds down), in the shape when there is one; the mask follows the
// old mask over its own bounds; nothing else is written.
TEST_F(EffectsTest, RotationAndFlipFollowThePerPixelRule) {
    UInt32 seed = 7;
    auto random = [&] { return (seed = seed * 1664525u + 1013904223u) >> 8; };
    auto make = [](SInt16 depth, const Rect& r) {
        UniqueGWorld g;
        EXPECT_EQ(NewGWorld(g.out(), depth, &r, nullptr, nullptr, 0), noErr);
        return g;
    };
    auto bit = [](const PixMap& pm, int h, int v) {
        const int x = h - pm.bounds.left;
        return (PixRow(pm, v)[x >> 3] >> (7 - (x & 7))) & 1;
    };
    auto roundUnits = [](SInt64 p) { return p > 0 ? (p + 16384) / 32768 : -((16384 - p) / 32768); };
    for (const SInt16 depth : {32, 8})
        for (const Rect sel : {MakeRect(-3, 2, 18, 39), MakeRect(0, 0, 67, 5), MakeRect(4, 4, 13, 5)})
            for (const int angle : {90, 270, 180, 30, 359}) {
                const int bytes = depth / 8, shaped = int(random() & 1);
                const Rect maskBounds = MakeRect(sel.top - 2, sel.left + 1, sel.bottom + 3, sel.right + 4);
                UniqueGWorld src = make(depth, sel), srcMask = make(1, maskBounds), shape = make(1, sel);
                for (const GWorldPtr g : {src.get(), srcMask.get(), shape.get()}) {
                    const PixMap& pm = MapOf(g);
                    for (int i = 0; i < pm.rowBytes * RectHeight(pm.bounds); ++i) pm.baseAddr[i] = char(random());
                }
                SInt32 s, c;
                ASSERT_TRUE(GetSinCos(SInt16(angle), &s, &c));
                const Rect dest = RotatedBounds(sel, s, c);
                const Rect around = MakeRect(dest.top - 1, dest.left - 3, dest.bottom + 2, dest.right + 1);
                UniqueGWorld dst = make(depth, around), dstMask = make(1, around), newShape = make(1, dest);
                RotationMaps maps{&MapOf(src.get()), &MapOf(srcMask.get()), shaped ? &MapOf(shape.get()) : nullptr,
                                  sel, &MapOf(dst.get()), &MapOf(dstMask.get()), &MapOf(newShape.get())};
                ResampleRotation(maps, dest, s, c);
                int wrong = 0;
                for (int y = around.top; y < around.bottom; ++y)
                    for (int x = around.left; x < around.right; ++x) {
                        const SInt64 dx = 2 * x + 1 - (sel.left + sel.right), dy = 2 * y + 1 - (sel.top + sel.bottom);
                        const SInt64 h = (roundUnits(dx * c + dy * s) + sel.left + sel.right - 1) >> 1;
                        const SInt64 v = (roundUnits(dy * c - dx * s) + sel.top + sel.bottom - 1) >> 1;
                        const bool inNew = PtInRect(Point{SInt16(y), SInt16(x)}, &dest);
                        const bool inSel = inNew && PtInRect(Point{SInt16(v), SInt16(h)}, &sel);
                        const bool taken = inSel && (!shaped || bit(MapOf(shape.get()), int(h), int(v)));
                        const bool masked = inNew && PtInRect(Point{SInt16(v), SInt16(h)}, &maskBounds) &&
                                            bit(MapOf(srcMask.get()), int(h), int(v));
                        const UInt8* got = PixRow(MapOf(dst.get()), y) + (x - around.left) * bytes;
                        const UInt8* want = PixRow(MapOf(src.get()), int(v)) + (h - sel.left) * bytes;
                        const UInt8 zero[4] = {};
                        wrong += std::memcmp(got, taken ? want : zero, size_t(bytes)) != 0;
                        wrong += inNew && bit(MapOf(newShape.get()), x, y) != int(taken);
                        wrong += bit(MapOf(dstMask.get()), x, y) != int(masked);
                    }
                EXPECT_EQ(wrong, 0) << "depth " << depth << " angle " << angle << " " << RectText(&sel);
                if (angle != 90) continue;
                UniqueGWorld flipped = make(depth, sel), flippedMask = make(1, sel);
                FlipPixels(MapOf(src.get()), MapOf(shape.get()), MapOf(flipped.get()), MapOf(flippedMask.get()), sel, true);
                wrong = 0;
                for (int y = sel.top; y < sel.bottom; ++y)
                    for (int x = sel.left; x < sel.right; ++x) {
                        const int mirror = sel.left + sel.right - 1 - x;
                        wrong += std::memcmp(PixRow(MapOf(flipped.get()), y) + (x - sel.left) * bytes,
                                             PixRow(MapOf(src.get()), y) + (mirror - sel.left) * bytes, size_t(bytes)) != 0;
                        wrong += bit(MapOf(flippedMask.get()), x, y) != bit(MapOf(shape.get()), mirror, y);
                    }
                EXPECT_EQ(wrong, 0) << "flip, depth " << depth << " " << RectText(&sel);
            }
}
