#include "KeyCodes.h"

#include <QKeyEvent>

namespace {

// Keys of the main keyboard whose code is not their Qt key value (letters and digits are).
struct KeyMapping {
    int QtKey;
    int KeyCode;
};

constexpr KeyMapping kMainKeys[] = {
    {Qt::Key_Backspace, vbKeyBack},
    {Qt::Key_Tab, vbKeyTab},
    {Qt::Key_Backtab, vbKeyTab},
    {Qt::Key_Clear, vbKeyClear},
    {Qt::Key_Return, vbKeyReturn},
    {Qt::Key_Enter, vbKeyReturn},
    {Qt::Key_Shift, vbKeyShift},
    {Qt::Key_Control, vbKeyControl},
    {Qt::Key_Alt, vbKeyMenu},
    {Qt::Key_AltGr, vbKeyMenu},
    {Qt::Key_Pause, vbKeyPause},
    {Qt::Key_CapsLock, vbKeyCapital},
    {Qt::Key_Escape, vbKeyEscape},
    {Qt::Key_Space, vbKeySpace},
    {Qt::Key_PageUp, vbKeyPageUp},
    {Qt::Key_PageDown, vbKeyPageDown},
    {Qt::Key_End, vbKeyEnd},
    {Qt::Key_Home, vbKeyHome},
    {Qt::Key_Left, vbKeyLeft},
    {Qt::Key_Up, vbKeyUp},
    {Qt::Key_Right, vbKeyRight},
    {Qt::Key_Down, vbKeyDown},
    {Qt::Key_Select, vbKeySelect},
    {Qt::Key_Print, vbKeySnapshot},
    {Qt::Key_Execute, vbKeyExecute},
    {Qt::Key_Insert, vbKeyInsert},
    {Qt::Key_Delete, vbKeyDelete},
    {Qt::Key_Help, vbKeyHelp},
    {Qt::Key_NumLock, vbKeyNumlock},
    {Qt::Key_ScrollLock, vbKeyScrollLock},
    {Qt::Key_Meta, 91},
    {Qt::Key_Super_L, 91},
    {Qt::Key_Super_R, 92},
    {Qt::Key_Menu, 93},
    // Shifted digits of the US layout arrive as their symbols.
    {Qt::Key_Exclam, 49},
    {Qt::Key_At, 50},
    {Qt::Key_NumberSign, 51},
    {Qt::Key_Dollar, 52},
    {Qt::Key_Percent, 53},
    {Qt::Key_AsciiCircum, 54},
    {Qt::Key_Ampersand, 55},
    {Qt::Key_Asterisk, 56},
    {Qt::Key_ParenLeft, 57},
    {Qt::Key_ParenRight, 48},
    // Punctuation (OEM keys), plain and shifted.
    {Qt::Key_Semicolon, 186},
    {Qt::Key_Colon, 186},
    {Qt::Key_Equal, 187},
    {Qt::Key_Plus, 187},
    {Qt::Key_Comma, 188},
    {Qt::Key_Less, 188},
    {Qt::Key_Minus, 189},
    {Qt::Key_Underscore, 189},
    {Qt::Key_Period, 190},
    {Qt::Key_Greater, 190},
    {Qt::Key_Slash, 191},
    {Qt::Key_Question, 191},
    {Qt::Key_QuoteLeft, 192},
    {Qt::Key_AsciiTilde, 192},
    {Qt::Key_BracketLeft, 219},
    {Qt::Key_BraceLeft, 219},
    {Qt::Key_Backslash, 220},
    {Qt::Key_Bar, 220},
    {Qt::Key_BracketRight, 221},
    {Qt::Key_BraceRight, 221},
    {Qt::Key_Apostrophe, 222},
    {Qt::Key_QuoteDbl, 222},
};

// Keys of the numeric keypad (reported with Qt::KeypadModifier).
constexpr KeyMapping kKeypadKeys[] = {
    {Qt::Key_Asterisk, vbKeyMultiply},
    {Qt::Key_Plus, vbKeyAdd},
    {Qt::Key_Minus, vbKeySubtract},
    {Qt::Key_Period, vbKeyDecimal},
    {Qt::Key_Comma, vbKeyDecimal},
    {Qt::Key_Slash, vbKeyDivide},
    {Qt::Key_Enter, vbKeyReturn},
    {Qt::Key_Return, vbKeyReturn},
    // With Num Lock off the keypad sends navigation keys.
    {Qt::Key_Insert, vbKeyInsert},
    {Qt::Key_Delete, vbKeyDelete},
    {Qt::Key_End, vbKeyEnd},
    {Qt::Key_Down, vbKeyDown},
    {Qt::Key_PageDown, vbKeyPageDown},
    {Qt::Key_Left, vbKeyLeft},
    {Qt::Key_Clear, vbKeyClear},
    {Qt::Key_Right, vbKeyRight},
    {Qt::Key_Home, vbKeyHome},
    {Qt::Key_Up, vbKeyUp},
    {Qt::Key_PageUp, vbKeyPageUp},
};

} // namespace

