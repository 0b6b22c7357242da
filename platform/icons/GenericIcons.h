// The generic icons the system offers for kinds of items: a document, an
// application and a folder. The artwork is the platform layer's own, drawn
// at each member size, so that every member is a picture made for its size
// rather than a scaled copy of another.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/Files.h"
#include "platform/icons/DesktopIcons.h"

#include <vector>


inline constexpr OSType kSystemIconsCreator = FourCC("macs");
inline constexpr OSType kGenericDocumentIcon = FourCC("docu");
inline constexpr OSType kGenericApplicationIcon = FourCC("APPL");
inline constexpr OSType kGenericFolderIcon = FourCC("fldr");

// A family with all fourteen members of the generic icon of `iconType`:
// 'ICN#', 'icl4', 'icl8', 'il32', 'l8mk', their small and 128-pixel
// counterparts. noSuchIconErr for a type without a generic icon.
[[nodiscard]] OSErr GenericIconFamily(OSType iconType, std::vector<UInt8>* family);

// A reference to the system's icon of that creator and type (the caller
// releases it). Only the generic icons of creator 'macs' are known;
// noSuchIconErr for others.
[[nodiscard]] OSErr GetIconRef(SInt16 vRefNum, OSType creator, OSType iconType, IconRef* theIconRef);
