#pragma once
// The support library's pictures (the error report's warning sign, the password prompt's icon),
// compiled into the library from resources/support.qrc. A static library's resources register
// only when named: the program's main and the tests' main call this once, before the first window
// (through InitSessionResources where the session is linked too).
void InitSupportResources();
