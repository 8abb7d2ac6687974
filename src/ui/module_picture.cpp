#include "ui/module_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace tarn {
namespace {

const QColor kPanelTop(232, 238, 246);
const QColor kPanelBottom(198, 212, 230);
const QColor kBody(246, 246, 242);
const QColor kBodyEdge(120, 128, 140);
const QColor kTerminal(70, 78, 92);
const QColor kScrew(200, 204, 210);
const QColor kLedOn(40, 200, 70);
const QColor kLedOff(190, 196, 190);
const QColor kLabel(30, 60, 120);
const QColor kWireA(200, 60, 50);
const QColor kWireB(40, 90, 200);

// A row of four screw terminals between x0 and x1 with its top at y.
void drawTerminalRow(QPainter& p, qreal x0, qreal x1, qreal y, qreal h) {
    p.setPen(Qt::NoPen);
    p.setBrush(kTerminal);
    p.drawRoundedRect(QRectF(x0, y, x1 - x0, h), 3, 3);
    const qreal step = (x1 - x0) / 4;
    p.setBrush(kScrew);
    for (int i = 0; i < 4; ++i) {
        const QPointF centre(x0 + step * (i + 0.5), y + h / 2);
        p.drawEllipse(centre, h * 0.3, h * 0.3);
        p.setPen(QPen(kTerminal, 1.2));
        p.drawLine(centre + QPointF(-h * 0.2, 0), centre + QPointF(h * 0.2, 0));
        p.setPen(Qt::NoPen);
    }
}

}  // namespace

ModulePicture::ModulePicture(QWidget* parent) : QWidget(parent) {
    setMinimumSize(sizeHint());
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
}

void ModulePicture::paintEvent(QPaintEvent* /*event*/) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();

    QLinearGradient panel(area.topLeft(), area.bottomLeft());
    panel.setColorAt(0, kPanelTop);
    panel.setColorAt(1, kPanelBottom);
    p.fillRect(area, panel);

    // The module body, centred, in a fixed 150x270 design scaled to fit.
    const qreal scale = std::min(area.width() / 150.0, area.height() / 270.0);
    p.translate((area.width() - 150 * scale) / 2, (area.height() - 270 * scale) / 2);
    p.scale(scale, scale);

    const QRectF body(25, 20, 100, 190);
    p.setPen(QPen(kBodyEdge, 1.5));
    p.setBrush(kBody);
    p.drawRoundedRect(body, 8, 8);

    drawTerminalRow(p, 33, 117, 28, 16);
    drawTerminalRow(p, 33, 117, 186, 16);

    QFont font = p.font();
    font.setBold(true);
    font.setPixelSize(18);
    p.setFont(font);
    p.setPen(kLabel);
    p.drawText(QRectF(25, 52, 100, 24), Qt::AlignCenter, QStringLiteral("TARN"));

    // Eight output lamps in two columns, numbered.
    font.setBold(false);
    font.setPixelSize(9);
    p.setFont(font);
    for (int i = 0; i < 8; ++i) {
        const qreal x = i < 4 ? 48 : 92;
        const qreal y = 90 + (i % 4) * 22;
        const bool lit = i == 0 || i == 3 || i == 5 || i == 6;
        p.setPen(QPen(kBodyEdge, 0.8));
        p.setBrush(lit ? kLedOn : kLedOff);
        p.drawEllipse(QPointF(x, y), 5, 5);
        p.setPen(kTerminal);
        p.drawText(QRectF(x - 22, y - 6, 12, 12), Qt::AlignCenter, QString::number(i + 1));
    }

    // The RS-485 line leaving the bottom terminals.
    QPainterPath wireA;
    wireA.moveTo(64, 202);
    wireA.cubicTo(64, 230, 40, 235, 30, 262);
    QPainterPath wireB;
    wireB.moveTo(86, 202);
    wireB.cubicTo(86, 232, 60, 240, 52, 262);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWireA, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(wireA);
    p.setPen(QPen(kWireB, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(wireB);
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(kLabel);
    p.drawText(QRectF(66, 240, 80, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("RS-485"));
}

QPixmap optionStateImage(bool on) {
    QPixmap image(16, 16);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(90, 100, 115), 1.2));
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(8, 8), 6.2, 6.2);
    if (on) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(30, 90, 180));
        p.drawEllipse(QPointF(8, 8), 3.4, 3.4);
    }
    return image;
}

}  // namespace tarn
