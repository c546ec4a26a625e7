#pragma once

#include <QDialog>
#include <QPixmap>

namespace app {

// The size a picture is shown at on its own: as large as fits into 80 % of the screen area, keeping its
// proportions (small pictures are enlarged too).
QSize largePictureSize(const QSize& picture, const QSize& screen);

// An item picture large, in a window of its own over the main window. A click or Escape closes this window only.
class PictureViewer final : public QDialog
{
    Q_OBJECT
public:
    PictureViewer(const QPixmap& picture, const QString& caption, QWidget* parent);

    // Opens a viewer for the picture on the screen of `parent`; it deletes itself when closed.
    static PictureViewer* showLarge(const QPixmap& picture, const QString& caption, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap m_picture;
};

} // namespace app
