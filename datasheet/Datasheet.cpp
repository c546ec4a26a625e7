#include "datasheet/Datasheet.h"

#include "assets/Assets.h"
#include "catalog/ItemDetails.h"
#include "catalog/PictureFiles.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

namespace datasheet {

namespace {

// The document is laid out in pixels of 1/96 inch and sized in pixels throughout, so that the page looks the same
// whatever screen the program runs on; painting scales it to the device.
constexpr double kDocumentDpi = 96;
constexpr int kPageWidthPx = 680; // A4 less 15 mm margins, at 96 dpi

QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

QString artSuffix(const QString& languageCode)
{
    return languageCode.toUpper();
}

// The window's banner: the tiled band, the logo at the left and the language's slogan at the right.
QImage banner(const QString& languageCode)
{
    const QImage tile = QImage::fromData(assets::readArt(QStringLiteral("bannerTile.jpg")));
    const QImage logo = QImage::fromData(assets::readArt(QStringLiteral("logo.jpg")));
    const QImage slogan =
        QImage::fromData(assets::readArt(QStringLiteral("slogan%1.jpg").arg(artSuffix(languageCode))));
    QImage image(917, 97, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    if (!tile.isNull())
        p.drawTiledPixmap(image.rect(), QPixmap::fromImage(tile));
    if (!logo.isNull())
        p.drawImage(0, 0, logo);
    if (!slogan.isNull())
        p.drawImage(image.width() - slogan.width(), 0, slogan);
    return image;
}

class Html
{
public:
    Html(QTextDocument& doc, const SheetTexts& texts) : m_doc(doc), m_texts(texts) {}

    QString msg(const QString& key) const { return m_texts.msg ? m_texts.msg(key) : key; }
    QString caption(const QString& name) const
    {
        const QString text = m_texts.caption ? m_texts.caption(name) : QString();
        return text.isEmpty() ? name : text;
    }
    QString number(const QVariant& value) const { return catalog::formatMeasure(value, m_texts.locale); }

    // Adds an image to the document and returns its tag, at most maxWidth × maxHeight pixels, never enlarged.
    QString image(const QString& name, const QImage& image, int maxWidth, int maxHeight)
    {
        if (image.isNull())
            return {};
        m_doc.addResource(QTextDocument::ImageResource, QUrl(name), image);
        QSizeF size = image.size();
        if (size.width() > maxWidth || size.height() > maxHeight)
            size.scale(maxWidth, maxHeight, Qt::KeepAspectRatio);
        return QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\">")
            .arg(name)
            .arg(qRound(size.width()))
            .arg(qRound(size.height()));
    }

    void heading(const QString& text)
    {
        out += QStringLiteral("<h2 style=\"font-size:15px; color:#cc1111; margin-top:12px; margin-bottom:4px\">%1"
                              "</h2>")
                   .arg(esc(text));
    }

    void row(const QString& label, const QString& unit, const QString& value)
    {
        if (value.isEmpty())
            return;
        out += QStringLiteral("<tr><td width=\"230\">%1</td><td width=\"60\">%2</td><td align=\"right\" "
                              "width=\"200\">%3</td></tr>")
                   .arg(esc(label), esc(unit), esc(value));
    }

    QString out;

private:
    QTextDocument& m_doc;
    const SheetTexts& m_texts;
};

QString count(const QVariant& value)
{
    return value.isNull() || !value.isValid() ? QString() : QString::number(value.toInt());
}

} // namespace

QString pressureRowCaption(const QString& pressure, const QString& which)
{
    QString value = which.trimmed();
    if (value.endsWith(QLatin1Char(':')))
        value.chop(1);
    return pressure.trimmed() + QLatin1Char(' ') + value.trimmed();
}

std::unique_ptr<QTextDocument> buildDatasheet(const catalog::ItemSheet& sheet, const SheetTexts& texts,
                                              const QString& imagesDir)
{
    auto doc = std::make_unique<QTextDocument>();
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    doc->setDefaultFont(font);
    doc->setDocumentMargin(0);
    doc->setDefaultStyleSheet(QStringLiteral("td { padding: 2px 4px; } th { padding: 2px 4px; text-align: left; }"));
    Html h(*doc, texts);

    h.out += h.image(QStringLiteral("banner"), banner(texts.languageCode), kPageWidthPx, 97);
    h.out += QStringLiteral("<p style=\"font-size:11px; color:#666666; margin-top:6px\">%1</p>")
                 .arg(esc(h.msg(QStringLiteral("sheetTitle"))));
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
    h.row(pressureRowCaption(pressure, h.caption(QStringLiteral("Label8"))), bar, h.number(sheet.pressureDefault));
    h.row(pressureRowCaption(pressure, h.caption(QStringLiteral("Label6"))), bar, h.number(sheet.pressureMax));
    h.row(pressureRowCaption(pressure, h.caption(QStringLiteral("Label7"))), bar, h.number(sheet.pressureMin));
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

    if (sheet.catalogDate.isValid())
        h.out += QStringLiteral("<p style=\"font-size:11px; color:#666666; margin-top:14px\">%1: %2</p>")
                     .arg(esc(h.msg(QStringLiteral("sheetCatalogDate"))),
                          esc(texts.locale.toString(sheet.catalogDate.date(), QLocale::ShortFormat)));

    doc->setHtml(h.out);
    doc->setTextWidth(kPageWidthPx);
    return doc;
}

void paintDatasheet(QTextDocument& document, QPagedPaintDevice& device)
{
    const QPageLayout layout = device.pageLayout();
    const double scale = device.logicalDpiX() / kDocumentDpi;
    const QRectF paint = layout.paintRectPixels(device.logicalDpiX());
    const QSizeF page(paint.width() / scale, paint.height() / scale);
    document.setPageSize(page);
    QPainter painter(&device);
    const int pages = document.pageCount();
    for (int i = 0; i < pages; ++i) {
        if (i > 0)
            device.newPage();
        painter.save();
        painter.scale(scale, scale);
        painter.translate(0, -i * page.height());
        document.drawContents(&painter, QRectF(0, i * page.height(), page.width(), page.height()));
        painter.restore();
    }
}

bool writeDatasheetPdf(const catalog::ItemSheet& sheet, const SheetTexts& texts, const QString& imagesDir,
                       const QString& filePath, QString* error)
{
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    const std::unique_ptr<QTextDocument> doc = buildDatasheet(sheet, texts, imagesDir);
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(sheet.code);
        writer.setCreator(QStringLiteral("Velkorn"));
        paintDatasheet(*doc, writer);
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return false;
    }
    return true;
}

} // namespace datasheet
