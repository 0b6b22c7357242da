#include "platform/raster/ColorTables.h"

#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <cstdint>
#include <cstdlib>

namespace {

// Seeds of tables made here. The standard tables keep the seed of their ID
// (as the system's tables do); every other table gets a fresh number from
// this counter, above the range of resource IDs the program uses.
SInt32 gNextSeed = 1024;

SInt32 NextSeed() { return gNextSeed++; }

void SetEntry(CTabHandle ct, int i, UInt16 r, UInt16 g, UInt16 b) {
    ColorSpec* e = CTabEntries(ct);
    e[i].value = SInt16(i);
    e[i].rgb = {r, g, b};
}

// The 16 colours of the standard 4-bit table, in index order.
constexpr std::array<RGBColor, 16> kStandard4 = {{
    {0xFFFF, 0xFFFF, 0xFFFF},  // white
    {0xFC00, 0xF37D, 0x052F},  // yellow
    {0xFFFF, 0x648A, 0x028C},  // orange
    {0xDD6B, 0x08C2, 0x06A2},  // red
    {0xF2D7, 0x0856, 0x84EC},  // magenta
    {0x46E3, 0x0000, 0xA53E},  // purple
    {0x0000, 0x0000, 0xD400},  // blue
    {0x0241, 0xAB54, 0xEAFF},  // cyan
    {0x1F21, 0xB793, 0x1431},  // green
    {0x0000, 0x64AF, 0x11B0},  // dark green
    {0x5600, 0x2C9D, 0x0524},  // brown
    {0x90D7, 0x7160, 0x3A34},  // tan
    {0xC000, 0xC000, 0xC000},  // light grey
    {0x8000, 0x8000, 0x8000},  // grey
    {0x4000, 0x4000, 0x4000},  // dark grey
    {0x0000, 0x0000, 0x0000},  // black
}};

// Table 128, the second 4-bit table of the colour-mode command: the sixteen
// colours of the common 4-bit palette of other systems' icons (the Windows
// icon format's usual palette), so a picture can be previewed as such an icon.
constexpr std::array<RGBColor, 16> kTable128 = {{
    {0x0000, 0x0000, 0x0000},
    {0x8080, 0x0000, 0x0000},
    {0x0000, 0x8080, 0x0000},
    {0x8080, 0x8080, 0x0000},
    {0x0000, 0x0000, 0x8080},
    {0x8080, 0x0000, 0x8080},
    {0x0000, 0x8080, 0x8080},
    {0xC0C0, 0xC0C0, 0xC0C0},
    {0x8080, 0x8080, 0x8080},
    {0xFFFF, 0x0000, 0x0000},
    {0x0000, 0xFFFF, 0x0000},
    {0xFFFF, 0xFFFF, 0x0000},
    {0x0000, 0x0000, 0xFFFF},
    {0xFFFF, 0x0000, 0xFFFF},
    {0x0000, 0xFFFF, 0xFFFF},
    {0xFFFF, 0xFFFF, 0xFFFF},
}};

// Table 130: 34 icon colours (the default favourites, the first palette
// check, and the 34-colour reduction). All are colours of the standard 8-bit
// table, so the palette check can mark every one of them on the cube or the
// ramps.
constexpr std::array<RGBColor, 34> kTable130 = {{
    {0xFFFF, 0xFFFF, 0xFFFF}, {0xFFFF, 0xFFFF, 0x0000}, {0xFFFF, 0x9999, 0x0000}, {0xFFFF, 0x0000, 0x0000},
    {0xFFFF, 0x0000, 0xFFFF}, {0x6666, 0x0000, 0xCCCC}, {0x0000, 0x0000, 0xFFFF}, {0x0000, 0xFFFF, 0xFFFF},
    {0x0000, 0xCCCC, 0x0000}, {0x0000, 0x6666, 0x0000}, {0x9999, 0x6666, 0x3333}, {0xCCCC, 0x9999, 0x6666},
    {0xCCCC, 0xCCCC, 0xCCCC}, {0x8888, 0x8888, 0x8888}, {0x4444, 0x4444, 0x4444}, {0x0000, 0x0000, 0x0000},
    {0xFFFF, 0xFFFF, 0xCCCC}, {0xFFFF, 0xCCCC, 0x9999}, {0xFFFF, 0xCCCC, 0xCCCC}, {0xFFFF, 0x9999, 0xFFFF},
    {0xCCCC, 0xCCCC, 0xFFFF}, {0x9999, 0xCCCC, 0xFFFF}, {0xCCCC, 0xFFFF, 0xFFFF}, {0xCCCC, 0xFFFF, 0xCCCC},
    {0x0000, 0xFFFF, 0x0000}, {0x9999, 0x0000, 0x0000}, {0x0000, 0x0000, 0x9999}, {0x0000, 0x0000, 0x6666},
    {0x0000, 0x9999, 0x9999}, {0x6666, 0x6666, 0x0000}, {0x6666, 0x3333, 0x0000}, {0xEEEE, 0xEEEE, 0xEEEE},
    {0xDDDD, 0xDDDD, 0xDDDD}, {0x2222, 0x2222, 0x2222},
}};

CTabHandle TableFromColors(const RGBColor* colors, int n, SInt32 seed) {
    CTabHandle ct = NewColorTable(n);
    if (!ct) return nullptr;
    for (int i = 0; i < n; ++i) SetEntry(ct, i, colors[i].red, colors[i].green, colors[i].blue);
    (*ct)->ctSeed = seed;
    return ct;
}

UInt16 RampLevel(int i) { return UInt16((14 - (3 * i) / 2) * 0x1111); }

CTabHandle BuildStandard(int depth) {
    CTabHandle ct = nullptr;
    switch (depth) {
    case 1:
        ct = NewColorTable(2);
        if (!ct) return nullptr;
        SetEntry(ct, 0, 0xFFFF, 0xFFFF, 0xFFFF);
        SetEntry(ct, 1, 0, 0, 0);
        break;
    case 2:
        // White, two evenly spaced greys, black.
        ct = NewColorTable(4);
        if (!ct) return nullptr;
        SetEntry(ct, 0, 0xFFFF, 0xFFFF, 0xFFFF);
        SetEntry(ct, 1, 0xAAAA, 0xAAAA, 0xAAAA);
        SetEntry(ct, 2, 0x5555, 0x5555, 0x5555);
        SetEntry(ct, 3, 0, 0, 0);
        break;
    case 4:
        ct = TableFromColors(kStandard4.data(), 16, 0);
        if (!ct) return nullptr;
        break;
    case 8:
        ct = NewColorTable(256);
        if (!ct) return nullptr;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) {
                    const int index = (5 - r) * 36 + (5 - g) * 6 + (5 - b);
                    if (index == 215) continue;  // the cube's black is entry 255
                    SetEntry(ct, index, UInt16(r * 0x3333), UInt16(g * 0x3333), UInt16(b * 0x3333));
                }
        for (int k = 0; k < 10; ++k) {
            const UInt16 l = RampLevel(k);
            SetEntry(ct, 215 + k, l, 0, 0);
            SetEntry(ct, 225 + k, 0, l, 0);
            SetEntry(ct, 235 + k, 0, 0, l);
            SetEntry(ct, 245 + k, l, l, l);
        }
        SetEntry(ct, 255, 0, 0, 0);
        break;
    default:
        return nullptr;
    }
    (*ct)->ctSeed = depth;
    return ct;
}

