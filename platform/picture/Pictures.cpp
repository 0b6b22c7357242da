#include "platform/picture/Pictures.h"

#include "platform/core/Geometry.h"
#include "platform/core/Memory.h"
#include "platform/picture/PictFormat.h"
#include "platform/picture/PictInternal.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/GrafProcs.h"
#include "platform/raster/Regions.h"
#include "platform/raster/Shapes.h"
#include "platform/raster/Text.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <unordered_set>

namespace {

OSErr gPictError = noErr;

std::span<const UInt8> PicBytes(PicHandle pic) {
    if (!pic || !*pic) return {};
    auto b = HandleBytes(pic);
    return {b.data(), b.size()};
}

// The port state a picture may change; put back when playback ends.
class SavedPortState {
public:
    explicit SavedPortState(CGrafPtr port) : port_(port) {
        fg_ = port->rgbFgColor;
        bk_ = port->rgbBkColor;
        op_ = port->rgbOpColor;
        hilite_ = port->rgbHiliteColor;
        pnLoc_ = port->pnLoc;
        pnSize_ = port->pnSize;
        pnMode_ = port->pnMode;
        pnPat_ = port->pnPat;
        bkPat_ = port->bkPat;
        fillPat_ = port->fillPat;
        txFont_ = port->txFont;
        txFace_ = port->txFace;
        txMode_ = port->txMode;
        txSize_ = port->txSize;
        if (port->clipRgn) CopyRgn(port->clipRgn, clip_);
    }
    ~SavedPortState() {
        port_->rgbFgColor = fg_;
        port_->rgbBkColor = bk_;
        port_->rgbOpColor = op_;
        port_->rgbHiliteColor = hilite_;
        port_->pnLoc = pnLoc_;
        port_->pnSize = pnSize_;
        port_->pnMode = pnMode_;
        port_->pnPat = pnPat_;
        port_->bkPat = bkPat_;
        port_->fillPat = fillPat_;
        port_->txFont = txFont_;
        port_->txFace = txFace_;
        port_->txMode = txMode_;
        port_->txSize = txSize_;
        if (port_->clipRgn) CopyRgn(clip_, port_->clipRgn);
    }
    SavedPortState(const SavedPortState&) = delete;
    SavedPortState& operator=(const SavedPortState&) = delete;
    RgnHandle clip() const { return clip_.get(); }

private:
    CGrafPtr port_;
    RGBColor fg_, bk_, op_, hilite_;
    Point pnLoc_, pnSize_;
    SInt16 pnMode_;
    Pattern pnPat_, bkPat_, fillPat_;
    SInt16 txFont_;
    Style txFace_;
    SInt16 txMode_, txSize_;
    UniqueRgn clip_;
};

// Plays the walked operations into a port, mapping the picture's frame onto
// the destination rectangle.
class Playback : public PictSink {
public:
    Playback(CGrafPtr port, const Rect& frame, const Rect& dst, RgnHandle baseClip)
        : port_(port), frame_(frame), dst_(dst), baseClip_(baseClip) {
        ResetPortDrawingState(port_);
    }

    void clip(std::span<const UInt8> stored) override {
        UniqueRgn r;
        if (RegionFromStored(stored, r) != noErr) return;  // an unreadable clip is ignored
        mapRgn(r);
        if (port_->clipRgn) {
            if (baseClip_) SectRgn(r, baseClip_, port_->clipRgn);
            else CopyRgn(r, port_->clipRgn);
        }
    }
    void origin(SInt16 dh, SInt16 dv) override {
        origin_.h = SInt16(origin_.h + dh);
        origin_.v = SInt16(origin_.v + dv);
    }
    void penSize(Point size) override {
        const int fw = RectWidth(frame_), fh = RectHeight(frame_);
        port_->pnSize.h = SInt16(std::max(0, int(size.h) * RectWidth(dst_) / fw));
        port_->pnSize.v = SInt16(std::max(0, int(size.v) * RectHeight(dst_) / fh));
    }
    void penMode(SInt16 mode) override { port_->pnMode = mode; }
    void penPat(const Pattern& p) override { port_->pnPat = p; }
    void fillPat(const Pattern& p) override { port_->fillPat = p; }
    void bkPat(const Pattern& p) override { port_->bkPat = p; }
    void foreColor(const RGBColor& c) override { port_->rgbFgColor = c; }
    void backColor(const RGBColor& c) override { port_->rgbBkColor = c; }
    void opColor(const RGBColor& c) override { port_->rgbOpColor = c; }
    void hiliteColor(const RGBColor& c) override { port_->rgbHiliteColor = c; }
    void txFont(SInt16 v) override { port_->txFont = v; }
    void txFace(Style v) override { port_->txFace = v; }
    void txMode(SInt16 v) override { port_->txMode = v; }
    void txSize(SInt16 v) override { port_->txSize = v; }

