#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QRectF>

// Vector drawings of the eight air-spring styles, in millimetres with the top of the top plate at y = 0 and the
// spring's axis at x = 0 (y grows downwards). Callers fit the drawing into a picture with fitInto().
class SpringPainter
{
public:
    enum Kind
    {
        RollingLobeSleeve = 1,
        RollingLobeNoPiston,
        RollingLobeComplete,
        Convoluted1,
        Convoluted2,
        Convoluted3,
        Cab,
        Seat
    };

    explicit SpringPainter(Kind kind);

    Kind kind() const { return m_kind; }
    QRectF sideExtent() const;
    QRectF topExtent() const;
    // Outer diameter and nominal height, for dimension labels.
    int diameter() const;
    int height() const;
    qreal maxRadius() const;
    // y of the lowest mounting face (piston base, bottom plate or bead), and of the top plate's top.
    qreal bottomFace() const;

    void paintSide(QPainter& painter) const;
    void paintSection(QPainter& painter) const;
    void paintTop(QPainter& painter) const;

    // Sets painter's transform so that the millimetre rectangle fills target, centred, keeping proportions.
    // Returns the scale (pixels per millimetre).
    static qreal fitInto(QPainter& painter, const QRectF& target, const QRectF& extent);

private:
    int convolutions() const;
    bool isRollingLobe() const;
    QPainterPath convolutedBellowsPath() const;
    QPainterPath pistonPath() const;
    QPainterPath tailPath() const;

    void paintPlate(QPainter& p, qreal y, qreal radius, qreal thickness, bool section) const;
    void paintStud(QPainter& p, qreal x, qreal yFrom, qreal yTo, qreal width, bool section) const;
    void paintAirInlet(QPainter& p, qreal x, qreal yBase, bool section) const;
    void paintEye(QPainter& p, qreal cy, bool section) const;
    void paintRubber(QPainter& p, const QPainterPath& path) const;
    void paintMetal(QPainter& p, const QPainterPath& path, bool section) const;
    void paintGirdle(QPainter& p, qreal y, qreal radius, bool section) const;
    void paintSideImpl(QPainter& p, bool section) const;

    Kind m_kind;
};
