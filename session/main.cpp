#include "platform/Display.h"
#include "platform/Form.h"
#include "platform/PictureBox.h"
#include "session/SessionResources.h"
#include "session/frmMain.h"
#include "session/modMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Ends here, with one line on standard error, where no display can be opened.
    const std::unique_ptr<QApplication> app = vb::OpenWindowSystem(argc, argv);
    InitSessionResources();
    // Every window of the program, message boxes included, carries the program's icon.
    QApplication::setWindowIcon(vb::SvgIcon(QString::fromLatin1(kProgramIcon)));
    // The windows hide rather than close when they unload; the last unload ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    Main();
    // Declined at the single-instance question, or nothing left open: the program ends here.
    if (vb::Forms().empty()) {
        delete MainWindow;
        return 0;
    }
    // Set only now: the introduction window shown during start-up is the last window for a moment.
    vb::OnLastFormUnloaded([] { QCoreApplication::exit(0); });
    const int rc = app->exec();
    delete MainWindow;
    return rc;
}