// Grey ramp with black last: entry i is 65535 - i * 65535 / (n - 1).
CTabHandle BuildGrey(int depth, SInt32 seed) {
    const int n = 1 << depth;
    CTabHandle ct = NewColorTable(n);
    if (!ct) return nullptr;
    for (int i = 0; i < n; ++i) {
        const UInt16 l = UInt16(65535 - (SInt64(i) * 65535) / (n - 1));
        SetEntry(ct, i, l, l, l);
    }
    (*ct)->ctSeed = seed;
    return ct;
}

// The search procedures, most recently added last.
std::vector<ColorSearchProcPtr>& SearchProcs() {
    static std::vector<ColorSearchProcPtr> procs;
    return procs;
}

bool RunSearchProcs(const RGBColor& c, SInt32* position) {
    auto& procs = SearchProcs();
    for (auto it = procs.rbegin(); it != procs.rend(); ++it) {
        RGBColor copy = c;
        SInt32 found = 0;
        if ((*it)(&copy, &found)) {
            *position = found;
            return true;
        }
    }
    return false;
}

CGrafPtr CurrentPort() { return GetQDGlobalsThePort(); }

const PixMap* CurrentPixMap() {
    CGrafPtr port = CurrentPort();
    if (!port || !port->portPixMap || !*port->portPixMap) return nullptr;
    return *port->portPixMap;
}

