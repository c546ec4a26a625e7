#include "app/PictureViewer.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace app {

QSize largePictureSize(const QSize& picture, const QSize& screen)
{
    if (picture.isEmpty() || screen.isEmpty())
        return {};
    return picture.scaled(screen * 0.8, Qt::KeepAspectRatio);
}

PictureViewer::PictureViewer(const QPixmap& picture, const QString& caption, QWidget* parent)
    : QDialog(parent), m_picture(picture)
{
    setObjectName("PictureViewer");
    setWindowTitle(caption);
    setAttribute(Qt::WA_DeleteOnClose);
    setCursor(Qt::PointingHandCursor);
    QPalette p = palette();
    p.setColor(QPalette::Window, Qt::white);
    setPalette(p);
    setAutoFillBackground(true);
    const QScreen* screen = parent && parent->screen() ? parent->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    setFixedSize(largePictureSize(picture.size(), area.size()).expandedTo(QSize(32, 32)));
    move(area.center() - rect().center());
}

PictureViewer* PictureViewer::showLarge(const QPixmap& picture, const QString& caption, QWidget* parent)
{
    auto* viewer = new PictureViewer(picture, caption, parent);
    viewer->open();
    return viewer;
}

void PictureViewer::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    QSize size = m_picture.size();
    size.scale(this->size(), Qt::KeepAspectRatio);
    painter.drawPixmap(QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size), m_picture);
}

void PictureViewer::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        close();
}

} // namespace app
