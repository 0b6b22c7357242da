// The family window's record and layout: where each member is drawn and how
// far the member walks go.
#include "icons/FamilyWindow.h"

#include "app/Shell.h"

const std::array<Rect, kIconKindCount> familyIconRect = {{
    {36, 11, 68, 43},     // icl8
    {36, 57, 68, 89},     // icl4
    {36, 103, 68, 135},   // ICN#
    {36, 149, 68, 181},   // ICN# mask
    {97, 19, 113, 35},    // ics8
    {97, 65, 113, 81},    // ics4
    {97, 111, 113, 127},  // ics#
    {97, 157, 113, 173},  // ics# mask
    {36, 205, 68, 237},   // il32
    {36, 251, 68, 283},   // l8mk
    {97, 213, 113, 229},  // is32
    {97, 259, 113, 275},  // s8mk
    {144, 11, 272, 139},  // it32
    {144, 155, 272, 283}, // t8mk
}};

FamilyWinRec* GetFamilyWinRec(WindowRef window) {
    if (!window || GetExtWindowKind(window) != kFamilyWindowKind) return nullptr;
    return static_cast<FamilyWinRec*>(GetWRefCon(window));
}

SInt16 LastVisibleKind(const FamilyWinRec& family) {
    if (!family.show32) return kKindIcsMask;
    return isThumbnailIconsAvailable ? kKindT8mk : kKindS8mk;
}
