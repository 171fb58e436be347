#include "platform/Form.h"
#include "session/frmMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The windows hide rather than close when they unload; the last unload ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
    vb::OnLastFormUnloaded([] { QCoreApplication::exit(0); });
    // The program ends when its last window unloads, which closing the main window brings about.
    auto* MainWindow = new frmMain;
    MainWindow->Show();
    const int rc = app.exec();
    delete MainWindow;
    return rc;
}
