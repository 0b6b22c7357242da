// Placement of the program's small dialogs. (Showing and hiding palettes is
// declared with the Display menu in app/MenuBar.h.)
#pragma once

#include "platform/ui/Dialogs.h"

