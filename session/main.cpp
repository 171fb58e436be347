#include "session/frmMain.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // The program ends when its last window unloads, which closing the main window brings about.
    auto* MainWindow = new frmMain;
    MainWindow->Show();
    const int rc = app.exec();
    delete MainWindow;
    return rc;
}
