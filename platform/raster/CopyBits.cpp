// Pixel copies between maps of any depth (1, 2, 4, 8 and 32 bits).
//
// Geometry. A destination pixel x of dstRect takes the source pixel under its
// centre: sx = srcRect.left + floor((2 (x - dstRect.left) + 1) * srcWidth /
// (2 * dstWidth)), the same for rows and for the mask rectangle. Equal sizes
// map one to one; larger destinations replicate, smaller ones drop pixels.
// A destination pixel is drawn only when it lies inside the destination's
// bounds, its source (and mask) pixel inside their maps' bounds, and it is
// inside every clip region.
//
// Colour. A 1-bit source always draws in the port's foreground (set bits)
// and background (clear bits) colours. Other sources have their own colours:
// the table entry of an index (entries missing from a short table are black)
// or the pixel's RGB. Colours are mapped into an indexed destination by the
// colour search procedures when any are installed, else by the nearest entry.
//
// Pad byte of 32-bit pixels: a copy (copy, transparent, the copy modes) from
// a 32-bit source carries the source's pad byte; every other write stores 0.
//
// Masks (CopyMask, CopyDeepMask): a 1-bit mask selects the pixels with set
// bits. A deeper mask weighs each colour component by the mask pixel's colour
// in that component: black keeps the result, white keeps the destination, a
// grey blends the two (blend rounding of TransferModes.h).
//
// Dither copy diffuses errors (Floyd-Steinberg: 7/16 right, 3/16 down-left,
// 5/16 down, 1/16 down-right, each rounded toward zero, rows left to right)
// over 8-bit components. Pixels that are not drawn (clipped or masked out)
// neither take nor pass on error.
#include "platform/raster/CopyBits.h"

#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/raster/TransferModes.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace {

using namespace xfer;

bool SupportedDepth(int depth) { return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 32; }

bool UsableMap(const BitMap* pm) {
    return pm && pm->baseAddr && SupportedDepth(pm->pixelSize) && pm->rowBytes > 0 &&
           RectWidth(pm->bounds) > 0 && RectHeight(pm->bounds) > 0 &&
           Size(pm->rowBytes) * 8 >= Size(RectWidth(pm->bounds)) * pm->pixelSize;
}

// Pixel x (counted from the map's left edge) of a row.
inline UInt32 Fetch(const UInt8* row, int x, int depth) {
    switch (depth) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1u;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3u;
    case 4: return (row[x >> 1] >> (4 - 4 * (x & 1))) & 15u;
    case 8: return row[x];
    default: {
        const UInt8* p = row + size_t(x) * 4;
        return UInt32(p[0]) << 24 | UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3];
    }
    }
}

inline void StoreSub(UInt8* row, int x, int depth, UInt32 v) {
    const int perByte = 8 / depth;
    const int shift = (perByte - 1 - x % perByte) * depth;
    const UInt8 mask = UInt8(((1u << depth) - 1) << shift);
    UInt8& b = row[x / perByte];
    b = UInt8((b & ~mask) | ((v << shift) & mask));
}

inline void Store(UInt8* row, int x, int depth, UInt32 v) {
    switch (depth) {
    case 8: row[x] = UInt8(v); return;
    case 32: {
        UInt8* p = row + size_t(x) * 4;
        p[0] = UInt8(v >> 24);
        p[1] = UInt8(v >> 16);
        p[2] = UInt8(v >> 8);
        p[3] = UInt8(v);
        return;
    }
    default: StoreSub(row, x, depth, v);
    }
}

// Indexed maps without a table (plain bit maps from pictures) use the
// standard table of their depth.
CTabHandle TableOf(const PixMap& pm) {
    return pm.pmTable || pm.pixelSize > 8 ? pm.pmTable : StandardCTable(pm.pixelSize);
}

int MapCoord(int x, int dstLeft, int dstLen, int srcLeft, int srcLen) {
    return srcLeft + int(((2 * SInt64(x - dstLeft) + 1) * srcLen) / (2 * SInt64(dstLen)));
}

