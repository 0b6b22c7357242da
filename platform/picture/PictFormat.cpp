#include "platform/picture/PictFormat.h"

#include "platform/core/Geometry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

// ---- Names -----------------------------------------------------------------

std::string OpcodeName(UInt16 op) {
    static const char* const kLow[] = {
        "NOP",         "ClipRgn",      "BkPat",         "TxFont",       "TxFace",      "TxMode",
        "SpExtra",     "PnSize",       "PnMode",        "PnPat",        "FillPat",     "OvSize",
        "Origin",      "TxSize",       "FgColor",       "BkColor",      "TxRatio",     "Version",
        "BkPixPat",    "PnPixPat",     "FillPixPat",    "PnLocHFrac",   "ChExtra",     nullptr,
        nullptr,       nullptr,        "RGBFgCol",      "RGBBkCol",     "HiliteMode",  "HiliteColor",
        "DefHilite",   "OpColor",      "Line",          "LineFrom",     "ShortLine",   "ShortLineFrom",
        nullptr,       nullptr,        nullptr,         nullptr,        "LongText",    "DHText",
        "DVText",      "DHDVText",     "FontName",      "LineJustify",  "GlyphState",  nullptr};
    if (op < std::size(kLow) && kLow[op]) return kLow[op];
    static const char* const kVerb[] = {"frame", "paint", "erase", "invert", "fill"};
    static const char* const kShape[] = {"Rect", "SameRect", "RRect", "SameRRect", "Oval", "SameOval",
                                         "Arc",  "SameArc",  "Poly",  "SamePoly",  "Rgn",  "SameRgn"};
    if (op >= 0x30 && op <= 0x8F && (op & 7) <= 4) {
        std::string s = kVerb[op & 7];
        s += kShape[(op - 0x30) >> 3];
        return s;
    }
    switch (op) {
        case kPictBitsRect: return "BitsRect";
        case kPictBitsRgn: return "BitsRgn";
        case kPictPackBitsRect: return "PackBitsRect";
        case kPictPackBitsRgn: return "PackBitsRgn";
        case kPictDirectBitsRect: return "DirectBitsRect";
        case kPictDirectBitsRgn: return "DirectBitsRgn";
        case kPictShortComment: return "ShortComment";
        case kPictLongComment: return "LongComment";
        case kPictEndPic: return "OpEndPic";
        case kPictHeaderOp: return "HeaderOp";
        case kPictCompressedQuickTime: return "CompressedQuickTime";
        case kPictUncompressedQuickTime: return "UncompressedQuickTime";
        default: break;
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, "Reserved 0x%04X", op);
    return buf;
}

// ---- PackBits --------------------------------------------------------------

void PackBitsRow(std::span<const UInt8> row, std::vector<UInt8>& out) {
    const size_t n = row.size();
    size_t i = 0;
    while (i < n) {
        // A run of three or more equal bytes is worth a repeat block.
        size_t run = 1;
        while (i + run < n && run < 128 && row[i + run] == row[i]) ++run;
        if (run >= 3) {
            out.push_back(UInt8(257 - run));
            out.push_back(row[i]);
            i += run;
            continue;
        }
        // Otherwise a literal block up to the next run of three.
        size_t start = i, len = 0;
        while (i < n && len < 128) {
            if (i + 2 < n && row[i] == row[i + 1] && row[i] == row[i + 2]) break;
            ++i;
            ++len;
        }
        out.push_back(UInt8(len - 1));
        out.insert(out.end(), row.begin() + ptrdiff_t(start), row.begin() + ptrdiff_t(start + len));
    }
}

