#pragma once

#include <Qt>

class QKeyEvent;

// Windows virtual-key codes as the forms' KeyDown/KeyUp handlers receive them.
enum KeyCodeConstants : int {
    vbKeyLButton = 1,
    vbKeyRButton = 2,
    vbKeyCancel = 3,
    vbKeyMButton = 4,
    vbKeyBack = 8,
    vbKeyTab = 9,
    vbKeyClear = 12,
    vbKeyReturn = 13,
    vbKeyShift = 16,
    vbKeyControl = 17,
    vbKeyMenu = 18,
    vbKeyPause = 19,
    vbKeyCapital = 20,
    vbKeyEscape = 27,
    vbKeySpace = 32,
    vbKeyPageUp = 33,
    vbKeyPageDown = 34,
    vbKeyEnd = 35,
    vbKeyHome = 36,
    vbKeyLeft = 37,
    vbKeyUp = 38,
    vbKeyRight = 39,
    vbKeyDown = 40,
    vbKeySelect = 41,
    vbKeyPrint = 42,
    vbKeyExecute = 43,
    vbKeySnapshot = 44,
    vbKeyInsert = 45,
    vbKeyDelete = 46,
    vbKeyHelp = 47,
    vbKey0 = 48,       // ... vbKey9 = 57
    vbKeyA = 65,       // ... vbKeyZ = 90
    vbKeyNumpad0 = 96, // ... vbKeyNumpad9 = 105
    vbKeyMultiply = 106,
    vbKeyAdd = 107,
    vbKeySeparator = 108,
    vbKeySubtract = 109,
    vbKeyDecimal = 110,
    vbKeyDivide = 111,
    vbKeyF1 = 112, // ... vbKeyF16 = 127
    vbKeyNumlock = 144,
    vbKeyScrollLock = 145,
};

// Shift argument bits of key and mouse events.
enum ShiftConstants : int { vbShiftMask = 1, vbCtrlMask = 2, vbAltMask = 4 };
// Button argument bits of mouse events.
enum MouseButtonConstants : int { vbLeftButton = 1, vbRightButton = 2, vbMiddleButton = 4 };

// The virtual-key code of a Qt key; keypad keys (Qt::KeypadModifier) get the numeric-keypad codes
// 96-111, the main keyboard's digits and operators their own codes. 0 for keys without a code.
// The punctuation keys follow the US layout: ;: 186, =+ 187, ,< 188, -_ 189, .> 190, /? 191,
// `~ 192, [{ 219, \| 220, ]} 221, '" 222; shifted symbols map to their key ("!" is 49).
int VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers modifiers);
int VirtualKeyFromQt(const QKeyEvent& event);
// The Shift argument (1 Shift, 2 Ctrl, 4 Alt) of the modifiers.
int ShiftMaskFromQt(Qt::KeyboardModifiers modifiers);
// The KeyPress code of a key event: the character code (ANSI for ASCII, the UTF-16 unit
// otherwise), Ctrl+letter 1-26, Enter 13, Backspace 8, Esc 27, Tab 9; 0 when the key types nothing.
int KeyAsciiFromQt(const QKeyEvent& event);

// The Qt key (and whether it needs the keypad modifier) for a virtual-key code; tests and
// SendKeys use it to produce real key events. Qt::Key_unknown for codes without a key.
struct QtKeyStroke {
    int Key = 0;
    Qt::KeyboardModifiers Modifiers;
};
QtKeyStroke QtKeyFromVirtualKey(int keyCode);
