#include "SpringPainter.h"

#include "ArtKit.h"

#include <QLinearGradient>
#include <QRadialGradient>

namespace {

// Rolling-lobe proportions: crimp radius at the plate, outer radius, fold bottom and the piston's radius.
struct Lobe
{
    qreal top, crimp, outer, fold, piston;
};

const qreal kConvolutionHeight = 92;

QPen outline(qreal width = 1.0)
{
    QPen pen(QColor(32, 32, 35), width);
    pen.setCosmetic(true);
    pen.setJoinStyle(Qt::RoundJoin);
    return pen;
}

QBrush rubberBrush(const QRectF& r)
{
    return artgen::cylinderShade(r, QColor(34, 34, 37), QColor(108, 108, 114));
}

QBrush metalBrush(const QRectF& r)
{
    return artgen::cylinderShade(r, QColor(138, 141, 146), QColor(238, 240, 242));
}

QBrush hatchBrush()
{
    return QBrush(QColor(120, 120, 126), Qt::BDiagPattern);
}

QPainterPath lobePath(const Lobe& l)
{
    const qreal r = l.outer, k = l.crimp, f = l.fold, pr = l.piston;
    const qreal shoulder = l.top + (r - k) * 2.4;
    const qreal belly = f - (r - pr) * 0.95;
    QPainterPath path;
    path.moveTo(-k, l.top - 2);
    path.cubicTo(-r + 3, l.top, -r, l.top + (shoulder - l.top) * 0.5, -r, shoulder);
    path.lineTo(-r, belly);
    path.cubicTo(-r, f - (f - belly) * 0.1, -r + (r - pr) * 0.35, f, -(pr + (r - pr) * 0.35), f);
    path.cubicTo(-pr - 4, f, -pr, f - 4, -pr, f - 10);
    path.quadTo(0, f + 2, pr, f - 10); // the fold seen slightly from above
    path.cubicTo(pr, f - 4, pr + 4, f, pr + (r - pr) * 0.35, f);
    path.cubicTo(r - (r - pr) * 0.35, f, r, f - (f - belly) * 0.1, r, belly);
    path.lineTo(r, shoulder);
    path.cubicTo(r, l.top + (shoulder - l.top) * 0.5, r - 3, l.top, k, l.top - 2);
    path.closeSubpath();
    return path;
}

// The two cut walls of a rolling lobe, without the closing lines across the top and the piston.
QPainterPath lobeWalls(const Lobe& l)
{
    const qreal r = l.outer, k = l.crimp, f = l.fold, pr = l.piston;
    const qreal shoulder = l.top + (r - k) * 2.4;
    const qreal belly = f - (r - pr) * 0.95;
    QPainterPath path;
    for (const qreal s : {-1.0, 1.0}) {
        path.moveTo(s * k, l.top - 2);
        path.cubicTo(s * (r - 3), l.top, s * r, l.top + (shoulder - l.top) * 0.5, s * r, shoulder);
        path.lineTo(s * r, belly);
        path.cubicTo(s * r, f - (f - belly) * 0.1, s * (r - (r - pr) * 0.35), f, s * (pr + (r - pr) * 0.35), f);
        path.cubicTo(s * (pr + 4), f, s * pr, f - 4, s * pr, f - 10);
    }
    return path;
}

Lobe lobeFor(SpringPainter::Kind kind)
{
    if (kind == SpringPainter::Cab)
        return {52, 46, 58, 170, 34};
    if (kind == SpringPainter::RollingLobeSleeve)
        return {10, 108, 130, 178, 92};
    return {8, 112, 130, 178, 92};
}

} // namespace

SpringPainter::SpringPainter(Kind kind) : m_kind(kind) {}

int SpringPainter::convolutions() const
{
    switch (m_kind) {
    case Convoluted1:
        return 1;
    case Convoluted2:
        return 2;
    case Convoluted3:
        return 3;
    case Seat:
        return 1;
    default:
        return 0;
    }
}

bool SpringPainter::isRollingLobe() const
{
    return m_kind == RollingLobeSleeve || m_kind == RollingLobeNoPiston || m_kind == RollingLobeComplete ||
           m_kind == Cab;
}

qreal SpringPainter::maxRadius() const
{
    switch (m_kind) {
    case Cab:
        return 58;
    case Seat:
        return 82;
    case Convoluted1:
    case Convoluted2:
    case Convoluted3:
        return 158;
    default:
        return 130;
    }
}

