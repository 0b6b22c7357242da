// Windows icons and 32 × 32 bitmap files: which members entries become, the layout Korvel writes,
// files of icotool, ImageMagick and Pillow read pixel-identical to what those
// programs decode and Korvel's files decoded by them as Korvel holds them,
// hostile directories kept out with their reasons, failed writes, and paint
// documents saved as one icon or as tiles.
#include "icons/WinIcon.h"

#include "platform/codecs/PngCodec.h"
#include "platform/files/FileIO.h"
#include "platform/raster/ColorTables.h"
#include "tests/platform/icons/IconTestBytes.h"
#include "tests/support/PaintTestSupport.h"
#include "tests/support/Peers.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <random>

namespace {

using icontest::Bytes;
using icontest::BytesOf;
using icontest::TypeCode;
using PixelFn = std::function<int(int x, int y)>;

void Le(Bytes& b, UInt64 v, int n) {
    for (int i = 0; i < n; ++i) b.push_back(UInt8(v >> (8 * i)));
}

// A bitmap image: header, palette (r, g, b triples, stored b, g, r, 0), the
// pixels' indices bottom row first, and the AND mask of `clear` pixels.
Bytes Bitmap(int w, int h, int depth, const Bytes& rgb, PixelFn pixel, PixelFn clear) {
    Bytes b;
    for (UInt32 v : {40u, UInt32(w), UInt32(2 * h)}) Le(b, v, 4);
    Le(b, 1, 2), Le(b, UInt32(depth), 2);
    for (int i = 0; i < 6; ++i) Le(b, 0, 4);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3) b.insert(b.end(), {rgb[i + 2], rgb[i + 1], rgb[i], 0});
    b.resize(40 + (size_t(4) << depth), 0);
    for (int pass = 0; pass < 2; ++pass)
        for (int y = h - 1; y >= 0; --y) {
            const int d = pass ? 1 : depth;
            Bytes row(size_t(w * d + 31) / 32 * 4, 0);
            for (int x = 0; x < w; ++x)
                row[size_t(x * d / 8)] |= UInt8((pass ? clear(x, y) : pixel(x, y)) << (8 - d - x * d % 8));
            b.insert(b.end(), row.begin(), row.end());
        }
    return b;
}

struct Image {
    int width, height;
    Bytes data;
};
Bytes Ico(const std::vector<Image>& images) {
    Bytes b;
    Le(b, 0, 2), Le(b, 1, 2), Le(b, UInt32(images.size()), 2);
    size_t at = 6 + 16 * images.size();
    for (const Image& i : images) {
        b.insert(b.end(), {UInt8(i.width), UInt8(i.height), 0, 0, 1, 0, 0, 0});
        Le(b, UInt32(i.data.size()), 4), Le(b, UInt32(at), 4);
        at += i.data.size();
    }
    for (const Image& i : images) b.insert(b.end(), i.data.begin(), i.data.end());
    return b;
}

Bytes Member(IconSuiteRef suite, const char* type) {
    Handle h = nullptr;
    EXPECT_EQ(GetIconFromSuite(&h, suite, TypeCode(type)), noErr);
    return h ? BytesOf(h) : Bytes{};
}

// An icon record holding the given members.
KorvelIcon IconOf(std::initializer_list<std::pair<const char*, Bytes>> members) {
    KorvelIcon icon;
    EXPECT_EQ(NewIconSuite(&icon.suite), noErr);
    for (const auto& [type, bytes] : members)
        EXPECT_EQ(AddIconToSuite(NewHandleFromBytes(bytes), icon.suite, TypeCode(type)), noErr);
    return icon;
}

void Free(KorvelIcon* icon) {
    if (icon->suite) (void)DisposeIconSuite(icon->suite, true);
    for (Handle h : {icon->it32Data, icon->t8mkData}) DisposeHandle(h);
    *icon = {};
}

