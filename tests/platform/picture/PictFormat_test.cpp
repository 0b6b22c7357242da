// The picture format at the byte level: PackBits, the recorded header and
// state opcodes, version 1 pictures, opcode skipping, and hostile input.
#include "PictureTestSupport.h"

#include "platform/core/ByteIO.h"
#include "platform/picture/PictFormat.h"
#include "platform/raster/GrafProcs.h"
#include "platform/raster/Pen.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Shapes.h"
#include "platform/raster/Text.h"

#include <algorithm>
#include <cstring>

using namespace picttest;

namespace {

using Bytes8 = std::vector<UInt8>;

Bytes8 Cat(std::initializer_list<Bytes8> parts) {
    Bytes8 out;
    for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

Bytes8 V2Prefix(Rect frame = MakeRect(0, 0, 8, 8)) {
    ByteWriter w;
    w.u16be(0);
    w.rect(frame);
    w.u16be(0x0011), w.u16be(0x02FF);
    return w.buffer();
}

// A raster opcode up to its pixel data; direct rasters of depth 16 are
// packed by words (packType 3, 5-bit components).
Bytes8 RasterHeader(UInt16 op, int depth, Rect bounds, UInt16 rowBytes) {
    const bool direct = op == kPictDirectBitsRect;
    ByteWriter w;
    w.u16be(op);
    if (direct) w.u32be(0xFF);
    w.u16be(UInt16(rowBytes | 0x8000));
    w.rect(bounds);
    w.s16be(0), w.s16be(!direct ? 0 : depth == 16 ? 3 : 4), w.s32be(0);
    w.s32be(IntToFixed(72)), w.s32be(IntToFixed(72));
    w.s16be(direct ? 16 : 0), w.s16be(SInt16(depth)), w.s16be(direct ? 3 : 1);
    w.s16be(SInt16(depth == 16 ? 5 : depth > 8 ? 8 : depth));
    w.zeros(12);
    if (!direct) {
        w.u32be(0), w.u16be(0), w.s16be(1);
        w.u16be(0), w.rgb({0xFFFF, 0xFFFF, 0xFFFF});
        w.u16be(1), w.rgb({0, 0, 0});
    }
    w.rect(bounds), w.rect(bounds), w.s16be(0);
    return w.buffer();
}

// A picture of one 16-bit direct raster, 8 bytes a row, from packed rows.
Bytes8 Direct16Picture(int height, const Bytes8& rows) {
    const Rect b = MakeRect(0, 0, height, 4);
    return Cat({V2Prefix(b), RasterHeader(kPictDirectBitsRect, 16, b, 8), rows, {0x00, 0xFF}});
}

// Finds the opcode sequence of a version 2 picture.
std::vector<UInt16> Opcodes(Handle pic) {
    struct Collect : PictSink {
        std::vector<UInt16> ops;
        void opcode(UInt16 op, size_t) override { ops.push_back(op); }
    } c;
    EXPECT_EQ(WalkPicture(HandleBytes(pic), c), noErr);
    return c.ops;
}

// Records `draw` on `on` and, given `direct`, performs it straight there too.
template <class Draw>
UniqueHandle RecordAndDraw(const Rect& r, GWorldPtr on, GWorldPtr direct, Draw draw) {
    SavedGWorld saved;
    SetGWorld(on, nullptr);
    UniqueHandle pic(OpenPicture(&r));
    EXPECT_TRUE(pic);
    draw(on);
    ClosePicture();
    if (direct) draw(direct);
    return pic;
}

// Records `draw` on a 32-bit world the size of `r`, asserts that playing the
// picture gives what drawing directly gives, and returns the picture.
template <class Draw>
UniqueHandle ExpectPlaysAsDrawn(const Rect& r, Draw draw) {
    UniqueGWorld on = MakeWorld(32, RectWidth(r), RectHeight(r)), direct = MakeWorld(32, RectWidth(r), RectHeight(r)),
                 out = MakeWorld(32, RectWidth(r), RectHeight(r));
    UniqueHandle pic = RecordAndDraw(r, on.get(), direct.get(), draw);
    EXPECT_EQ(PlayInto(out.get(), pic.get(), r), noErr);
    ExpectSamePixels(out.get(), direct.get());
    return pic;
}

// ---- PackBits ---------------------------------------------------------------

struct PackCase {
    const char* name;
    Bytes8 row;
    Bytes8 packed;
};

TEST(PackBits, EncodesRunsAndLiteralsExactly) {
    const Bytes8 run128(128, 7), run130(130, 9);
    Bytes8 lit130(130);
    for (size_t i = 0; i < lit130.size(); ++i) lit130[i] = UInt8(i);
    Bytes8 lit130Packed = {127};
    lit130Packed.insert(lit130Packed.end(), lit130.begin(), lit130.begin() + 128);
    lit130Packed.push_back(1);
    lit130Packed.insert(lit130Packed.end(), lit130.begin() + 128, lit130.end());
    const PackCase cases[] = {
        {"empty", {}, {}},
        {"one byte", {5}, {0, 5}},
        {"two equal bytes stay literal", {5, 5}, {1, 5, 5}},
        {"three equal bytes make a run", {5, 5, 5}, {254, 5}},
        {"literal then run", {1, 2, 3, 3, 3, 3}, {1, 1, 2, 253, 3}},
        {"run then literal", {4, 4, 4, 1, 2}, {254, 4, 1, 1, 2}},
        {"run of 128 in one block", run128, {129, 7}},
        {"run of 130 splits", run130, {129, 9, 1, 9, 9}},
        {"literal of 130 splits", lit130, lit130Packed},
    };
    for (const auto& c : cases) {
        Bytes8 out;
        PackBitsRow(c.row, out);
        EXPECT_EQ(out, c.packed) << c.name;
        Bytes8 back(c.row.size());
        EXPECT_TRUE(UnpackBitsRow(out, back)) << c.name;
        EXPECT_EQ(back, c.row) << c.name;
    }
}

TEST(PackBits, DecodingNeverOverrunsAndReportsMismatches) {
    struct Case {
        const char* name;
        Bytes8 in;
        size_t outSize;
        bool exact;
        Bytes8 out;
    };
    const Case cases[] = {
        {"run longer than the row is cut", {250, 1}, 3, false, {1, 1, 1}},
        {"literal longer than the row is cut", {3, 1, 2, 3, 4}, 2, false, {1, 2}},
        {"input ends early: rest is zero", {1, 9}, 4, false, {9, 0, 0, 0}},
        {"literal announced but missing", {5, 1}, 3, false, {1, 0, 0}},
        {"128 is a no-op", {128, 0, 6}, 1, true, {6}},
        {"one pad byte after the row is tolerated", {0, 6, 0}, 1, true, {6}},
        {"two extra bytes are a mismatch", {0, 6, 0, 0}, 1, false, {6}},
        {"run with no value", {254}, 2, false, {0, 0}},
    };
    for (const auto& c : cases) {
        Bytes8 out(c.outSize, 0xEE);
        EXPECT_EQ(UnpackBitsRow(c.in, out), c.exact) << c.name;
        EXPECT_EQ(out, c.out) << c.name;
    }
    // 16-bit units: a run repeats whole words.
    Bytes8 out(6);
    EXPECT_TRUE(UnpackBitsRow16(Bytes8{254, 0x12, 0x34}, out));
    EXPECT_EQ(out, (Bytes8{0x12, 0x34, 0x12, 0x34, 0x12, 0x34}));
}

// ---- Recording ----------------------------------------------------------------

TEST(PictRecording, EmptyPictureHeaderIsByteExact) {
    UniqueGWorld on = MakeWorld(32, 4, 4);
    SavedGWorld saved;
    SetGWorld(on.get(), nullptr);
    OpenCPicParams params;
    params.srcRect = MakeRect(0, 0, 16, 32);
    params.hRes = IntToFixed(144);
    params.vRes = IntToFixed(72);
    UniqueHandle pic(OpenCPicture(&params));
    ASSERT_TRUE(pic && on.get()->picSave);
    ClosePicture();
    EXPECT_EQ(on.get()->picSave, nullptr);
    // The frame is the source rectangle at 72 dpi: half as wide.
    const Bytes8 want = {0x00, 0x2A, 0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x10,  // size, frame
                         0x00, 0x11, 0x02, 0xFF,                                      // version 2
                         0x0C, 0x00, 0xFF, 0xFE, 0x00, 0x00,                          // extended header
                         0x00, 0x90, 0x00, 0x00, 0x00, 0x48, 0x00, 0x00,              // 144 x 72 dpi
                         0x00, 0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x20,              // source rectangle
                         0x00, 0x00, 0x00, 0x00,                                      // reserved
                         0x00, 0xFF};
    EXPECT_EQ(Bytes(pic.get()), want);
    const PictInfo info = InfoOf(pic.get());
    EXPECT_EQ(info.version, 2);
    EXPECT_EQ(info.hRes, IntToFixed(144));
    EXPECT_EQ(info.sourceRect, MakeRect(0, 0, 16, 32));
}

TEST(PictRecording, BlendedCopyWritesOpColorFirstAndPlaysAsDrawn) {
    UniqueGWorld src = MakeWorld(32, 6, 4), on = MakeWorld(32, 6, 4), direct = MakeWorld(32, 6, 4),
                 out = MakeWorld(32, 6, 4);
    FillPattern(src.get());
    for (GWorldPtr g : {on.get(), direct.get(), out.get()})
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 6; ++x) SetPixel(g, x, y, 0x3060F0u - UInt32(x * 0x10101));
    Rect r = MakeRect(0, 0, 4, 6);
    const RGBColor half{0x8000, 0x8000, 0x8000};
    UniqueHandle pic = RecordAndDraw(r, on.get(), direct.get(), [&](GWorldPtr g) {
        SetGWorld(g, nullptr);
        OpColor(&half);
        CopyBits(&MapOf(src.get()), &MapOf(g), &r, &r, blend, nullptr);
    });
    const std::vector<UInt16> want = {kPictHeaderOp, kPictClipRgn, kPictOpColor, kPictDirectBitsRect, kPictEndPic};
    EXPECT_EQ(Opcodes(pic.get()), want);
    // The OpColor operands are the blend weight.
    auto bytes = Bytes(pic.get());
    const UInt8 opColor[] = {0x00, 0x1F, 0x80, 0x00, 0x80, 0x00, 0x80, 0x00};
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), std::begin(opColor), std::end(opColor)), bytes.end());

    ASSERT_EQ(PlayInto(out.get(), pic.get(), r), noErr);
    ExpectSamePixels(out.get(), direct.get());
    // Playback leaves the port's own OpColor as it was.
    EXPECT_EQ(out.get()->rgbOpColor, (RGBColor{0, 0, 0}));
}