qreal SpringPainter::bottomFace() const
{
    switch (m_kind) {
    case RollingLobeSleeve:
    case RollingLobeNoPiston:
        return 212;
    case RollingLobeComplete:
        return 282;
    case Cab:
        return 322;
    case Seat:
        return 82;
    default:
        return 10 + convolutions() * kConvolutionHeight + 10;
    }
}

QRectF SpringPainter::sideExtent() const
{
    const qreal r = maxRadius() + 4;
    switch (m_kind) {
    case RollingLobeSleeve:
        return QRectF(-r, -4, 2 * r, 220);
    case RollingLobeNoPiston:
        return QRectF(-r, -34, 2 * r, 250);
    case RollingLobeComplete:
        return QRectF(-r, -34, 2 * r, 344);
    case Cab:
        return QRectF(-r, -4, 2 * r, 350);
    case Seat:
        return QRectF(-r, -30, 2 * r + 22, 132);
    default:
        return QRectF(-r, -34, 2 * r, bottomFace() + 34 + 26);
    }
}

QRectF SpringPainter::topExtent() const
{
    const qreal r = maxRadius() + 6;
    // The seat spring's push-in inlet reaches past the bellows.
    const qreal inlet = m_kind == Seat ? 6 : 0;
    return QRectF(-r, -r, 2 * r + inlet, 2 * r);
}

int SpringPainter::diameter() const
{
    return qRound(maxRadius() * 2);
}

int SpringPainter::height() const
{
    if (m_kind == Cab)
        return 304; // eye to eye
    return qRound(bottomFace());
}

QPainterPath SpringPainter::convolutedBellowsPath() const
{
    const int n = convolutions();
    const bool seat = m_kind == Seat;
    const qreal top = seat ? 6 : 10;
    const qreal h = seat ? 70 : kConvolutionHeight;
    const qreal waist = seat ? 60 : 118;
    const qreal r = maxRadius();
    const qreal c = (r - 0.25 * waist) / 0.75; // control x so that the bulge peaks at r
    QPainterPath path;
    path.moveTo(-waist, top);
    for (int i = 0; i < n; ++i) {
        const qreal y0 = top + i * h, y1 = y0 + h;
        path.cubicTo(-c, y0 + h * 0.06, -c, y1 - h * 0.06, -waist, y1);
    }
    path.lineTo(waist, top + n * h);
    for (int i = n - 1; i >= 0; --i) {
        const qreal y0 = top + i * h, y1 = y0 + h;
        path.cubicTo(c, y1 - h * 0.06, c, y0 + h * 0.06, waist, y0);
    }
    path.closeSubpath();
    return path;
}

QPainterPath SpringPainter::pistonPath() const
{
    QPainterPath path;
    if (m_kind == Cab) {
        path.addRoundedRect(QRectF(-34, 150, 68, 150), 4, 4);
        path.addRect(QRectF(-12, 298, 24, 8));
        return path;
    }
    path.moveTo(-92, 160);
    path.lineTo(-94, 204);
    path.cubicTo(-92, 236, -84, 252, -86, 266);
    path.lineTo(-102, 270);
    path.lineTo(-102, 282);
    path.lineTo(102, 282);
    path.lineTo(102, 270);
    path.lineTo(86, 266);
    path.cubicTo(84, 252, 92, 236, 94, 204);
    path.lineTo(92, 160);
    path.closeSubpath();
    return path;
}

QPainterPath SpringPainter::tailPath() const
{
    QPainterPath path;
    path.moveTo(-92, 168);
    path.lineTo(-89, 198);
    path.quadTo(-98, 202, -96, 212);
    path.lineTo(96, 212);
    path.quadTo(98, 202, 89, 198);
    path.lineTo(92, 168);
    path.closeSubpath();
    return path;
}

void SpringPainter::paintRubber(QPainter& p, const QPainterPath& path) const
{
    p.setPen(outline());
    p.setBrush(rubberBrush(path.boundingRect()));
    p.drawPath(path);
}

void SpringPainter::paintMetal(QPainter& p, const QPainterPath& path, bool section) const
{
    p.setPen(outline());
    if (section) {
        p.setBrush(QColor(236, 236, 238));
        p.drawPath(path);
        p.setBrush(hatchBrush());
    } else {
        p.setBrush(metalBrush(path.boundingRect()));
    }
    p.drawPath(path);
}

void SpringPainter::paintPlate(QPainter& p, qreal y, qreal radius, qreal thickness, bool section) const
{
    QPainterPath plate;
    plate.addRoundedRect(QRectF(-radius, y, 2 * radius, thickness), thickness / 3, thickness / 3);
    paintMetal(p, plate, section);
}