// One member as a peer shows the entry written from it: RGBA, indexed
// members through the standard table with the 1-bit mask of their size.
Bytes MemberRgba(const KorvelIcon& icon, int size, int depth) {
    const size_t n = size_t(size * size);
    const bool large = size == 32;
    Bytes out(n * 4), data, alpha, oneBit = Member(icon.suite, large ? "ICN#" : "ics#");
    if (depth == 32) {
        data = size == 128 ? BytesOf(icon.it32Data) : Member(icon.suite, large ? "il32" : "is32");
        alpha = size == 128 ? BytesOf(icon.t8mkData) : Member(icon.suite, large ? "l8mk" : "s8mk");
    } else {
        const char* types[] = {large ? "ICN#" : "ics#", large ? "icl4" : "ics4", large ? "icl8" : "ics8"};
        data = Member(icon.suite, types[depth / 4]);
    }
    if (data.size() < n * size_t(depth) / 8 || (depth == 32 ? alpha.size() < n : oneBit.size() < n / 4)) return {};
    for (size_t i = 0; i < n; ++i) {
        if (depth == 32) {
            std::copy_n(&data[i * 4 + 1], 3, &out[i * 4]);
            out[i * 4 + 3] = alpha[i];
            continue;
        }
        const int index = data[i * size_t(depth) / 8] >> (8 - depth - int(i * size_t(depth) % 8)) & ((1 << depth) - 1);
        const RGBColor c = CTabEntries(StandardCTable(depth))[index].rgb;
        out[i * 4] = UInt8(c.red >> 8), out[i * 4 + 1] = UInt8(c.green >> 8), out[i * 4 + 2] = UInt8(c.blue >> 8);
        out[i * 4 + 3] = oneBit[n / 8 + i / 8] >> (7 - i % 8) & 1 ? 255 : 0;
    }
    return out;
}

// Same alpha everywhere, same colour wherever a pixel shows.
::testing::AssertionResult SamePixels(const Bytes& want, const Bytes& got) {
    if (want.size() != got.size() || want.empty())
        return ::testing::AssertionFailure() << want.size() << " bytes against " << got.size();
    for (size_t i = 0; i < want.size(); i += 4)
        if (want[i + 3] != got[i + 3] || (want[i + 3] && !std::equal(&want[i], &want[i + 3], &got[i])))
            return ::testing::AssertionFailure() << "pixel " << i / 4 << " differs";
    return ::testing::AssertionSuccess();
}

// Each entry of the file as the peer decodes it, RGBA, in directory order.
std::vector<Bytes> PeerFrames(const std::string& peer, const std::string& path, const TempFolder& dir) {
    std::vector<WinIconEntry> entries;
    const Bytes file = Slurp(path);
    EXPECT_EQ(ParseWinIconDirectory(file, &entries, nullptr), noErr);
    std::vector<Bytes> frames;
    Bytes pillow;
    if (peer == "Pillow") {
        std::string offsets;
        for (const WinIconEntry& e : entries) offsets += std::to_string(e.imageOffset) + ",";
        EXPECT_TRUE(RunCapture(Python() + " -c \"import sys; from PIL import IcoImagePlugin as I\n"
                               "f=I.IcoFile(open('" + path + "','rb'))\nfor o in [" + offsets + "]:\n"
                               " i=[e['offset'] for e in f.entry].index(o)\n"
                               " sys.stdout.buffer.write(f.frame(i).convert('RGBA').tobytes())\"", pillow));
    }
    for (size_t i = 0, at = 0; i < entries.size(); ++i) {
        Bytes rgba;
        const size_t bytes = size_t(entries[i].width * entries[i].height * 4);
        if (peer == "Pillow") {
            rgba.assign(pillow.begin() + ptrdiff_t(std::min(at, pillow.size())),
                        pillow.begin() + ptrdiff_t(std::min(at + bytes, pillow.size())));
            at += bytes;
        } else if (peer == "icotool") {
            const std::string png = dir / ("x" + std::to_string(i) + ".png");
            EXPECT_TRUE(RunCommand("icotool -x --index=" + std::to_string(i + 1) + " -o " + png + " " + path));
            RgbaImage image;
            std::string why;
            EXPECT_EQ(DecodePngRgba(Slurp(png), bytes / 4, &image, &why), noErr) << why;
            rgba = image.pixels;
        } else {
            EXPECT_TRUE(RunCapture("convert '" + path + "[" + std::to_string(i) + "]' -depth 8 rgba:-", rgba));
        }
        frames.push_back(rgba.size() == bytes ? rgba : Bytes{});
    }
    return frames;
}

