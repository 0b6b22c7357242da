// The messages of opening documents, importing pictures and the external
// editor (string list kOpenErrStrings), and the alert that names a file and
// says why it failed.
#pragma once

#include "platform/core/MacTypes.h"

#include <string_view>

enum : SInt16 { kOpenErrStrings = 4016 };
enum : SInt16 {
    kNotAPictureMessage = 1,   // ^0 the file
    kCannotImportMessage = 2,  // ^0 the file, ^1 why
    kDrawingSizeMessage = 3,
    kEditorOutMessage = 4,     // ^0 why
    kEditorBackMessage = 5,    // ^0 the file, ^1 why
};
// In the picture file messages.
enum : SInt16 { kAliasMessage = 12, kCannotOpenItemMessage = 15 };

// Alert 201 with message `index` of kOpenErrStrings, ^0 and ^1 replaced.
void AlertWithReason(SInt16 index, std::string_view param0, std::string_view param1);