// A copy clipped to a ring: only the ring's pixels arrive on playback.
TEST(RingMask, OnlyTheRingArrives) {
    for (const auto& [depth, opcode] : {std::pair{8, kPictPackBitsRgn}, std::pair{4, kPictPackBitsRgn},
                                       std::pair{32, kPictDirectBitsRgn}}) {
        SCOPED_TRACE(depth);
        UniqueGWorld src = MakeWorld(depth, 16, 16), on = MakeWorld(depth, 16, 16), out = MakeWorld(depth, 16, 16);
        FillPattern(src.get());
        Rect r = MakeRect(0, 0, 16, 16), outer = MakeRect(2, 2, 14, 14), inner = MakeRect(5, 5, 11, 11);
        UniqueRgn ring, hole;
        RectRgn(ring, &outer);
        RectRgn(hole, &inner);
        DiffRgn(ring, hole, ring);
        UniqueHandle pic = RecordCopy(on.get(), src.get(), r, r, srcCopy, ring);
        const auto ops = Opcodes(pic.get());
        ASSERT_EQ(ops.size(), 4u);
        EXPECT_EQ(ops[2], opcode);

        const UInt32 white = depth == 32 ? 0xFFFFFFu : 0;
        Fill(out.get(), white);
        ASSERT_EQ(PlayInto(out.get(), pic.get(), r), noErr);
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inRing = PtInRgn(Point{SInt16(y), SInt16(x)}, ring);
                ASSERT_EQ(Pixel(out.get(), x, y), inRing ? Pixel(src.get(), x, y) : white) << x << "," << y;
            }
    }
}

