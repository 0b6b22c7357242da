#include "palettes/PrefsCodec.h"

#include "platform/raster/ColorTables.h"

#include <algorithm>

void PutPref(ByteWriter& w, SInt16 v) { w.s16be(v); }
void PutPref(ByteWriter& w, UInt8 v) { w.u8(v); }
void PutPref(ByteWriter& w, UInt16 v) { w.u16be(v); }
void PutPref(ByteWriter& w, const Rect& v) { w.rect(v); }
void PutPref(ByteWriter& w, UInt32 v) { w.u32be(v); }
void PutPref(ByteWriter& w, Point v) { w.point(v); }

void PutPref(ByteWriter& w, const ToolPrefs& v) {
    w.u8(v.pencilToggle);
    w.u8(v.toggleOnlyWithSmallPen);
    w.u8(v.keepFloatingSelection);
    w.u8(v.pad0);
    w.s16be(v.keyRepeatDelay);
    w.s16be(v.keyRepeatInterval);
    w.u8(v.eyedropperCursor);
    w.u8(v.footprintCursor);
    w.u8(v.colorFootprintCursor);
    w.u8(v.commandClickErases);
    w.u16be(v.gridSetting);
    w.u8(v.showRuler);
    w.u8(v.pad1);
    w.rgb(v.pixelGridColor);
    w.rgb(v.blockGridColor);
}

void PutPref(ByteWriter& w, const PaintWinPrefs& v) {
    w.rect(v.pictRect);
    w.s16be(v.ratio);
    w.u8(v.showSizeDialog);
    w.u8(v.sizeFromClipboard);
    w.s16be(v.backgroundKind);
    w.s16be(v.colorMode);
}

void PutPref(ByteWriter& w, const PNGFilePrefs& v) {
    w.s16be(v.transColorKind);
    w.u8(v.interlaced);
    w.u8(v.reserved);
    w.s16be(v.compressLevel);
    w.u8(v.reduceColors);
    w.u8(v.pad);
    w.u8(v.fillTransparent);
    w.u8(v.readTransMask);
}

void PutPref(ByteWriter& w, const std::array<UInt32, 20>& v) {
    for (UInt32 c : v) w.u32be(c);
}

void GetPref(ByteReader& r, SInt16* v) { *v = r.s16be(); }
void GetPref(ByteReader& r, UInt8* v) { *v = r.u8(); }
void GetPref(ByteReader& r, UInt16* v) { *v = r.u16be(); }
void GetPref(ByteReader& r, Rect* v) { *v = r.rect(); }
void GetPref(ByteReader& r, UInt32* v) { *v = r.u32be(); }
void GetPref(ByteReader& r, Point* v) { *v = r.point(); }

void GetPref(ByteReader& r, ToolPrefs* v) {
    v->pencilToggle = r.u8();
    v->toggleOnlyWithSmallPen = r.u8();
    v->keepFloatingSelection = r.u8();
    v->pad0 = r.u8();
    v->keyRepeatDelay = r.s16be();
    v->keyRepeatInterval = r.s16be();
    v->eyedropperCursor = r.u8();
    v->footprintCursor = r.u8();
    v->colorFootprintCursor = r.u8();
    v->commandClickErases = r.u8();
    v->gridSetting = r.u16be();
    v->showRuler = r.u8();
    v->pad1 = r.u8();
    v->pixelGridColor = r.rgb();
    v->blockGridColor = r.rgb();
}

void GetPref(ByteReader& r, PaintWinPrefs* v) {
    v->pictRect = r.rect();
    v->ratio = r.s16be();
    v->showSizeDialog = r.u8();
    v->sizeFromClipboard = r.u8();
    v->backgroundKind = r.s16be();
    v->colorMode = r.s16be();
}

void GetPref(ByteReader& r, PNGFilePrefs* v) {
    v->transColorKind = r.s16be();
    v->interlaced = r.u8();
    v->reserved = r.u8();
    v->compressLevel = r.s16be();
    v->reduceColors = r.u8();
    v->pad = r.u8();
    v->fillTransparent = r.u8();
    v->readTransMask = r.u8();
}

void GetPref(ByteReader& r, std::array<UInt32, 20>* v) {
    for (UInt32& c : *v) c = r.u32be();
}

std::vector<UInt8> EncodeColorTable(CTabHandle ct) {
    ByteWriter w;
    if (!ct || !*ct) return {};
    const int count = CTabReadableCount(ct);
    w.s32be((*ct)->ctSeed);
    w.u16be((*ct)->ctFlags);
    w.s16be(SInt16(count - 1));
    const ColorSpec* entries = CTabEntries(ct);
    for (int i = 0; i < count; ++i) {
        w.s16be(entries[i].value);
        w.rgb(entries[i].rgb);
    }
    return std::move(w.buffer());
}

UniqueCTable DecodeColorTable(std::span<const UInt8> bytes) {
    ByteReader r(bytes);
    const SInt32 seed = r.s32be();
    const UInt16 flags = r.u16be();
    const int count = int(r.s16be()) + 1;
    // Checked before the table is made: the bytes must hold every entry.
    if (!r.ok() || count < 0 || count > 256 || !r.has(size_t(count) * 8)) return nullptr;
    // An empty table keeps room for one entry, its size field saying −1.
    UniqueCTable ct(NewColorTable(std::max(count, 1)));
    if (!ct) return nullptr;
    (*ct)->ctSeed = seed;
    (*ct)->ctFlags = flags;
    (*ct)->ctSize = SInt16(count - 1);
    ColorSpec* entries = CTabEntries(ct.get());
    for (int i = 0; i < count; ++i) {
        entries[i].value = r.s16be();
        entries[i].rgb = r.rgb();
    }
    return ct;
}

UniqueCTable ResizeColorTable(UniqueCTable ct, int entries) {
    UniqueCTable out(NewColorTable(entries));
    if (!out || !ct) return out;
    const int have = CTabReadableCount(ct.get());
    (*out)->ctSeed = (*ct)->ctSeed;
    (*out)->ctFlags = (*ct)->ctFlags;
    const ColorSpec* from = CTabEntries(ct.get());
    ColorSpec* to = CTabEntries(out.get());
    for (int i = 0; i < entries; ++i) {
        if (i < have) {
            to[i] = from[i];
        } else {
            to[i].value = SInt16(i);
            to[i].rgb = RGBColor{0, 0, 0};
        }
    }
    return out;
}

std::vector<UInt8> EncodeEditorRecord(const std::string& path) {
    ByteWriter w;
    const size_t n = std::min(path.size(), kMaxEditorPath);
    w.u32be(kEditorRecordMagic);
    w.u16be(UInt16(n));
    w.bytes(std::span(reinterpret_cast<const UInt8*>(path.data()), n));
    return std::move(w.buffer());
}

bool DecodeEditorRecord(std::span<const UInt8> bytes, std::string* path) {
    ByteReader r(bytes);
    if (r.u32be() != kEditorRecordMagic) return false;
    const UInt16 n = r.u16be();
    if (!r.ok() || n == 0 || n > kMaxEditorPath) return false;
    const std::span<const UInt8> s = r.bytes(n);
    if (!r.ok()) return false;
    path->assign(reinterpret_cast<const char*>(s.data()), s.size());
    // A path with a NUL in it names nothing on this platform.
    return path->find('\0') == std::string::npos;
}
