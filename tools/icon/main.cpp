// tarn-icon-render: renders the program's SVG icon into PNG files of given
// sizes, for the icon theme folders of an installation.
//
//   tarn-icon-render ICON.svg SIZE OUT.png [SIZE OUT.png ...]
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::fputs("usage: tarn-icon-render ICON.svg SIZE OUT.png [SIZE OUT.png ...]\n", stderr);
        return 2;
    }
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid()) {
        std::fprintf(stderr, "tarn-icon-render: %s is no SVG picture\n", argv[1]);
        return 1;
    }
    for (int i = 2; i + 1 < argc; i += 2) {
        const int size = std::stoi(argv[i]);
        if (size < 1 || size > 4096) {
            std::fprintf(stderr, "tarn-icon-render: size %s out of range\n", argv[i]);
            return 2;
        }
        QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter, QRectF(0, 0, size, size));
        painter.end();
        if (!image.save(QString::fromLocal8Bit(argv[i + 1]), "PNG")) {
            std::fprintf(stderr, "tarn-icon-render: cannot write %s\n", argv[i + 1]);
            return 1;
        }
    }
    return 0;
}
