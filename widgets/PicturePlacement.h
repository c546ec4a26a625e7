#pragma once

#include <QRect>
#include <QSize>

namespace widgets {

// Where a picture goes inside a control. Shared by TWallPaper and TAdvPicture, whose positions of the same name
// place alike.
enum class Placement
{
    TopLeft,
    TopRight,
    BottomLeft,
    BottomRight,
    Center,
    Tiled,
    Stretched,
    StretchedWithAspect
};

// The rectangle the picture is drawn into for every placement but Tiled (for Tiled: the first tile at (0, 0)).
// A picture larger than the control starts at (0, 0) and is cut off at the right and bottom by the caller's clip.
QRect placePicture(Placement placement, const QSize& control, const QSize& picture);

} // namespace widgets
