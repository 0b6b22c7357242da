// CopyBits, CopyMask and CopyDeepMask against a plain per-pixel
// implementation, on random maps, tables, rectangles, masks, regions, port
// colours and search procedures.
#include "platform/raster/CopyBits.h"

#include "platform/raster/Regions.h"
#include "tests/platform/raster/PixelArt.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>

using namespace pixelart;

namespace {

struct RefJob {
    const PixMap* src;
    const PixMap* mask;
    const PixMap* dst;
    Rect sr, mr, dr;
    SInt16 mode;
    RgnHandle rgn;
    RGBColor fg, bg, op;
};

int RefMap(int x, const Rect& d, const Rect& s, bool vertical) {
    const int dl = vertical ? d.top : d.left, dn = vertical ? RectHeight(d) : RectWidth(d);
    const int sl = vertical ? s.top : s.left, sn = vertical ? RectHeight(s) : RectWidth(s);
    return sl + int(((2 * SInt64(x - dl) + 1) * sn) / (2 * SInt64(dn)));
}

bool Inside(const PixMap& pm, int h, int v) {
    return h >= pm.bounds.left && h < pm.bounds.right && v >= pm.bounds.top && v < pm.bounds.bottom;
}

RGBColor RefColour(const PixMap& pm, UInt32 value) {
    if (pm.pixelSize == 32) return xfer::RGBFrom24(value);
    if (int(value) < CTabCount(pm.pmTable)) return CTabEntries(pm.pmTable)[value].rgb;
    return {0, 0, 0};
}

UInt32 RefIndex(const PixMap& dst, const RGBColor& c) {
    const UInt32 m = (1u << dst.pixelSize) - 1;
    SInt32 pos = 0;
    if (RunColorSearch(c, &pos)) return UInt32(pos) & m;
    return UInt32(NearestColorIndex(dst.pmTable, c)) & m;
}

UInt32 RefValue(const PixMap& dst, const RGBColor& c) {
    return dst.pixelSize == 32 ? xfer::RGBTo24(c) : RefIndex(dst, c);
}

void RefCopy(const RefJob& j) {
    const PixMap& dst = *j.dst;
    const bool indexed = dst.pixelSize <= 8;
    const UInt32 dmask = indexed ? (1u << dst.pixelSize) - 1 : 0xFFFFFF;
    const bool oneBit = j.src->pixelSize == 1;
    const bool dither = j.mode == ditherCopy && indexed;
    const int width = RectWidth(j.dr);
    std::vector<int> err((size_t(width) + 2) * 3, 0), next(err.size(), 0);
    for (int v = j.dr.top; v < j.dr.bottom; ++v) {
        std::fill(next.begin(), next.end(), 0);
        for (int h = j.dr.left; h < j.dr.right; ++h) {
            const int sh = RefMap(h, j.dr, j.sr, false), sv = RefMap(v, j.dr, j.sr, true);
            if (!Inside(dst, h, v) || !Inside(*j.src, sh, sv)) continue;
            if (j.rgn && !PtInRgn(Point{SInt16(v), SInt16(h)}, j.rgn)) continue;
            RGBColor w{0xFFFF, 0xFFFF, 0xFFFF};
            if (j.mask) {
                const int mh = RefMap(h, j.dr, j.mr, false), mv = RefMap(v, j.dr, j.mr, true);
                if (!Inside(*j.mask, mh, mv)) continue;
                const UInt32 mval = Px(*j.mask, mh, mv);
                if (j.mask->pixelSize == 1) {
                    if (!mval) continue;
                } else {
                    const RGBColor mc = RefColour(*j.mask, mval);
                    w = {UInt16(0xFFFF - mc.red), UInt16(0xFFFF - mc.green), UInt16(0xFFFF - mc.blue)};
                    if ((w.red | w.green | w.blue) == 0) continue;
                }
            }
            const bool partial = (w.red & w.green & w.blue) != 0xFFFF;
            const UInt32 s = Px(*j.src, sh, sv), d = Px(dst, h, v);
            const RGBColor S = oneBit ? (s ? j.fg : j.bg) : RefColour(*j.src, s);
            const RGBColor D = RefColour(dst, d);
            auto mix = [&](const RGBColor& a) {
                return RGBColor{xfer::BlendComponent(a.red, D.red, w.red), xfer::BlendComponent(a.green, D.green, w.green),
                                xfer::BlendComponent(a.blue, D.blue, w.blue)};
            };
            if (dither) {
                const RGBColor t = partial ? mix(S) : S;
                const size_t e = size_t(h - j.dr.left + 1) * 3;
                int val[3] = {t.red >> 8, t.green >> 8, t.blue >> 8};
                for (int c = 0; c < 3; ++c) val[c] = std::clamp(val[c] + err[e + size_t(c)], 0, 255);
                const UInt32 idx = RefIndex(dst, RGBColor{UInt16(val[0] * 257), UInt16(val[1] * 257), UInt16(val[2] * 257)});
                SetPx(dst, h, v, idx);
                const RGBColor q = RefColour(dst, idx);
                const int qv[3] = {q.red >> 8, q.green >> 8, q.blue >> 8};
                for (int c = 0; c < 3; ++c) {
                    const int x = val[c] - qv[c];
                    err[e + 3 + size_t(c)] += x * 7 / 16;
                    next[e - 3 + size_t(c)] += x * 3 / 16;
                    next[e + size_t(c)] += x * 5 / 16;
                    next[e + 3 + size_t(c)] += x / 16;
                }
                continue;
            }
            UInt32 out = 0;
            bool pad = false;
            const auto arith = xfer::ArithmeticOpFor(j.mode);
            if (arith) {
                out = RefValue(dst, xfer::ApplyArithmetic(arith, S, D, j.op));
            } else {
                SInt16 mode = (j.mode >= 0 && j.mode <= 7) ? j.mode : SInt16(srcCopy);
                if (j.mode == transparent) {
                    const bool keep = j.src->pixelSize == 32 ? (s & 0xFFFFFF) == xfer::RGBTo24(j.bg) : S == j.bg;
                    if (keep) continue;
                }
                if (oneBit) {
                    const auto a = xfer::OneBitAction(mode, s != 0);
                    if (a == xfer::BitAction::Keep) continue;
                    out = a == xfer::BitAction::Fore   ? RefValue(dst, j.fg)
                          : a == xfer::BitAction::Back ? RefValue(dst, j.bg)
                                                       : ~d & dmask;
                } else if (indexed) {
                    out = xfer::IndexOpFor(mode)(RefIndex(dst, S), d, dmask);
                } else if (mode == srcCopy && j.src->pixelSize == 32) {
                    out = s;
                    pad = true;
                } else {
                    out = xfer::DirectOpFor(mode)(xfer::RGBTo24(S), d);
                }
            }
            if (partial) {
                out = RefValue(dst, mix(RefColour(dst, out & dmask)));
                pad = false;
            }
            SetPx(dst, h, v, pad ? out : out & dmask);
        }
        std::swap(err, next);
    }
}

UniqueCTable RandomTable(std::mt19937& rng, int entries) {
    UniqueCTable ct(NewColorTable(entries));
    for (int i = 0; i < entries; ++i)
        CTabEntries(ct.get())[i].rgb = {UInt16(rng()), UInt16(rng()), UInt16(rng())};
    return ct;
}

Boolean OddRedIsOne(RGBColor* c, SInt32* position) {
    if (!(c->red & 0x100)) return false;
    *position = 1;
    return true;
}

TEST(CopyBits, MatchesPerPixelReferenceOnRandomInputs) {
    std::mt19937 rng(1234);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const int depths[] = {1, 2, 4, 8, 32};
    const SInt16 modes[] = {srcCopy, srcOr,  srcXor,      srcBic,     notSrcCopy, notSrcOr, notSrcXor, notSrcBic,
                            blend,   addPin, subPin,      transparent, ditherCopy, patOr,   99};
    SavedGWorld saved;
    World port(32, 1, 1);
    SetGWorld(port.g.get(), nullptr);
    int failures = 0;
    for (int iter = 0; iter < 2500 && failures < 5; ++iter) {
        // Every 25th case is large enough for the paths kept for big copies;
        // every 50th is a direct blend.
        const bool big = iter % 25 == 0, bigBlend = iter % 50 == 0;
        const int sd = bigBlend ? 32 : depths[pick(5)], dd = bigBlend ? 32 : depths[pick(5)];
        auto table = [&](int depth) {
            return depth <= 8 && pick(4) == 0 ? RandomTable(rng, 1 + pick(1 << depth)) : UniqueCTable();
        };
        auto bounds = [&] {
            const int l = pick(17) - 8, t = pick(17) - 8;
            return big ? MakeRect(t, l, t + 64 + pick(8), l + 96 + pick(8))
                       : MakeRect(t, l, t + 1 + pick(20), l + 1 + pick(40));
        };
        const UniqueCTable st = table(sd), dt = table(dd);
        // Every 7th case copies a whole map onto one of the same size.
        const bool whole = iter % 7 == 0;
        const Rect sb = bounds();
        Rect db = bounds();
        if (whole) db = MakeRect(db.top, db.left, db.top + RectHeight(sb), db.left + RectWidth(sb));
        const World s(sd, sb, st.get()), d(dd, db, dt.get()), ref(dd, db, dt.get());
        for (int v = s.bounds().top; v < s.bounds().bottom; ++v)
            for (int h = s.bounds().left; h < s.bounds().right; ++h) s.set(h, v, rng());
        for (int v = d.bounds().top; v < d.bounds().bottom; ++v)
            for (int h = d.bounds().left; h < d.bounds().right; ++h) {
                const UInt32 x = rng();
                d.set(h, v, x);
                ref.set(h, v, x);
            }
        auto around = [&](const Rect& b) {
            const int l = b.left - 3 + pick(RectWidth(b) + 3), t = b.top - 3 + pick(RectHeight(b) + 3);
            return MakeRect(t, l, t + 1 + pick(RectHeight(b) + 4), l + 1 + pick(RectWidth(b) + 4));
        };
        const Rect sr = bigBlend || whole ? s.bounds() : around(s.bounds());
        Rect dr = bigBlend || whole ? d.bounds() : around(d.bounds());
        if (pick(2)) dr = MakeRect(dr.top, dr.left, dr.top + RectHeight(sr), dr.left + RectWidth(sr));
        const SInt16 mode = bigBlend ? SInt16(blend) : modes[pick(int(std::size(modes)))];

        std::optional<World> mask;
        Rect mr = sr;
        if (!bigBlend && pick(3) == 0) {
            const int md = std::array{1, 8, 32}[size_t(pick(3))];
            const UniqueCTable grey(md == 8 && pick(2) ? GetCTable(40) : nullptr);
            mask.emplace(md, s.bounds(), grey.get());
            for (int v = s.bounds().top; v < s.bounds().bottom; ++v)
                for (int h = s.bounds().left; h < s.bounds().right; ++h) {
                    const UInt32 x = rng();
                    mask->set(h, v, pick(3) == 0 ? 0 : pick(2) ? 0xFFFFFFFF : x);
                }
            if (pick(3) == 0) mr = around(s.bounds());
        }
        UniqueRgn rgn;
        const bool useRgn = pick(3) == 0;
        if (useRgn) {
            const Rect a = around(d.bounds()), b = around(d.bounds());
            UniqueRgn hole;
            RectRgn(rgn, &a);
            RectRgn(hole, &b);
            (pick(2) ? DiffRgn : UnionRgn)(rgn, hole, rgn);
        }
        port.g.get()->rgbFgColor = {UInt16(rng()), UInt16(rng()), UInt16(rng())};
        port.g.get()->rgbBkColor = pick(2) ? RGBColor{0xFFFF, 0xFFFF, 0xFFFF} : RGBColor{UInt16(rng()), UInt16(rng()), UInt16(rng())};
        port.g.get()->rgbOpColor = {UInt16(rng()), UInt16(rng()), UInt16(rng())};
        if (pick(3) == 0) port.g.get()->rgbFgColor = {0, 0, 0};
        const bool search = pick(8) == 0;
        if (search) AddSearch(OddRedIsOne);

        RgnHandle r = useRgn ? rgn.get() : nullptr;
        if (mask && mask->pm().pixelSize == 1 && mode == srcCopy && !r)
            CopyMask(&s.pm(), &mask->pm(), &d.pm(), &sr, &mr, &dr);
        else if (mask)
            CopyDeepMask(&s.pm(), &mask->pm(), &d.pm(), &sr, &mr, &dr, mode, r);
        else
            CopyBits(&s.pm(), &d.pm(), &sr, &dr, mode, r);
        RefCopy(RefJob{&s.pm(), mask ? &mask->pm() : nullptr, &ref.pm(), sr, mr, dr, mode, r,
                       port.g.get()->rgbFgColor, port.g.get()->rgbBkColor, port.g.get()->rgbOpColor});
        if (search) DelSearch(OddRedIsOne);

        bool same = true;
        for (int v = d.bounds().top; v < d.bounds().bottom && same; ++v) same = d.rowValues(v) == ref.rowValues(v);
        if (!same) {
            ++failures;
            ADD_FAILURE() << "iteration " << iter << ": depth " << sd << " -> " << dd << ", mode " << mode
                          << ", mask " << (mask ? mask->pm().pixelSize : 0) << ", region " << useRgn
                          << ", search " << search << ", src " << RectWidth(sr) << "x" << RectHeight(sr) << " dst "
                          << RectWidth(dr) << "x" << RectHeight(dr);
        }
    }
}

}  // namespace
