#include "ArtKit.h"

#include <QFontMetricsF>
#include <QLinearGradient>
#include <QPainterPath>
#include <QtMath>

namespace artgen {

QFont font(int pixelSize, bool bold, bool italic)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    f.setItalic(italic);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

QImage canvas(int width, int height, const QColor& fill)
{
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(fill);
    return image;
}

void prepare(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
}

QBrush verticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom)
{
    QLinearGradient g(rect.topLeft(), rect.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    return QBrush(g);
}

QBrush cylinderShade(const QRectF& rect, const QColor& edge, const QColor& light)
{
    QLinearGradient g(rect.topLeft(), rect.topRight());
    g.setColorAt(0.0, edge);
    g.setColorAt(0.32, light);
    g.setColorAt(0.45, light.lighter(108));
    g.setColorAt(0.8, edge.lighter(115));
    g.setColorAt(1.0, edge);
    return QBrush(g);
}

void drawArrowHead(QPainter& painter, const QPointF& tip, const QPointF& from, qreal size, const QColor& color)
{
    const QLineF line(tip, from);
    if (line.length() <= 0)
        return;
    const qreal angle = qAtan2(from.y() - tip.y(), from.x() - tip.x());
    const qreal spread = 0.42;
    QPolygonF head;
    head << tip << tip + QPointF(qCos(angle + spread) * size, qSin(angle + spread) * size)
         << tip + QPointF(qCos(angle - spread) * size, qSin(angle - spread) * size);
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPolygon(head);
    painter.restore();
}

void drawArrow(QPainter& painter, const QPointF& from, const QPointF& to, qreal width, const QColor& color)
{
    painter.save();
    const qreal head = qMax<qreal>(6, width * 3.2);
    QLineF shaft(from, to);
    shaft.setLength(qMax<qreal>(0, shaft.length() - head * 0.7));
    painter.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(shaft);
    drawArrowHead(painter, to, from, head, color);
    painter.restore();
}

void drawHorizontalDimension(QPainter& painter, qreal x1, qreal x2, qreal y, const QString& label, bool labelAbove)
{
    painter.save();
    painter.setPen(QPen(colors::red, 1));
    painter.drawLine(QPointF(x1, y), QPointF(x2, y));
    drawArrowHead(painter, QPointF(x1, y), QPointF(x2, y), 6, colors::red);
    drawArrowHead(painter, QPointF(x2, y), QPointF(x1, y), 6, colors::red);
    painter.setFont(font(11, true));
    const QFontMetricsF fm(painter.font());
    const qreal w = fm.horizontalAdvance(label) + 6;
    const QRectF box((x1 + x2 - w) / 2, labelAbove ? y - fm.height() - 1 : y + 2, w, fm.height());
    painter.fillRect(box, colors::white);
    painter.setPen(colors::red);
    painter.drawText(box, Qt::AlignCenter, label);
    painter.restore();
}

void drawVerticalDimension(QPainter& painter, qreal x, qreal y1, qreal y2, const QString& label)
{
    painter.save();
    painter.setPen(QPen(colors::red, 1));
    painter.drawLine(QPointF(x, y1), QPointF(x, y2));
    drawArrowHead(painter, QPointF(x, y1), QPointF(x, y2), 6, colors::red);
    drawArrowHead(painter, QPointF(x, y2), QPointF(x, y1), 6, colors::red);
    painter.translate(x, (y1 + y2) / 2);
    painter.rotate(-90);
    painter.setFont(font(11, true));
    const QFontMetricsF fm(painter.font());
    const qreal w = fm.horizontalAdvance(label) + 6;
    const QRectF box(-w / 2, -fm.height() / 2, w, fm.height());
    painter.fillRect(box, colors::white);
    painter.setPen(colors::red);
    painter.drawText(box, Qt::AlignCenter, label);
    painter.restore();
}

void drawNumberBadge(QPainter& painter, const QPointF& centre, qreal radius, const QString& number)
{
    painter.save();
    QRadialGradient g(centre - QPointF(radius * 0.35, radius * 0.35), radius * 1.6);
    g.setColorAt(0, colors::redLight);
    g.setColorAt(1, colors::redDark);
    painter.setPen(QPen(colors::white, qMax<qreal>(1, radius / 8)));
    painter.setBrush(g);
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(colors::white);
    painter.setFont(font(qRound(radius * 1.15), true));
    painter.drawText(QRectF(centre.x() - radius, centre.y() - radius, radius * 2, radius * 2), Qt::AlignCenter, number);
    painter.restore();
}

void drawBrandMark(QPainter& painter, const QRectF& square)
{
    painter.save();
    const QPointF c = square.center();
    const qreal r = qMin(square.width(), square.height()) / 2;
    QRadialGradient g(c - QPointF(r * 0.4, r * 0.45), r * 1.7);
    g.setColorAt(0, colors::redLight);
    g.setColorAt(0.55, colors::red);
    g.setColorAt(1, colors::redDark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(g);
    painter.drawEllipse(c, r, r);

    // The bellows: two plates and two convolutions with a waist ring, in white.
    const qreal plateW = r * 0.95, plateH = r * 0.12;
    const qreal top = c.y() - r * 0.58, bottom = c.y() + r * 0.58;
    painter.setBrush(colors::white);
    painter.drawRoundedRect(QRectF(c.x() - plateW / 2, top - plateH, plateW, plateH), plateH / 2, plateH / 2);
    painter.drawRoundedRect(QRectF(c.x() - plateW / 2, bottom, plateW, plateH), plateH / 2, plateH / 2);
    const qreal waist = r * 0.36, bulge = r * 0.62, mid = c.y();
    QPainterPath body;
    body.moveTo(c.x() - waist, top);
    body.cubicTo(c.x() - bulge * 1.12, top + (mid - top) * 0.1, c.x() - bulge * 1.12, mid - (mid - top) * 0.1,
                 c.x() - waist, mid);
    body.cubicTo(c.x() - bulge * 1.12, mid + (bottom - mid) * 0.1, c.x() - bulge * 1.12, bottom - (bottom - mid) * 0.1,
                 c.x() - waist, bottom);
    body.lineTo(c.x() + waist, bottom);
    body.cubicTo(c.x() + bulge * 1.12, bottom - (bottom - mid) * 0.1, c.x() + bulge * 1.12, mid + (bottom - mid) * 0.1,
                 c.x() + waist, mid);
    body.cubicTo(c.x() + bulge * 1.12, mid - (mid - top) * 0.1, c.x() + bulge * 1.12, top + (mid - top) * 0.1,
                 c.x() + waist, top);
    body.closeSubpath();
    painter.drawPath(body);
    // Waist ring in red so the two convolutions read apart.
    painter.setBrush(colors::red);
    const qreal ringH = r * 0.07;
    painter.drawRoundedRect(QRectF(c.x() - waist * 1.08, mid - ringH / 2, waist * 2.16, ringH), ringH / 2, ringH / 2);
    painter.restore();
}

qreal drawLogo(QPainter& painter, const QPointF& topLeft, qreal height, const QString& tagline, bool withMark)
{
    painter.save();
    qreal x = topLeft.x();
    if (withMark) {
        drawBrandMark(painter, QRectF(x, topLeft.y(), height, height));
        x += height * 1.14;
    }
    QFont word = font(qRound(height * 0.56), true);
    word.setLetterSpacing(QFont::PercentageSpacing, 104);
    painter.setFont(word);
    const QFontMetricsF fm(word);
    const qreal baseline = topLeft.y() + height * 0.62;
    painter.setPen(colors::ink);
    painter.drawText(QPointF(x, baseline), QStringLiteral("VELKORN"));
    const qreal wordWidth = fm.horizontalAdvance(QStringLiteral("VELKORN"));
    // Red rule under the word with the tagline beside it.
    const qreal ruleY = baseline + height * 0.09;
    painter.fillRect(QRectF(x + 2, ruleY, wordWidth * 0.22, qMax<qreal>(2, height * 0.05)), colors::red);
    painter.fillRect(QRectF(x + 2 + wordWidth * 0.24, ruleY, wordWidth * 0.76 - 4, qMax<qreal>(1, height * 0.02)),
                     colors::midGrey);
    qreal width = x - topLeft.x() + wordWidth;
    if (!tagline.isEmpty()) {
        QFont tag = font(qMax(7, qRound(height * 0.16)), true);
        tag.setLetterSpacing(QFont::AbsoluteSpacing, height * 0.03);
        painter.setFont(tag);
        painter.setPen(colors::grey);
        painter.drawText(QPointF(x + 2, ruleY + height * 0.27), tagline);
    }
    painter.restore();
    return width;
}

qreal logoWidth(qreal height, bool withMark)
{
    QFont word = font(qRound(height * 0.56), true);
    word.setLetterSpacing(QFont::PercentageSpacing, 104);
    return (withMark ? height * 1.14 : 0) + QFontMetricsF(word).horizontalAdvance(QStringLiteral("VELKORN"));
}

bool saveJpeg(const QImage& image, const QString& path, int quality)
{
    return image.convertToFormat(QImage::Format_RGB32).save(path, "JPEG", quality);
}

bool savePng(const QImage& image, const QString& path)
{
    return image.save(path, "PNG");
}

} // namespace artgen
