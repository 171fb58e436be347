// Renders the main window's pictures with the tapping-point dots drawn where the window puts them,
// so a person can check by eye that every dot sits on its point of the body or hand. The dots'
// places and the pictures' sizes are read from a main window itself.
// Usage: render_pictures [picture folder, default the built-in resources]
// The pictures go to shots/pictures in the build folder (beside this program's folder).
#include "session/SessionResources.h"
#include "session/frmMain.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

namespace {

struct Dot {
    int left;
    int top; // twips inside the picture, as the window places them
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

// The dots that stand inside one picture of the window, at their places there.
std::vector<Dot> DotsIn(const frmMain& form, const QWidget* picture)
{
    std::vector<Dot> dots;
    for (const auto& [index, dot] : form.shpStep)
        if (dot->parentWidget() == picture)
            dots.push_back({dot->Left(), dot->Top()});
    if (form.shpGreen->parentWidget() == picture)
        dots.push_back({form.shpGreen->Left(), form.shpGreen->Top()});
    return dots;
}

Picture PictureOf(const frmMain& form, const char* file, const vb::PictureBox* box)
{
    return {file, box->Width(), box->Height(), DotsIn(form, box)};
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitSessionResources();
    const QString inDir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(":/");
    const QString outDir =
        QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/../shots/pictures"));
    QDir().mkpath(outDir);

    const frmMain form;
    const std::vector<Picture> pictures = {
        PictureOf(form, "body.svg", form.picShape),
        PictureOf(form, "hand_left.svg", form.picHandLeft),
        PictureOf(form, "hand_right.svg", form.picHandRight),
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
    std::printf("%s\n", qPrintable(outDir));
    return ok ? 0 : 1;
}
