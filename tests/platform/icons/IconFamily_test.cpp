#include "platform/icons/IconFamily.h"

#include "platform/core/Memory.h"
#include "platform/icons/IconSuites.h"
#include "tests/platform/icons/IconTestBytes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>
#include <vector>


namespace fs = std::filesystem;

namespace {

using namespace icontest;

Bytes Fill(size_t n, UInt8 seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i) b[i] = UInt8(seed + i * 7);
    return b;
}
// w*h pixels of one colour, pad byte 0.
Bytes Solid(size_t pixels, UInt8 r, UInt8 g, UInt8 b) {
    Bytes px(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) {
        px[i * 4 + 1] = r;
        px[i * 4 + 2] = g;
        px[i * 4 + 3] = b;
    }
    return px;
}
Bytes Element(const Bytes& family, OSType type) {
    std::vector<IconFamilyElement> els;
    EXPECT_EQ(ParseIconFamily(family, &els), noErr);
    for (const auto& e : els)
        if (e.type == type) {
            auto d = e.data(family);
            return Bytes(d.begin(), d.end());
        }
    ADD_FAILURE() << "no element";
    return {};
}

// --- suites ------------------------------------------------------------------

struct Visit {
    std::vector<OSType> types;
    std::vector<bool> present;
    int stopAt = -1;
    Handle store = nullptr;  // stored into the 'ics8' slot
};

OSErr Record(ResType type, Handle* icon, void* data) {
    auto* v = static_cast<Visit*>(data);
    v->types.push_back(type);
    v->present.push_back(*icon != nullptr);
    if (type == FourCC("ics8") && v->store) *icon = v->store;
    if (int(v->types.size()) == v->stopAt) return -7;
    return noErr;
}

TEST(IconSuite, ForEachIconDoVisitsSelectorTypesInBitOrderWithEmptyMembers) {
    UniqueIconSuite suite;
    ASSERT_EQ(NewIconSuite(suite.out()), noErr);
    ASSERT_EQ(AddIconToSuite(NewHandleFromBytes(Fill(256, 1)), suite.get(), FourCC("ICN#")), noErr);
    ASSERT_EQ(AddIconToSuite(NewHandleFromBytes(Fill(1024, 2)), suite.get(), FourCC("is32")), noErr);

    // Every member type, in the order of its selector bit.
    std::vector<OSType> expected;
    for (const char* t : {"ICN#", "icl4", "icl8", "il32", "l8mk", "ics#", "ics4", "ics8", "is32", "s8mk", "icm#",
                          "icm4", "icm8", "ich#", "ich4", "ich8", "ih32", "h8mk"})
        expected.push_back(TypeCode(t));

    Visit all;
    ASSERT_EQ(ForEachIconDo(suite.get(), kSelectorAllAvailableData, Record, &all), noErr);
    EXPECT_EQ(all.types, expected);
    std::vector<bool> present(expected.size(), false);
    present[0] = present[8] = true;
    EXPECT_EQ(all.present, present);

    Visit classic;
    ASSERT_EQ(ForEachIconDo(suite.get(), 0x0707, Record, &classic), noErr);
    EXPECT_EQ(classic.types, (std::vector<OSType>{FourCC("ICN#"), FourCC("icl4"), FourCC("icl8"), FourCC("ics#"),
                                                  FourCC("ics4"), FourCC("ics8")}));

    // A nonzero result stops the walk and is passed on.
    Visit stop;
    stop.stopAt = 3;
    EXPECT_EQ(ForEachIconDo(suite.get(), 0x1F1F, Record, &stop), -7);
    EXPECT_EQ(stop.types.size(), 3u);

    // What an action stores in the slot becomes the member.
    Visit store;
    store.store = NewHandleFromBytes(Fill(256, 3));
    ASSERT_EQ(ForEachIconDo(suite.get(), 0x0707, Record, &store), noErr);
    Handle got = nullptr;
    ASSERT_EQ(GetIconFromSuite(&got, suite.get(), FourCC("ics8")), noErr);
    EXPECT_EQ(got, store.store);
    EXPECT_EQ(CountIconSuiteMembers(suite.get()), 3);
}

