// Helpers shared by the picture tests: worlds filled with known pixels,
// recording a copy into a picture, and reading pixels back.
#pragma once

#include "platform/core/Memory.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace picttest {

inline UniqueGWorld MakeWorld(int depth, int width, int height, int top = 0, int left = 0) {
    UniqueGWorld g;
    Rect r = MakeRect(top, left, top + height, left + width);
    EXPECT_EQ(NewGWorld(g.out(), SInt16(depth), &r, nullptr, nullptr, 0), noErr);
    return g;
}

inline const PixMap& PM(GWorldPtr g) { return **GetGWorldPixMap(g); }

// Pixel value (index, or 0x00RRGGBB for 32 bits) at map coordinates.
inline UInt32 Pixel(GWorldPtr g, int x, int y) {
    const PixMap& pm = PM(g);
    const UInt8* row = PixRow(pm, y);
    const int d = pm.pixelSize, bx = x - pm.bounds.left;
    if (d == 32) {
        const UInt8* p = row + 4 * bx;
        return UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
    }
    const int bit = bx * d;
    return (row[bit >> 3] >> (8 - d - (bit & 7))) & ((1u << d) - 1);
}

inline void SetPixel(GWorldPtr g, int x, int y, UInt32 v) {
    const PixMap& pm = PM(g);
    UInt8* row = PixRow(pm, y);
    const int d = pm.pixelSize, bx = x - pm.bounds.left;
    if (d == 32) {
        UInt8* p = row + 4 * bx;
        p[1] = UInt8(v >> 16), p[2] = UInt8(v >> 8), p[3] = UInt8(v);
        return;
    }
    const int bit = bx * d, shift = 8 - d - (bit & 7);
    const unsigned mask = ((1u << d) - 1) << shift;
    row[bit >> 3] = UInt8((row[bit >> 3] & ~mask) | ((v << shift) & mask));
}

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
    const PixMap& pm = PM(g);
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
    params.srcRect = PM(on).bounds;
    PicHandle pic = OpenCPicture(&params);
    EXPECT_NE(pic, nullptr);
    CopyBits(&PM(src), &PM(on), &srcRect, &dstRect, mode, mask);
    ClosePicture();
    EXPECT_EQ(QDError(), noErr);
    return UniqueHandle(pic);
}

inline std::vector<UInt8> Bytes(Handle h) {
    auto s = HandleBytes(h);
    return {s.begin(), s.end()};
}

inline std::string TempPath(const std::string& name) {
    return std::string(::testing::TempDir()) + "korvel_pict_" + name;
}

// Runs a command and returns its standard output (binary).
inline bool RunCapture(const std::string& cmd, std::vector<UInt8>& out) {
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    UInt8 buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
    return pclose(p) == 0;
}

inline bool HaveTool(const char* tool) {
    std::string cmd = std::string("command -v ") + tool + " >/dev/null 2>&1";
    return std::system(cmd.c_str()) == 0;
}

// A binary PPM (P6, maxval 255) as 0xRRGGBB values.
struct Ppm {
    int width = 0, height = 0;
    std::vector<UInt32> px;
};
inline bool ParsePpm(const std::vector<UInt8>& b, Ppm& out) {
    size_t i = 0;
    auto token = [&]() {
        std::string t;
        while (i < b.size()) {
            if (b[i] == '#') {
                while (i < b.size() && b[i] != '\n') ++i;
            } else if (isspace(b[i])) {
                if (!t.empty()) break;
                ++i;
            } else {
                t += char(b[i++]);
            }
        }
        return t;
    };
    if (token() != "P6") return false;
    out.width = std::stoi(token());
    out.height = std::stoi(token());
    if (token() != "255") return false;
    ++i;
    if (b.size() - i < size_t(out.width) * out.height * 3) return false;
    out.px.resize(size_t(out.width) * out.height);
    for (size_t k = 0; k < out.px.size(); ++k, i += 3) out.px[k] = UInt32(b[i]) << 16 | UInt32(b[i + 1]) << 8 | b[i + 2];
    return true;
}

// The 0xRRGGBB colour of a pixel of a world, looked up in its table.
inline UInt32 PixelRGB(GWorldPtr g, int x, int y) {
    const PixMap& pm = PM(g);
    const UInt32 v = Pixel(g, x, y);
    if (pm.pixelSize == 32) return v;
    const RGBColor c = CTabEntries(pm.pmTable)[v].rgb;
    // 16 to 8 bits rounded, as ImageMagick and netpbm scale.
    auto s = [](UInt16 v16) { return UInt32((v16 + 128) / 257); };
    return s(c.red) << 16 | s(c.green) << 8 | s(c.blue);
}

}  // namespace picttest