UInt32 PackDirect(const RGBColor& c) {
    return (UInt32(c.red >> 8) << 16) | (UInt32(c.green >> 8) << 8) | UInt32(c.blue >> 8);
}
RGBColor UnpackDirect(UInt32 v) {
    return {UInt16(((v >> 16) & 0xFF) * 0x101), UInt16(((v >> 8) & 0xFF) * 0x101), UInt16((v & 0xFF) * 0x101)};
}

// Index of `c` in the pixel map's own terms: packed for direct maps, the
// nearest entry (after the search procedures) for indexed ones.
SInt32 IndexForMap(const PixMap* pm, const RGBColor& c) {
    if (pm->pixelSize == 32 || pm->pixelSize == 16 || pm->pixelSize == 24) return SInt32(PackDirect(c));
    SInt32 position = 0;
    if (RunSearchProcs(c, &position)) return position;
    return NearestColorIndex(pm->pmTable, c);
}

RGBColor ColorForMap(const PixMap* pm, SInt32 index) {
    if (pm->pixelSize >= 16) return UnpackDirect(UInt32(index));
    if (!pm->pmTable || index < 0 || index >= CTabReadableCount(pm->pmTable)) return {0, 0, 0};
    return CTabEntries(pm->pmTable)[index].rgb;
}

}  // namespace

CTabHandle NewColorTable(int entries) {
    if (entries < 1 || entries > 256) return nullptr;
    Handle h = NewHandleClear(CTabByteSize(entries));
    if (!h) return nullptr;
    auto ct = reinterpret_cast<CTabHandle>(h);
    (*ct)->ctSeed = NextSeed();
    (*ct)->ctFlags = 0;
    (*ct)->ctSize = SInt16(entries - 1);
    return ct;
}

namespace {
CTabHandle gStandardTables[9] = {};
}

void DisposeCTable(CTabHandle ct) {
    if (!ct) return;
    for (CTabHandle shared : gStandardTables)
        if (shared == ct) return;
    DisposeHandle(reinterpret_cast<Handle>(ct));
}

SInt32 GetCTSeed() { return NextSeed(); }

void CTabChanged(CTabHandle ct) {
    if (ct && *ct) (*ct)->ctSeed = NextSeed();
}

CTabHandle CopyCTable(CTabHandle ct) {
    if (!ct || !*ct) return nullptr;
    Handle h = reinterpret_cast<Handle>(ct);
    if (HandToHand(&h) != noErr || !h) return nullptr;
    return reinterpret_cast<CTabHandle>(h);
}

CTabHandle StandardCTable(int depth) {
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8) return nullptr;
    if (!gStandardTables[depth]) gStandardTables[depth] = BuildStandard(depth);
    return gStandardTables[depth];
}

