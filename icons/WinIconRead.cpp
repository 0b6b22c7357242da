// Reading Windows icon files and single 32 × 32 bitmaps into icon members.
//
// Which member an entry becomes is decided by its size and by the bit count
// its own bitmap header gives (the directory's colour count only describes
// it and is often left 0 by writers): 1 bit 'ICN#'/'ics#' (image and mask),
// 4 bits 'icl4'/'ics4', 8 bits 'icl8'/'ics8', 32 bits and PNG images the
// 32-bit members. Later entries of the same member replace earlier ones.
#include "icons/WinIcon.h"

#include "paint/PaintWindow.h"
#include "platform/codecs/PngCodec.h"
#include "platform/core/ByteIO.h"
#include "platform/core/Memory.h"
#include "platform/files/FileIO.h"
#include "platform/raster/ColorTables.h"
#include "platform/raster/CopyBits.h"
#include "platform/raster/GWorld.h"
#include "platform/raster/Pen.h"
#include "platform/resources/Resources.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr ResID kBitmapMaskIconID = 2000;  // 'ICN#': a blank image with a fully set mask
constexpr OSErr kWrongBitmapErr = -1;

// The member types of one size.
struct SizeTypes {
    OSType oneBit, fourBit, eightBit, rgb, alpha;
};
const SizeTypes* TypesForSize(int size) {
    static constexpr SizeTypes kLarge{FourCC("ICN#"), FourCC("icl4"), FourCC("icl8"), FourCC("il32"), FourCC("l8mk")};
    static constexpr SizeTypes kSmall{FourCC("ics#"), FourCC("ics4"), FourCC("ics8"), FourCC("is32"), FourCC("s8mk")};
    return size == 32 ? &kLarge : size == 16 ? &kSmall : nullptr;
}

bool HasMember(IconSuiteRef suite, OSType type) {
    Handle h = nullptr;
    return GetIconFromSuite(&h, suite, type) == noErr && h;
}

// Puts `data` into the suite as the member of `type`, freeing the member it
// replaces.
[[nodiscard]] OSErr ReplaceMember(IconSuiteRef suite, OSType type, UniqueHandle data) {
    Handle old = nullptr;
    if (const OSErr err = GetIconFromSuite(&old, suite, type); err != noErr) return err;
    if (const OSErr err = AddIconToSuite(data.get(), suite, type); err != noErr) return err;
    data.release();
    if (old) DisposeHandle(old);
    return noErr;
}

// Replaces a thumbnail handle of the record.
void ReplaceHandle(Handle* slot, UniqueHandle data) {
    if (*slot) DisposeHandle(*slot);
    *slot = data.release();
}

[[nodiscard]] OSErr NewMember(Size bytes, UniqueHandle* out) {
    out->reset(NewHandleClear(bytes));
    return *out ? noErr : memFullErr;
}

// A 1-bit member of `size` with a white image half and `mask` as its mask.
[[nodiscard]] OSErr OneBitWithMask(int size, Handle mask, UniqueHandle* out) {
    const Size half = Size(size) * size / 8;
    if (const OSErr err = NewMember(2 * half, out); err != noErr) return err;
    std::memcpy(*out->get() + half, *mask, size_t(std::min(half, GetHandleSize(mask))));
    return noErr;
}

// ---- 32-bit images ---------------------------------------------------------

