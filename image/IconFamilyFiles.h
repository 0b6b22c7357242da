// Icon-family files: an 'icns' family as a file's data fork. Files are read
// as plain files or as MacBinary files (the family is their data fork) and
// written back in the form they were read; a new file is a plain file of
// type 'icns' and creator 'Krvl'.
//
// Writing over an existing family keeps the members this program does not
// edit (the 48-pixel and mini members, the PNG and JPEG 2000 members, names,
// anything unknown) byte for byte after the icon's own members, in their
// order; the icon's members replace theirs, and a member the icon no longer
// has is gone. A table of contents, when the file had one, is made anew
// for what is written. The file is written beside its old self and renamed
// over it, so a failure leaves it as it was.
#pragma once

#include "image/KorvelIcon.h"
#include "platform/files/FSSpec.h"

#include <span>
#include <vector>

// The file's family as a record (IconFamilyToKorvelIcon); -1 without Icon
// Services.
[[nodiscard]] OSErr XIconToKorvelIcon(const FSSpec* file, KorvelIcon* icon);
// The file's family as a bare suite of the system selector's members; -1 on
// a system before 0x0850.
[[nodiscard]] OSErr XIconToIconSuite(const FSSpec* file, IconSuiteRef* suite);
// Writes the icon as the file's family, creating the file when missing; -1
// without Icon Services.
[[nodiscard]] OSErr MakeXIconWithKorvelIcon(const FSSpec* file, const KorvelIcon& icon);

// The family to write: the elements of `icon` (a family the record made),
// then the elements of `old` whose types the record cannot hold, in their
// order, with a new table of contents first when `old` had one. `old` that
// is not a family contributes nothing.
[[nodiscard]] OSErr MergeIconFamilies(std::span<const UInt8> icon, std::span<const UInt8> old,
                                      std::vector<UInt8>* merged);
