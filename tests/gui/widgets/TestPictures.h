#pragma once

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QImageWriter>
#include <QWidget>

namespace testpictures {

// Colour of the canvas under a widget: whatever the widget leaves unpainted stays this colour.
inline const QColor kCanvas(0, 0, 255);

// A picture whose every pixel tells where it came from, so a rendering can be checked pixel by pixel.
inline QColor codedPixel(int x, int y)
{
    return QColor((x * 7) % 256, (y * 11) % 256, 200);
}

inline QImage codedImage(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x)
            image.setPixel(x, y, codedPixel(x, y).rgb());
    }
    return image;
}

inline QImage solidImage(int w, int h, QColor color)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image;
}

// BMP keeps colours exact; the widgets decode it through the same path as JPEG.
inline QByteArray bmpBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter(&buffer, "bmp").write(image);
    return bytes;
}

// Renders the widget alone (no window background) onto a canvas of the given size.
inline QImage render(QWidget& widget, QSize canvasSize = QSize())
{
    QImage canvas(canvasSize.isValid() ? canvasSize : widget.size(), QImage::Format_RGB32);
    canvas.fill(kCanvas);
    widget.render(&canvas, QPoint(), QRegion(), QWidget::DrawChildren);
    return canvas;
}

} // namespace testpictures
