// Windows icons: which members entries become, the layout Korvel writes,
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

void Le(Bytes& b, UInt32 v, int n) {
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
            for (size_t i = 0; i < alpha.size(); ++i) oneBit[alpha.size() / 8 + i / 8] |= UInt8((alpha[i] >= 128) << (7 - i % 8));
            EXPECT_EQ(Member(icon.suite, size == 32 ? "ICN#" : "ics#"), oneBit) << size;
        }
        Free(&icon);
    }
}

TEST(WinIconInterop, KorvelFilesDecodeInEachPeerAsKorvelHoldsThem) {
    TempFolder dir;
    std::mt19937 random(7);
    KorvelIcon icon;
    ASSERT_EQ(NewIconSuite(&icon.suite), noErr);
    auto noise = [&](size_t n) {
        Bytes b(n);
        for (UInt8& v : b) v = UInt8(random());
        return NewHandleFromBytes(b);
    };
    for (auto [type, n] : {std::pair{"icl8", 1024}, {"icl4", 512}, {"ics8", 256}, {"ics4", 128}, {"ICN#", 256},
                           {"ics#", 64}, {"il32", 4096}, {"l8mk", 1024}, {"is32", 1024}, {"s8mk", 256}})
        ASSERT_EQ(AddIconToSuite(noise(size_t(n)), icon.suite, TypeCode(type)), noErr);
    icon.it32Data = noise(65536);
    icon.t8mkData = noise(16384);
    const std::string path = dir / "korvel.ico";
    ASSERT_EQ(MakeWinIconFromKorvelIcon(FileSpecFor(path), icon), noErr);
    const std::pair<int, int> written[] = {{32, 8}, {32, 4}, {16, 8}, {16, 4}, {32, 32}, {16, 32}, {128, 32}};
    for (const char* peer : {"Pillow", "icotool", "ImageMagick"}) {
        const std::vector<Bytes> frames = PeerFrames(peer, path, dir);
        ASSERT_EQ(frames.size(), 7u) << peer;
        for (size_t i = 0; i < 7; ++i)
            EXPECT_TRUE(SamePixels(MemberRgba(icon, written[i].first, written[i].second), frames[i])) << peer << " " << i;
    }
    KorvelIcon back;
    std::vector<std::string> notes;
    ASSERT_EQ(WinIconToKorvelIcon(FileSpecFor(path), &back, &notes), noErr);
    EXPECT_TRUE(notes.empty());
    for (auto [size, depth] : written) EXPECT_TRUE(SamePixels(MemberRgba(icon, size, depth), MemberRgba(back, size, depth)));
    Free(&icon);
    Free(&back);
}

}  // namespace
