// Custom icons of files and folders: reading the icon an item shows,
// checking whether it can be edited, and giving an item an icon of its own.
//
// A file's custom icon is resource 'icns' -16455 plus the member resources
// -16455 in its resource fork; a folder's lives in the invisible file
// "Icon\r" (type 'icon', creator 'MACS') inside it. Either way the item's
// Finder flag kHasCustomIcon says it has one. UpdateFinderIcon publishes the
// icon for Linux file managers too (platform/icons/DesktopIcons.h).
#pragma once

#include "image/KorvelIcon.h"
#include "platform/codecs/PngCodec.h"
#include "platform/files/FSSpec.h"

// What FileIconCheck and FolderIconCheck report besides errors; the opener
// asks before it goes on.
enum : SInt16 {
    kIconCheckNeedsIconServices = 1,  // an 'icns' resource that needs Icon Services to read
    kIconCheckNoResourceFork = 2,     // the file has no resource fork
    kIconCheckNotEditable = 3,        // the family holds members the program cannot edit
};

// The icon the desktop shows for the item (its custom icon, else the icon of
// its kind) as a record the caller disposes of; `has32` says whether any
// 32-bit member came with it, `status` is set by the check above (whose
// errors are not returned).
[[nodiscard]] OSErr GetFileKorvelIcon(const FSSpec* item, KorvelIcon* icon, Boolean isFolder, Boolean* has32,
                                      SInt16* status);
// Leave `status` as the caller set it unless there is something to report.
[[nodiscard]] OSErr FileIconCheck(const FSSpec* file, SInt16* status);
// A folder flagged with a custom icon whose icon file is gone loses the flag.
[[nodiscard]] OSErr FolderIconCheck(const FSSpec* folder, SInt16* status);

// Give the item the icon as its custom icon, creating the file (an empty
// resource file of type 'rsrc', creator 'RSED') or the folder when missing.
// The resource fork is rewritten whole, beside the old and renamed over it,
// so a failure leaves the previous icon. An icon with no members removes the
// custom icon instead.
[[nodiscard]] OSErr MakeFileWithKorvelIcon(const FSSpec* file, const KorvelIcon& icon);
[[nodiscard]] OSErr MakeFolderWithKorvelIcon(const FSSpec* folder, const KorvelIcon& icon);
// The same for a bare suite (no thumbnail members); the suite stays the
// caller's.
[[nodiscard]] OSErr MakeFileWithIcon(const FSSpec* file, IconSuiteRef suite);
[[nodiscard]] OSErr MakeFolderWithIcon(const FSSpec* folder, IconSuiteRef suite);
// Takes the custom icon away: its resources (a folder's whole icon file),
// the Finder flag and what was published for file managers.
[[nodiscard]] OSErr RemoveCustomIcon(const FSSpec* item, Boolean isFolder);

// Tells the desktop that the item's icon changed: publishes a picture of the
// custom icon the item now carries for Linux file managers, or takes the
// published one away when it carries none.
[[nodiscard]] OSErr UpdateFinderIcon(const FSSpec* item);

// A new suite (system selector) of the icon the desktop shows for a file,
// owned by the caller.
[[nodiscard]] OSErr GetFileIconSuite(const FSSpec* file, IconSuiteRef* suite);

// The picture a family is published as: its largest member, deepest first
// ('it32' with 't8mk', 'il32' with 'l8mk', 'icl8', 'icl4', 'ICN#', then the
// 16-pixel members). 8-bit masks give the alpha, 1-bit masks 0 or 255, and
// a member without a mask is opaque. noSuchIconErr when no member can be
// drawn.
[[nodiscard]] OSErr IconFamilyToRgbaImage(IconFamilyHandle family, RgbaImage* image);
