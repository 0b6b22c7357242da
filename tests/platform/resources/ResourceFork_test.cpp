#include "platform/resources/ResourceFork.h"

#include "platform/core/ByteIO.h"
#include "tests/platform/resources/ResourceTestSupport.h"

#include <algorithm>
#include <functional>

namespace {

using namespace restest;

constexpr ResType kTest = FourCC("TEST");

void Put32(std::vector<UInt8>& b, size_t at, UInt32 v) {
    b[at] = UInt8(v >> 24);
    b[at + 1] = UInt8(v >> 16);
    b[at + 2] = UInt8(v >> 8);
    b[at + 3] = UInt8(v);
}
void Put16(std::vector<UInt8>& b, size_t at, UInt16 v) {
    b[at] = UInt8(v >> 8);
    b[at + 1] = UInt8(v);
}

// One 'TEST' 128 named "ab", purgeable, holding 1 2 3, written out by hand.
std::vector<UInt8> TinyFork() {
    std::vector<UInt8> b = {0, 0, 1, 0, 0, 0, 1, 7, 0, 0, 0, 7, 0, 0, 0, 0x35};
    b.resize(256, 0);
    for (UInt8 v : {0, 0, 0, 3, 1, 2, 3}) b.push_back(v);
    const std::vector<UInt8> map = {
        0, 0, 1, 0, 0, 0, 1, 7, 0, 0, 0, 7, 0, 0, 0, 0x35,  // header copy
        0, 0, 0, 0, 0, 0,                                    // handle, reference number
        0, 0,                                                // file attributes
        0, 0x1C, 0, 0x32,                                    // type list, name list
        0, 0,                                                // one type
        'T', 'E', 'S', 'T', 0, 0, 0, 0x0A,                   // one resource, references at 10
        0, 0x80, 0, 0, 0x20, 0, 0, 0, 0, 0, 0, 0,            // 128, name at 0, purgeable, data at 0
        2, 'a', 'b',
    };
    b.insert(b.end(), map.begin(), map.end());
    return b;
}

// Two 'TEST' resources (1 and 2) and one 'ABCD' 5, each with 2 data bytes.
std::vector<UInt8> ThreeResourceFork() {
    return Fork({Res(kTest, 1, {1, 1}, "one"), Res(kTest, 2, {2, 2}), Res(FourCC("ABCD"), 5, {5, 5}, "five")});
}

TEST(ResourceForkWrite, RefusesWhatCannotBeRepresented) {
    auto image = [](std::vector<ForkResource> resources) {
        ResourceForkImage img;
        img.resources = std::move(resources);
        return img;
    };
    ForkResource longName = Res(kTest, 1, {}, "");
    longName.name.assign(256, 'x');
    std::vector<ForkResource> many;
    for (int i = 0; i < 6000; ++i) many.push_back(Res(kTest, ResID(i), {}));
    const struct {
        const char* what;
        ResourceForkImage image;
    } cases[] = {
        {"same type and ID twice", image({Res(kTest, 1, {}), Res(kTest, 1, {})})},
        {"a name longer than 255 bytes", image({longName})},
        {"more references than 16-bit map offsets reach", image(many)},
        {"data past the 24-bit offsets",
         image({Res(FourCC("BIG "), 1, std::string(size_t(1) << 24, 0)), Res(FourCC("BIG "), 2, {})})},
    };
    for (const auto& c : cases) {
        std::vector<UInt8> out;
        EXPECT_EQ(SerializeResourceFork(c.image, &out), addResFailed) << c.what;
    }
}

// Deterministic mixed images: decoding gives the resources back grouped by
// type in order of first appearance, without the changed bits, and writing
// what was read reproduces the bytes.
TEST(ResourceForkWrite, RoundTripLaws) {
    UInt32 seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int trial = 0; trial < 50; ++trial) {
        ResourceForkImage image;
        image.fileAttributes = UInt16(next() << 1 | UInt32(trial & 1));
        for (size_t i = 0; i < image.headerData.size(); ++i) image.headerData[i] = UInt8(next());
        const int count = int(next() % 40);
        for (int i = 0; i < count; ++i) {
            ForkResource r;
            r.type = FourCC("T000") + next() % 5;
            r.id = ResID(i * 7 - 100);
            r.attributes = UInt8(next());
            r.data.resize(next() % 300);
            for (UInt8& v : r.data) v = UInt8(next());
            if (next() % 2) {
                r.hasName = true;
                r.name.assign(next() % 20, char('a' + next() % 26));
            }
            image.resources.push_back(r);
        }
        std::vector<UInt8> once, twice;
        ASSERT_EQ(SerializeResourceFork(image, &once), noErr);
        ResourceForkImage back;
        ASSERT_EQ(ParseResourceFork(once, &back), noErr);
        ASSERT_EQ(SerializeResourceFork(back, &twice), noErr);
        EXPECT_EQ(once, twice) << "trial " << trial;
        std::vector<ForkResource> grouped;
        for (const ForkResource& first : image.resources) {
            if (std::any_of(grouped.begin(), grouped.end(), [&](auto& g) { return g.type == first.type; })) continue;
            for (ForkResource r : image.resources) {
                r.attributes &= UInt8(~resChanged);
                if (r.type == first.type) grouped.push_back(r);
            }
        }
        EXPECT_EQ(back.resources, grouped);
        EXPECT_EQ(back.fileAttributes, image.fileAttributes & ~mapChanged);
        EXPECT_EQ(back.headerData, image.headerData);
    }
}

