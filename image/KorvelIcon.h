// The icon family model: the fourteen member kinds and their tables, the
// program's icon record `KorvelIcon` (an icon suite for kinds 0-11 plus the
// 128-pixel thumbnail image and mask), and the conversions between records,
// icon families and pictures. Icon resources and icon-family files are in
// IconResources.h and IconFamilyFiles.h, custom icons of files and folders
// in CustomIcons.h.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/icons/IconFamily.h"
#include "platform/icons/IconSuites.h"
#include "platform/raster/QDTypes.h"

#include <array>

inline constexpr int kIconKindCount = 14;
// Kinds with a fixed meaning in code that is not a table walk.
enum : SInt16 {
    kKindIcl8 = 0, kKindIcl4 = 1, kKindICNImage = 2, kKindICNMask = 3,
    kKindIcs8 = 4, kKindIcs4 = 5, kKindIcsImage = 6, kKindIcsMask = 7,
    kKindIl32 = 8, kKindL8mk = 9, kKindIs32 = 10, kKindS8mk = 11,
    kKindIt32 = 12, kKindT8mk = 13,
};

extern const std::array<OSType, kIconKindCount> gIconType;
extern const std::array<SInt16, kIconKindCount> gIconSize;
extern const std::array<SInt16, kIconKindCount> gIconDepth;
extern const std::array<SInt16, kIconKindCount> gIconUseDepth;
// The 32-bit kinds, 8 to 13, in the order the tests for 32-bit icons walk.
extern const std::array<SInt16, 6> g32BitIconKinds;

// The exact stored size of a member of `kind` (both halves for kinds 2, 3, 6
// and 7); data of any other size is unreadable.
Size IconKindDataSize(SInt16 kind);
// The byte offset of the member's pixels in its data: 128 for kind 3, 32 for
// kind 7, 0 otherwise.
Size IconKindDataOffset(SInt16 kind);
// The other half of a 1-bit member (2<->3, 6<->7), or -1.
SInt16 IconKindOtherHalf(SInt16 kind);
// The colour table a member of `kind` is drawn with, in both directions
// (member to picture and back): for the 8-bit masks (kinds 9, 11, 13) the
// inverted grey ramp, where 0 (transparent) shows white and 255 (opaque)
// black, so that drawing black makes a pixel opaque; for the other indexed
// kinds the standard table of their depth. None for the 32-bit kinds. The
// caller owns it (DisposeCTable).
CTabHandle GetIconKindCTable(SInt16 kind);

inline constexpr IconSelectorValue kClassicIconSelector = 0x0707;
inline constexpr IconSelectorValue kAll32IconSelector = 0x1F1F;

struct IconMemberSelector {
    UInt32 selector = kClassicIconSelector;
    Boolean withIt32 = false;
    Boolean withT8mk = false;
};
extern IconMemberSelector gSelector;
// The new-icon dialog's order of the ten selector bits.
extern const std::array<IconSelectorValue, 10> gSelectorList;

// 0x1F1F from system 0x0850 on, else 0x0707.
IconSelectorValue SystemIconSelector();

struct KorvelIcon {
    IconSuiteRef suite = nullptr;
    Handle it32Data = nullptr;
    Handle t8mkData = nullptr;
};

// The custom icon's resource ID in a file or folder.
inline constexpr ResID kCustomIconResID = -16455;
// The application's empty family, from which every built family starts.
inline constexpr ResID kEmptyIconFamilyResID = 2002;
inline constexpr OSType kKorvelCreator = FourCC("Krvl");

// The family's members of the selector, and its thumbnails when asked for
// (an absent one is none, not an error). On an error the record is empty.
[[nodiscard]] OSErr IconFamilyToKorvelIconWithSelector(IconFamilyHandle family, IconMemberSelector selector,
                                                       KorvelIcon* icon);
[[nodiscard]] OSErr IconFamilyToKorvelIcon(IconFamilyHandle family, KorvelIcon* icon);
// The caller owns and frees the new family.
[[nodiscard]] OSErr KorvelIconToIconFamily(const KorvelIcon& icon, IconFamilyHandle* family);

// The record's own handle (not a copy); for kinds 3 and 7 the whole 'ICN#' or
// 'ics#' handle. None when absent.
[[nodiscard]] OSErr GetDataFromKorvelIcon(Handle* data, const KorvelIcon& icon, SInt16 kind);
// The record takes `data` (nullptr removes the member). For kinds 12 and 13
// the previous handle is not freed here; for the suite's kinds the handle it
// replaces is freed.
[[nodiscard]] OSErr SetDataToKorvelIcon(Handle data, KorvelIcon* icon, SInt16 kind);
[[nodiscard]] OSErr KorvelIconHas32Icons(const KorvelIcon& icon, Boolean* has32);
[[nodiscard]] OSErr KorvelIconHasThumbnailIcon(const KorvelIcon& icon, Boolean* hasThumbnail);
Boolean IsKorvelIconHasThumbnailIcon(const KorvelIcon& icon);
Boolean Is32Exist(IconSuiteRef suite);
Boolean IsValidIconSuite(IconSuiteRef suite);
// False as soon as the family holds a 48-pixel or 16x12 member with data.
Boolean IsEditableIconFamily(IconFamilyHandle family);
// Frees the suite with its members and both thumbnail handles; the record is
// left empty.
OSErr DisposeKorvelIcon(KorvelIcon* icon);

// A colour picture of one member at its own depth and table, frame
// (0, 0, size, size); none for an absent member, a negative kind or data of
// the wrong size.
PicHandle KorvelIconToPicture(const KorvelIcon& icon, SInt16 kind);

// RAII owner for records built on the stack.
class KorvelIconOwner {
public:
    KorvelIconOwner() = default;
    explicit KorvelIconOwner(KorvelIcon icon) : icon_(icon) {}
    KorvelIconOwner(const KorvelIconOwner&) = delete;
    KorvelIconOwner& operator=(const KorvelIconOwner&) = delete;
    ~KorvelIconOwner() { (void)DisposeKorvelIcon(&icon_); }
    KorvelIcon* operator->() { return &icon_; }
    KorvelIcon& operator*() { return icon_; }
    KorvelIcon* get() { return &icon_; }
    // Hands the record over; the owner is left empty.
    KorvelIcon release() {
        KorvelIcon out = icon_;
        icon_ = {};
        return out;
    }

private:
    KorvelIcon icon_{};
};
