#include "platform/raster/TransferModes.h"

#include <gtest/gtest.h>

using namespace xfer;

namespace {

// Per-bit truth tables of the eight boolean modes: result bit for (s, d) in
// the order (0,0), (0,1), (1,0), (1,1).
struct TruthCase {
    SInt16 mode;
    int bits[4];
};
const TruthCase kTruth[] = {
    {srcCopy, {0, 0, 1, 1}},    {srcOr, {0, 1, 1, 1}},      {srcXor, {0, 1, 1, 0}},
    {srcBic, {0, 1, 0, 0}},     {notSrcCopy, {1, 1, 0, 0}}, {notSrcOr, {1, 1, 0, 1}},
    {notSrcXor, {1, 0, 0, 1}},  {notSrcBic, {0, 0, 0, 1}},
};

UInt32 FromTruth(const int bits[4], UInt32 s, UInt32 d, int width) {
    UInt32 r = 0;
    for (int b = 0; b < width; ++b) {
        const int sb = (s >> b) & 1, db = (d >> b) & 1;
        r |= UInt32(bits[sb * 2 + db]) << b;
    }
    return r;
}

}  // namespace

// Every index pair at depths 1, 2 and 4, every mode, bit by bit.
TEST(TransferModes, IndexOpsFollowTruthTablesAtEveryDepth) {
    for (const auto& t : kTruth) {
        for (int depth : {1, 2, 4}) {
            const UInt32 mask = (1u << depth) - 1;
            for (UInt32 s = 0; s <= mask; ++s)
                for (UInt32 d = 0; d <= mask; ++d)
                    ASSERT_EQ(IndexOpFor(t.mode)(s, d, mask), FromTruth(t.bits, s, d, depth))
                        << "mode " << t.mode << " depth " << depth << " s " << s << " d " << d;
        }
        // Pattern modes reuse the same operation.
        EXPECT_EQ(IndexOpFor(SInt16(t.mode + 8)), IndexOpFor(t.mode));
    }
    // 8-bit values never spill over the mask.
    EXPECT_EQ(IndexNotCopy(0x0F, 0, 0xFF), 0xF0u);
    EXPECT_EQ(IndexNotOr(0xF0, 0x01, 0xFF), 0x0Fu);
}

// In ink space a 32-bit pixel behaves as an inverted index: the direct op on
// (s, d) equals the complement of the index op on (~s, ~d).
TEST(TransferModes, DirectOpsAreIndexOpsInInkSpace) {
    // Together with the index truth tables this pins every direct op exactly.
    const UInt32 samples[] = {0x000000, 0xFFFFFF, 0x123456, 0xFF0000, 0x00FF00, 0x80C0E0, 0x7F3F1F};
    for (const auto& t : kTruth)
        for (UInt32 s : samples)
            for (UInt32 d : samples) {
                const UInt32 ink = IndexOpFor(t.mode)(~s & kRGBMask, ~d & kRGBMask, kRGBMask);
                ASSERT_EQ(DirectOpFor(t.mode)(s, d), ~ink & kRGBMask) << t.mode;
                // The pad byte of the inputs never leaks into the result.
                ASSERT_EQ(DirectOpFor(t.mode)(s | 0xAB000000u, d | 0xCD000000u), ~ink & kRGBMask);
            }
}

TEST(TransferModes, OneBitActions) {
    using A = BitAction;
    struct Case {
        SInt16 mode;
        A clear, set;
    };
    const Case cases[] = {
        {srcCopy, A::Back, A::Fore},     {srcOr, A::Keep, A::Fore},      {srcXor, A::Keep, A::Invert},
        {srcBic, A::Keep, A::Back},      {notSrcCopy, A::Fore, A::Back}, {notSrcOr, A::Fore, A::Keep},
        {notSrcXor, A::Invert, A::Keep}, {notSrcBic, A::Back, A::Keep},  {patCopy, A::Back, A::Fore},
        {patXor, A::Keep, A::Invert},    {notPatBic, A::Back, A::Keep},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OneBitAction(c.mode, false), c.clear) << c.mode;
        EXPECT_EQ(OneBitAction(c.mode, true), c.set) << c.mode;
    }
    EXPECT_EQ(InvertIndex(0x05, 0xFF), 0xFAu);
    EXPECT_EQ(InvertIndex(0x1, 0x3), 0x2u);
    EXPECT_EQ(InvertDirect(0xFF123456), 0xEDCBA9u);
}

