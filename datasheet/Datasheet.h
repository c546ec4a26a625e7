#pragma once

#include "catalog/ItemSheet.h"
#include "datasheet/SheetDocument.h"

#include <QString>

#include <memory>

class QTextDocument;

namespace datasheet {

// One A4 page (more if the codes run over) about one item: the maker's banner, the item's own code and style, its
// pictures, the technical data with units, mounting, the vehicles as pictograms with their names, the mounting
// legend where the item has one, every code grouped by type with OEM codes first, and the catalog date.
// Pictures are read from `imagesDir`; a missing one ends the row of pictures, as in the item view.
std::unique_ptr<QTextDocument> buildDatasheet(const catalog::ItemSheet& sheet, const SheetTexts& texts,
                                              const QString& imagesDir);

// The sheet as a PDF file through QPdfWriter. False with a reason when the file cannot be written.
bool writeDatasheetPdf(const catalog::ItemSheet& sheet, const SheetTexts& texts, const QString& imagesDir,
                       const QString& filePath, QString* error);

} // namespace datasheet