TEST(IconSuite, AddReplacesAndHandsBackTheOldMember) {
    UniqueIconSuite suite;
    ASSERT_EQ(NewIconSuite(suite.out()), noErr);
    UniqueHandle first(NewHandleFromBytes(Fill(512, 1)));
    Handle second = NewHandleFromBytes(Fill(512, 9));
    ASSERT_EQ(AddIconToSuite(first.get(), suite.get(), FourCC("icl4")), noErr);
    ASSERT_EQ(AddIconToSuite(second, suite.get(), FourCC("icl4")), noErr);
    Handle got = reinterpret_cast<Handle>(1);
    ASSERT_EQ(GetIconFromSuite(&got, suite.get(), FourCC("icl4")), noErr);
    EXPECT_EQ(got, second);
    EXPECT_EQ(BytesOf(first.get()), Fill(512, 1));  // still the caller's, intact
    EXPECT_EQ(CountIconSuiteMembers(suite.get()), 1);

    // Absent is not an error; removing works through a null handle.
    got = reinterpret_cast<Handle>(1);
    EXPECT_EQ(GetIconFromSuite(&got, suite.get(), FourCC("il32")), noErr);
    EXPECT_EQ(got, nullptr);
    ASSERT_EQ(AddIconToSuite(nullptr, suite.get(), FourCC("icl4")), noErr);
    EXPECT_EQ(CountIconSuiteMembers(suite.get()), 0);
    DisposeHandle(second);

    EXPECT_EQ(AddIconToSuite(nullptr, nullptr, FourCC("icl4")), paramErr);
    EXPECT_EQ(GetIconFromSuite(&got, nullptr, FourCC("icl4")), paramErr);
}

// --- families ----------------------------------------------------------------

// One suite with every classic and 32-bit member, at their stored sizes.
UniqueIconSuite FullSuite() {
    UniqueIconSuite suite;
    EXPECT_EQ(NewIconSuite(suite.out()), noErr);
    const struct {
        const char* type;
        Bytes data;
    } members[] = {
        {"ICN#", Fill(256, 1)},  {"icl4", Fill(512, 2)},  {"icl8", Fill(1024, 3)},
        {"il32", Solid(1024, 0x11, 0x22, 0x33)},          {"l8mk", Fill(1024, 5)},
        {"ics#", Fill(64, 6)},   {"ics4", Fill(128, 7)},  {"ics8", Fill(256, 8)},
        {"is32", Solid(256, 0xA0, 0xB0, 0xC0)},           {"s8mk", Fill(256, 10)},
    };
    for (const auto& m : members) {
        OSType t = TypeCode(m.type);
        EXPECT_EQ(AddIconToSuite(NewHandleFromBytes(m.data), suite.get(), t), noErr);
    }
    return suite;
}

TEST(IconFamily, SuiteBecomesFamilyWithExactLayout) {
    UniqueIconSuite suite = FullSuite();
    UniqueHandle family;
    {
        Handle h = nullptr;
        ASSERT_EQ(IconSuiteToIconFamily(suite.get(), 0x1F1F, &h), noErr);
        family.reset(h);
    }
    // il32: each 1024-byte plane is 7 runs of 130 and one of 114.
    Bytes il32;
    for (UInt8 v : {0x11, 0x22, 0x33}) {
        for (int i = 0; i < 7; ++i) il32.insert(il32.end(), {0xFF, v});
        il32.insert(il32.end(), {0xEF, v});
    }
    // is32: 256 = 130 + 126.
    const Bytes is32 = {0xFF, 0xA0, 0xFB, 0xA0, 0xFF, 0xB0, 0xFB, 0xB0, 0xFF, 0xC0, 0xFB, 0xC0};
    EXPECT_EQ(BytesOf(family.get()),
              MakeFamily({{"ICN#", Fill(256, 1)}, {"icl4", Fill(512, 2)}, {"icl8", Fill(1024, 3)}, {"il32", il32},
                          {"l8mk", Fill(1024, 5)}, {"ics#", Fill(64, 6)}, {"ics4", Fill(128, 7)},
                          {"ics8", Fill(256, 8)}, {"is32", is32}, {"s8mk", Fill(256, 10)}}));

    // The classic selector leaves the 32-bit members out.
    Handle classic = nullptr;
    ASSERT_EQ(IconSuiteToIconFamily(suite.get(), 0x0707, &classic), noErr);
    UniqueHandle classicOwner(classic);
    EXPECT_EQ(GetHandleSize(classic), Size(8 + 264 + 520 + 1032 + 72 + 136 + 264));

    // And back: every member has its bytes again.
    UniqueIconSuite back;
    ASSERT_EQ(IconFamilyToIconSuite(family.get(), 0x1F1F, back.out()), noErr);
    EXPECT_EQ(CountIconSuiteMembers(back.get()), 10);
    for (OSType t : {FourCC("ICN#"), FourCC("icl8"), FourCC("il32"), FourCC("is32"), FourCC("s8mk")}) {
        Handle a = nullptr, b = nullptr;
        ASSERT_EQ(GetIconFromSuite(&a, suite.get(), t), noErr);
        ASSERT_EQ(GetIconFromSuite(&b, back.get(), t), noErr);
        ASSERT_NE(b, nullptr);
        EXPECT_NE(a, b);  // copies, not shared
        EXPECT_EQ(BytesOf(a), BytesOf(b));
    }
    // A narrower selector takes only its types.
    UniqueIconSuite small;
    ASSERT_EQ(IconFamilyToIconSuite(family.get(), kSelectorAllSmallData, small.out()), noErr);
    EXPECT_EQ(CountIconSuiteMembers(small.get()), 5);
}