// A 32-bit bitmap entry as RGBA, rows top to bottom. A bitmap whose alpha is
// 0 everywhere predates alpha: its AND mask gives the opacity.
void BitmapRgba(const WinIconEntry& e, RgbaImage* out) {
    const int size = e.width;
    const size_t row = WinBitmapRowBytes(size, 32), andRow = WinBitmapRowBytes(size, 1);
    const UInt8* pixels = e.image.data() + e.headerSize;
    const UInt8* andMask = pixels + row * size_t(size);
    out->width = out->height = size;
    out->pixels.assign(size_t(size) * size_t(size) * 4, 0);
    bool anyAlpha = false;
    for (int y = 0; y < size; ++y) {
        const UInt8* src = pixels + size_t(size - 1 - y) * row;
        UInt8* dst = out->pixels.data() + size_t(y) * size_t(size) * 4;
        for (int x = 0; x < size; ++x, src += 4, dst += 4) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
            dst[3] = src[3];
            anyAlpha = anyAlpha || src[3] != 0;
        }
    }
    if (!anyAlpha) {
        for (int y = 0; y < size; ++y) {
            const UInt8* bits = andMask + size_t(size - 1 - y) * andRow;
            for (int x = 0; x < size; ++x) {
                const bool transparent = e.hasAndMask && (bits[x / 8] >> (7 - x % 8) & 1);
                out->pixels[(size_t(y) * size_t(size) + size_t(x)) * 4 + 3] = transparent ? 0 : 255;
            }
        }
    }
}

[[nodiscard]] OSErr PngRgba(const WinIconEntry& e, RgbaImage* out, std::string* problem) {
    const OSErr err = DecodePngRgba(e.image, size_t(e.width) * size_t(e.height), out, problem);
    if (err == noErr && (out->width != e.width || out->height != e.height)) {
        *problem = "its PNG image decodes to " + std::to_string(out->width) + " × " + std::to_string(out->height) +
                   " pixels, not the size the directory gives";
        return paramErr;
    }
    return err;
}

// RGBA as a 32-bit member (pad 0, red, green, blue) and an 8-bit mask.
[[nodiscard]] OSErr SplitRgba(const RgbaImage& image, UniqueHandle* rgb, UniqueHandle* alpha) {
    const size_t count = size_t(image.width) * size_t(image.height);
    if (NewMember(Size(count * 4), rgb) != noErr || NewMember(Size(count), alpha) != noErr) return memFullErr;
    auto* c = reinterpret_cast<UInt8*>(*rgb->get());
    auto* a = reinterpret_cast<UInt8*>(*alpha->get());
    for (size_t i = 0; i < count; ++i) {
        c[i * 4 + 1] = image.pixels[i * 4];
        c[i * 4 + 2] = image.pixels[i * 4 + 1];
        c[i * 4 + 3] = image.pixels[i * 4 + 2];
        a[i] = image.pixels[i * 4 + 3];
    }
    return noErr;
}

// A 1-bit member whose mask is the alpha of 128 and above.
[[nodiscard]] OSErr OneBitFromAlpha(int size, const std::vector<UInt8>& alpha, UniqueHandle* out) {
    const size_t half = size_t(size) * size_t(size) / 8;
    if (const OSErr err = NewMember(Size(2 * half), out); err != noErr) return err;
    auto* mask = reinterpret_cast<UInt8*>(*out->get()) + half;
    for (size_t i = 0; i < alpha.size(); ++i)
        if (alpha[i] >= 128) mask[i / 8] |= UInt8(0x80 >> (i % 8));
    return noErr;
}

// ---- the reading itself -----------------------------------------------------

struct Reader {
    KorvelIcon* icon;
    bool with32;
    std::vector<std::string>* notes;
    // The alpha of the last 32-bit image of 16 and 32 pixels, for sizes that
    // end up without a 1-bit member.
    std::vector<UInt8> alpha16, alpha32;

    void Note(const WinIconEntry& e, const std::string& text) {
        if (!notes) return;
        std::string what = "image " + std::to_string(e.index + 1) + " (" + std::to_string(e.width) + " × " +
                           std::to_string(e.height) + ", " +
                           (e.isPng ? std::string("PNG") : std::to_string(e.bitCount) + "-bit") + "): ";
        notes->push_back(what + text);
    }

