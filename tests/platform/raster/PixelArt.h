// Test helpers: build small graphics worlds from text pictures and read them
// back as text, so expectations show the exact pixels.
//   '.' white  '#' black  'r' red  'g' green  'b' blue  '?' any other colour
#pragma once

#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/TransferModes.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace pixelart {

inline constexpr RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};
inline constexpr RGBColor kBlack{0, 0, 0};
inline constexpr RGBColor kRed{0xFFFF, 0, 0};
inline constexpr RGBColor kGreen{0, 0xFFFF, 0};
inline constexpr RGBColor kBlue{0, 0, 0xFFFF};

inline RGBColor ColorOf(char c) {
    switch (c) {
    case '#': return kBlack;
    case 'r': return kRed;
    case 'g': return kGreen;
    case 'b': return kBlue;
    default: return kWhite;
    }
}

inline char CharOf(const RGBColor& c) {
    if (c == kWhite) return '.';
    if (c == kBlack) return '#';
    if (c == kRed) return 'r';
    if (c == kGreen) return 'g';
    if (c == kBlue) return 'b';
    return '?';
}

// Raw pixel values: the index at depths 1 to 8, 0xPPRRGGBB (pad byte first)
// at 32 bits.
inline UInt32 Px(const PixMap& pm, int h, int v) {
    const UInt8* row = PixRow(pm, v);
    const int x = h - pm.bounds.left, d = pm.pixelSize;
    if (d == 32) {
        const UInt8* p = row + x * 4;
        return UInt32(p[0]) << 24 | UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
    }
    const int bit = x * d;
    return (row[bit >> 3] >> (8 - d - (bit & 7))) & ((1u << d) - 1);
}

inline void SetPx(const PixMap& pm, int h, int v, UInt32 value) {
    UInt8* row = PixRow(pm, v);
    const int x = h - pm.bounds.left, d = pm.pixelSize;
    if (d == 32) {
        UInt8* p = row + x * 4;
        p[0] = UInt8(value >> 24), p[1] = UInt8(value >> 16), p[2] = UInt8(value >> 8), p[3] = UInt8(value);
        return;
    }
    const int bit = x * d, shift = 8 - d - (bit & 7);
    const UInt8 mask = UInt8(((1u << d) - 1) << shift);
    row[bit >> 3] = UInt8((row[bit >> 3] & ~mask) | ((value << shift) & mask));
}

inline RGBColor ReadPixel(const PixMap& pm, int h, int v) {
    const UInt32 value = Px(pm, h, v);
    return pm.pixelSize == 32 ? xfer::RGBFrom24(value) : CTabEntries(pm.pmTable)[value].rgb;
}

inline void WritePixel(const PixMap& pm, int h, int v, const RGBColor& c) {
    SetPx(pm, h, v, pm.pixelSize == 32 ? xfer::RGBTo24(c) : UInt32(NearestColorIndex(pm.pmTable, c)));
}

inline const PixMap& MapOf(GWorldPtr g) { return **GetGWorldPixMap(g); }

// A world over `bounds` as NewGWorld leaves it; the current port is not changed.
inline UniqueGWorld NewWorld(int depth, const Rect& bounds, CTabHandle table = nullptr) {
    UniqueGWorld g;
    EXPECT_EQ(NewGWorld(g.out(), SInt16(depth), &bounds, table, nullptr, 0), noErr);
    return g;
}

// A world of `depth` over `bounds`, all white, made the current port.
inline UniqueGWorld MakeWorld(int depth, const Rect& bounds) {
    UniqueGWorld g = NewWorld(depth, bounds);
    if (!g) return g;
    const PixMap& pm = MapOf(g.get());
    for (int v = bounds.top; v < bounds.bottom; ++v)
        for (int h = bounds.left; h < bounds.right; ++h) WritePixel(pm, h, v, kWhite);
    SetGWorld(g.get(), nullptr);
    return g;
}
inline UniqueGWorld MakeWorld(int depth, int w, int h) { return MakeWorld(depth, MakeRect(0, 0, h, w)); }

// A world whose pixels are given by the text rows (all rows equally long).
inline UniqueGWorld MakeWorld(int depth, const std::vector<std::string>& rows) {
    const int w = int(rows.at(0).size()), h = int(rows.size());
    UniqueGWorld g = MakeWorld(depth, w, h);
    if (!g) return g;
    const PixMap& pm = MapOf(g.get());
    for (int v = 0; v < h; ++v)
        for (int x = 0; x < w; ++x) WritePixel(pm, x, v, ColorOf(rows[size_t(v)][size_t(x)]));
    return g;
}