    void line(Point from, Point to) override {
        port_->pnLoc = mapPt(from);
        const Point end = mapPt(to);
        if (procs() && procs()->lineProc) procs()->lineProc(end);
        else StdLine(end);
    }
    void text(Point at, std::span<const UInt8> chars) override {
        port_->pnLoc = mapPt(at);
        Point numer{SInt16(RectHeight(dst_)), SInt16(RectWidth(dst_))};
        Point denom{SInt16(RectHeight(frame_)), SInt16(RectWidth(frame_))};
        if (procs() && procs()->textProc) procs()->textProc(SInt16(chars.size()), chars.data(), numer, denom);
        else StdText(SInt16(chars.size()), chars.data(), numer, denom);
    }
    void rect(GrafVerb verb, const Rect& r) override {
        Rect m = mapRect(r);
        if (procs() && procs()->rectProc) procs()->rectProc(verb, &m);
        else StdRect(verb, &m);
    }
    void rRect(GrafVerb verb, const Rect& r, Point ov) override {
        Rect m = mapRect(r);
        const SInt16 w = SInt16(int(ov.h) * RectWidth(dst_) / RectWidth(frame_));
        const SInt16 h = SInt16(int(ov.v) * RectHeight(dst_) / RectHeight(frame_));
        if (procs() && procs()->rRectProc) procs()->rRectProc(verb, &m, w, h);
        else StdRRect(verb, &m, w, h);
    }
    void oval(GrafVerb verb, const Rect& r) override {
        Rect m = mapRect(r);
        if (procs() && procs()->ovalProc) procs()->ovalProc(verb, &m);
        else StdOval(verb, &m);
    }
    void arc(GrafVerb verb, const Rect& r, SInt16 start, SInt16 angle) override {
        Rect m = mapRect(r);
        if (procs() && procs()->arcProc) procs()->arcProc(verb, &m, start, angle);
        else StdArc(verb, &m, start, angle);
    }
    void poly(GrafVerb verb, std::span<const UInt8> stored) override {
        // A polygon without points draws nothing.
        if (stored.size() < 10 + 4) return;
        const size_t n = (stored.size() - 10) / 4;
        UniqueHandle h(NewHandleClear(Size(10 + 4 * n)));
        if (!h) return;
        auto* p = reinterpret_cast<Polygon*>(*h.get());
        ByteReader r(stored);
        r.u16be();
        Rect box = mapRect(r.rect());
        std::vector<Point> pts(n);
        for (auto& pt : pts) pt = mapPt(r.point());
        p->polySize = SInt16(10 + 4 * n);
        p->polyBBox = box;
        std::memcpy(reinterpret_cast<char*>(p) + 10, pts.data(), n * sizeof(Point));
        if (procs() && procs()->polyProc) procs()->polyProc(verb, h.get());
        else StdPoly(verb, h.get());
    }
    void rgn(GrafVerb verb, std::span<const UInt8> stored) override {
        UniqueRgn r;
        if (RegionFromStored(stored, r) != noErr) return;
        mapRgn(r);
        if (procs() && procs()->rgnProc) procs()->rgnProc(verb, r);
        else StdRgn(verb, r);
    }
    void bits(const PictRaster& ras) override {
        PixMap pm;
        pm.baseAddr = reinterpret_cast<Ptr>(const_cast<UInt8*>(ras.pixels.data()));
        pm.rowBytes = ras.rowBytes;
        pm.bounds = ras.bounds;
        pm.hRes = ras.hRes;
        pm.vRes = ras.vRes;
        pm.packType = SInt16(ras.packType);
        pm.isPixMap = ras.isPixMap;
        UniqueCTable table;
        if (ras.depth <= 8) {
            pm.pixelType = 0;
            pm.pixelSize = SInt16(ras.depth);
            pm.cmpCount = 1;
            pm.cmpSize = SInt16(ras.depth);
            table.reset(NewColorTable(int(ras.colors.size())));
            if (!table) {
                error_ = memFullErr;
                return;
            }
            ColorSpec* e = CTabEntries(table.get());
            for (size_t i = 0; i < ras.colors.size(); ++i) {
                e[i].value = SInt16(i);
                e[i].rgb = ras.colors[i];
            }
            pm.pmTable = table.get();
        } else {
            // 16-bit rasters arrive widened to 32 bits.
            pm.pixelType = 16;
            pm.pixelSize = 32;
            pm.cmpCount = 3;
            pm.cmpSize = 8;
        }
        Rect dst = mapRect(ras.dstRect);
        UniqueRgn mask(nullptr);
        if (!ras.maskRgn.empty()) {
            mask = UniqueRgn();
            if (RegionFromStored(ras.maskRgn, mask) != noErr) {
                error_ = badPictErr;
                return;
            }
            mapRgn(mask);
        }
        if (procs() && procs()->bitsProc) procs()->bitsProc(&pm, &ras.srcRect, &dst, ras.mode, mask.get());
        else StdBits(&pm, &ras.srcRect, &dst, ras.mode, mask.get());
    }
    void comment(SInt16 kind, std::span<const UInt8> data, bool isLong) override {
        UniqueHandle h;
        if (isLong) {
            h.reset(NewHandleFromBytes(data));
            if (!h) {
                error_ = memFullErr;
                return;
            }
        }
        const SInt16 size = SInt16(isLong ? data.size() : 0);
        if (procs() && procs()->commentProc) procs()->commentProc(kind, size, h.get());
        else StdComment(kind, size, h.get());
    }
    bool keepGoing() const override { return error_ == noErr; }
    [[nodiscard]] OSErr error() const { return error_; }

private:
    const CQDProcs* procs() const { return port_->grafProcs; }
    Point mapPt(Point p) const {
        p.h = SInt16(p.h - origin_.h);
        p.v = SInt16(p.v - origin_.v);
        MapPt(&p, &frame_, &dst_);
        return p;
    }
    Rect mapRect(Rect r) const {
        OffsetRect(&r, SInt16(-origin_.h), SInt16(-origin_.v));
        MapRect(&r, &frame_, &dst_);
        return r;
    }
    void mapRgn(RgnHandle r) const {
        OffsetRgn(r, SInt16(-origin_.h), SInt16(-origin_.v));
        if (!EqualRect(&frame_, &dst_)) MapRgn(r, &frame_, &dst_);
    }

