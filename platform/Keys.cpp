#include "platform/Keys.h"

namespace vb {

int VirtualKeyFromQt(int k)
{
    if (k >= Qt::Key_A && k <= Qt::Key_Z)
        return 'A' + (k - Qt::Key_A);
    if (k >= Qt::Key_0 && k <= Qt::Key_9)
        return '0' + (k - Qt::Key_0);
    if (k >= Qt::Key_F1 && k <= Qt::Key_F24)
        return vbKeyF1 + (k - Qt::Key_F1);
    switch (k) {
    case Qt::Key_Backspace: return vbKeyBack;
    case Qt::Key_Tab: case Qt::Key_Backtab: return vbKeyTab;
    case Qt::Key_Return: case Qt::Key_Enter: return vbKeyReturn;
    case Qt::Key_Shift: return vbKeyShift;
    case Qt::Key_Control: return vbKeyControl;
    case Qt::Key_Alt: return vbKeyMenu;
    case Qt::Key_Escape: return vbKeyEscape;
    case Qt::Key_Space: return vbKeySpace;
    case Qt::Key_PageUp: return vbKeyPageUp;
    case Qt::Key_PageDown: return vbKeyPageDown;
    case Qt::Key_End: return vbKeyEnd;
    case Qt::Key_Home: return vbKeyHome;
    case Qt::Key_Left: return vbKeyLeft;
    case Qt::Key_Up: return vbKeyUp;
    case Qt::Key_Right: return vbKeyRight;
    case Qt::Key_Down: return vbKeyDown;
    case Qt::Key_Delete: return vbKeyDelete;
    default: return 0;
    }
}

int QtKeyFromVirtualKey(int vk)
{
    if (vk >= 'A' && vk <= 'Z')
        return Qt::Key_A + (vk - 'A');
    if (vk >= '0' && vk <= '9')
        return Qt::Key_0 + (vk - '0');
    if (vk >= vbKeyF1 && vk < vbKeyF1 + 24)
        return Qt::Key_F1 + (vk - vbKeyF1);
    switch (vk) {
    case vbKeyBack: return Qt::Key_Backspace;
    case vbKeyTab: return Qt::Key_Tab;
    case vbKeyReturn: return Qt::Key_Return;
    case vbKeyShift: return Qt::Key_Shift;
    case vbKeyControl: return Qt::Key_Control;
    case vbKeyMenu: return Qt::Key_Alt;
    case vbKeyEscape: return Qt::Key_Escape;
    case vbKeySpace: return Qt::Key_Space;
    case vbKeyPageUp: return Qt::Key_PageUp;
    case vbKeyPageDown: return Qt::Key_PageDown;
    case vbKeyEnd: return Qt::Key_End;
    case vbKeyHome: return Qt::Key_Home;
    case vbKeyLeft: return Qt::Key_Left;
    case vbKeyUp: return Qt::Key_Up;
    case vbKeyRight: return Qt::Key_Right;
    case vbKeyDown: return Qt::Key_Down;
    case vbKeyDelete: return Qt::Key_Delete;
    default: return 0;
    }
}

int ShiftMaskFromQt(Qt::KeyboardModifiers m)
{
    int s = 0;
    if (m & Qt::ShiftModifier) s |= 1;
    if (m & Qt::ControlModifier) s |= 2;
    if (m & Qt::AltModifier) s |= 4;
    return s;
}

int KeyAsciiOf(const QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return: case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab: return 9;
    default: break;
    }
    const QString t = e->text();
    if (t.isEmpty())
        return 0;
    return t.at(0).unicode();
}

} // namespace vb
