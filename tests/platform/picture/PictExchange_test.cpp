// Pictures from elsewhere and pictures going elsewhere: the sample corpus
// played against ImageMagick's rendering, pictures written by ppmtopict and
// ImageMagick, Korvel's pictures read by picttoppm, and `korvel inspect`.
#include "PictureTestSupport.h"

#include "image/PictureInfo.h"
#include "platform/picture/PictFormat.h"
#include "platform/raster/GrafProcs.h"

#include <filesystem>
#include <fstream>

using namespace picttest;

namespace {

std::string CorpusFile(const char* name) { return std::string(KORVEL_CORPUS) + "/pict/" + name; }

bool HaveCorpus() { return std::filesystem::exists(CorpusFile("")); }

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
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) SetPixel(g.get(), x, y, 0xFFFFFF);
    SavedGWorld saved;
    SetGWorld(g.get(), nullptr);
    *err = DrawPictureChecked(pic, &r);
    return g;
}

// ImageMagick's reading of a file, as 8-bit RGB.
bool ConvertToPpm(const std::string& path, Ppm& ppm) {
    std::vector<UInt8> bytes;
    if (!RunCapture("convert '" + path + "' -depth 8 ppm:- 2>/dev/null", bytes)) return false;
    return ParsePpm(bytes, ppm);
}

