// The path pop-up of a document window's title.
#pragma once

#include "platform/ui/Windows.h"

// Command-click on the title of a paint or icon-list window: a pop-up of the
// document's file and every folder that holds it, up to the root, at 20
// pixels left of the title text and 17 above the content. Choosing a folder
// shows it in the desktop's file manager. A document without a file shows
// nothing.
void TitlePopup(WindowRef window);
