// Pictures from elsewhere: the sample pictures in tests/data and pictures that
// ppmtopict and ImageMagick write, played and compared with ImageMagick's
// reading of them.
#include "PictureTestSupport.h"

#include "platform/picture/PictFormat.h"
#include "platform/raster/GrafProcs.h"

#include <cctype>

using namespace picttest;

namespace {

std::string DataFile(const std::string& name) { return std::string(KORVEL_TEST_DATA) + "/pict/" + name; }

UniqueHandle OpenFile(const std::string& path) {
    PicHandle raw = nullptr;
    EXPECT_EQ(ReadPictFile(path.c_str(), &raw), noErr) << path;
    return UniqueHandle(raw);
}

// Plays a picture into a 32-bit world the size of its source rectangle (moved
// to the origin) that starts white.
UniqueGWorld Render(PicHandle pic) {
    const Rect frame = InfoOf(pic).sourceRect;
    const Rect r = MakeRect(0, 0, RectHeight(frame), RectWidth(frame));
    UniqueGWorld g = MakeWorld(32, RectWidth(r), RectHeight(r));
    Fill(g.get(), 0xFFFFFF);
    EXPECT_EQ(PlayInto(g.get(), pic, r), noErr);
    return g;
}

struct SampleCase {
    const char* file;
    int depth;  // deepest raster
    // ImageMagick widens 5-bit components by shifting; playback replicates
    // the high bits into the low ones (31 becomes 255), so they differ by up to 7.
    int tolerance;
    // ImageMagick refuses some files that play well. It reads this one in
    // the file's place (the same chart at another depth)...
    const char* reference = nullptr;
    // ...or the file with its clip region set to the frame (it refuses clip
    // coordinates below zero).
    bool clipToFrame = false;
};

class SamplePictures : public ::testing::TestWithParam<SampleCase> {};

TEST_P(SamplePictures, PlayAsImageMagickReadsThem) {
    const auto c = GetParam();
    UniqueHandle pic = OpenFile(DataFile(c.file));
    ASSERT_TRUE(pic);
    EXPECT_EQ(MaxDepthOf(pic.get()), c.depth == 16 ? 32 : c.depth);
    EXPECT_EQ(InfoOf(pic.get()).depth, c.depth);
    UniqueGWorld g = Render(pic.get());

    std::string reference = DataFile(c.reference ? c.reference : c.file);
    TempFolder tmp;
    if (c.clipToFrame) {
        struct Clip : PictSink {
            size_t at = 0;
            void opcode(UInt16 op, size_t offset) override { at = op == kPictClipRgn && !at ? offset : at; }
        } clip;
        const auto bytes = Bytes(pic.get());
        ASSERT_EQ(WalkPicture(bytes, clip), noErr);
        ASSERT_NE(clip.at, 0u);
        ByteWriter file;
        file.zeros(512);
        file.bytes(bytes);
        const Rect frame = MakeRect(0, 0, RectHeight(MapOf(g.get()).bounds), RectWidth(MapOf(g.get()).bounds));
        for (int k = 0; k < 4; ++k) file.patchU16be(512 + clip.at + 4 + 2 * k, UInt16((&frame.top)[k]));
        reference = tmp / "clipped.pict";
        Spill(reference, file.buffer());
    }
    Ppm ppm;
    ASSERT_TRUE(ImageMagickReads(reference, ppm));
    // ImageMagick sizes some pictures by their clip region, a pixel wider
    // than the source rectangle.
    ExpectColoursNear(ppm, g.get(), c.tolerance, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Files, SamplePictures,
    ::testing::Values(SampleCase{"32bit.pict", 32, 0}, SampleCase{"16bit.pict", 16, 7}, SampleCase{"BLK.PCT", 32, 0},
                      SampleCase{"FLAG_B24.PCT", 32, 0}, SampleCase{"TRU256.PCT", 32, 0},
                      SampleCase{"food.pct", 32, 0, nullptr, true}, SampleCase{"mire16.pict", 16, 7},
                      SampleCase{"mire32.pict", 32, 7, "mire16.pict"}),
    [](const auto& info) {
        std::string name = info.param.file;
        for (char& ch : name) ch = std::isalnum(UInt8(ch)) ? ch : '_';
        return name;
    });

// A region-masked copy whose raster is wider than the frame, placed away
// from the origin (ImageMagick renders it black, so the colours are checked
// at places whose colour is plain to see: title bar, stop sign, dialog body).
TEST(SamplePicture, MaskedCopyAwayFromTheOrigin) {
    UniqueHandle pic = OpenFile(DataFile("Picture14.pict"));
    ASSERT_TRUE(pic);
    Rect frame;
    QDGetPictureBounds(pic.get(), &frame);
    EXPECT_EQ(frame, MakeRect(247, 206, 383, 610));
    UniqueGWorld g = Render(pic.get());
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
TEST(SamplePicture, VectorPicturesPlayIntoASmallWorld) {
    struct Case {
        const char* file;
        int polygons;     // -1: not checked
        bool rasterFree;  // else: a drawing with lines and comments
    };
    for (const Case c : {Case{"qt_jpeg.pict", 0, true}, Case{"oom.pict", 3, true}, Case{"demo.pict", -1, false}}) {
        SCOPED_TRACE(c.file);
        UniqueHandle pic = OpenFile(DataFile(c.file));
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

struct WriterCase {
    const char* name;
    const char* command;  // writes the picture file named by $OUT
};

class OtherWriters : public ::testing::TestWithParam<WriterCase> {};

TEST_P(OtherWriters, KorvelPlaysTheirPicturesAsImageMagickReadsThem) {
    ASSERT_TRUE(HaveTools({"convert", "ppmtopict"}));
    TempFolder tmp;
    const std::string out = tmp / (std::string(GetParam().name) + ".pict");
    const std::string command = "OUT='" + out + "'; " + GetParam().command + " 2>/dev/null";
    ASSERT_TRUE(RunCommand(command)) << command;
    UniqueHandle pic = OpenFile(out);
    ASSERT_TRUE(pic);
    UniqueGWorld g = Render(pic.get());
    Ppm ppm;
    ASSERT_TRUE(ImageMagickReads(out, ppm));
    ExpectColoursNear(ppm, g.get(), 0);
}

// ImageMagick writes up to 256 colours as an 8-bit PackBitsRect and more as a
// DirectBitsRect of three components (four with alpha). It gives packed rows
// two-byte counts when a row's packed data is above 200 bytes, where the
// format says rowBytes above 250: the widths below are on both sides of both.
#define ALPHA " -alpha set -channel A -evaluate set 50%"
INSTANTIATE_TEST_SUITE_P(
    Tools, OtherWriters,
    ::testing::Values(
        WriterCase{"ppmtopict", "convert -size 45x7 gradient:red-blue -colors 8 -depth 8 ppm:- | ppmtopict >$OUT"},
        WriterCase{"ppmtopict_300", "convert -size 300x3 gradient:red-blue -colors 200 -depth 8 ppm:- | ppmtopict >$OUT"},
        WriterCase{"indexed_45", "convert -size 45x7 gradient:red-blue -colors 8 -depth 8 PICT:$OUT"},
        WriterCase{"indexed_230", "convert -size 230x4 gradient:yellow-navy -colors 200 -depth 8 PICT:$OUT"},
        WriterCase{"rgb_63", "convert -size 63x4 gradient:orange-teal PICT:$OUT"},
        WriterCase{"rgb_64", "convert -size 64x64 gradient: PICT:$OUT"},
        WriterCase{"rgb_66", "convert -size 66x3 gradient:red-blue PICT:$OUT"},
        WriterCase{"rgb_270", "convert -size 270x4 gradient:white-green PICT:$OUT"},
        WriterCase{"rgba_50", "convert -size 50x3 gradient:red-blue" ALPHA " PICT:$OUT"},
        WriterCase{"rgba_62", "convert -size 62x3 gradient:red-blue" ALPHA " PICT:$OUT"},
        WriterCase{"rgba_70", "convert -size 70x6 gradient:red-blue" ALPHA " PICT:$OUT"}),
    [](const auto& info) { return std::string(info.param.name); });
#undef ALPHA

}  // namespace
