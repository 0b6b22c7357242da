// A brute-force pixel-set model of regions for the region tests: a region is
// the set of its pixels; comparisons go pixel by pixel.
#pragma once

#include "platform/raster/Regions.h"

#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace rgnmodel {

using Pixel = std::pair<int, int>;  // (h, v)
using PixelSet = std::set<Pixel>;

inline PixelSet PixelsOf(RgnHandle rgn) {
    PixelSet s;
    for (const Rect& r : RegionRects(rgn))
        for (int v = r.top; v < r.bottom; ++v)
            for (int h = r.left; h < r.right; ++h) s.insert({h, v});
    return s;
}

inline void AddRect(PixelSet& s, const Rect& r) {
    for (int v = r.top; v < r.bottom; ++v)
        for (int h = r.left; h < r.right; ++h) s.insert({h, v});
}

// Builds a region from pixels one pixel at a time (union of 1x1 rects), an
// independent way to reach the same set.
inline UniqueRgn RegionOfPixels(const PixelSet& s) {
    UniqueRgn out, one;
    for (const Pixel& p : s) {
        SetRectRgn(one, SInt16(p.first), SInt16(p.second), SInt16(p.first + 1), SInt16(p.second + 1));
        UnionRgn(out, one, out);
    }
    return out;
}

// Parses a picture drawn with '#' (in) and '.' (out), origin at (left, top).
inline PixelSet FromArt(const std::vector<std::string>& rows, int left = 0, int top = 0) {
    PixelSet s;
    for (size_t v = 0; v < rows.size(); ++v)
        for (size_t h = 0; h < rows[v].size(); ++h)
            if (rows[v][h] == '#') s.insert({left + int(h), top + int(v)});
    return s;
}

// The representation every region must keep, checked independently of the
// library: half-open non-empty boxes in y-x bands; bands sorted and
// disjoint; boxes in a band sorted and not touching; adjacent bands with the
// same spans merged.
inline ::testing::AssertionResult WellFormed(RgnHandle rgn) {
    std::vector<Rect> rs = RegionRects(rgn);
    std::vector<std::vector<std::pair<int, int>>> bandSpans;
    std::vector<std::pair<int, int>> bandRows;
    for (size_t i = 0; i < rs.size(); ++i) {
        const Rect& r = rs[i];
        if (r.bottom <= r.top || r.right <= r.left) return ::testing::AssertionFailure() << "empty box " << i;
        if (bandRows.empty() || bandRows.back().first != r.top) {
            if (!bandRows.empty()) {
                if (bandRows.back().second > r.top) return ::testing::AssertionFailure() << "bands overlap at " << i;
            }
            bandRows.push_back({r.top, r.bottom});
            bandSpans.push_back({});
        } else {
            if (bandRows.back().second != r.bottom) return ::testing::AssertionFailure() << "ragged band at " << i;
            if (bandSpans.back().back().second >= r.left)
                return ::testing::AssertionFailure() << "boxes touch or overlap at " << i;
        }
        bandSpans.back().push_back({r.left, r.right});
    }
    for (size_t b = 1; b < bandRows.size(); ++b)
        if (bandRows[b - 1].second == bandRows[b].first && bandSpans[b - 1] == bandSpans[b])
            return ::testing::AssertionFailure() << "bands " << b - 1 << " and " << b << " not merged";
    return ::testing::AssertionSuccess();
}

inline Rect RandomRect(std::mt19937& rng, int lo, int hi) {
    std::uniform_int_distribution<int> c(lo, hi);
    int a = c(rng), b = c(rng), d = c(rng), e = c(rng);
    return MakeRect(std::min(a, b), std::min(d, e), std::max(a, b), std::max(d, e));
}

// A shaped region: the union of a few random rectangles in [lo, hi].
inline UniqueRgn RandomRegion(std::mt19937& rng, int count, int lo, int hi, PixelSet* model = nullptr) {
    UniqueRgn out, one;
    for (int i = 0; i < count; ++i) {
        Rect r = RandomRect(rng, lo, hi);
        RectRgn(one, &r);
        UnionRgn(out, one, out);
        if (model) AddRect(*model, r);
    }
    return out;
}

inline UniqueRgn RectRegion(int top, int left, int bottom, int right) {
    UniqueRgn r;
    Rect rect = MakeRect(top, left, bottom, right);
    RectRgn(r, &rect);
    return r;
}

inline Rect BoundsOf(RgnHandle rgn) {
    Rect r;
    GetRegionBounds(rgn, &r);
    return r;
}

}  // namespace rgnmodel
