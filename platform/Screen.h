#pragma once
// Geometry is kept in twips (1440 to the inch) everywhere above this layer; this is the one place
// where twips become pixels. The program-wide mouse pointer lives here too.
#include <QRect>

namespace vb {

// Twips per pixel from the primary screen's logical dpi: 15 at 96 dpi. Never less than 1.
int TwipsPerPixelX();
int TwipsPerPixelY();

int TwipsToPixelsX(int twips);
int TwipsToPixelsY(int twips);
int PixelsToTwipsX(int pixels);
int PixelsToTwipsY(int pixels);
QRect TwipsToPixels(int left, int top, int width, int height);
QRect PixelsToTwips(const QRect& pixels);

// The primary screen's size in twips.
int ScreenWidthTwips();
int ScreenHeightTwips();
// The primary screen as an area in twips, and the part of it that windows may take (without the
// desktop's panels and docks).
QRect ScreenAreaTwips();
QRect AvailableAreaTwips();

// Program-wide mouse pointer: 0 default, 11 hourglass, others as the window system's shapes.
enum MousePointer : int { vbDefault = 0, vbArrow = 1, vbCrosshair = 2, vbIbeam = 3, vbHourglass = 11, vbArrowHourglass = 13 };
int ScreenMousePointer();
void SetScreenMousePointer(int pointer);

} // namespace vb
