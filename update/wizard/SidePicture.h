#pragma once

#include <QPixmap>

namespace wizard {

// The wizard's side picture, drawn at run time: an air spring on a red-grey gradient under the brand name.
QPixmap drawSidePicture(int width = 116, int height = 201);

} // namespace wizard
