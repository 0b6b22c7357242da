// MacBinary II and III: a 128-byte header naming the file and its Finder
// information, then the data fork and the resource fork, each padded to a
// multiple of 128 bytes. The header carries a CRC-16 (XMODEM) of its first
// 124 bytes; version III adds the 'mBIN' signature.
#pragma once

#include "platform/core/MacTypes.h"

#include <span>
#include <string>
#include <vector>

inline constexpr size_t kMacBinaryHeaderSize = 128;
inline constexpr OSType kMacBinaryIIISignature = 0x6D42494E;  // 'mBIN'

// CRC-16/XMODEM: polynomial 0x1021, initial value 0, no reflection.
UInt16 Crc16Xmodem(std::span<const UInt8> bytes, UInt16 crc = 0);

struct MacBinaryFile {
    int version = 2;                // 2 or 3
    std::string name;               // 1 to 63 bytes
    OSType fileType = 0;
    OSType creator = 0;
    UInt16 finderFlags = 0;         // high byte at 73, low byte at 101
    Point location;
    SInt16 folder = 0;
    UInt8 isProtected = 0;
    UInt32 creationDate = 0;        // seconds since 1904
    UInt32 modificationDate = 0;
    std::vector<UInt8> dataFork;
    std::vector<UInt8> resourceFork;
};

// A cheap check of the header alone (zero bytes, name length, CRC).
bool LooksLikeMacBinary(std::span<const UInt8> bytes);

// paramErr when the bytes are not MacBinary II/III (bad header or CRC);
// ioErr when the header is sound but the forks reach past the end.
[[nodiscard]] OSErr ParseMacBinary(std::span<const UInt8> bytes, MacBinaryFile* out);

// Writes MacBinary II (or III when version is 3). A name longer than 63
// bytes is cut, never inside a UTF-8 character.
std::vector<UInt8> WriteMacBinary(const MacBinaryFile& file);
