// Helpers shared by the picture tests: worlds filled with known pixels,
// recording a copy into a picture, and reading pixels back.
#pragma once

#include "image/PictureInfo.h"
#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "tests/platform/files/TempFolder.h"
#include "tests/platform/raster/PixelArt.h"
#include "tests/support/Peers.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace picttest {

using pixelart::MapOf;

// A world of `depth` over (0, 0, height, width) as NewGWorld leaves it: not
// cleared, not made current.
inline UniqueGWorld MakeWorld(int depth, int width, int height) {
    return pixelart::NewWorld(depth, MakeRect(0, 0, height, width));
}

// Pixel value (index, or 0x00RRGGBB for 32 bits) at map coordinates.
inline UInt32 Pixel(GWorldPtr g, int x, int y) { return pixelart::Px(MapOf(g), x, y) & 0xFFFFFF; }
inline void SetPixel(GWorldPtr g, int x, int y, UInt32 v) { pixelart::SetPx(MapOf(g), x, y, v); }

// A deterministic pattern that uses every value of small depths and has
// runs as well as noise, so PackBits takes both branches.
inline UInt32 PatternValue(int depth, int x, int y) {
    if (depth == 32) {
        if (y % 3 == 0) return 0x102030u * UInt32(1 + x / 5);
        return (UInt32(x * 37 + y * 11) & 0xFF) << 16 | (UInt32(x * 5) & 0xFF) << 8 | (UInt32(y * 29) & 0xFF);
    }
    const UInt32 n = 1u << depth;
    if (y % 2 == 0) return UInt32(x / 4) % n;
    return UInt32(x * 7 + y * 3) % n;
}

inline void FillPattern(GWorldPtr g) {
    const PixMap& pm = MapOf(g);
    for (int y = pm.bounds.top; y < pm.bounds.bottom; ++y)
        for (int x = pm.bounds.left; x < pm.bounds.right; ++x)
            SetPixel(g, x, y, PatternValue(pm.pixelSize, x - pm.bounds.left, y - pm.bounds.top));
}

// Records CopyBits(src -> port of `on`) into a picture with the given frame.
inline UniqueHandle RecordCopy(GWorldPtr on, GWorldPtr src, const Rect& srcRect, const Rect& dstRect,
                               SInt16 mode = srcCopy, RgnHandle mask = nullptr) {
    SavedGWorld saved;
    SetGWorld(on, nullptr);
    OpenCPicParams params;
    params.srcRect = MapOf(on).bounds;
    PicHandle pic = OpenCPicture(&params);
    EXPECT_NE(pic, nullptr);
    CopyBits(&MapOf(src), &MapOf(on), &srcRect, &dstRect, mode, mask);
    ClosePicture();
    EXPECT_EQ(QDError(), noErr);
    return UniqueHandle(pic);
}

inline std::vector<UInt8> Bytes(Handle h) {
    auto s = HandleBytes(h);
    return {s.begin(), s.end()};
}

// A binary PPM (P6, maxval 255) as 0xRRGGBB values.
struct Ppm {
    int width = 0, height = 0;
    std::vector<UInt32> px;
};
inline bool ParsePpm(const std::vector<UInt8>& b, Ppm& out) {
    const std::string head(b.begin(), b.begin() + std::min<size_t>(b.size(), 64));
    int maxval = 0, n = 0;
    if (std::sscanf(head.c_str(), "P6 %d %d %d%n", &out.width, &out.height, &maxval, &n) != 3 || maxval != 255)
        return false;
    size_t i = size_t(n) + 1;  // one whitespace byte ends the header
    if (b.size() < i || b.size() - i < size_t(out.width) * out.height * 3) return false;
    out.px.resize(size_t(out.width) * out.height);
    for (size_t k = 0; k < out.px.size(); ++k, i += 3) out.px[k] = UInt32(b[i]) << 16 | UInt32(b[i + 1]) << 8 | b[i + 2];
    return true;
}

