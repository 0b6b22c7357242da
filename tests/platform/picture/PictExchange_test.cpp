// Pictures from elsewhere and pictures going elsewhere: the sample corpus
// played against ImageMagick's rendering, pictures written by ppmtopict and
// ImageMagick, Korvel's pictures read by picttoppm, and `korvel inspect`.
#include "PictureTestSupport.h"

#include "platform/picture/PictFormat.h"
#include "platform/raster/GrafProcs.h"

#include <filesystem>
#include <fstream>

using namespace picttest;

namespace {

std::string CorpusFile(const char* name) { return std::string(KORVEL_CORPUS) + "/pict/" + name; }

bool HaveCorpus() { return std::filesystem::exists(CorpusFile("")); }

UniqueHandle OpenCorpus(const char* name) {
    PicHandle raw = nullptr;
    EXPECT_EQ(ReadPictFile(CorpusFile(name).c_str(), &raw), noErr) << name;
    return UniqueHandle(raw);
}

// Plays a picture into a 32-bit world the size of its frame (moved to the
// origin) that starts white.
// Pictures made at another resolution are played at their source size.
UniqueGWorld Render(PicHandle pic, OSErr* err) {
    Rect frame;
    QDGetPictureBounds(pic, &frame);
    PictInfo info;
    if (GetPictInfo(pic, &info, 0, 0, systemMethod, 0) == noErr) frame = info.sourceRect;
    Rect r = MakeRect(0, 0, RectHeight(frame), RectWidth(frame));
    UniqueGWorld g = MakeWorld(32, RectWidth(r), RectHeight(r));
    Fill(g.get(), 0xFFFFFF);
    *err = PlayInto(g.get(), pic, r);
    return g;
}

struct CorpusCase {
    const char* file;
    int depth;  // deepest raster
    // ImageMagick widens 5-bit components by shifting; playback replicates
    // the high bits into the low ones (31 becomes 255), so they differ by up to 7.
    int tolerance;
};

class CorpusRaster : public ::testing::TestWithParam<CorpusCase> {};

TEST_P(CorpusRaster, PlaysLikeImageMagickReadsIt) {
    if (!HaveCorpus()) GTEST_SKIP() << "no sample corpus";
    const auto c = GetParam();
    UniqueHandle pic = OpenCorpus(c.file);
    ASSERT_TRUE(pic);
    EXPECT_EQ(MaxDepthOf(pic.get()), c.depth == 16 ? 32 : c.depth);
    const PictInfo info = InfoOf(pic.get());
    EXPECT_EQ(info.depth, c.depth);
    EXPECT_GE(info.uniqueColors, 1);

    OSErr err = noErr;
    UniqueGWorld g = Render(pic.get(), &err);
    ASSERT_EQ(err, noErr);
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    std::vector<UInt8> bytes;
    Ppm ppm;
    if (!RunCapture("convert '" + CorpusFile(c.file) + "' -depth 8 ppm:- 2>/dev/null", bytes) || !ParsePpm(bytes, ppm))
        GTEST_SKIP() << "ImageMagick cannot read " << c.file;
    const Rect b = PM(g.get()).bounds;
    // ImageMagick sizes some pictures by their clip region, a pixel wider
    // than the source rectangle; the shared area is compared.
    ASSERT_LE(std::abs(ppm.width - RectWidth(b)), 1);
    ASSERT_LE(std::abs(ppm.height - RectHeight(b)), 1);
    for (int y = 0; y < std::min(ppm.height, RectHeight(b)); ++y)
        for (int x = 0; x < std::min(ppm.width, RectWidth(b)); ++x)
            ASSERT_LE(MaxDifference(Pixel(g.get(), x, y), ppm.px[size_t(y) * ppm.width + x]), c.tolerance)
                << x << "," << y;
}

INSTANTIATE_TEST_SUITE_P(Files, CorpusRaster,
                         ::testing::Values(CorpusCase{"32bit.pict", 32, 0}, CorpusCase{"16bit.pict", 16, 7},
                                           CorpusCase{"BLK.PCT", 32, 0}, CorpusCase{"FLAG_B24.PCT", 32, 0},
                                           CorpusCase{"TRU256.PCT", 32, 0}, CorpusCase{"food.pct", 32, 0},
                                           CorpusCase{"mire16.pict", 16, 7}, CorpusCase{"mire32.pict", 32, 0}));

// A region-masked copy whose raster is wider than the frame, placed away
// from the origin (ImageMagick renders it black, so the colours are checked
// at places whose colour is plain to see: title bar, stop sign, dialog body).
TEST(Corpus, MaskedCopyAwayFromTheOrigin) {
    if (!HaveCorpus()) GTEST_SKIP() << "no sample corpus";
    UniqueHandle pic = OpenCorpus("Picture14.pict");
    ASSERT_TRUE(pic);
    Rect frame;
    QDGetPictureBounds(pic.get(), &frame);
    EXPECT_EQ(frame, MakeRect(247, 206, 383, 610));
    OSErr err = noErr;
    UniqueGWorld g = Render(pic.get(), &err);
    ASSERT_EQ(err, noErr);
    EXPECT_EQ(Pixel(g.get(), 0, 0), 0xCCCCFFu);
    EXPECT_EQ(Pixel(g.get(), 100, 5), 0xFFFFFFu);
    EXPECT_EQ(Pixel(g.get(), 30, 50), 0xCC6666u);
    EXPECT_EQ(Pixel(g.get(), 200, 100), 0xCCCCCCu);
    EXPECT_EQ(Pixel(g.get(), 5, 130), 0xCCCCCCu);
}

int gRasters = 0;
void CountRasters(const BitMap*, const Rect*, const Rect*, SInt16, RgnHandle) { ++gRasters; }

// Pictures without rasters play into a small world: a lying frame is only a
// scale and costs nothing, QuickTime data is skipped and draws nothing.
TEST(Corpus, VectorPicturesPlayIntoASmallWorld) {
    if (!HaveCorpus()) GTEST_SKIP() << "no sample corpus";
    struct Case {
        const char* file;
        int polygons;     // -1: not checked
        bool rasterFree;  // else: a drawing with lines and comments
    };
    for (const Case c : {Case{"qt_jpeg.pict", 0, true}, Case{"oom.pict", 3, true}, Case{"demo.pict", -1, false}}) {
        SCOPED_TRACE(c.file);
        UniqueHandle pic = OpenCorpus(c.file);
        ASSERT_TRUE(pic);
        const PictInfo info = InfoOf(pic.get());
        if (c.polygons >= 0) {
            EXPECT_EQ(info.polyCount, c.polygons);
        }
        if (c.rasterFree) {
            EXPECT_EQ(info.pixMapCount + info.bitMapCount, 0);
            EXPECT_EQ(MaxDepthOf(pic.get()), 0);
        } else {
            EXPECT_GT(info.lineCount, 0);
            EXPECT_GT(info.commentCount, 0);
        }
        UniqueGWorld g = MakeWorld(32, 40, 30);
        CQDProcs procs;
        SetStdCProcs(&procs);
        procs.bitsProc = CountRasters;
        SetPortGrafProcs(g.get(), &procs);
        gRasters = 0;
        EXPECT_EQ(PlayInto(g.get(), pic.get(), MakeRect(0, 0, 30, 40)), noErr);
        SetPortGrafProcs(g.get(), nullptr);
        if (c.rasterFree) {
            EXPECT_EQ(gRasters, 0);
        }
    }
}

// ---- Pictures written by other programs ---------------------------------------------

void WriteBytes(const std::string& path, const std::vector<UInt8>& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A 32-bit world of few colours in runs and noise, and the same as a PPM.
UniqueGWorld TestImage(int w, int h, std::vector<UInt8>& ppm) {
    const UInt32 palette[] = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x336699, 0xCC9933, 0x808080};
    const std::string head = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    ppm.assign(head.begin(), head.end());
    UniqueGWorld g = MakeWorld(32, w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const UInt32 c = palette[(y % 2 ? x * 3 + y : x / 5) % 8];
            SetPixel(g.get(), x, y, c);
            ppm.insert(ppm.end(), {UInt8(c >> 16), UInt8(c >> 8), UInt8(c)});
        }
    return g;
}

struct WriterCase {
    const char* name;
    const char* command;  // %s in, %s out
    int width, height;
};

class OtherWriters : public ::testing::TestWithParam<WriterCase> {};

TEST_P(OtherWriters, KorvelPlaysTheirPicturesExactly) {
    const auto c = GetParam();
    const std::string tool = std::string(c.command).substr(0, std::string(c.command).find(' '));
    if (!HaveTool(tool.c_str())) GTEST_SKIP() << tool << " is not installed";
    std::vector<UInt8> ppm;
    UniqueGWorld want = TestImage(c.width, c.height, ppm);
    const std::string in = TempPath(std::string(c.name) + ".ppm"), out = TempPath(std::string(c.name) + ".pict");
    WriteBytes(in, ppm);
    char cmd[512];
    std::snprintf(cmd, sizeof cmd, c.command, in.c_str(), out.c_str());
    ASSERT_EQ(std::system(cmd), 0) << cmd;
    PicHandle raw = nullptr;
    ASSERT_EQ(ReadPictFile(out.c_str(), &raw), noErr);
    UniqueHandle pic(raw);
    OSErr err = noErr;
    UniqueGWorld g = Render(pic.get(), &err);
    ASSERT_EQ(err, noErr);
    ASSERT_EQ(PM(g.get()).bounds, PM(want.get()).bounds);
    ExpectSamePixels(g.get(), want.get());
    std::remove(in.c_str());
    std::remove(out.c_str());
}

INSTANTIATE_TEST_SUITE_P(
    Tools, OtherWriters,
    ::testing::Values(WriterCase{"ppmtopict", "ppmtopict %s > %s 2>/dev/null", 45, 7},
                      WriterCase{"ppmtopict_wide", "ppmtopict %s > %s 2>/dev/null", 300, 3},
                      WriterCase{"imagemagick", "convert %s %s 2>/dev/null", 45, 7},
                      WriterCase{"imagemagick_wide", "convert %s %s 2>/dev/null", 270, 4}),
    [](const auto& info) { return std::string(info.param.name); });

// picttoppm reads what Korvel records.
TEST(OtherReaders, PicttoppmReadsKorvelPictures) {
    if (!HaveTool("picttoppm")) GTEST_SKIP() << "netpbm is not installed";
    for (int depth : {8, 32}) {
        SCOPED_TRACE(depth);
        Recorded rec = RecordPattern(depth, 41, 6);
        ExpectReaderSees("picttoppm '%s' 2>/dev/null", rec.pic.get(), rec.src.get(), depth == 32 ? 0 : 1);
    }
}

// ---- The inspector, end to end ----------------------------------------------------

TEST(InspectPicture, DescribesARecordedPictureAsJson) {
    UniqueHandle pic = RecordPattern(32, 10, 4).pic;
    const std::string path = TempPath("inspect.pict");
    ASSERT_EQ(WritePictFile(path.c_str(), pic.get()), noErr);
    std::vector<UInt8> out;
    ASSERT_TRUE(RunCapture(std::string(KORVEL_BINARY) + " inspect --json '" + path + "'", out));
    EXPECT_EQ(std::string(out.begin(), out.end()),
              "{\"kind\":\"picture\",\"version\":2,\"frame\":[0,0,4,10],\"resolution\":[72,72],\"maxDepth\":32,"
              "\"opcodes\":[\"HeaderOp\",\"ClipRgn\",\"DirectBitsRect\",\"OpEndPic\"]}\n");

    out.clear();
    ASSERT_TRUE(RunCapture(std::string(KORVEL_BINARY) + " inspect '" + path + "'", out));
    const std::string text(out.begin(), out.end());
    EXPECT_NE(text.find("picture, version 2 (after a 512-byte file header)"), std::string::npos) << text;
    EXPECT_NE(text.find("DirectBitsRect  32-bit pixel map 10 x 4 packType 4, 3 components"), std::string::npos)
        << text;

    // Cut inside the raster: broken, exit status 1, one line naming the opcode.
    auto bytes = PictFileBytes(pic.get());
    bytes.resize(bytes.size() - 12);
    WriteBytes(path, bytes);
    std::vector<UInt8> err;
    EXPECT_FALSE(RunCapture(std::string(KORVEL_BINARY) + " inspect '" + path + "' 2>&1", err));
    const std::string reason(err.begin(), err.end());
    EXPECT_NE(reason.find("opcode 0x009A (DirectBitsRect)"), std::string::npos) << reason;
    std::remove(path.c_str());
}

}  // namespace
