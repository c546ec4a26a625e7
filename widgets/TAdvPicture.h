#pragma once

#include "widgets/PictureWidget.h"

namespace widgets {

// A control that shows one picture, e.g. the background logo in the lower right corner of a page.
class TAdvPicture : public PictureWidget
{
    Q_OBJECT

public:
    enum PicturePosition
    {
        bpTopLeft,
        bpTopRight,
        bpBottomLeft,
        bpBottomRight,
        bpCenter,
        bpTiled,
        bpStretched,
        bpStretchedWithAspect
    };
    Q_ENUM(PicturePosition)

    explicit TAdvPicture(QWidget* parent = nullptr);

    // JPEG or BMP file bytes; empty bytes clear the picture. Throws PictureLoadError and keeps the old picture.
    void setPicture(const QByteArray& fileBytes);
    QByteArray picture() const { return pictureBytes(); }
    QSize pictureSize() const { return pixmap().size(); }

    void setPicturePosition(PicturePosition position);
    PicturePosition picturePosition() const { return m_position; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PicturePosition m_position = bpTopLeft;
};

} // namespace widgets
