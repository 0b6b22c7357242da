// Recording: the PictureRecorder a port's standard procedures feed while a
// picture is open on it. Each drawing operation is preceded by the state
// opcodes for whatever changed since the last one (clip, colours, pen,
// text, OpColor), so the picture replays with the port state it was drawn
// with. Output is a version 2 picture with the extended header; every
// opcode starts at an even offset.
#include "platform/core/ByteIO.h"
#include "platform/core/Geometry.h"
#include "platform/core/Memory.h"
#include "platform/picture/PictFormat.h"
#include "platform/picture/PictInternal.h"
#include "platform/picture/Pictures.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Shapes.h"
#include "platform/raster/Text.h"

#include <cstring>
#include <map>
#include <memory>
#include <optional>

namespace {

bool UsesOpColor(SInt16 mode) { return mode >= blend && mode <= adMin; }

class PictWriter final : public PictureRecorder {
public:
    PictWriter(Handle out, const Rect& frame, Fixed hRes, Fixed vRes, const Rect& srcRect)
        : out_(out), area_(srcRect) {
        w_.u16be(0);  // size, patched on close
        w_.rect(frame);
        w_.u16be(kPictVersion);
        w_.u16be(0x02FF);
        w_.u16be(kPictHeaderOp);
        w_.s16be(-2);
        w_.u16be(0);
        w_.s32be(hRes);
        w_.s32be(vRes);
        w_.rect(srcRect);
        w_.u32be(0);
    }

    Handle handle() const { return out_; }

    // Writes the end opcode and moves the bytes into the picture handle.
    [[nodiscard]] OSErr finish() {
        op(kPictEndPic);
        if (error_) return error_;
        w_.patchU16be(0, UInt16(w_.size() & 0xFFFF));
        SetHandleSize(out_, Size(w_.size()));
        if (MemError() != noErr) return memFullErr;
        std::memcpy(*out_, w_.buffer().data(), w_.size());
        return noErr;
    }

