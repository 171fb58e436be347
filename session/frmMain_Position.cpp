// Where the main window stands: its saved bounds and state between runs, and placing it there (or
// centring it) once the window system has framed it.
#include "session/frmMain.h"

#include "platform/Registry.h"
#include "platform/Screen.h"
#include "session/frmMain_Private.h"
#include "support/ErrorTrap.h"
#include "support/modRegistry.h"

#include <QGuiApplication>
#include <QTimer>

using frmmain::kModule;
using frmmain::Whole;

namespace {
const QString kPositionKey = QStringLiteral("Software\\Quorvane\\WindowPosition");
} // namespace

void frmMain::showEvent(QShowEvent* e)
{
    vb::Form::showEvent(e);
    if (placement.pending)
        QTimer::singleShot(0, this, [this] { ApplyPlacement(); });
}

void frmMain::ApplyPlacement()
{
    if (!placement.pending)
        return;
    placement.pending = false;
    // The user may have minimised or maximised it already; then the window system's place stands.
    if (WindowState() != vb::vbNormal)
        return;
    if (placement.centred) {
        CentreOnScreen();
    } else {
        Move(placement.left, placement.top, placement.width, placement.height);
        if (placement.maximise)
            MaximiseOnceFramed(0);
    }
}

void frmMain::CentreOnScreen()
{
    const float l = (float(vb::ScreenWidthTwips()) - float(Width())) / 2.0f;
    const float t = (float(vb::ScreenHeightTwips()) - float(Height())) / 2.0f;
    Move(Whole(l), Whole(t));
}

void frmMain::MaximiseOnceFramed(int tries)
{
    // The window manager remembers the size a window had when it was maximised, for restoring it
    // later: maximise only after the frame is known and the saved outer size has been fitted to it.
    // A display without a window manager never frames the window; then maximise after a moment.
    const bool framed = frameGeometry().size() != geometry().size();
    if (framed || tries >= 25 || QGuiApplication::platformName() == QLatin1String("offscreen")) {
        if (WindowState() == vb::vbNormal)
            SetWindowState(vb::vbMaximized);
        return;
    }
    QTimer::singleShot(20, this, [this, tries] { MaximiseOnceFramed(tries + 1); });
}

void frmMain::FormPos_Save()
{
    TrapErrors(kModule, QStringLiteral("FormPos_Save"), [&] {
        const int32_t left = Left();
        const int32_t top = Top();
        const int32_t width = Width();
        const int32_t height = Height();
        const int32_t state = WindowState();
        if (state != vb::vbMaximized) {
            SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Left"), left);
            SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Top"), top);
            SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Width"), width);
            SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Height"), height);
        }
        SaveRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("State"), state);
    });
}

bool frmMain::FormPos_Read(int32_t& plngLeft, int32_t& plngTop, int32_t& plngWidth, int32_t& plngHeight,
                           int32_t& plngWindowState)
{
    bool result = false;
    TrapErrors(kModule, QStringLiteral("FormPos_Read"), [&] {
        plngLeft = plngTop = plngWidth = plngHeight = plngWindowState = 0;
        plngLeft = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Left"), 0);
        plngTop = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Top"), 0);
        plngWidth = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Width"), 0);
        plngHeight = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("Height"), 0);
        plngWindowState = GetRegDWord(HKEY_CURRENT_USER, kPositionKey, QStringLiteral("State"), 0);
        result = plngWidth > 0;
    });
    return result;
}

void frmMain::SetFormPosition()
{
    TrapErrors(kModule, QStringLiteral("SetFormPosition"), [&] {
        int32_t left = 0, top = 0, width = 0, height = 0, state = 0;
        if (FormPos_Read(left, top, width, height, state)) {
            // Restored as saved, on or off the screen; a display server that places windows itself
            // keeps the place and takes the size.
            Move(left, top, width, height);
            const bool maximise = state == vb::vbMaximized;
            // Before the first showing the frame is unknown: the bounds are applied again, and the
            // window maximised, once it is on screen, so that its normal size is the saved one.
            placement = {!isVisible(), false, maximise, left, top, width, height};
            if (maximise && isVisible())
                SetWindowState(vb::vbMaximized);
        } else {
            CentreOnScreen();
            placement = {!isVisible(), true, false, 0, 0, 0, 0};
        }
    });
}