TEST(IconFamily, GetIconFamilyDataUnpacksCopiesOrRefuses) {
    Bytes plain = Solid(1024, 5, 6, 7);  // 4096 bytes of 'il32' are plain pixels: pad bytes survive
    for (size_t i = 0; i < 1024; ++i) plain[i * 4] = 0xFF;
    const Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 1, 2, 3};
    const Bytes untouched = {1, 2, 3};
    UniqueHandle family(NewHandleFromBytes(MakeFamily(
        {{"ics#", Fill(64, 1)}, {"ich8", {}}, {"il32", plain}, {"ic08", png},
         {"ih32", {0xDE, 0xAD}},
         {"is32", {0xFF, 1, 0xFB, 1, 0xFF, 2, 0xFB, 2, 0xFF, 3, 0xFB, 3}}, {"is32", {0x00}}})));
    UniqueHandle zerolessThumb(NewHandleFromBytes(MakeFamily({{"it32", {0, 0, 0, 1, 0xFF, 0}}})));
    const struct {
        const char* name;
        Handle family;
        const char* type;
        OSErr err;
        Bytes data;  // the handle afterwards (not checked on paramErr)
    } cases[] = {
        {"absent: the handle is left alone", family.get(), "s8mk", noIconDataAvailableErr, untouched},
        {"present but empty is 0 bytes", family.get(), "ich8", noErr, {}},
        {"classic member copied", family.get(), "ics#", noErr, Fill(64, 1)},
        {"plain 32-bit data kept with its pad", family.get(), "il32", noErr, plain},
        {"foreign member copied", family.get(), "ic08", noErr, png},
        {"packed member unpacked; the first of a type wins", family.get(), "is32", noErr, Solid(256, 1, 2, 3)},
        {"damaged packed data", family.get(), "ih32", paramErr, {}},
        {"thumbnail without its four zero bytes", zerolessThumb.get(), "it32", paramErr, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        UniqueHandle h(NewHandleFromBytes(untouched));
        EXPECT_EQ(GetIconFamilyData(c.family, TypeCode(c.type), h.get()), c.err);
        if (c.err != paramErr) {
            EXPECT_EQ(BytesOf(h.get()), c.data);
        }
    }
    EXPECT_EQ(GetIconFamilyData(family.get(), FourCC("ics#"), nullptr), paramErr);
}