    void text(CGrafPtr port, SInt16 byteCount, const void* textBuf, Point, Point) override {
        if (byteCount <= 0 || !textBuf) return;
        common(port);
        if (port->txFont != txFont_) op(kPictTxFont), w_.s16be(txFont_ = port->txFont);
        if (port->txFace != txFace_) op(kPictTxFace), w_.u8(txFace_ = port->txFace);
        if (port->txMode != txMode_) op(kPictTxMode), w_.s16be(txMode_ = port->txMode);
        if (port->txSize != txSize_) op(kPictTxSize), w_.s16be(txSize_ = port->txSize);
        auto chars = std::span(static_cast<const UInt8*>(textBuf), size_t(byteCount));
        // LongText holds at most 255 characters; a longer run is cut into
        // pieces, each placed where the one before it ended.
        Point at = port->pnLoc;
        for (size_t from = 0; from < chars.size(); from += 255) {
            const size_t n = std::min<size_t>(255, chars.size() - from);
            op(kPictLongText);
            w_.point(at);
            at.h = SInt16(at.h + TextWidth(chars.data(), SInt16(from), SInt16(n)));
            w_.u8(UInt8(n));
            w_.bytes(chars.subspan(from, n));
        }
    }
    void line(CGrafPtr port, Point from, Point to) override {
        common(port);
        penState(port, true);
        if (pen_ && *pen_ == from) {
            op(kPictLineFrom);
        } else {
            op(kPictLine);
            w_.point(from);
        }
        w_.point(to);
        pen_ = to;
    }
    void rect(CGrafPtr port, GrafVerb verb, const Rect* r) override {
        if (!r) return;
        shapeState(port, verb);
        op(UInt16(kPictFrameRect + verb));
        w_.rect(*r);
    }
    void rRect(CGrafPtr port, GrafVerb verb, const Rect* r, SInt16 ovalWidth, SInt16 ovalHeight) override {
        if (!r) return;
        shapeState(port, verb);
        const Point ov{ovalHeight, ovalWidth};
        if (!ovSize_ || !(*ovSize_ == ov)) {
            op(kPictOvSize);
            w_.point(ov);
            ovSize_ = ov;
        }
        op(UInt16(kPictFrameRRect + verb));
        w_.rect(*r);
    }
    void oval(CGrafPtr port, GrafVerb verb, const Rect* r) override {
        if (!r) return;
        shapeState(port, verb);
        op(UInt16(kPictFrameOval + verb));
        w_.rect(*r);
    }
    void arc(CGrafPtr port, GrafVerb verb, const Rect* r, SInt16 startAngle, SInt16 arcAngle) override {
        if (!r) return;
        shapeState(port, verb);
        op(UInt16(kPictFrameArc + verb));
        w_.rect(*r);
        w_.s16be(startAngle);
        w_.s16be(arcAngle);
    }
    void poly(CGrafPtr port, GrafVerb verb, PolyHandle poly) override {
        if (!poly || !*poly) return;
        auto pts = PolyPoints(poly);
        if (pts.empty()) return;
        shapeState(port, verb);
        op(UInt16(kPictFramePoly + verb));
        w_.u16be(UInt16(10 + 4 * pts.size()));
        w_.rect(reinterpret_cast<const Polygon*>(*poly)->polyBBox);
        for (Point p : pts) w_.point(p);
    }
    void rgn(CGrafPtr port, GrafVerb verb, RgnHandle rgn) override {
        if (!rgn) return;
        auto stored = RegionToStored(rgn);
        if (stored.empty()) return (void)(error_ = rgnOverflowErr);
        shapeState(port, verb);
        op(UInt16(kPictFrameRgn + verb));
        w_.bytes(stored);
    }
    void bits(CGrafPtr port, const BitMap* src, const Rect* srcRect, const Rect* dstRect, SInt16 mode,
              RgnHandle maskRgn) override;
    void comment(CGrafPtr, SInt16 kind, SInt16 dataSize, Handle dataHandle) override {
        if (dataSize <= 0 || !dataHandle || !*dataHandle) {
            op(kPictShortComment);
            w_.s16be(kind);
            return;
        }
        const Size have = GetHandleSize(dataHandle);
        const size_t n = size_t(std::min<Size>(have, dataSize));
        op(kPictLongComment);
        w_.s16be(kind);
        w_.u16be(UInt16(n));
        w_.bytes(std::span(reinterpret_cast<const UInt8*>(*dataHandle), n));
    }

private:
    // Starts an opcode on an even offset.
    void op(UInt16 code) {
        if (w_.size() & 1) w_.u8(0);
        w_.u16be(code);
    }
    // Clip and colours, which every drawing operation depends on.
    void common(CGrafPtr port) {
        // The clip is kept to the picture's area: a wide-open clip is stored
        // as that area (readers refuse rectangles wider than 32767).
        if (port->clipRgn) {
            UniqueRgn clip;
            RectRgn(clip, &area_);
            SectRgn(clip, port->clipRgn, clip);
            if (!clipKnown_ || !EqualRgn(clip, lastClip_)) {
                auto stored = RegionToStored(clip);
                if (!stored.empty()) {
                    op(kPictClipRgn);
                    w_.bytes(stored);
                    CopyRgn(clip, lastClip_);
                    clipKnown_ = true;
                }
            }
        }
        if (!(port->rgbFgColor == fg_)) op(kPictRGBFgCol), w_.rgb(fg_ = port->rgbFgColor);
        if (!(port->rgbBkColor == bk_)) op(kPictRGBBkCol), w_.rgb(bk_ = port->rgbBkColor);
    }
    void opColor(CGrafPtr port) {
        if (!opColor_ || !(*opColor_ == port->rgbOpColor)) {
            op(kPictOpColor);
            w_.rgb(port->rgbOpColor);
            opColor_ = port->rgbOpColor;
        }
    }
    void penState(CGrafPtr port, bool withPattern) {
        if (!(port->pnSize == pnSize_)) op(kPictPnSize), w_.point(pnSize_ = port->pnSize);
        if (port->pnMode != pnMode_) op(kPictPnMode), w_.s16be(pnMode_ = port->pnMode);
        if (withPattern && !(port->pnPat == pnPat_)) op(kPictPnPat), w_.bytes(pnPat_ = port->pnPat, 8);
        if (UsesOpColor(port->pnMode)) opColor(port);
    }
    void shapeState(CGrafPtr port, GrafVerb verb) {
        common(port);
        switch (verb) {
            case kQDGrafVerbFrame:
            case kQDGrafVerbPaint: penState(port, true); break;
            case kQDGrafVerbErase:
                if (!(port->bkPat == bkPat_)) op(kPictBkPat), w_.bytes(bkPat_ = port->bkPat, 8);
                break;
            case kQDGrafVerbFill:
                if (!(port->fillPat == fillPat_)) op(kPictFillPat), w_.bytes(fillPat_ = port->fillPat, 8);
                break;
            default: break;
        }
    }

    // ByteWriter helper for patterns.
    struct Writer : ByteWriter {
        using ByteWriter::bytes;
        void bytes(const Pattern& p, size_t n) { ByteWriter::bytes(std::span(p.pat, n)); }
    };

