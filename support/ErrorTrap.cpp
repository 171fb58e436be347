#include "support/ErrorTrap.h"

#include "platform/MsgBox.h"
#include "platform/VbError.h"
#include "support/modErrorReport.h"

namespace errortrap {

void ReportInFlight(const QString& module, const QString& proc, const QString& extra)
{
    const vb::VbError e = vb::CurrentError();
    ShowErrorReport(e.Number, e.Description, module, proc, extra);
}

void ShowInFlight(const QString& title)
{
    const vb::VbError e = vb::CurrentError();
    vb::MsgBox(QStringLiteral("Error: %1. %2").arg(e.Number).arg(e.Description), vb::vbOKOnly, title);
}

QString LineText(int line) { return QStringLiteral("Line: ") + QString::number(line); }

} // namespace errortrap
