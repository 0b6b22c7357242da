// Icon families: the published 'icns' container, in memory (a handle holding
// the container's bytes), as an 'icns' resource (the same bytes) and as a
// data-fork file.
//
// Layout, all big-endian: 'icns', the u32 length of the whole family, then
// elements of a type, a u32 length that counts the 8-byte element header,
// and the data. Families are read as they are and written back byte for
// byte: only the elements an operation names are touched, so members this
// layer does not know ('TOC ', 'ic08', 'name', ...) survive every edit.
//
// The 32-bit members 'is32', 'il32', 'ih32' and 'it32' are packed in a
// family (IcnsRle.h; 'it32' data starts with four zero bytes) and unpacked
// in a suite and in what GetIconFamilyData returns: there a member is w*h
// pixels of four bytes (pad, red, green, blue). Packed data whose length is
// exactly w*h*4 cannot be told from plain pixels and is taken as plain.
//
// Hostile families: the length in the header and the real size may differ;
// the smaller one bounds the family and bytes beyond it are ignored (and
// not written again). Every element must have a length of at least 8 that
// lies within that bound, and the elements must fill it exactly. A family
// of more than kMaxIconFamilyElements elements is refused. Damaged families
// give paramErr; GetIconFamilyData of an absent type gives
// noIconDataAvailableErr (-2582).
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/icons/IconSuites.h"

#include <span>
#include <string>
#include <vector>

using IconFamilyHandle = Handle;

inline constexpr OSType kIconFamilyType = FourCC("icns");
inline constexpr size_t kIconFamilyHeaderSize = 8;
inline constexpr size_t kMaxIconFamilyElements = 4096;
// Larger than any family of real icons (several 1024 x 1024 PNG members).
inline constexpr size_t kMaxIconFamilyBytes = size_t(256) << 20;

struct IconFamilyElement {
    OSType type = 0;
    size_t offset = 0;  // of the element header within the family
    UInt32 length = 0;  // including the 8-byte header
    std::span<const UInt8> data(std::span<const UInt8> family) const {
        return family.subspan(offset + kIconFamilyHeaderSize, length - kIconFamilyHeaderSize);
    }
};

// Reads the element table of family bytes. `familyLength` (optional)
// receives the bound used (the smaller of header length and size).
[[nodiscard]] OSErr ParseIconFamily(std::span<const UInt8> bytes, std::vector<IconFamilyElement>* elements,
                                    std::string* reason = nullptr, size_t* familyLength = nullptr);

// Edge length of a packed 32-bit member type, or 0 for other types.
int PackedIconEdge(OSType type);
// A member as stored in a family into its suite form: packed members are
// unpacked (`wasPacked` says whether they were), others copied. Empty data
// stays empty.
[[nodiscard]] OSErr UnpackIconData(OSType type, std::span<const UInt8> stored, std::vector<UInt8>* out,
                                   bool* wasPacked = nullptr, const char** reason = nullptr);
// A member in suite form into its family form: plain pixels of a packed
// type (exactly w*h*4 bytes) are packed; data of another length must
// already unpack, else paramErr; other types are copied.
[[nodiscard]] OSErr PackIconData(OSType type, std::span<const UInt8> member, std::vector<UInt8>* out);

// A new family with no elements.
[[nodiscard]] OSErr NewIconFamily(IconFamilyHandle* family);
// The suite's members of the selector types (ascending selector bits;
// absent members skipped) in a new family the caller owns. A 32-bit member
// that is neither plain pixels nor packed data that unpacks is paramErr:
// no family is made rather than one that cannot be read back.
[[nodiscard]] OSErr IconSuiteToIconFamily(IconSuiteRef iconSuite, IconSelectorValue whichIcons,
                                          IconFamilyHandle* iconFamily);
// A new suite (the caller owns it and its members) holding a copy of every
// element of the selector types, unpacked. The first element of a type wins.
[[nodiscard]] OSErr IconFamilyToIconSuite(IconFamilyHandle iconFamily, IconSelectorValue whichIcons,
                                          IconSuiteRef* iconSuite);
// Resizes `h` to the member's data and copies it (unpacked).
[[nodiscard]] OSErr GetIconFamilyData(IconFamilyHandle iconFamily, OSType iconType, Handle h);
// Replaces the first element of the type in place, or appends one; the
// other elements keep their order and bytes.
[[nodiscard]] OSErr SetIconFamilyData(IconFamilyHandle iconFamily, OSType iconType, Handle h);

// Family bytes from a file or another container, checked, in a new handle:
// bytes past the family's bound are dropped and the header's length made to
// tell the truth, so that what is read is what would be written.
[[nodiscard]] OSErr NewIconFamilyFromBytes(std::span<const UInt8> bytes, IconFamilyHandle* iconFamily);
// The bytes a file holding the family gets (checked, header length true).
[[nodiscard]] OSErr IconFamilyFileBytes(IconFamilyHandle iconFamily, std::vector<UInt8>* bytes);

// The whole data fork of an icon-family file, checked, in a new handle.
[[nodiscard]] OSErr ReadIconFamilyFile(const std::string& path, IconFamilyHandle* iconFamily);
// Writes the family as the file's whole data fork. The bytes go to a new
// file beside it that then replaces it, so a failure never leaves half a
// family behind.
[[nodiscard]] OSErr WriteIconFamilyFile(const std::string& path, IconFamilyHandle iconFamily);
