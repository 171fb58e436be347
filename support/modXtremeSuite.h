#pragma once
// Utilities for the control set's edit boxes.
//
// Each traps its own errors: an error (a control that is no edit box, or none at all) shows
// "Error: <number>. <description>" titled with the procedure's name, and the procedure leaves.
#include <QString>
#include <cstdint>

class QObject;

// Selects the whole text of an edit box (called as the box gets the focus, so typing replaces it).
// Any object may be passed; one without an edit box's selection fails with error 438.
void SelectTextX(QObject* control);

// Case modes of SetTextBoxCase.
enum TextBoxCase : int16_t { tbcLowerCase = 0, tbcUpperCase = 1 };

// Makes an edit box turn typed letters into lower case (0) or upper case (1), through the box's
// window-style word; any other mode writes the word back unchanged. Text already in the box stays.
// Any window may be passed (only an edit box's typing changes); a non-window fails with error 438.
void SetTextBoxCase(QObject* control, int16_t mode);

namespace textbox {
// The body both SelectTextX and SelectText run; errors are trapped and shown under `title`.
void SelectWholeText(QObject* control, const QString& title);
} // namespace textbox