namespace {

// unit: 1 or 2 bytes. Writes what fits; the result says whether input and
// output matched exactly (one trailing pad byte tolerated).
bool Unpack(std::span<const UInt8> in, std::span<UInt8> out, size_t unit) {
    size_t ip = 0, op = 0;
    bool exact = true;
    while (op < out.size()) {
        if (ip >= in.size()) {
            std::fill(out.begin() + ptrdiff_t(op), out.end(), UInt8(0));
            return false;
        }
        const UInt8 flag = in[ip++];
        if (flag < 128) {
            size_t len = (size_t(flag) + 1) * unit;
            size_t avail = std::min(len, in.size() - ip);
            size_t room = std::min(avail, out.size() - op);
            std::memcpy(out.data() + op, in.data() + ip, room);
            if (room < len) exact = false;
            ip += avail;
            op += room;
        } else if (flag > 128) {
            size_t count = 257 - size_t(flag);
            if (in.size() - ip < unit) {
                std::fill(out.begin() + ptrdiff_t(op), out.end(), UInt8(0));
                return false;
            }
            for (size_t k = 0; k < count && op < out.size(); ++k) {
                size_t room = std::min(unit, out.size() - op);
                std::memcpy(out.data() + op, in.data() + ip, room);
                op += room;
                if (k + 1 < count && op >= out.size()) exact = false;
            }
            ip += unit;
        }
        // 128 is a no-op.
    }
    return exact && in.size() - ip <= 1;
}

}  // namespace

bool UnpackBitsRow(std::span<const UInt8> in, std::span<UInt8> out) { return Unpack(in, out, 1); }
bool UnpackBitsRow16(std::span<const UInt8> in, std::span<UInt8> out) { return Unpack(in, out, 2); }

// ---- Header ----------------------------------------------------------------

OSErr ReadPictHeader(std::span<const UInt8> pict, PictHeader* header) {
    if (!header) return paramErr;
    ByteReader r(pict);
    r.u16be();  // size: only its low 16 bits survive in large pictures
    PictHeader h;
    h.frame = r.rect();
    if (!r.ok() || !r.has(2)) return badPictErr;
    if (RectWidth(h.frame) <= 0 || RectHeight(h.frame) <= 0) return badPictErr;
    const size_t at = r.pos();
    if (pict[at] == 0x11 && pict[at + 1] == 0x01) {
        h.version = 1;
        h.opStart = at + 2;
        h.srcRect = h.frame;
        *header = h;
        return noErr;
    }
    if (r.u16be() != kPictVersion || r.u16be() != 0x02FF || !r.ok()) return badPictErr;
    h.version = 2;
    h.opStart = r.pos();
    h.srcRect = h.frame;
    // The header opcode is optional; when present it names the resolution.
    if (r.has(26) && r.u16be() == kPictHeaderOp) {
        if (r.s16be() == -2) {
            r.u16be();  // reserved
            h.extended = true;
            h.hRes = r.s32be();
            h.vRes = r.s32be();
            h.srcRect = r.rect();
            if (!r.ok() || EmptyRect(&h.srcRect)) h.srcRect = h.frame;
        }
    }
    *header = h;
    return noErr;
}

// ---- Walking ---------------------------------------------------------------

RGBColor ClassicColorRGB(SInt32 color) {
    switch (color) {
        case 30: return {0xFFFF, 0xFFFF, 0xFFFF};  // white
        case 205: return {0xDD6B, 0x08C2, 0x06A2};  // red
        case 341: return {0x0000, 0x8000, 0x11B0};  // green
        case 409: return {0x0000, 0x0000, 0xD400};  // blue
        case 273: return {0x0241, 0xAB54, 0xEAFF};  // cyan
        case 137: return {0xF2D7, 0x0856, 0x84EC};  // magenta
        case 69: return {0xFC00, 0xF37D, 0x052F};   // yellow
        default: return {0, 0, 0};
    }
}

namespace {

constexpr UInt16 kRowFlags = 0xC000;

// Work budget for "same region/polygon" opcodes, which re-use earlier data
// and could otherwise cost far more than the picture's size.
constexpr Size kMaxReuseBytes = Size(1) << 26;

class Walker {
public:
    Walker(std::span<const UInt8> pict, PictSink& sink, PictWalkOptions opt)
        : r_(pict), sink_(sink), opt_(opt) {}

    [[nodiscard]] OSErr run();

private:
    UInt16 nextOpcode();
    void align() {
        if (version_ == 2 && (r_.pos() & 1)) r_.skip(1);
    }
    [[nodiscard]] OSErr skipReserved(UInt16 op);
    [[nodiscard]] OSErr shape(UInt16 op);
    [[nodiscard]] OSErr raster(UInt16 op);
    [[nodiscard]] OSErr pixPat(UInt16 op);
    [[nodiscard]] OSErr readColorTable(std::vector<RGBColor>* colors, int depth);
    [[nodiscard]] OSErr pixelData(PictRaster& ras, SInt32 fileRowBytes, bool packed);
    std::span<const UInt8> sized(size_t minSize);
    void textOp(Point at) {
        UInt8 n = r_.u8();
        auto chars = r_.bytes(n);
        if (!r_.ok()) return;
        textLoc_ = at;
        sink_.text(at, chars);
    }

