// AppleSingle and AppleDouble (version 2) containers: a header, an entry
// table (id, offset, length) and the entries' bytes. Parsing keeps every
// entry, known or not, byte for byte, so that rewriting a companion changes
// only what the caller changed.
#pragma once

#include "platform/core/MacTypes.h"

#include <array>
#include <span>
#include <vector>

inline constexpr UInt32 kAppleSingleMagic = 0x00051600;
inline constexpr UInt32 kAppleDoubleMagic = 0x00051607;
inline constexpr UInt32 kAppleDoubleVersion2 = 0x00020000;
inline constexpr size_t kAppleDoubleHeaderSize = 26;  // magic, version, filler, count
inline constexpr size_t kAppleDoubleEntrySize = 12;   // id, offset, length
inline constexpr size_t kFinderInfoSize = 32;         // FInfo + FXInfo

enum : UInt32 {
    kEntryDataFork = 1,
    kEntryResourceFork = 2,
    kEntryRealName = 3,
    kEntryComment = 4,
    kEntryFileDates = 8,
    kEntryFinderInfo = 9,
};

struct AppleDoubleEntry {
    UInt32 id = 0;
    std::vector<UInt8> bytes;
};

struct AppleDoubleFile {
    UInt32 magic = kAppleDoubleMagic;
    UInt32 version = kAppleDoubleVersion2;
    std::array<UInt8, 16> filler{};
    std::vector<AppleDoubleEntry> entries;  // in the order of the entry table

    const AppleDoubleEntry* find(UInt32 id) const;
    AppleDoubleEntry* find(UInt32 id);
    // Replaces the entry's bytes, adding the entry when missing.
    void set(UInt32 id, std::span<const UInt8> bytes);
    void remove(UInt32 id);
};

// The filler macOS writes into the companions it makes.
AppleDoubleFile NewAppleDouble();

// True when the bytes start with an AppleSingle or AppleDouble header.
bool HasAppleDoubleMagic(std::span<const UInt8> bytes);

// Parses either container. paramErr when the bytes are not one (wrong magic
// or version); ioErr when the header is damaged: an entry table longer than
// the file, entries reaching past the end, entries overlapping each other or
// the table, or an id given twice.
[[nodiscard]] OSErr ParseAppleDouble(std::span<const UInt8> bytes, AppleDoubleFile* out);

// Writes the container. Entries go in the order: Finder information first,
// then the others as they are, the resource fork last, as macOS lays out its
// companions (with just those two entries the Finder information lands at
// 0x32 and the resource fork follows it).
std::vector<UInt8> WriteAppleDouble(const AppleDoubleFile& file);

// The 32 bytes of Finder information of a parsed container (zeros where the
// entry is missing or short).
std::array<UInt8, kFinderInfoSize> FinderInfoBytes(const AppleDoubleFile& file);
// Replaces the first 32 bytes of the Finder information entry, keeping what
// follows them (macOS keeps extended attributes there).
void SetFinderInfoBytes(AppleDoubleFile* file, std::span<const UInt8, kFinderInfoSize> info);
