#pragma once
// The window system's virtual-key codes, as the program's key handlers see them, and how a Qt key
// event turns into one.
#include <QKeyEvent>

namespace vb {

enum KeyCodeValue : int {
    vbKeyCancel = 3, vbKeyBack = 8, vbKeyTab = 9, vbKeyClear = 12, vbKeyReturn = 13,
    vbKeyShift = 16, vbKeyControl = 17, vbKeyMenu = 18, vbKeyPause = 19, vbKeyCapital = 20,
    vbKeyKana = 21, vbKeyKanji = 25, vbKeyEscape = 27, vbKeyConvert = 28, vbKeyNonConvert = 29,
    vbKeySpace = 32, vbKeyPageUp = 33, vbKeyPageDown = 34, vbKeyEnd = 35, vbKeyHome = 36,
    vbKeyLeft = 37, vbKeyUp = 38, vbKeyRight = 39, vbKeyDown = 40,
    vbKeySelect = 41, vbKeyPrint = 42, vbKeyExecute = 43, vbKeySnapshot = 44, vbKeyInsert = 45,
    vbKeyDelete = 46, vbKeyHelp = 47,
    vbKey0 = 48, vbKeyA = 65, vbKeyF = 70, vbKeyN = 78, vbKeyP = 80,
    vbKeyLWin = 91, vbKeyRWin = 92, vbKeyApps = 93, vbKeySleep = 95,
    vbKeyNumpad0 = 96, vbKeyMultiply = 106, vbKeyAdd = 107, vbKeySeparator = 108, vbKeySubtract = 109,
    vbKeyDecimal = 110, vbKeyDivide = 111, vbKeyF1 = 112,
    vbKeyNumlock = 144, vbKeyScrollLock = 145,
    vbKeyBrowserBack = 166, vbKeyBrowserForward = 167, vbKeyBrowserRefresh = 168, vbKeyBrowserStop = 169,
    vbKeyBrowserSearch = 170, vbKeyBrowserFavorites = 171, vbKeyBrowserHome = 172,
    vbKeyVolumeMute = 173, vbKeyVolumeDown = 174, vbKeyVolumeUp = 175,
    vbKeyMediaNextTrack = 176, vbKeyMediaPrevTrack = 177, vbKeyMediaStop = 178, vbKeyMediaPlayPause = 179,
    vbKeyLaunchMail = 180, vbKeyLaunchMediaSelect = 181, vbKeyLaunchApp1 = 182, vbKeyLaunchApp2 = 183,
    // The punctuation keys, named by what they carry on a US keyboard.
    vbKeyOem1 = 186,      // ; :
    vbKeyOemPlus = 187,   // = +
    vbKeyOemComma = 188,  // , <
    vbKeyOemMinus = 189,  // - _
    vbKeyOemPeriod = 190, // . >
    vbKeyOem2 = 191,      // / ?
    vbKeyOem3 = 192,      // ` ~
    vbKeyOem4 = 219,      // [ {
    vbKeyOem5 = 220,      // \ |
    vbKeyOem6 = 221,      // ] }
    vbKeyOem7 = 222,      // ' "
    vbKeyOem8 = 223,
    vbKeyOem102 = 226,    // the extra key beside the left Shift of a 102-key keyboard
    vbKeyPlay = 250, vbKeyZoom = 251,
    // What a key without a code of its own gives, so that every key that reaches a window is seen.
    vbKeyUnmapped = 255,
};

// Virtual-key code of a key press or release: the keypad's keys apart from the main ones, letters
// and digits as their upper-case ASCII, punctuation as the key that carries it (shifted or not).
// Never 0: any other key gives vbKeyUnmapped.
int VirtualKeyOf(const QKeyEvent* e);
// The same from its parts. scanCode is the native key code (the X key code, evdev + 8), 0 for none.
int VirtualKeyFromQt(int qtKey, bool keypad = false, quint32 scanCode = 0);

// Shift mask (1 Shift, 2 Ctrl, 4 Alt) of Qt modifiers.
int ShiftMaskFromQt(Qt::KeyboardModifiers m);
// The character code a key press gives (13 Enter, 27 Esc, 8 Backspace, else the first character); 0 for none.
int KeyAsciiOf(const QKeyEvent* e);

} // namespace vb
