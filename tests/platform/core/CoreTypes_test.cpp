// Handles, the checked byte reader, rectangle arithmetic and length-prefixed
// strings: the pieces every parser and every procedure stands on.
#include "platform/core/ByteIO.h"
#include "platform/core/Geometry.h"
#include "platform/core/Memory.h"
#include "platform/core/PString.h"
#include "platform/core/TextEncoding.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

TEST(Handles, ResizeKeepsBytesAndLockedBlocksDoNotGrow) {
    UniqueHandle h(NewHandleClear(4));
    ASSERT_TRUE(h);
    EXPECT_EQ(GetHandleSize(h.get()), 4);
    (*h.get())[0] = 'K';
    SetHandleSize(h.get(), 1000);
    ASSERT_EQ(MemError(), noErr);
    EXPECT_EQ((*h.get())[0], 'K');
    HLock(h.get());
    SetHandleSize(h.get(), 2000);
    EXPECT_EQ(MemError(), memWZErr);
    EXPECT_EQ(GetHandleSize(h.get()), 1000);
    SetHandleSize(h.get(), 10);  // shrinking a locked block is allowed
    EXPECT_EQ(MemError(), noErr);
    EXPECT_EQ(GetHandleSize(h.get()), 10);
}

TEST(Handles, CopiesAreIndependentAndAppendingToItselfWorks) {
    const std::array<UInt8, 3> bytes{1, 2, 3};
    Handle h = nullptr;
    ASSERT_EQ(PtrToHand(bytes.data(), &h, 3), noErr);
    UniqueHandle owner(h);
    Handle copy = h;
    ASSERT_EQ(HandToHand(&copy), noErr);
    UniqueHandle copyOwner(copy);
    ASSERT_NE(copy, h);
    (*copy)[0] = 9;
    EXPECT_EQ((*h)[0], 1);
    ASSERT_EQ(HandAndHand(h, h), noErr);
    EXPECT_EQ(std::vector<UInt8>(HandleBytes(h).begin(), HandleBytes(h).end()),
              (std::vector<UInt8>{1, 2, 3, 1, 2, 3}));
}

TEST(Handles, ImpossibleSizesFailWithoutAllocating) {
    EXPECT_EQ(NewHandle(-1), nullptr);
    EXPECT_EQ(MemError(), memFullErr);
    EXPECT_EQ(NewHandle(kMaxHandleSize + 1), nullptr);
    UniqueHandle h(NewHandle(0));
    ASSERT_TRUE(h);
    EXPECT_NE(*h.get(), nullptr);  // even an empty block has a master pointer
    SetHandleSize(h.get(), -5);
    EXPECT_EQ(MemError(), memFullErr);
}

TEST(ByteReader, ReadsBothByteOrdersAndFailsStickilyAtTheEnd) {
    const std::array<UInt8, 7> bytes{0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE};
    ByteReader r(bytes);
    EXPECT_EQ(r.u16be(), 0x1234);
    EXPECT_EQ(r.u16le(), 0x7856);
    EXPECT_EQ(r.s16be(), SInt16(0x9ABC));
    EXPECT_TRUE(r.ok());
    EXPECT_EQ(r.u32be(), 0u);  // only one byte left
    EXPECT_EQ(r.u8(), 0);      // stays failed
    EXPECT_TRUE(r.failed() && r.remaining() == 0u);
}

TEST(ByteReader, SeekAndSkipRefuseOffsetsPastTheEnd) {
    const std::array<UInt8, 4> bytes{1, 2, 3, 4};
    ByteReader r(bytes), s(bytes);
    EXPECT_TRUE(r.seek(4) && r.atEnd());
    EXPECT_FALSE(r.seek(5));
    EXPECT_TRUE(s.skip(3));
    EXPECT_FALSE(s.skip(size_t(-1)));  // no wrap-around
    EXPECT_TRUE(s.failed());
}

TEST(Geometry, RectangleArithmeticIsHalfOpen) {
    Rect a = MakeRect(0, 0, 10, 10), b = MakeRect(10, 0, 20, 10), empty{}, out;
    EXPECT_FALSE(SectRect(&a, &b, &out));  // touching edges do not overlap
    EXPECT_EQ(out, Rect{});
    EXPECT_TRUE(PtInRect(Point{9, 9}, &a) && !PtInRect(Point{10, 9}, &a));
    UnionRect(&a, &b, &out);
    EXPECT_EQ(out, MakeRect(0, 0, 20, 10));
    UnionRect(&empty, &b, &out);
    EXPECT_EQ(out, b);
    InsetRect(&a, 5, 5);
    EXPECT_TRUE(EmptyRect(&a));
}

TEST(Geometry, MapPointScalesAndFloorsNegativeOffsets) {
    const Rect src = MakeRect(0, 0, 10, 10), dst = MakeRect(0, 0, 40, 20);
    Point p{3, 5};  // v, h
    MapPt(&p, &src, &dst);
    EXPECT_EQ(p, (Point{12, 10}));
    Point q{-1, -1};
    MapPt(&q, &dst, &src);  // -1/4 and -1/2 round towards minus infinity
    EXPECT_EQ(q, (Point{-1, -1}));
    Rect r = MakeRect(1, 1, 3, 3);
    MapRect(&r, &src, &dst);
    EXPECT_EQ(r, MakeRect(4, 2, 12, 6));
}

TEST(PString, UTF8IsNeverCutInsideACharacter) {
    // "é" is two bytes: C3 A9. Cutting at 2 bytes of "aé" must drop the é.
    EXPECT_EQ(TruncateUtf8("a\xC3\xA9", 2), "a");
    EXPECT_EQ(TruncateUtf8("a\xC3\xA9", 3), "a\xC3\xA9");
    EXPECT_EQ(TruncateUtf8("\xE2\x82\xAC\xE2\x82\xAC", 4), "\xE2\x82\xAC");
    Str255 s;
    CopyCStringToPascal(std::string(300, 'x'), s);
    EXPECT_EQ(s[0], 255);
    Str31 shortName;
    CopyCStringToPascal("ab\xC3\xA9", shortName, 3);
    EXPECT_EQ(PStringToStd(shortName), "ab");
    Str255 a, b;
    CopyCStringToPascal("Kor", a);
    CopyCStringToPascal("vel", b);
    PStrCat(a, b);
    EXPECT_EQ(PStringToStd(a), "Korvel");
}

TEST(TextEncoding, UTF8StaysAndOtherBytesReadAsMacRoman) {
    EXPECT_EQ(LegacyTextToUtf8("Icon \xC3\xA9"), "Icon \xC3\xA9");   // valid UTF-8 kept
    EXPECT_EQ(LegacyTextToUtf8("Caf\x8E"), "Caf\xC3\xA9");           // 0x8E is é
    EXPECT_EQ(LegacyTextToUtf8("\xA5\xF0"), "\xE2\x80\xA2\xEF\xA3\xBF");  // bullet, the logo code point
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));                           // overlong
    EXPECT_FALSE(IsValidUtf8("\xE2\x82"));                           // cut short
    EXPECT_FALSE(IsValidUtf8("\xF5\x80\x80\x80"));                   // beyond U+10FFFF
}
