#include "widgets/PicturePlacement.h"

#include <algorithm>

namespace widgets {

QRect placePicture(Placement placement, const QSize& control, const QSize& picture)
{
    const int W = control.width();
    const int H = control.height();
    const int w = picture.width();
    const int h = picture.height();
    const int right = std::max(0, W - w);
    const int bottom = std::max(0, H - h);
    switch (placement) {
    case Placement::TopLeft:
    case Placement::Tiled:
        return QRect(0, 0, w, h);
    case Placement::TopRight:
        return QRect(right, 0, w, h);
    case Placement::BottomLeft:
        return QRect(0, bottom, w, h);
    case Placement::BottomRight:
        return QRect(right, bottom, w, h);
    case Placement::Center:
        return QRect(right / 2, bottom / 2, w, h);
    case Placement::Stretched:
        return QRect(0, 0, W, H);
    case Placement::StretchedWithAspect: {
        if (w <= 0 || h <= 0)
            return QRect(0, 0, 0, 0);
        // Compare W/w with H/h without rounding: the narrower ratio decides.
        if (qint64(W) * h <= qint64(H) * w)
            return QRect(0, 0, W, int((qint64(h) * W + w / 2) / w));
        return QRect(0, 0, int((qint64(w) * H + h / 2) / h), H);
    }
    }
    return QRect(0, 0, w, h);
}

} // namespace widgets
