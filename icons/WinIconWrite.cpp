// Writing Windows icon files. Layout: the 6-byte header (0, 1, n), n 16-byte
// directory entries, then the images in directory order, each a 40-byte
// bitmap header, the palette, the XOR rows bottom to top and the AND mask
// rows bottom to top, rows padded to 4 bytes.
//
// The 4- and 8-bit images carry the standard colour table of their depth as
// palette; pixels the mask leaves out are stored as index 15 or 255 (black
// in those tables) with their AND bit set. 32-bit images store blue, green,
// red, alpha with an AND mask of the alpha below 128; the thumbnail goes in
// as a PNG image.
#include "icons/WinIcon.h"

#include "platform/codecs/PngCodec.h"
#include "platform/core/ByteIO.h"
#include "platform/core/Memory.h"
#include "platform/files/FileIO.h"
#include "platform/files/FileTypes.h"
#include "platform/files/Files.h"
#include "platform/raster/ColorTables.h"

#include <cstring>
#include <optional>

namespace {

constexpr OSErr kNothingToWriteErr = -1;
constexpr size_t kBitmapHeaderBytes = 40;

// A member's bytes when it is present with exactly `bytes` bytes.
std::optional<std::span<const UInt8>> MemberData(IconSuiteRef suite, OSType type, Size bytes) {
    Handle h = nullptr;
    if (!suite || GetIconFromSuite(&h, suite, type) != noErr || !h || GetHandleSize(h) != bytes) return std::nullopt;
    return std::span<const UInt8>(reinterpret_cast<const UInt8*>(*h), size_t(bytes));
}
std::optional<std::span<const UInt8>> HandleData(Handle h, Size bytes) {
    if (!h || GetHandleSize(h) != bytes) return std::nullopt;
    return std::span<const UInt8>(reinterpret_cast<const UInt8*>(*h), size_t(bytes));
}

// The mask half of the 1-bit member of `size` (set = opaque), if any.
std::optional<std::span<const UInt8>> OneBitMask(IconSuiteRef suite, int size) {
    const Size half = Size(size) * size / 8;
    auto both = MemberData(suite, FourCC(size == 32 ? "ICN#" : "ics#"), 2 * half);
    if (!both) return std::nullopt;
    return both->subspan(size_t(half));
}

bool MaskBit(const std::optional<std::span<const UInt8>>& mask, size_t i) {
    return !mask || ((*mask)[i / 8] >> (7 - i % 8) & 1);
}

struct EntryImage {
    UInt8 side;          // 0 means 256
    UInt8 colorCount;
    UInt16 planes, bitCount;
    std::vector<UInt8> bytes;
};

void BitmapHeader(ByteWriter& w, int size, int depth, size_t imageBytes, UInt32 colorsUsed) {
    w.u32le(kBitmapHeaderBytes);
    w.u32le(UInt32(size));
    w.u32le(UInt32(2 * size));  // the XOR image and the AND mask
    w.u16le(1);
    w.u16le(UInt16(depth));
    w.u32le(0);
    w.u32le(UInt32(imageBytes));
    w.u32le(0);
    w.u32le(0);
    w.u32le(colorsUsed);
    w.u32le(0);
}

// The AND rows, bottom to top, from an opacity test per pixel.
template <typename Opaque>
void AndMask(ByteWriter& w, int size, Opaque opaque) {
    const size_t row = WinBitmapRowBytes(size, 1);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<UInt8> bits(row, 0);
        for (int x = 0; x < size; ++x)
            if (!opaque(size_t(y) * size_t(size) + size_t(x))) bits[size_t(x) / 8] |= UInt8(0x80 >> (x % 8));
        w.bytes(bits);
    }
}