int MaxDifference(UInt32 a, UInt32 b) {
    int worst = 0;
    for (int shift : {16, 8, 0}) worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return worst;
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
    PicHandle raw = nullptr;
    ASSERT_EQ(ReadPictFile(CorpusFile(c.file).c_str(), &raw), noErr);
    UniqueHandle pic(raw);
    SInt16 depth = 0;
    EXPECT_EQ(GetPictureMaxDepth(pic.get(), &depth), noErr);
    EXPECT_EQ(depth, c.depth == 16 ? 32 : c.depth);
    PictInfo info;
    ASSERT_EQ(GetPictInfo(pic.get(), &info, 0, 0, systemMethod, 0), noErr);
    EXPECT_EQ(info.depth, c.depth);
    EXPECT_GE(info.uniqueColors, 1);

    OSErr err = noErr;
    UniqueGWorld g = Render(pic.get(), &err);
    ASSERT_EQ(err, noErr);
    if (!HaveTool("convert")) GTEST_SKIP() << "ImageMagick is not installed";
    Ppm ppm;
    if (!ConvertToPpm(CorpusFile(c.file), ppm)) GTEST_SKIP() << "ImageMagick cannot read " << c.file;
    const Rect b = PM(g.get()).bounds;
    // ImageMagick sizes some pictures by their clip region, a pixel wider
    // than the source rectangle; the shared area is compared.
    ASSERT_LE(std::abs(ppm.width - RectWidth(b)), 1);
    ASSERT_LE(std::abs(ppm.height - RectHeight(b)), 1);
    const int w = std::min(ppm.width, RectWidth(b)), h = std::min(ppm.height, RectHeight(b));
    int worst = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            worst = std::max(worst, MaxDifference(Pixel(g.get(), x, y), ppm.px[size_t(y) * ppm.width + x]));
    EXPECT_LE(worst, c.tolerance) << c.file;
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
    PicHandle raw = nullptr;
    ASSERT_EQ(ReadPictFile(CorpusFile("Picture14.pict").c_str(), &raw), noErr);
    UniqueHandle pic(raw);
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

TEST(Corpus, QuickTimeOnlyPictureDrawsNoRaster) {
    if (!HaveCorpus()) GTEST_SKIP() << "no sample corpus";
    PicHandle raw = nullptr;
    ASSERT_EQ(ReadPictFile(CorpusFile("qt_jpeg.pict").c_str(), &raw), noErr);
    UniqueHandle pic(raw);
    PictInfo info;
    ASSERT_EQ(GetPictInfo(pic.get(), &info, 0, 0, systemMethod, 0), noErr);
    EXPECT_EQ(info.pixMapCount + info.bitMapCount, 0);
    SInt16 depth = -1;
    EXPECT_EQ(GetPictureMaxDepth(pic.get(), &depth), noErr);
    EXPECT_EQ(depth, 0);

    UniqueGWorld g = MakeWorld(32, 50, 50);
    SavedGWorld saved;
    SetGWorld(g.get(), nullptr);
    CQDProcs procs;
    SetStdCProcs(&procs);
    procs.bitsProc = CountRasters;
    SetPortGrafProcs(g.get(), &procs);
    gRasters = 0;
    Rect r = MakeRect(0, 0, 50, 50);
    EXPECT_EQ(DrawPictureChecked(pic.get(), &r), noErr);
    SetPortGrafProcs(g.get(), nullptr);
    EXPECT_EQ(gRasters, 0);
}

TEST(Corpus, LyingFrameCostsNothing) {
    if (!HaveCorpus()) GTEST_SKIP() << "no sample corpus";
    PicHandle raw = nullptr;
    ASSERT_EQ(ReadPictFile(CorpusFile("oom.pict").c_str(), &raw), noErr);
    UniqueHandle pic(raw);
    // Played into a small world: the frame is only a scale, nothing is
    // allocated for it.
    UniqueGWorld g = MakeWorld(32, 40, 30);
    SavedGWorld saved;
    SetGWorld(g.get(), nullptr);
    Rect r = MakeRect(0, 0, 30, 40);
    EXPECT_EQ(DrawPictureChecked(pic.get(), &r), noErr);
    SInt16 depth = -1;
    EXPECT_EQ(GetPictureMaxDepth(pic.get(), &depth), noErr);
    EXPECT_EQ(depth, 0);
    PictInfo info;
    ASSERT_EQ(GetPictInfo(pic.get(), &info, 0, 0, systemMethod, 0), noErr);
    EXPECT_EQ(info.polyCount, 3);
}

TEST(Corpus, DrawingPictureCountsItsOperations) {
    if (!HaveCorpus()) GTEST_SKIP() << "no sample corpus";
    PicHandle raw = nullptr;
    ASSERT_EQ(ReadPictFile(CorpusFile("demo.pict").c_str(), &raw), noErr);
    UniqueHandle pic(raw);
    PictInfo info;
    ASSERT_EQ(GetPictInfo(pic.get(), &info, 0, 0, systemMethod, 0), noErr);
    EXPECT_GT(info.lineCount, 0);
    EXPECT_GT(info.commentCount, 0);
    OSErr err = noErr;
    UniqueGWorld g = Render(pic.get(), &err);
    EXPECT_EQ(err, noErr);
}

// ---- Pictures written by other programs ---------------------------------------------

// A PPM with few colours in runs and noise.
std::vector<UInt8> TestPpm(int w, int h, std::vector<UInt32>& px) {
    const UInt32 palette[] = {0xFFFFFF, 0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0x336699, 0xCC9933, 0x808080};
    std::string head = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
    std::vector<UInt8> out(head.begin(), head.end());
    px.clear();
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const UInt32 c = palette[(y % 2 ? x * 3 + y : x / 5) % 8];
            px.push_back(c);
            out.push_back(UInt8(c >> 16)), out.push_back(UInt8(c >> 8)), out.push_back(UInt8(c));
        }
    return out;
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
    std::vector<UInt32> px;
    const auto ppm = TestPpm(c.width, c.height, px);
    const std::string in = TempPath(std::string(c.name) + ".ppm"), out = TempPath(std::string(c.name) + ".pict");
    std::ofstream(in, std::ios::binary).write(reinterpret_cast<const char*>(ppm.data()), std::streamsize(ppm.size()));
    char cmd[512];
    std::snprintf(cmd, sizeof cmd, c.command, in.c_str(), out.c_str());
    ASSERT_EQ(std::system(cmd), 0) << cmd;
    PicHandle raw = nullptr;
    ASSERT_EQ(ReadPictFile(out.c_str(), &raw), noErr);
    UniqueHandle pic(raw);
    OSErr err = noErr;
    UniqueGWorld g = Render(pic.get(), &err);
    ASSERT_EQ(err, noErr);
    ASSERT_EQ(RectWidth(PM(g.get()).bounds), c.width);
    ASSERT_EQ(RectHeight(PM(g.get()).bounds), c.height);
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            ASSERT_EQ(Pixel(g.get(), x, y), px[size_t(y) * c.width + x]) << c.name << " at " << x << "," << y;
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
        UniqueGWorld src = MakeWorld(depth, 41, 6);
        FillPattern(src.get());
        UniqueGWorld on = MakeWorld(depth, 41, 6);
        Rect r = MakeRect(0, 0, 6, 41);
        UniqueHandle pic = RecordCopy(on.get(), src.get(), r, r);
        const std::string path = TempPath("picttoppm" + std::to_string(depth) + ".pict");
        ASSERT_EQ(WritePictFile(path.c_str(), pic.get()), noErr);
        std::vector<UInt8> bytes;
        ASSERT_TRUE(RunCapture("picttoppm '" + path + "' 2>/dev/null", bytes)) << depth;
        Ppm ppm;
        ASSERT_TRUE(ParsePpm(bytes, ppm));
        ASSERT_EQ(ppm.width, 41);
        ASSERT_EQ(ppm.height, 6);
        for (int y = 0; y < 6; ++y)
            for (int x = 0; x < 41; ++x)
                ASSERT_LE(MaxDifference(ppm.px[size_t(y) * 41 + x], PixelRGB(src.get(), x, y)), depth == 32 ? 0 : 1)
                    << depth << " at " << x << "," << y;
        std::remove(path.c_str());
    }
}

// ---- The inspector, end to end ----------------------------------------------------

TEST(InspectPicture, DescribesARecordedPictureAsJson) {
    UniqueGWorld src = MakeWorld(32, 10, 4);
    FillPattern(src.get());
    UniqueGWorld on = MakeWorld(32, 10, 4);
    Rect r = MakeRect(0, 0, 4, 10);
    UniqueHandle pic = RecordCopy(on.get(), src.get(), r, r);
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
    std::ofstream(path, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    std::vector<UInt8> err;
    EXPECT_FALSE(RunCapture(std::string(KORVEL_BINARY) + " inspect '" + path + "' 2>&1", err));
    const std::string reason(err.begin(), err.end());
    EXPECT_NE(reason.find("opcode 0x009A (DirectBitsRect)"), std::string::npos) << reason;
    std::remove(path.c_str());
}

}  // namespace
