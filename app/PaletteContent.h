// What the palette windows show and do until each palette's own code takes
// over: the pictures of the tool, colour and title windows, the blend
// palette's buffer, the About box and the cursor.
#pragma once

#include "app/CursorUpdate.h"
#include "platform/ui/Events.h"
#include "platform/ui/Windows.h"

void DrawBlend();
// Whether the palette has anything to show (the dot-mode palette: while the
// front paint document is in dot mode).
Boolean PaletteHasContent(WindowRef window);
void DrawPaletteContent(WindowRef window, SInt16 kind);
void ClickPaletteContent(WindowRef window, SInt16 kind, Point local, const EventRecord* event);
void DoAboutBox();
