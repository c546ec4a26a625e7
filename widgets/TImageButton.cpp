#include "widgets/TImageButton.h"

#include "widgets/AccessibleImageButton.h"
#include "widgets/PictureData.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace widgets {

namespace {

QPixmap load(const QByteArray& fileBytes)
{
    return fileBytes.isEmpty() ? QPixmap() : QPixmap::fromImage(decodePicture(fileBytes));
}

} // namespace

TImageButton::TImageButton(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
    resize(50, 50);
    AccessibleImageButton::install();
}

void TImageButton::click()
{
    if (isEnabled())
        emit OnClick(this);
}

void TImageButton::setBitmap(const QByteArray& fileBytes)
{
    m_bitmap = load(fileBytes);
    showPicture(Shown::Normal);
}

void TImageButton::setBitmapOver(const QByteArray& fileBytes)
{
    m_over = load(fileBytes);
    update();
}

void TImageButton::setBitmapDown(const QByteArray& fileBytes)
{
    m_down = load(fileBytes);
    update();
}

void TImageButton::setBitmapUp(const QByteArray& fileBytes)
{
    m_up = load(fileBytes);
    update();
}

void TImageButton::setBitmapDisabled(const QByteArray& fileBytes)
{
    m_disabled = load(fileBytes);
    if (!isEnabled())
        fitToPicture();
    update();
}

const QPixmap& TImageButton::pixmapOf(Shown which) const
{
    static const QPixmap none;
    switch (which) {
    case Shown::Normal:
        return m_bitmap;
    case Shown::Over:
        return m_over;
    case Shown::Down:
        return m_down;
    case Shown::Up:
        return m_up;
    case Shown::None:
        break;
    }
    return none;
}

QPixmap TImageButton::currentPixmap() const
{
    if (!isEnabled() && !m_disabled.isNull())
        return m_disabled;
    return pixmapOf(m_shown == Shown::None ? Shown::Normal : m_shown);
}

void TImageButton::showPicture(Shown which)
{
    m_shown = which;
    fitToPicture();
    update();
}

void TImageButton::fitToPicture()
{
    const QPixmap pixmap = currentPixmap();
    if (!pixmap.isNull())
        resize(pixmap.size());
    updateGeometry();
}

QSize TImageButton::sizeHint() const
{
    const QPixmap pixmap = currentPixmap();
    return pixmap.isNull() ? QSize(50, 50) : pixmap.size();
}

void TImageButton::paintEvent(QPaintEvent*)
{
    if (m_shown == Shown::None)
        m_shown = Shown::Normal;
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const QPixmap pixmap = currentPixmap();
    if (!pixmap.isNull())
        painter.drawPixmap(0, 0, pixmap);
}

void TImageButton::enterEvent(QEnterEvent* event)
{
    QWidget::enterEvent(event);
    if (isEnabled() && !m_over.isNull())
        showPicture(Shown::Over);
}

void TImageButton::leaveEvent(QEvent* event)
{
    QWidget::leaveEvent(event);
    if (isEnabled() && !m_bitmap.isNull())
        showPicture(Shown::Normal);
}

void TImageButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !isEnabled()) {
        event->ignore();
        return;
    }
    m_pressed = true;
    if (!m_down.isNull())
        showPicture(Shown::Down);
}

void TImageButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        event->ignore();
        return;
    }
    m_pressed = false;
    if (!isEnabled())
        return;
    // Judge "still over the button" against the size before any picture change below.
    const bool inside = rect().contains(event->position().toPoint());
    if (!m_up.isNull())
        showPicture(inside ? Shown::Up : Shown::Normal);
    else if (m_shown == Shown::Down)
        showPicture(inside && !m_over.isNull() ? Shown::Over : Shown::Normal);
    if (inside) {
        update();
        click();
    }
}

void TImageButton::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled())
            m_pressed = false;
        fitToPicture();
        update();
    }
}

} // namespace widgets