const Bytes kBlackWhite = {0, 0, 0, 255, 255, 255};  // a Windows-style 1-bit palette

TEST(WinIconRead, EntriesBecomeMembersBySizeAndDepth) {
    // 16 colours only: 'icl4', an 'icl8' of the same picture, an 'ICN#' with
    // a white image and the entry's mask. Palette index 0 is black, 15 white.
    Bytes vga(48, 0);
    std::fill(vga.begin() + 45, vga.end(), 255);
    const PixelFn bars = [](int x, int) { return x % 3 ? 0 : 15; }, corner = [](int x, int y) { return x + y < 5; };
    IconSuiteRef suite = nullptr;
    ASSERT_EQ(WinIconBytesToIconSuite(Ico({{32, 32, Bitmap(32, 32, 4, vga, bars, corner)}}), &suite), noErr);
    Bytes icl4(512), icl8(1024), icn(256, 0);
    for (int i = 0; i < 1024; ++i) {
        const bool black = i % 32 % 3 != 0;
        icl8[size_t(i)] = black ? 255 : 0;
        icl4[size_t(i / 2)] |= UInt8((black ? 15 : 0) << (i % 2 ? 0 : 4));
        if (i % 32 + i / 32 >= 5) icn[128 + size_t(i / 8)] |= UInt8(0x80 >> (i % 8));
    }
    EXPECT_EQ(Member(suite, "icl4"), icl4);
    EXPECT_EQ(Member(suite, "icl8"), icl8);
    EXPECT_EQ(Member(suite, "ICN#"), icn);
    EXPECT_EQ(CountIconSuiteMembers(suite), 3);
    (void)DisposeIconSuite(suite, true);

    // 2 colours then 256: 'ICN#' is the first (image and mask), 'icl8' the
    // second, whose mask is not used. 48 × 48 and 32 × 16 entries are kept out.
    const PixelFn diagonal = [](int x, int y) { return x == y; }, none = [](int, int) { return 0; };
    const Bytes file = Ico({{32, 32, Bitmap(32, 32, 1, kBlackWhite, diagonal, [](int x, int) { return x < 8; })},
                            {32, 32, Bitmap(32, 32, 8, {0, 0, 0, 0, 0, 255}, diagonal, none)},
                            {48, 48, Bitmap(48, 48, 8, {}, none, none)},
                            {32, 16, Bitmap(32, 16, 8, {}, none, none)}});
    KorvelIcon icon;
    std::vector<std::string> notes;
    ASSERT_EQ(WinIconBytesToKorvelIcon(file, &icon, &notes), noErr);
    Bytes icnFromFirst(256, 0);
    for (int i = 0; i < 1024; ++i) {
        icnFromFirst[size_t(i / 8)] |= UInt8((i % 32 != i / 32) << (7 - i % 8));  // white on the diagonal
        icnFromFirst[128 + size_t(i / 8)] |= UInt8((i % 32 >= 8) << (7 - i % 8));
    }
    EXPECT_EQ(Member(icon.suite, "ICN#"), icnFromFirst);
    const Bytes icl8FromSecond = Member(icon.suite, "icl8");
    ASSERT_EQ(icl8FromSecond.size(), 1024u);
    EXPECT_EQ(CTabEntries(StandardCTable(8))[icl8FromSecond[33]].rgb, (RGBColor{0, 0, 0xFFFF}));
    EXPECT_EQ(std::count(icl8FromSecond.begin(), icl8FromSecond.end(), 255), 1024 - 32);
    EXPECT_EQ(CountIconSuiteMembers(icon.suite), 2);
    EXPECT_EQ(notes, (std::vector<std::string>{
                         "image 3 (48 × 48, 8-bit): Korvel keeps icons of 16 and 32 pixels at this depth; kept out",
                         "image 4 (32 × 16, 8-bit): Korvel edits square icons only; kept out"}));
    Free(&icon);

    // A 32 × 32 8-bit bitmap file (Pillow's, 2102 bytes): its pixels as
    // 'icl8' and a blank 'ICN#' with a full mask.
    TempFolder dir;
    ASSERT_TRUE(RunCommand(Python() + " -c \"from PIL import Image\nim=Image.new('P',(32,32))\n"
                           "im.putpalette([k//36*51 if j==0 else k//6%6*51 if j==1 else k%6*51 "
                           "for k in range(216) for j in range(3)] + [0] * 120)\n"
                           "im.putdata([i%216 for i in range(1024)]); im.save('" + dir / "p.bmp" + "')\""));
    ASSERT_EQ(WinIconToIconSuite(FileSpecFor(dir / "p.bmp"), &suite), noErr);
    for (int i = 0; i < 1024; ++i) {
        const int k = i % 216;
        const RGBColor c{UInt16(k / 36 * 0x3333), UInt16(k / 6 % 6 * 0x3333), UInt16(k % 6 * 0x3333)};
        icl8[size_t(i)] = UInt8(NearestColorIndex(StandardCTable(8), c));
    }
    EXPECT_EQ(Member(suite, "icl8"), icl8);
    std::fill(icn.begin() + 128, icn.end(), 0xFF);
    EXPECT_EQ(Member(suite, "ICN#"), icn);
    (void)DisposeIconSuite(suite, true);
}