// The clip as rows of spans, from the intersection of the regions.
struct Span {
    int left, right;
};
class ClipSpans {
public:
    // `area` is already cut to the maps; regions may be null.
    ClipSpans(const Rect& area, std::initializer_list<RgnHandle> regions) : whole_{area.left, area.right} {
        bool any = false;
        for (RgnHandle r : regions) any = any || r;
        if (!any) return;
        UniqueRgn clip;
        RectRgn(clip, &area);
        for (RgnHandle r : regions)
            if (r) SectRgn(clip, r, clip);
        isWhole_ = false;
        for (const Rect& r : RegionRects(clip)) {
            if (bands_.empty() || bands_.back().top != r.top) bands_.push_back({r.top, r.bottom, spans_.size(), 0});
            spans_.push_back({r.left, r.right});
            ++bands_.back().count;
        }
    }
    // Rows must be asked for in increasing order.
    std::span<const Span> Row(int y) {
        if (isWhole_) return {&whole_, 1};
        while (cursor_ < bands_.size() && bands_[cursor_].bottom <= y) ++cursor_;
        if (cursor_ == bands_.size() || bands_[cursor_].top > y) return {};
        return {spans_.data() + bands_[cursor_].first, bands_[cursor_].count};
    }
    bool IsWhole() const { return isWhole_; }

private:
    struct Band {
        int top, bottom;
        size_t first, count;
    };
    bool isWhole_ = true;
    Span whole_;
    std::vector<Band> bands_;
    std::vector<Span> spans_;
    size_t cursor_ = 0;
};

// Maps colours into an indexed destination.
class DstMapper {
public:
    explicit DstMapper(const PixMap& dst)
        : table_(TableOf(dst)), mask_((1u << dst.pixelSize) - 1), search_(ColorSearchInstalled()) {
        const int n = CTabCount(table_);
        colors_.assign(size_t(mask_) + 1, RGBColor{0, 0, 0});
        for (int i = 0; i < n && i <= int(mask_); ++i) colors_[size_t(i)] = CTabEntries(table_)[i].rgb;
        if (!search_) inverse_ = InverseTableFor(table_);
    }
    UInt32 Index(const RGBColor& c) {
        if (search_) {
            SInt32 position = 0;
            if (RunColorSearch(c, &position)) return UInt32(position) & mask_;
            return UInt32(NearestColorIndex(table_, c)) & mask_;
        }
        return inverse_ ? UInt32(inverse_->Nearest(c)) & mask_ : 0;
    }
    // 0x..RRGGBB: the inverse table answers 8-bit colours from its cells
    // and blocks without searching (and keeps them for the next copy).
    UInt32 Index24(UInt32 rgb) {
        rgb &= kRGBMask;
        if (search_) return Index(RGBFrom24(rgb));
        return inverse_ ? UInt32(inverse_->Nearest24(rgb)) & mask_ : 0;
    }
    const RGBColor& Color(UInt32 index) const { return colors_[index & mask_]; }
    UInt32 Mask() const { return mask_; }

private:
    CTabHandle table_;
    UInt32 mask_;
    bool search_;
    std::shared_ptr<const InverseTable> inverse_;
    std::vector<RGBColor> colors_;
};

struct PortColors {
    RGBColor fg{0, 0, 0}, bg{0xFFFF, 0xFFFF, 0xFFFF}, op{0, 0, 0};
};
PortColors CurrentColors() {
    PortColors c;
    if (CGrafPtr port = GetQDGlobalsThePort()) {
        c.fg = port->rgbFgColor;
        c.bg = port->rgbBkColor;
        c.op = port->rgbOpColor;
    }
    return c;
}

struct Job {
    const PixMap* src;
    const PixMap* mask;  // null: none
    const PixMap* dst;
    Rect srcRect, maskRect, dstRect;
    SInt16 mode;
    RgnHandle regions[3] = {nullptr, nullptr, nullptr};
    PortColors colors;
};

// Snapshot of the source rows when source and destination share memory.
struct SourceCopy {
    std::vector<UInt8> bytes;
};

bool Overlaps(const PixMap& a, const PixMap& b) {
    const UInt8* a0 = reinterpret_cast<const UInt8*>(a.baseAddr);
    const UInt8* b0 = reinterpret_cast<const UInt8*>(b.baseAddr);
    const UInt8* a1 = a0 + size_t(a.rowBytes) * size_t(RectHeight(a.bounds));
    const UInt8* b1 = b0 + size_t(b.rowBytes) * size_t(RectHeight(b.bounds));
    return a0 < b1 && b0 < a1;
}