// ---- Comments -----------------------------------------------------------------

struct SeenComment {
    SInt16 kind;
    SInt16 size;
    Bytes8 data;
    bool operator==(const SeenComment&) const = default;
};
std::vector<SeenComment> gSeenComments;
void MyCommentProc(SInt16 kind, SInt16 dataSize, Handle dataHandle) {
    gSeenComments.push_back({kind, dataSize, dataHandle ? Bytes(dataHandle) : Bytes8{}});
}

TEST(PictComments, ShortAndLongCommentsReachTheCommentProc) {
    UniqueGWorld on = MakeWorld(8, 4, 4), out = MakeWorld(8, 4, 4);
    const Bytes8 layerInfo = {'K', 'r', 'v', 'l', 0x00, 0xC9, 0x00, 0x02};
    Rect r = MakeRect(0, 0, 4, 4);
    UniqueHandle pic = RecordAndDraw(r, on.get(), nullptr, [&](GWorldPtr) {
        PicComment(150, 0, nullptr);
        UniqueHandle data(NewHandleFromBytes(layerInfo));
        PicComment(100, SInt16(layerInfo.size()), data.get());
    });
    // Long comment: opcode, kind 100, size 8, data.
    auto bytes = Bytes(pic.get());
    const Bytes8 longComment = Cat({{0x00, 0xA1, 0x00, 0x64, 0x00, 0x08}, layerInfo});
    EXPECT_NE(std::search(bytes.begin(), bytes.end(), longComment.begin(), longComment.end()), bytes.end());

    CQDProcs procs;
    SetStdCProcs(&procs);
    procs.commentProc = MyCommentProc;
    SetPortGrafProcs(out.get(), &procs);
    gSeenComments.clear();
    EXPECT_EQ(PlayInto(out.get(), pic.get(), r), noErr);
    SetPortGrafProcs(out.get(), nullptr);
    EXPECT_EQ(gSeenComments, (std::vector<SeenComment>{{150, 0, {}}, {100, 8, layerInfo}}));

    const PictInfo info = InfoOf(pic.get());
    EXPECT_EQ(info.commentCount, 2);
    EXPECT_EQ(info.uniqueComments, 2);
}