TEST(WinIconInterop, PeerFilesReadAsThePeerDecodesThem) {
    TempFolder dir;
    // Per entry the member's size and depth, 0 for one kept out.
    struct Case {
        const char* file;
        std::vector<std::pair<int, int>> members;
    } const cases[] = {
        {"icotool-4-8-32.ico", {{16, 4}, {32, 8}, {32, 32}}}, {"icotool-png-32-4.ico", {{128, 32}, {32, 32}, {16, 4}}},
        {"magick-32.ico", {{16, 32}, {32, 32}}},              {"magick-8-1.ico", {{32, 8}, {16, 1}}},
        {"pillow-png.ico", {{16, 32}, {32, 32}, {0, 0}, {128, 32}}}, {"pillow-bmp.ico", {{16, 32}, {32, 32}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string path = std::string(KORVEL_TEST_DATA) + "/ico/" + c.file;
        KorvelIcon icon;
        std::vector<std::string> notes;
        ASSERT_EQ(WinIconToKorvelIcon(FileSpecFor(path), &icon, &notes), noErr);
        EXPECT_EQ(notes.size(), size_t(std::count(c.members.begin(), c.members.end(), std::pair{0, 0})));
        const std::vector<Bytes> frames = PeerFrames("Pillow", path, dir);
        ASSERT_EQ(frames.size(), c.members.size());
        for (size_t i = 0; i < frames.size(); ++i) {
            const auto [size, depth] = c.members[i];
            if (size) {
                EXPECT_TRUE(SamePixels(frames[i], MemberRgba(icon, size, depth))) << i;
            }
        }
        // A size with 32-bit colour only gets a 1-bit mask of its alpha from 128 up.
        for (int size : {16, 32}) {
            const bool classic = std::any_of(c.members.begin(), c.members.end(),
                                             [&](auto m) { return m.first == size && m.second < 32; });
            const Bytes alpha = Member(icon.suite, size == 32 ? "l8mk" : "s8mk");
            if (classic || alpha.empty()) continue;
            Bytes oneBit(size_t(size * size / 4), 0);
            for (size_t i = 0; i < alpha.size(); ++i)
                oneBit[alpha.size() / 8 + i / 8] |= UInt8((alpha[i] >= 128) << (7 - i % 8));
            EXPECT_EQ(Member(icon.suite, size == 32 ? "ICN#" : "ics#"), oneBit) << size;
        }
        Free(&icon);
    }
}

TEST(WinIconInterop, KorvelFilesDecodeInEachPeerAsKorvelHoldsThem) {
    TempFolder dir;
    std::mt19937 random(7);
    auto noise = [&](size_t n) {
        Bytes b(n);
        for (UInt8& v : b) v = UInt8(random());
        return b;
    };
    KorvelIcon icon = IconOf({{"icl8", noise(1024)}, {"icl4", noise(512)}, {"ics8", noise(256)}, {"ics4", noise(128)},
                              {"ICN#", noise(256)}, {"ics#", noise(64)}, {"il32", noise(4096)}, {"l8mk", noise(1024)},
                              {"is32", noise(1024)}, {"s8mk", noise(256)}});
    icon.it32Data = NewHandleFromBytes(noise(65536));
    icon.t8mkData = NewHandleFromBytes(noise(16384));
    const std::string path = dir / "korvel.ico";
    ASSERT_EQ(MakeWinIconFromKorvelIcon(FileSpecFor(path), icon), noErr);
    const std::pair<int, int> written[] = {{32, 8}, {32, 4}, {16, 8}, {16, 4}, {32, 1}, {16, 1},
                                           {32, 32}, {16, 32}, {128, 32}};
    Bytes listing;
    std::string expected;
    ASSERT_TRUE(RunCapture("icotool -l " + path + " 2>&1", listing));
    for (int i = 0; i < 9; ++i) {
        const auto [size, depth] = written[i];
        expected += "--icon --index=" + std::to_string(i + 1) + " --width=" + std::to_string(size) + " --height=" +
                    std::to_string(size) + " --bit-depth=" + std::to_string(depth) +
                    " --palette-size=" + std::to_string(depth < 32 ? 1 << depth : 0) + "\n";
    }
    EXPECT_EQ(std::string(listing.begin(), listing.end()), expected);
    for (const char* peer : {"Pillow", "icotool", "ImageMagick"}) {
        const std::vector<Bytes> frames = PeerFrames(peer, path, dir);
        ASSERT_EQ(frames.size(), 9u) << peer;
        for (size_t i = 0; i < 9; ++i) {
            const auto [size, depth] = written[i];
            EXPECT_TRUE(SamePixels(MemberRgba(icon, size, depth), frames[i])) << peer << " " << i;
        }
    }
    KorvelIcon back;
    std::vector<std::string> notes;
    ASSERT_EQ(WinIconToKorvelIcon(FileSpecFor(path), &back, &notes), noErr);
    EXPECT_TRUE(notes.empty());
    for (auto [size, depth] : written)
        EXPECT_TRUE(SamePixels(MemberRgba(icon, size, depth), MemberRgba(back, size, depth))) << size << "/" << depth;
    Free(&icon);
    Free(&back);
}

TEST(WinIconWrite, ImagesFollowTheHeaderAndDirectoryInMemberOrder) {
    Bytes ics(64, 0xFF);
    ics[32] = 0x7F;  // the top-left pixel is transparent
    KorvelIcon icon =
        IconOf({{"ics4", Bytes(128, 0x33)}, {"ics8", Bytes(256, 7)}, {"icl8", Bytes(1024, 9)}, {"ics#", ics}});
    Bytes file;
    ASSERT_EQ(BuildWinIcon(icon, false, &file), noErr);
    ASSERT_EQ(file.size(), 3950u);
    Bytes head;
    Le(head, 0, 2), Le(head, 1, 2), Le(head, 3, 2);
    for (auto [side, colours, bytes, at] :
         {std::tuple{32u, 0u, 2216u, 54u}, {16u, 0u, 1384u, 2270u}, {16u, 16u, 296u, 3654u}})
        Le(head, side, 1), Le(head, side, 1), Le(head, colours, 1), Le(head, 0, 5), Le(head, bytes, 4), Le(head, at, 4);
    EXPECT_EQ(Bytes(file.begin(), file.begin() + 54), head);
    // The 'ics4' image: its header, the standard 4-bit table, index 15 where
    // the mask is clear, and an AND mask of 4 bytes a row.
    const PixelFn index3 = [](int x, int y) { return x + y ? 3 : 15; }, clear = [](int x, int y) { return !(x + y); };
    Bytes table;
    for (int i = 0; i < 16; ++i) {
        const RGBColor c = CTabEntries(StandardCTable(4))[i].rgb;
        table.insert(table.end(), {UInt8(c.red >> 8), UInt8(c.green >> 8), UInt8(c.blue >> 8)});
    }
    Bytes ics4 = Bitmap(16, 16, 4, table, index3, clear);
    std::copy_n(Bytes{192, 0, 0, 0}.begin(), 4, ics4.begin() + 20);
    ics4[32] = 16;
    EXPECT_EQ(Bytes(file.begin() + 3654, file.end()), ics4);
    // Nothing to write: a beep and -1; a failed write leaves the old file.
    TempFolder dir;
    const FSSpec fileSpec = FileSpecFor(dir / "old.ico");
    Spill(dir / "old.ico", TextBytes("old"));
    IconSuiteRef empty = nullptr;
    ASSERT_EQ(NewIconSuite(&empty), noErr);
    const UInt32 beeps = SysBeepCount();
    EXPECT_EQ(MakeWinIconFromSuite(fileSpec, empty), -1);
    EXPECT_EQ(SysBeepCount(), beeps + 1);
    SetAtomicWriteHookForTesting([](const std::string&) { return false; });
    EXPECT_NE(MakeWinIconFromSuite(fileSpec, icon.suite), noErr);
    SetAtomicWriteHookForTesting(nullptr);
    EXPECT_EQ(Slurp(dir / "old.ico"), TextBytes("old"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    (void)DisposeIconSuite(empty, true);
    Free(&icon);
}

TEST(WinIconRead, HostileDirectoriesAreKeptOutWithTheirReasons) {
    const PixelFn any = [](int x, int y) { return (x ^ y) & 1; };
    const Bytes good = Ico({{16, 16, Bitmap(16, 16, 8, {}, any, any)}});
    RgbaImage big{64, 64, Bytes(64 * 64 * 4, 9)}, small{16, 16, Bytes(16 * 16 * 4, 9)};
    Bytes bigPng, brokenPng;
    ASSERT_EQ(EncodePngRgba(big, &bigPng), noErr);
    ASSERT_EQ(EncodePngRgba(small, &brokenPng), noErr);
    brokenPng.resize(brokenPng.size() - 20);
    auto poke = [&](size_t at, UInt32 v, int n) {
        Bytes b = good;
        for (int i = 0; i < n; ++i) b[at + size_t(i)] = UInt8(v >> (8 * i));
        return b;
    };
    Bytes cut(good.begin(), good.begin() + 22);
    cut[4] = 3;
    const struct {
        Bytes file;
        const char* note;
    } cases[] = {
        {cut, "the icon directory lists 3 images; the file ends after 1"},
        {poke(18, 10, 4), "its image overlaps the icon directory"},
        {poke(18, 0xFFFFFFF0, 4), "lies outside the file's 1406 bytes"},
        {poke(14, 100, 4), "its 100 bytes are fewer than the 1384 its bitmap needs"},
        {poke(22 + 14, 24, 2), "its 24-bit pixels are not a depth Korvel reads"},
        {poke(22 + 8, 64, 4), "its bitmap is 16 × 32 pixels, not the 16 × 16 the directory gives"},
        {poke(22 + 32, 1000, 4), "its palette of 1000 colours is more than 8-bit pixels use"},
        {Ico({{16, 16, bigPng}}), "its PNG image is 64 × 64 pixels, not the 16 × 16 the directory gives"},
        {Ico({{16, 16, brokenPng}}), "damaged PNG image data"},
    };
    for (const auto& c : cases) {
        KorvelIcon icon;
        std::vector<std::string> notes;
        EXPECT_EQ(WinIconBytesToKorvelIcon(c.file, &icon, &notes), noIconDataAvailableErr) << c.note;
        EXPECT_TRUE(std::any_of(notes.begin(), notes.end(),
                                [&](const std::string& n) { return n.find(c.note) != std::string::npos; }))
            << c.note << "\n" << (notes.empty() ? "" : notes.back());
        EXPECT_EQ(icon.suite, nullptr);
    }
    // A bitmap file of another size than 2102 bytes, and a file over the cap.
    KorvelIcon icon;
    EXPECT_EQ(WinIconBytesToKorvelIcon(Bytes{'B', 'M', 0x37, 0x08, 0, 0}, &icon, nullptr), -1);
    TempFolder dir;
    std::filesystem::resize_file((Spill(dir / "huge.ico", good), dir / "huge.ico"), kMaxWinIconFileBytes + 1);
    EXPECT_EQ(WinIconToKorvelIcon(FileSpecFor(dir / "huge.ico"), &icon, nullptr), memFullErr);
}

class WinIconSave : public painttest::PaintWindowTest {};

// A 100 × 40 document cut into 4 × 2 tiles: eight files numbered with one
// digit, each the tile's pixels, those beyond the image transparent.
TEST_F(WinIconSave, TilesOfTheImageGoToNumberedFiles) {
    auto [w, rec] = MakePaint(100, 40, 0, 8);
    const PixMap& image = painttest::MapOf(rec->offPort.get());
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 100; ++x) PixRow(image, y)[x] = UInt8(1 + (x * 7 + y) % 250);
    const PixMap& mask = painttest::MapOf(rec->maskPort.get());
    for (int y = 0; y < 40; ++y) std::fill_n(PixRow(mask, y), 13, 0xFF);
    TempFolder dir;
    FSSpec file = FileSpecFor(dir / "picture.ico");
    ASSERT_EQ(SaveAsSplitWinIcon(w, &file), noErr);
    EXPECT_EQ(P("picture.ico").str(), PStringToStd(file.name));
    EXPECT_EQ(rec->selRect, MakeRect(0, 0, 40, 100));
    for (int n = 1; n <= 8; ++n) {
        const std::string name = dir / ("picture." + std::to_string(n) + ".ico");
        IconSuiteRef suite = nullptr;
        ASSERT_EQ(WinIconToIconSuite(FileSpecFor(name), &suite), noErr) << name;
        const Bytes icl8 = Member(suite, "icl8"), icn = Member(suite, "ICN#");
        ASSERT_EQ(icl8.size(), 1024u);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const int ix = (n - 1) % 4 * 32 + x, iy = (n - 1) / 4 * 32 + y;
                const bool inside = ix < 100 && iy < 40;
                ASSERT_EQ(icl8[size_t(y * 32 + x)], inside ? PixRow(image, iy)[ix] : 255) << n << " " << x << "," << y;
                ASSERT_EQ(icn[size_t(128 + y * 4 + x / 8)] >> (7 - x % 8) & 1, inside) << n << " " << x << "," << y;
            }
        (void)DisposeIconSuite(suite, true);
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 8);
}

}  // namespace