class Engine {
public:
    explicit Engine(const Job& job) : j_(job), src_(*job.src), dst_(*job.dst) {}
    void Run();

private:
    bool Setup();
    void PrepareColors();
    void RowCopySame(int y, int sy, std::span<const Span> spans);
    void RowGeneral(int y, int sy, int my, std::span<const Span> spans);
    void RowBlend32(int y, int sy, std::span<const Span> spans);
    void RowMap32(int y, int sy, std::span<const Span> spans);
    void RowDither(int y, int sy, int my, std::span<const Span> spans);
    void FillMaskWeights(int my, int x0, int x1);
    RGBColor SourceColor(UInt32 raw) const;
    RGBColor DestColor(UInt32 raw) const { return dstIndexed_ ? mapper_->Color(raw) : RGBFrom24(raw); }
    UInt32 DestValue(const RGBColor& c) { return dstIndexed_ ? mapper_->Index(c) : RGBTo24(c); }

    Job j_;
    PixMap src_;
    const PixMap& dst_;
    SourceCopy snapshot_;
    Rect area_{};  // destination pixels that may be drawn
    std::vector<int> srcCols_, maskCols_;
    bool dstIndexed_ = false, srcOneBit_ = false, srcIndexed_ = false;
    int dstDepth_ = 0, srcDepth_ = 0;
    ModeClass cls_ = ModeClass::Boolean;
    SInt16 boolMode_ = srcCopy;
    std::optional<DstMapper> mapper_;
    std::vector<RGBColor> srcColors_;  // indexed (and 1-bit) sources
    std::vector<UInt32> srcToDst_;     // source index -> destination value
    UInt32 fgDst_ = 0, bgDst_ = 0;
    bool sameCopy_ = false;
    bool map32_ = false;  // 32 -> indexed copy without a mask: RowMap32
    // 32 -> 32 blend over many pixels: per component, result[s * 256 + d].
    std::vector<UInt8> blendLut_[3];
    // Per-row scratch.
    std::vector<UInt32> row_;
    std::vector<RGBColor> weights_;
    std::vector<UInt8> weightKind_;  // 0 none, 1 partial, 2 full
    std::vector<int> errCur_, errNext_;
};

RGBColor Engine::SourceColor(UInt32 raw) const {
    return srcIndexed_ ? srcColors_[raw] : RGBFrom24(raw);
}

bool Engine::Setup() {
    const Rect& sr = j_.srcRect;
    const Rect& dr = j_.dstRect;
    if (RectWidth(sr) <= 0 || RectHeight(sr) <= 0 || RectWidth(dr) <= 0 || RectHeight(dr) <= 0) return false;
    if (j_.mask && (RectWidth(j_.maskRect) <= 0 || RectHeight(j_.maskRect) <= 0)) return false;
    Rect area;
    if (!SectRect(&dr, &dst_.bounds, &area)) return false;

    // Cut the area to the columns and rows whose source (and mask) pixel
    // exists; the mapping is monotonic, so what is left is a rectangle.
    auto cut = [&](int lo, int hi, int dLo, int dLen, int sLo, int sLen, int bLo, int bHi, int& outLo, int& outHi) {
        outLo = lo;
        outHi = hi;
        while (outLo < outHi && MapCoord(outLo, dLo, dLen, sLo, sLen) < bLo) ++outLo;
        while (outHi > outLo && MapCoord(outHi - 1, dLo, dLen, sLo, sLen) >= bHi) --outHi;
    };
    auto cutBy = [&](const Rect& r, const Rect& b) {
        int l, rt, t, bt;
        cut(area.left, area.right, dr.left, RectWidth(dr), r.left, RectWidth(r), b.left, b.right, l, rt);
        cut(area.top, area.bottom, dr.top, RectHeight(dr), r.top, RectHeight(r), b.top, b.bottom, t, bt);
        area = MakeRect(t, l, bt, rt);
    };
    cutBy(sr, src_.bounds);
    if (j_.mask) cutBy(j_.maskRect, j_.mask->bounds);
    if (EmptyRect(&area)) return false;
    area_ = area;

    const int w = RectWidth(area);
    srcCols_.resize(size_t(w));
    for (int i = 0; i < w; ++i)
        srcCols_[size_t(i)] = MapCoord(area.left + i, dr.left, RectWidth(dr), sr.left, RectWidth(sr)) - src_.bounds.left;
    if (j_.mask) {
        maskCols_.resize(size_t(w));
        for (int i = 0; i < w; ++i)
            maskCols_[size_t(i)] = MapCoord(area.left + i, dr.left, RectWidth(dr), j_.maskRect.left,
                                            RectWidth(j_.maskRect)) -
                                   j_.mask->bounds.left;
    }

    // Drawing a map onto itself reads from a snapshot of the source rows.
    if (Overlaps(src_, dst_)) {
        const int t = MapCoord(area.top, dr.top, RectHeight(dr), sr.top, RectHeight(sr));
        const int b = MapCoord(area.bottom - 1, dr.top, RectHeight(dr), sr.top, RectHeight(sr)) + 1;
        snapshot_.bytes.assign(PixRow(src_, t), PixRow(src_, t) + size_t(src_.rowBytes) * size_t(b - t));
        src_.baseAddr = reinterpret_cast<Ptr>(snapshot_.bytes.data());
        src_.bounds.top = SInt16(t);
        src_.bounds.bottom = SInt16(b);
    }
    return true;
}