// ---- Shapes, statistics and depth ---------------------------------------------

TEST(PictInfo, MaxDepthAndColoursOfRasters) {
    struct Case {
        int depth;
        bool isPixMap;
        SInt16 want;
    };
    for (const Case c : {Case{1, false, 1}, Case{1, true, 1}, Case{4, true, 4}, Case{8, true, 8}, Case{32, true, 32}}) {
        UniqueGWorld src = MakeWorld(c.depth, 8, 2);
        (*GetGWorldPixMap(src.get()))->isPixMap = c.isPixMap;
        // Two colours only: value 0 on the left half, the last value on the right.
        const UInt32 hi = c.depth == 32 ? 0x123456u : (1u << c.depth) - 1;
        for (int x = 0; x < 8; ++x)
            for (int y = 0; y < 2; ++y) SetPixel(src.get(), x, y, x < 4 ? 0 : hi);
        UniqueGWorld on = MakeWorld(32, 8, 2);
        Rect r = MakeRect(0, 0, 2, 8);
        UniqueHandle pic = RecordCopy(on.get(), src.get(), r, r);
        SCOPED_TRACE(c.depth);
        EXPECT_EQ(MaxDepthOf(pic.get()), c.want);
        const PictInfo info = InfoOf(pic.get());
        EXPECT_EQ(info.uniqueColors, 2);
        EXPECT_EQ(info.bitMapCount, c.isPixMap ? 0 : 1);
        EXPECT_EQ(info.pixMapCount, c.isPixMap ? 1 : 0);
    }
}

// ---- Version 1 pictures ---------------------------------------------------------