    [[nodiscard]] OSErr Classic(const WinIconEntry& e) {
        const SizeTypes& t = *TypesForSize(e.width);
        IconSuiteRef suite = icon->suite;
        UniqueHandle data, mask;
        Handle rawData = nullptr, rawMask = nullptr;
        const OSErr decoded = WinIconToIconData(e, &rawData, &rawMask);
        data.reset(rawData);
        mask.reset(rawMask);
        if (decoded != noErr) return decoded;
        if (e.bitCount == 1) {
            // The image half followed by the mask half.
            const Size half = GetHandleSize(data.get());
            SetHandleSize(data.get(), 2 * half);
            if (MemError() != noErr) return memFullErr;
            std::memcpy(*data.get() + half, *mask.get(), size_t(half));
            return ReplaceMember(suite, t.oneBit, std::move(data));
        }
        if (const OSErr err = ReplaceMember(suite, e.bitCount == 4 ? t.fourBit : t.eightBit, std::move(data));
            err != noErr)
            return err;
        if (!HasMember(suite, t.oneBit)) {
            UniqueHandle oneBit;
            if (const OSErr err = OneBitWithMask(e.width, mask.get(), &oneBit); err != noErr) return err;
            if (const OSErr err = ReplaceMember(suite, t.oneBit, std::move(oneBit)); err != noErr) return err;
        }
        if (e.bitCount == 4 && !HasMember(suite, t.eightBit)) {
            Handle eight = nullptr;
            const OSErr err = WinIconToIconData(e, &eight, nullptr);
            UniqueHandle owner(eight);
            if (err != noErr) return err;
            return ReplaceMember(suite, t.eightBit, std::move(owner));
        }
        return noErr;
    }

    [[nodiscard]] OSErr Deep(const WinIconEntry& e) {
        RgbaImage rgba;
        std::string problem;
        if (!e.isPng) {
            BitmapRgba(e, &rgba);
        } else if (PngRgba(e, &rgba, &problem) != noErr) {
            Note(e, problem + "; kept out");
            return noErr;
        }
        UniqueHandle rgb, alpha;
        if (const OSErr err = SplitRgba(rgba, &rgb, &alpha); err != noErr) return err;
        if (e.width == 128) {
            ReplaceHandle(&icon->it32Data, std::move(rgb));
            ReplaceHandle(&icon->t8mkData, std::move(alpha));
            return noErr;
        }
        auto* a = reinterpret_cast<const UInt8*>(*alpha.get());
        (e.width == 32 ? alpha32 : alpha16).assign(a, a + GetHandleSize(alpha.get()));
        const SizeTypes& t = *TypesForSize(e.width);
        if (const OSErr err = ReplaceMember(icon->suite, t.rgb, std::move(rgb)); err != noErr) return err;
        return ReplaceMember(icon->suite, t.alpha, std::move(alpha));
    }

    [[nodiscard]] OSErr Entry(const WinIconEntry& e) {
        const bool deep = e.isPng || e.bitCount == 32;
        if (!e.problem.empty()) {
            Note(e, e.problem + "; kept out");
            return noErr;
        }
        if (deep && !with32) return noErr;
        if (e.width != e.height) {
            Note(e, "Korvel edits square icons only; kept out");
            return noErr;
        }
        const bool classicSize = e.width == 16 || e.width == 32;
        if (deep ? !(classicSize || e.width == 128) : !classicSize) {
            Note(e, deep ? "Korvel keeps icons of 16, 32 and 128 pixels only; kept out"
                         : "Korvel keeps icons of 16 and 32 pixels at this depth; kept out");
            return noErr;
        }
        return deep ? Deep(e) : Classic(e);
    }

    // Sizes with a 32-bit image but no 1-bit member get one from its alpha.
    [[nodiscard]] OSErr MasksFromAlpha() {
        for (int size : {32, 16}) {
            const std::vector<UInt8>& alpha = size == 32 ? alpha32 : alpha16;
            const SizeTypes& t = *TypesForSize(size);
            if (alpha.empty() || HasMember(icon->suite, t.oneBit)) continue;
            UniqueHandle oneBit;
            if (const OSErr err = OneBitFromAlpha(size, alpha, &oneBit); err != noErr) return err;
            if (const OSErr err = ReplaceMember(icon->suite, t.oneBit, std::move(oneBit)); err != noErr) return err;
        }
        return noErr;
    }
};