void Engine::PrepareColors() {
    dstDepth_ = dst_.pixelSize;
    srcDepth_ = src_.pixelSize;
    dstIndexed_ = dstDepth_ <= 8;
    srcOneBit_ = srcDepth_ == 1;
    srcIndexed_ = srcDepth_ <= 8;
    cls_ = ClassOf(j_.mode);
    boolMode_ = CopyBitsBooleanMode(j_.mode);
    // A copy onto a direct map has nothing to diffuse.
    if (cls_ == ModeClass::Dither && !dstIndexed_) cls_ = ModeClass::Boolean;
    if (dstIndexed_) mapper_.emplace(dst_);

    if (srcIndexed_) {
        const size_t n = size_t(1) << srcDepth_;
        srcColors_.assign(n, RGBColor{0, 0, 0});
        if (srcOneBit_) {
            srcColors_[0] = j_.colors.bg;
            srcColors_[1] = j_.colors.fg;
        } else {
            CTabHandle table = TableOf(src_);
            const int count = CTabCount(table);
            for (int i = 0; i < count && size_t(i) < n; ++i) srcColors_[size_t(i)] = CTabEntries(table)[i].rgb;
        }
        srcToDst_.resize(n);
        for (size_t i = 0; i < n; ++i) srcToDst_[i] = DestValue(srcColors_[i]);
    }
    fgDst_ = DestValue(j_.colors.fg);
    bgDst_ = DestValue(j_.colors.bg);

    // Same depth, no scaling, no mask, every index keeps its value: rows are
    // plain byte copies (pixel by pixel where sub-byte pixels do not line up).
    bool identity = srcDepth_ == dstDepth_;
    if (identity && srcIndexed_)
        for (size_t i = 0; i < srcToDst_.size() && identity; ++i) identity = srcToDst_[i] == i;
    // Dither copy leaves such a copy alone only when every colour is exactly
    // its own table entry at 8-bit precision (no error to diffuse).
    bool exact = identity && cls_ == ModeClass::Dither;
    for (size_t i = 0; exact && i < srcColors_.size(); ++i) {
        const RGBColor& c = srcColors_[i];
        exact = c == mapper_->Color(UInt32(i)) && c.red % 257 == 0 && c.green % 257 == 0 && c.blue % 257 == 0;
    }
    const bool copyMode = (cls_ == ModeClass::Boolean && boolMode_ == srcCopy) || exact;
    if (j_.mode == blend && !srcIndexed_ && !dstIndexed_ && !j_.mask && Size(RectWidth(area_)) * RectHeight(area_) >= 4096) {
        const UInt16 w[3] = {j_.colors.op.red, j_.colors.op.green, j_.colors.op.blue};
        for (int c = 0; c < 3; ++c) {
            if (c > 0 && w[c] == w[c - 1]) {
                blendLut_[c] = blendLut_[c - 1];
                continue;
            }
            blendLut_[c].resize(65536);
            for (int sv = 0; sv < 256; ++sv)
                for (int dv = 0; dv < 256; ++dv)
                    blendLut_[c][size_t(sv << 8 | dv)] = Narrow16(BlendComponent(Widen8(UInt8(sv)), Widen8(UInt8(dv)), w[c]));
        }
    }
    map32_ = srcDepth_ == 32 && dstIndexed_ && cls_ == ModeClass::Boolean && boolMode_ == srcCopy && !j_.mask;
    sameCopy_ = identity && copyMode && !j_.mask && RectWidth(j_.srcRect) == RectWidth(j_.dstRect) &&
                RectHeight(j_.srcRect) == RectHeight(j_.dstRect);
}

