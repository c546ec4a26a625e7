#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>

// Shared palette, fonts and drawing helpers so that every picture of the catalog has one look.
namespace artgen {

namespace colors {
const QColor red(204, 17, 17);
const QColor redDark(140, 8, 8);
const QColor redLight(232, 58, 52);
const QColor ink(51, 51, 51);
const QColor text(80, 80, 80);
const QColor grey(128, 128, 128);
const QColor midGrey(170, 170, 170);
const QColor lightGrey(214, 214, 214);
const QColor paper(244, 244, 244);
const QColor white(255, 255, 255);
const QColor headerTop(78, 78, 82);
const QColor headerBottom(44, 44, 47);
} // namespace colors

QFont font(int pixelSize, bool bold = false, bool italic = false);

// A white (or given colour) image with antialiased painting ready.
QImage canvas(int width, int height, const QColor& fill = colors::white);
void prepare(QPainter& painter);

// Vertical gradient brush from top to bottom of the rectangle.
QBrush verticalGradient(const QRectF& rect, const QColor& top, const QColor& bottom);
// Horizontal metal-like shading: dark edges, highlight left of centre.
QBrush cylinderShade(const QRectF& rect, const QColor& edge, const QColor& light);

// Dimension lines in the red of the grids, with arrow heads and a centred label.
void drawHorizontalDimension(QPainter& painter, qreal x1, qreal x2, qreal y, const QString& label,
                             bool labelAbove = true);
void drawVerticalDimension(QPainter& painter, qreal x, qreal y1, qreal y2, const QString& label);
void drawArrowHead(QPainter& painter, const QPointF& tip, const QPointF& from, qreal size, const QColor& color);
void drawArrow(QPainter& painter, const QPointF& from, const QPointF& to, qreal width, const QColor& color);

// A numbered red disc, used for step numbers and callouts.
void drawNumberBadge(QPainter& painter, const QPointF& centre, qreal radius, const QString& number);

// The Velkorn brand mark: a red disc with a white two-convolution bellows.
void drawBrandMark(QPainter& painter, const QRectF& square);
// Mark plus the word "VELKORN" and a small tagline; height decides the scale, returns the width used.
qreal drawLogo(QPainter& painter, const QPointF& topLeft, qreal height, const QString& tagline, bool withMark = true);

// The width drawLogo() takes at that height.
qreal logoWidth(qreal height, bool withMark = true);

bool saveJpeg(const QImage& image, const QString& path, int quality = 92);
bool savePng(const QImage& image, const QString& path);

} // namespace artgen
