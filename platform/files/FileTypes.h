// File types from names: the suffix table, the suffix of a name, changing a
// name's suffix, and the type of a file as the program sees it.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"

#include <span>

struct SuffixType {
    const char* suffix;  // with its dot, compared without regard to case
    OSType type;
};

// The suffix table, in the order it is searched.
std::span<const SuffixType> SuffixTable();
// Suffixes of the program's own files, searched after the table.
std::span<const SuffixType> OwnSuffixTable();

// The suffix starts at the last dot with at least one non-digit after it
// ("name.12" has none); copied with its dot, empty when there is none.
void GetSuffix(ConstStr255Param name, StringPtr suffix);
// Stores the type of the name's suffix when the suffix table has it, else
// leaves *type alone. Always noErr.
[[nodiscard]] OSErr GetFileTypeFromSuffix(ConstStr255Param name, OSType* type);
// The same, trying the program's own suffixes when the table has none.
[[nodiscard]] OSErr GetFileTypeFromAnySuffix(ConstStr255Param name, OSType* type);

// Copies src into dst, cut to at most maxLength bytes, never inside a UTF-8
// character.
void TruncPString(StringPtr dst, ConstStr255Param src, SInt16 maxLength);

// The longest file name ChangeSuffix makes, in bytes.
inline constexpr int kMaxSuffixedNameLength = 31;

// Replaces the name's suffix: cuts the suffix, then a trailing run of digits
// with the dot or the character before it ("image.3.png" -> "image"), cuts
// the base to fit 31 bytes with the new suffix, appends the suffix. Returns
// the length of the base name kept.
SInt16 ChangeSuffix(StringPtr name, ConstStr255Param suffix);

// The type of an item as the program sees it: 'fold' for a folder; the
// stored Finder type when there is one; else the type of the name's suffix
// (table, then the program's own); else 0.
[[nodiscard]] OSErr FSpGetFileType(const FSSpec* fileSpec, OSType* type);