// A world handled by raw pixel values (Px), neither cleared nor made current.
struct World {
    UniqueGWorld g;
    World(int depth, const Rect& bounds, CTabHandle table = nullptr) : g(NewWorld(depth, bounds, table)) {}
    World(int depth, int width, int height, CTabHandle table = nullptr)
        : World(depth, MakeRect(0, 0, height, width), table) {}
    PixMap& pm() const { return **GetGWorldPixMap(g.get()); }
    const Rect& bounds() const { return pm().bounds; }
    UInt32 at(int h, int v) const { return Px(pm(), h, v); }
    void set(int h, int v, UInt32 value) const { SetPx(pm(), h, v, value); }
    void fill(UInt32 value) const {
        for (int v = bounds().top; v < bounds().bottom; ++v)
            for (int h = bounds().left; h < bounds().right; ++h) set(h, v, value);
    }
    // Values from the left edge of row v.
    void row(int v, std::initializer_list<UInt32> values) const {
        int h = bounds().left;
        for (UInt32 x : values) set(h++, v, x);
    }
    std::vector<UInt32> rowValues(int v) const {
        std::vector<UInt32> out;
        for (int h = bounds().left; h < bounds().right; ++h) out.push_back(at(h, v));
        return out;
    }
};

inline std::vector<std::string> Picture(GWorldPtr g) {
    const PixMap& pm = MapOf(g);
    std::vector<std::string> rows;
    for (int v = pm.bounds.top; v < pm.bounds.bottom; ++v) {
        std::string row;
        for (int h = pm.bounds.left; h < pm.bounds.right; ++h) row += CharOf(ReadPixel(pm, h, v));
        rows.push_back(row);
    }
    return rows;
}

// The set bits of a 1-bit map as '#', clear bits as '.'.
inline std::vector<std::string> BitPicture(const PixMap& pm) {
    std::vector<std::string> rows;
    for (int v = pm.bounds.top; v < pm.bounds.bottom; ++v) {
        std::string row;
        const UInt8* p = PixRow(pm, v);
        for (int col = 0; col < pm.bounds.right - pm.bounds.left; ++col)
            row += (p[col >> 3] & (0x80 >> (col & 7))) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

inline std::vector<UInt8> Bytes(GWorldPtr g) {
    const PixMap& pm = MapOf(g);
    const auto* p = reinterpret_cast<const UInt8*>(pm.baseAddr);
    return std::vector<UInt8>(p, p + size_t(pm.rowBytes) * size_t(pm.bounds.bottom - pm.bounds.top));
}

inline std::string RectText(const Rect* r) {
    std::ostringstream s;
    s << r->top << "," << r->left << "," << r->bottom << "," << r->right;
    return s.str();
}

// A picture recorder that lists what it is given, one line per call.
struct ListRecorder : PictureRecorder {
    std::vector<std::string> calls;
    void Add(const std::string& what, GrafVerb verb, const Rect* r = nullptr, const std::string& more = "") {
        calls.push_back(what + " " + std::to_string(verb) + (r ? " " + RectText(r) : "") + more);
    }
    static std::string Pair(int a, const char* sep, int b) { return " " + std::to_string(a) + sep + std::to_string(b); }
    void text(CGrafPtr, SInt16, const void*, Point, Point) override {}
    void line(CGrafPtr, Point from, Point to) override {
        calls.push_back("line" + Pair(from.h, ",", from.v) + Pair(to.h, ",", to.v));
    }
    void rect(CGrafPtr, GrafVerb verb, const Rect* r) override { Add("rect", verb, r); }
    void rRect(CGrafPtr, GrafVerb verb, const Rect* r, SInt16 w, SInt16 h) override {
        Add("rrect", verb, r, Pair(w, "x", h));
    }
    void oval(CGrafPtr, GrafVerb verb, const Rect* r) override { Add("oval", verb, r); }
    void arc(CGrafPtr, GrafVerb verb, const Rect* r, SInt16 a, SInt16 b) override {
        Add("arc", verb, r, Pair(a, "+", b));
    }
    void poly(CGrafPtr, GrafVerb verb, PolyHandle) override { Add("poly", verb); }
    void rgn(CGrafPtr, GrafVerb verb, RgnHandle) override { Add("rgn", verb); }
    void bits(CGrafPtr, const BitMap*, const Rect* s, const Rect* d, SInt16 mode, RgnHandle rgn) override {
        calls.push_back("bits " + RectText(s) + " " + RectText(d) + " " + std::to_string(mode) +
                        (rgn ? " in region" : ""));
    }
    void comment(CGrafPtr, SInt16 kind, SInt16 size, Handle) override {
        calls.push_back("comment" + Pair(kind, " ", size));
    }
};

}  // namespace pixelart
