// Translation between Qt keys and the classic keyboard: virtual key codes
// by position on the ANSI layout, and the character codes the program reads.
#pragma once

#include "platform/ui/Events.h"

#include <QString>
#include <Qt>

namespace ui_internal {

struct KeyCodes {
    UInt8 keyCode = 0;
    UInt8 charCode = 0;
    EventModifiers modifierBit = 0;  // set for a modifier key pressed alone
};

// False for keys the program never sees.
bool MapQtKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text, KeyCodes* out);

// The Qt key, modifiers and text a keyboard would give for a classic key.
struct QtKeyPress {
    int key = 0;
    Qt::KeyboardModifiers modifiers;
    QString text;
};
QtKeyPress QtKeyFor(UInt8 keyCode, UInt8 charCode, EventModifiers modifiers);

}  // namespace ui_internal
