#include "platform/Screen.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <cmath>

namespace vb {

namespace {
int twipsPerPixel(bool horizontal)
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s)
        return 15;
    const double dpi = horizontal ? s->logicalDotsPerInchX() : s->logicalDotsPerInchY();
    if (dpi <= 0)
        return 15;
    const int tpp = static_cast<int>(std::lround(1440.0 / dpi));
    return tpp < 1 ? 1 : tpp;
}

int currentPointer = vbDefault;

Qt::CursorShape shapeOf(int pointer)
{
    switch (pointer) {
    case vbArrow: return Qt::ArrowCursor;
    case vbCrosshair: return Qt::CrossCursor;
    case vbIbeam: return Qt::IBeamCursor;
    case vbHourglass: return Qt::WaitCursor;
    case vbArrowHourglass: return Qt::BusyCursor;
    default: return Qt::ArrowCursor;
    }
}
} // namespace

int TwipsPerPixelX() { return twipsPerPixel(true); }
int TwipsPerPixelY() { return twipsPerPixel(false); }

// Rounded to the nearest pixel so that stored layouts land where they were drawn.
int TwipsToPixelsX(int twips) { return static_cast<int>(std::lround(double(twips) / TwipsPerPixelX())); }
int TwipsToPixelsY(int twips) { return static_cast<int>(std::lround(double(twips) / TwipsPerPixelY())); }
int PixelsToTwipsX(int pixels) { return pixels * TwipsPerPixelX(); }
int PixelsToTwipsY(int pixels) { return pixels * TwipsPerPixelY(); }

QRect TwipsToPixels(int left, int top, int width, int height)
{
    return QRect(TwipsToPixelsX(left), TwipsToPixelsY(top), TwipsToPixelsX(width), TwipsToPixelsY(height));
}

int ScreenWidthTwips()
{
    QScreen* s = QGuiApplication::primaryScreen();
    return PixelsToTwipsX(s ? s->geometry().width() : 1024);
}

int ScreenHeightTwips()
{
    QScreen* s = QGuiApplication::primaryScreen();
    return PixelsToTwipsY(s ? s->geometry().height() : 768);
}

QRect PixelsToTwips(const QRect& pixels)
{
    return QRect(PixelsToTwipsX(pixels.x()), PixelsToTwipsY(pixels.y()), PixelsToTwipsX(pixels.width()),
                 PixelsToTwipsY(pixels.height()));
}

QRect ScreenAreaTwips() { return QRect(0, 0, ScreenWidthTwips(), ScreenHeightTwips()); }

QRect AvailableAreaTwips()
{
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s)
        return ScreenAreaTwips();
    return PixelsToTwips(s->availableGeometry());
}

int ScreenMousePointer() { return currentPointer; }

void SetScreenMousePointer(int pointer)
{
    if (pointer == currentPointer)
        return;
    if (currentPointer != vbDefault && qGuiApp)
        QGuiApplication::restoreOverrideCursor();
    currentPointer = pointer;
    if (pointer != vbDefault && qGuiApp)
        QGuiApplication::setOverrideCursor(QCursor(shapeOf(pointer)));
}

} // namespace vb