TEST(IconFamily, ForeignMembersSurviveEditsByteForByte) {
    const Bytes toc = {'i', 's', '3', '2', 0, 0, 0, 20};
    const Bytes png = {0x89, 'P', 'N', 'G', 13, 10, 26, 10, 1, 2, 3};
    const Bytes junkHuge = {0xDE, 0xAD};  // never unpacked unless asked for
    // A second 'is32' at the end: later duplicates are kept as they are.
    UniqueHandle family(NewHandleFromBytes(
        MakeFamily({{"TOC ", toc}, {"is32", {0xFF, 1, 0xFB, 1, 0xFF, 2, 0xFB, 2, 0xFF, 3, 0xFB, 3}}, {"ic08", png},
                    {"ih32", junkHuge}, {"name", {'x'}}, {"is32", {0x00}}})));

    UniqueHandle px(NewHandleFromBytes(Solid(256, 9, 8, 7)));
    ASSERT_EQ(SetIconFamilyData(family.get(), FourCC("is32"), px.get()), noErr);
    UniqueHandle mask(NewHandleFromBytes(Fill(256, 0)));
    ASSERT_EQ(SetIconFamilyData(family.get(), FourCC("s8mk"), mask.get()), noErr);

    EXPECT_EQ(BytesOf(family.get()),
              MakeFamily({{"TOC ", toc}, {"is32", {0xFF, 9, 0xFB, 9, 0xFF, 8, 0xFB, 8, 0xFF, 7, 0xFB, 7}},
                          {"ic08", png}, {"ih32", junkHuge}, {"name", {'x'}}, {"is32", {0x00}},
                          {"s8mk", Fill(256, 0)}}));

    // A suite of every type takes the damaged member too, and is refused.
    UniqueIconSuite suite;
    EXPECT_EQ(IconFamilyToIconSuite(family.get(), kSelectorAllAvailableData, suite.out()), paramErr);
    EXPECT_EQ(suite.get(), nullptr);
    EXPECT_EQ(IconFamilyToIconSuite(family.get(), 0x1F1F, suite.out()), noErr);
    EXPECT_EQ(CountIconSuiteMembers(suite.get()), 2);
}

TEST(IconFamily, SettingThirtyTwoBitDataPacksPlainPixelsAndChecksPackedOnes) {
    UniqueHandle family(NewHandleFromBytes(MakeFamily({})));
    // Plain pixels are packed (and the pad byte goes).
    UniqueHandle plain(NewHandleFromBytes(Solid(1024, 5, 6, 7)));
    ASSERT_EQ(SetIconFamilyData(family.get(), FourCC("il32"), plain.get()), noErr);
    EXPECT_EQ(GetHandleSize(family.get()), Size(8 + 8 + 48));

    // Data that is already packed is stored as given, if it unpacks.
    const Bytes packed = {0xFF, 1, 0xFB, 1, 0xFF, 2, 0xFB, 2, 0xFF, 3, 0xFB, 3};
    UniqueHandle pre(NewHandleFromBytes(packed));
    ASSERT_EQ(SetIconFamilyData(family.get(), FourCC("is32"), pre.get()), noErr);
    EXPECT_EQ(Element(BytesOf(family.get()), FourCC("is32")), packed);
    UniqueHandle bad(NewHandleFromBytes(Bytes{0xFF, 1}));
    const Bytes before = BytesOf(family.get());
    EXPECT_EQ(SetIconFamilyData(family.get(), FourCC("is32"), bad.get()), paramErr);
    EXPECT_EQ(BytesOf(family.get()), before);
}

struct HostileCase {
    const char* name;
    Bytes bytes;
    OSErr err;
    size_t elements;
    size_t bound;
};

TEST(IconFamily, HostileFamiliesAreRefusedOrBounded) {
    const Bytes magic = {'i', 'c', 'n', 's'};
    const Bytes ics = {'i', 'c', 's', '#'};
    const Bytes one = Cat({ics, Be32(12), {1, 2, 3, 4}});
    Bytes many = Cat({magic, Be32(8 + 8 * 4097)});
    for (int i = 0; i < 4097; ++i) many = Cat({many, ics, Be32(8)});
    const HostileCase cases[] = {
        {"empty", {}, paramErr, 0, 0},
        {"wrong magic", Cat({{'i', 'c', 'n', 'x'}, Be32(8)}), paramErr, 0, 0},
        {"length below the header", Cat({magic, Be32(7)}), paramErr, 0, 0},
        {"header only", Cat({magic, Be32(8)}), noErr, 0, 8},
        {"element length 0", Cat({magic, Be32(16), ics, Be32(0)}), paramErr, 0, 0},
        {"element length 7", Cat({magic, Be32(16), ics, Be32(7)}), paramErr, 0, 0},
        {"element past the end", Cat({magic, Be32(20), ics, Be32(13), {1, 2, 3, 4}}), paramErr, 0, 0},
        {"element length near 4 GiB", Cat({magic, Be32(20), ics, Be32(0xFFFFFFFF), {1, 2, 3, 4}}), paramErr, 0, 0},
        {"cut inside an element header", Cat({magic, Be32(23), one, {'a', 'b', 'c'}}), paramErr, 0, 0},
        {"header claims more than there is", Cat({magic, Be32(1000), one}), noErr, 1, 20},
        {"header claims less: the rest ignored", Cat({magic, Be32(20), one, {9, 9, 9}}), noErr, 1, 20},
        {"header cuts the element", Cat({magic, Be32(19), one}), paramErr, 0, 0},
        {"too many elements", many, paramErr, 0, 0},
    };
    for (const auto& c : cases) {
        std::vector<IconFamilyElement> els;
        std::string reason;
        size_t bound = 0;
        EXPECT_EQ(ParseIconFamily(c.bytes, &els, &reason, &bound), c.err) << c.name;
        if (c.err == noErr) {
            EXPECT_EQ(els.size(), c.elements) << c.name;
            EXPECT_EQ(bound, c.bound) << c.name;
        } else {
            EXPECT_FALSE(reason.empty()) << c.name;
            // Every entry point refuses the damaged family the same way.
            UniqueHandle fam(NewHandleFromBytes(c.bytes));
            UniqueHandle h(NewHandle(0));
            EXPECT_EQ(GetIconFamilyData(fam.get(), FourCC("ics#"), h.get()), paramErr) << c.name;
            EXPECT_EQ(SetIconFamilyData(fam.get(), FourCC("ics#"), h.get()), paramErr) << c.name;
            UniqueIconSuite suite;
            EXPECT_EQ(IconFamilyToIconSuite(fam.get(), 0x1F1F, suite.out()), paramErr) << c.name;
        }
    }
}

