#include "platform/core/ByteIO.h"
#include "platform/files/AppleDouble.h"
#include "platform/files/MacBinary.h"
#include "tests/platform/files/TempFolder.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// A container built by hand: header and an entry table of (id, offset,
// length) over `size` bytes of zeros.
std::vector<UInt8> Container(UInt32 magic, std::vector<std::array<UInt32, 3>> table, size_t size) {
    ByteWriter w;
    w.u32be(magic);
    w.u32be(kAppleDoubleVersion2);
    w.zeros(16);
    w.u16be(UInt16(table.size()));
    for (const auto& e : table) {
        w.u32be(e[0]);
        w.u32be(e[1]);
        w.u32be(e[2]);
    }
    auto b = w.buffer();
    if (b.size() < size) b.resize(size, 0);
    return b;
}

TEST(AppleDouble, RoundTripKeepsUnknownEntriesAndTheirBytes) {
    AppleDoubleFile f = NewAppleDouble();
    f.magic = kAppleSingleMagic;
    std::vector<UInt8> finder(0x40, 0xAB);  // longer than 32: extended attributes follow
    f.set(kEntryFinderInfo, finder);
    f.set(0x12345678, TextBytes("private entry"));
    f.set(kEntryFileDates, std::vector<UInt8>(16, 7));
    f.set(kEntryResourceFork, {});
    f.set(kEntryDataFork, TextBytes("data"));
    auto once = WriteAppleDouble(f);
    AppleDoubleFile g;
    ASSERT_EQ(ParseAppleDouble(once, &g), noErr);
    EXPECT_EQ(g.magic, kAppleSingleMagic);
    EXPECT_EQ(g.filler, f.filler);
    ASSERT_EQ(g.entries.size(), 5u);
    EXPECT_EQ(g.find(0x12345678)->bytes, TextBytes("private entry"));
    EXPECT_EQ(g.find(kEntryFinderInfo)->bytes, finder);
    EXPECT_EQ(WriteAppleDouble(g), once);

    std::array<UInt8, 32> info{};
    info.fill(0x11);
    SetFinderInfoBytes(&g, info);
    auto& e = g.find(kEntryFinderInfo)->bytes;
    ASSERT_EQ(e.size(), 0x40u);
    EXPECT_EQ(e[31], 0x11);
    EXPECT_EQ(e[32], 0xAB);  // what follows the 32 bytes stays
    EXPECT_EQ(FinderInfoBytes(g), info);
}

