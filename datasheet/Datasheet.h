#pragma once

#include "catalog/ItemSheet.h"

#include <QLocale>
#include <QString>

#include <functional>
#include <memory>

class QPagedPaintDevice;
class QTextDocument;

namespace datasheet {

// Where the datasheet's words come from: messages (Project_Messages, with the built-in texts for keys that came
// later) and the captions of the item view's labels (section frmMain), so that the sheet says what the window says.
struct SheetTexts
{
    std::function<QString(const QString&)> msg;
    std::function<QString(const QString&)> caption;
    QString languageCode; // "tr", "en" or "de": picks the banner's slogan and the mounting legend
    QLocale locale;       // number and date formats
};

// One A4 page (more if the codes run over) about one item: the maker's banner, the item's own code and style, its
// pictures, the technical data with units, mounting, the vehicles as pictograms with their names, the mounting
// legend where the item has one, every code grouped by type with OEM codes first, and the catalog date.
// Pictures are read from `imagesDir`; a missing one ends the row of pictures, as in the item view.
std::unique_ptr<QTextDocument> buildDatasheet(const catalog::ItemSheet& sheet, const SheetTexts& texts,
                                              const QString& imagesDir);

// The name of an operating-pressure row, as the sheet and copied rows give it: the pressure's caption and which value
// the row holds, without the colon that the item view's caption ends in ("Operating Pressure Max").
QString pressureRowCaption(const QString& pressure, const QString& which);

// Lays the document out on the device's pages (A4 with its margins) and paints it; text stays text.
void paintDatasheet(QTextDocument& document, QPagedPaintDevice& device);

// The sheet as a PDF file through QPdfWriter. False with a reason when the file cannot be written.
bool writeDatasheetPdf(const catalog::ItemSheet& sheet, const SheetTexts& texts, const QString& imagesDir,
                       const QString& filePath, QString* error);

} // namespace datasheet