void Engine::RowBlend32(int y, int sy, std::span<const Span> spans) {
    const UInt8* s = PixRow(src_, sy);
    UInt8* d = PixRow(dst_, y);
    const UInt8* lr = blendLut_[0].data();
    const UInt8* lg = blendLut_[1].data();
    const UInt8* lb = blendLut_[2].data();
    for (const Span& sp : spans) {
        UInt8* dp = d + size_t(sp.left - dst_.bounds.left) * 4;
        const int* cols = srcCols_.data() + (sp.left - area_.left);
        for (int i = 0, n = sp.right - sp.left; i < n; ++i, dp += 4) {
            const UInt8* sp8 = s + size_t(cols[i]) * 4;
            dp[0] = 0;
            dp[1] = lr[sp8[1] << 8 | dp[1]];
            dp[2] = lg[sp8[2] << 8 | dp[2]];
            dp[3] = lb[sp8[3] << 8 | dp[3]];
        }
    }
}

void Engine::RowMap32(int y, int sy, std::span<const Span> spans) {
    const UInt8* s = PixRow(src_, sy);
    UInt8* d = PixRow(dst_, y);
    for (const Span& sp : spans) {
        const int dx = sp.left - dst_.bounds.left;
        const int* cols = srcCols_.data() + (sp.left - area_.left);
        const int n = sp.right - sp.left;
        for (int i = 0; i < n; ++i) {
            const UInt8* p = s + size_t(cols[i]) * 4;
            const UInt32 index = mapper_->Index24(UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3]);
            if (dstDepth_ == 8)
                d[dx + i] = UInt8(index);
            else
                StoreSub(d, dx + i, dstDepth_, index);
        }
    }
}

void Engine::RowCopySame(int y, int sy, std::span<const Span> spans) {
    const UInt8* s = PixRow(src_, sy);
    UInt8* d = PixRow(dst_, y);
    const int depth = dstDepth_;
    for (const Span& sp : spans) {
        const int dx = sp.left - dst_.bounds.left;
        const int sx = srcCols_[size_t(sp.left - area_.left)];
        const int n = sp.right - sp.left;
        if (depth >= 8) {
            std::memmove(d + size_t(dx) * size_t(depth / 8), s + size_t(sx) * size_t(depth / 8),
                         size_t(n) * size_t(depth / 8));
            continue;
        }
        const int perByte = 8 / depth;
        if (dx % perByte != sx % perByte) {
            for (int i = 0; i < n; ++i) StoreSub(d, dx + i, depth, Fetch(s, sx + i, depth));
            continue;
        }
        // Aligned: partial head, whole bytes, partial tail.
        int i = 0;
        while (i < n && (dx + i) % perByte != 0) {
            StoreSub(d, dx + i, depth, Fetch(s, sx + i, depth));
            ++i;
        }
        const int bytes = (n - i) / perByte;
        if (bytes > 0) {
            std::memmove(d + (dx + i) / perByte, s + (sx + i) / perByte, size_t(bytes));
            i += bytes * perByte;
        }
        for (; i < n; ++i) StoreSub(d, dx + i, depth, Fetch(s, sx + i, depth));
    }
}

