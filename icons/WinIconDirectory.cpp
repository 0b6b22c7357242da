// The icon directory: the 6-byte header, 16-byte entries, and for each entry
// the header of the image it points at. All numbers are little-endian. Every
// count, size and offset is checked against the file's length before use
// (in the form `offset > size || length > size - offset`), so nothing later
// reads outside the bytes given.
#include "icons/WinIcon.h"

#include "platform/core/ByteIO.h"

#include <algorithm>

namespace {

constexpr size_t kHeaderBytes = 6;
constexpr size_t kEntryBytes = 16;
constexpr size_t kBitmapHeaderBytes = 40;
// Real icons hold a handful of images; a directory of thousands pointing at
// the same large image would only make reading slow.
constexpr size_t kMaxEntries = 256;
constexpr UInt8 kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::string Size2(int w, int h) { return std::to_string(w) + " × " + std::to_string(h); }

// The PNG header's size and pixel depth; false when it has none.
bool ReadPngHeader(std::span<const UInt8> image, WinIconEntry* e, std::string* problem) {
    ByteReader r(image);
    r.skip(8);
    const UInt32 length = r.u32be();
    const UInt32 type = r.u32be();
    const UInt32 width = r.u32be(), height = r.u32be();
    const UInt8 depth = r.u8(), colorType = r.u8();
    if (!r.ok() || type != FourCC("IHDR") || length != 13) {
        *problem = "its PNG image has no header";
        return false;
    }
    static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
    e->bitCount = UInt16(colorType < 7 ? depth * kChannels[colorType] : 0);
    if (width != UInt32(e->width) || height != UInt32(e->height)) {
        *problem = "its PNG image is " + std::to_string(width) + " × " + std::to_string(height) +
                   " pixels, not the " + Size2(e->width, e->height) + " the directory gives";
        return false;
    }
    return true;
}

// The bitmap header and the sizes that follow from it.
bool ReadBitmapHeader(std::span<const UInt8> image, WinIconEntry* e, std::string* problem) {
    ByteReader r(image);
    e->headerSize = r.u32le();
    const SInt32 width = r.s32le(), height = r.s32le();
    r.u16le();  // planes
    e->bitCount = r.u16le();
    const UInt32 compression = r.u32le();
    r.skip(12);  // image size, resolutions
    const UInt32 colorsUsed = r.u32le();
    if (!r.ok()) {
        e->bitCount = e->directoryBitCount;
        *problem = "its bitmap header is cut short";
        return false;
    }
    if (e->headerSize < kBitmapHeaderBytes || e->headerSize > image.size()) {
        *problem = "its bitmap header size " + std::to_string(e->headerSize) + " is not one Korvel reads";
        return false;
    }
    const UInt16 b = e->bitCount;
    if (b != 1 && b != 4 && b != 8 && b != 32) {
        *problem = "its " + std::to_string(b) + "-bit pixels are not a depth Korvel reads (1, 4, 8 or 32)";
        return false;
    }
    if (compression != 0) {
        *problem = "its bitmap is compressed (method " + std::to_string(compression) + ")";
        return false;
    }
    // The bitmap holds the XOR image and the AND mask one above the other.
    if (width != e->width || height != 2 * SInt64(e->height)) {
        *problem = "its bitmap is " + std::to_string(width) + " × " + std::to_string(height / 2) +
                   " pixels, not the " + Size2(e->width, e->height) + " the directory gives";
        return false;
    }
    if (b <= 8) {
        const UInt32 full = 1u << b;
        if (colorsUsed > full) {
            *problem = "its palette of " + std::to_string(colorsUsed) + " colours is more than " +
                       std::to_string(b) + "-bit pixels use";
            return false;
        }
        e->paletteCount = int(colorsUsed ? colorsUsed : full);
    }
    const UInt64 xorBytes = UInt64(WinBitmapRowBytes(e->width, b)) * UInt64(e->height);
    const UInt64 andBytes = UInt64(WinBitmapRowBytes(e->width, 1)) * UInt64(e->height);
    const UInt64 pixelsEnd = UInt64(e->headerSize) + 4 * UInt64(e->paletteCount) + xorBytes;
    e->hasAndMask = pixelsEnd + andBytes <= image.size();
    // 32-bit images carry their mask in the alpha; the AND mask is optional.
    const UInt64 needed = b == 32 ? pixelsEnd : pixelsEnd + andBytes;
    if (needed > image.size()) {
        *problem = "its " + std::to_string(image.size()) + " bytes are fewer than the " + std::to_string(needed) +
                   " its bitmap needs";
        return false;
    }
    return true;
}

}  // namespace

OSErr ParseWinIconDirectory(std::span<const UInt8> bytes, std::vector<WinIconEntry>* entries, std::string* why) {
    if (!entries) return paramErr;
    entries->clear();
    std::string unused;
    if (!why) why = &unused;
    why->clear();
    ByteReader r(bytes);
    const UInt16 reserved = r.u16le(), type = r.u16le(), count = r.u16le();
    // Type 1 is an icon; cursors (2) share the layout.
    if (!r.ok() || reserved != 0 || (type != 1 && type != 2)) {
        *why = "not a Windows icon (no icon header)";
        return paramErr;
    }
    if (count == 0) {
        *why = "the icon directory lists no images";
        return paramErr;
    }
    const size_t fit = (bytes.size() - kHeaderBytes) / kEntryBytes;
    const size_t held = std::min({size_t(count), fit, kMaxEntries});
    if (held < count)
        *why = "the icon directory lists " + std::to_string(count) + " images; " +
               (held == fit ? "the file ends after " + std::to_string(held)
                            : "Korvel reads the first " + std::to_string(held));
    if (held == 0) return paramErr;
    const size_t directoryEnd = kHeaderBytes + std::min(size_t(count), fit) * kEntryBytes;

    for (size_t i = 0; i < held; ++i) {
        WinIconEntry e;
        e.index = int(i);
        e.width = r.u8();
        e.height = r.u8();
        if (e.width == 0) e.width = 256;
        if (e.height == 0) e.height = 256;
        e.colorCount = r.u8();
        e.reserved = r.u8();
        e.planes = r.u16le();
        e.directoryBitCount = r.u16le();
        e.bytesInImage = r.u32le();
        e.imageOffset = r.u32le();
        e.bitCount = e.directoryBitCount;
        if (e.imageOffset < directoryEnd) {
            e.problem = "its image overlaps the icon directory";
        } else if (e.imageOffset > bytes.size() || e.bytesInImage > bytes.size() - e.imageOffset) {
            e.problem = "its image (" + std::to_string(e.bytesInImage) + " bytes at " +
                        std::to_string(e.imageOffset) + ") lies outside the file's " + std::to_string(bytes.size()) +
                        " bytes";
        } else {
            e.image = bytes.subspan(e.imageOffset, e.bytesInImage);
            e.isPng = e.image.size() >= 8 && std::equal(kPngSignature, kPngSignature + 8, e.image.begin());
            if (e.isPng)
                ReadPngHeader(e.image, &e, &e.problem);
            else
                ReadBitmapHeader(e.image, &e, &e.problem);
        }
        entries->push_back(std::move(e));
    }
    return noErr;
}
