#include "update/wizard/SidePicture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace wizard {

QPixmap drawSidePicture(int width, int height)
{
    QPixmap picture(width, height);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient background(0, 0, width * 0.4, height);
    background.setColorAt(0.0, QColor(178, 24, 36));
    background.setColorAt(0.55, QColor(120, 40, 48));
    background.setColorAt(1.0, QColor(92, 94, 100));
    p.fillRect(picture.rect(), background);

    const qreal cx = width / 2.0;
    const qreal w = width * 0.72;
    const qreal top = height * 0.16;

    // Upper bead plate with two studs.
    QLinearGradient steel(cx - w / 2, 0, cx + w / 2, 0);
    steel.setColorAt(0.0, QColor(90, 92, 98));
    steel.setColorAt(0.45, QColor(215, 218, 224));
    steel.setColorAt(1.0, QColor(80, 82, 88));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 62, 66));
    p.drawRect(QRectF(cx - w * 0.28, top - 12, 5, 12));
    p.drawRect(QRectF(cx + w * 0.28 - 5, top - 12, 5, 12));
    p.setBrush(steel);
    p.drawRoundedRect(QRectF(cx - w / 2 - 2, top, w + 4, 8), 3, 3);

    // Two rubber convolutions with a girdle ring between them.
    const qreal lobe = height * 0.2;
    QLinearGradient rubber(cx - w / 2, 0, cx + w / 2, 0);
    rubber.setColorAt(0.0, QColor(18, 18, 20));
    rubber.setColorAt(0.35, QColor(78, 78, 84));
    rubber.setColorAt(0.6, QColor(40, 40, 44));
    rubber.setColorAt(1.0, QColor(12, 12, 14));
    p.setBrush(rubber);
    p.drawEllipse(QRectF(cx - w / 2, top + 4, w, lobe));
    p.drawEllipse(QRectF(cx - w / 2, top + lobe - 2, w, lobe));
    p.setBrush(steel);
    p.drawRoundedRect(QRectF(cx - w * 0.4, top + lobe - 3, w * 0.8, 6), 2, 2);

    // Piston below the bellows.
    const qreal pistonTop = top + 2 * lobe - 6;
    QPainterPath piston;
    piston.moveTo(cx - w * 0.36, pistonTop);
    piston.lineTo(cx + w * 0.36, pistonTop);
    piston.lineTo(cx + w * 0.3, pistonTop + height * 0.2);
    piston.lineTo(cx - w * 0.3, pistonTop + height * 0.2);
    piston.closeSubpath();
    p.setBrush(steel);
    p.drawPath(piston);
    p.setBrush(QColor(60, 62, 66));
    p.drawRect(QRectF(cx - 3, pistonTop + height * 0.2, 6, 9));

    // Brand name at the foot.
    QFont font(QStringLiteral("Verdana"));
    font.setBold(true);
    font.setPixelSize(qMax(10, width / 6));
    p.setFont(font);
    p.setPen(QColor(255, 255, 255));
    p.drawText(QRectF(0, height - font.pixelSize() * 2.2, width, font.pixelSize() * 1.8), Qt::AlignCenter,
               QStringLiteral("Velkorn"));
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawLine(QPointF(width * 0.18, height - font.pixelSize() * 0.5),
               QPointF(width * 0.82, height - font.pixelSize() * 0.5));
    return picture;
}

} // namespace wizard
