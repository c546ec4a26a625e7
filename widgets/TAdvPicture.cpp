#include "widgets/TAdvPicture.h"

#include "widgets/PictureData.h"
#include "widgets/PicturePlacement.h"

#include <QPainter>

TAdvPicture::TAdvPicture(QWidget* parent) : QWidget(parent)
{
    resize(100, 100);
}

void TAdvPicture::setPicture(const QByteArray& fileBytes)
{
    QPixmap pixmap;
    if (!fileBytes.isEmpty())
        pixmap = QPixmap::fromImage(decodePicture(fileBytes));
    m_bytes = fileBytes;
    m_pixmap = pixmap;
    updateGeometry();
    update();
}

void TAdvPicture::setPicturePosition(PicturePosition position)
{
    m_position = position;
    update();
}

QSize TAdvPicture::sizeHint() const
{
    return m_pixmap.isNull() ? QSize(100, 100) : m_pixmap.size();
}

void TAdvPicture::paintEvent(QPaintEvent*)
{
    if (m_pixmap.isNull() || width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    if (m_position == bpTiled) {
        painter.drawTiledPixmap(rect(), m_pixmap);
        return;
    }
    const QRect target = placePicture(static_cast<Placement>(m_position), size(), m_pixmap.size());
    if (target.size() == m_pixmap.size()) {
        painter.drawPixmap(target.topLeft(), m_pixmap);
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, m_pixmap);
    }
}
