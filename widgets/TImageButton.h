#pragma once

#include <QByteArray>
#include <QPixmap>
#include <QWidget>

namespace widgets {

// A button made of pictures: a normal one, and optional ones for pointer-over, pressed, released and disabled.
// The button always takes the size of the picture it shows. It never takes the keyboard focus.
class TImageButton : public QWidget
{
    Q_OBJECT

public:
    // Which of the pictures is shown.
    enum class Shown
    {
        None,
        Normal,
        Over,
        Down,
        Up
    };

    explicit TImageButton(QWidget* parent = nullptr);

    // Each setter takes JPEG or BMP file bytes (empty bytes clear that picture) and throws PictureLoadError.
    // Setting the normal picture also shows it and resizes the button to it.
    void setBitmap(const QByteArray& fileBytes);
    void setBitmapOver(const QByteArray& fileBytes);
    void setBitmapDown(const QByteArray& fileBytes);
    void setBitmapUp(const QByteArray& fileBytes);
    void setBitmapDisabled(const QByteArray& fileBytes);

    Shown shown() const { return m_shown; }
    // The picture painted right now (the disabled picture while disabled, when there is one).
    QPixmap currentPixmap() const;

    QSize sizeHint() const override;

    // Raises OnClick when enabled, as a click with the pointer does (screen readers press the button so).
    void click();

signals:
    void OnClick(QObject* sender);

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    const QPixmap& pixmapOf(Shown which) const;
    void showPicture(Shown which);
    void fitToPicture();

    QPixmap m_bitmap;
    QPixmap m_over;
    QPixmap m_down;
    QPixmap m_up;
    QPixmap m_disabled;
    Shown m_shown = Shown::None;
    bool m_pressed = false;
};

} // namespace widgets
