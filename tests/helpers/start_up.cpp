// The program's start as far as a start-up test sees it: runs Main (headless) on the store that
// QUORVANE_REGISTRY names, prints "window" when the main window is then shown or "no window" when
// not, and ends.
#include "session/SessionResources.h"
#include "session/frmMain.h"
#include "session/modMain.h"

#include <QApplication>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    InitSessionResources();
    Main();
    std::printf("%s\n", MainWindow && MainWindow->isVisible() ? "window" : "no window");
    std::fflush(stdout);
    // Nothing to save: the window's unloading is not what the tests look at.
    ::_exit(0);
}
