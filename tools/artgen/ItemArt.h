#pragma once

#include "ArtOutput.h"

// Pictures of the item view: the demo technical drawings (files beside the database) and the pictograms.
namespace artgen {

QImage itemSideView(int style);
QImage itemTopView(int style);
QImage itemSection(int style);
// style<T>_<k>.jpg for T = 1..8, k = 1..3.
void writeItemPictures(ArtOutput& out);
// studs.png, tasit1..4.png, sTasit1..4.png.
void writePictograms(ArtOutput& out);

} // namespace artgen
