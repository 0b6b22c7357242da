// A one-line text-edit field drawn into its window's port, with the
// toolbox's TextEdit calls: the caret blinks from TEIdle, clicks place and
// extend the selection, keys insert, delete and move. Text is UTF-8.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/raster/QDTypes.h"

#include <string>

struct TERec;
using TEHandle = TERec*;

// A field drawing into the current port over `destRect` (clipped to
// `viewRect`); none when memory runs out.
TEHandle TENew(const Rect& destRect, const Rect& viewRect);
void TEDispose(TEHandle te);
void TESetText(const void* text, SInt32 length, TEHandle te);
std::string TEGetText(TEHandle te);
void TESetSelect(SInt32 selStart, SInt32 selEnd, TEHandle te);
SInt32 TEGetSelStart(TEHandle te);
SInt32 TEGetSelEnd(TEHandle te);
void TEActivate(TEHandle te);
void TEDeactivate(TEHandle te);
Boolean TEIsActive(TEHandle te);
void TEClick(Point localPt, Boolean extend, TEHandle te);
void TEKey(char16_t key, TEHandle te);
void TEIdle(TEHandle te);
void TEUpdate(const Rect& updateRect, TEHandle te);
// The port the field draws into.
CGrafPtr TEGetPort(TEHandle te);
// The Edit menu on a field: the selection to and from the system clipboard
// as plain text (one line: line breaks pasted become spaces), and deleted.
void TECut(TEHandle te);
void TECopy(TEHandle te);
void TEPaste(TEHandle te);
void TEDelete(TEHandle te);
// Whether the clipboard holds text a field can paste.
Boolean TEScrapHasText();
