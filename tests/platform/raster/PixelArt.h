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

inline RGBColor ReadPixel(const PixMap& pm, int h, int v) {
    const UInt8* row = PixRow(pm, v);
    const int col = h - pm.bounds.left;
    if (pm.pixelSize == 32) {
        const UInt8* p = row + col * 4;
        return xfer::RGBFrom24(UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3]);
    }
    const int d = pm.pixelSize, bit = col * d;
    const UInt32 index = (row[bit >> 3] >> (8 - d - (bit & 7))) & ((1u << d) - 1);
    return CTabEntries(pm.pmTable)[index].rgb;
}

inline void WritePixel(const PixMap& pm, int h, int v, const RGBColor& c) {
    UInt8* row = PixRow(pm, v);
    const int col = h - pm.bounds.left;
    if (pm.pixelSize == 32) {
        const UInt32 p = xfer::RGBTo24(c);
        row[col * 4] = 0;
        row[col * 4 + 1] = UInt8(p >> 16);
        row[col * 4 + 2] = UInt8(p >> 8);
        row[col * 4 + 3] = UInt8(p);
        return;
    }
    const int d = pm.pixelSize, bit = col * d, shift = 8 - d - (bit & 7);
    const UInt32 index = UInt32(NearestColorIndex(pm.pmTable, c));
    const UInt8 m = UInt8(((1u << d) - 1) << shift);
    row[bit >> 3] = UInt8((row[bit >> 3] & ~m) | ((index << shift) & m));
}

inline const PixMap& MapOf(GWorldPtr g) { return **GetGWorldPixMap(g); }

// A world of `depth` over (0, 0, w, h), all white, made the current port.
inline UniqueGWorld MakeWorld(int depth, int w, int h) {
    UniqueGWorld g;
    const Rect bounds = MakeRect(0, 0, h, w);
    EXPECT_EQ(NewGWorld(g.out(), SInt16(depth), &bounds, nullptr, nullptr, 0), noErr);
    if (!g) return g;
    const PixMap& pm = MapOf(g.get());
    for (int v = 0; v < h; ++v)
        for (int x = 0; x < w; ++x) WritePixel(pm, x, v, kWhite);
    SetGWorld(g.get(), nullptr);
    return g;
}

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
    void Add(const std::string& what, GrafVerb verb) { calls.push_back(what + " " + std::to_string(verb)); }
    void text(CGrafPtr port, SInt16 n, const void* buf, Point, Point) override {
        calls.push_back("text " + std::string(static_cast<const char*>(buf), size_t(n)) + " at " +
                        std::to_string(port->pnLoc.h) + "," + std::to_string(port->pnLoc.v));
    }
    void line(CGrafPtr, Point from, Point to) override {
        calls.push_back("line " + std::to_string(from.h) + "," + std::to_string(from.v) + "-" +
                        std::to_string(to.h) + "," + std::to_string(to.v));
    }
    void rect(CGrafPtr, GrafVerb verb, const Rect* r) override { Add("rect", verb); calls.back() += " " + RectText(r); }
    void rRect(CGrafPtr, GrafVerb verb, const Rect*, SInt16, SInt16) override { Add("rrect", verb); }
    void oval(CGrafPtr, GrafVerb verb, const Rect*) override { Add("oval", verb); }
    void arc(CGrafPtr, GrafVerb verb, const Rect*, SInt16, SInt16) override { Add("arc", verb); }
    void poly(CGrafPtr, GrafVerb verb, PolyHandle) override { Add("poly", verb); }
    void rgn(CGrafPtr, GrafVerb verb, RgnHandle) override { Add("rgn", verb); }
    void bits(CGrafPtr, const BitMap*, const Rect*, const Rect*, SInt16, RgnHandle) override { calls.push_back("bits"); }
    void comment(CGrafPtr, SInt16 kind, SInt16 size, Handle) override {
        calls.push_back("comment " + std::to_string(kind) + " " + std::to_string(size));
    }
};

}  // namespace pixelart
