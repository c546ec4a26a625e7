#pragma once

#include <QPixmap>
#include <QWidget>

namespace app {

// A plain picture control. Deliberately not a QLabel: the language component translates labels by name, and a
// picture has no text to translate.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    enum Mode
    {
        // Drawn at the top-left corner at its natural size.
        Natural,
        // Centred in the control, scaled down proportionally when larger, never enlarged.
        CenterFit,
    };

    explicit PictureBox(QWidget* parent = nullptr, Mode mode = Natural);

    void setPixmap(const QPixmap& pixmap);
    const QPixmap& pixmap() const { return m_pixmap; }
    // Where and how large the picture is drawn in the current size.
    QRect pictureRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_pixmap;
    Mode m_mode;
};

} // namespace app
