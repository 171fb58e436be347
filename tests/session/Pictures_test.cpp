// The main window's pictures come from the built-in resources; each must load and keep the size
// that the window's layout and the tapping-point dots were placed for (15 twips to a pixel).
#include <QSvgRenderer>
#include <QStringList>
#include <gtest/gtest.h>

namespace {

// Warnings of the SVG reader: an element it does not support is dropped silently otherwise.
QStringList svgWarnings;
void RecordSvgWarning(QtMsgType, const QMessageLogContext& context, const QString& message)
{
    if (context.category && QByteArray(context.category).startsWith("qt.svg"))
        svgWarnings << message;
}

struct PictureCase {
    const char* path;
    int width;
    int height;
};

class Pictures : public ::testing::TestWithParam<PictureCase> {};

TEST_P(Pictures, LoadsWithItsLayoutSize)
{
    const PictureCase& c = GetParam();
    svgWarnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(RecordSvgWarning);
    QSvgRenderer svg(QString::fromLatin1(c.path));
    qInstallMessageHandler(previous);
    EXPECT_TRUE(svgWarnings.isEmpty()) << c.path << ": " << svgWarnings.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(svg.isValid()) << c.path;
    EXPECT_EQ(svg.defaultSize(), QSize(c.width, c.height)) << c.path;
    EXPECT_EQ(svg.viewBoxF(), QRectF(0, 0, c.width, c.height)) << c.path;
}

INSTANTIATE_TEST_SUITE_P(MainWindow, Pictures,
                         ::testing::Values(PictureCase{":/body.svg", 7140 / 15, 8535 / 15},
                                           PictureCase{":/hand_left.svg", 3825 / 15, 2415 / 15},
                                           PictureCase{":/hand_right.svg", 3825 / 15, 2415 / 15},
                                           PictureCase{":/icon.svg", 256, 256},
                                           PictureCase{":/web.svg", 24, 24},
                                           PictureCase{":/menu.svg", 24, 24}),
                         [](const ::testing::TestParamInfo<PictureCase>& param) {
                             QString name = QString::fromLatin1(param.param.path).mid(2);
                             name.chop(4);
                             return name.toStdString();
                         });

} // namespace
