#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QWidget>

namespace widgets {

// What the wallpaper and the picture control share: a picture kept as its file bytes and decoded once,
// a default size of 100 by 100, and a size hint of the picture's own size.
class PictureWidget : public QWidget
{
    Q_OBJECT

public:
    QSize sizeHint() const override;

protected:
    explicit PictureWidget(QWidget* parent);

    // JPEG or BMP file bytes; empty bytes clear the picture. Throws PictureLoadError and keeps the old picture.
    void loadPicture(const QByteArray& fileBytes);
    const QByteArray& pictureBytes() const { return m_bytes; }
    const QPixmap& pixmap() const { return m_pixmap; }

private:
    QByteArray m_bytes;
    QPixmap m_pixmap;
};

} // namespace widgets
