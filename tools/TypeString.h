// Type Text: a line of text in a chosen font, size and style, in the pen
// colour on the background colour, optionally smoothed, placed into the
// front paint window as a floating selection.
#pragma once

#include "paint/PaintWindow.h"
#include "platform/raster/GWorld.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Windows.h"

// The settings as the program works on them; typeStringPrefs ('pprf' 131,
// gTypeStringPrefs) holds them in their stored layout.
struct TypeStringSettings {
    SInt16 font = 0;       // font family number
    SInt16 size = 12;      // points, 1 to 32767
    SInt16 face = 0;       // 1 bold, 2 italic, 4 underline, 8 outline, 16 shadow
    Str255 text{};
    UInt8 smooth = 0;
    SInt16 fontItem = 0;   // the font's item in the font pop-up
};
TypeStringSettings LoadTypeStringSettings();  // from gTypeStringPrefs
void StoreTypeStringSettings(const TypeStringSettings& settings);

// Edit item 12: the dialog, then the text placed as a floating selection; undo mode 16.
void TypeString(WindowRef window);
// Dialog 133 on a working copy of the settings; the item that ended it (1 OK, 2 Cancel).
DialogItemIndex ConfigureTypeString(TypeStringSettings* settings);
// Redraws the dialog's preview of the text in the chosen font, size and face.
void TypeStringTEUpdate(const TypeStringSettings* settings, DialogRef dialog);

// The text drawn as TypeString draws it: a 32-bit image over (0, 0, width,
// height) and a 1-bit mask of its opaque pixels. memFullErr when a buffer
// cannot be made (or would exceed the picture caps).
struct TypedText {
    UniqueGWorld image;
    UniqueGWorld mask;
    Rect frame{};
};
[[nodiscard]] OSErr RenderTypeString(const TypeStringSettings& settings, TypedText* out);
// Places rendered text into the window as a new floating selection at the
// top-left of the picture (the buffers grow when it does not fit). On
// failure the document is left as it was and the error returned.
[[nodiscard]] OSErr PlaceTypedText(WindowRef window, TypedText* typed, Boolean smooth);
