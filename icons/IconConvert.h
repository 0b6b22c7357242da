// Pictures and icon members: every way a member is seen, edited or replaced
// goes through a picture. A picture becomes a member by nearest-colour
// mapping, never by dithering, and members are never derived from one
// another. The member commands of the family window (edit, copy, cut, paste,
// clear, create empty, undo) and the return of a member's paint window are
// built on these conversions.
#pragma once

#include "icons/FamilyWindow.h"
#include "platform/core/MacTypes.h"
#include "platform/icons/IconSuites.h"
#include "platform/raster/QDTypes.h"
#include "platform/ui/Windows.h"

// A picture of one member of a bare suite (kinds 0-11), as
// KorvelIconToPicture makes it; none for other kinds or unreadable data.
PicHandle IconToPicture(IconSuiteRef suite, SInt16 kind);
// A new handle of exactly size × size × depth / 8 bytes of the kind (one
// half of 'ICN#'/'ics#' for kinds 2, 3, 6, 7) holding the picture converted
// to that member: kinds 3 and 7 take the picture's shape (every non-white
// pixel and the white it encloses), the others its colours mapped to the
// nearest of the member's table. None when memory runs out, the picture
// cannot be drawn, or its frame holds more than 2^24 pixels.
Handle PictureToIcon(PicHandle picture, SInt16 kind);
// Draws the picture into the rectangle of the current port; with no picture
// paints the rectangle enlarged by 2 with the light-grey pattern.
void MyDrawPicture(PicHandle picture, const Rect* rect);
// The area the picture's bit images cover (their destination rectangles, or
// their mask regions), when the picture holds bit images and nothing else
// that draws. True with the area in `region`.
Boolean GetPictureMask(PicHandle picture, RgnHandle region);

// Stores the picture into the selected member of the family window, with
// one undo step. maskByShape: a mask half takes the picture's shape; else
// its black pixels. A picture that cannot be converted is refused with an
// alert and changes nothing.
[[nodiscard]] OSErr SavePictureToIconData(PicHandle picture, WindowRef familyWindow, Boolean maskByShape);

// How EditFamilyIcon opens a member.
enum : SInt16 { kEditDefault = 0, kEditInPaintWindow = 1, kEditExternal = 2 };
// Opens the selected member in a paint window (or brings its open one to
// the front).
void EditFamilyIcon(WindowRef familyWindow, SInt16 mode);
// The member's paint window: the first visible paint window editing `kind`
// of the family window, or none.
WindowRef FindMemberPaintWindow(WindowRef familyWindow, SInt16 kind);

// The member commands of the family window's Edit menu and context menu.
void CopySelectedIconPicture(WindowRef familyWindow);
void DeleteSelectedIconPicture(WindowRef familyWindow);
void CutSelectedIconPicture(WindowRef familyWindow);
void PasteToSelectedIcon(WindowRef familyWindow);
void CreateEmptyIconData(WindowRef familyWindow);
void DoUndoIconFamily(WindowRef familyWindow);

// A member's paint window is saved: its image goes back into the member it
// edits. The error is returned after the user has been told.
[[nodiscard]] OSErr SaveToFamily(WindowRef paintWindow);
// Whether the paint window edits a member of a family window.
Boolean IsMemberPaintWindow(WindowRef paintWindow);
