// Draws the program icon as PNG files for the icon theme, whose small sizes want bitmaps.
// Usage: quolmar_icon ICON.svg OUTDIR SIZE...  writes OUTDIR/<SIZE>x<SIZE>/quolmar.png
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char* argv[]) {
    if (argc < 4) {
        std::fputs("usage: quolmar_icon ICON.svg OUTDIR SIZE...\n", stderr);
        return 2;
    }
    QSvgRenderer svg(QString::fromLocal8Bit(argv[1]));
    if (!svg.isValid()) {
        std::fprintf(stderr, "quolmar_icon: cannot read %s\n", argv[1]);
        return 1;
    }
    const QDir out(QString::fromLocal8Bit(argv[2]));
    for (int i = 3; i < argc; ++i) {
        bool ok = false;
        const int size = QString::fromLocal8Bit(argv[i]).toInt(&ok);
        if (!ok || size <= 0 || size > 1024) {
            std::fprintf(stderr, "quolmar_icon: bad size %s\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setRenderHint(QPainter::SmoothPixmapTransform);
            svg.render(&painter);
        }
        const QString dir = QStringLiteral("%1x%1").arg(size);
        const QString file = out.filePath(dir + QStringLiteral("/quolmar.png"));
        if (!out.mkpath(dir) || !image.save(file, "PNG")) {
            std::fprintf(stderr, "quolmar_icon: cannot write %s\n", qPrintable(file));
            return 1;
        }
    }
    return 0;
}