void Engine::FillMaskWeights(int my, int x0, int x1) {
    const PixMap& m = *j_.mask;
    const UInt8* row = PixRow(m, my);
    const int depth = m.pixelSize;
    CTabHandle table = TableOf(m);
    const int count = CTabCount(table);
    for (int x = x0; x < x1; ++x) {
        const size_t i = size_t(x - area_.left);
        const UInt32 v = Fetch(row, maskCols_[i], depth);
        if (depth == 1) {
            weightKind_[i] = v ? 2 : 0;
            continue;
        }
        RGBColor c{0, 0, 0};
        if (depth == 32)
            c = RGBFrom24(v);
        else if (int(v) < count)
            c = CTabEntries(table)[v].rgb;
        const RGBColor w{UInt16(0xFFFF - c.red), UInt16(0xFFFF - c.green), UInt16(0xFFFF - c.blue)};
        weights_[i] = w;
        weightKind_[i] = (w.red | w.green | w.blue) == 0 ? 0 : (w.red & w.green & w.blue) == 0xFFFF ? 2 : 1;
    }
}

void Engine::RowGeneral(int y, int sy, int my, std::span<const Span> spans) {
    const UInt8* s = PixRow(src_, sy);
    UInt8* d = PixRow(dst_, y);
    const int db = dst_.bounds.left;
    const int depth = dstDepth_;
    const UInt32 dmask = dstIndexed_ ? mapper_->Mask() : kRGBMask;
    const bool hasMask = j_.mask != nullptr;

    for (const Span& sp : spans) {
        if (hasMask) FillMaskWeights(my, sp.left, sp.right);
        for (int x = sp.left; x < sp.right; ++x) {
            const size_t i = size_t(x - area_.left);
            if (hasMask && weightKind_[i] == 0) continue;
            const UInt32 raw = Fetch(s, srcCols_[i], srcDepth_);
            const int dx = x - db;
            UInt32 out;
            bool carriesPad = false;
            switch (cls_) {
            case ModeClass::Boolean:
            case ModeClass::Dither:  // not reached: dithered rows go through RowDither
                if (srcOneBit_) {
                    const UInt32 dv = Fetch(d, dx, depth);
                    switch (OneBitAction(boolMode_, raw != 0)) {
                    case BitAction::Keep: continue;
                    case BitAction::Fore: out = fgDst_; break;
                    case BitAction::Back: out = bgDst_; break;
                    default: out = dstIndexed_ ? InvertIndex(dv, dmask) : InvertDirect(dv); break;
                    }
                } else if (dstIndexed_) {
                    const UInt32 sv = srcIndexed_ ? srcToDst_[raw] : mapper_->Index24(raw);
                    out = boolMode_ == srcCopy ? sv : IndexOpFor(boolMode_)(sv, Fetch(d, dx, depth), dmask);
                } else {
                    const UInt32 sv = srcIndexed_ ? srcToDst_[raw] : raw;
                    if (boolMode_ == srcCopy) {
                        out = srcIndexed_ ? sv : raw;
                        carriesPad = !srcIndexed_;
                    } else {
                        out = DirectOpFor(boolMode_)(sv, Fetch(d, dx, depth));
                    }
                }
                break;
            case ModeClass::Transparent: {
                const bool keep = srcIndexed_ ? TransparentKeeps(srcColors_[raw], j_.colors.bg)
                                              : (raw & kRGBMask) == RGBTo24(j_.colors.bg);
                if (keep) continue;
                if (srcIndexed_) {
                    out = srcToDst_[raw];
                } else if (dstIndexed_) {
                    out = mapper_->Index24(raw);
                } else {
                    out = raw;
                    carriesPad = true;
                }
                break;
            }
            default: {  // arithmetic
                const RGBColor sc = SourceColor(raw);
                const RGBColor dc = DestColor(Fetch(d, dx, depth));
                out = DestValue(ApplyArithmetic(ArithmeticOpFor(j_.mode), sc, dc, j_.colors.op));
                break;
            }
            }
            if (hasMask && weightKind_[i] == 1) {
                const RGBColor& w = weights_[i];
                const RGBColor rc = DestColor(out & dmask);
                const RGBColor dc = DestColor(Fetch(d, dx, depth));
                out = DestValue(RGBColor{BlendComponent(rc.red, dc.red, w.red),
                                         BlendComponent(rc.green, dc.green, w.green),
                                         BlendComponent(rc.blue, dc.blue, w.blue)});
                carriesPad = false;
            }
            Store(d, dx, depth, carriesPad ? out : out & dmask);
        }
    }
}

