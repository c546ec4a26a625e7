#include "widgets/TWallPaper.h"

#include "widgets/PictureData.h"
#include "widgets/PicturePlacement.h"

#include <QPainter>

TWallPaper::TWallPaper(QWidget* parent) : QWidget(parent)
{
    resize(100, 100);
}

void TWallPaper::setAdvImage(const QByteArray& fileBytes)
{
    QPixmap pixmap;
    if (!fileBytes.isEmpty())
        pixmap = QPixmap::fromImage(decodePicture(fileBytes));
    m_bytes = fileBytes;
    m_pixmap = pixmap;
    updateGeometry();
    update();
}

void TWallPaper::setImagePosition(ImagePosition position)
{
    m_position = position;
    update();
}

QSize TWallPaper::sizeHint() const
{
    return m_pixmap.isNull() ? QSize(100, 100) : m_pixmap.size();
}

void TWallPaper::paintEvent(QPaintEvent*)
{
    if (m_pixmap.isNull())
        return;
    QPainter painter(this);
    switch (m_position) {
    case ipTiled:
        painter.drawTiledPixmap(rect(), m_pixmap);
        return;
    case ipStretched:
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), m_pixmap);
        return;
    default:
        painter.drawPixmap(placePicture(static_cast<Placement>(m_position), size(), m_pixmap.size()).topLeft(),
                           m_pixmap);
    }
}
