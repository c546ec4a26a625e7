#include "InstallScene.h"

#include "ArtKit.h"
#include "SpringPainter.h"

#include <QPainterPath>
#include <QtMath>

using namespace artgen;

namespace {

const qreal kSpringX = 250;
const qreal kPlateY = 62; // underside of the bracket, top of the bead plate
const qreal kSeatY = 190; // top of the trailing arm under the spring
const qreal kStudDx = 31; // stud offset in pixels at the scene's scale

QPen edge(qreal w = 1)
{
    QPen pen(QColor(40, 40, 44), w);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QBrush steel(const QRectF& r)
{
    return verticalGradient(r, QColor(150, 152, 158), QColor(82, 84, 90));
}

} // namespace

void InstallScene::ground(QPainter& p)
{
    p.fillRect(QRectF(0, 236, Width, Height - 236),
               verticalGradient(QRectF(0, 236, 1, 14), QColor(226, 226, 230), QColor(246, 246, 248)));
    p.setPen(QPen(QColor(190, 190, 196), 1));
    p.drawLine(QPointF(0, 236), QPointF(Width, 236));
}

void InstallScene::wheelAndArm(QPainter& p, qreal drop)
{
    const QPointF hub(78, 178 + drop);
    p.setPen(edge());
    QRadialGradient tyre(hub, 58);
    tyre.setColorAt(0.6, QColor(70, 70, 74));
    tyre.setColorAt(1, QColor(28, 28, 30));
    p.setBrush(tyre);
    p.drawEllipse(hub, 58, 58);
    QRadialGradient rim(hub - QPointF(8, 8), 36);
    rim.setColorAt(0, QColor(240, 240, 242));
    rim.setColorAt(1, QColor(150, 152, 158));
    p.setBrush(rim);
    p.drawEllipse(hub, 31, 31);
    p.setBrush(QColor(110, 110, 116));
    p.drawEllipse(hub, 9, 9);
    for (int i = 0; i < 6; ++i) {
        const qreal a = i * M_PI / 3;
        p.drawEllipse(hub + QPointF(qCos(a) * 19, qSin(a) * 19), 2.4, 2.4);
    }
    // Trailing arm from the hub to the spring seat.
    QPainterPath arm;
    arm.moveTo(hub + QPointF(0, -9));
    arm.lineTo(QPointF(kSpringX + 56, kSeatY + drop));
    arm.lineTo(QPointF(kSpringX + 56, kSeatY + 16 + drop));
    arm.lineTo(hub + QPointF(0, 11));
    arm.closeSubpath();
    p.setBrush(steel(arm.boundingRect()));
    p.drawPath(arm);
    p.drawRoundedRect(QRectF(kSpringX - 54, kSeatY - 3 + drop, 110, 7), 2, 2);
}

void InstallScene::chassis(QPainter& p)
{
    const QRectF rail(0, 8, Width, 28);
    p.setPen(edge());
    p.setBrush(verticalGradient(rail, QColor(120, 122, 128), QColor(66, 68, 72)));
    p.drawRect(rail);
    p.setPen(QPen(QColor(150, 152, 158), 1));
    p.drawLine(QPointF(0, 12), QPointF(Width, 12));
    p.drawLine(QPointF(0, 32), QPointF(Width, 32));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 50, 54));
    for (int x = 14; x < Width; x += 34)
        p.drawEllipse(QPointF(x, 22), 2.5, 2.5);
}

void InstallScene::bracket(QPainter& p)
{
    // Hanger box under the rail with a cut-out so the nuts on the plate can be seen.
    const QRectF box(kSpringX - 62, 36, 124, kPlateY - 36);
    p.setPen(edge());
    p.setBrush(steel(box));
    p.drawRect(box);
    p.setBrush(QColor(206, 208, 212));
    p.drawRect(QRectF(kSpringX - 52, 40, 104, kPlateY - 48));
}

void InstallScene::spring(QPainter& p, const QPointF& offset, qreal angle)
{
    const SpringPainter s(SpringPainter::RollingLobeComplete);
    p.save();
    p.translate(QPointF(kSpringX, kPlateY) + offset);
    p.rotate(angle);
    const qreal scale = (kSeatY - kPlateY) / s.bottomFace();
    p.scale(scale, scale);
    s.paintSide(p);
    p.restore();
}

void InstallScene::nuts(QPainter& p, qreal lift)
{
    for (const qreal dx : {-kStudDx, kStudDx}) {
        const QRectF nut(kSpringX + dx - 7, kPlateY - 15 - lift, 14, 7);
        p.setPen(edge());
        p.setBrush(verticalGradient(nut, QColor(236, 236, 238), QColor(150, 150, 156)));
        p.drawRect(nut);
        p.drawLine(QPointF(nut.center().x() - 2.5, nut.top()), QPointF(nut.center().x() - 2.5, nut.bottom()));
        p.drawLine(QPointF(nut.center().x() + 2.5, nut.top()), QPointF(nut.center().x() + 2.5, nut.bottom()));
    }
}