EntryImage IndexedImage(std::span<const UInt8> data, int size, int depth,
                        const std::optional<std::span<const UInt8>>& mask) {
    const size_t xorRow = WinBitmapRowBytes(size, depth), xorBytes = xorRow * size_t(size);
    const size_t andBytes = WinBitmapRowBytes(size, 1) * size_t(size);
    ByteWriter w;
    BitmapHeader(w, size, depth, xorBytes + andBytes, 1u << depth);
    CTabHandle table = StandardCTable(depth);
    const ColorSpec* colors = CTabEntries(table);
    for (int i = 0; i < 1 << depth; ++i) {
        const RGBColor c = i < CTabCount(table) ? colors[i].rgb : RGBColor{};
        w.u8(UInt8(c.blue >> 8));
        w.u8(UInt8(c.green >> 8));
        w.u8(UInt8(c.red >> 8));
        w.u8(0);
    }
    const size_t memberRow = size_t(size) * size_t(depth) / 8;
    const UInt8 blackIndex = UInt8((1 << depth) - 1);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<UInt8> row(data.begin() + ptrdiff_t(size_t(y) * memberRow),
                               data.begin() + ptrdiff_t(size_t(y + 1) * memberRow));
        row.resize(xorRow, 0);
        for (int x = 0; x < size; ++x) {
            if (MaskBit(mask, size_t(y) * size_t(size) + size_t(x))) continue;
            if (depth == 8) {
                row[size_t(x)] = blackIndex;
            } else {
                const int shift = x % 2 ? 0 : 4;
                row[size_t(x) / 2] = UInt8(row[size_t(x) / 2] | blackIndex << shift);
            }
        }
        w.bytes(row);
    }
    AndMask(w, size, [&](size_t i) { return MaskBit(mask, i); });
    return {UInt8(size), UInt8(depth == 4 ? 16 : 0), 0, 0, std::move(w.buffer())};
}

// A 2-colour entry from a 1-bit member's two halves, index 0 black. Windows
// XORs the screen with the XOR colour where the AND bit is set, as a clear
// mask bit with a set image bit inverts on the Mac, so the XOR bit is the
// image bit inverted where opaque and kept where transparent.
EntryImage OneBitImage(std::span<const UInt8> member, int size) {
    const size_t half = size_t(size) * size_t(size) / 8, memberRow = size_t(size) / 8;
    const size_t xorRow = WinBitmapRowBytes(size, 1);
    ByteWriter w;
    BitmapHeader(w, size, 1, 2 * xorRow * size_t(size), 2);
    for (UInt8 c : {0x00, 0xFF}) {
        w.u8(c);
        w.u8(c);
        w.u8(c);
        w.u8(0);
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<UInt8> row(xorRow, 0);
        for (size_t i = 0; i < memberRow; ++i) {
            const size_t at = size_t(y) * memberRow + i;
            row[i] = UInt8(member[at] ^ member[half + at]);
        }
        w.bytes(row);
    }
    const std::span<const UInt8> mask = member.subspan(half);
    AndMask(w, size, [&](size_t i) { return (mask[i / 8] & (0x80 >> (i % 8))) != 0; });
    return {UInt8(size), 2, 0, 0, std::move(w.buffer())};
}

// Opacity of a 32-bit member: its 8-bit mask, else the 1-bit mask of its
// size, else opaque.
std::vector<UInt8> AlphaFor(const std::optional<std::span<const UInt8>>& alpha,
                            const std::optional<std::span<const UInt8>>& oneBit, size_t count) {
    std::vector<UInt8> out(count, 255);
    for (size_t i = 0; i < count; ++i) out[i] = alpha ? (*alpha)[i] : MaskBit(oneBit, i) ? 255 : 0;
    return out;
}

EntryImage DeepImage(std::span<const UInt8> rgb, const std::vector<UInt8>& alpha, int size) {
    const size_t xorBytes = size_t(size) * size_t(size) * 4, andBytes = WinBitmapRowBytes(size, 1) * size_t(size);
    ByteWriter w;
    BitmapHeader(w, size, 32, xorBytes + andBytes, 0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const size_t i = size_t(y) * size_t(size) + size_t(x);
            w.u8(rgb[i * 4 + 3]);
            w.u8(rgb[i * 4 + 2]);
            w.u8(rgb[i * 4 + 1]);
            w.u8(alpha[i]);
        }
    AndMask(w, size, [&](size_t i) { return alpha[i] >= 128; });
    return {UInt8(size), 0, 1, 32, std::move(w.buffer())};
}

[[nodiscard]] OSErr PngImage(std::span<const UInt8> rgb, const std::vector<UInt8>& alpha, int size,
                             EntryImage* out) {
    RgbaImage image{size, size, std::vector<UInt8>(size_t(size) * size_t(size) * 4)};
    for (size_t i = 0; i < alpha.size(); ++i) {
        image.pixels[i * 4] = rgb[i * 4 + 1];
        image.pixels[i * 4 + 1] = rgb[i * 4 + 2];
        image.pixels[i * 4 + 2] = rgb[i * 4 + 3];
        image.pixels[i * 4 + 3] = alpha[i];
    }
    *out = {UInt8(size == 256 ? 0 : size), 0, 1, 32, {}};
    return EncodePngRgba(image, &out->bytes);
}

