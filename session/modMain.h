#pragma once
// The program's start-up, and the routine that centres a window on the screen.
#include "platform/Form.h"

class frmMain;

// The main window, for the program's whole life once Main has made it (null before).
extern frmMain* MainWindow;

// The start-up sequence, before any window exists:
//   1. JournalEnabled and BottomRowFlag are set False;
//   2. when another copy is running, the user is asked whether to run another one; any answer but
//      Yes returns at once, with no window made and nothing written;
//   3. when the start-up option is on, the introduction window is shown modally and closed again
//      before the main window exists;
//   4. the main window is made, kept in MainWindow and shown.
// The program then lives on window events and ends when its last window unloads. An error in any
// step is reported with "Line: " and that step's number, and Main returns.
void Main();

// Moves the window so that it stands in the middle of the screen by its outer size, keeping its
// size; once a window manager has framed it, it is centred again on its framed size. A window
// larger than the screen gets a negative Left or Top, as computed. Traps no errors of its own.
void CenterForm(vb::Form& frm);