CTabHandle GetCTable(SInt16 ctID) {
    switch (ctID) {
    case 1:
    case 2:
    case 4:
    case 8:
        return CopyCTable(StandardCTable(ctID));
    case 33:
    case 34:
    case 36:
    case 40:
        return BuildGrey(ctID - 32, ctID);
    case 128:
        return TableFromColors(kTable128.data(), int(kTable128.size()), ctID);
    case 129: {
        // The 256-colour reduction uses the standard 8-bit table.
        CTabHandle ct = CopyCTable(StandardCTable(8));
        if (ct) (*ct)->ctSeed = ctID;
        return ct;
    }
    case 130:
        return TableFromColors(kTable130.data(), int(kTable130.size()), ctID);
    case 131: {
        // The second palette check: the 216 colours of the 6x6x6 cube, in
        // the order of the standard 8-bit table, black last.
        CTabHandle std8 = StandardCTable(8);
        CTabHandle ct = std8 ? NewColorTable(216) : nullptr;
        if (!ct) return nullptr;
        const ColorSpec* src = CTabEntries(std8);
        for (int i = 0; i < 215; ++i) SetEntry(ct, i, src[i].rgb.red, src[i].rgb.green, src[i].rgb.blue);
        SetEntry(ct, 215, 0, 0, 0);
        (*ct)->ctSeed = ctID;
        return ct;
    }
    default:
        return nullptr;
    }
}

int CTabReadableCount(CTabHandle ct) {
    if (!ct || !*ct) return 0;
    const Size bytes = GetHandleSize(reinterpret_cast<Handle>(ct));
    const Size header = CTabByteSize(0);
    const Size fit = bytes < header ? 0 : (bytes - header) / Size(sizeof(ColorSpec));
    return int(std::clamp<Size>(std::min<Size>(CTabCount(ct), fit), 0, 256));
}

int NearestColorIndex(CTabHandle ct, const RGBColor& rgb) {
    const int n = CTabReadableCount(ct);
    if (n <= 0) return 0;
    const ColorSpec* e = CTabEntries(ct);
    int best = 0;
    SInt64 bestD = ColorDistance(e[0].rgb, rgb);
    for (int i = 1; i < n && bestD != 0; ++i) {
        const SInt64 d = ColorDistance(e[i].rgb, rgb);
        if (d < bestD) {
            bestD = d;
            best = i;
        }
    }
    return best;
}

// ---- Inverse table -----------------------------------------------------------

namespace {
constexpr int kCoarseStep = 2;  // a coarse cell holds 4 x 4 x 4 fine cells

RGBColor RGBFrom8(UInt32 rgb) {
    return {UInt16((rgb >> 16 & 0xFF) * 0x101), UInt16((rgb >> 8 & 0xFF) * 0x101), UInt16((rgb & 0xFF) * 0x101)};
}

SInt64 AxisMin(int e, int lo, int hi) {
    if (e < lo) return lo - e;
    if (e > hi) return e - hi;
    return 0;
}
SInt64 AxisMax(int e, int lo, int hi) { return std::max(std::abs(e - lo), std::abs(e - hi)); }

int Component(const RGBColor& c, int axis) { return axis == 0 ? c.red : axis == 1 ? c.green : c.blue; }

// Whether entry `a` is the answer rather than entry `b` for every colour in
// the box: the difference of their squared distances is linear in the
// colour, so its largest value over the box is at the corner chosen axis by
// axis. Equal distances go to the lower index.
bool Beats(const RGBColor& ca, int a, const RGBColor& cb, int b, const int lo[3], const int hi[3]) {
    SInt64 most = 0;
    for (int k = 0; k < 3; ++k) {
        const SInt64 ea = Component(ca, k), eb = Component(cb, k), d = ea - eb;
        // (x - ea)^2 - (x - eb)^2 = ea^2 - eb^2 - 2 x d
        most += ea * ea - eb * eb - 2 * d * (d > 0 ? lo[k] : hi[k]);
    }
    return most < 0 || (most == 0 && a < b);
}
}  // namespace

