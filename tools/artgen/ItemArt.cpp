#include "ItemArt.h"

#include "ArtKit.h"
#include "LanguageTexts.h"
#include "SpringPainter.h"
#include "VehiclePainter.h"

#include <QPainterPath>

namespace artgen {

namespace {

// The faint frame and corner tag shared by the three drawings of an item.
void paintSheet(QPainter& p, const QSize& size, const QString& tag)
{
    const QRectF r(0.5, 0.5, size.width() - 1, size.height() - 1);
    p.fillRect(QRectF(QPointF(0, 0), size), verticalGradient(r, colors::white, QColor(246, 246, 247)));
    p.setPen(QPen(QColor(222, 222, 224), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
    p.setFont(font(9, true));
    p.setPen(colors::midGrey);
    p.drawText(QRectF(6, size.height() - 16, size.width() - 12, 12), Qt::AlignRight | Qt::AlignVCenter, tag);
    p.fillRect(QRectF(6, size.height() - 11, 12, 2), colors::red);
}

void paintFloorShadow(QPainter& p, const QPointF& centre, qreal width)
{
    QRadialGradient g(centre, width / 2);
    g.setColorAt(0, QColor(0, 0, 0, 55));
    g.setColorAt(1, QColor(0, 0, 0, 0));
    p.save();
    p.translate(centre);
    p.scale(1, 0.12);
    p.translate(-centre);
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(centre, width / 2, width / 2);
    p.restore();
}

QString styleTag(int style)
{
    return QStringLiteral("VK %1").arg(style);
}

} // namespace

QImage itemSideView(int style)
{
    QImage image = canvas(320, 300);
    QPainter p(&image);
    prepare(p);
    paintSheet(p, image.size(), styleTag(style));
    const SpringPainter spring(static_cast<SpringPainter::Kind>(style));
    const QRectF area(34, 40, 236, 232);
    p.save();
    SpringPainter::fitInto(p, area, spring.sideExtent());
    const QTransform map = p.transform();
    p.restore();
    const QRectF e = spring.sideExtent();
    paintFloorShadow(p, map.map(QPointF(0, e.bottom())), map.mapRect(e).width() * 1.1);
    p.save();
    p.setTransform(map);
    spring.paintSide(p);
    p.restore();

    const qreal r = spring.maxRadius();
    const QPointF left = map.map(QPointF(-r, 0)), right = map.map(QPointF(r, 0));
    const qreal dimY = 22;
    p.setPen(QPen(QColor(200, 120, 120), 0.8, Qt::DotLine));
    p.drawLine(QPointF(left.x(), dimY - 4), QPointF(left.x(), map.map(QPointF(-r, 60)).y()));
    p.drawLine(QPointF(right.x(), dimY - 4), QPointF(right.x(), map.map(QPointF(r, 60)).y()));
    drawHorizontalDimension(p, left.x(), right.x(), dimY, QStringLiteral("Ø %1").arg(spring.diameter()));

    const qreal topY = map.map(QPointF(0, style == SpringPainter::Cab ? 18 : 0)).y();
    const qreal bottomY = map.map(QPointF(0, style == SpringPainter::Cab ? 322 : spring.bottomFace())).y();
    const qreal dimX = qMin<qreal>(306, right.x() + 22);
    p.setPen(QPen(QColor(200, 120, 120), 0.8, Qt::DotLine));
    p.drawLine(QPointF(map.map(QPointF(40, 0)).x(), topY), QPointF(dimX + 4, topY));
    p.drawLine(QPointF(map.map(QPointF(40, 0)).x(), bottomY), QPointF(dimX + 4, bottomY));
    drawVerticalDimension(p, dimX, topY, bottomY, QStringLiteral("%1").arg(spring.height()));
    return image;
}

QImage itemTopView(int style)
{
    QImage image = canvas(185, 212);
    QPainter p(&image);
    prepare(p);
    paintSheet(p, image.size(), styleTag(style));
    const SpringPainter spring(static_cast<SpringPainter::Kind>(style));
    const QRectF area(18, 34, 150, 150);
    p.save();
    SpringPainter::fitInto(p, area, spring.topExtent());
    const QTransform map = p.transform();
    spring.paintTop(p);
    p.restore();
    const qreal r = spring.maxRadius();
    const qreal x1 = map.map(QPointF(-r, 0)).x(), x2 = map.map(QPointF(r, 0)).x();
    drawHorizontalDimension(p, x1, x2, 22, QStringLiteral("Ø %1").arg(spring.diameter()));
    return image;
}

QImage itemSection(int style)
{
    QImage image = canvas(185, 212);
    QPainter p(&image);
    prepare(p);
    paintSheet(p, image.size(), QStringLiteral("A-A"));
    const SpringPainter spring(static_cast<SpringPainter::Kind>(style));
    p.save();
    SpringPainter::fitInto(p, QRectF(12, 12, 161, 178), spring.sideExtent());
    spring.paintSection(p);
    p.restore();
    return image;
}

void writeItemPictures(ArtOutput& out)
{
    for (int style = 1; style <= 8; ++style) {
        out.jpeg(QStringLiteral("style%1_1.jpg").arg(style), itemSideView(style), 90);
        out.jpeg(QStringLiteral("style%1_2.jpg").arg(style), itemTopView(style), 90);
        out.jpeg(QStringLiteral("style%1_3.jpg").arg(style), itemSection(style), 90);
    }
}

namespace {

void symbol(QPainter& p, const QPointF& c, int kind)
{
    const qreal r = 6;
    p.save();
    p.setPen(QPen(colors::ink, 1.4));
    switch (kind) {
    case 0: // combination: stud with an air bore
        p.setBrush(colors::ink);
        p.drawEllipse(c, r, r);
        p.setBrush(colors::white);
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 2.4, 2.4);
        break;
    case 1: // stud
        p.setBrush(colors::ink);
        p.drawEllipse(c, r, r);
        break;
    case 2: // air inlet
        p.setBrush(colors::white);
        p.drawEllipse(c, r, r);
        p.setBrush(colors::red);
        p.setPen(Qt::NoPen);
        p.drawEllipse(c, 2.6, 2.6);
        break;
    default: { // bolt or stud
        p.setBrush(colors::white);
        p.drawEllipse(c, r, r);
        QPainterPath half;
        half.moveTo(c);
        half.arcTo(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), 90, 180);
        half.closeSubpath();
        p.setBrush(colors::ink);
        p.setPen(Qt::NoPen);
        p.drawPath(half);
        break;
    }
    }
    p.restore();
}

QImage mountingLegend(const QStringList& labels)
{
    QImage image = canvas(153, 74);
    QPainter p(&image);
    prepare(p);
    p.setPen(QPen(colors::lightGrey, 1));
    p.setBrush(Qt::NoBrush);
    // The item page stacks the large vehicle pictogram over the legend's last 4 pixels; the legend stays above them.
    p.drawRoundedRect(QRectF(0.5, 0.5, 152, 68), 3, 3);
    p.fillRect(QRectF(1, 1, 3, 67), colors::red);
    p.setFont(font(11));
    for (int i = 0; i < 4 && i < labels.size(); ++i) {
        const qreal cy = 9.5 + i * 16.5;
        symbol(p, QPointF(17, cy), i);
        p.setPen(colors::ink);
        p.drawText(QRectF(31, cy - 8, 118, 16), Qt::AlignLeft | Qt::AlignVCenter, labels[i]);
    }
    p.end();
    return image;
}

} // namespace

void writePictograms(ArtOutput& out)
{
    // The legend names its symbols in words, so every language has its own; "studs" is the English one.
    for (const LanguageTexts& texts : allLanguageTexts()) {
        const QImage image = mountingLegend(texts.mountingSymbols);
        out.png(QStringLiteral("studs%1.png").arg(texts.suffix), image);
        if (texts.suffix == QLatin1String("EN"))
            out.png(QStringLiteral("studs.png"), image);
    }
    for (int usage = 1; usage <= 4; ++usage) {
        QImage large = canvas(167, 65);
        {
            QPainter p(&large);
            prepare(p);
            VehiclePainter::paint(p, QRectF(0, 0, 167, 65), usage);
        }
        out.png(QStringLiteral("tasit%1.png").arg(usage), large);
        QImage small = canvas(80, 31);
        {
            QPainter p(&small);
            prepare(p);
            VehiclePainter::paint(p, QRectF(0, 0, 80, 31), usage);
        }
        out.png(QStringLiteral("sTasit%1.png").arg(usage), small);
    }
}

} // namespace artgen
