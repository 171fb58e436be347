#include "support/modTextUtils.h"

#include "support/modXtremeSuite.h"

void SelectText(QObject* control) { textbox::SelectWholeText(control, QStringLiteral("SelectText")); }