    CGrafPtr port_;
    Rect frame_, dst_;
    RgnHandle baseClip_;
    Point origin_;
    OSErr error_ = noErr;
};

// ---- Statistics -------------------------------------------------------------

class InfoSink : public PictSink {
public:
    explicit InfoSink(PictInfo& info) : info_(info) {}
    void foreColor(const RGBColor& c) override { fg_ = c; }
    void backColor(const RGBColor& c) override { bk_ = c; }
    void line(Point, Point) override {
        ++info_.lineCount;
        add(fg_);
    }
    void text(Point, std::span<const UInt8>) override {
        ++info_.textCount;
        add(fg_);
    }
    void rect(GrafVerb v, const Rect&) override { shape(info_.rectCount, v); }
    void rRect(GrafVerb v, const Rect&, Point) override { shape(info_.rRectCount, v); }
    void oval(GrafVerb v, const Rect&) override { shape(info_.ovalCount, v); }
    void arc(GrafVerb v, const Rect&, SInt16, SInt16) override { shape(info_.arcCount, v); }
    void poly(GrafVerb v, std::span<const UInt8>) override { shape(info_.polyCount, v); }
    void rgn(GrafVerb v, std::span<const UInt8>) override { shape(info_.regionCount, v); }
    void comment(SInt16 kind, std::span<const UInt8>, bool) override {
        ++info_.commentCount;
        kinds_.insert(kind);
        info_.uniqueComments = SInt32(kinds_.size());
    }
    void bits(const PictRaster& ras) override {
        if (ras.isPixMap) ++info_.pixMapCount;
        else ++info_.bitMapCount;
        info_.depth = std::max<SInt16>(info_.depth, SInt16(ras.depth));
        const int w = RectWidth(ras.bounds), h = RectHeight(ras.bounds);
        if (ras.depth <= 8) {
            bool used[256] = {};
            const int d = ras.depth, perByte = 8 / d;
            const unsigned mask = (1u << d) - 1;
            for (int y = 0; y < h; ++y) {
                const UInt8* row = ras.pixels.data() + size_t(y) * size_t(ras.rowBytes);
                for (int x = 0; x < w; ++x) {
                    const int shift = 8 - d * (x % perByte + 1);
                    used[(row[x / perByte] >> shift) & mask] = true;
                }
            }
            for (size_t i = 0; i < ras.colors.size(); ++i) {
                if (!used[i]) continue;
                // A plain bit map draws in the port's colours.
                if (!ras.isPixMap) add(i ? fg_ : bk_);
                else add(ras.colors[i]);
            }
        } else {
            for (int y = 0; y < h; ++y) {
                const UInt8* row = ras.pixels.data() + size_t(y) * size_t(ras.rowBytes);
                for (int x = 0; x < w; ++x) {
                    const UInt8* p = row + 4 * x;
                    colors_.insert(UInt32(p[1]) << 16 | UInt32(p[2]) << 8 | p[3]);
                }
            }
        }
    }
    SInt32 uniqueColors() const { return SInt32(colors_.size() + wide_.size()); }

private:
    void shape(SInt32& count, GrafVerb v) {
        ++count;
        add(v == kQDGrafVerbErase ? bk_ : fg_);
    }
    // Colours that 8 bits per component hold exactly are kept with the
    // raster colours so that the same colour is not counted twice.
    void add(const RGBColor& c) {
        auto exact = [](UInt16 v) { return (v >> 8) == (v & 0xFF); };
        if (exact(c.red) && exact(c.green) && exact(c.blue))
            colors_.insert(UInt32(c.red >> 8) << 16 | UInt32(c.green >> 8) << 8 | (c.blue >> 8));
        else
            wide_.insert(UInt64(c.red) << 32 | UInt64(c.green) << 16 | c.blue);
    }
    PictInfo& info_;
    RGBColor fg_{0, 0, 0}, bk_{0xFFFF, 0xFFFF, 0xFFFF};
    std::unordered_set<SInt16> kinds_;
    std::unordered_set<UInt32> colors_;
    std::unordered_set<UInt64> wide_;
};

}  // namespace

