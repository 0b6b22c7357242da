// The blend palette's commands: clicks in its window, its menu (169 in the
// bar, 170 as a pop-up), locking, and blend palette files ('iBld': a
// resource file holding the current and previous colours as 'clut' 128).
// Drawing the palette is DrawBlend (app/PaletteContent.h).
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"
#include "platform/ui/NavDialogs.h"

#include <span>

inline constexpr OSType kBlendFileType = FourCC("iBld");
inline constexpr ResID kBlendColorsID = 128;
// Messages of string list 4007 (kBlendErrStrings, app/Alerts.h).
enum : SInt16 { kBlendCannotWriteItem = 1, kBlendCannotOpenItem = 2 };

// Window-coordinate click; the modifiers as the click's event held them.
void ClickBlendPalette(Point pt, Boolean option, Boolean command, Boolean control);
void DoBlendPop(Point pt);
// 1 load, 2 save, 4 lock or unlock; other items do nothing.
void HandleBlendPaletteChoice(SInt16 item);

// Loads the file's two colours as the locked palette's derived colours and
// leaves the current, previous and background colours as they were. A file
// that cannot be opened, or whose 'clut' 128 is missing or holds fewer than
// two entries, is refused with alert 4007/2 and changes nothing.
OSErr LoadBlendPalette(const FSSpec& fileSpec);
// Writes the current and previous colours as the file's only resource,
// replacing the file whole (beside and renamed over). Alert 4007/1 on failure.
OSErr SaveBlendPalette(const FSSpec& fileSpec);
[[nodiscard]] OSErr SaveBlendPaletteWithNav(FSSpec* fileSpec, NavReplyRecord* reply, ConstStr255Param message,
                                            ConstStr255Param name);

// The two colours of a blend palette file's 'clut' 128: false when the bytes
// are too short or hold fewer than two entries.
bool ParseBlendColors(std::span<const UInt8> clut, RGBColor* current, RGBColor* previous);

void UpdateCursorInBlendPalette(Point globalPt);
