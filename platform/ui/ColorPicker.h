// The colour picker: a modal dialog in which the user chooses a colour.
#pragma once

#include "platform/core/MacTypes.h"

// Shows the picker starting at `inColor`, titled with `prompt`, its top-left
// at global point `where` ((0, 0): placed by the system). True with the colour
// in *outColor when the user chose one; false, *outColor untouched, when the
// user cancelled. Tests answer it with ScriptColorPicker (Scripting.h).
Boolean GetColor(Point where, ConstStr255Param prompt, const RGBColor* inColor, RGBColor* outColor);