TEST(ResourceForkParse, HostileMapsAreRefused) {
    const std::vector<UInt8> tiny = TinyFork();
    const size_t map = 0x107;  // the tiny fork's map
    struct Case {
        const char* what;
        std::vector<UInt8> base;
        std::function<void(std::vector<UInt8>&)> mutate;
    };
    const std::vector<UInt8> three = ThreeResourceFork();
    ByteReader hr(three);
    hr.skip(4);
    const size_t map3 = hr.u32be();
    const size_t types3 = map3 + 28;  // type list of the three-resource fork
    const std::vector<Case> cases = {
        {"data offset past the end", tiny, [](auto& b) { Put32(b, 0, 0x10000); }},
        {"data offset inside the header", tiny, [](auto& b) { Put32(b, 0, 8); }},
        {"data length past the end", tiny, [](auto& b) { Put32(b, 8, 0x1000); }},
        {"map offset past the end", tiny, [](auto& b) { Put32(b, 4, 0x1000); }},
        {"map overlapping the header", tiny, [](auto& b) { Put32(b, 4, 0); }},
        {"map length past the end", tiny, [](auto& b) { Put32(b, 12, 0x36); }},
        {"map too short for its header", tiny, [](auto& b) { Put32(b, 12, 20); }},
        {"map overlapping the data", tiny, [](auto& b) { Put32(b, 4, 0x104); }},
        {"type list inside the map header", tiny, [=](auto& b) { Put16(b, map + 24, 10); }},
        {"type list past the map", tiny, [=](auto& b) { Put16(b, map + 24, 0x40); }},
        {"name list past the map", tiny, [=](auto& b) { Put16(b, map + 26, 0x36); }},
        {"type count running into the names", tiny, [=](auto& b) { Put16(b, map + 28, 5); }},
        {"negative type count", tiny, [=](auto& b) { Put16(b, map + 28, 0xFFF0); }},
        {"reference count running past the list", tiny, [=](auto& b) { Put16(b, map + 34, 3); }},
        {"reference list over the type list", tiny, [=](auto& b) { Put16(b, map + 36, 2); }},
        {"data offset outside the data area", tiny, [=](auto& b) { b[map + 43] = 6; }},
        {"data length that lies", tiny, [](auto& b) { Put32(b, 256, 4); }},
        {"name offset past the name list", tiny, [=](auto& b) { Put16(b, map + 40, 3); }},
        {"negative name offset", tiny, [=](auto& b) { Put16(b, map + 40, 0xFFFE); }},
        {"name length past the name list", tiny, [=](auto& b) { b[map + 50] = 3; }},
        {"the same ID twice", three, [=](auto& b) { Put16(b, types3 + 2 + 16 + 12, 1); }},
        {"two references sharing data", three, [=](auto& b) { b[types3 + 2 + 16 + 12 + 7] = 0; }},
        {"a type listed twice", three, [=](auto& b) { Put32(b, types3 + 2 + 8, FourCC("TEST")); }},
        {"two types sharing a reference list", three, [=](auto& b) { Put16(b, types3 + 2 + 8 + 6, 18); }},
        {"an AppleDouble header", tiny, [](auto& b) { Put32(b, 0, 0x00051607); }},
    };
    for (const Case& c : cases) {
        std::vector<UInt8> bytes = c.base;
        c.mutate(bytes);
        ResourceForkImage image;
        std::string reason;
        EXPECT_EQ(ParseResourceFork(bytes, &image, &reason), mapReadErr) << c.what;
        EXPECT_FALSE(reason.empty()) << c.what;
    }
}