void FreeIcon(KorvelIcon* icon) {
    if (icon->suite) (void)DisposeIconSuite(icon->suite, true);
    if (icon->it32Data) DisposeHandle(icon->it32Data);
    if (icon->t8mkData) DisposeHandle(icon->t8mkData);
    *icon = {};
}

bool IsBitmapFile(std::span<const UInt8> bytes) { return bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M'; }

// A single 32 × 32 8-bit bitmap file: its pixels as 'icl8' and the
// application's blank 'ICN#' (fully set mask) as 'ICN#'.
[[nodiscard]] OSErr ReadBitmapFile(std::span<const UInt8> bytes, IconSuiteRef suite) {
    ByteReader r(bytes);
    r.skip(2);
    const UInt32 fileSize = r.u32le();
    if (!r.ok() || fileSize != kWinBitmapFileSize || bytes.size() < kWinBitmapFileSize) return kWrongBitmapErr;
    Handle raw = nullptr;
    const OSErr decoded = BMPToIconData(bytes, &raw);
    UniqueHandle data(raw);
    if (decoded != noErr) return decoded;
    if (const OSErr err = ReplaceMember(suite, FourCC("icl8"), std::move(data)); err != noErr) return err;
    UniqueHandle oneBit;
    if (Handle blank = GetResource(FourCC("ICN#"), kBitmapMaskIconID); blank && GetHandleSize(blank) == 256) {
        oneBit.reset(NewHandleFromBytes(HandleBytes(blank)));
    } else if (NewMember(256, &oneBit) == noErr) {
        std::memset(*oneBit.get() + 128, 0xFF, 128);
    }
    if (!oneBit) return memFullErr;
    return ReplaceMember(suite, FourCC("ICN#"), std::move(oneBit));
}

[[nodiscard]] OSErr ReadWinIcon(std::span<const UInt8> bytes, bool with32, KorvelIcon* icon,
                                std::vector<std::string>* notes) {
    if (!icon) return paramErr;
    *icon = {};
    if (const OSErr err = NewIconSuite(&icon->suite); err != noErr) return err;
    OSErr err = noErr;
    if (IsBitmapFile(bytes)) {
        err = ReadBitmapFile(bytes, icon->suite);
        if (err == kWrongBitmapErr && notes)
            notes->push_back("only 32 × 32 bitmaps of 256 colours (files of 2102 bytes) are read");
    } else {
        std::vector<WinIconEntry> entries;
        std::string why;
        err = ParseWinIconDirectory(bytes, &entries, &why);
        if (!why.empty() && notes) notes->push_back(why);
        Reader reader{icon, with32, notes, {}, {}};
        for (size_t i = 0; err == noErr && i < entries.size(); ++i) err = reader.Entry(entries[i]);
        if (err == noErr && with32) err = reader.MasksFromAlpha();
    }
    if (err != noErr) FreeIcon(icon);
    return err;
}

[[nodiscard]] OSErr ReadFileBytes(const FSSpec& file, std::vector<UInt8>* bytes) {
    return ReadWholeFile(FSSpecToPath(&file), bytes, kMaxWinIconFileBytes);
}

}  // namespace

OSErr WinIconBytesToIconSuite(std::span<const UInt8> bytes, IconSuiteRef* suite) {
    if (!suite) return paramErr;
    *suite = nullptr;
    KorvelIcon icon;
    const OSErr err = ReadWinIcon(bytes, false, &icon, nullptr);
    *suite = icon.suite;
    return err;
}

OSErr WinIconToIconSuite(const FSSpec& file, IconSuiteRef* suite) {
    if (!suite) return paramErr;
    *suite = nullptr;
    std::vector<UInt8> bytes;
    if (const OSErr err = ReadFileBytes(file, &bytes); err != noErr) return err;
    return WinIconBytesToIconSuite(bytes, suite);
}