    Handle out_;
    Rect area_;  // the source rectangle: drawing coordinates of the picture
    Writer w_;
    OSErr error_ = noErr;
    // What a reader's port holds at this point of the picture.
    UniqueRgn lastClip_;
    bool clipKnown_ = false;
    RGBColor fg_{0, 0, 0}, bk_{0xFFFF, 0xFFFF, 0xFFFF};
    std::optional<RGBColor> opColor_;
    Point pnSize_{1, 1};
    SInt16 pnMode_ = patCopy;
    Pattern pnPat_{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    Pattern fillPat_{{0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    Pattern bkPat_{};
    SInt16 txFont_ = 0, txMode_ = srcOr, txSize_ = 0;
    Style txFace_ = normal;
    std::optional<Point> pen_;
    std::optional<Point> ovSize_;
};

unsigned PixelAt(const PixMap& pm, int x, int y) {
    const UInt8* row = PixRow(pm, y);
    const int d = pm.pixelSize;
    const int bit = (x - pm.bounds.left) * d;
    return (row[bit >> 3] >> (8 - d - (bit & 7))) & ((1u << d) - 1);
}

void PictWriter::bits(CGrafPtr port, const BitMap* src, const Rect* srcRectIn, const Rect* dstRectIn, SInt16 mode,
                      RgnHandle maskRgn) {
    if (!src || !src->baseAddr || !srcRectIn || !dstRectIn) return;
    const int depth = src->pixelSize;
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 32) return (void)(error_ = paramErr);
    // Only the part of the source the copy reads is stored.
    Rect srcRect, dstRect = *dstRectIn;
    if (!SectRect(srcRectIn, &src->bounds, &srcRect)) return;
    if (!EqualRect(&srcRect, srcRectIn)) {
        Rect mapped = srcRect;
        MapRect(&mapped, srcRectIn, dstRectIn);
        dstRect = mapped;
    }
    const int width = RectWidth(srcRect);
    const bool direct = depth == 32;
    SInt32 rowBytes = direct ? SInt32(width) * 4 : SInt32((Size(width) * depth + 15) / 16 * 2);
    // Row byte counts are one byte up to 250 row bytes and a word beyond,
    // but some readers switch at 200. Indexed rows are padded clear of the
    // gap; direct rows (whose row bytes those readers take from the width)
    // are split into two copies instead.
    if (!direct && rowBytes > 200 && rowBytes <= 250) rowBytes = 252;
    if (direct && rowBytes > 200 && rowBytes <= 250) {
        Rect left = srcRect, right = srcRect;
        left.right = right.left = SInt16(srcRect.left + 50);
        Rect dl = left, dr = right;
        MapRect(&dl, &srcRect, &dstRect);
        MapRect(&dr, &srcRect, &dstRect);
        bits(port, src, &left, &dl, mode, maskRgn);
        bits(port, src, &right, &dr, mode, maskRgn);
        return;
    }
    if (rowBytes > 0x3FFF) return (void)(error_ = pixMapTooDeepErr);

    common(port);
    if (UsesOpColor(mode)) opColor(port);
    const bool withRgn = maskRgn != nullptr;
    std::vector<UInt8> maskStored;
    if (withRgn) {
        maskStored = RegionToStored(maskRgn);
        if (maskStored.empty()) return (void)(error_ = rgnOverflowErr);
    }
    const bool plainBitMap = depth == 1 && !src->isPixMap;
    if (direct) {
        op(withRgn ? kPictDirectBitsRgn : kPictDirectBitsRect);
        w_.u32be(0x000000FF);
    } else {
        op(withRgn ? kPictPackBitsRgn : kPictPackBitsRect);
    }
    w_.u16be(UInt16(rowBytes | (plainBitMap ? 0 : 0x8000)));
    w_.rect(srcRect);
    // Rows narrower than 8 bytes are stored unpacked; direct ones then as
    // whole 32-bit pixels (packType 1).
    const bool packed = rowBytes >= 8;
    if (!plainBitMap) {
        w_.s16be(0);  // pmVersion
        w_.s16be(SInt16(direct ? (packed ? 4 : 1) : 0));
        w_.s32be(0);  // packSize
        w_.s32be(IntToFixed(72));
        w_.s32be(IntToFixed(72));
        w_.s16be(SInt16(direct ? 16 : 0));  // pixelType
        w_.s16be(SInt16(depth));
        w_.s16be(SInt16(direct ? 3 : 1));  // cmpCount: the alpha byte is not stored
        w_.s16be(SInt16(direct ? 8 : depth));
        w_.u32be(0);  // planeBytes
        w_.u32be(0);  // pmTable
        w_.u32be(0);  // pmReserved
        if (!direct) {
            CTabHandle ct = src->pmTable ? src->pmTable : StandardCTable(depth);
            const int n = 1 << depth;
            const int have = CTabCount(ct);
            w_.u32be(0);  // seed
            w_.u16be(0);  // flags
            w_.s16be(SInt16(n - 1));
            for (int i = 0; i < n; ++i) {
                w_.u16be(UInt16(i));
                w_.rgb(i < have ? CTabEntries(ct)[i].rgb : RGBColor{0, 0, 0});
            }
        }
    }
    w_.rect(srcRect);
    w_.rect(dstRect);
    w_.s16be(mode);
    if (withRgn) w_.bytes(maskStored);

    std::vector<UInt8> row, packedRow;
    for (int y = srcRect.top; y < srcRect.bottom; ++y) {
        row.assign(size_t(rowBytes), 0);
        if (direct) {
            const UInt8* in = PixRow(*src, y) + size_t(srcRect.left - src->bounds.left) * 4;
            if (!packed) {
                for (int x = 0; x < width; ++x) {
                    row[4 * x] = 0;
                    std::memcpy(&row[4 * x + 1], in + 4 * x + 1, 3);
                }
            } else {
                row.assign(size_t(width) * 3, 0);
                for (int x = 0; x < width; ++x)
                    for (int c = 0; c < 3; ++c) row[size_t(c * width + x)] = in[4 * x + 1 + c];
            }
        } else {
            for (int x = 0; x < width; ++x) {
                const unsigned v = PixelAt(*src, srcRect.left + x, y);
                const int bit = x * depth;
                row[size_t(bit >> 3)] |= UInt8(v << (8 - depth - (bit & 7)));
            }
        }
        if (!packed) {
            w_.bytes(row);
            continue;
        }
        packedRow.clear();
        PackBitsRow(row, packedRow);
        if (rowBytes > 250) w_.u16be(UInt16(packedRow.size()));
        else w_.u8(UInt8(packedRow.size()));
        w_.bytes(packedRow);
    }
}

// Recorders by port: a port records into at most one picture.
std::map<CGrafPtr, std::unique_ptr<PictWriter>>& Recorders() {
    static std::map<CGrafPtr, std::unique_ptr<PictWriter>> recorders;
    return recorders;
}

PicHandle Open(const Rect& frame, const Rect& srcRect, Fixed hRes, Fixed vRes) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!port || port->picSave || EmptyRect(&frame) || EmptyRect(&srcRect)) {
        SetPictError(paramErr);
        return nullptr;
    }
    Handle h = NewHandle(0);
    if (!h) {
        SetPictError(memFullErr);
        return nullptr;
    }
    auto writer = std::make_unique<PictWriter>(h, frame, hRes, vRes, srcRect);
    port->picSave = writer.get();
    Recorders()[port] = std::move(writer);
    SetPictError(noErr);
    return h;
}

}  // namespace

