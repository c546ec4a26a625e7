#pragma once

#include "catalog/ItemComparison.h"
#include "datasheet/SheetDocument.h"

#include <QString>
#include <QVector>

#include <memory>

class QTextDocument;

namespace datasheet {

// The comparison as the window's page shows it: the items' codes side by side over their pictures, then every line
// of the comparison with the values that differ marked, on the datasheet's banner and in its style.
std::unique_ptr<QTextDocument> buildComparisonSheet(const QVector<catalog::ItemSheet>& sheets, const SheetTexts& texts,
                                                    const QString& imagesDir);

// The comparison as a PDF file. False with a reason when the file cannot be written.
bool writeComparisonPdf(const QVector<catalog::ItemSheet>& sheets, const SheetTexts& texts, const QString& imagesDir,
                        const QString& filePath, QString* error);

// The comparison's texts taken from a sheet's.
catalog::ComparisonTexts comparisonTexts(const SheetTexts& texts);

} // namespace datasheet