void SetPictError(OSErr err) { gPictError = err; }
OSErr QDError() { return gPictError; }

OSErr DrawPictureChecked(PicHandle pic, const Rect* dstRect) {
    CGrafPtr port = GetQDGlobalsThePort();
    if (!pic || !*pic || !dstRect || !port) return gPictError = paramErr;
    auto bytes = PicBytes(pic);
    PictHeader header;
    if (OSErr err = ReadPictHeader(bytes, &header)) return gPictError = err;
    SavedPortState saved(port);
    // Coordinates inside the picture are those of the source rectangle,
    // which is the frame unless the picture was made at another resolution.
    Playback play(port, header.srcRect, *dstRect, saved.clip());
    OSErr err = WalkPicture(bytes, play);
    if (err == noErr) err = play.error();
    return gPictError = err;
}

void DrawPicture(PicHandle pic, const Rect* dstRect) { (void)DrawPictureChecked(pic, dstRect); }

Rect* QDGetPictureBounds(PicHandle pic, Rect* outRect) {
    if (!outRect) return nullptr;
    *outRect = Rect{};
    auto bytes = PicBytes(pic);
    ByteReader r(bytes);
    r.u16be();
    Rect frame = r.rect();
    if (r.ok()) *outRect = frame;
    return outRect;
}

