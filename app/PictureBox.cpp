#include "app/PictureBox.h"

#include <QPainter>

namespace app {

PictureBox::PictureBox(QWidget* parent, Mode mode) : QWidget(parent), m_mode(mode) {}

void PictureBox::setPixmap(const QPixmap& pixmap)
{
    m_pixmap = pixmap;
    update();
}

QRect PictureBox::pictureRect() const
{
    if (m_pixmap.isNull())
        return {};
    if (m_mode == Natural)
        return QRect(QPoint(0, 0), m_pixmap.size());
    QSize size = m_pixmap.size();
    if (size.width() > width() || size.height() > height())
        size.scale(this->size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void PictureBox::paintEvent(QPaintEvent*)
{
    if (m_pixmap.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(pictureRect(), m_pixmap);
}

} // namespace app
