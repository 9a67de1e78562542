// render-icon SVG OUTPUT_FOLDER NAME SIZE...
//
// Renders the program's icon, drawn as SVG, into the PNG sizes of the desktop's icon theme:
// OUTPUT_FOLDER/<SIZE>x<SIZE>/apps/NAME.png for every SIZE. It needs no display: it runs on
// Qt's offscreen platform at build time.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

namespace {

bool renderSize(QSvgRenderer& icon, int size, const QString& path) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    icon.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return QDir().mkpath(QFileInfo(path).path()) && image.save(path, "PNG");
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 5) {
        std::fprintf(stderr, "usage: render-icon SVG OUTPUT_FOLDER NAME SIZE...\n");
        return 2;
    }
    QSvgRenderer icon(args[1]);
    if (!icon.isValid()) {
        std::fprintf(stderr, "render-icon: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    for (const QString& sizeText : args.mid(4)) {
        bool ok = false;
        const int size = sizeText.toInt(&ok);
        const QString path =
            QStringLiteral("%1/%2x%2/apps/%3.png").arg(args[2]).arg(size).arg(args[3]);
        if (!ok || size <= 0 || !renderSize(icon, size, path)) {
            std::fprintf(stderr, "render-icon: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