TEST(TransferModes, WidenAndNarrowAreInverse) {
    for (int c = 0; c < 256; ++c) {
        ASSERT_EQ(Widen8(UInt8(c)), UInt16(c << 8 | c));
        ASSERT_EQ(Narrow16(Widen8(UInt8(c))), c);
    }
    EXPECT_EQ(Narrow16(0x80FF), 0x80);
    EXPECT_EQ(RGBTo24(RGBFrom24(0xAB123456)), 0x123456u);
}

TEST(TransferModes, BlendEndsAndRounding) {
    // Weight 0 keeps the destination, full weight gives the source, for every
    // 8-bit level pair (widened).
    for (int s = 0; s < 256; s += 5)
        for (int d = 0; d < 256; d += 3) {
            ASSERT_EQ(BlendComponent(Widen8(UInt8(s)), Widen8(UInt8(d)), 0), Widen8(UInt8(d)));
            ASSERT_EQ(BlendComponent(Widen8(UInt8(s)), Widen8(UInt8(d)), 0xFFFF), Widen8(UInt8(s)));
        }
    struct Case {
        UInt16 s, d, w, want;
    };
    const Case cases[] = {
        {0xFFFF, 0, 0x8000, 0x8000},  // 65535 * 32768 / 65535
        {0, 0xFFFF, 0x8000, 0x7FFF},  // 65535 * 32767 / 65535
        {0xFFFF, 0, 0x4000, 0x4000},
        {0xFFFF, 0, 0xC000, 0xC000},
        {100, 0, 0x8000, 50},  // 100 * 32768 / 65535 = 50.0008
        {3, 0, 0x8000, 2},     // 1.50002 rounds up
        {1, 0, 0x7FFF, 0},     // 0.49999 rounds down
        {0x1000, 0x3000, 0x8000, 0x2000},
    };
    for (const auto& c : cases) EXPECT_EQ(BlendComponent(c.s, c.d, c.w), c.want) << c.s << " " << c.d << " " << c.w;
}

TEST(TransferModes, PinnedArithmetic) {
    struct Case {
        SInt16 mode;
        UInt16 s, d, op, want;
    };
    const Case cases[] = {
        {addPin, 0x2222, 0x1000, 0xFFFF, 0x3222}, {addPin, 0x2222, 0xF000, 0xFFFF, 0xFFFF},
        {addPin, 0x2222, 0x1000, 0x3000, 0x3000}, {addPin, 0, 0x5000, 0x3000, 0x3000},
        {subPin, 0x2222, 0x3000, 0, 0x0DDE},      {subPin, 0x2222, 0x1000, 0, 0},
        {subPin, 0x2222, 0x3000, 0x1000, 0x1000}, {subPin, 0x0001, 0xFFFF, 0, 0xFFFE},
        {blend, 0xFFFF, 0x0000, 0x8000, 0x8000},
    };
    for (const auto& c : cases) EXPECT_EQ(ArithmeticOpFor(c.mode)(c.s, c.d, c.op), c.want) << c.mode;
    const RGBColor r = ApplyArithmetic(AddPinComponent, {0x2222, 0x2222, 0x2222}, {0xF000, 0x1000, 0}, {0xFFFF, 0xFFFF, 0x1000});
    EXPECT_EQ(r, (RGBColor{0xFFFF, 0x3222, 0x1000}));
}