TEST(ResourceForkParse, EveryTruncationIsRefusedCleanly) {
    const std::vector<UInt8> tiny = TinyFork();
    for (size_t n = 1; n < tiny.size(); ++n) {
        ResourceForkImage image;
        EXPECT_EQ(ParseResourceFork(std::span(tiny).first(n), &image), mapReadErr) << n;
    }
    ResourceForkImage image;
    EXPECT_EQ(ParseResourceFork({}, &image), eofErr);
}

TEST(ResourceForkParse, DataRightAfterTheHeaderIsAccepted) {
    // A fork without the 240 reserved bytes: nothing to keep of them.
    ResourceForkImage image;
    image.resources = {Res(kTest, 3, {9})};
    std::vector<UInt8> full;
    ASSERT_EQ(SerializeResourceFork(image, &full), noErr);
    std::vector<UInt8> b(full.begin(), full.begin() + 16);
    b.insert(b.end(), full.begin() + 256, full.end());
    Put32(b, 0, 16);
    Put32(b, 4, UInt32(b.size() - (full.size() - (256 + 5))));
    ResourceForkImage back;
    ASSERT_EQ(ParseResourceFork(b, &back), noErr);
    EXPECT_EQ(back.resources, image.resources);
    EXPECT_EQ(back.headerData, (ResourceForkImage{}.headerData));
}

TEST(ResourceForkData, TestfileReadsAndRewritesAlike) {
    const auto bytes = Slurp(DataForks("testfile.rsrc"));
    ResourceForkImage image;
    ASSERT_EQ(ParseResourceFork(bytes, &image), noErr);
    EXPECT_EQ(image.fileAttributes, 0x0180);
    struct Want {
        ResID id;
        const char* name;
        UInt8 attrs;
        const char* text;
    };
    const Want want[] = {
        {128, nullptr, 0, "The String, without name or attributes"},
        {129, "The Name", 0, "The String, with name and no attributes"},
        {130, nullptr, resProtected | resPreload, "The String, without name but with attributes"},
        {131, "The Name with Attributes", resSysHeap, "The String, with both name and attributes"},
    };
    ASSERT_EQ(image.resources.size(), std::size(want));
    for (size_t i = 0; i < std::size(want); ++i) {
        const ForkResource& r = image.resources[i];
        EXPECT_EQ(r.type, FourCC("STR "));
        EXPECT_EQ(r.id, want[i].id);
        EXPECT_EQ(r.hasName, want[i].name != nullptr);
        if (want[i].name) {
            EXPECT_EQ(r.name, want[i].name);
        }
        EXPECT_EQ(r.attributes, want[i].attrs);
        ASSERT_FALSE(r.data.empty());
        EXPECT_EQ(std::string(r.data.begin() + 1, r.data.end()), want[i].text);
    }
    // The writer reproduces the file but for the loaded-map fields, which it
    // zeroes: the map's handle and reference number and each reference's
    // handle.
    std::vector<UInt8> out;
    ASSERT_EQ(SerializeResourceFork(image, &out), noErr);
    std::vector<UInt8> expected = bytes;
    const size_t map = 0x1B6;
    std::fill_n(expected.begin() + map + 16, 6, 0);
    for (size_t i = 0; i < 4; ++i) std::fill_n(expected.begin() + map + 28 + 2 + 8 + 12 * i + 8, 4, 0);
    EXPECT_EQ(out, expected);
}

TEST(ResourceForkData, EmptyForkRewritesWithTheHeaderCopied) {
    const auto bytes = Slurp(DataForks("empty.rsrc"));
    ResourceForkImage image;
    ASSERT_EQ(ParseResourceFork(bytes, &image), noErr);
    EXPECT_TRUE(image.resources.empty());
    std::vector<UInt8> out;
    ASSERT_EQ(SerializeResourceFork(image, &out), noErr);
    ASSERT_EQ(out.size(), bytes.size());
    // That file leaves the map's copy of the header zero; ours fills it in.
    std::vector<UInt8> expected = bytes;
    std::copy_n(bytes.begin(), 16, expected.begin() + 256);
    EXPECT_EQ(out, expected);
}

}  // namespace
