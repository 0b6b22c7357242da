// Icons as resources of the current resource file: reading an icon by ID,
// writing and removing members, copying the icons of one file into another,
// and the per-member actions handed to ForEachIconDo.
//
// A suite read with Get1IconSuite holds the resources' own handles, which
// stay with their file: detach them (DetachIcon) before the file closes if
// the icon is to outlive it. Disposing of such a suite leaves them alone.
#pragma once

#include "image/KorvelIcon.h"

// What AddIconToFile and ChangeIconInfo give the resources they write.
struct IconResInfo {
    ResID resID = 0;
    Str255 name = {0};
    SInt16 attributes = 0;
};

// Resource attributes of what the program writes into files: purgeable.
inline constexpr SInt16 kIconResourceAttributes = 32;

// With Icon Services an 'icns' resource of that ID is converted (the record
// holds copies); otherwise, or without one, the member resources of the ID
// (Get1IconSuite) and no thumbnail members.
[[nodiscard]] OSErr Get1KorvelIcon(KorvelIcon* icon, ResID resID, IconMemberSelector selector);
// A new suite of the member resources of that ID for each selector bit that
// has a type (IconTypeForSelectorBit); absent ones are skipped. On an error
// no suite is returned.
[[nodiscard]] OSErr Get1IconSuite(IconSuiteRef* suite, ResID resID, IconSelectorValue selector);

// Replaces any resource of that type and ID with a copy of the bytes, under
// that name (an empty one gives none) and with those attributes, marked
// changed.
[[nodiscard]] OSErr SaveDataToResource(std::span<const UInt8> data, ResType type, ResID resID,
                                       ConstStr255Param name, SInt16 attributes);
// Removes the custom icon's 'icns' resource (-16455), if there is one.
[[nodiscard]] OSErr DeleteIconFamilyResource();
// Copies every icon resource of `fromRefNum` (the eleven icon types, only the
// six classic ones without Icon Services) into `toRefNum` under the same
// type, ID and name, purgeable, replacing what is there; IDs for which the
// first file holds an 'iDel' resource are left out. The current resource
// file is given back.
[[nodiscard]] OSErr CopyIcons(SInt16 fromRefNum, SInt16 toRefNum);

// ForEachIconDo actions. `data` is an IconResInfo for AddIconToFile and
// ChangeIconInfo and unused by the others.
// Writes the member as resource `type` / info.resID of the current file; an
// empty member removes that resource, so that a member the icon no longer
// has leaves the file. A resource error ends the walk.
[[nodiscard]] OSErr AddIconToFile(ResType type, Handle* member, void* data);
// Detaches the member from its resource file and makes it unpurgeable.
[[nodiscard]] OSErr DetachIcon(ResType type, Handle* member, void* data);
// Removes the member's resource; the handle stays in the suite.
[[nodiscard]] OSErr DeleteIcon(ResType type, Handle* member, void* data);
// Gives the member's resource info.resID and info.name.
[[nodiscard]] OSErr ChangeIconInfo(ResType type, Handle* member, void* data);
