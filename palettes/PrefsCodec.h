// The stored form of the preference records: each field big-endian, in
// declaration order, with no padding beyond the pad fields the records name.
// Records are encoded and decoded field by field; a stored record is exactly
// what a 68K or PowerPC build would have written from memory.
#pragma once

#include "palettes/Prefs.h"
#include "platform/core/ByteIO.h"
#include "platform/raster/ColorTables.h"

#include <algorithm>
#include <array>
#include <span>
#include <string>
#include <vector>

inline constexpr Size kToolPrefsSize = 28;
inline constexpr Size kPaintWinPrefsSize = 16;
inline constexpr Size kPNGFilePrefsSize = 10;
inline constexpr Size kUsedCountSize = 80;

void PutPref(ByteWriter& w, SInt16 v);
void PutPref(ByteWriter& w, UInt8 v);
void PutPref(ByteWriter& w, UInt16 v);
void PutPref(ByteWriter& w, const Rect& v);
void PutPref(ByteWriter& w, UInt32 v);
void PutPref(ByteWriter& w, Point v);
void PutPref(ByteWriter& w, const ToolPrefs& v);
void PutPref(ByteWriter& w, const PaintWinPrefs& v);
void PutPref(ByteWriter& w, const PNGFilePrefs& v);
void PutPref(ByteWriter& w, const std::array<UInt32, 20>& v);
template <size_t N>
void PutPref(ByteWriter& w, const std::array<UInt8, N>& v) {
    w.bytes(v);
}

void GetPref(ByteReader& r, SInt16* v);
void GetPref(ByteReader& r, UInt8* v);
void GetPref(ByteReader& r, UInt16* v);
void GetPref(ByteReader& r, Rect* v);
void GetPref(ByteReader& r, UInt32* v);
void GetPref(ByteReader& r, Point* v);
void GetPref(ByteReader& r, ToolPrefs* v);
void GetPref(ByteReader& r, PaintWinPrefs* v);
void GetPref(ByteReader& r, PNGFilePrefs* v);
void GetPref(ByteReader& r, std::array<UInt32, 20>* v);
template <size_t N>
void GetPref(ByteReader& r, std::array<UInt8, N>* v) {
    for (UInt8& b : *v) b = r.u8();
}

template <class T>
std::vector<UInt8> EncodePref(const T& v) {
    ByteWriter w;
    PutPref(w, v);
    return std::move(w.buffer());
}

// Replaces the first bytes of `v`'s stored form with `stored` (at most the
// record's size) and decodes the result, so a shorter record keeps the rest
// of what `v` held.
template <class T>
void OverlayPref(std::span<const UInt8> stored, T* v) {
    std::vector<UInt8> bytes = EncodePref(*v);
    const size_t n = std::min(stored.size(), bytes.size());
    std::copy_n(stored.begin(), n, bytes.begin());
    ByteReader r(bytes);
    GetPref(r, v);
}

// Colour tables: seed (s32), flags (u16), count − 1 (s16), then per entry a
// value (s16) and red, green, blue (u16 each). An empty table is stored with
// a count − 1 of −1 and no entries.
std::vector<UInt8> EncodeColorTable(CTabHandle ct);
// A new table from stored bytes; none when the count is outside 0..256 or
// the entries it declares are not all there.
UniqueCTable DecodeColorTable(std::span<const UInt8> bytes);
// `ct` cut or grown (new entries black, values continuing the index) to
// exactly `entries` entries; none when memory runs out. `ct` is used up.
UniqueCTable ResizeColorTable(UniqueCTable ct, int entries);

// The external editor's record: 'KrAl', a 16-bit length and the UTF-8 path.
inline constexpr OSType kEditorRecordMagic = FourCC("KrAl");
inline constexpr size_t kMaxEditorPath = 4096;
std::vector<UInt8> EncodeEditorRecord(const std::string& path);
// False when the record is not of that form or the path is empty.
bool DecodeEditorRecord(std::span<const UInt8> bytes, std::string* path);
