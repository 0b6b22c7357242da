// The classic resource fork layout, parsed and written without any state.
//
// A fork is: a 16-byte header (data offset, map offset, data length, map
// length, all u32 big-endian); the data area, one u32 length plus bytes per
// resource; the map: a copy of the header, 4 + 2 reserved bytes (handle and
// reference number of a loaded map), the file attributes (u16), the offsets
// from the map's start of the type list and of the name list (u16 each).
// The type list is a count minus one (i16) and 8 bytes per type (type, count
// minus one, offset of its reference list from the type list's start); a
// reference is 12 bytes (ID i16, name offset i16 or -1, attributes u8, data
// offset u24 from the data area's start, 4 reserved bytes). Names are a
// length byte and the bytes.
//
// What the parser accepts (everything else is mapReadErr with a reason):
// - header, data area and map inside the input, the data area and the map
//   not overlapping each other or the header;
// - the type list and every reference list inside the map, after the map's
//   own 28-byte header, before the name list, and not overlapping each other;
// - every data block inside the data area and no two blocks overlapping, so
//   that the resources together never hold more bytes than the input;
// - no type listed twice and no ID twice within a type: the Resource Manager
//   here keys resources by type and ID, and a second copy could never be
//   reached or written back faithfully;
// - names inside the name list.
// A type whose count is -1 (no references) is accepted and dropped.
//
// The writer produces the compact form: header, 240 bytes of system and
// application data (kept as read; zeros for a new fork) so the data area
// starts at 256, the data blocks in map order, then the map with the header
// copied in, zeroed reserved fields, the type list, the reference lists in
// type order and the names in reference order.
#pragma once

#include "platform/core/MacTypes.h"

#include <array>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// Resource attributes.
enum : UInt8 {
    resSysRef = 128,  // also resSysHeap
    resSysHeap = 64,
    resPurgeable = 32,
    resLocked = 16,
    resProtected = 8,
    resPreload = 4,
    resChanged = 2,
};

// Resource file attributes.
enum : UInt16 {
    mapReadOnly = 128,
    mapCompact = 64,
    mapChanged = 32,
};

inline constexpr size_t kResourceForkHeaderSize = 16;
inline constexpr size_t kResourceForkDataStart = 256;
inline constexpr size_t kResourceMapHeaderSize = 28;
inline constexpr size_t kResourceTypeEntrySize = 8;
inline constexpr size_t kResourceRefEntrySize = 12;
// Data offsets in references have 24 bits.
inline constexpr size_t kMaxResourceDataOffset = (size_t(1) << 24) - 1;

struct ForkResource {
    ResType type = 0;
    ResID id = 0;
    bool hasName = false;
    std::string name;  // the stored bytes, at most 255
    UInt8 attributes = 0;
    std::vector<UInt8> data;
    friend bool operator==(const ForkResource&, const ForkResource&) = default;
};

struct ResourceForkImage {
    // Bytes 16 to 255 of the fork: reserved for the system and applications.
    std::array<UInt8, kResourceForkDataStart - kResourceForkHeaderSize> headerData{};
    UInt16 fileAttributes = 0;
    // Grouped by type, types in type-list order, each type's resources in
    // reference-list order.
    std::vector<ForkResource> resources;
    friend bool operator==(const ResourceForkImage&, const ResourceForkImage&) = default;
};

// mapReadErr with a one-line reason in `reason` (when given) for anything
// that is not a sound resource fork. An empty input is eofErr: no fork.
[[nodiscard]] OSErr ParseResourceFork(std::span<const UInt8> bytes, ResourceForkImage* image,
                                      std::string* reason = nullptr);

// The compact fork. Resources of one type need not be adjacent in `image`:
// they are grouped by type in order of first appearance. resChanged and
// mapChanged are not written. addResFailed when the resources cannot be
// represented (an offset field would overflow, a name is too long, or the
// same type and ID appear twice); paramErr for a null `out`.
[[nodiscard]] OSErr SerializeResourceFork(const ResourceForkImage& image, std::vector<UInt8>* out);

// The same from views of resources held elsewhere (the Resource Manager's
// open files), so that writing does not copy every resource first.
struct ForkResourceView {
    ResType type = 0;
    ResID id = 0;
    bool hasName = false;
    std::string_view name;
    UInt8 attributes = 0;
    std::span<const UInt8> data;
};
[[nodiscard]] OSErr SerializeResourceFork(std::span<const UInt8, kResourceForkDataStart - kResourceForkHeaderSize> headerData,
                                          UInt16 fileAttributes, std::span<const ForkResourceView> resources,
                                          std::vector<UInt8>* out);

// The header of a fork parses and its areas lie inside `bytes`: a cheap
// sniff for callers that must decide whether a data fork is a resource file.
bool LooksLikeResourceFork(std::span<const UInt8> bytes);