InverseTable::InverseTable(CTabHandle ct) {
    const int n = CTabReadableCount(ct);
    if (n > 0) {
        const ColorSpec* e = CTabEntries(ct);
        colors_.reserve(size_t(n));
        for (int i = 0; i < n; ++i) colors_.push_back(e[i].rgb);
    }
    Init();
}

InverseTable::InverseTable(std::vector<RGBColor> colors, size_t listBytes, size_t blockBytes)
    : colors_(std::move(colors)), listBudget_(listBytes), blockBudget_(blockBytes) {
    if (colors_.size() > 256) colors_.resize(256);
    Init();
}

void InverseTable::Init() {
    if (colors_.size() <= 1) return;  // Nearest answers 0 without the grid
    fineBits_ = colors_.size() > 16 ? 6 : 5;
    fine_.assign(size_t(1) << (3 * fineBits_), 0);
    coarse_.assign(size_t(1) << (3 * (fineBits_ - kCoarseStep)), 0);
}

// The entries of `from` that can be the answer for some colour in the box
// [lo, hi], as a cell code. First every entry whose nearest possible
// distance exceeds the smallest farthest distance of any entry is dropped;
// then, taking entries nearest the box's centre first, every entry that
// another kept entry beats throughout the box. The answer for any colour in
// the box survives both steps.
UInt32 InverseTable::BuildList(const int lo[3], const int hi[3], const UInt8* from, int count, bool capped) const {
    std::array<SInt64, 256> dmin{};
    SInt64 limit = INT64_MAX;
    for (int k = 0; k < count; ++k) {
        const RGBColor& c = colors_[from[k]];
        const SInt64 xr = AxisMax(c.red, lo[0], hi[0]), xg = AxisMax(c.green, lo[1], hi[1]),
                     xb = AxisMax(c.blue, lo[2], hi[2]);
        limit = std::min(limit, xr * xr + xg * xg + xb * xb);
        const SInt64 mr = AxisMin(c.red, lo[0], hi[0]), mg = AxisMin(c.green, lo[1], hi[1]),
                     mb = AxisMin(c.blue, lo[2], hi[2]);
        dmin[size_t(k)] = mr * mr + mg * mg + mb * mb;
    }
    struct Near {
        SInt64 centre;
        int index;
    };
    std::array<Near, 256> order;
    int m = 0;
    for (int k = 0; k < count; ++k) {
        if (dmin[size_t(k)] > limit) continue;
        const RGBColor& c = colors_[from[k]];
        SInt64 d = 0;
        for (int a = 0; a < 3; ++a) {
            const SInt64 x = 2 * SInt64(Component(c, a)) - lo[a] - hi[a];  // doubled, to stay whole
            d += x * x;
        }
        order[size_t(m++)] = {d, from[k]};
    }
    std::sort(order.begin(), order.begin() + m,
              [](const Near& x, const Near& y) { return x.centre != y.centre ? x.centre < y.centre : x.index < y.index; });
    std::array<UInt8, 256> kept;
    int n = 0;
    for (int k = 0; k < m; ++k) {
        const int b = order[size_t(k)].index;
        bool beaten = false;
        for (int j = 0; j < n && !beaten; ++j)
            beaten = Beats(colors_[kept[size_t(j)]], kept[size_t(j)], colors_[size_t(b)], b, lo, hi);
        if (!beaten) kept[size_t(n++)] = UInt8(b);
    }
    if (n == 1) return (UInt32(kept[0]) << kCountBits) | 1;
    if (capped) {
        if (fineListBytes_ + size_t(n) > listBudget_) return 0;
        fineListBytes_ += size_t(n);
    }
    std::sort(kept.begin(), kept.begin() + n);
    const size_t offset = candidates_.size();
    candidates_.insert(candidates_.end(), kept.begin(), kept.begin() + n);
    return (UInt32(offset) << kCountBits) | UInt32(n);
}