[[nodiscard]] OSErr WriteIconFile(const FSSpec& file, const std::vector<UInt8>& bytes) {
    const bool existed = FSpExists(&file);
    if (const OSErr err = WriteFileAtomically(FSSpecToPath(&file), bytes); err != noErr) return err;
    if (existed) return noErr;
    // A new file gets its type and creator, unless its name already says
    // what it is (a companion file is then not needed).
    OSType suffixType = 0;
    (void)GetFileTypeFromSuffix(file.name, &suffixType);
    if (suffixType == kWinIconFileType) return noErr;
    FInfo info;
    info.fdType = kWinIconFileType;
    info.fdCreator = FourCC("Krvl");
    return FSpSetFInfo(&file, &info);
}

[[nodiscard]] OSErr MakeFile(const FSSpec& file, const KorvelIcon& icon, bool with32) {
    std::vector<UInt8> bytes;
    if (const OSErr err = BuildWinIcon(icon, with32, &bytes); err != noErr) {
        if (err == kNothingToWriteErr) SysBeep(1);
        return err;
    }
    return WriteIconFile(file, bytes);
}

}  // namespace

OSErr BuildWinIcon(const KorvelIcon& icon, bool with32, std::vector<UInt8>* bytes) {
    if (!bytes) return paramErr;
    bytes->clear();
    std::vector<EntryImage> images;
    struct Candidate {
        OSType type;
        int size, depth;
    };
    static constexpr Candidate kClassic[] = {
        {FourCC("icl8"), 32, 8}, {FourCC("icl4"), 32, 4}, {FourCC("ics8"), 16, 8}, {FourCC("ics4"), 16, 4}};
    try {
        for (const Candidate& c : kClassic) {
            if (auto data = MemberData(icon.suite, c.type, Size(c.size) * c.size * c.depth / 8))
                images.push_back(IndexedImage(*data, c.size, c.depth, OneBitMask(icon.suite, c.size)));
        }
        if (with32) {
            // Both 1-bit members too, so that no size the family holds is lost.
            for (int size : {32, 16}) {
                if (auto data = MemberData(icon.suite, FourCC(size == 32 ? "ICN#" : "ics#"), Size(size) * size / 4))
                    images.push_back(OneBitImage(*data, size));
            }
            for (int size : {32, 16}) {
                const size_t count = size_t(size) * size_t(size);
                auto rgb = MemberData(icon.suite, FourCC(size == 32 ? "il32" : "is32"), Size(count * 4));
                if (!rgb) continue;
                auto alpha = MemberData(icon.suite, FourCC(size == 32 ? "l8mk" : "s8mk"), Size(count));
                images.push_back(DeepImage(*rgb, AlphaFor(alpha, OneBitMask(icon.suite, size), count), size));
            }
            constexpr size_t kThumbCount = 128 * 128;
            if (auto rgb = HandleData(icon.it32Data, Size(kThumbCount * 4))) {
                EntryImage png;
                const auto alpha = AlphaFor(HandleData(icon.t8mkData, Size(kThumbCount)), std::nullopt, kThumbCount);
                if (const OSErr err = PngImage(*rgb, alpha, 128, &png); err != noErr) return err;
                images.push_back(std::move(png));
            }
        }
        if (images.empty()) return kNothingToWriteErr;

        ByteWriter w;
        w.u16le(0);
        w.u16le(1);
        w.u16le(UInt16(images.size()));
        size_t offset = 6 + 16 * images.size();
        for (const EntryImage& image : images) {
            w.u8(image.side);
            w.u8(image.side);
            w.u8(image.colorCount);
            w.u8(0);
            w.u16le(image.planes);
            w.u16le(image.bitCount);
            w.u32le(UInt32(image.bytes.size()));
            w.u32le(UInt32(offset));
            offset += image.bytes.size();
        }
        for (const EntryImage& image : images) w.bytes(image.bytes);
        *bytes = std::move(w.buffer());
    } catch (const std::bad_alloc&) {
        bytes->clear();
        return memFullErr;
    }
    return noErr;
}

OSErr MakeWinIconFromSuite(const FSSpec& file, IconSuiteRef suite) {
    KorvelIcon icon;
    icon.suite = suite;
    return MakeFile(file, icon, false);
}

OSErr MakeWinIconFromKorvelIcon(const FSSpec& file, const KorvelIcon& icon) { return MakeFile(file, icon, true); }
