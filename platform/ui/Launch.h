// Launch Services: opening a document in another application, without
// waiting for it.
#pragma once

#include "platform/core/MacTypes.h"
#include "platform/files/FSSpec.h"

// Opens the document in the application (a program file the system can
// run), or, with none, in the desktop's default application for it
// (xdg-open). The application runs on its own; fnfErr when it cannot be
// started.
[[nodiscard]] OSErr LaunchApplicationWithDocument(const FSSpec* application, const FSSpec& document);
// Whether the desktop can open documents in their default application.
Boolean CanOpenInDefaultApplication();
