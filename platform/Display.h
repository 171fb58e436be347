#pragma once
// Opening the window system. Where no display can be reached Qt ends the program with an abort and
// advice about reinstalling it; this program says instead, in one line on standard error, that it
// needs a graphical display and which variable names it, and ends with status 1.
#include <QApplication>
#include <QByteArray>
#include <memory>

namespace vb {

// Makes the application object on the window system that the environment names. When that system
// cannot be started, writes DisplayFailure's line to standard error and ends the process at once
// with status 1, before anything else of the program has run. argc must outlive the application.
std::unique_ptr<QApplication> OpenWindowSystem(int& argc, char** argv);

// The one line (without its line end) that tells why no window can be shown, from the values of
// QT_QPA_PLATFORM and DISPLAY (null when unset).
QByteArray DisplayFailure(const QByteArray& platform, const QByteArray& display);

} // namespace vb
