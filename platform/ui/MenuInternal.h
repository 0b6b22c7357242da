// What the control and dialog files need from the menu layer's records.
#pragma once

#include "platform/ui/Menus.h"
#include "platform/ui/UiResources.h"

namespace ui_internal {

// The items of a menu as the program last set them; none for a null menu.
const MenuData* MenuContents(MenuRef menu);

}  // namespace ui_internal