// A version 1 picture: one-byte opcodes, no alignment. It paints a 16 x 2
// bit map (the bits 0xF0F0 and 0x0FF0), then paints a rectangle black.
Bytes8 VersionOnePicture() {
    ByteWriter w;
    w.u16be(0);
    w.rect(MakeRect(0, 0, 4, 16));
    w.u8(0x11), w.u8(0x01);
    w.u8(0xA0), w.u16be(42);  // short comment at an odd offset
    w.u8(0x90);               // BitsRect
    w.u16be(2);
    w.rect(MakeRect(0, 0, 2, 16));
    w.rect(MakeRect(0, 0, 2, 16));
    w.rect(MakeRect(0, 0, 2, 16));
    w.u16be(0);
    w.u8(0xF0), w.u8(0xF0), w.u8(0x0F), w.u8(0xF0);
    w.u8(0x31);  // paintRect
    w.rect(MakeRect(3, 4, 4, 8));
    w.u8(0xFF);
    w.patchU16be(0, UInt16(w.size()));
    return w.buffer();
}

TEST(PictVersionOne, PlaysBitMapsAndShapes) {
    UniqueHandle pic(NewHandleFromBytes(VersionOnePicture()));
    UniqueGWorld out = MakeWorld(8, 16, 4);
    Rect frame;
    QDGetPictureBounds(pic.get(), &frame);
    EXPECT_EQ(frame, MakeRect(0, 0, 4, 16));
    ASSERT_EQ(PlayInto(out.get(), pic.get(), frame), noErr);
    const char* want[] = {"1111000011110000", "0000111111110000", "0000000000000000", "0000111100000000"};
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 16; ++x)
            ASSERT_EQ(Pixel(out.get(), x, y), want[y][x] == '1' ? 255u : 0u) << x << "," << y;  // black, white
    const PictInfo info = InfoOf(pic.get());
    EXPECT_EQ(info.version, 1);
    EXPECT_EQ(info.bitMapCount, 1);
    EXPECT_EQ(info.rectCount, 1);
    EXPECT_EQ(info.commentCount, 1);
    EXPECT_EQ(MaxDepthOf(pic.get()), 1);
}

// ---- Opcodes skipped by length ---------------------------------------------------

