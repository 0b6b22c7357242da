#include "platform/files/MacBinary.h"

#include "platform/core/ByteIO.h"
#include "platform/core/PString.h"

#include <algorithm>

namespace {

constexpr size_t kCrcOffset = 124;
constexpr size_t kMaxName = 63;
// MacBinary lengths are 32-bit but no real fork comes near 2 GB; a larger
// value is a damaged header.
constexpr UInt32 kMaxForkLength = 0x7FFFFFFF;

size_t PadTo128(size_t n) { return (n + 127) & ~size_t(127); }

struct Header {
    UInt8 nameLength = 0;
    UInt32 dataLength = 0, resourceLength = 0;
    UInt16 secondaryLength = 0;
    bool v3 = false;
};

bool ReadHeader(std::span<const UInt8> bytes, Header* h) {
    if (bytes.size() < kMacBinaryHeaderSize) return false;
    ByteReader r(bytes.first(kMacBinaryHeaderSize));
    if (bytes[0] != 0 || bytes[74] != 0 || bytes[82] != 0) return false;
    h->nameLength = bytes[1];
    if (h->nameLength < 1 || h->nameLength > kMaxName) return false;
    r.seek(83);
    h->dataLength = r.u32be();
    h->resourceLength = r.u32be();
    r.seek(102);
    h->v3 = r.u32be() == kMacBinaryIIISignature;
    r.seek(120);
    h->secondaryLength = r.u16be();
    r.seek(kCrcOffset);
    UInt16 crc = r.u16be();
    if (!r.ok()) return false;
    if (crc != Crc16Xmodem(bytes.first(kCrcOffset))) return false;
    return h->dataLength <= kMaxForkLength && h->resourceLength <= kMaxForkLength;
}

}  // namespace

UInt16 Crc16Xmodem(std::span<const UInt8> bytes, UInt16 crc) {
    for (UInt8 b : bytes) {
        crc = UInt16(crc ^ (UInt16(b) << 8));
        for (int i = 0; i < 8; ++i) crc = (crc & 0x8000) ? UInt16((crc << 1) ^ 0x1021) : UInt16(crc << 1);
    }
    return crc;
}

bool LooksLikeMacBinary(std::span<const UInt8> bytes) {
    Header h;
    return ReadHeader(bytes, &h);
}

OSErr ParseMacBinary(std::span<const UInt8> bytes, MacBinaryFile* out) {
    Header h;
    if (!ReadHeader(bytes, &h)) return paramErr;
    size_t dataStart = kMacBinaryHeaderSize + PadTo128(h.secondaryLength);
    size_t size = bytes.size();
    if (dataStart > size || h.dataLength > size - dataStart) return ioErr;
    size_t rsrcStart = dataStart + PadTo128(h.dataLength);
    // The last fork may end unpadded.
    if (h.resourceLength > 0 && (rsrcStart > size || h.resourceLength > size - rsrcStart)) return ioErr;

    ByteReader r(bytes);
    MacBinaryFile f;
    f.version = h.v3 ? 3 : 2;
    r.seek(2);
    auto name = r.bytes(h.nameLength);
    f.name.assign(name.begin(), name.end());
    r.seek(65);
    f.fileType = r.u32be();
    f.creator = r.u32be();
    UInt8 flagsHigh = r.u8();
    r.skip(1);
    f.location = r.point();
    f.folder = r.s16be();
    f.isProtected = r.u8();
    r.skip(1 + 8);
    f.creationDate = r.u32be();
    f.modificationDate = r.u32be();
    r.skip(2);
    UInt8 flagsLow = r.u8();
    if (!r.ok()) return ioErr;
    f.finderFlags = UInt16(flagsHigh << 8 | flagsLow);
    auto data = bytes.subspan(dataStart, h.dataLength);
    f.dataFork.assign(data.begin(), data.end());
    if (h.resourceLength > 0) {
        auto rsrc = bytes.subspan(rsrcStart, h.resourceLength);
        f.resourceFork.assign(rsrc.begin(), rsrc.end());
    }
    *out = std::move(f);
    return noErr;
}

std::vector<UInt8> WriteMacBinary(const MacBinaryFile& file) {
    ByteWriter w;
    std::string_view name = TruncateUtf8(file.name, kMaxName);
    w.u8(0);
    w.u8(UInt8(name.size()));
    w.bytes(std::span(reinterpret_cast<const UInt8*>(name.data()), name.size()));
    w.zeros(kMaxName - name.size());
    w.u32be(file.fileType);
    w.u32be(file.creator);
    w.u8(UInt8(file.finderFlags >> 8));
    w.u8(0);
    w.point(file.location);
    w.s16be(file.folder);
    w.u8(file.isProtected);
    w.u8(0);
    w.u32be(UInt32(file.dataFork.size()));
    w.u32be(UInt32(file.resourceFork.size()));
    w.u32be(file.creationDate);
    w.u32be(file.modificationDate);
    w.u16be(0);  // no Get Info comment
    w.u8(UInt8(file.finderFlags));
    w.u32be(file.version == 3 ? kMacBinaryIIISignature : 0);
    w.zeros(116 - 106);
    w.u32be(0);  // total length, only for packed archives
    w.u16be(0);  // no secondary header
    w.u8(file.version == 3 ? 130 : 129);
    w.u8(129);
    w.u16be(Crc16Xmodem(w.buffer()));
    w.u16be(0);
    w.bytes(file.dataFork);
    w.zeros(PadTo128(file.dataFork.size()) - file.dataFork.size());
    w.bytes(file.resourceFork);
    w.zeros(PadTo128(file.resourceFork.size()) - file.resourceFork.size());
    return std::move(w.buffer());
}