    ByteReader r_;
    PictSink& sink_;
    PictWalkOptions opt_;
    int version_ = 0;
    Point pnLoc_, textLoc_;
    Point ovSize_;
    Rect lastRect_;
    std::span<const UInt8> lastPoly_, lastRgn_;
    Size reuse_ = 0;
};

UInt16 Walker::nextOpcode() {
    if (version_ == 1) return r_.u8();
    align();
    return r_.u16be();
}

// A u16 size that counts itself, then the rest; at least minSize in all.
std::span<const UInt8> Walker::sized(size_t minSize) {
    const size_t at = r_.pos();
    const UInt16 size = r_.u16be();
    if (!r_.ok() || size < minSize) {
        r_.fail();
        return {};
    }
    r_.seek(at);
    return r_.bytes(size);
}

OSErr Walker::skipReserved(UInt16 op) {
    size_t n = 0;
    if (op <= 0x00FF) {
        if ((op >= 0x17 && op <= 0x19) || op == 0x1C || op == 0x1E || (op >= 0xB0 && op <= 0xCF)) {
            n = 0;
        } else if ((op >= 0x24 && op <= 0x27) || (op >= 0x2C && op <= 0x2F) || (op >= 0x92 && op <= 0x97) ||
                   (op >= 0x9C && op <= 0x9F) || (op >= 0xA2 && op <= 0xAF)) {
            n = r_.u16be();
        } else if (op >= 0xD0 && op <= 0xFE) {
            n = r_.u32be();
        } else if (op == 0x06) {
            n = 4;
        } else if (op == 0x10) {
            n = 8;
        } else if (op == 0x15 || op == 0x16) {
            n = 2;
        } else {
            return badPictErr;  // every other low opcode is handled by name
        }
    } else if (op <= 0x7FFF) {
        n = size_t(op >> 8) * 2;
    } else if (op <= 0x80FF) {
        n = 0;
    } else {
        n = r_.u32be();
    }
    if (!r_.skip(n)) return badPictErr;
    return noErr;
}

OSErr Walker::shape(UInt16 op) {
    const int kind = (op - 0x30) >> 3;  // 0 rect, 1 same rect, 2 rrect, ...
    const int sub = op & 7;
    if (sub > 4) {
        // Reserved opcodes inside the shape ranges: sized like their neighbours.
        if ((op >= 0x35 && op <= 0x37) || (op >= 0x45 && op <= 0x47) || (op >= 0x55 && op <= 0x57)) {
            r_.skip(8);
        } else if (op >= 0x65 && op <= 0x67) {
            r_.skip(12);
        } else if (op >= 0x6D && op <= 0x6F) {
            r_.skip(4);
        } else if ((op >= 0x75 && op <= 0x77) || (op >= 0x85 && op <= 0x87)) {
            sized(2);
        }
        return r_.ok() ? noErr : badPictErr;
    }
    const GrafVerb verb = GrafVerb(sub);
    auto reuse = [&](size_t n) {
        reuse_ += Size(n);
        return reuse_ <= kMaxReuseBytes;
    };
    switch (kind) {
        case 0: lastRect_ = r_.rect(); [[fallthrough]];
        case 1: if (r_.ok()) sink_.rect(verb, lastRect_); break;
        case 2: lastRect_ = r_.rect(); [[fallthrough]];
        case 3: if (r_.ok()) sink_.rRect(verb, lastRect_, ovSize_); break;
        case 4: lastRect_ = r_.rect(); [[fallthrough]];
        case 5: if (r_.ok()) sink_.oval(verb, lastRect_); break;
        case 6: lastRect_ = r_.rect(); [[fallthrough]];
        case 7: {
            SInt16 start = r_.s16be(), angle = r_.s16be();
            if (r_.ok()) sink_.arc(verb, lastRect_, start, angle);
            break;
        }
        case 8: lastPoly_ = sized(10); [[fallthrough]];
        case 9:
            if (!reuse(lastPoly_.size())) return badPictErr;
            if (r_.ok() && !lastPoly_.empty()) sink_.poly(verb, lastPoly_);
            break;
        case 10: lastRgn_ = sized(10); [[fallthrough]];
        case 11:
            if (!reuse(lastRgn_.size())) return badPictErr;
            if (r_.ok() && !lastRgn_.empty()) sink_.rgn(verb, lastRgn_);
            break;
        default: break;
    }
    return r_.ok() ? noErr : badPictErr;
}

OSErr Walker::readColorTable(std::vector<RGBColor>* colors, int depth) {
    r_.u32be();  // seed
    const UInt16 flags = r_.u16be();
    const SInt16 size = r_.s16be();
    if (!r_.ok() || size < -1 || size > 255) return badPictErr;
    const size_t slots = size_t(1) << depth;
    colors->assign(slots, RGBColor{0, 0, 0});
    for (int i = 0; i <= size; ++i) {
        UInt16 value = r_.u16be();
        RGBColor c = r_.rgb();
        // Device tables number their entries by position.
        size_t index = (flags & 0x8000) ? size_t(i) : size_t(value);
        if (index < slots) (*colors)[index] = c;
    }
    return r_.ok() ? noErr : badPictErr;
}

// Whether `height` packed rows follow, each with a count of the given size,
// and each decodes to exactly `decodedRow` bytes.
bool RowsDecodeExactly(ByteReader r, int height, bool wideCounts, size_t decodedRow, size_t unit) {
    std::vector<UInt8> row(decodedRow);
    for (int y = 0; y < height; ++y) {
        const size_t count = wideCounts ? r.u16be() : r.u8();
        auto in = r.bytes(count);
        if (!r.ok() || !(unit == 2 ? UnpackBitsRow16(in, row) : UnpackBitsRow(in, row))) return false;
    }
    return true;
}

// Reads (and, when asked, decodes) the rows of a raster. `packed` is whether
// the opcode packs rows at all; rows narrower than 8 bytes are never packed.
OSErr Walker::pixelData(PictRaster& ras, SInt32 fileRowBytes, bool packed) {
    const int width = RectWidth(ras.bounds), height = RectHeight(ras.bounds);
    const int depth = ras.depth;
    if (fileRowBytes < 8) packed = false;
    // What one row of the file decodes to, and how its bytes are arranged.
    enum class Layout { indexed, direct16, chunky32, rgb24, planar32 } layout;
    size_t decodedRow = size_t(fileRowBytes);
    if (depth <= 8) {
        layout = Layout::indexed;
        if (fileRowBytes < (Size(width) * depth + 7) / 8) return badPictErr;
    } else if (depth == 16) {
        layout = Layout::direct16;
        if (fileRowBytes < Size(width) * 2) return badPictErr;
        if (ras.packType == 1) packed = false;
        if (packed) decodedRow = size_t(width) * 2;
    } else {
        if (!packed || ras.packType == 1) {
            layout = Layout::chunky32;
            packed = false;
            if (fileRowBytes < Size(width) * 4) return badPictErr;
        } else if (ras.packType == 2) {
            layout = Layout::rgb24;
            packed = false;
            decodedRow = size_t(width) * 3;
        } else {
            layout = Layout::planar32;
            if (ras.cmpCount != 3 && ras.cmpCount != 4) return badPictErr;
            decodedRow = size_t(width) * size_t(ras.cmpCount);
        }
    }
    const int outDepth = depth <= 8 ? depth : 32;
    ras.rowBytes = SInt32(((Size(width) * outDepth + 31) / 32) * 4);
    const Size total = Size(ras.rowBytes) * height;
    if (total > kMaxPictRasterBytes) return memFullErr;
    // Packed rows carry two-byte counts when rowBytes is above 250. Some
    // writers decide by the length of a row's data before packing instead,
    // above 200 bytes: ImageMagick gives direct rows of 63 to 66 pixels of
    // three components one-byte counts, and direct rows of 51 to 62 pixels of
    // four components and 8-bit rows of 201 to 250 pixels two-byte ones.
    // Where the two rules disagree, the other size is taken only when the
    // format's one fails and the other decodes every row exactly; every count
    // stays bounded by the data and the row.
    bool wideCounts = fileRowBytes > 250;
    if (packed && wideCounts != (decodedRow > 200)) {
        const size_t unit = depth == 16 ? 2 : 1;
        if (!RowsDecodeExactly(r_, height, wideCounts, decodedRow, unit) &&
            RowsDecodeExactly(r_, height, !wideCounts, decodedRow, unit))
            wideCounts = !wideCounts;
    }

    if (!opt_.decodePixels) {
        for (int y = 0; y < height && r_.ok(); ++y) {
            if (packed) r_.skip(wideCounts ? r_.u16be() : r_.u8());
            else r_.skip(decodedRow);
        }
        return r_.ok() ? noErr : badPictErr;
    }
    // The input must be able to justify the allocation: unpacked rows are
    // all present; a packed row needs its count and 2 bytes per 128 bytes
    // it decodes to.
    if (packed) {
        const Size minRow = (wideCounts ? 2 : 1) + 2 * ((Size(decodedRow) + 127) / 128);
        if (Size(r_.remaining()) < minRow * height) return badPictErr;
    } else if (Size(r_.remaining()) < Size(decodedRow) * height) {
        return badPictErr;
    }
    ras.pixels.assign(size_t(total), 0);
    std::vector<UInt8> row(decodedRow);
    for (int y = 0; y < height; ++y) {
        if (packed) {
            const size_t count = wideCounts ? r_.u16be() : r_.u8();
            auto in = r_.bytes(count);
            if (!r_.ok()) return badPictErr;
            if (depth == 16) UnpackBitsRow16(in, row);
            else UnpackBitsRow(in, row);
        } else {
            auto in = r_.bytes(decodedRow);
            if (!r_.ok()) return badPictErr;
            std::memcpy(row.data(), in.data(), decodedRow);
        }
        UInt8* out = ras.pixels.data() + size_t(y) * size_t(ras.rowBytes);
        switch (layout) {
            case Layout::indexed:
                std::memcpy(out, row.data(), std::min(size_t(ras.rowBytes), decodedRow));
                break;
            case Layout::direct16:
                for (int x = 0; x < width; ++x) {
                    const unsigned v = unsigned(row[2 * x]) << 8 | row[2 * x + 1];
                    auto c5 = [](unsigned c) { return UInt8(c << 3 | c >> 2); };
                    out[4 * x] = 0;
                    out[4 * x + 1] = c5(v >> 10 & 31);
                    out[4 * x + 2] = c5(v >> 5 & 31);
                    out[4 * x + 3] = c5(v & 31);
                }
                break;
            case Layout::chunky32:
                std::memcpy(out, row.data(), size_t(width) * 4);
                break;
            case Layout::rgb24:
                for (int x = 0; x < width; ++x) {
                    out[4 * x] = 0;
                    std::memcpy(out + 4 * x + 1, row.data() + 3 * x, 3);
                }
                break;
            case Layout::planar32: {
                const size_t w = size_t(width);
                const UInt8* planes = row.data();
                if (ras.cmpCount == 4) planes += w;  // alpha plane first; the pad byte stays 0
                for (size_t x = 0; x < w; ++x) {
                    out[4 * x] = 0;
                    out[4 * x + 1] = planes[x];
                    out[4 * x + 2] = planes[w + x];
                    out[4 * x + 3] = planes[2 * w + x];
                }
                break;
            }
        }
    }
    return noErr;
}

OSErr Walker::raster(UInt16 op) {
    PictRaster ras;
    ras.opcode = op;
    const bool direct = op == kPictDirectBitsRect || op == kPictDirectBitsRgn;
    const bool withRgn = op == kPictBitsRgn || op == kPictPackBitsRgn || op == kPictDirectBitsRgn;
    const bool packed = op != kPictBitsRect && op != kPictBitsRgn;
    if (direct) r_.u32be();  // base address placeholder
    const UInt16 rowField = r_.u16be();
    ras.isPixMap = direct || (rowField & 0x8000);
    const SInt32 fileRowBytes = rowField & ~kRowFlags;
    ras.bounds = r_.rect();
    if (!r_.ok()) return badPictErr;
    const int width = RectWidth(ras.bounds), height = RectHeight(ras.bounds);
    if (width <= 0 || height <= 0 || width > kMaxPictRasterEdge || height > kMaxPictRasterEdge) return badPictErr;
    if (ras.isPixMap) {
        r_.s16be();  // pmVersion
        ras.packType = r_.s16be();
        r_.s32be();  // packSize
        ras.hRes = r_.s32be();
        ras.vRes = r_.s32be();
        r_.s16be();  // pixelType
        ras.depth = r_.s16be();
        ras.cmpCount = r_.s16be();
        r_.s16be();  // cmpSize
        r_.skip(12);  // planeBytes, pmTable, pmReserved
        if (!r_.ok()) return badPictErr;
        if (direct) {
            if (ras.depth != 16 && ras.depth != 32) return badPictErr;
        } else {
            if (ras.depth != 1 && ras.depth != 2 && ras.depth != 4 && ras.depth != 8) return badPictErr;
            if (OSErr err = readColorTable(&ras.colors, ras.depth)) return err;
        }
    } else {
        ras.depth = 1;
        ras.colors = {RGBColor{0xFFFF, 0xFFFF, 0xFFFF}, RGBColor{0, 0, 0}};
    }
    ras.srcRect = r_.rect();
    ras.dstRect = r_.rect();
    ras.mode = r_.s16be();
    if (withRgn) ras.maskRgn = sized(10);
    if (!r_.ok()) return badPictErr;
    if (OSErr err = pixelData(ras, fileRowBytes, packed)) return err;
    sink_.bits(ras);
    return noErr;
}

OSErr Walker::pixPat(UInt16 op) {
    const UInt16 patType = r_.u16be();
    Pattern pat;
    auto b = r_.bytes(8);
    if (!r_.ok()) return badPictErr;
    std::memcpy(pat.pat, b.data(), 8);
    if (patType == 1) {
        // A full pixel pattern: pixel map, colour table, rows. Only its
        // one-bit form is used.
        const UInt16 rowField = r_.u16be();
        PictRaster ras;
        ras.bounds = r_.rect();
        r_.s16be();
        ras.packType = r_.s16be();
        r_.skip(12);
        r_.s16be();
        ras.depth = r_.s16be();
        ras.cmpCount = r_.s16be();
        r_.skip(14);
        if (!r_.ok()) return badPictErr;
        const int w = RectWidth(ras.bounds), h = RectHeight(ras.bounds);
        if (w <= 0 || h <= 0 || w > 64 || h > 64) return badPictErr;
        if (ras.depth != 1 && ras.depth != 2 && ras.depth != 4 && ras.depth != 8) return badPictErr;
        if (OSErr err = readColorTable(&ras.colors, ras.depth)) return err;
        const bool save = opt_.decodePixels;
        opt_.decodePixels = false;
        OSErr err = pixelData(ras, rowField & ~kRowFlags, true);
        opt_.decodePixels = save;
        if (err) return err;
    } else if (patType == 2) {
        r_.rgb();
    } else if (patType != 0) {
        return badPictErr;
    }
    if (!r_.ok()) return badPictErr;
    if (op == 0x12) sink_.bkPat(pat);
    else if (op == 0x13) sink_.penPat(pat);
    else sink_.fillPat(pat);
    return noErr;
}

OSErr Walker::run() {
    PictHeader header;
    if (OSErr err = ReadPictHeader(r_.data(), &header)) return err;
    version_ = header.version;
    r_.seek(header.opStart);
    for (size_t count = 0; sink_.keepGoing(); ++count) {
        if (count >= kMaxPictOpcodes) return badPictErr;
        align();
        if (r_.atEnd()) return noErr;  // some writers leave out the end opcode
        const size_t at = r_.pos();
        const UInt16 op = nextOpcode();
        if (!r_.ok()) return badPictErr;
        sink_.opcode(op, at);
        auto pattern = [&]() {
            Pattern p;
            auto b = r_.bytes(8);
            if (r_.ok()) std::memcpy(p.pat, b.data(), 8);
            return p;
        };
        OSErr err = noErr;
        switch (op) {
            case kPictNOP: break;
            case kPictClipRgn: {
                auto rgn = sized(10);
                if (r_.ok()) sink_.clip(rgn);
                break;
            }
            case kPictBkPat: { Pattern p = pattern(); if (r_.ok()) sink_.bkPat(p); break; }
            case kPictPnPat: { Pattern p = pattern(); if (r_.ok()) sink_.penPat(p); break; }
            case kPictFillPat: { Pattern p = pattern(); if (r_.ok()) sink_.fillPat(p); break; }
            case kPictTxFont: { SInt16 v = r_.s16be(); if (r_.ok()) sink_.txFont(v); break; }
            case kPictTxFace: { UInt8 v = r_.u8(); if (r_.ok()) sink_.txFace(v); break; }
            case kPictTxMode: { SInt16 v = r_.s16be(); if (r_.ok()) sink_.txMode(v); break; }
            case kPictTxSize: { SInt16 v = r_.s16be(); if (r_.ok()) sink_.txSize(v); break; }
            case kPictPnSize: { Point p = r_.point(); if (r_.ok()) sink_.penSize(p); break; }
            case kPictPnMode: { SInt16 v = r_.s16be(); if (r_.ok()) sink_.penMode(v); break; }
            case kPictOvSize: ovSize_ = r_.point(); break;
            case kPictOrigin: {
                SInt16 dh = r_.s16be(), dv = r_.s16be();
                if (r_.ok()) sink_.origin(dh, dv);
                break;
            }
            case kPictFgColor: { SInt32 c = r_.s32be(); if (r_.ok()) sink_.foreColor(ClassicColorRGB(c)); break; }
            case kPictBkColor: { SInt32 c = r_.s32be(); if (r_.ok()) sink_.backColor(ClassicColorRGB(c)); break; }
            case kPictVersion: r_.skip(version_ == 1 ? 1 : 2); break;
            case 0x12: case 0x13: case 0x14: err = pixPat(op); break;
            case kPictRGBFgCol: { RGBColor c = r_.rgb(); if (r_.ok()) sink_.foreColor(c); break; }
            case kPictRGBBkCol: { RGBColor c = r_.rgb(); if (r_.ok()) sink_.backColor(c); break; }
            case kPictHiliteColor: { RGBColor c = r_.rgb(); if (r_.ok()) sink_.hiliteColor(c); break; }
            case kPictOpColor: { RGBColor c = r_.rgb(); if (r_.ok()) sink_.opColor(c); break; }
            case kPictLine: {
                Point from = r_.point(), to = r_.point();
                if (r_.ok()) sink_.line(from, to), pnLoc_ = to;
                break;
            }
            case kPictLineFrom: {
                Point to = r_.point();
                if (r_.ok()) sink_.line(pnLoc_, to), pnLoc_ = to;
                break;
            }
            case kPictShortLine:
            case kPictShortLineFrom: {
                Point from = op == kPictShortLine ? r_.point() : pnLoc_;
                SInt8 dh = r_.s8(), dv = r_.s8();
                Point to{SInt16(from.v + dv), SInt16(from.h + dh)};
                if (r_.ok()) sink_.line(from, to), pnLoc_ = to;
                break;
            }
            case kPictLongText: textOp(r_.point()); break;
            case kPictDHText: {
                SInt16 dh = r_.u8();
                textOp(Point{textLoc_.v, SInt16(textLoc_.h + dh)});
                break;
            }
            case kPictDVText: {
                SInt16 dv = r_.u8();
                textOp(Point{SInt16(textLoc_.v + dv), textLoc_.h});
                break;
            }
            case kPictDHDVText: {
                SInt16 dh = r_.u8(), dv = r_.u8();
                textOp(Point{SInt16(textLoc_.v + dv), SInt16(textLoc_.h + dh)});
                break;
            }
            case kPictBitsRect: case kPictBitsRgn: case kPictPackBitsRect: case kPictPackBitsRgn:
            case kPictDirectBitsRect: case kPictDirectBitsRgn:
                err = raster(op);
                break;
            case kPictShortComment: {
                SInt16 kind = r_.s16be();
                if (r_.ok()) sink_.comment(kind, {}, false);
                break;
            }
            case kPictLongComment: {
                SInt16 kind = r_.s16be();
                UInt16 size = r_.u16be();
                auto data = r_.bytes(size);
                if (r_.ok()) sink_.comment(kind, data, true);
                break;
            }
            case kPictEndPic: return noErr;
            default:
                if (op >= 0x30 && op <= 0x8F) err = shape(op);
                else err = skipReserved(op);
                break;
        }
        if (err) return err;
        if (!r_.ok()) return badPictErr;
        if (version_ == 1 && op > 0xFF) return badPictErr;
    }
    return noErr;
}

}  // namespace

OSErr WalkPicture(std::span<const UInt8> pict, PictSink& sink, PictWalkOptions options) {
    Walker w(pict, sink, options);
    return w.run();
}
