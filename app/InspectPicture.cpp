// Describes picture files (with or without the 512-byte file header): the
// version, frame, resolution, deepest raster and every opcode with a short
// summary of its operands. The walk is the same checked one playback uses,
// so a picture that would not play is reported as broken.
#include "app/Inspect.h"

#include "app/Json.h"
#include "platform/picture/PictFormat.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Fmt(const char* f, int a, int b, int c, int d) {
    char buf[96];
    std::snprintf(buf, sizeof buf, f, a, b, c, d);
    return buf;
}
std::string RectText(const Rect& r) { return Fmt("(%d,%d,%d,%d)", r.top, r.left, r.bottom, r.right); }
std::string ColorText(const RGBColor& c) { return Fmt("%04X %04X %04X", c.red, c.green, c.blue, 0); }

class Lister : public PictSink {
public:
    struct Entry {
        UInt16 op;
        size_t offset;
        std::string detail;
    };
    std::vector<Entry> entries;
    int maxDepth = 0;

    void opcode(UInt16 op, size_t offset) override { entries.push_back({op, offset, {}}); }
    void clip(std::span<const UInt8> rgn) override { set(RgnText(rgn)); }
    void origin(SInt16 dh, SInt16 dv) override { set(Fmt("dh %d dv %d", dh, dv, 0, 0)); }
    void penSize(Point p) override { set(Fmt("%d x %d", p.h, p.v, 0, 0)); }
    void penMode(SInt16 m) override { set(Fmt("mode %d", m, 0, 0, 0)); }
    void foreColor(const RGBColor& c) override { set(ColorText(c)); }
    void backColor(const RGBColor& c) override { set(ColorText(c)); }
    void opColor(const RGBColor& c) override { set(ColorText(c)); }
    void hiliteColor(const RGBColor& c) override { set(ColorText(c)); }
    void txFont(SInt16 v) override { set(Fmt("font %d", v, 0, 0, 0)); }
    void txSize(SInt16 v) override { set(Fmt("size %d", v, 0, 0, 0)); }
    void txFace(Style v) override { set(Fmt("face %d", v, 0, 0, 0)); }
    void txMode(SInt16 v) override { set(Fmt("mode %d", v, 0, 0, 0)); }
    void line(Point a, Point b) override { set(Fmt("(%d,%d) to (%d,%d)", a.h, a.v, b.h, b.v)); }
    void text(Point at, std::span<const UInt8> chars) override {
        std::string s = Fmt("at (%d,%d) \"", at.h, at.v, 0, 0);
        for (UInt8 c : chars) {
            if (c >= 0x20 && c < 0x7F && c != '"' && c != '\\') s += char(c);
            else s += Fmt("\\x%02X", c, 0, 0, 0);
        }
        set(s + "\"");
    }
    void rect(GrafVerb, const Rect& r) override { set(RectText(r)); }
    void rRect(GrafVerb, const Rect& r, Point ov) override {
        set(RectText(r) + Fmt(" oval %d x %d", ov.h, ov.v, 0, 0));
    }
    void oval(GrafVerb, const Rect& r) override { set(RectText(r)); }
    void arc(GrafVerb, const Rect& r, SInt16 s, SInt16 a) override {
        set(RectText(r) + Fmt(" from %d by %d", s, a, 0, 0));
    }
    void poly(GrafVerb, std::span<const UInt8> p) override {
        set(Fmt("%d points", int((p.size() - 10) / 4), 0, 0, 0));
    }
    void rgn(GrafVerb, std::span<const UInt8> r) override { set(RgnText(r)); }
    void bits(const PictRaster& ras) override {
        maxDepth = std::max(maxDepth, ras.depth);
        std::string s = ras.isPixMap ? Fmt("%d-bit pixel map", ras.depth, 0, 0, 0) : "1-bit bit map";
        s += Fmt(" %d x %d", RectWidth(ras.bounds), RectHeight(ras.bounds), 0, 0);
        if (ras.isPixMap && ras.depth > 8) s += Fmt(" packType %d, %d components", ras.packType, ras.cmpCount, 0, 0);
        s += " src " + RectText(ras.srcRect) + " dst " + RectText(ras.dstRect) + Fmt(" mode %d", ras.mode, 0, 0, 0);
        if (!ras.maskRgn.empty()) s += " mask " + RgnText(ras.maskRgn);
        set(s);
    }
    void comment(SInt16 kind, std::span<const UInt8> data, bool isLong) override {
        std::string s = Fmt("kind %d", kind, 0, 0, 0);
        if (isLong) {
            s += Fmt(", %d bytes", int(data.size()), 0, 0, 0);
            if (data.size() >= 4) {
                const UInt32 code = UInt32(data[0]) << 24 | UInt32(data[1]) << 16 | UInt32(data[2]) << 8 | data[3];
                s += " '" + FourCCText(code) + "'";
            }
        }
        set(s);
    }

private:
    void set(std::string s) {
        if (!entries.empty()) entries.back().detail = std::move(s);
    }
    static std::string RgnText(std::span<const UInt8> r) {
        ByteReader br(r);
        br.u16be();
        Rect b = br.rect();
        return "region " + RectText(b) + (r.size() > 10 ? " (complex)" : "");
    }
};

}  // namespace

