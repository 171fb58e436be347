#include "support/ErrorTrap.h"

#include "platform/MsgBox.h"
#include "platform/VbError.h"
#include "support/modErrorReport.h"

namespace errortrap {

void ReportInFlight(const QString& module, const QString& proc, const Options& options, int line)
{
    const vb::VbError e = vb::CurrentError();
    if (options.beforeReport) {
        try {
            options.beforeReport();
        } catch (...) {
        }
    }
    ShowErrorReport(e.Number, e.Description, module, proc,
                    options.extra == Extra::Line ? QStringLiteral("Line: ") + QString::number(line) : QString());
}

void ShowInFlight(const QString& title)
{
    const vb::VbError e = vb::CurrentError();
    vb::MsgBox(QStringLiteral("Error: %1. %2").arg(e.Number).arg(e.Description), vb::vbOKOnly, title);
}

} // namespace errortrap
