#include "datasheet/ComparisonSheet.h"

#include "catalog/PictureFiles.h"

#include <QImage>
#include <QStringList>
#include <QTextDocument>

namespace datasheet {

namespace {

// The marking of values that differ, as on the window's page.
constexpr char kDiffersBackground[] = "#ffe08a";
// Shares of the page's width, in per cent; the items share the rest.
constexpr int kLabelShare = 24;
constexpr int kUnitShare = 7;

} // namespace

catalog::ComparisonTexts comparisonTexts(const SheetTexts& texts)
{
    return {texts.msg, texts.caption, texts.locale};
}

std::unique_ptr<QTextDocument> buildComparisonSheet(const QVector<catalog::ItemSheet>& sheets, const SheetTexts& texts,
                                                    const QString& imagesDir)
{
    const auto esc = &SheetDocument::esc;
    SheetDocument h(texts);
    h.banner(h.msg(QStringLiteral("compareTitle")));
    h.out += QStringLiteral("<p style=\"font-size:11px; margin-top:0px\"><span style=\"background-color:%1\">"
                            "&nbsp;&nbsp;&nbsp;&nbsp;</span> %2</p>")
                 .arg(QLatin1String(kDiffersBackground), esc(h.msg(QStringLiteral("compareDiffers"))));
    if (sheets.isEmpty())
        return h.finish();

    const int columns = int(sheets.size());
    const int valueShare = (100 - kLabelShare - kUnitShare) / columns;
    // In pixels, for the pictures: the share less the cell's padding and border.
    const int valueWidth = SheetDocument::kPageWidthPx * valueShare / 100 - 12;
    const QString lead =
        QStringLiteral("<td width=\"%1%\"></td><td width=\"%2%\"></td>").arg(kLabelShare).arg(kUnitShare);
    h.out += QStringLiteral("<table cellspacing=\"0\" border=\"0.5\" style=\"border-color:#a0a0a0\" width=\"100%\">");

    // The codes over the pictures: the first picture large, the others small beneath it.
    h.out += QStringLiteral("<tr>") + lead;
    for (const catalog::ItemSheet& sheet : sheets)
        h.out += QStringLiteral("<td width=\"%1%\"><b style=\"font-size:15px\">%2</b></td>")
                     .arg(valueShare)
                     .arg(esc(sheet.code));
    h.out += QStringLiteral("</tr>");
    QStringList pictureCells;
    bool anyPicture = false;
    for (int column = 0; column < columns; ++column) {
        const QVector<QImage> pictures = catalog::loadPictureSlots(imagesDir, sheets.at(column).pictureUrls);
        anyPicture = anyPicture || !pictures.isEmpty();
        QStringList tags;
        for (int i = 0; i < pictures.size(); ++i)
            tags << h.image(QStringLiteral("picture%1-%2").arg(column + 1).arg(i + 1), pictures.at(i),
                            i == 0 ? valueWidth : valueWidth / 2 - 4, i == 0 ? 130 : 70);
        const QString first = tags.isEmpty() ? QString() : tags.takeFirst();
        pictureCells << QStringLiteral("<td align=\"center\">%1<br>%2</td>").arg(first, tags.join(QStringLiteral(" ")));
    }
    if (anyPicture)
        h.out += QStringLiteral("<tr>") + lead + pictureCells.join(QString()) + QStringLiteral("</tr>");

    const catalog::ComparisonTexts words = comparisonTexts(texts);
    std::optional<catalog::ComparisonSection> section;
    for (const catalog::ComparisonRow& row : catalog::ItemComparison::rows(sheets, words)) {
        if (row.section != section) {
            section = row.section;
            const QString heading = catalog::ItemComparison::heading(row.section, words);
            if (!heading.isEmpty())
                h.out += QStringLiteral("<tr><td colspan=\"%1\" style=\"color:#cc1111; font-weight:bold; "
                                        "padding-top:8px\">%2</td></tr>")
                             .arg(columns + 2)
                             .arg(esc(heading));
        }
        h.out += QStringLiteral("<tr><td>%1</td><td>%2</td>").arg(esc(row.label), esc(row.unit));
        for (const QString& value : row.values)
            h.out += row.differs ? QStringLiteral("<td style=\"background-color:%1\"><b>%2</b></td>")
                                       .arg(QLatin1String(kDiffersBackground), esc(value))
                                 : QStringLiteral("<td>%1</td>").arg(esc(value));
        h.out += QStringLiteral("</tr>");
    }
    h.out += QStringLiteral("</table>");
    h.catalogDate(sheets.first().catalogDate);
    return h.finish();
}

bool writeComparisonPdf(const QVector<catalog::ItemSheet>& sheets, const SheetTexts& texts, const QString& imagesDir,
                        const QString& filePath, QString* error)
{
    const std::unique_ptr<QTextDocument> doc = buildComparisonSheet(sheets, texts, imagesDir);
    QStringList codes;
    for (const catalog::ItemSheet& sheet : sheets)
        codes << sheet.code;
    return writeSheetPdf(*doc, codes.join(QStringLiteral(" / ")), filePath, error);
}

} // namespace datasheet
