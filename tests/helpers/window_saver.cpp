// A copy of the program that keeps closing: moves its main window to a place of its own and saves
// the window's bounds, again and again, printing each index once its save has returned.
//   window_saver <writer> <count>
// Save i stands the window at Left = Top = (writer * 1000 + i) pixels, (700 + writer) pixels wide
// and (500 + writer) high, so that a reader can tell whose save, and which, a stored record is.
#include "session/SessionResources.h"
#include "session/SessionState.h"
#include "session/frmMain.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_saver <writer> <count>\n");
        return 2;
    }
    QApplication app(argc, argv);
    InitSessionResources();
    const int writer = std::atoi(argv[1]);
    const int count = std::atoi(argv[2]);
    session::ResetState();
    frmMain form;
    form.tmrSteps->blockSignals(true);
    form.Load();
    for (int i = 0; i < count; ++i) {
        const int px = writer * 1000 + i;
        form.Move(px * 15, px * 15, (700 + writer) * 15, (500 + writer) * 15);
        form.FormPos_Save();
        std::printf("%d\n", i);
        std::fflush(stdout);
    }
    return 0;
}