OSErr WinIconBytesToKorvelIcon(std::span<const UInt8> bytes, KorvelIcon* icon, std::vector<std::string>* notes) {
    if (const OSErr err = ReadWinIcon(bytes, true, icon, notes); err != noErr) return err;
    if (CountIconSuiteMembers(icon->suite) == 0 && !icon->it32Data) {
        FreeIcon(icon);
        if (notes && notes->empty()) notes->push_back("the file holds no image");
        return noIconDataAvailableErr;
    }
    return noErr;
}

OSErr WinIconToKorvelIcon(const FSSpec& file, KorvelIcon* icon, std::vector<std::string>* notes) {
    if (!icon) return paramErr;
    *icon = {};
    std::vector<UInt8> bytes;
    if (const OSErr err = ReadFileBytes(file, &bytes); err != noErr) {
        if (err == memFullErr && notes) notes->push_back("the file is larger than a Windows icon can be");
        return err;
    }
    return WinIconBytesToKorvelIcon(bytes, icon, notes);
}

// ---- decoding one image -------------------------------------------------------

OSErr GetWinIconCTable(std::span<const UInt8> palette, SInt16 bitCount, CTabHandle* table) {
    if (!table || (bitCount != 1 && bitCount != 2 && bitCount != 4 && bitCount != 8)) return paramErr;
    const int count = 1 << bitCount;
    *table = NewColorTable(count);
    if (!*table) return memFullErr;
    ColorSpec* entries = CTabEntries(*table);
    for (int i = 0; i < count; ++i) {
        entries[i].value = SInt16(i);
        if (size_t(i) * 4 + 3 > palette.size()) continue;  // black
        // A byte widened to 16 bits keeps 0xFF white: 0xFF becomes 0xFFFF.
        const UInt8* quad = palette.data() + size_t(i) * 4;
        entries[i].rgb = {UInt16(quad[2] * 0x101), UInt16(quad[1] * 0x101), UInt16(quad[0] * 0x101)};
    }
    return noErr;
}

OSErr ConvertIconData(std::span<const UInt8> pixels, Handle* data, SInt16 sourceDepth, SInt16 targetDepth,
                      const Rect& bounds, CTabHandle palette) {
    if (!data) return paramErr;
    *data = nullptr;
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    const bool depthsOk = (sourceDepth == 1 || sourceDepth == 4 || sourceDepth == 8) &&
                          (targetDepth == 1 || targetDepth == 4 || targetDepth == 8);
    const size_t fileRow = WinBitmapRowBytes(width, sourceDepth);
    if (!depthsOk || width <= 0 || height <= 0 || width > 256 || height > 256 || pixels.size() < fileRow * height)
        return paramErr;
    // CopyBits draws a 1-bit source in the port's foreground and background
    // colours, not through its table; such rows are widened to 8 bits so
    // that the file's two palette colours decide.
    const bool widen = sourceDepth == 1;
    UniqueCTable wideTable;
    if (widen) {
        wideTable.reset(NewColorTable(256));
        if (!wideTable) return memFullErr;
        for (int i = 0; i < 2 && palette && i < CTabCount(palette); ++i)
            CTabEntries(wideTable.get())[i].rgb = CTabEntries(palette)[i].rgb;
    }
    const SInt16 bufferDepth = widen ? 8 : sourceDepth;
    SavedGWorld saved;
    UniqueGWorld source, target;
    if (const OSErr err = NewGWorld(source.out(), bufferDepth, &bounds, widen ? wideTable.get() : palette, nullptr,
                                    useTempMem);
        err != noErr)
        return err;
    if (const OSErr err = NewGWorld(target.out(), targetDepth, &bounds, nullptr, nullptr, useTempMem); err != noErr)
        return err;
    // The file's rows go in as they come, so the buffer holds the image
    // upside down; the result takes its rows in reverse.
    const PixMap& src = **GetGWorldPixMap(source.get());
    const size_t sourceBytes = (size_t(width) * size_t(sourceDepth) + 7) / 8;
    for (int y = 0; y < height; ++y) {
        const UInt8* row = pixels.data() + size_t(y) * fileRow;
        if (!widen) {
            std::memcpy(PixRow(src, y), row, sourceBytes);
            continue;
        }
        for (int x = 0; x < width; ++x) PixRow(src, y)[x] = row[x / 8] >> (7 - x % 8) & 1;
    }
    SetBlackOnWhite(target.get());
    EraseRect(&bounds);
    SetBlackOnWhite(source.get());
    CopyBits(GetPortBitMapForCopyBits(source.get()), GetPortBitMapForCopyBits(target.get()), &bounds, &bounds,
             ditherCopy, nullptr);
    const size_t targetBytes = size_t(width) * size_t(targetDepth) / 8;
    UniqueHandle result(NewHandle(Size(targetBytes) * height));
    if (!result) return memFullErr;
    const PixMap& dst = **GetGWorldPixMap(target.get());
    for (int y = 0; y < height; ++y)
        std::memcpy(*result.get() + size_t(y) * targetBytes, PixRow(dst, height - 1 - y), targetBytes);
    *data = result.release();
    return noErr;
}