PicHandle OpenCPicture(const OpenCPicParams* newHeader) {
    if (!newHeader) {
        SetPictError(paramErr);
        return nullptr;
    }
    // The frame is the source rectangle at 72 dpi.
    const Fixed h = newHeader->hRes > 0 ? newHeader->hRes : IntToFixed(72);
    const Fixed v = newHeader->vRes > 0 ? newHeader->vRes : IntToFixed(72);
    const Rect& s = newHeader->srcRect;
    auto scale = [](int x, Fixed res) { return SInt16(SInt64(x) * IntToFixed(72) / res); };
    const Rect frame{scale(s.top, v), scale(s.left, h), scale(s.bottom, v), scale(s.right, h)};
    return Open(frame, s, h, v);
}

PicHandle OpenPicture(const Rect* picFrame) {
    if (!picFrame) {
        SetPictError(paramErr);
        return nullptr;
    }
    return Open(*picFrame, *picFrame, IntToFixed(72), IntToFixed(72));
}

void ClosePicture() {
    CGrafPtr port = GetQDGlobalsThePort();
    auto& recorders = Recorders();
    auto it = port ? recorders.find(port) : recorders.end();
    if (it == recorders.end()) {
        SetPictError(paramErr);
        return;
    }
    port->picSave = nullptr;
    SetPictError(it->second->finish());
    recorders.erase(it);
}

void KillPicture(PicHandle pic) {
    if (!pic) return;
    // A picture still being recorded is closed on its port first.
    for (auto it = Recorders().begin(); it != Recorders().end(); ++it) {
        if (it->second->handle() == pic) {
            it->first->picSave = nullptr;
            Recorders().erase(it);
            break;
        }
    }
    DisposeHandle(pic);
}