UInt32 InverseTable::CoarseCode(UInt32 cell) const {
    UInt32& code = coarse_[cell];
    if (code != 0) return code;
    const int bits = fineBits_ - kCoarseStep, shift = 16 - bits, span = (1 << shift) - 1;
    const int lo[3] = {int(cell >> (2 * bits)) << shift, int((cell >> bits) & ((1u << bits) - 1)) << shift,
                       int(cell & ((1u << bits) - 1)) << shift};
    const int hi[3] = {lo[0] + span, lo[1] + span, lo[2] + span};
    std::array<UInt8, 256> all;
    const int n = int(colors_.size());
    for (int i = 0; i < n; ++i) all[size_t(i)] = UInt8(i);
    code = BuildList(lo, hi, all.data(), n, false);
    return code;
}

UInt32 InverseTable::BuildFine(UInt32 cell) const {
    const int bits = fineBits_, shift = 16 - bits, span = (1 << shift) - 1;
    const UInt32 axisMask = (1u << bits) - 1;
    const UInt32 r = cell >> (2 * bits), g = (cell >> bits) & axisMask, b = cell & axisMask;
    const int cb = bits - kCoarseStep;
    const UInt32 parent = CoarseCode(((r >> kCoarseStep) << (2 * cb)) | ((g >> kCoarseStep) << cb) | (b >> kCoarseStep));
    UInt32 code = parent;
    if ((parent & kCountMask) != 1) {
        const int lo[3] = {int(r) << shift, int(g) << shift, int(b) << shift};
        const int hi[3] = {lo[0] + span, lo[1] + span, lo[2] + span};
        std::array<UInt8, 256> from;  // candidates_ may move while the list is added
        const int count = int(parent & kCountMask);
        std::copy_n(candidates_.begin() + ptrdiff_t(parent >> kCountBits), count, from.begin());
        code = BuildList(lo, hi, from.data(), count, true);
        if (code == 0) code = parent;  // the fine lists are full: the coarse list is still exact
    }
    fine_[cell] = code;
    return code;
}

int InverseTable::ScanList(const RGBColor& c, UInt32 listCode) const {
    const UInt32 count = listCode & kCountMask;
    if (count == 1) return int(listCode >> kCountBits);
    const UInt8* cand = candidates_.data() + (listCode >> kCountBits);
    int best = cand[0];
    SInt64 bestD = ColorDistance(colors_[size_t(best)], c);
    for (UInt32 k = 1; k < count; ++k) {
        const SInt64 d = ColorDistance(colors_[cand[k]], c);
        if (d < bestD) {
            bestD = d;
            best = cand[k];
        }
    }
    return best;
}

int InverseTable::Scan(const RGBColor& c, UInt32 cell, UInt32 code) const {
    if (code == 0) code = BuildFine(cell);
    if ((code & kCountMask) == kBlockTag) code = blockLists_[code >> kCountBits];
    return ScanList(c, code);
}

int InverseTable::Lookup24(UInt32 rgb, UInt32 cell, UInt32 code) const {
    if (code == 0) code = BuildFine(cell);
    const UInt32 count = code & kCountMask;
    if (count == 1) return int(code >> kCountBits);
    const int sub = 8 - fineBits_;
    const size_t blockSize = size_t(1) << (3 * sub);
    if (count != kBlockTag) {
        if ((blockLists_.size() + 1) * blockSize > blockBudget_) return ScanList(RGBFrom8(rgb), code);
        // Every 8-bit colour of the cell, in BlockSlot order.
        const UInt32 axis = (1u << fineBits_) - 1;
        const UInt32 r0 = ((cell >> (2 * fineBits_)) & axis) << sub, g0 = ((cell >> fineBits_) & axis) << sub,
                     b0 = (cell & axis) << sub;
        const UInt32 block = UInt32(blockLists_.size());
        blockLists_.push_back(code);
        blockAnswers_.resize(blockAnswers_.size() + blockSize);
        UInt8* answers = blockAnswers_.data() + size_t(block) * blockSize;
        for (UInt32 r = 0; r < (1u << sub); ++r)
            for (UInt32 g = 0; g < (1u << sub); ++g)
                for (UInt32 b = 0; b < (1u << sub); ++b)
                    *answers++ = UInt8(ScanList(RGBFrom8((r0 + r) << 16 | (g0 + g) << 8 | (b0 + b)), code));
        code = (block << kCountBits) | kBlockTag;
        fine_[cell] = code;
    }
    return blockAnswers_[(size_t(code >> kCountBits) << (3 * sub)) | BlockSlot(rgb)];
}

