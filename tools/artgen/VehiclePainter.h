#pragma once

#include <QPainter>
#include <QRectF>

// Side-view silhouettes of the four vehicle usages (1 bus, 2 tractor unit, 3 trailer, 4 axle seen from behind),
// drawn in a 167 x 65 design space and scaled to the target; the air springs are marked in red.
class VehiclePainter
{
public:
    static void paint(QPainter& painter, const QRectF& target, int usage);

private:
    static void bus(QPainter& p);
    static void tractor(QPainter& p);
    static void trailer(QPainter& p);
    static void axle(QPainter& p);
    static void wheel(QPainter& p, const QPointF& centre, qreal radius);
    static void springMark(QPainter& p, const QRectF& rect);
};