void Engine::RowDither(int y, int sy, int my, std::span<const Span> spans) {
    const UInt8* s = PixRow(src_, sy);
    UInt8* d = PixRow(dst_, y);
    const int db = dst_.bounds.left;
    const bool hasMask = j_.mask != nullptr;
    // Error rows carry one extra column on each side.
    std::fill(errNext_.begin(), errNext_.end(), 0);
    for (const Span& sp : spans) {
        if (hasMask) FillMaskWeights(my, sp.left, sp.right);
        for (int x = sp.left; x < sp.right; ++x) {
            const size_t i = size_t(x - area_.left);
            if (hasMask && weightKind_[i] == 0) continue;
            const UInt32 raw = Fetch(s, srcCols_[i], srcDepth_);
            const int dx = x - db;
            RGBColor target = SourceColor(raw);
            if (hasMask && weightKind_[i] == 1) {
                const RGBColor dc = DestColor(Fetch(d, dx, dstDepth_));
                const RGBColor& wt = weights_[i];
                target = {BlendComponent(target.red, dc.red, wt.red), BlendComponent(target.green, dc.green, wt.green),
                          BlendComponent(target.blue, dc.blue, wt.blue)};
            }
            int v[3] = {Narrow16(target.red), Narrow16(target.green), Narrow16(target.blue)};
            const size_t e = (i + 1) * 3;
            for (int c = 0; c < 3; ++c) v[c] = std::clamp(v[c] + errCur_[e + size_t(c)], 0, 255);
            const UInt32 idx = mapper_->Index24(UInt32(v[0]) << 16 | UInt32(v[1]) << 8 | UInt32(v[2]));
            Store(d, dx, dstDepth_, idx);
            const RGBColor& q = mapper_->Color(idx);
            const int qv[3] = {Narrow16(q.red), Narrow16(q.green), Narrow16(q.blue)};
            for (int c = 0; c < 3; ++c) {
                const int err = v[c] - qv[c];
                if (err == 0) continue;
                errCur_[e + 3 + size_t(c)] += err * 7 / 16;
                errNext_[e - 3 + size_t(c)] += err * 3 / 16;
                errNext_[e + size_t(c)] += err * 5 / 16;
                errNext_[e + 3 + size_t(c)] += err * 1 / 16;
            }
        }
    }
    std::swap(errCur_, errNext_);
}

void Engine::Run() {
    if (!Setup()) return;
    PrepareColors();
    ClipSpans clip(area_, {j_.regions[0], j_.regions[1], j_.regions[2]});
    const int w = RectWidth(area_);
    if (j_.mask) {
        weights_.resize(size_t(w));
        weightKind_.resize(size_t(w));
    }
    // Whole rows of two maps with the same row length: one block move.
    if (sameCopy_ && clip.IsWhole() && src_.rowBytes == dst_.rowBytes && area_.left == dst_.bounds.left &&
        area_.right == dst_.bounds.right && srcCols_.front() == 0 && RectWidth(src_.bounds) == w) {
        const int sy = MapCoord(area_.top, j_.dstRect.top, RectHeight(j_.dstRect), j_.srcRect.top,
                                RectHeight(j_.srcRect));
        std::memmove(PixRow(dst_, area_.top), PixRow(src_, sy), size_t(dst_.rowBytes) * size_t(RectHeight(area_)));
        return;
    }
    const bool dither = cls_ == ModeClass::Dither && !sameCopy_;
    if (dither) {
        errCur_.assign(size_t(w + 2) * 3, 0);
        errNext_.assign(size_t(w + 2) * 3, 0);
    }
    for (int y = area_.top; y < area_.bottom; ++y) {
        const int sy = MapCoord(y, j_.dstRect.top, RectHeight(j_.dstRect), j_.srcRect.top, RectHeight(j_.srcRect));
        const int my = j_.mask ? MapCoord(y, j_.dstRect.top, RectHeight(j_.dstRect), j_.maskRect.top,
                                          RectHeight(j_.maskRect))
                               : 0;
        std::span<const Span> spans = clip.Row(y);
        if (dither) {
            RowDither(y, sy, my, spans);
            continue;
        }
        if (spans.empty()) continue;
        if (sameCopy_)
            RowCopySame(y, sy, spans);
        else if (!blendLut_[0].empty())
            RowBlend32(y, sy, spans);
        else if (map32_)
            RowMap32(y, sy, spans);
        else
            RowGeneral(y, sy, my, spans);
    }
}