InspectVerdict InspectPictureFile(const InspectRequest& req, std::string& out, std::string& reason) {
    // The 512-byte file header first, then a bare picture.
    PictHeader header;
    size_t at = 0;
    bool found = false;
    if (req.bytes.size() > 512 && ReadPictHeader(req.bytes.subspan(512), &header) == noErr) {
        at = 512;
        found = true;
    }
    if (!found && ReadPictHeader(req.bytes, &header) == noErr) found = true;
    if (!found) {
        reason = "not a picture: no picture header at offset 0 or 512";
        return InspectVerdict::notMine;
    }
    auto pict = req.bytes.subspan(at);
    Lister lister;
    if (OSErr err = WalkPicture(pict, lister, PictWalkOptions{.decodePixels = false})) {
        if (lister.entries.empty()) {
            reason = "damaged picture: no readable opcode";
        } else {
            const auto& e = lister.entries.back();
            reason = "damaged picture: opcode 0x" + Fmt("%04X", e.op, 0, 0, 0) + " (" + OpcodeName(e.op) +
                     ") at offset " + std::to_string(e.offset + at) +
                     (err == memFullErr ? " asks for too large a raster" : " is truncated or malformed");
        }
        return InspectVerdict::broken;
    }

    const int hRes = FixedToInt(header.hRes), vRes = FixedToInt(header.vRes);
    if (req.json) {
        JsonWriter j;
        j.beginObject().key("kind").value("picture").key("version").value(header.version);
        j.key("frame").beginArray();
        for (int v : {header.frame.top, header.frame.left, header.frame.bottom, header.frame.right}) j.value(v);
        j.endArray();
        j.key("resolution").beginArray().value(hRes).value(vRes).endArray();
        j.key("maxDepth").value(lister.maxDepth);
        j.key("opcodes").beginArray();
        for (const auto& e : lister.entries) j.value(OpcodeName(e.op));
        j.endArray().endObject();
        out = j.str() + "\n";
        return InspectVerdict::described;
    }
    out = "picture, version " + std::to_string(header.version) + (at ? " (after a 512-byte file header)" : "") + "\n";
    out += "frame: " + RectText(header.frame) + Fmt(", %d x %d\n", RectWidth(header.frame),
                                                     RectHeight(header.frame), 0, 0);
    out += Fmt("resolution: %d x %d dpi\n", hRes, vRes, 0, 0);
    out += lister.maxDepth ? Fmt("deepest raster: %d bits\n", lister.maxDepth, 0, 0, 0) : "deepest raster: none\n";
    out += Fmt("opcodes: %d\n", int(lister.entries.size()), 0, 0, 0);
    for (const auto& e : lister.entries) {
        out += Fmt("  %6d  0x%04X ", int(e.offset + at), e.op, 0, 0) + OpcodeName(e.op);
        if (!e.detail.empty()) out += "  " + e.detail;
        out += "\n";
    }
    return InspectVerdict::described;
}
