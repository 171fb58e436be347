#pragma once
// Shared test helpers: a headless application, a private registry store, recorded message boxes,
// and a way to act on a modal window from inside its own event loop.
#include "platform/MsgBox.h"

#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

namespace testing_support {

// Records every message box and answers each with `answer` (vbOK when left at 0).
class MsgBoxRecorder {
public:
    explicit MsgBoxRecorder(int answer = 0);
    ~MsgBoxRecorder();
    std::vector<vb::MsgBoxCall> calls;
    int answer;
    std::function<int(const vb::MsgBoxCall&)> onCall; // optional: decides the answer per call

private:
    vb::MsgBoxHandler previous;
};

// Runs `action` on the active modal widget as soon as the event loop turns (and retries for up to
// two seconds until one is there). Use before the call that opens the modal window.
void WhenModal(std::function<void(QWidget*)> action);

// The same for the open pop-up menu (the active popup widget).
void WhenPopup(std::function<void(QWidget*)> action);

// Runs the program's event loop as the program does, with `start` called once it turns, until the
// last loaded window unloads (returns 0) or five seconds have passed (returns 1).
int RunUntilTheProgramEnds(std::function<void()> start);

// Clicks the entry captioned `text` of an open pop-up menu with `button`, as the mouse does (moved
// onto it first); false when the menu has no such entry.
bool ClickMenuEntry(QWidget* popup, const QString& text, Qt::MouseButton button = Qt::LeftButton);

// The path of this test process's private registry store (QUORVANE_REGISTRY points there).
QString RegistryPath();

// How long a test waits for a window manager to frame or place a window: ample on a loaded machine
// running many displays at once; each wait ends as soon as its condition holds.
inline constexpr int kWindowManagerWaitMs = 10000;

// Saves a widget's picture to $QUORVANE_SHOTS (default build/shots) and returns the file's path.
QString SaveShot(QWidget* w, const QString& name);

} // namespace testing_support