OSErr GetPictInfo(PicHandle thePictHandle, PictInfo* thePictInfo, SInt16 /*verb*/, SInt16 /*colorsRequested*/,
                  SInt16 /*colorPickMethod*/, SInt16 /*version*/) {
    if (!thePictHandle || !*thePictHandle || !thePictInfo) return paramErr;
    auto bytes = PicBytes(thePictHandle);
    PictHeader header;
    if (OSErr err = ReadPictHeader(bytes, &header)) return err;
    PictInfo info;
    info.version = SInt16(header.version);
    info.hRes = header.hRes;
    info.vRes = header.vRes;
    info.sourceRect = header.srcRect;
    InfoSink sink(info);
    if (OSErr err = WalkPicture(bytes, sink)) return err;
    info.uniqueColors = sink.uniqueColors();
    *thePictInfo = info;
    return noErr;
}

// ---- PICT files ---------------------------------------------------------------

namespace {

// A picture whose walk ends without error.
bool IsValidPicture(std::span<const UInt8> bytes) {
    PictHeader h;
    if (ReadPictHeader(bytes, &h) != noErr) return false;
    PictSink none;
    return WalkPicture(bytes, none, PictWalkOptions{.decodePixels = false}) == noErr;
}

}  // namespace

int PictureOffsetInFile(std::span<const UInt8> fileBytes) {
    if (fileBytes.size() > 512 && IsValidPicture(fileBytes.subspan(512))) return 512;
    if (IsValidPicture(fileBytes)) return 0;
    return -1;
}

OSErr PictureFromFileBytes(std::span<const UInt8> fileBytes, PicHandle* pic) {
    if (!pic) return paramErr;
    *pic = nullptr;
    const int at = PictureOffsetInFile(fileBytes);
    if (at < 0) return badPictErr;
    Handle h = NewHandleFromBytes(fileBytes.subspan(size_t(at)));
    if (!h) return memFullErr;
    *pic = h;
    return noErr;
}

std::vector<UInt8> PictFileBytes(PicHandle pic) {
    auto bytes = PicBytes(pic);
    std::vector<UInt8> out(512 + bytes.size(), 0);
    if (!bytes.empty()) std::memcpy(out.data() + 512, bytes.data(), bytes.size());
    return out;
}

OSErr WritePictFile(const char* path, PicHandle pic) {
    if (!path || !pic) return paramErr;
    std::vector<UInt8> bytes = PictFileBytes(pic);
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path, "wb"), std::fclose);
    if (!f) return fnfErr;
    if (std::fwrite(bytes.data(), 1, bytes.size(), f.get()) != bytes.size()) return ioErr;
    if (std::fclose(f.release()) != 0) return ioErr;
    return noErr;
}

OSErr ReadPictFile(const char* path, PicHandle* pic) {
    if (!path || !pic) return paramErr;
    *pic = nullptr;
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path, "rb"), std::fclose);
    if (!f) return fnfErr;
    std::vector<UInt8> bytes;
    UInt8 buf[65536];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
        bytes.insert(bytes.end(), buf, buf + n);
        if (bytes.size() > (size_t(1) << 30)) return memFullErr;
    }
    if (std::ferror(f.get())) return ioErr;
    return PictureFromFileBytes(bytes, pic);
}