// The current port when `bits` is its pixel map.
CGrafPtr PortDrawingInto(const BitMap* bits) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (port && port->portPixMap && *port->portPixMap == bits) return port;
    return nullptr;
}

void Draw(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits, const Rect* srcRect,
          const Rect* maskRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn) {
    if (!UsableMap(srcBits) || !UsableMap(dstBits) || !srcRect || !dstRect) return;
    if (maskBits && (!UsableMap(maskBits) || !maskRect)) return;
    Job job{srcBits, maskBits, dstBits, *srcRect, maskRect ? *maskRect : Rect{}, *dstRect, mode, {maskRgn}, {}};
    if (CGrafPtr port = PortDrawingInto(dstBits)) {
        job.regions[1] = port->clipRgn;
        job.regions[2] = port->visRgn;
    }
    job.colors = CurrentColors();
    Engine(job).Run();
}

}  // namespace

void CopyBits(const BitMap* srcBits, const BitMap* dstBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
              RgnHandle maskRgn) {
    if (CGrafPtr port = PortDrawingInto(dstBits)) {
        if (port->grafProcs && port->grafProcs->bitsProc)
            port->grafProcs->bitsProc(srcBits, srcRect, dstRect, mode, maskRgn);
        else
            StdBits(srcBits, srcRect, dstRect, mode, maskRgn);
        return;
    }
    Draw(srcBits, nullptr, dstBits, srcRect, nullptr, dstRect, mode, maskRgn);
}

void StdBits(const BitMap* srcBits, const Rect* srcRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port || !port->portPixMap) return;
    if (port->picSave) port->picSave->bits(port, srcBits, srcRect, dstRect, mode, maskRgn);
    Draw(srcBits, nullptr, *port->portPixMap, srcRect, nullptr, dstRect, mode, maskRgn);
}

void CopyMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits, const Rect* srcRect,
              const Rect* maskRect, const Rect* dstRect) {
    Draw(srcBits, maskBits, dstBits, srcRect, maskRect, dstRect, srcCopy, nullptr);
}

void CopyDeepMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits, const Rect* srcRect,
                  const Rect* maskRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn) {
    Draw(srcBits, maskBits, dstBits, srcRect, maskRect, dstRect, mode, maskRgn);
}

void SafeCopyDeepMask(const BitMap* srcBits, const BitMap* maskBits, const BitMap* dstBits, const Rect* srcRect,
                      const Rect* maskRect, const Rect* dstRect, SInt16 mode, RgnHandle maskRgn) {
    if (!srcRect || !maskRect || !dstRect || !dstBits) return;
    const int rem = ((dstRect->left - dstBits->bounds.left) % 4 + 4) % 4;
    if (rem == 0) {
        CopyDeepMask(srcBits, maskBits, dstBits, srcRect, maskRect, dstRect, mode, maskRgn);
        return;
    }
    // The left edges move left by the remainder so the copy starts on a
    // 4-pixel boundary; the clip keeps the result to the requested place (or
    // to the caller's region). The extra columns come from the pixels left of
    // the source and mask rectangles, so the pixel correspondence is kept;
    // scaled copies keep their rectangles (widening would change the scale).
    Rect src = *srcRect, mask = *maskRect, dst = *dstRect;
    const bool unscaled = RectWidth(src) == RectWidth(dst) && RectWidth(mask) == RectWidth(dst);
    if (unscaled) {
        src.left = SInt16(src.left - rem);
        mask.left = SInt16(mask.left - rem);
        dst.left = SInt16(dst.left - rem);
    }
    UniqueRgn clip;
    if (maskRgn)
        CopyRgn(maskRgn, clip);
    else
        RectRgn(clip, dstRect);
    CopyDeepMask(srcBits, maskBits, dstBits, &src, &mask, &dst, mode, clip);
}