OSErr WinIconToIconData(const WinIconEntry& e, Handle* data, Handle* mask) {
    if (!data) return paramErr;
    *data = nullptr;
    if (mask) *mask = nullptr;
    const SInt16 b = SInt16(e.bitCount);
    if (!e.problem.empty() || e.isPng || (b != 1 && b != 4 && b != 8) || e.width != e.height) return paramErr;
    const int size = e.width;
    const size_t paletteBytes = 4 * size_t(e.paletteCount);
    const size_t xorStart = e.headerSize + paletteBytes;
    const size_t xorBytes = WinBitmapRowBytes(size, b) * size_t(size);
    const size_t andRow = WinBitmapRowBytes(size, 1);
    CTabHandle table = nullptr;
    if (const OSErr err = GetWinIconCTable(e.image.subspan(e.headerSize, paletteBytes), b, &table); err != noErr)
        return err;
    UniqueCTable palette(table);
    const Rect bounds = MakeRect(0, 0, SInt16(size), SInt16(size));
    UniqueHandle pixels;
    {
        Handle raw = nullptr;
        const OSErr err = ConvertIconData(e.image.subspan(xorStart, xorBytes), &raw, b, mask ? b : 8, bounds, table);
        pixels.reset(raw);
        if (err != noErr) return err;
    }
    if (mask) {
        const size_t maskRow = size_t(size) / 8;
        UniqueHandle bits(NewHandle(Size(maskRow * size_t(size))));
        if (!bits) return memFullErr;
        const UInt8* andMask = e.image.data() + xorStart + xorBytes;
        auto* out = reinterpret_cast<UInt8*>(*bits.get());
        for (int r = 0; r < size; ++r)
            for (size_t i = 0; i < maskRow; ++i)
                out[size_t(r) * maskRow + i] = UInt8(~andMask[size_t(size - 1 - r) * andRow + i]);
        *mask = bits.release();
    }
    *data = pixels.release();
    return noErr;
}

OSErr BMPToIconData(std::span<const UInt8> fileBytes, Handle* data) {
    if (!data) return paramErr;
    *data = nullptr;
    constexpr size_t kPaletteAt = 54, kPixelsAt = kPaletteAt + 1024, kSide = 32;
    ByteReader r(fileBytes);
    r.seek(18);
    const SInt32 width = r.s32le(), height = r.s32le();
    r.seek(28);
    const UInt16 bitCount = r.u16le();
    if (!r.ok() || width != kSide || height != kSide || bitCount != 8 ||
        fileBytes.size() < kPixelsAt + kSide * kSide)
        return kWrongBitmapErr;
    CTabHandle table = nullptr;
    if (const OSErr err = GetWinIconCTable(fileBytes.subspan(kPaletteAt, 1024), 8, &table); err != noErr) return err;
    UniqueCTable palette(table);
    return ConvertIconData(fileBytes.subspan(kPixelsAt, kSide * kSide), data, 8, 8, MakeRect(0, 0, kSide, kSide),
                           table);
}