TEST(IconFamily, EditingABoundedFamilyDropsTheTailAndFixesTheLength) {
    const Bytes data = Cat({{'i', 'c', 'n', 's'}, Be32(20), {'i', 'c', 's', '#'}, Be32(12), {1, 2, 3, 4}, {7, 7}});
    UniqueHandle family(NewHandleFromBytes(data));
    UniqueHandle mask(NewHandleFromBytes(Bytes{5}));
    ASSERT_EQ(SetIconFamilyData(family.get(), FourCC("name"), mask.get()), noErr);
    EXPECT_EQ(BytesOf(family.get()), Cat({{'i', 'c', 'n', 's'}, Be32(29), {'i', 'c', 's', '#'}, Be32(12),
                                          {1, 2, 3, 4}, {'n', 'a', 'm', 'e'}, Be32(9), {5}}));
}

// --- files -------------------------------------------------------------------

TEST(IconFamilyFile, WritesAndReadsTheWholeDataForkAndRefusesDamage) {
    TempFolder tmp;
    UniqueIconSuite suite = FullSuite();
    Handle fam = nullptr;
    ASSERT_EQ(IconSuiteToIconFamily(suite.get(), 0x1F1F, &fam), noErr);
    UniqueHandle family(fam);
    const std::string path = tmp / "a.icns";
    Spill(path, Bytes(100000, 'x'));  // a longer file is replaced, not overwritten in part
    ASSERT_EQ(WriteIconFamilyFile(path, fam), noErr);
    EXPECT_EQ(Slurp(path), BytesOf(fam));
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.path()), fs::directory_iterator()), 1);  // no leftovers
    Handle read = nullptr;
    ASSERT_EQ(ReadIconFamilyFile(path, &read), noErr);
    UniqueHandle readOwner(read);
    EXPECT_EQ(BytesOf(read), BytesOf(fam));
    EXPECT_EQ(ReadIconFamilyFile(tmp / "missing.icns", &read), fnfErr);
    EXPECT_EQ(read, nullptr);
    EXPECT_EQ(WriteIconFamilyFile(tmp / "no/such.icns", fam), fnfErr);

    // Bytes past the family's length are left out; damage is refused.
    Spill(path, MakeFamily({{"ics#", {1, 2, 3, 4}}}, 980));  // claims 1000 bytes
    ASSERT_EQ(ReadIconFamilyFile(path, &read), noErr);
    UniqueHandle trimmed(read);
    EXPECT_EQ(BytesOf(read), MakeFamily({{"ics#", {1, 2, 3, 4}}}));
    for (const Bytes& bad : {Cat({Type("icns"), Be32(16), Type("ics#"), Be32(2)}), Bytes{'P', 'N', 'G'}}) {
        Spill(path, bad);
        EXPECT_EQ(ReadIconFamilyFile(path, &read), paramErr);
        EXPECT_EQ(read, nullptr);
    }
}

}  // namespace
