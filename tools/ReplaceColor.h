// Replacing one colour (or transparency) by another colour (or by
// transparency) within the document's selRect.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/ui/Windows.h"

// Undoable replacement in the window's document; true when the document
// changed (undo mode 14 is then set). A replacement that would change no
// pixel records nothing and leaves the document unmodified.
Boolean DoReplaceColor(WindowRef window, const RGBColor* from, Boolean fromTransparent, const RGBColor* to,
                       Boolean toTransparent);

// The pixel work alone, within selRect of offPort and maskPort:
// - from transparency: every transparent pixel takes the to colour, and the
//   whole selection becomes opaque;
// - from a colour: every opaque or transparent pixel of that colour takes the
//   to colour. Colours are compared as the pixels hold them: 8 bits a
//   component in direct pictures; in indexed pictures both colours stand for
//   their nearest table colours, as painting with them gave. To
//   transparency, the replaced pixels become transparent, and replacing
//   white by transparency rebuilds the mask from the colours.
// Returns the number of pixels whose colour or opacity changes; with `apply`
// clear nothing is written.
Size ReplaceColorMain(PaintWinRec* rec, const RGBColor* from, Boolean fromTransparent, const RGBColor* to,
                      Boolean toTransparent, Boolean apply = true);
