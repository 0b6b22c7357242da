// Replacing one colour (or transparency) by another colour (or by
// transparency) within the document's selRect.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/ui/Windows.h"

// Undoable replacement in the window's document; true when the document
// changed (undo mode 14 is then set).
Boolean DoReplaceColor(WindowRef window, const RGBColor* from, Boolean fromTransparent, const RGBColor* to,
                       Boolean toTransparent);

// The pixel work alone, within selRect of offPort and maskPort:
// - from transparency: every transparent pixel takes the to colour, and the
//   whole selection becomes opaque;
// - from a colour: every opaque or transparent pixel of that colour takes the
//   to colour. Direct pixels match exactly; in indexed pictures both colours
//   stand for their nearest table colours, as painting with them gave. To
//   transparency, the replaced pixels become transparent, and replacing
//   white by transparency rebuilds the mask from the colours.
// False when a mask could not be made (the colours are replaced all the same).
Boolean ReplaceColorMain(PaintWinRec* rec, const RGBColor* from, Boolean fromTransparent, const RGBColor* to,
                         Boolean toTransparent);