int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if ((modifiers & Qt::KeypadModifier) != 0) {
        if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
            return vbKeyNumpad0 + (qtKey - Qt::Key_0);
        }
        for (const auto& mapping : kKeypadKeys) {
            if (mapping.QtKey == qtKey) {
                return mapping.KeyCode;
            }
        }
    }
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        return vbKeyA + (qtKey - Qt::Key_A);
    }
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) {
        return vbKey0 + (qtKey - Qt::Key_0);
    }
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        return vbKeyF1 + (qtKey - Qt::Key_F1);
    }
    for (const auto& mapping : kMainKeys) {
        if (mapping.QtKey == qtKey) {
            return mapping.KeyCode;
        }
    }
    return 0;
}

int VirtualKeyFromQt(const QKeyEvent& event)
{
    return VirtualKeyFromQt(event.key(), event.modifiers());
}

int ShiftMaskFromQt(Qt::KeyboardModifiers modifiers)
{
    int mask = 0;
    if ((modifiers & Qt::ShiftModifier) != 0) {
        mask |= vbShiftMask;
    }
    if ((modifiers & Qt::ControlModifier) != 0) {
        mask |= vbCtrlMask;
    }
    if ((modifiers & Qt::AltModifier) != 0) {
        mask |= vbAltMask;
    }
    return mask;
}

int KeyAsciiFromQt(const QKeyEvent& event)
{
    const int key = event.key();
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    if ((modifiers & Qt::AltModifier) != 0) {
        return 0;
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    default:
        break;
    }
    if ((modifiers & Qt::ControlModifier) != 0) {
        if (key >= Qt::Key_A && key <= Qt::Key_Z) {
            return 1 + (key - Qt::Key_A);
        }
        return 0;
    }
    const QString text = event.text();
    if (text.isEmpty()) {
        return 0;
    }
    const char16_t unit = text.at(0).unicode();
    if (unit < 32 && unit != 8 && unit != 9 && unit != 13 && unit != 27) {
        return 0;
    }
    return unit;
}

QtKeyStroke QtKeyFromVirtualKey(int keyCode)
{
    QtKeyStroke stroke;
    stroke.Key = Qt::Key_unknown;
    if (keyCode >= vbKeyA && keyCode <= vbKeyA + 25) {
        stroke.Key = Qt::Key_A + (keyCode - vbKeyA);
    } else if (keyCode >= vbKey0 && keyCode <= vbKey0 + 9) {
        stroke.Key = Qt::Key_0 + (keyCode - vbKey0);
    } else if (keyCode >= vbKeyNumpad0 && keyCode <= vbKeyNumpad0 + 9) {
        stroke.Key = Qt::Key_0 + (keyCode - vbKeyNumpad0);
        stroke.Modifiers = Qt::KeypadModifier;
    } else if (keyCode >= vbKeyF1 && keyCode <= vbKeyF1 + 23) {
        stroke.Key = Qt::Key_F1 + (keyCode - vbKeyF1);
    } else if (keyCode >= vbKeyMultiply && keyCode <= vbKeyDivide && keyCode != vbKeySeparator) {
        for (const auto& mapping : kKeypadKeys) {
            if (mapping.KeyCode == keyCode) {
                stroke.Key = mapping.QtKey;
                stroke.Modifiers = Qt::KeypadModifier;
                break;
            }
        }
    } else {
        for (const auto& mapping : kMainKeys) {
            if (mapping.KeyCode == keyCode) {
                stroke.Key = mapping.QtKey;
                break;
            }
        }
    }
    return stroke;
}