std::shared_ptr<const InverseTable> InverseTableFor(CTabHandle ct) {
    const int n = CTabReadableCount(ct);
    if (n <= 0) return nullptr;
    static std::vector<std::shared_ptr<const InverseTable>> cache;  // most recent first
    const ColorSpec* e = CTabEntries(ct);
    auto same = [&](const InverseTable& t) {
        if (t.size() != n) return false;
        for (int i = 0; i < t.size(); ++i)
            if (!(t.colors()[size_t(i)] == e[i].rgb)) return false;
        return true;
    };
    for (size_t i = 0; i < cache.size(); ++i) {
        if (same(*cache[i])) {
            auto hit = cache[i];
            cache.erase(cache.begin() + ptrdiff_t(i));
            cache.insert(cache.begin(), hit);
            return hit;
        }
    }
    auto made = std::make_shared<const InverseTable>(ct);
    cache.insert(cache.begin(), made);
    if (cache.size() > 8) cache.pop_back();
    return made;
}

// ---- Current-port colour lookup -----------------------------------------------

SInt32 Color2Index(const RGBColor* myColor) {
    const PixMap* pm = CurrentPixMap();
    if (!pm || !myColor) return 0;
    return IndexForMap(pm, *myColor);
}

void Index2Color(SInt32 index, RGBColor* aColor) {
    if (!aColor) return;
    const PixMap* pm = CurrentPixMap();
    *aColor = pm ? ColorForMap(pm, index) : RGBColor{0, 0, 0};
}

Boolean RealColor(const RGBColor* color) {
    const PixMap* pm = CurrentPixMap();
    if (!pm || !color) return false;
    return ColorForMap(pm, IndexForMap(pm, *color)) == *color;
}

Boolean ColorSearchInstalled() { return !SearchProcs().empty(); }

Boolean RunColorSearch(const RGBColor& rgb, SInt32* position) {
    SInt32 found = 0;
    if (!RunSearchProcs(rgb, &found)) return false;
    if (position) *position = found;
    return true;
}

void AddSearch(ColorSearchProcPtr searchProc) {
    if (searchProc) SearchProcs().push_back(searchProc);
}

void DelSearch(ColorSearchProcPtr searchProc) {
    auto& procs = SearchProcs();
    // Removes the most recent installation only.
    for (auto it = procs.rbegin(); it != procs.rend(); ++it) {
        if (*it == searchProc) {
            procs.erase(std::next(it).base());
            return;
        }
    }
}

// ---- Port colours -------------------------------------------------------------

void RGBForeColor(const RGBColor* color) {
    if (CGrafPtr port = CurrentPort(); port && color) port->rgbFgColor = *color;
}
void RGBBackColor(const RGBColor* color) {
    if (CGrafPtr port = CurrentPort(); port && color) port->rgbBkColor = *color;
}
void GetForeColor(RGBColor* color) {
    if (!color) return;
    CGrafPtr port = CurrentPort();
    *color = port ? port->rgbFgColor : RGBColor{0, 0, 0};
}
void GetBackColor(RGBColor* color) {
    if (!color) return;
    CGrafPtr port = CurrentPort();
    *color = port ? port->rgbBkColor : RGBColor{0xFFFF, 0xFFFF, 0xFFFF};
}
void OpColor(const RGBColor* color) {
    if (CGrafPtr port = CurrentPort(); port && color) port->rgbOpColor = *color;
}