void SpringPainter::paintStud(QPainter& p, qreal x, qreal yFrom, qreal yTo, qreal width, bool section) const
{
    QPainterPath stud;
    stud.addRect(QRectF(x - width / 2, qMin(yFrom, yTo), width, qAbs(yTo - yFrom)));
    paintMetal(p, stud, section);
    // Thread lines.
    QPen thread(QColor(90, 90, 96), 0.8);
    thread.setCosmetic(true);
    p.setPen(thread);
    const qreal step = 3;
    for (qreal y = qMin(yFrom, yTo) + 2; y < qMax(yFrom, yTo) - 1; y += step)
        p.drawLine(QPointF(x - width / 2, y), QPointF(x + width / 2, y + 1.2));
}

void SpringPainter::paintAirInlet(QPainter& p, qreal x, qreal yBase, bool section) const
{
    // Hexagon boss, then the threaded nipple with its bore.
    QPainterPath hex;
    hex.addRect(QRectF(x - 13, yBase - 9, 26, 9));
    paintMetal(p, hex, section);
    QPainterPath nipple;
    nipple.addRect(QRectF(x - 7, yBase - 30, 14, 21));
    paintMetal(p, nipple, section);
    p.setPen(outline());
    p.drawLine(QPointF(x - 4.5, yBase - 9), QPointF(x - 4.5, yBase));
    p.drawLine(QPointF(x + 4.5, yBase - 9), QPointF(x + 4.5, yBase));
    if (section) {
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(x - 2.5, yBase - 30, 5, 40));
    }
}

void SpringPainter::paintEye(QPainter& p, qreal cy, bool section) const
{
    QPainterPath eye;
    eye.addEllipse(QPointF(0, cy), 18, 18);
    QPainterPath hole;
    hole.addEllipse(QPointF(0, cy), 8, 8);
    eye = eye.subtracted(hole);
    paintMetal(p, eye, section);
    p.setPen(outline());
    p.setBrush(QColor(60, 60, 64));
    p.drawEllipse(QPointF(0, cy), 5, 5);
}

void SpringPainter::paintGirdle(QPainter& p, qreal y, qreal radius, bool section) const
{
    QPainterPath ring;
    ring.addRoundedRect(QRectF(-radius, y - 6, 2 * radius, 12), 5, 5);
    paintMetal(p, ring, section);
}

