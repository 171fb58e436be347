#pragma once
// The window system's virtual-key codes that the program's key handlers compare against.
#include <QKeyEvent>

namespace vb {

enum KeyCodeValue : int {
    vbKeyBack = 8, vbKeyTab = 9, vbKeyReturn = 13, vbKeyShift = 16, vbKeyControl = 17, vbKeyMenu = 18,
    vbKeyEscape = 27, vbKeySpace = 32, vbKeyPageUp = 33, vbKeyPageDown = 34, vbKeyEnd = 35, vbKeyHome = 36,
    vbKeyLeft = 37, vbKeyUp = 38, vbKeyRight = 39, vbKeyDown = 40, vbKeyDelete = 46,
    vbKeyA = 65, vbKeyF = 70, vbKeyN = 78, vbKeyP = 80, vbKeyF1 = 112,
};

// Virtual-key code of a Qt key (letters and digits as their upper-case ASCII); 0 when it has none.
int VirtualKeyFromQt(int qtKey);
// Qt key for a virtual-key code, for tests that type a key by its code.
int QtKeyFromVirtualKey(int vk);
// Shift mask (1 Shift, 2 Ctrl, 4 Alt) of Qt modifiers.
int ShiftMaskFromQt(Qt::KeyboardModifiers m);
// (values: 1 Shift, 2 Ctrl, 4 Alt)
// The character code a key press gives (13 Enter, 27 Esc, 8 Backspace, else the first character); 0 for none.
int KeyAsciiOf(const QKeyEvent* e);

} // namespace vb
