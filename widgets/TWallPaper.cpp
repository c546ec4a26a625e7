#include "widgets/TWallPaper.h"

#include "widgets/PicturePlacement.h"

#include <QPainter>

namespace widgets {

TWallPaper::TWallPaper(QWidget* parent) : PictureWidget(parent) {}

void TWallPaper::setAdvImage(const QByteArray& fileBytes)
{
    loadPicture(fileBytes);
}

void TWallPaper::setImagePosition(ImagePosition position)
{
    m_position = position;
    update();
}

void TWallPaper::paintEvent(QPaintEvent*)
{
    if (pixmap().isNull())
        return;
    QPainter painter(this);
    switch (m_position) {
    case ipTiled:
        painter.drawTiledPixmap(rect(), pixmap());
        return;
    case ipStretched:
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawPixmap(rect(), pixmap());
        return;
    default:
        painter.drawPixmap(placePicture(static_cast<Placement>(m_position), size(), pixmap().size()).topLeft(),
                           pixmap());
    }
}

} // namespace widgets
