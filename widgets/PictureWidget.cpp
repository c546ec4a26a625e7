#include "widgets/PictureWidget.h"

#include "widgets/PictureData.h"

namespace widgets {

PictureWidget::PictureWidget(QWidget* parent) : QWidget(parent)
{
    resize(100, 100);
}

void PictureWidget::loadPicture(const QByteArray& fileBytes)
{
    QPixmap pixmap;
    if (!fileBytes.isEmpty())
        pixmap = QPixmap::fromImage(decodePicture(fileBytes));
    m_bytes = fileBytes;
    m_pixmap = pixmap;
    updateGeometry();
    update();
}

QSize PictureWidget::sizeHint() const
{
    return m_pixmap.isNull() ? QSize(100, 100) : m_pixmap.size();
}

} // namespace widgets