TEST(PictSkipping, ReservedOpcodesAreSkippedByTheirPublishedLength) {
    struct Case {
        UInt16 op;
        Bytes8 data;
    };
    const Case cases[] = {
        {0x0017, {}}, {0x0024, {0x00, 0x03, 1, 2, 3}}, {0x0035, Bytes8(8, 1)}, {0x0065, Bytes8(12, 1)},
        {0x006D, Bytes8(4, 1)}, {0x0092, {0x00, 0x01, 9}}, {0x00B5, {}}, {0x00D0, {0x00, 0x00, 0x00, 0x02, 7, 7}},
        {0x0100, {1, 2}}, {0x0C00, Bytes8(24, 0)}, {0x7F00, Bytes8(254, 3)}, {0x8000, {}}, {0x80FF, {}},
        {kPictCompressedQuickTime, {0x00, 0x00, 0x00, 0x05, 1, 2, 3, 4, 5}}, {0xFFFF, {0x00, 0x00, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        ByteWriter w;
        w.bytes(V2Prefix(MakeRect(0, 0, 2, 2)));
        w.u16be(c.op);
        w.bytes(c.data);
        if (w.size() & 1) w.u8(0);
        w.u16be(kPictShortComment), w.u16be(7);
        w.u16be(kPictEndPic);
        struct Last : PictSink {
            std::vector<SInt16> kinds;
            void comment(SInt16 k, std::span<const UInt8>, bool) override { kinds.push_back(k); }
        } sink;
        SCOPED_TRACE(c.op);
        EXPECT_EQ(WalkPicture(w.buffer(), sink), noErr);
        EXPECT_EQ(sink.kinds, std::vector<SInt16>{7});
    }
}

// ---- Hostile pictures -------------------------------------------------------------

// Also at a width whose row counts may be read either size (8-bit rows of
// 201 to 250 bytes).
TEST(PictHostile, EveryTruncationOfARecordedPictureIsSafe) {
    for (const int width : {40, 230}) {
        const Bytes8 full = Bytes(RecordPattern(8, width, 3).pic.get());
        // Where the raster opcode starts and ends.
        struct Find : PictSink {
            std::vector<size_t> at;
            void opcode(UInt16, size_t o) override { at.push_back(o); }
        } f;
        ASSERT_EQ(WalkPicture(full, f), noErr);
        ASSERT_EQ(f.at.size(), 4u);  // header, clip, raster, end
        UniqueGWorld out = MakeWorld(8, width, 3);
        for (size_t n = 0; n < full.size(); ++n) {
            UniqueHandle cut(NewHandleFromBytes(std::span(full).first(n)));
            const OSErr err = PlayInto(out.get(), cut.get(), MakeRect(0, 0, 3, width));
            if (n > f.at[2] + 2 && n < f.at[3] - 1) {  // the last byte may be padding
                EXPECT_EQ(err, badPictErr) << width << " " << n;  // inside the raster
            }
            PictInfo info;
            (void)GetPictInfo(cut.get(), &info, 0, 0, 0, 0);
        }
    }
}

TEST(PictHostile, LyingAndOversizedPicturesAreRefused) {
    struct Case {
        const char* name;
        Bytes8 body;  // after the version opcode
        OSErr want;
    };
    const Case cases[] = {
        {"raster of 16384 x 16384 with one row of data",
         Cat({RasterHeader(kPictPackBitsRect, 8, MakeRect(0, 0, 16384, 16384), 16384 & 0x3FFF), {0, 0}}),
         badPictErr},
        {"raster wider than the cap", RasterHeader(kPictDirectBitsRect, 32, MakeRect(0, 0, 1, 20000), 8000),
         badPictErr},
        {"direct raster whose rows are all missing",
         RasterHeader(kPictDirectBitsRect, 32, MakeRect(0, 0, 4000, 4000), 16000 & 0x3FFF), badPictErr},
        {"row bytes too small for the width", RasterHeader(kPictPackBitsRect, 8, MakeRect(0, 0, 2, 100), 10),
         badPictErr},
        {"row counts that fit neither size", Cat({RasterHeader(kPictDirectBitsRect, 32, MakeRect(0, 0, 2, 64), 256),
                                                  {0x04, 0xC1, 0xFF, 0x81, 0xFF, 0x00, 0x09}}),
         badPictErr},
        {"indexed raster of depth 3", RasterHeader(kPictPackBitsRect, 3, MakeRect(0, 0, 2, 8), 8), badPictErr},
        {"empty raster bounds", RasterHeader(kPictPackBitsRect, 8, MakeRect(5, 5, 5, 9), 8), badPictErr},
        {"long comment longer than the picture", {0x00, 0xA1, 0x00, 0x64, 0x7F, 0xFF, 1, 2}, badPictErr},
        {"region size smaller than its header", {0x00, 0x01, 0x00, 0x04, 0, 0}, badPictErr},
        {"reserved opcode with a huge length", {0x00, 0xD0, 0x7F, 0xFF, 0xFF, 0xFF}, badPictErr},
        {"QuickTime data cut short", {0x82, 0x00, 0x00, 0x01, 0x00, 0x00}, badPictErr},
        {"unknown pixel pattern type", {0x00, 0x13, 0x00, 0x07, 0, 0, 0, 0, 0, 0, 0, 0}, badPictErr},
        {"nothing but no-ops", Bytes8(200000, 0), noErr},
        // Found by fuzzing: an empty point list reached a copy of nothing.
        {"polygon without points", {0x00, 0x71, 0x00, 0x0A, 0, 0, 0, 0, 0, 8, 0, 8}, noErr},
        {"polygon with points", {0x00, 0x71, 0x00, 0x12, 0, 0, 0, 0, 0, 8, 0, 8, 0, 0, 0, 0, 0, 8, 0, 8}, noErr},
    };
    UniqueGWorld out = MakeWorld(32, 8, 8);
    SavedGWorld saved;
    SetGWorld(out.get(), nullptr);
    const Rect r = MakeRect(0, 0, 8, 8);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UniqueHandle pic(NewHandleFromBytes(Cat({V2Prefix(), c.body, {0x00, 0xFF}})));
        EXPECT_EQ(DrawPictureChecked(pic.get(), &r), c.want);
        EXPECT_EQ(QDError(), c.want);
        PictInfo info;
        EXPECT_EQ(GetPictInfo(pic.get(), &info, 0, 0, 0, 0), c.want);
    }
}

TEST(PictHostile, ReusedRegionsHaveAWorkBudget) {
    // A complex region of about 32 KB, then 40000 "paint the same region".
    ByteWriter rgn;
    rgn.u16be(0);
    rgn.rect(MakeRect(0, 0, 2000, 8));
    for (int y = 0; y < 2000; ++y) rgn.s16be(SInt16(y)), rgn.s16be(SInt16(y % 2)), rgn.s16be(8), rgn.s16be(0x7FFF);
    rgn.s16be(0x7FFF);
    rgn.patchU16be(0, UInt16(rgn.size()));
    Bytes8 body = Cat({{0x00, 0x81}, rgn.buffer()});
    for (int i = 0; i < 40000; ++i) body.push_back(0x00), body.push_back(0x89);
    UniqueHandle pic(NewHandleFromBytes(Cat({V2Prefix(), body, {0x00, 0xFF}})));
    PictInfo info;
    EXPECT_EQ(GetPictInfo(pic.get(), &info, 0, 0, 0, 0), badPictErr);
}

TEST(PictHostile, NotAPictureAtAll) {
    const Bytes8 cases[] = {{}, {0, 1}, Bytes8(12, 0), {0, 0, 0, 0, 0, 0, 0, 8, 0, 8, 0x12, 0x34}};
    for (const auto& c : cases) {
        UniqueHandle pic(NewHandleFromBytes(c));
        InfoOf(pic.get(), badPictErr);
        PicHandle fromFile = nullptr;
        EXPECT_EQ(PictureFromFileBytes(c, &fromFile), badPictErr);
        EXPECT_EQ(fromFile, nullptr);
    }
}

// ---- PICT files ------------------------------------------------------------------

TEST(PictFiles, HeaderOrBarePictureIsFound) {
    const Bytes8 pict = VersionOnePicture();
    UniqueHandle pic(NewHandleFromBytes(pict));
    const Bytes8 file = PictFileBytes(pic.get());
    ASSERT_EQ(file.size(), pict.size() + 512);
    EXPECT_TRUE(std::all_of(file.begin(), file.begin() + 512, [](UInt8 b) { return b == 0; }));
    EXPECT_EQ(PictureOffsetInFile(file), 512);
    EXPECT_EQ(PictureOffsetInFile(pict), 0);
    // A bare picture longer than 512 bytes whose tail is not a picture.
    Bytes8 bare = Cat({V2Prefix(), Bytes8(600, 0), {0x00, 0xFF}});
    EXPECT_EQ(PictureOffsetInFile(bare), 0);

    TempFolder tmp;
    const std::string path = tmp / "file.pict";
    ASSERT_EQ(WritePictFile(path.c_str(), pic.get()), noErr);
    PicHandle back = nullptr;
    ASSERT_EQ(ReadPictFile(path.c_str(), &back), noErr);
    UniqueHandle owned(back);
    EXPECT_EQ(Bytes(back), pict);
}

TEST(PictDirect16, WordRunsWidenToEightBitComponents) {
    // One row: a run of three 0x7C00 (pure red in 1-5-5-5) words, then 0x03EF,
    // then a pad to an even offset.
    UniqueHandle pic(NewHandleFromBytes(Direct16Picture(1, {6, 254, 0x7C, 0x00, 0, 0x03, 0xEF, 0})));
    UniqueGWorld out = MakeWorld(32, 4, 1);
    ASSERT_EQ(PlayInto(out.get(), pic.get(), MakeRect(0, 0, 1, 4)), noErr);
    EXPECT_EQ(Pixel(out.get(), 0, 0), 0xFF0000u);
    EXPECT_EQ(Pixel(out.get(), 2, 0), 0xFF0000u);
    // 0x03EF: red 0, green 31, blue 15 -> 0x00, 0xFF, 0x7B.
    EXPECT_EQ(Pixel(out.get(), 3, 0), 0x00FF7Bu);
    EXPECT_EQ(MaxDepthOf(pic.get()), 32);
    const PictInfo info = InfoOf(pic.get());
    EXPECT_EQ(info.depth, 16);
    EXPECT_EQ(info.uniqueColors, 2);
}

// Shapes, lines and text are recorded as opcodes, play back as drawn and are
// counted; none of them is a raster.
TEST(PictDrawing, RecordedDrawingPlaysAsDrawnAndIsCounted) {
    const Rect r = MakeRect(0, 0, 20, 40);
    const RGBColor red{0xFFFF, 0, 0}, green{0, 0x8000, 0}, blue{0, 0, 0xFFFF};
    UniqueHandle shapes = ExpectPlaysAsDrawn(r, [&](GWorldPtr g) {
        SetGWorld(g, nullptr);
        EraseRect(&r);
        RGBForeColor(&red);
        Rect a = MakeRect(2, 2, 8, 10), b = MakeRect(10, 3, 18, 21), c = MakeRect(12, 12, 16, 16);
        PaintRect(&a);
        PenSize(2, 2);
        FrameOval(&b);
        RGBForeColor(&blue);
        MoveTo(1, 19);
        LineTo(22, 1);
        FrameRect(&c);
        PenNormal();
    });
    const PictInfo info = InfoOf(shapes.get());
    EXPECT_EQ(info.rectCount, 3);  // erase, paint, frame
    EXPECT_EQ(info.ovalCount, 1);
    EXPECT_EQ(info.lineCount, 1);
    EXPECT_EQ(info.uniqueColors, 3);  // white erase, red, blue
    EXPECT_EQ(info.pixMapCount + info.bitMapCount, 0);
    EXPECT_EQ(MaxDepthOf(shapes.get()), 0);

    UniqueHandle text = ExpectPlaysAsDrawn(r, [&](GWorldPtr g) {
        SetGWorld(g, nullptr);
        EraseRect(&r);
        RGBForeColor(&green);
        TextSize(12);
        TextFace(bold);
        MoveTo(2, 15);
        DrawText("Hi!", 0, 3);
        MoveTo(1, 19);
        LineTo(38, 19);
    });
    const std::vector<UInt16> want = {kPictHeaderOp, kPictClipRgn, UInt16(0x0032) /* eraseRect */,
                                      kPictRGBFgCol, kPictTxFace,  kPictTxSize,
                                      kPictLongText, kPictLine,    kPictEndPic};
    EXPECT_EQ(Opcodes(text.get()), want);
    UniqueGWorld out = MakeWorld(32, 40, 20);
    ASSERT_EQ(PlayInto(out.get(), text.get(), r), noErr);
    int inked = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) inked += Pixel(out.get(), x, y) == 0x008000u;
    EXPECT_GT(inked, 38);  // the line and some of the glyphs
    EXPECT_EQ(InfoOf(text.get()).textCount, 1);
    EXPECT_EQ(MaxDepthOf(text.get()), 0);
}