namespace {
RGBColor ClassicColor(SInt32 color) {
    switch (color) {
    case whiteColor: return {0xFFFF, 0xFFFF, 0xFFFF};
    case redColor: return {0xFFFF, 0, 0};
    case greenColor: return {0, 0xFFFF, 0};
    case blueColor: return {0, 0, 0xFFFF};
    case cyanColor: return {0, 0xFFFF, 0xFFFF};
    case magentaColor: return {0xFFFF, 0, 0xFFFF};
    case yellowColor: return {0xFFFF, 0xFFFF, 0};
    default: return {0, 0, 0};  // blackColor and anything unknown
    }
}

// Pixel access on a map of depth 1, 2, 4, 8 or 32, at a point inside its
// bounds.
UInt32 ReadPixel(const PixMap& pm, int h, int v) {
    const UInt8* row = PixRow(pm, v);
    const int x = h - pm.bounds.left;
    switch (pm.pixelSize) {
    case 1:
    case 2:
    case 4: {
        const int d = pm.pixelSize, bit = x * d;
        const int shift = 8 - d - (bit & 7);
        return (row[bit >> 3] >> shift) & ((1u << d) - 1);
    }
    case 8: return row[x];
    default: {
        const UInt8* p = row + 4 * x;
        return (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | p[3];
    }
    }
}

void WritePixel(const PixMap& pm, int h, int v, UInt32 value) {
    UInt8* row = PixRow(pm, v);
    const int x = h - pm.bounds.left;
    switch (pm.pixelSize) {
    case 1:
    case 2:
    case 4: {
        const int d = pm.pixelSize, bit = x * d;
        const int shift = 8 - d - (bit & 7);
        const UInt8 mask = UInt8(((1u << d) - 1) << shift);
        row[bit >> 3] = UInt8((row[bit >> 3] & ~mask) | ((value << shift) & mask));
        break;
    }
    case 8: row[x] = UInt8(value); break;
    default: {
        UInt8* p = row + 4 * x;
        p[0] = 0;
        p[1] = UInt8(value >> 16);
        p[2] = UInt8(value >> 8);
        p[3] = UInt8(value);
    }
    }
}

bool Inside(const Rect& r, int h, int v) { return h >= r.left && h < r.right && v >= r.top && v < r.bottom; }
}  // namespace

void ForeColor(SInt32 color) {
    const RGBColor c = ClassicColor(color);
    RGBForeColor(&c);
}
void BackColor(SInt32 color) {
    const RGBColor c = ClassicColor(color);
    RGBBackColor(&c);
}

// Outside the pixel map the colour is left as it was.
void GetCPixel(SInt16 h, SInt16 v, RGBColor* cPix) {
    const PixMap* pm = CurrentPixMap();
    if (!pm || !cPix || !pm->baseAddr || !Inside(pm->bounds, h, v)) return;
    *cPix = ColorForMap(pm, SInt32(ReadPixel(*pm, h, v)));
}

// Honours the clip and visible regions; outside the pixel map nothing happens.
void SetCPixel(SInt16 h, SInt16 v, const RGBColor* cPix) {
    CGrafPtr port = CurrentPort();
    const PixMap* pm = CurrentPixMap();
    if (!pm || !cPix || !pm->baseAddr || !Inside(pm->bounds, h, v)) return;
    if (port->clipRgn && !PtInRgn(Point{v, h}, port->clipRgn)) return;
    if (port->visRgn && !PtInRgn(Point{v, h}, port->visRgn)) return;
    WritePixel(*pm, h, v, UInt32(IndexForMap(pm, *cPix)));
}
