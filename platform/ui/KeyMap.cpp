#include "platform/ui/KeyMap.h"

#include <array>

namespace ui_internal {
namespace {

struct KeyRow {
    int qtKey;
    UInt8 keyCode;
    UInt8 charCode;  // 0: taken from the letter, digit or text
    bool keypad;
};

// Special keys first; their character codes are fixed whatever the text says.
constexpr KeyRow kSpecial[] = {
    {Qt::Key_Left, kVK_LeftArrow, kLeftArrowCharCode, false},
    {Qt::Key_Right, kVK_RightArrow, kRightArrowCharCode, false},
    {Qt::Key_Up, kVK_UpArrow, kUpArrowCharCode, false},
    {Qt::Key_Down, kVK_DownArrow, kDownArrowCharCode, false},
    {Qt::Key_Home, kVK_Home, kHomeCharCode, false},
    {Qt::Key_End, kVK_End, kEndCharCode, false},
    {Qt::Key_PageUp, kVK_PageUp, kPageUpCharCode, false},
    {Qt::Key_PageDown, kVK_PageDown, kPageDownCharCode, false},
    {Qt::Key_Backspace, kVK_Delete, kBackspaceCharCode, false},
    {Qt::Key_Delete, kVK_ForwardDelete, kDeleteCharCode, false},
    {Qt::Key_Return, kVK_Return, kReturnCharCode, false},
    {Qt::Key_Enter, kVK_ANSI_KeypadEnter, kEnterCharCode, true},
    {Qt::Key_Tab, kVK_Tab, kTabCharCode, false},
    {Qt::Key_Backtab, kVK_Tab, kTabCharCode, false},
    {Qt::Key_Escape, kVK_Escape, kEscapeCharCode, false},
    {Qt::Key_Help, 0x72, kHelpCharCode, false},
    {Qt::Key_Space, kVK_Space, ' ', false},
    {Qt::Key_Clear, 0x47, 27, true},
};

constexpr std::array<UInt8, 26> kLetterCodes = {
    kVK_ANSI_A, kVK_ANSI_B, kVK_ANSI_C, kVK_ANSI_D, kVK_ANSI_E, kVK_ANSI_F, kVK_ANSI_G, kVK_ANSI_H, kVK_ANSI_I,
    kVK_ANSI_J, kVK_ANSI_K, kVK_ANSI_L, kVK_ANSI_M, kVK_ANSI_N, kVK_ANSI_O, kVK_ANSI_P, kVK_ANSI_Q, kVK_ANSI_R,
    kVK_ANSI_S, kVK_ANSI_T, kVK_ANSI_U, kVK_ANSI_V, kVK_ANSI_W, kVK_ANSI_X, kVK_ANSI_Y, kVK_ANSI_Z,
};
constexpr std::array<UInt8, 10> kDigitCodes = {
    kVK_ANSI_0, kVK_ANSI_1, kVK_ANSI_2, kVK_ANSI_3, kVK_ANSI_4,
    kVK_ANSI_5, kVK_ANSI_6, kVK_ANSI_7, kVK_ANSI_8, kVK_ANSI_9,
};
constexpr std::array<UInt8, 10> kKeypadDigitCodes = {0x52, 0x53, 0x54, 0x55, 0x56, 0x57, 0x58, 0x59, 0x5B, 0x5C};

// Punctuation by the unshifted character of its key.
struct PunctRow {
    char plain, shifted;
    UInt8 keyCode;
};
constexpr PunctRow kPunct[] = {
    {'=', '+', 0x18}, {'-', '_', 0x1B}, {']', '}', 0x1E}, {'[', '{', 0x21}, {'\'', '"', 0x27}, {';', ':', 0x29},
    {'\\', '|', 0x2A}, {',', '<', 0x2B}, {'/', '?', 0x2C}, {'.', '>', 0x2F}, {'`', '~', 0x32},
};
// Keypad operators.
constexpr PunctRow kKeypadPunct[] = {
    {'.', '.', 0x41}, {'*', '*', 0x43}, {'+', '+', 0x45}, {'/', '/', 0x4B}, {'-', '-', 0x4E}, {'=', '=', 0x51},
};
// Shifted digits of the ANSI layout, so a typed '!' is the 1 key.
constexpr char kShiftedDigits[] = ")!@#$%^&*(";

constexpr struct {
    int qtKey;
    UInt8 keyCode;
    EventModifiers bit;
} kModifierKeys[] = {
    {Qt::Key_Control, kVK_Command, cmdKey},
    {Qt::Key_Shift, kVK_Shift, shiftKey},
    {Qt::Key_Alt, kVK_Option, optionKey},
    {Qt::Key_Meta, kVK_Control, controlKey},
    {Qt::Key_Super_L, kVK_Control, controlKey},
    {Qt::Key_Super_R, kVK_Control, controlKey},
};

constexpr UInt8 kFunctionCodes[] = {0x7A, 0x78, 0x63, 0x76, 0x60, 0x61, 0x62, 0x64,
                                    0x65, 0x6D, 0x67, 0x6F, 0x69, 0x6B, 0x71};
constexpr UInt8 kFunctionKeyCharCode = 16;

}  // namespace

bool MapQtKey(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text, KeyCodes* out) {
    *out = KeyCodes{};
    const bool keypad = modifiers & Qt::KeypadModifier;
    const bool shift = modifiers & Qt::ShiftModifier;
    for (const auto& m : kModifierKeys) {
        if (m.qtKey == qtKey) {
            out->keyCode = m.keyCode;
            out->modifierBit = m.bit;
            return true;
        }
    }
    for (const KeyRow& r : kSpecial) {
        if (r.qtKey == qtKey) {
            out->keyCode = r.keyCode;
            out->charCode = r.charCode;
            return true;
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        // By the key, not the text: with Ctrl held the text is a control character.
        const int i = qtKey - Qt::Key_A;
        out->keyCode = kLetterCodes[size_t(i)];
        const QChar t = text.size() == 1 ? text[0] : QChar();
        const bool plainText = t.unicode() >= 0x20 && t.unicode() < 0x7F && !(modifiers & Qt::ControlModifier);
        out->charCode = plainText ? UInt8(t.unicode()) : UInt8((shift ? 'A' : 'a') + i);
        return true;
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        const int i = qtKey - Qt::Key_0;
        out->keyCode = keypad ? kKeypadDigitCodes[size_t(i)] : kDigitCodes[size_t(i)];
        out->charCode = UInt8('0' + i);
        return true;
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F15) {
        out->keyCode = kFunctionCodes[qtKey - Qt::Key_F1];
        out->charCode = kFunctionKeyCharCode;
        return true;
    }
    if (qtKey > 0x20 && qtKey < 0x7F) {
        const char c = char(qtKey);
        if (keypad) {
            for (const PunctRow& p : kKeypadPunct) {
                if (p.plain == c) {
                    out->keyCode = p.keyCode;
                    out->charCode = UInt8(c);
                    return true;
                }
            }
        }
        for (int d = 0; d < 10; ++d) {
            if (kShiftedDigits[d] == c) {
                out->keyCode = kDigitCodes[size_t(d)];
                out->charCode = UInt8(c);
                return true;
            }
        }
        for (const PunctRow& p : kPunct) {
            if (p.plain == c || p.shifted == c) {
                out->keyCode = p.keyCode;
                out->charCode = UInt8(c);
                return true;
            }
        }
    }
    // Other characters (accented letters) keep their code when it fits a byte.
    if (text.size() == 1 && text[0].unicode() >= 0x20 && text[0].unicode() < 0x100) {
        out->keyCode = 0x7F;
        out->charCode = UInt8(text[0].unicode());
        return true;
    }
    return false;
}

QtKeyPress QtKeyFor(UInt8 keyCode, UInt8 charCode, EventModifiers modifiers) {
    QtKeyPress k;
    if (modifiers & cmdKey) k.modifiers |= Qt::ControlModifier;
    if (modifiers & shiftKey) k.modifiers |= Qt::ShiftModifier;
    if (modifiers & optionKey) k.modifiers |= Qt::AltModifier;
    if (modifiers & controlKey) k.modifiers |= Qt::MetaModifier;
    for (const auto& m : kModifierKeys) {
        if (m.keyCode == keyCode) {
            k.key = m.qtKey;
            return k;
        }
    }
    for (const KeyRow& r : kSpecial) {
        if (r.keyCode == keyCode) {
            k.key = r.qtKey;
            if (r.keypad) k.modifiers |= Qt::KeypadModifier;
            if (r.charCode >= 8) k.text = QString(QChar(r.charCode == kDeleteCharCode ? 0x7F : r.charCode));
            return k;
        }
    }
    for (size_t i = 0; i < kLetterCodes.size(); ++i) {
        if (kLetterCodes[i] == keyCode) {
            k.key = Qt::Key_A + int(i);
            // Ctrl turns a letter into its control character, as keyboards do.
            const char c = (modifiers & cmdKey) ? char((charCode | 0x20) - 'a' + 1) : char(charCode);
            k.text = QString(QChar(c));
            return k;
        }
    }
    for (size_t i = 0; i < 10; ++i) {
        if (kDigitCodes[i] == keyCode || kKeypadDigitCodes[i] == keyCode) {
            const bool shiftedChar = charCode < '0' || charCode > '9';
            k.key = shiftedChar ? int(charCode) : Qt::Key_0 + int(i);
            if (kKeypadDigitCodes[i] == keyCode) k.modifiers |= Qt::KeypadModifier;
            k.text = QString(QChar(charCode));
            return k;
        }
    }
    for (size_t i = 0; i < std::size(kFunctionCodes); ++i) {
        if (kFunctionCodes[i] == keyCode) {
            k.key = Qt::Key_F1 + int(i);
            return k;
        }
    }
    for (const PunctRow& p : kKeypadPunct) {
        if (p.keyCode == keyCode) {
            k.key = p.plain;
            k.modifiers |= Qt::KeypadModifier;
            k.text = QString(QChar(p.plain));
            return k;
        }
    }
    // Punctuation and anything else: Qt names printable keys by their character.
    k.key = charCode >= 'a' && charCode <= 'z' ? charCode - 0x20 : charCode;
    k.text = QString(QChar(charCode));
    return k;
}

}  // namespace ui_internal