void SpringPainter::paintSideImpl(QPainter& p, bool section) const
{
    p.save();
    if (isRollingLobe()) {
        const Lobe lobe = lobeFor(m_kind);
        const bool cab = m_kind == Cab;
        if (m_kind == RollingLobeComplete || cab) {
            paintMetal(p, pistonPath(), section);
            if (cab)
                paintEye(p, 322, section);
            else
                paintStud(p, 0, 282, 306, 16, section);
        } else if (section) {
            // The open lower end of the sleeve: two walls ending in beads.
            QPen wall(QColor(40, 40, 44), 6);
            wall.setJoinStyle(Qt::RoundJoin);
            wall.setCapStyle(Qt::RoundCap);
            p.setPen(wall);
            p.setBrush(Qt::NoBrush);
            for (const qreal s : {-1.0, 1.0}) {
                QPainterPath side;
                side.moveTo(s * 92, 168);
                side.lineTo(s * 89, 198);
                side.quadTo(s * 98, 202, s * 96, 210);
                p.drawPath(side);
                p.setBrush(QColor(40, 40, 44));
                p.drawEllipse(QPointF(s * 94, 208), 3, 3);
                p.setBrush(Qt::NoBrush);
            }
        } else {
            paintRubber(p, tailPath());
        }
        const QPainterPath bellows = lobePath(lobe);
        if (section) {
            // Cut rubber wall: a thick dark band with the air chamber white inside.
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPath(bellows);
            QPen wall(QColor(40, 40, 44), 6);
            wall.setJoinStyle(Qt::RoundJoin);
            p.setPen(wall);
            p.setBrush(Qt::NoBrush);
            p.drawPath(lobeWalls(lobe));
            // The sleeve rolls up the piston's side back to the piston top.
            p.drawLine(QPointF(-lobe.piston + 3, lobe.fold - 8), QPointF(-lobe.piston + 3, lobe.fold - 22));
            p.drawLine(QPointF(lobe.piston - 3, lobe.fold - 8), QPointF(lobe.piston - 3, lobe.fold - 22));
            if (m_kind == RollingLobeComplete) {
                QPainterPath top;
                top.addRoundedRect(QRectF(-lobe.piston, lobe.fold - 24, 2 * lobe.piston, 8), 2, 2);
                paintMetal(p, top, true);
                QPainterPath bumper;
                bumper.addRoundedRect(QRectF(-46, 104, 92, 54), 14, 14);
                p.setPen(outline());
                p.setBrush(QColor(88, 88, 94));
                p.drawPath(bumper);
                p.setBrush(QColor(70, 70, 75));
                p.drawRoundedRect(QRectF(-30, 112, 60, 10), 4, 4);
            }
        } else {
            paintRubber(p, bellows);
            // Soft shading at the shoulder and at the fold, so the sleeve reads round.
            QLinearGradient shade(0, lobe.top, 0, lobe.fold);
            shade.setColorAt(0, QColor(0, 0, 0, 70));
            shade.setColorAt(0.18, QColor(0, 0, 0, 0));
            shade.setColorAt(0.82, QColor(0, 0, 0, 0));
            shade.setColorAt(1, QColor(0, 0, 0, 90));
            p.setPen(Qt::NoPen);
            p.setBrush(shade);
            p.drawPath(bellows);
        }
        if (cab) {
            paintPlate(p, 44, 48, 8, section);
            QPainterPath stem;
            stem.addRect(QRectF(-9, 30, 18, 14));
            paintMetal(p, stem, section);
            paintEye(p, 18, section);
        } else if (m_kind == RollingLobeSleeve) {
            QPainterPath bead;
            bead.addRoundedRect(QRectF(-114, 0, 228, 14), 7, 7);
            paintRubber(p, bead);
        } else {
            paintPlate(p, 0, 116, 8, section);
            // Crimped edge of the plate over the bead.
            QPainterPath crimp;
            crimp.addRoundedRect(QRectF(-120, 2, 12, 12), 4, 4);
            crimp.addRoundedRect(QRectF(108, 2, 12, 12), 4, 4);
            paintMetal(p, crimp, section);
            paintStud(p, -70, -22, 0, 12, section);
            paintStud(p, 70, -22, 0, 12, section);
            paintAirInlet(p, 0, 0, section);
        }
    } else {
        const int n = convolutions();
        const bool seat = m_kind == Seat;
        const qreal plateR = seat ? 68 : 124, plateT = seat ? 6 : 10;
        const qreal h = seat ? 70 : kConvolutionHeight;
        const qreal top = plateT;
        const QPainterPath bellows = convolutedBellowsPath();
        if (section) {
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawPath(bellows);
            QPen wall(QColor(40, 40, 44), seat ? 4 : 6);
            wall.setJoinStyle(Qt::RoundJoin);
            p.setPen(wall);
            p.setBrush(Qt::NoBrush);
            p.drawPath(bellows);
        } else {
            paintRubber(p, bellows);
            p.save();
            p.setClipPath(bellows);
            for (int i = 0; i < n; ++i) {
                const qreal y0 = top + i * h;
                QLinearGradient shade(0, y0, 0, y0 + h);
                shade.setColorAt(0, QColor(0, 0, 0, 80));
                shade.setColorAt(0.3, QColor(255, 255, 255, 18));
                shade.setColorAt(0.5, QColor(0, 0, 0, 0));
                shade.setColorAt(1, QColor(0, 0, 0, 95));
                p.setPen(Qt::NoPen);
                p.setBrush(shade);
                p.drawRect(QRectF(-maxRadius(), y0, 2 * maxRadius(), h));
            }
            p.restore();
            p.setBrush(Qt::NoBrush);
            p.setPen(outline());
            p.drawPath(bellows);
        }
        for (int i = 1; i < n; ++i)
            paintGirdle(p, top + i * h, 124, section);
        const qreal bottom = top + n * h;
        paintPlate(p, 0, plateR, plateT, section);
        paintPlate(p, bottom, plateR, plateT, section);
        if (seat) {
            paintStud(p, 0, -16, 0, 8, section);
            paintStud(p, 0, bottom + plateT, bottom + plateT + 16, 8, section);
            // Push-in air inlet at the side of the top plate.
            QPainterPath inlet;
            inlet.addRoundedRect(QRectF(plateR - 4, 0, 28, 6), 2, 2);
            inlet.addRoundedRect(QRectF(plateR + 14, -3, 8, 12), 2, 2);
            paintMetal(p, inlet, section);
        } else {
            paintStud(p, -80, -22, 0, 12, section);
            paintStud(p, 80, -22, 0, 12, section);
            paintAirInlet(p, 0, 0, section);
            paintStud(p, -80, bottom + plateT, bottom + plateT + 22, 12, section);
            paintStud(p, 80, bottom + plateT, bottom + plateT + 22, 12, section);
        }
    }
    p.restore();
}

