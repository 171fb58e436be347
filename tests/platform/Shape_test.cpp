// The tapping-point marker: shown and hidden by what it paints, over the picture beneath it.
#include "platform/Controls.h"
#include "platform/Screen.h"
#include "platform/Shape.h"

#include <QImage>
#include <gtest/gtest.h>

TEST(ShapeTest, AHiddenMarkerLeavesThePictureBeneathItAndShowsAgain)
{
    QWidget window;
    vb::PictureBox picture(&window, 0, 0, 1200, 1200);
    picture.SetBackColor(Qt::white);
    vb::Shape dot(&picture, 300, 300);
    dot.SetFillColor(Qt::red);
    dot.SetBorderColor(Qt::red);
    window.resize(vb::TwipsToPixelsX(1200), vb::TwipsToPixelsY(1200));
    window.show();
    const QPoint centre(vb::TwipsToPixelsX(420), vb::TwipsToPixelsY(420));
    auto colourAtCentre = [&] { return QColor(window.grab().toImage().pixel(centre)); };

    EXPECT_TRUE(dot.Visible());
    EXPECT_EQ(colourAtCentre(), QColor(Qt::red));
    dot.SetVisible(false);
    EXPECT_FALSE(dot.Visible());
    EXPECT_EQ(colourAtCentre(), QColor(Qt::white));
    dot.SetVisible(true);
    EXPECT_EQ(colourAtCentre(), QColor(Qt::red));
}
