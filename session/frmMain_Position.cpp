// Where the main window stands: its saved bounds and state between runs, and placing it there (or
// centring it) once the window system has framed it.
#include "session/frmMain.h"

#include "platform/Placement.h"
#include "platform/Registry.h"
#include "platform/Screen.h"
#include "session/frmMain_Private.h"
#include "support/ErrorTrap.h"
#include "support/modRegistry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cstdint>

using frmmain::kModule;

namespace {

const QString kPositionKey = QStringLiteral("Software\\Quorvane\\WindowPosition");

// The least outer size a saved window comes back at: wide enough for the web button whole at the
// place the layout gives it in a narrow window (left 9540, width 1215); a height in the design's
// proportion. A narrower window (a small screen) brings the button in to its edge instead.
constexpr int kLeastWidth = 9540 + 1215;
constexpr int kLeastHeight = kLeastWidth * frmmain::kDesignHeight / frmmain::kDesignWidth;

// A rectangle in twips, wide enough for any saved 32-bit values and their sums.
struct TwipsRect {
    int64_t left, top, width, height;
    static TwipsRect Of(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }
    int64_t Overlap(const TwipsRect& o) const
    {
        const int64_t w = std::min(left + width, o.left + o.width) - std::max(left, o.left);
        const int64_t h = std::min(top + height, o.top + o.height) - std::max(top, o.top);
        return w > 0 && h > 0 ? w * h : 0;
    }
};

// The screen that holds most of the bounds, or the primary screen when none holds any of them.
QScreen* ScreenOf(const TwipsRect& bounds)
{
    QScreen* best = QGuiApplication::primaryScreen();
    int64_t most = 0;
    for (QScreen* s : QGuiApplication::screens()) {
        const int64_t overlap = bounds.Overlap(TwipsRect::Of(vb::PixelsToTwips(s->geometry())));
        if (overlap > most) {
            most = overlap;
            best = s;
        }
    }
    return best;
}

// Bounds of at most the area's size that lie inside it, moved the least from b.
TwipsRect Inside(const TwipsRect& b, const QRect& areaTwips)
{
    const TwipsRect area = TwipsRect::Of(areaTwips);
    const int64_t width = std::min(b.width, area.width);
    const int64_t height = std::min(b.height, area.height);
    return {std::clamp(b.left, area.left, area.left + area.width - width),
            std::clamp(b.top, area.top, area.top + area.height - height), width, height};
}

bool OnAnyScreen(const TwipsRect& bounds)
{
    for (QScreen* s : QGuiApplication::screens())
        if (bounds.Overlap(TwipsRect::Of(vb::PixelsToTwips(s->geometry()))) > 0)
            return true;
    return false;
}

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
    if (placement.centred)
        CentreOnScreen();
    else
        Move(placement.left, placement.top, placement.width, placement.height);
    if (!placement.centred && !placement.maximise)
        return;
    // Once the frame is known: a centred window is centred again by its framed outer size (restored
    // bounds stay as they are); and the window manager remembers the size a window had when it was
    // maximised, for restoring it later, so maximise only after the saved outer size has been
    // fitted to the frame.
    vb::WhenFramed(this, [this, centred = placement.centred, maximise = placement.maximise](bool framed) {
        if (WindowState() != vb::vbNormal)
            return;
        if (centred && framed)
            CentreOnScreen();
        if (maximise)
            SetWindowState(vb::vbMaximized);
    });
}

void frmMain::CentreOnScreen()
{
    vb::MoveToCentre(this, vb::ScreenAreaTwips());
    // Too large for the screen's available area: the window starts inside it instead, and stays
    // there when it is centred again on its framed size.
    const QRect a = vb::AvailableAreaTwips();
    if (placement.fitted || Width() > a.width() || Height() > a.height()) {
        placement.fitted = true;
        MoveInside(a);
    }
}

void frmMain::MoveInside(const QRect& area)
{
    const TwipsRect now{Left(), Top(), Width(), Height()};
    const TwipsRect inside = Inside(now, area);
    // Only a side that the area cannot hold is given a size; the other keeps its client size, and
    // its frame comes on top of it once known.
    Move(int(inside.left), int(inside.top), inside.width < now.width ? int(inside.width) : -1,
         inside.height < now.height ? int(inside.height) : -1);
}

void frmMain::FormPos_Save()
{
    TrapErrors(kModule, QStringLiteral("FormPos_Save"), [&] {
        const int32_t left = Left();
        const int32_t top = Top();
        const int32_t width = Width();
        const int32_t height = Height();
        const int32_t state = WindowState();
        // One write, so that two copies closing at once never leave a mix of both windows.
        std::vector<std::pair<QString, int32_t>> values;
        if (state != vb::vbMaximized) {
            values = {{QStringLiteral("Left"), left},
                      {QStringLiteral("Top"), top},
                      {QStringLiteral("Width"), width},
                      {QStringLiteral("Height"), height}};
        }
        values.emplace_back(QStringLiteral("State"), state);
        SaveRegDWords(HKEY_CURRENT_USER, kPositionKey, values);
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
        // Before the first showing the frame is unknown: the place is applied again, and the window
        // maximised, once it is on screen, so that its normal size is the saved one.
        placement = {};
        placement.pending = !isVisible();
        int32_t left = 0, top = 0, width = 0, height = 0, state = 0;
        if (!FormPos_Read(left, top, width, height, state)) {
            placement.centred = true;
            CentreOnScreen();
            return;
        }
        // A size the screen cannot hold, or too small to use, gives way to the design size
        // (-1: the size stays as it is). Bounds partly on a screen are restored as they are;
        // bounds on no screen at all are centred.
        const QRect area = vb::PixelsToTwips(ScreenOf({left, top, width, height})->availableGeometry());
        const bool sizeSound = width >= kLeastWidth && height >= kLeastHeight && width <= area.width() &&
                               height <= area.height();
        if (!sizeSound)
            width = height = -1;
        const TwipsRect bounds{left, top, sizeSound ? width : Width(), sizeSound ? height : Height()};
        placement.centred = !OnAnyScreen(bounds);
        placement.maximise = state == vb::vbMaximized;
        // A display server that places windows itself keeps the place and takes the size.
        Move(left, top, width, height);
        if (placement.centred) {
            CentreOnScreen();
        } else if (!sizeSound && (Width() > area.width() || Height() > area.height())) {
            // The design size does not fit where the window was: it starts inside that screen.
            MoveInside(area);
            left = Left();
            top = Top();
            width = Width() < bounds.width ? Width() : -1;
            height = Height() < bounds.height ? Height() : -1;
        }
        placement.left = left;
        placement.top = top;
        placement.width = width;
        placement.height = height;
        if (placement.maximise && isVisible())
            SetWindowState(vb::vbMaximized);
    });
}