TEST(AppleDouble, HostileHeadersAreRefused) {
    const size_t kSize = 200;
    const struct {
        const char* why;
        std::vector<UInt8> bytes;
        OSErr err;
    } cases[] = {
        {"too short for a magic", {0x00, 0x05}, paramErr},
        {"wrong magic", Container(0x00051608, {}, kSize), paramErr},
        {"entry table longer than the file", Container(kAppleDoubleMagic, {{9, 50, 32}, {2, 82, 0}}, 40), ioErr},
        {"huge entry count", [] {
             auto b = Container(kAppleDoubleMagic, {}, 64);
             b[24] = 0xFF;
             b[25] = 0xFF;
             return b;
         }(), ioErr},
        {"entry past the end", Container(kAppleDoubleMagic, {{2, 50, 151}}, kSize), ioErr},
        {"offset past the end", Container(kAppleDoubleMagic, {{2, 201, 0}}, kSize), ioErr},
        {"length wraps around", Container(kAppleDoubleMagic, {{2, 50, 0xFFFFFFF0}}, kSize), ioErr},
        {"entries overlap", Container(kAppleDoubleMagic, {{9, 62, 32}, {2, 90, 10}}, kSize), ioErr},
        {"entry over the table", Container(kAppleDoubleMagic, {{9, 20, 32}}, kSize), ioErr},
        {"id twice", Container(kAppleDoubleMagic, {{2, 62, 4}, {2, 70, 4}}, kSize), ioErr},
        {"truncated table", Container(kAppleDoubleMagic, {{2, 50, 4}}, 30), ioErr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        AppleDoubleFile f;
        EXPECT_EQ(ParseAppleDouble(c.bytes, &f), c.err);
    }
    // Zero-length entries may share an offset (AppleSingle files do this).
    AppleDoubleFile f;
    EXPECT_EQ(ParseAppleDouble(Container(kAppleSingleMagic, {{1, 62, 0}, {2, 62, 8}, {9, 70, 32}}, 102), &f),
              noErr);
    EXPECT_EQ(f.entries.size(), 3u);
}

TEST(MacBinary, CrcMatchesTheXmodemCheckValue) {
    EXPECT_EQ(Crc16Xmodem(TextBytes("123456789")), 0x31C3);
    EXPECT_EQ(Crc16Xmodem({}), 0);
    EXPECT_EQ(Crc16Xmodem(TextBytes("56789"), Crc16Xmodem(TextBytes("1234"))), 0x31C3);
}

MacBinaryFile Sample() {
    MacBinaryFile f;
    f.name = "Icon File";
    f.fileType = FourCC("rsrc");
    f.creator = FourCC("RSED");
    f.finderFlags = 0x4102;  // high and low bytes both set
    f.location = Point{-5, 300};
    f.folder = 7;
    f.creationDate = 0xB0000001;
    f.modificationDate = 0xB0000002;
    f.dataFork = TextBytes("data fork, 129 bytes: ");
    f.dataFork.resize(129, 'd');
    f.resourceFork = TextBytes("resources");
    return f;
}

TEST(MacBinary, RoundTripsVersionsTwoAndThree) {
    for (int version : {2, 3}) {
        SCOPED_TRACE(version);
        MacBinaryFile f = Sample();
        f.version = version;
        auto b = WriteMacBinary(f);
        EXPECT_EQ(BE32(b, 102), version == 3 ? kMacBinaryIIISignature : 0u);
        MacBinaryFile g;
        ASSERT_EQ(ParseMacBinary(b, &g), noErr);
        auto fields = [](const MacBinaryFile& m) {
            return std::tie(m.version, m.name, m.fileType, m.creator, m.finderFlags, m.location.v, m.location.h,
                            m.folder, m.creationDate, m.modificationDate, m.dataFork, m.resourceFork);
        };
        EXPECT_EQ(fields(g), fields(f));
    }
    // The last fork may end unpadded.
    auto b = WriteMacBinary(Sample());
    b.resize(128 + 256 + 9);
    MacBinaryFile g;
    ASSERT_EQ(ParseMacBinary(b, &g), noErr);
    EXPECT_EQ(g.resourceFork, TextBytes("resources"));
    // A long UTF-8 name is cut whole.
    MacBinaryFile f = Sample();
    f.name = std::string(62, 'a') + "\xC3\xA9";
    ASSERT_EQ(ParseMacBinary(WriteMacBinary(f), &g), noErr);
    EXPECT_EQ(g.name, std::string(62, 'a'));
}

TEST(MacBinary, HostileHeadersAreRefused) {
    auto good = WriteMacBinary(Sample());
    auto withCrc = [](std::vector<UInt8> b) {
        UInt16 crc = Crc16Xmodem(std::span(b).first(124));
        b[124] = UInt8(crc >> 8);
        b[125] = UInt8(crc);
        return b;
    };
    auto poke = [&](size_t at, UInt8 v, bool fixCrc) {
        auto b = good;
        b[at] = v;
        return fixCrc ? withCrc(b) : b;
    };
    const struct {
        const char* why;
        std::vector<UInt8> bytes;
        OSErr err;
    } cases[] = {
        {"shorter than a header", std::vector<UInt8>(good.begin(), good.begin() + 127), paramErr},
        {"byte 0 not zero", poke(0, 1, true), paramErr},
        {"empty name", poke(1, 0, true), paramErr},
        {"name longer than 63", poke(1, 64, true), paramErr},
        {"byte 74 not zero", poke(74, 1, true), paramErr},
        {"byte 82 not zero", poke(82, 1, true), paramErr},
        {"bad CRC", poke(124, good[124] ^ 1, false), paramErr},
        {"data fork past the end", poke(85, 0x10, true), ioErr},
        {"resource fork past the end", poke(89, 0x10, true), ioErr},
        {"fork length over 2 GB", poke(83, 0x80, true), paramErr},
        {"secondary header past the end", poke(120, 0xFF, true), ioErr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        MacBinaryFile f;
        EXPECT_EQ(ParseMacBinary(c.bytes, &f), c.err);
    }
    // Text is never MacBinary.
    EXPECT_FALSE(LooksLikeMacBinary(std::vector<UInt8>(128, ' ')));
}

}  // namespace