void SpringPainter::paintSide(QPainter& painter) const
{
    paintSideImpl(painter, false);
}

void SpringPainter::paintSection(QPainter& painter) const
{
    paintSideImpl(painter, true);
    // Centre line.
    painter.save();
    QPen centre(artgen::colors::red, 0.8, Qt::DashDotLine);
    centre.setCosmetic(true);
    painter.setPen(centre);
    const QRectF e = sideExtent();
    painter.drawLine(QPointF(0, e.top()), QPointF(0, e.bottom()));
    painter.restore();
}

void SpringPainter::paintTop(QPainter& p) const
{
    p.save();
    const qreal r = maxRadius();
    QRadialGradient rubber(QPointF(-r * 0.3, -r * 0.3), r * 1.5);
    rubber.setColorAt(0, QColor(110, 110, 116));
    rubber.setColorAt(1, QColor(30, 30, 33));
    p.setPen(outline());
    p.setBrush(rubber);
    p.drawEllipse(QPointF(0, 0), r, r);

    qreal plateR = 116;
    if (m_kind == Cab)
        plateR = 48;
    else if (m_kind == Seat)
        plateR = 68;
    else if (convolutions() > 0)
        plateR = 124;
    if (m_kind == RollingLobeSleeve) {
        // An open sleeve: the bead ring and the dark inside.
        p.setBrush(QColor(70, 70, 75));
        p.drawEllipse(QPointF(0, 0), 114, 114);
        p.setBrush(QColor(245, 245, 245));
        p.drawEllipse(QPointF(0, 0), 100, 100);
        p.setPen(QPen(QColor(200, 200, 200), 0));
        for (int i = 0; i < 3; ++i)
            p.drawEllipse(QPointF(0, 0), 92 - i * 10.0, 92 - i * 10.0);
        p.restore();
        return;
    }
    QRadialGradient metal(QPointF(-plateR * 0.35, -plateR * 0.4), plateR * 1.6);
    metal.setColorAt(0, QColor(246, 247, 248));
    metal.setColorAt(0.6, QColor(200, 202, 206));
    metal.setColorAt(1, QColor(150, 152, 158));
    p.setBrush(metal);
    p.drawEllipse(QPointF(0, 0), plateR, plateR);
    p.setBrush(Qt::NoBrush);
    QPen rim(QColor(150, 150, 156), 0.8);
    rim.setCosmetic(true);
    p.setPen(rim);
    p.drawEllipse(QPointF(0, 0), plateR - 8, plateR - 8);

    auto nut = [&](const QPointF& c, qreal s) {
        QPolygonF hex;
        for (int i = 0; i < 6; ++i) {
            const qreal a = M_PI / 3 * i + M_PI / 6;
            hex << c + QPointF(std::cos(a) * s, std::sin(a) * s);
        }
        p.setPen(outline());
        p.setBrush(QColor(190, 192, 196));
        p.drawPolygon(hex);
        p.setBrush(QColor(120, 122, 128));
        p.drawEllipse(c, s * 0.5, s * 0.5);
    };
    if (m_kind == Cab) {
        p.setPen(outline());
        p.setBrush(metalBrush(QRectF(-18, -9, 36, 18)));
        p.drawRoundedRect(QRectF(-18, -9, 36, 18), 3, 3);
    } else if (m_kind == Seat) {
        nut(QPointF(0, 0), 9);
        p.setPen(outline());
        p.setBrush(metalBrush(QRectF(plateR - 4, -4, 28, 8)));
        p.drawRoundedRect(QRectF(plateR - 4, -4, 26, 8), 2, 2);
    } else {
        const qreal sx = convolutions() > 0 ? 80 : 70;
        nut(QPointF(-sx, 0), 11);
        nut(QPointF(sx, 0), 11);
        nut(QPointF(0, 0), 13);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(0, 0), 3, 3);
    }
    QPen centre(artgen::colors::red, 0.8, Qt::DashDotLine);
    centre.setCosmetic(true);
    p.setPen(centre);
    p.drawLine(QPointF(-r - 4, 0), QPointF(r + 4, 0));
    p.drawLine(QPointF(0, -r - 4), QPointF(0, r + 4));
    p.restore();
}

qreal SpringPainter::fitInto(QPainter& painter, const QRectF& target, const QRectF& extent)
{
    const qreal scale = qMin(target.width() / extent.width(), target.height() / extent.height());
    const QPointF offset = target.center() - extent.center() * scale;
    painter.translate(offset);
    painter.scale(scale, scale);
    return scale;
}
