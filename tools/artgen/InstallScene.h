#pragma once

#include <QPainter>

// One illustrated fitting step (1..6) in a 365 x 250 scene: wheel, trailing arm, chassis rail, hanger bracket and
// the air spring, with the tools and arrows of that step.
class InstallScene
{
public:
    static const int Width = 365;
    static const int Height = 250;

    static void paint(QPainter& painter, int step);

private:
    static void ground(QPainter& p);
    static void wheelAndArm(QPainter& p, qreal drop);
    static void chassis(QPainter& p);
    static void bracket(QPainter& p);
    static void spring(QPainter& p, const QPointF& offset, qreal angle);
    static void nuts(QPainter& p, qreal lift);
    static void axleStand(QPainter& p, qreal x, qreal top);
    static void gauge(QPainter& p, const QPointF& centre, qreal value);
    static void airLine(QPainter& p, bool connected);
    static void torqueWrench(QPainter& p);
    static void callout(QPainter& p, const QRectF& box, const QString& text);
};