// The 0xRRGGBB colour of a pixel of a world, looked up in its table.
inline UInt32 PixelRGB(GWorldPtr g, int x, int y) {
    const PixMap& pm = MapOf(g);
    const UInt32 v = Pixel(g, x, y);
    if (pm.pixelSize == 32) return v;
    const RGBColor c = CTabEntries(pm.pmTable)[v].rgb;
    // 16 to 8 bits rounded, as ImageMagick and netpbm scale.
    auto s = [](UInt16 v16) { return UInt32((v16 + 128) / 257); };
    return s(c.red) << 16 | s(c.green) << 8 | s(c.blue);
}

// Every pixel of a world set to one value.
inline void Fill(GWorldPtr g, UInt32 v) {
    const Rect b = MapOf(g).bounds;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) SetPixel(g, x, y, v);
}

// A patterned world of `depth` and the picture of copying all of it.
struct Recorded {
    UniqueGWorld src;
    UniqueHandle pic;
};
inline Recorded RecordPattern(int depth, int w, int h) {
    Recorded r{MakeWorld(depth, w, h), {}};
    FillPattern(r.src.get());
    UniqueGWorld on = MakeWorld(depth, w, h);
    const Rect all = MakeRect(0, 0, h, w);
    r.pic = RecordCopy(on.get(), r.src.get(), all, all);
    return r;
}

inline OSErr PlayInto(GWorldPtr out, PicHandle pic, const Rect& dst) {
    SavedGWorld saved;
    SetGWorld(out, nullptr);
    return DrawPictureChecked(pic, &dst);
}

inline PictInfo InfoOf(PicHandle pic, OSErr want = noErr) {
    PictInfo info;
    EXPECT_EQ(GetPictInfo(pic, &info, 0, 0, systemMethod, 0), want);
    return info;
}

inline SInt16 MaxDepthOf(PicHandle pic) {
    SInt16 depth = -1;
    EXPECT_EQ(GetPictureMaxDepth(pic, &depth), noErr);
    return depth;
}

// Asserts two worlds of the same bounds hold the same pixels.
inline void ExpectSamePixels(GWorldPtr got, GWorldPtr want) {
    const Rect b = MapOf(want).bounds;
    for (int y = b.top; y < b.bottom; ++y)
        for (int x = b.left; x < b.right; ++x) ASSERT_EQ(Pixel(got, x, y), Pixel(want, x, y)) << x << "," << y;
}

inline int MaxDifference(UInt32 a, UInt32 b) {
    int worst = 0;
    for (int shift : {16, 8, 0}) worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return worst;
}

// ImageMagick's reading of a picture file.
inline ::testing::AssertionResult ImageMagickReads(const std::string& path, Ppm& ppm) {
    std::vector<UInt8> bytes;
    if (!RunCapture("convert '" + path + "' -depth 8 ppm:- 2>/dev/null", bytes) || !ParsePpm(bytes, ppm))
        return ::testing::AssertionFailure() << "ImageMagick cannot read " << path;
    return ::testing::AssertionSuccess();
}

// Asserts that `ppm` has the world's size (give or take `slack`) and, where
// they overlap, its colours within `tolerance`.
inline void ExpectColoursNear(const Ppm& ppm, GWorldPtr world, int tolerance, int slack = 0) {
    const Rect b = MapOf(world).bounds;
    ASSERT_LE(std::abs(ppm.width - RectWidth(b)), slack);
    ASSERT_LE(std::abs(ppm.height - RectHeight(b)), slack);
    for (int y = 0; y < std::min(ppm.height, RectHeight(b)); ++y)
        for (int x = 0; x < std::min(ppm.width, RectWidth(b)); ++x)
            ASSERT_LE(MaxDifference(ppm.px[size_t(y) * ppm.width + x], PixelRGB(world, x, y)), tolerance)
                << x << "," << y;
}

}  // namespace picttest
