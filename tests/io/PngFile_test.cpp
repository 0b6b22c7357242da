// PNG documents: the files Korvel writes (exact chunk bytes, read back by
// Pillow, ImageMagick and pngcheck), the files peers write (every colour
// type and depth, as those peers see them), and hostile files.
#include "io/PngFile.h"
#include "app/Alerts.h"
#include "platform/files/FileIO.h"
#include "platform/files/Files.h"
#include "platform/resources/Resources.h"
#include "tests/support/PaintTestSupport.h"
#include "tests/support/Peers.h"

#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <map>

namespace {

using namespace painttest;
using Bytes = std::vector<UInt8>;
namespace fs = std::filesystem;

Bytes FileBytes(const std::string& path) {
    Bytes b;
    EXPECT_EQ(ReadWholeFile(path, &b), noErr) << path;
    return b;
}

// The chunks of a PNG by type (the last of each type).
std::map<std::string, Bytes> Chunks(const Bytes& png) {
    std::map<std::string, Bytes> chunks;
    for (size_t at = 8; at + 12 <= png.size();) {
        const size_t len = size_t(png[at]) << 24 | size_t(png[at + 1]) << 16 | size_t(png[at + 2]) << 8 | png[at + 3];
        chunks[std::string(png.begin() + long(at) + 4, png.begin() + long(at) + 8)] =
            Bytes(png.begin() + long(at) + 8, png.begin() + long(at + 8 + len));
        at += 12 + len;
    }
    return chunks;
}

Bytes Chunk(const std::string& type, const Bytes& data) {
    Bytes out(8 + data.size());
    for (int i = 0; i < 4; ++i) {
        out[size_t(i)] = UInt8(data.size() >> (24 - 8 * i));
        out[size_t(4 + i)] = UInt8(type[size_t(i)]);
    }
    std::copy(data.begin(), data.end(), out.begin() + 8);
    const uLong crc = crc32(0, out.data() + 4, uInt(out.size() - 4));
    for (int s : {24, 16, 8, 0}) out.push_back(UInt8(crc >> s));
    return out;
}

// A PNG of the header's size whose image data is `raw` (filter bytes included).
Bytes MakePng(UInt32 width, UInt32 height, UInt8 depth, UInt8 type, const Bytes& raw) {
    Bytes png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const Bytes ihdr{UInt8(width >> 24), UInt8(width >> 16), UInt8(width >> 8), UInt8(width),
                     UInt8(height >> 24), UInt8(height >> 16), UInt8(height >> 8), UInt8(height), depth, type, 0, 0, 0};
    Bytes z(compressBound(uLong(raw.size())));
    uLongf zlen = z.size();
    EXPECT_EQ(compress2(z.data(), &zlen, raw.data(), uLong(raw.size()), 9), Z_OK);
    z.resize(zlen);
    for (const Bytes& c : {Chunk("IHDR", ihdr), Chunk("IDAT", z), Chunk("IEND", {})}) png.insert(png.end(), c.begin(), c.end());
    return png;
}

// What a peer reads: 8-bit RGBA rows (16-bit grey reduced as libpng does).
Bytes PeerRGBA(const std::string& peer, const std::string& path) {
    const std::string pillow =
        Python() + " -c \"import sys; from PIL import Image; im = Image.open(sys.argv[1]);"
                   " im = im.point(lambda v: v * (1 / 257)).convert('L') if im.mode.startswith('I') else im;"
                   " sys.stdout.buffer.write(im.convert('RGBA').tobytes())\" '" + path + "'";
    Bytes out;
    EXPECT_TRUE(RunCapture(peer == "pillow" ? pillow : "convert '" + path + "' -depth 8 RGBA:-", out)) << peer;
    return out;
}

// What Korvel holds: colours, and alpha 255 where the mask is set.
Bytes KorvelRGBA(GWorldPtr image, GWorldPtr mask) {
    const PixMap& pm = MapOf(image);
    Bytes out;
    for (int v = 0; v < pm.bounds.bottom; ++v)
        for (int h = 0; h < pm.bounds.right; ++h) {
            const RGBColor c = ReadPixel(pm, h, v);
            out.insert(out.end(), {UInt8(c.red >> 8), UInt8(c.green >> 8), UInt8(c.blue >> 8),
                                   UInt8(!mask || Px(MapOf(mask), h, v) ? 255 : 0)});
        }
    return out;
}

// Equal colours, and alpha on the same side of one half.
void ExpectSameRGBA(const Bytes& korvel, const Bytes& peer, const std::string& what) {
    ASSERT_EQ(korvel.size(), peer.size()) << what;
    int wrong = 0;
    for (size_t i = 0; i < korvel.size(); ++i) {
        const bool same = i % 4 == 3 ? (korvel[i] >= 128) == (peer[i] >= 128) : korvel[i] == peer[i];
        if (!same && ++wrong <= 3) ADD_FAILURE() << what << ": byte " << i << " " << int(korvel[i]) << " vs " << int(peer[i]);
    }
}

class PngFile : public ToolTest {
protected:
    void SetUp() override {
        ToolTest::SetUp();
        fs::create_directories(dir_);
        gPNGFilePrefs = PNGFilePrefs{};
    }
    void TearDown() override {
        SetAtomicWriteHookForTesting(nullptr);
        gPNGFilePrefs = saved_;
        fs::remove_all(dir_);
        ToolTest::TearDown();
    }
    FSSpec FileSpecNamed(const std::string& name) const {
        FSSpec fileSpec;
        EXPECT_EQ(FSSpecFromPath(dir_ + "/" + name, &fileSpec), noErr);
        return fileSpec;
    }
    static int PaintWindows() {
        int n = 0;
        for (WindowRef w = GetWindowList(); w; w = GetNextWindow(w)) n += GetPaintWinRec(w) != nullptr;
        return n;
    }
    const std::string dir_ = (fs::temp_directory_path() / ("korvel-png-" + std::to_string(getpid()))).string();
    const PNGFilePrefs saved_ = gPNGFilePrefs;
};

std::string Pattern(int x, int y) { return std::string(1, ".#rgb"[(x + 2 * y) % 5]); }

// The four layouts of the settings' main cases, each read back by the peers
// and by Korvel.
TEST_F(PngFile, WrittenLayoutsReadBackEverywhere) {
    Rows five, three, two, mask;
    for (int y = 0; y < 32; ++y) {
        five.emplace_back(), three.emplace_back(), two.emplace_back(), mask.emplace_back();
        for (int x = 0; x < 32; ++x) {
            five.back() += Pattern(x, y);
            three.back() += ".#r"[(x + y) % 3];
            two.back() += "rb"[(x / 3 + y) % 2];
            mask.back() += x < 4 && y < 2 ? '.' : '#';
        }
    }
    struct Case {
        const char* name;
        Rows image, mask;
        SInt16 depth, kind, reduce;
        Bytes ihdr, plte, trns;
    };
    const Bytes standardEnds{0xFF, 0xFF, 0xFF, 0, 0, 0};
    const std::vector<Case> cases = {
        {"five colours", five, {}, 8, 0, 1, {0, 0, 0, 32, 0, 0, 0, 32, 4, 3, 0, 0, 1},
         {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0}, {}},
        {"256 entries", five, {}, 8, 0, 0, {0, 0, 0, 32, 0, 0, 0, 32, 8, 3, 0, 0, 1}, standardEnds, {}},
        {"own transparent entry", three, mask, 8, 6, 1, {0, 0, 0, 32, 0, 0, 0, 32, 2, 3, 0, 0, 1},
         {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0xFE, 0xFE, 0xFE, 0, 0, 0}, {255, 255, 0}},
        {"two colours", two, {}, 8, 0, 1, {0, 0, 0, 32, 0, 0, 0, 32, 1, 3, 0, 0, 1}, {0xFF, 0, 0, 0, 0, 0xFF}, {}},
        {"32-bit white transparent", five, {}, 24, 1, 1, {0, 0, 0, 32, 0, 0, 0, 32, 8, 2, 0, 0, 1}, {},
         {0, 0xFF, 0, 0xFF, 0, 0xFF}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        gPNGFilePrefs.transColorKind = c.kind;
        gPNGFilePrefs.reduceColors = UInt8(c.reduce);
        const Doc doc = MakeDoc(c.image, 0, c.mask, c.depth);
        doc.rec->hasTransparency = !c.mask.empty();
        const FSSpec fileSpec = FileSpecNamed(std::string(c.name) + ".png");
        const std::string path = FSSpecToPath(&fileSpec);
        std::ofstream(path) << std::string(9000, 'x');  // an older, longer file
        ASSERT_EQ(SaveAsPNG(doc.w, fileSpec), noErr);
        const Bytes png = FileBytes(path);
        auto chunks = Chunks(png);
        EXPECT_EQ(chunks["IHDR"], c.ihdr);
        Bytes plte = chunks["PLTE"];
        if (c.plte == standardEnds) {
            EXPECT_EQ(plte.size(), 768u);
            plte.erase(plte.begin() + 3, plte.end() - 3);
        }
        EXPECT_EQ(plte, c.plte);
        EXPECT_EQ(chunks["tRNS"], c.trns);
        EXPECT_EQ(chunks["gAMA"], (Bytes{0, 0, 0xD9, 0x03}));
        EXPECT_EQ(chunks["pHYs"], (Bytes{0, 0, 0x0B, 0x13, 0, 0, 0x0B, 0x13, 1}));
        EXPECT_EQ(chunks["tEXt"], (Bytes{'S', 'o', 'f', 't', 'w', 'a', 'r', 'e', 0, 'K', 'o', 'r', 'v', 'e', 'l'}));
        EXPECT_EQ(chunks["tIME"].size(), 7u);
        const std::string iend = "IEND";  // the file ends with it: nothing of the longer file is left
        EXPECT_EQ(size_t(std::search(png.begin(), png.end(), iend.begin(), iend.end()) - png.begin()), png.size() - 8);
        EXPECT_TRUE(RunCommand("pngcheck -q '" + path + "' >/dev/null"));

        // Peers see the document's pixels, transparent where tRNS says.
        Bytes want;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const bool clear = !c.mask.empty() && c.mask[size_t(y)][size_t(x)] == '.';
                const RGBColor rgb = clear ? RGBColor{0xFE00, 0xFE00, 0xFE00} : ColorOf(c.image[size_t(y)][size_t(x)]);
                const bool keyed = c.kind == 1 && rgb == kWhite;
                want.insert(want.end(), {UInt8(rgb.red >> 8), UInt8(rgb.green >> 8), UInt8(rgb.blue >> 8),
                                         UInt8(clear || keyed ? 0 : 255)});
            }
        for (const char* peer : {"pillow", "magick"}) ExpectSameRGBA(want, PeerRGBA(peer, path), peer);

        // And Korvel opens it as it was, the transparent entry as the mask.
        gPNGFilePrefs.readTransMask = 1;
        doc.rec->isDirty = false;
        ASSERT_EQ(ClosePaintWindow(doc.w, true), noErr);
        ASSERT_EQ(OpenPNGFile(fileSpec), noErr);
        PaintWinRec* back = GetPaintWinRec(FrontDocumentWindow());
        ASSERT_NE(back, nullptr);
        EXPECT_EQ(back->depth, c.depth);
        EXPECT_FALSE(back->isDirty);
        EXPECT_EQ(back->fileType, FourCC("PNGf"));
        Rows shown = c.image;  // transparent pixels come back white
        for (size_t y = 0; y < c.mask.size(); ++y) {
            for (size_t x = 0; x < 32; ++x)
                if (c.mask[y][x] == '.') shown[y][x] = '.';
        }
        EXPECT_EQ(Image(back), shown);
        if (c.kind != 1) {
            EXPECT_EQ(Mask(back), c.mask.empty() ? Rows(32, std::string(32, '#')) : c.mask);
        }
        CloseAllDocuments();
    }
}

// Every colour type and depth as Pillow and ImageMagick write them opens
// as they read them; the documents made of them show the same pixels.
TEST_F(PngFile, PeerFilesOpenAsPeersSeeThem) {
    const std::string data = std::string(KORVEL_TEST_DATA) + "/png";
    int files = 0;
    for (const auto& entry : fs::directory_iterator(data)) {
        if (entry.path().extension() != ".png") continue;
        ++files;
        const std::string path = entry.path().string(), name = entry.path().filename().string();
        PNGDecoded decoded;
        SInt16 message = 0;
        std::string why;
        ASSERT_EQ(PNGDecodeBytes(FileBytes(path), true, kMaxPNGPixels, &decoded, &message, &why), noErr) << name;
        const Bytes korvel = KorvelRGBA(decoded.image.get(), decoded.mask.get());
        for (const char* peer : {"pillow", "magick"}) ExpectSameRGBA(korvel, PeerRGBA(peer, path), name + " " + peer);

        gPNGFilePrefs.readTransMask = 1;
        ResetScriptLog();
        FSSpec fileSpec;
        ASSERT_EQ(FSSpecFromPath(path, &fileSpec), noErr);
        ASSERT_EQ(OpenPNGFile(fileSpec), noErr) << name;
        // The notice for an alpha channel, and no other alert.
        EXPECT_EQ(DialogsShown().size(), decoded.hadAlpha ? 1u : 0u) << name;
        PaintWinRec* rec = GetPaintWinRec(FrontDocumentWindow());
        ASSERT_NE(rec, nullptr);
        EXPECT_EQ(bool(rec->hasTransparency), bool(decoded.mask)) << name;
        Bytes shown = KorvelRGBA(rec->offPort.get(), rec->maskPort.get());
        Bytes want = korvel;
        for (size_t i = 0; i < want.size(); i += 4)
            if (want[i + 3] == 0) want[i] = want[i + 1] = want[i + 2] = 255;  // transparent shows white
        EXPECT_EQ(shown, want) << name;  // palettes and greys of the standard table: no dithering
        CloseAllDocuments();
    }
    EXPECT_EQ(files, 19);
}

// Refused files: a clear alert, no window, nothing changed.
TEST_F(PngFile, HostileFilesAreRefused) {
    const Bytes good = FileBytes(std::string(KORVEL_TEST_DATA) + "/png/pillow-rgb.png");
    Bytes badCrc = good;
    badCrc[good.size() - 20] ^= 0xFF;  // inside IDAT
    Bytes tenByTen(10 * 31, 0);
    struct Case {
        const char* name;
        Bytes bytes;
        SInt16 message;
    };
    const std::vector<Case> cases = {
        {"short", {0x89, 'P', 'N', 'G'}, kPNGSignatureUnreadableMessage},
        {"not a PNG", Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, kPNGNotPNGMessage},
        {"truncated", Bytes(good.begin(), good.begin() + long(good.size() / 2)), kPNGReadFailedMessage},
        {"damaged data", badCrc, kPNGReadFailedMessage},
        {"lying header", MakePng(100, 100, 8, 2, tenByTen), kPNGReadFailedMessage},
        {"too wide", MakePng(32768, 1, 8, 0, Bytes(32769, 0)), kPNGTooLargeMessage},
        {"too many pixels (bomb)", MakePng(16384, 8192, 8, 0, Bytes(16385 * 8, 0)), kPNGTooLargeMessage},
        {"enormous header", MakePng(0x7FFFFFFF, 0x7FFFFFFF, 16, 6, {0}), kPNGTooLargeMessage},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FSSpec fileSpec = FileSpecNamed("hostile.png");
        ASSERT_EQ(WriteFileAtomically(FSSpecToPath(&fileSpec), c.bytes), noErr);
        ResetScriptLog();
        EXPECT_NE(OpenPNGFile(fileSpec), noErr);
        EXPECT_EQ(PaintWindows(), 0);
        Str255 message;
        GetIndString(message, kPNGErrStrings, c.message);
        EXPECT_NE(LastAlertText().find(PStringToStd(message)), std::string::npos) << LastAlertText();
        EXPECT_EQ(FileBytes(FSSpecToPath(&fileSpec)), c.bytes);
    }
}

// A save that fails after the new file is half made leaves the old one.
TEST_F(PngFile, FailedSaveKeepsTheOldFile) {
    const Doc doc = MakeDoc(Rows{"r#", "#r"}, 0, {}, 24);
    const FSSpec fileSpec = FileSpecNamed("kept.png");
    std::ofstream(FSSpecToPath(&fileSpec)) << "the old file";
    std::string temp;
    SetAtomicWriteHookForTesting([&temp](const std::string& path) {
        temp = path;
        return false;
    });
    ResetScriptLog();
    EXPECT_NE(SaveAsPNG(doc.w, fileSpec), noErr);
    EXPECT_NE(LastAlertText().find("unchanged"), std::string::npos);
    EXPECT_FALSE(temp.empty());
    EXPECT_FALSE(fs::exists(temp));
    const Bytes old = FileBytes(FSSpecToPath(&fileSpec));
    EXPECT_EQ(std::string(old.begin(), old.end()), "the old file");
}

// The zoom saved in the file's resource fork is the new window's.
TEST_F(PngFile, OpensAtTheSavedZoom) {
    const FSSpec fileSpec = FileSpecNamed("zoomed.png");
    ASSERT_EQ(WriteFileAtomically(FSSpecToPath(&fileSpec), FileBytes(std::string(KORVEL_TEST_DATA) + "/png/pillow-p1.png")),
              noErr);
    FSpCreateResFile(&fileSpec, FourCC("Krvl"), FourCC("PNGf"), smSystemScript);
    const SInt16 ref = FSpOpenResFile(&fileSpec, fsRdWrPerm);
    ASSERT_NE(ref, kResFileNotOpen);
    Str255 name;
    CopyCStringToPascal("mag", name);
    AddResource(NewHandleFromBytes(Bytes{0, 3}), FourCC("Krvl"), 128, name);
    CloseResFile(ref);
    ASSERT_EQ(OpenPNGFile(fileSpec), noErr);
    EXPECT_EQ(GetPaintWinRec(FrontDocumentWindow())->ratio, 3);
    // Opening it again brings the same window forward.
    ASSERT_EQ(OpenPNGFile(fileSpec), noErr);
    EXPECT_EQ(PaintWindows(), 1);
}

}  // namespace
