// What the desktop shows for files and folders, and custom icons as Linux
// file managers find them.
//
// A custom icon lives where the toolbox keeps it: resource 'icns' -16455
// (or member resources -16455) in a file's resource fork, or in the
// invisible file "Icon\r" inside a folder, with the item's Finder flag
// kHasCustomIcon set. Linux file managers read none of that, so a custom
// icon is also published as a PNG picture beside the item:
//   file   "dir/name"  ->  "dir/.name.icon.png"
//   folder "dir/name"  ->  "dir/name/.icon.png"
// named by GIO's "metadata::custom-icon" attribute of the item (GNOME and
// its kin; set only where the desktop's metadata service runs) and, for a
// folder, by "Icon=./.icon.png" in the [Desktop Entry] group of its
// ".directory" file (KDE).
//
// Icon references: GetIconRefFromFile gives the family the desktop shows
// for an item: its custom icon when the item has one, else the icon of the
// freedesktop icon theme for its MIME type ("folder" for folders) rendered
// as 16, 32 and 128-pixel 32-bit members with 8-bit masks, and 'ICN#' and
// 'ics#' drawn from the alpha.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/icons/IconFamily.h"

#include <span>
#include <string>
#include <string_view>
#include <vector>

// The custom icon's resource ID.
inline constexpr ResID kCustomIconResourceID = -16455;
// The invisible file inside a folder that carries the folder's custom icon.
inline constexpr std::string_view kFolderIconFileName = "Icon\r";
// The largest ".directory" file read for rewriting.
inline constexpr size_t kMaxDirectoryEntryBytes = size_t(1) << 20;

// ---- publishing custom icons ----

// Where the published picture of an item's custom icon lives.
std::string PublishedIconPath(const std::string& path, bool isFolder);

// Writes the picture beside the item (a new file renamed over the old) and
// points the item's metadata and, for a folder, its ".directory" at it.
// GIO's "not supported" (no metadata service) is not an error; any other
// failure is returned.
[[nodiscard]] OSErr PublishCustomIcon(const std::string& path, bool isFolder, std::span<const UInt8> png);
// Takes all of that away again: the picture, the metadata attribute and the
// ".directory" Icon line that names the picture (the file goes when nothing
// else is left in it). Missing pieces are not an error.
[[nodiscard]] OSErr RemovePublishedCustomIcon(const std::string& path, bool isFolder);

// A ".directory" desktop entry with "Icon=<icon>" in its [Desktop Entry]
// group (added when missing); every other line is kept as it was.
std::string DirectoryEntryWithIcon(std::string_view text, std::string_view icon);
// The same without an "Icon=" line of that group that names `icon`.
std::string DirectoryEntryWithoutIcon(std::string_view text, std::string_view icon);
// True when the entry holds nothing but blank lines and empty group headers.
bool IsEmptyDirectoryEntry(std::string_view text);

// ---- the icon the desktop shows ----

// The custom icon of an item as an 'icns' family: resource 'icns' -16455
// when present, else the member resources -16455 gathered into a family.
// noSuchIconErr when the item has no custom icon (no kHasCustomIcon flag,
// no icon file, no icon resources); a fork that does not parse gives its
// error.
[[nodiscard]] OSErr ReadCustomIconFamily(const FSSpec* item, std::vector<UInt8>* family);

struct OpaqueIconRef;
using IconRef = OpaqueIconRef*;

// A reference to the icon the desktop shows for a file or folder (the
// caller releases it). fnfErr for a missing item; noSuchIconErr when neither
// a custom icon nor a theme icon can be found. The label is always 0.
[[nodiscard]] OSErr GetIconRefFromFile(const FSSpec* theFile, IconRef* theIconRef, SInt16* theLabel);
// A new family (the caller frees it) with the reference's members of the
// selector types; kSelectorAllAvailableData gives every member, the
// 128-pixel ones included.
[[nodiscard]] OSErr IconRefToIconFamily(IconRef theIconRef, IconSelectorValue whichIcons,
                                        IconFamilyHandle* iconFamily);
[[nodiscard]] OSErr ReleaseIconRef(IconRef theIconRef);