void InstallScene::axleStand(QPainter& p, qreal x, qreal top)
{
    p.setPen(edge());
    p.setBrush(colors::red);
    p.drawRect(QRectF(x - 12, top, 24, 5));
    p.setBrush(QColor(220, 60, 50));
    p.drawRect(QRectF(x - 4, top + 5, 8, 30));
    p.setBrush(colors::redDark);
    QPolygonF legs;
    legs << QPointF(x - 6, top + 30) << QPointF(x + 6, top + 30) << QPointF(x + 24, 236) << QPointF(x + 16, 236)
         << QPointF(x, top + 40) << QPointF(x - 16, 236) << QPointF(x - 24, 236);
    p.drawPolygon(legs);
    p.drawEllipse(QPointF(x + 6, top + 20), 3, 3);
}

void InstallScene::gauge(QPainter& p, const QPointF& c, qreal value)
{
    p.setPen(edge(1.5));
    p.setBrush(verticalGradient(QRectF(c.x() - 24, c.y() - 24, 48, 48), QColor(240, 240, 242), QColor(160, 160, 166)));
    p.drawEllipse(c, 24, 24);
    p.setBrush(colors::white);
    p.drawEllipse(c, 20, 20);
    p.setPen(QPen(colors::ink, 1));
    for (int i = 0; i <= 10; ++i) {
        const qreal a = qDegreesToRadians(135.0 + i * 27.0);
        p.drawLine(c + QPointF(qCos(a) * 15, qSin(a) * 15), c + QPointF(qCos(a) * 19, qSin(a) * 19));
    }
    p.setFont(font(8, true));
    p.drawText(QRectF(c.x() - 20, c.y() + 4, 40, 12), Qt::AlignCenter, QStringLiteral("bar"));
    const qreal a = qDegreesToRadians(135.0 + value * 27.0);
    p.setPen(QPen(colors::red, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c, c + QPointF(qCos(a) * 16, qSin(a) * 16));
    p.setPen(Qt::NoPen);
    p.setBrush(colors::ink);
    p.drawEllipse(c, 2.5, 2.5);
}

void InstallScene::airLine(QPainter& p, bool connected)
{
    const QPointF inlet(kSpringX + 62, 52);
    QPainterPath hose;
    if (connected) {
        hose.moveTo(inlet);
        hose.cubicTo(inlet + QPointF(30, 0), QPointF(Width - 30, 70), QPointF(Width + 4, 74));
    } else {
        hose.moveTo(QPointF(inlet.x() + 18, 58));
        hose.cubicTo(QPointF(inlet.x() + 20, 100), QPointF(Width - 30, 70), QPointF(Width + 4, 74));
    }
    p.setPen(QPen(QColor(30, 30, 32), 5, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(hose);
    p.setPen(QPen(QColor(90, 90, 96), 1.2));
    p.drawPath(hose);
    p.setPen(edge());
    p.setBrush(colors::red);
    const QPointF fitting = connected ? inlet : QPointF(inlet.x() + 18, 58);
    p.drawRoundedRect(QRectF(fitting.x() - 5, fitting.y() - 5, 12, 10), 2, 2);
}

void InstallScene::torqueWrench(QPainter& p)
{
    const QPointF nut(kSpringX + kStudDx, kPlateY - 11.5);
    p.save();
    p.translate(nut);
    p.rotate(164);
    p.setPen(edge());
    p.setBrush(verticalGradient(QRectF(-9, -9, 18, 18), QColor(236, 236, 240), QColor(140, 140, 146)));
    p.drawRoundedRect(QRectF(-9, -9, 18, 18), 3, 3);
    QPainterPath handle;
    handle.addRoundedRect(QRectF(6, -4.5, 112, 9), 4, 4);
    p.setBrush(verticalGradient(handle.boundingRect(), QColor(214, 214, 220), QColor(110, 110, 116)));
    p.drawPath(handle);
    p.setBrush(colors::white);
    p.drawRect(QRectF(36, -2.5, 24, 5));
    p.setPen(QPen(colors::red, 1));
    p.drawLine(QPointF(48, -2.5), QPointF(48, 2.5));
    p.setPen(edge());
    p.setBrush(QColor(40, 40, 44));
    p.drawRoundedRect(QRectF(76, -6.5, 44, 13), 5, 5);
    p.restore();
    // Turning direction at the grip.
    const QPointF grip = nut + QPointF(qCos(qDegreesToRadians(164.0)) * 98, qSin(qDegreesToRadians(164.0)) * 98);
    p.setPen(QPen(colors::red, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    const QPointF from = grip + QPointF(8, -28), to = grip + QPointF(10, 26);
    QPainterPath turn;
    turn.moveTo(from);
    turn.quadTo(grip + QPointF(-22, 0), to);
    p.drawPath(turn);
    drawArrowHead(p, to, grip + QPointF(-4, 14), 9, colors::red);
}

void InstallScene::callout(QPainter& p, const QRectF& box, const QString& text)
{
    p.setPen(QPen(colors::red, 1.5));
    p.setBrush(colors::white);
    p.drawRoundedRect(box, 4, 4);
    p.setFont(font(14, true));
    p.setPen(colors::red);
    p.drawText(box, Qt::AlignCenter, text);
}

void InstallScene::paint(QPainter& p, int step)
{
    p.save();
    p.setClipRect(QRectF(0, 0, Width, Height));
    p.fillRect(QRectF(0, 0, Width, Height),
               verticalGradient(QRectF(0, 0, 1, Height), colors::white, QColor(240, 240, 243)));
    ground(p);
    const bool springInPlace = step != 3 && step != 4;
    const qreal drop = step == 3 || step == 4 ? 10 : 0;
    wheelAndArm(p, drop);
    if (step == 1 || step == 3 || step == 4) {
        // The stand's saddle meets the underside of the trailing arm.
        const qreal x = 150;
        axleStand(p, x, 189 + (x - 78) * 17.0 / (kSpringX + 56 - 78) + drop);
    }
    if (springInPlace) {
        spring(p, QPointF(0, 0), 0);
    } else if (step == 3) {
        spring(p, QPointF(64, 16), 8);
    } else {
        spring(p, QPointF(0, 14), 0);
    }
    chassis(p);
    bracket(p);
    switch (step) {
    case 1:
        nuts(p, 0);
        drawArrow(p, QPointF(34, 104), QPointF(34, 44), 5, colors::red);
        drawArrow(p, QPointF(338, 104), QPointF(338, 44), 5, colors::red);
        airLine(p, true);
        break;
    case 2: {
        nuts(p, 0);
        airLine(p, true);
        gauge(p, QPointF(330, 130), 0);
        // Air escaping from the opened line.
        p.setPen(QPen(colors::midGrey, 2, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 3; ++i)
            p.drawArc(QRectF(322 + i * 8, 60 - i * 9, 24, 22), 30 * 16, 120 * 16);
        drawArrow(p, QPointF(kSpringX, 110), QPointF(kSpringX, 150), 4, colors::red);
        break;
    }
    case 3:
        nuts(p, 20);
        drawArrow(p, QPointF(kSpringX - kStudDx, 30), QPointF(kSpringX - kStudDx, 4), 3, colors::red);
        drawArrow(p, QPointF(kSpringX + kStudDx, 30), QPointF(kSpringX + kStudDx, 4), 3, colors::red);
        drawArrow(p, QPointF(214, 150), QPointF(352, 150), 5, colors::red);
        airLine(p, false);
        break;
    case 4: {
        QPen dashed(colors::red, 1.4, Qt::DashLine);
        p.setPen(dashed);
        for (const qreal dx : {-kStudDx, kStudDx})
            p.drawLine(QPointF(kSpringX + dx, kPlateY + 4), QPointF(kSpringX + dx, 40));
        drawArrow(p, QPointF(180, 150), QPointF(180, 92), 5, colors::red);
        nuts(p, 22);
        break;
    }
    case 5:
        nuts(p, 0);
        torqueWrench(p);
        callout(p, QRectF(22, 58, 72, 28), QStringLiteral("70 Nm"));
        break;
    default: {
        nuts(p, 0);
        airLine(p, true);
        const qreal x = 334;
        drawVerticalDimension(p, x, kPlateY, kSeatY, QStringLiteral("H"));
        // Soap test at the fitting: no bubbles, a tick.
        p.setPen(QPen(QColor(150, 170, 190), 1));
        p.setBrush(QColor(230, 240, 250, 160));
        for (int i = 0; i < 4; ++i)
            p.drawEllipse(QPointF(kSpringX + 72 + i * 6, 40 - (i % 2) * 5), 3, 3);
        p.setPen(Qt::NoPen);
        p.setBrush(colors::red);
        p.drawEllipse(QPointF(150, 70), 16, 16);
        p.setPen(QPen(colors::white, 3.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        QPolygonF tick;
        tick << QPointF(142, 70) << QPointF(148, 77) << QPointF(159, 63);
        p.drawPolyline(tick);
        break;
    }
    }
    p.restore();
}
