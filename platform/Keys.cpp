#include "platform/Keys.h"

#include <algorithm>
#include <iterator>

namespace vb {

namespace {

// Qt keys first to last give virtual-key codes vk onwards.
struct KeyRow {
    int firstQtKey;
    int lastQtKey;
    int vk;
};

constexpr KeyRow Key(int qtKey, int vk) { return {qtKey, qtKey, vk}; }

// The keypad's own codes; its other keys (arrows, Home, Insert, Delete, Enter) are the main keys'.
constexpr KeyRow kKeypadKeys[] = {
    {Qt::Key_0, Qt::Key_9, vbKeyNumpad0},
    Key(Qt::Key_Asterisk, vbKeyMultiply),
    Key(Qt::Key_Plus, vbKeyAdd),
    Key(Qt::Key_Comma, vbKeySeparator),
    Key(Qt::Key_Minus, vbKeySubtract),
    Key(Qt::Key_Period, vbKeyDecimal),
    Key(Qt::Key_Slash, vbKeyDivide),
};

// Every other key. Qt names a punctuation key by the character it types, so both characters of a
// key stand here (the US keyboard's pairs); the unshifted one comes first.
constexpr KeyRow kKeys[] = {
    {Qt::Key_A, Qt::Key_Z, vbKeyA},
    {Qt::Key_0, Qt::Key_9, vbKey0},
    {Qt::Key_F1, Qt::Key_F24, vbKeyF1},
    Key(Qt::Key_Cancel, vbKeyCancel),
    Key(Qt::Key_Backspace, vbKeyBack),
    Key(Qt::Key_Tab, vbKeyTab),
    Key(Qt::Key_Backtab, vbKeyTab),
    Key(Qt::Key_Clear, vbKeyClear),
    Key(Qt::Key_Return, vbKeyReturn),
    Key(Qt::Key_Enter, vbKeyReturn),
    Key(Qt::Key_Shift, vbKeyShift),
    Key(Qt::Key_Control, vbKeyControl),
    Key(Qt::Key_Alt, vbKeyMenu),
    Key(Qt::Key_AltGr, vbKeyMenu),
    Key(Qt::Key_Pause, vbKeyPause),
    Key(Qt::Key_CapsLock, vbKeyCapital),
    Key(Qt::Key_Kana_Lock, vbKeyKana),
    Key(Qt::Key_Katakana, vbKeyKana),
    Key(Qt::Key_Hiragana_Katakana, vbKeyKana),
    Key(Qt::Key_Hangul, vbKeyKana),
    Key(Qt::Key_Kanji, vbKeyKanji),
    Key(Qt::Key_Hangul_Hanja, vbKeyKanji),
    Key(Qt::Key_Escape, vbKeyEscape),
    Key(Qt::Key_Henkan, vbKeyConvert),
    Key(Qt::Key_Muhenkan, vbKeyNonConvert),
    Key(Qt::Key_Space, vbKeySpace),
    Key(Qt::Key_PageUp, vbKeyPageUp),
    Key(Qt::Key_PageDown, vbKeyPageDown),
    Key(Qt::Key_End, vbKeyEnd),
    Key(Qt::Key_Home, vbKeyHome),
    Key(Qt::Key_Left, vbKeyLeft),
    Key(Qt::Key_Up, vbKeyUp),
    Key(Qt::Key_Right, vbKeyRight),
    Key(Qt::Key_Down, vbKeyDown),
    Key(Qt::Key_Select, vbKeySelect),
    Key(Qt::Key_Printer, vbKeyPrint),
    Key(Qt::Key_Execute, vbKeyExecute),
    Key(Qt::Key_Print, vbKeySnapshot),
    Key(Qt::Key_SysReq, vbKeySnapshot),
    Key(Qt::Key_Insert, vbKeyInsert),
    Key(Qt::Key_Delete, vbKeyDelete),
    Key(Qt::Key_Help, vbKeyHelp),
    Key(Qt::Key_Exclam, vbKey0 + 1),
    Key(Qt::Key_At, vbKey0 + 2),
    Key(Qt::Key_NumberSign, vbKey0 + 3),
    Key(Qt::Key_Dollar, vbKey0 + 4),
    Key(Qt::Key_Percent, vbKey0 + 5),
    Key(Qt::Key_AsciiCircum, vbKey0 + 6),
    Key(Qt::Key_Ampersand, vbKey0 + 7),
    Key(Qt::Key_Asterisk, vbKey0 + 8),
    Key(Qt::Key_ParenLeft, vbKey0 + 9),
    Key(Qt::Key_ParenRight, vbKey0),
    Key(Qt::Key_Super_L, vbKeyLWin),
    Key(Qt::Key_Meta, vbKeyLWin),
    Key(Qt::Key_Super_R, vbKeyRWin),
    Key(Qt::Key_Menu, vbKeyApps),
    Key(Qt::Key_Sleep, vbKeySleep),
    Key(Qt::Key_NumLock, vbKeyNumlock),
    Key(Qt::Key_ScrollLock, vbKeyScrollLock),
    Key(Qt::Key_Back, vbKeyBrowserBack),
    Key(Qt::Key_Forward, vbKeyBrowserForward),
    Key(Qt::Key_Refresh, vbKeyBrowserRefresh),
    Key(Qt::Key_Stop, vbKeyBrowserStop),
    Key(Qt::Key_Search, vbKeyBrowserSearch),
    Key(Qt::Key_Favorites, vbKeyBrowserFavorites),
    Key(Qt::Key_HomePage, vbKeyBrowserHome),
    Key(Qt::Key_VolumeMute, vbKeyVolumeMute),
    Key(Qt::Key_VolumeDown, vbKeyVolumeDown),
    Key(Qt::Key_VolumeUp, vbKeyVolumeUp),
    Key(Qt::Key_MediaNext, vbKeyMediaNextTrack),
    Key(Qt::Key_MediaPrevious, vbKeyMediaPrevTrack),
    Key(Qt::Key_MediaStop, vbKeyMediaStop),
    Key(Qt::Key_MediaTogglePlayPause, vbKeyMediaPlayPause),
    Key(Qt::Key_MediaPlay, vbKeyMediaPlayPause),
    Key(Qt::Key_MediaPause, vbKeyMediaPlayPause),
    Key(Qt::Key_LaunchMail, vbKeyLaunchMail),
    Key(Qt::Key_LaunchMedia, vbKeyLaunchMediaSelect),
    Key(Qt::Key_Launch0, vbKeyLaunchApp1),
    Key(Qt::Key_Launch1, vbKeyLaunchApp2),
    Key(Qt::Key_Semicolon, vbKeyOem1),
    Key(Qt::Key_Colon, vbKeyOem1),
    Key(Qt::Key_Equal, vbKeyOemPlus),
    Key(Qt::Key_Plus, vbKeyOemPlus),
    Key(Qt::Key_Comma, vbKeyOemComma),
    Key(Qt::Key_Less, vbKeyOemComma),
    Key(Qt::Key_Minus, vbKeyOemMinus),
    Key(Qt::Key_Underscore, vbKeyOemMinus),
    Key(Qt::Key_Period, vbKeyOemPeriod),
    Key(Qt::Key_Greater, vbKeyOemPeriod),
    Key(Qt::Key_Slash, vbKeyOem2),
    Key(Qt::Key_Question, vbKeyOem2),
    Key(Qt::Key_QuoteLeft, vbKeyOem3),
    Key(Qt::Key_AsciiTilde, vbKeyOem3),
    Key(Qt::Key_BracketLeft, vbKeyOem4),
    Key(Qt::Key_BraceLeft, vbKeyOem4),
    Key(Qt::Key_Backslash, vbKeyOem5),
    Key(Qt::Key_Bar, vbKeyOem5),
    Key(Qt::Key_BracketRight, vbKeyOem6),
    Key(Qt::Key_BraceRight, vbKeyOem6),
    Key(Qt::Key_Apostrophe, vbKeyOem7),
    Key(Qt::Key_QuoteDbl, vbKeyOem7),
    Key(Qt::Key_section, vbKeyOem8),
    Key(Qt::Key_Play, vbKeyPlay),
    Key(Qt::Key_Zoom, vbKeyZoom),
};

// Keys that only their place on the keyboard tells apart, by X key code (evdev + 8).
struct PhysicalKey {
    quint32 scanCode;
    int vk;
};

constexpr PhysicalKey kPhysicalKeys[] = {
    {94, vbKeyOem102}, // types < > or \ | as the layout has it, never the comma's or backslash's key
};

template <size_t N>
const KeyRow* FindQtKey(const KeyRow (&rows)[N], int qtKey)
{
    const auto* it = std::find_if(std::begin(rows), std::end(rows),
                                  [qtKey](const KeyRow& r) { return qtKey >= r.firstQtKey && qtKey <= r.lastQtKey; });
    return it == std::end(rows) ? nullptr : it;
}

} // namespace

int VirtualKeyFromQt(int qtKey, bool keypad, quint32 scanCode)
{
    for (const PhysicalKey& p : kPhysicalKeys) {
        if (scanCode != 0 && scanCode == p.scanCode)
            return p.vk;
    }
    const KeyRow* row = keypad ? FindQtKey(kKeypadKeys, qtKey) : nullptr;
    if (!row)
        row = FindQtKey(kKeys, qtKey);
    return row ? row->vk + (qtKey - row->firstQtKey) : vbKeyUnmapped;
}

int VirtualKeyOf(const QKeyEvent* e)
{
    return VirtualKeyFromQt(e->key(), e->modifiers().testFlag(Qt::KeypadModifier), e->nativeScanCode());
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
