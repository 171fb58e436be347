// Renders the main window's pictures with the tapping-point dots drawn where the window puts them,
// so a person can check by eye that every dot sits on its point of the body or hand.
// Usage: render_pictures [picture folder, default the built-in resources] [output folder]
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

struct Dot {
    int left;
    int top; // twips inside the picture, as the window's layout stores them
    const char* tag;
};

struct Picture {
    const char* file;
    int widthTwips;
    int heightTwips;
    std::vector<Dot> dots;
};

constexpr int kTwipsPerPixel = 15;
constexpr int kDotTwips = 240;

bool RenderOne(const QString& source, const Picture& pic, const QString& outDir, int scale)
{
    QSvgRenderer svg(source);
    if (!svg.isValid()) {
        std::fprintf(stderr, "cannot load %s\n", qPrintable(source));
        return false;
    }
    const QSize px(pic.widthTwips / kTwipsPerPixel, pic.heightTwips / kTwipsPerPixel);
    QImage img(px * scale, QImage::Format_ARGB32_Premultiplied);
    img.fill(QColor(0xF4, 0xF1, 0xEA)); // a light pane colour, like the window's
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(scale, scale);
    svg.render(&p, QRectF(QPointF(0, 0), QSizeF(px)));
    p.setPen(QPen(Qt::red, 1));
    p.setBrush(QColor(255, 0, 0, 110));
    for (const Dot& d : pic.dots) {
        const double x = double(d.left) / kTwipsPerPixel;
        const double y = double(d.top) / kTwipsPerPixel;
        const double size = double(kDotTwips) / kTwipsPerPixel;
        p.drawEllipse(QRectF(x, y, size, size));
        p.drawPoint(QPointF(x + size / 2, y + size / 2));
    }
    p.end();
    QString name = QFileInfo(pic.file).completeBaseName();
    if (scale != 1)
        name += QStringLiteral("@%1x").arg(scale);
    return img.save(QDir(outDir).filePath(name + QStringLiteral(".png")));
}

} // namespace

int main(int argc, char** argv)
{
    Q_INIT_RESOURCE(resources);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString inDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(":/");
    const QString outDir = argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral("/work/shots-pictures");
    QDir().mkpath(outDir);

    const std::vector<Picture> pictures = {
        {"body.svg", 7140, 8535,
         {{3330, 150, "TopHead"}, {3210, 1650, "LeftEyeBrow"}, {2580, 1830, "LeftEyeCorner"},
          {2940, 2100, "LeftUnderEye"}, {3330, 2490, "UnderNose"}, {3330, 3120, "Chin"},
          {2820, 4170, "LeftCollarbone"}, {1530, 8250, "LeftUnderArm"}, {4110, 1860, "RightEyeCorner"},
          {3750, 2100, "RightUnderEye"}, {3870, 4170, "RightCollarbone"}, {5130, 8250, "RightUnderArm"},
          {3480, 1650, "RightEyeBrow"}, {3330, 4650, "Thymus"}}},
        {"hand_left.svg", 3825, 2415, {{1590, 2130, "LeftHand"}}},
        {"hand_right.svg", 3825, 2415, {{1980, 2160, "RightHand"}}},
        {"icon.svg", 3840, 3840, {}},
        {"web.svg", 360, 360, {}},
        {"menu.svg", 360, 360, {}},
    };
    bool ok = true;
    for (const Picture& pic : pictures) {
        const QString source = QDir(inDir).filePath(QString::fromLatin1(pic.file));
        ok = RenderOne(source, pic, outDir, 1) && ok;
        ok = RenderOne(source, pic, outDir, 2) && ok;
        if (pic.widthTwips < 1000)
            ok = RenderOne(source, pic, outDir, 4) && ok;
    }
    return ok ? 0 : 1;
}
