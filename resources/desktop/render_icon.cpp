// Renders the application icon's SVG into the PNG sizes desktops look for:
//   korvex-render-icon SVG SIDE OUT.png
// Built and run by the build only.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char **argv)
{
    // no display is needed to draw into an image
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    bool sideOk = false;
    const int side = arguments.value(2).toInt(&sideOk);
    if (arguments.size() != 4 || !sideOk || side <= 0) {
        std::fprintf(stderr, "usage: korvex-render-icon SVG SIDE OUT.png\n");
        return 2;
    }
    QSvgRenderer renderer(arguments.at(1));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(arguments.at(1)));
        return 1;
    }
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(arguments.at(3), "PNG")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(arguments.at(3)));
        return 1;
    }
    return 0;
}