// Text longer than one text opcode holds is cut into pieces that continue
// where the previous piece ended.
TEST(PictText, LongRunsAreCutAndContinue) {
    std::string s(300, 'i');
    s[0] = 'W';
    UniqueGWorld on = MakeWorld(8, 8, 8);
    Rect r = MakeRect(0, 0, 8, 8);
    SavedGWorld saved;
    SetGWorld(on.get(), nullptr);
    UniqueHandle pic(OpenPicture(&r));
    MoveTo(3, 6);
    DrawText(s.data(), 0, SInt16(s.size()));
    const SInt16 firstWidth = TextWidth(s.data(), 0, 255);
    ClosePicture();
    struct Texts : PictSink {
        std::vector<std::pair<Point, size_t>> runs;
        void text(Point at, std::span<const UInt8> c) override { runs.push_back({at, c.size()}); }
    } t;
    ASSERT_EQ(WalkPicture(HandleBytes(pic.get()), t), noErr);
    ASSERT_EQ(t.runs.size(), 2u);
    EXPECT_EQ(t.runs[0].first, (Point{6, 3}));
    EXPECT_EQ(t.runs[0].second, 255u);
    EXPECT_EQ(t.runs[1].first, (Point{6, SInt16(3 + firstWidth)}));
    EXPECT_EQ(t.runs[1].second, 45u);
    EXPECT_GT(firstWidth, 255);  // 'W' plus 254 'i' is wider than one byte could say
}

}  // namespace
