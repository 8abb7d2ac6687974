#include "ui/tree_images.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tarn {
namespace {

constexpr int kSize = 16;

QPixmap canvas() {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPixmap folder(QColor colour) {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(colour.darker(160));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(1.5, 4.5, 13, 9), 1.5, 1.5);
    p.drawRect(QRectF(1.5, 2.5, 6, 3));
    return pixmap;
}

QPixmap circle(QColor colour, const QString& letter) {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(colour.darker(150));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont font = p.font();
    font.setPixelSize(10);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, kSize, kSize), Qt::AlignCenter, letter);
    return pixmap;
}

QPixmap listValue() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setPen(QColor(40, 90, 160));
    for (int i = 0; i < 3; ++i) {
        p.fillRect(2, 3 + i * 4, 2, 2, QColor(40, 90, 160));
        p.drawLine(6, 4 + i * 4, 13, 4 + i * 4);
    }
    return pixmap;
}

QPixmap plainValue() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setPen(QColor(60, 120, 60));
    p.setBrush(QColor(225, 240, 225));
    p.drawRect(1, 3, 13, 9);
    QFont font = p.font();
    font.setPixelSize(8);
    p.setFont(font);
    p.drawText(QRect(1, 3, 14, 10), Qt::AlignCenter, "12");
    return pixmap;
}

QPixmap hidden() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(120, 120, 120), 1.5));
    p.drawArc(QRectF(4.5, 1.5, 7, 8), 0, 180 * 16);
    p.fillRect(QRectF(3, 6, 10, 8), QColor(150, 150, 150));
    return pixmap;
}

QPixmap wave() {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 90, 20), 1.5));
    QPainterPath path(QPointF(1, 8));
    path.cubicTo(QPointF(4, 1), QPointF(6, 1), QPointF(8, 8));
    path.cubicTo(QPointF(10, 15), QPointF(12, 15), QPointF(15, 8));
    p.drawPath(path);
    return pixmap;
}

QPixmap lamp(bool on) {
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(80, 80, 80));
    p.setBrush(on ? QColor(40, 200, 60) : QColor(200, 200, 200));
    p.drawEllipse(QRectF(3.5, 3.5, 9, 9));
    return pixmap;
}

QPixmap draw(int index) {
    switch (index) {
        case kImageDevice:
            return lamp(false);
        case kImagePollingOn:
            return lamp(true);
        case kImageComputer:
            return circle(QColor(90, 90, 140), "К");
        case kImageNetwork:
            return circle(QColor(30, 120, 180), "N");
        case kImageProgramPort:
            return circle(QColor(110, 70, 160), "P");
        case kImageService:
            return circle(QColor(120, 120, 120), "S");
        case kImageConfiguration:
            return circle(QColor(30, 140, 90), "T");
        case kImagePolled:
            return wave();
        case kImageListValue:
            return listValue();
        case kImagePlainValue:
            return plainValue();
        case kImageHidden:
            return hidden();
        case kImageHeader:
            return canvas();
        default:
            // Branch images of the description: a folder, tinted by index.
            return folder(QColor::fromHsv((index * 37) % 360, 90, 235));
    }
}

}  // namespace

QIcon treeImage(int index) {
    static QHash<int, QIcon> cache;
    auto it = cache.find(index);
    if (it == cache.end()) {
        it = cache.insert(index, QIcon(draw(index)));
    }
    return *it;
}

}  // namespace tarn
