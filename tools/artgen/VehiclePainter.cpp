#include "VehiclePainter.h"

#include "ArtKit.h"

#include <QPainterPath>

using namespace artgen;

namespace {

QPen edge()
{
    QPen pen(QColor(70, 70, 74), 1.0);
    pen.setCosmetic(true);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QBrush body(const QRectF& r)
{
    return verticalGradient(r, QColor(250, 250, 250), QColor(196, 198, 202));
}

const QColor glass(58, 66, 76);

} // namespace

void VehiclePainter::paint(QPainter& painter, const QRectF& target, int usage)
{
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(target.width() / 167.0, target.height() / 65.0);
    // Ground shadow.
    QRadialGradient shadow(QPointF(83, 61), 80);
    shadow.setColorAt(0, QColor(0, 0, 0, 40));
    shadow.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(QRectF(4, 57, 159, 7));
    switch (usage) {
    case 1:
        bus(painter);
        break;
    case 2:
        tractor(painter);
        break;
    case 3:
        trailer(painter);
        break;
    default:
        axle(painter);
        break;
    }
    painter.restore();
}

void VehiclePainter::wheel(QPainter& p, const QPointF& c, qreal r)
{
    p.setPen(edge());
    p.setBrush(QColor(40, 40, 44));
    p.drawEllipse(c, r, r);
    QRadialGradient hub(c - QPointF(r * 0.2, r * 0.2), r * 0.7);
    hub.setColorAt(0, QColor(236, 236, 238));
    hub.setColorAt(1, QColor(150, 150, 156));
    p.setBrush(hub);
    p.drawEllipse(c, r * 0.55, r * 0.55);
    p.setBrush(QColor(90, 90, 96));
    p.drawEllipse(c, r * 0.18, r * 0.18);
}

void VehiclePainter::springMark(QPainter& p, const QRectF& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(colors::red);
    p.drawRoundedRect(r, r.width() * 0.35, r.height() * 0.3);
}

void VehiclePainter::bus(QPainter& p)
{
    QPainterPath shell;
    shell.addRoundedRect(QRectF(5, 7, 156, 45), 7, 7);
    p.setPen(edge());
    p.setBrush(body(shell.boundingRect()));
    p.drawPath(shell);
    // Window band with pillars, windscreen at the front (left).
    p.setBrush(glass);
    p.drawRoundedRect(QRectF(5.5, 12, 14, 22), 4, 4);
    for (int i = 0; i < 7; ++i)
        p.drawRoundedRect(QRectF(24 + i * 19, 13, 16, 14), 1.5, 1.5);
    // Door.
    p.setBrush(QColor(120, 128, 138));
    p.drawRect(QRectF(24, 29, 11, 20));
    p.drawLine(QPointF(29.5, 29), QPointF(29.5, 49));
    // Red band and skirt.
    p.setPen(Qt::NoPen);
    p.setBrush(colors::red);
    p.drawRect(QRectF(36, 32, 124, 4));
    p.setBrush(QColor(150, 150, 156));
    p.drawRect(QRectF(6, 46, 154, 3));
    // Wheel arches, shadowed inside the body, then the wheels.
    p.save();
    p.setClipPath(shell);
    p.setBrush(QColor(62, 62, 66));
    p.drawEllipse(QPointF(38, 53), 11.5, 11.5);
    p.drawEllipse(QPointF(132, 53), 11.5, 11.5);
    p.restore();
    springMark(p, QRectF(33, 37.5, 10, 4));
    springMark(p, QRectF(127, 37.5, 10, 4));
    wheel(p, QPointF(38, 53), 9);
    wheel(p, QPointF(132, 53), 9);
}

void VehiclePainter::tractor(QPainter& p)
{
    p.setPen(edge());
    // Chassis frame and fifth wheel.
    p.setBrush(QColor(90, 90, 96));
    p.drawRect(QRectF(8, 41, 152, 6));
    p.setBrush(QColor(160, 160, 166));
    p.drawRoundedRect(QRectF(100, 35, 34, 6), 2, 2);
    // Cab.
    QPainterPath cab;
    cab.moveTo(8, 46);
    cab.lineTo(8, 16);
    cab.quadTo(8, 5, 19, 5);
    cab.lineTo(52, 5);
    cab.lineTo(54, 46);
    cab.closeSubpath();
    p.setBrush(body(cab.boundingRect()));
    p.drawPath(cab);
    // Bumper and head lamp.
    p.setBrush(QColor(150, 150, 156));
    p.drawRoundedRect(QRectF(6, 40, 14, 6), 1.5, 1.5);
    p.setBrush(QColor(255, 236, 170));
    p.drawRoundedRect(QRectF(7.5, 34, 6, 4), 1, 1);
    p.setBrush(glass);
    QPainterPath screen;
    screen.moveTo(9.5, 24);
    screen.lineTo(10, 15);
    screen.quadTo(11, 9, 19, 9);
    screen.lineTo(30, 9);
    screen.lineTo(30, 24);
    screen.closeSubpath();
    p.drawPath(screen);
    p.drawRoundedRect(QRectF(34, 9, 15, 15), 1.5, 1.5);
    p.setPen(Qt::NoPen);
    p.setBrush(colors::red);
    p.drawRect(QRectF(8.5, 29, 45, 3.5));
    p.setPen(edge());
    // Exhaust stack and fuel tank.
    p.setBrush(QColor(170, 170, 176));
    p.drawRect(QRectF(55, 8, 4, 33));
    p.drawRoundedRect(QRectF(62, 38, 26, 9), 3, 3);
    springMark(p, QRectF(114, 36.5, 9, 4));
    springMark(p, QRectF(138, 36.5, 9, 4));
    wheel(p, QPointF(26, 52), 9);
    wheel(p, QPointF(118, 52), 9);
    wheel(p, QPointF(142, 52), 9);
}

void VehiclePainter::trailer(QPainter& p)
{
    p.setPen(edge());
    QPainterPath box;
    box.addRoundedRect(QRectF(4, 6, 158, 36), 2, 2);
    p.setBrush(body(box.boundingRect()));
    p.drawPath(box);
    // Panel ribs.
    QPen rib(QColor(190, 190, 194), 0.8);
    rib.setCosmetic(true);
    p.setPen(rib);
    for (int i = 1; i < 10; ++i)
        p.drawLine(QPointF(4 + i * 15.8, 8), QPointF(4 + i * 15.8, 40));
    p.setPen(Qt::NoPen);
    p.setBrush(colors::red);
    p.drawRect(QRectF(4.5, 34, 157, 3.5));
    p.setPen(edge());
    p.setBrush(QColor(90, 90, 96));
    p.drawRect(QRectF(8, 42, 154, 4));
    // Landing gear.
    p.setBrush(QColor(150, 150, 156));
    p.drawRect(QRectF(40, 46, 3, 10));
    p.drawRect(QRectF(37, 55, 9, 2));
    for (const qreal x : {112.0, 131.0, 150.0}) {
        springMark(p, QRectF(x - 4.5, 45.5, 9, 3.5));
        wheel(p, QPointF(x, 54), 8);
    }
}

void VehiclePainter::axle(QPainter& p)
{
    p.setPen(edge());
    // Chassis rails seen from behind.
    p.setBrush(QColor(110, 110, 116));
    p.drawRect(QRectF(44, 6, 11, 12));
    p.drawRect(QRectF(112, 6, 11, 12));
    p.setBrush(QColor(150, 150, 156));
    p.drawRect(QRectF(44, 9, 79, 4));
    // Axle beam.
    p.setBrush(verticalGradient(QRectF(20, 40, 127, 8), QColor(170, 170, 176), QColor(80, 80, 86)));
    p.drawRoundedRect(QRectF(22, 40, 123, 8), 3, 3);
    p.drawRoundedRect(QRectF(72, 36, 23, 16), 6, 6);
    // Air springs: plates in red, bellows dark.
    for (const qreal x : {49.5, 117.5}) {
        p.setBrush(colors::red);
        p.drawRect(QRectF(x - 10, 18, 20, 3));
        p.drawRect(QRectF(x - 10, 36, 20, 3));
        QPainterPath bellows;
        bellows.moveTo(x - 8, 21);
        bellows.cubicTo(x - 15, 23, x - 15, 27.5, x - 8, 28.5);
        bellows.cubicTo(x - 15, 29.5, x - 15, 34, x - 8, 36);
        bellows.lineTo(x + 8, 36);
        bellows.cubicTo(x + 15, 34, x + 15, 29.5, x + 8, 28.5);
        bellows.cubicTo(x + 15, 27.5, x + 15, 23, x + 8, 21);
        bellows.closeSubpath();
        p.setBrush(cylinderShade(bellows.boundingRect(), QColor(34, 34, 37), QColor(110, 110, 116)));
        p.drawPath(bellows);
    }
    // Twin tyres at both ends.
    for (const qreal x : {6.0, 143.0}) {
        p.setBrush(QColor(40, 40, 44));
        p.drawRoundedRect(QRectF(x, 22, 8.5, 38), 3, 3);
        p.drawRoundedRect(QRectF(x + 9.5, 22, 8.5, 38), 3, 3);
        p.setBrush(QColor(160, 160, 166));
        p.drawRect(QRectF(x + 3, 37, 12, 8));
    }
}
