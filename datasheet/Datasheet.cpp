#include "datasheet/Datasheet.h"

#include "assets/Assets.h"
#include "catalog/ItemDetails.h"
#include "catalog/PictureFiles.h"

#include <QImage>
#include <QTextDocument>

namespace datasheet {

namespace {

QString artSuffix(const QString& languageCode)
{
    return languageCode.toUpper();
}

QString count(const QVariant& value)
{
    return value.isNull() || !value.isValid() ? QString() : QString::number(value.toInt());
}

} // namespace

std::unique_ptr<QTextDocument> buildDatasheet(const catalog::ItemSheet& sheet, const SheetTexts& texts,
                                              const QString& imagesDir)
{
    const auto esc = &SheetDocument::esc;
    SheetDocument h(texts);
    h.banner(h.msg(QStringLiteral("sheetTitle")));
    h.out += QStringLiteral("<h1 style=\"font-size:24px; margin:0px\">%1</h1>").arg(esc(sheet.code));
    h.out += QStringLiteral("<p style=\"font-size:14px; margin-top:2px\">%1</p>")
                 .arg(esc(h.msg(QStringLiteral("type%1").arg(sheet.style))));

    // Pictures side by side, the first larger, as the item view lays them out.
    const QVector<QImage> pictures = catalog::loadPictureSlots(imagesDir, sheet.pictureUrls);
    if (!pictures.isEmpty()) {
        h.out += QStringLiteral("<table cellspacing=\"0\"><tr>");
        for (int i = 0; i < pictures.size(); ++i)
            h.out += QStringLiteral("<td>%1</td>")
                         .arg(h.image(QStringLiteral("picture%1").arg(i + 1), pictures.at(i), i == 0 ? 260 : 200,
                                      i == 0 ? 240 : 200));
        h.out += QStringLiteral("</tr></table>");
    }

    h.heading(h.msg(QStringLiteral("sheetTechnicalData")));
    h.out += QStringLiteral("<table cellspacing=\"0\" border=\"0.5\" style=\"border-color:#a0a0a0\">");
    h.row(h.caption(QStringLiteral("lblTotalWeight")), h.caption(QStringLiteral("Label1")),
          h.number(sheet.totalWeight));
    const QString pressure = h.caption(QStringLiteral("lblOperationPressure"));
    const QString bar = h.caption(QStringLiteral("Label2"));
    h.row(catalog::pressureRowCaption(pressure, h.caption(QStringLiteral("Label8"))), bar,
          h.number(sheet.pressureDefault));
    h.row(catalog::pressureRowCaption(pressure, h.caption(QStringLiteral("Label6"))), bar, h.number(sheet.pressureMax));
    h.row(catalog::pressureRowCaption(pressure, h.caption(QStringLiteral("Label7"))), bar, h.number(sheet.pressureMin));
    h.row(h.caption(QStringLiteral("lblOperationSpace")), h.caption(QStringLiteral("Label3")),
          h.number(sheet.operationSpace));
    h.row(h.caption(QStringLiteral("lblAssemblyHeight")), h.caption(QStringLiteral("Label4")),
          h.number(sheet.assemblyHeight));
    h.row(h.caption(QStringLiteral("lblPistonType")), QString(),
          h.msg(QStringLiteral("pistonType") + (sheet.pistonType ? QString::number(sheet.pistonType) : QString())));
    h.row(h.caption(QStringLiteral("lblLoadingCapacity")), h.caption(QStringLiteral("Label5")), sheet.loadingCapacity);
    h.out += QStringLiteral("</table>");

    const bool hasMounting = !count(sheet.studs).isEmpty() || !count(sheet.bolts).isEmpty();
    const bool legend = sheet.style == 2;
    if (hasMounting || legend) {
        h.heading(h.msg(QStringLiteral("sheetMounting")));
        h.out += QStringLiteral("<table cellspacing=\"0\"><tr><td valign=\"top\"><table cellspacing=\"0\">");
        const QString mm = h.caption(QStringLiteral("Label3"));
        h.row(h.msg(QStringLiteral("measureStudCount")), QString(), count(sheet.studs));
        h.row(h.msg(QStringLiteral("measureStudDistance")), mm, h.number(sheet.studDistance));
        h.row(h.msg(QStringLiteral("measureBoltCount")), QString(), count(sheet.bolts));
        h.row(h.msg(QStringLiteral("measureBoltDistance")), mm, h.number(sheet.boltDistance));
        h.out += QStringLiteral("</table></td>");
        if (legend) {
            const QImage studs =
                QImage::fromData(assets::readArt(QStringLiteral("studs%1.png").arg(artSuffix(texts.languageCode))));
            h.out += QStringLiteral("<td>%1</td>").arg(h.image(QStringLiteral("studs"), studs, 230, 112));
        }
        h.out += QStringLiteral("</tr></table>");
    }

    if (sheet.vehicle1 || sheet.vehicle2) {
        h.heading(h.msg(QStringLiteral("btnKullanim")));
        h.out += QStringLiteral("<table cellspacing=\"0\"><tr>");
        QVector<int> usages;
        for (int usage : {sheet.vehicle1, sheet.vehicle2})
            if (usage && !usages.contains(usage))
                usages << usage;
        for (int usage : usages) {
            const QImage pictogram = QImage::fromData(assets::readArt(QStringLiteral("tasit%1.png").arg(usage)));
            h.out += QStringLiteral("<td align=\"center\" width=\"190\">%1<br>%2</td>")
                         .arg(h.image(QStringLiteral("tasit%1").arg(usage), pictogram, 167, 65),
                              esc(h.msg(QStringLiteral("btnKullanim%1").arg(usage))));
        }
        h.out += QStringLiteral("</tr></table>");
    }

    if (!sheet.groups.isEmpty()) {
        h.heading(h.msg(QStringLiteral("sheetCodes")));
        h.out += QStringLiteral("<table cellspacing=\"0\" width=\"100%\">");
        for (const catalog::CodeGroup& group : sheet.groups) {
            const QString type = group.oem ? QStringLiteral("OEM · ") + group.typeName : group.typeName;
            h.out += QStringLiteral("<tr><td width=\"190\" valign=\"top\"%1>%2</td><td>%3</td></tr>")
                         .arg(group.oem ? QStringLiteral(" style=\"background-color:#ffffe1\"") : QString(), esc(type),
                              esc(group.codes.join(QStringLiteral(", "))));
        }
        h.out += QStringLiteral("</table>");
    }

    h.catalogDate(sheet.catalogDate);
    return h.finish();
}

bool writeDatasheetPdf(const catalog::ItemSheet& sheet, const SheetTexts& texts, const QString& imagesDir,
                       const QString& filePath, QString* error)
{
    const std::unique_ptr<QTextDocument> doc = buildDatasheet(sheet, texts, imagesDir);
    return writeSheetPdf(*doc, sheet.code, filePath, error);
}

} // namespace datasheet
