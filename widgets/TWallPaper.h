#pragma once

#include "widgets/PictureWidget.h"

namespace widgets {

// A container that paints a picture as its background. It accepts child controls; it paints nothing but the
// picture, so where the picture does not reach, the parent shows through.
class TWallPaper : public PictureWidget
{
    Q_OBJECT

public:
    enum ImagePosition
    {
        ipTopLeft,
        ipTopRight,
        ipBottomLeft,
        ipBottomRight,
        ipCenter,
        ipTiled,
        ipStretched
    };
    Q_ENUM(ImagePosition)

    explicit TWallPaper(QWidget* parent = nullptr);

    // The picture as the bytes of its JPEG or BMP file; decoded here. Empty bytes clear the picture.
    // Throws PictureLoadError and then keeps the previous picture.
    void setAdvImage(const QByteArray& fileBytes);
    QByteArray advImage() const { return pictureBytes(); }
    QSize imageSize() const { return pixmap().size(); }

    void setImagePosition(ImagePosition position);
    ImagePosition imagePosition() const { return m_position; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    ImagePosition m_position = ipTopLeft;
};

} // namespace widgets
