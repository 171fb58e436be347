#pragma once
// General text utilities.
class QObject;

// Selects the whole text of an edit box, as SelectTextX (support/modXtremeSuite.h) does; its errors
// are shown titled "SelectText".
void SelectText(QObject* control);
