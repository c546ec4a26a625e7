#include "widgets/TAdvPicture.h"

#include "widgets/PicturePlacement.h"

#include <QPainter>

namespace widgets {

TAdvPicture::TAdvPicture(QWidget* parent) : PictureWidget(parent) {}

void TAdvPicture::setPicture(const QByteArray& fileBytes)
{
    loadPicture(fileBytes);
}

void TAdvPicture::setPicturePosition(PicturePosition position)
{
    m_position = position;
    update();
}

void TAdvPicture::paintEvent(QPaintEvent*)
{
    if (pixmap().isNull() || width() <= 0 || height() <= 0)
        return;
    QPainter painter(this);
    if (m_position == bpTiled) {
        painter.drawTiledPixmap(rect(), pixmap());
        return;
    }
    const QRect target = placePicture(static_cast<Placement>(m_position), size(), pixmap().size());
    if (target.size() == pixmap().size()) {
        painter.drawPixmap(target.topLeft(), pixmap());
    } else {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(target, pixmap());
    }
}

} // namespace widgets
