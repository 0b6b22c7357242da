// What the control and dialog files need from the menu layer's records.
#pragma once

#include "platform/ui/Menus.h"
#include "platform/ui/UiResources.h"

namespace ui_internal {

// False for a menu that was disposed of (a pop-up control may outlive its menu).
bool IsLiveMenu(MenuRef menu);
// The items of a menu as the program last set them; none for a menu that is not live.
const MenuData* MenuContents(MenuRef menu);

}  // namespace ui_internal
