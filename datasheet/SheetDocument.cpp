#include "datasheet/SheetDocument.h"

#include "assets/Assets.h"
#include "catalog/ItemDetails.h"

#include <QAbstractTextDocumentLayout>
#include <QDateTime>
#include <QFile>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <QUrl>

namespace datasheet {

namespace {

// The document is laid out in pixels of 1/96 inch and sized in pixels throughout, so that the page looks the same
// whatever screen the program runs on; painting scales it to the device.
constexpr double kDocumentDpi = 96;

// The window's banner: the tiled band, the logo at the left and the language's slogan at the right.
QImage bannerImage(const QString& languageCode)
{
    const QImage tile = QImage::fromData(assets::readArt(QStringLiteral("bannerTile.jpg")));
    const QImage logo = QImage::fromData(assets::readArt(QStringLiteral("logo.jpg")));
    const QImage slogan = QImage::fromData(assets::readArt(QStringLiteral("slogan%1.jpg").arg(languageCode.toUpper())));
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

} // namespace

SheetDocument::SheetDocument(const SheetTexts& texts) : m_doc(std::make_unique<QTextDocument>()), m_texts(texts)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(12);
    m_doc->setDefaultFont(font);
    m_doc->setDocumentMargin(0);
    m_doc->setDefaultStyleSheet(QStringLiteral("td { padding: 2px 4px; } th { padding: 2px 4px; text-align: left; }"));
}

SheetDocument::~SheetDocument() = default;

QString SheetDocument::msg(const QString& key) const
{
    return m_texts.msg ? m_texts.msg(key) : key;
}

QString SheetDocument::caption(const QString& name) const
{
    const QString text = m_texts.caption ? m_texts.caption(name) : QString();
    return text.isEmpty() ? name : text;
}

QString SheetDocument::number(const QVariant& value) const
{
    return catalog::formatMeasure(value, m_texts.locale);
}

QString SheetDocument::image(const QString& name, const QImage& image, int maxWidth, int maxHeight)
{
    if (image.isNull())
        return {};
    m_doc->addResource(QTextDocument::ImageResource, QUrl(name), image);
    QSizeF size = image.size();
    if (size.width() > maxWidth || size.height() > maxHeight)
        size.scale(maxWidth, maxHeight, Qt::KeepAspectRatio);
    return QStringLiteral("<img src=\"%1\" width=\"%2\" height=\"%3\">")
        .arg(name)
        .arg(qRound(size.width()))
        .arg(qRound(size.height()));
}

void SheetDocument::banner(const QString& title)
{
    out += image(QStringLiteral("banner"), bannerImage(m_texts.languageCode), kPageWidthPx, 97);
    out += QStringLiteral("<p style=\"font-size:11px; color:#666666; margin-top:6px\">%1</p>").arg(esc(title));
}

void SheetDocument::heading(const QString& text)
{
    out += QStringLiteral("<h2 style=\"font-size:15px; color:#cc1111; margin-top:12px; margin-bottom:4px\">%1"
                          "</h2>")
               .arg(esc(text));
}

void SheetDocument::row(const QString& label, const QString& unit, const QString& value)
{
    if (value.isEmpty())
        return;
    out += QStringLiteral("<tr><td width=\"230\">%1</td><td width=\"60\">%2</td><td align=\"right\" "
                          "width=\"200\">%3</td></tr>")
               .arg(esc(label), esc(unit), esc(value));
}

void SheetDocument::catalogDate(const QDateTime& date)
{
    // An empty LAST_UPDATE reads as the zero date-time, 30 December 1899.
    if (!date.isValid() || date.date() <= QDate(1899, 12, 30))
        return;
    out += QStringLiteral("<p style=\"font-size:11px; color:#666666; margin-top:14px\">%1: %2</p>")
               .arg(esc(msg(QStringLiteral("sheetCatalogDate"))),
                    esc(m_texts.locale.toString(date.date(), QLocale::ShortFormat)));
}

std::unique_ptr<QTextDocument> SheetDocument::finish()
{
    m_doc->setHtml(out);
    m_doc->setTextWidth(kPageWidthPx);
    return std::move(m_doc);
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

bool writeSheetPdf(QTextDocument& document, const QString& title, const QString& filePath, QString* error)
{
    QFile file(filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    {
        QPdfWriter writer(&file);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(300);
        writer.setTitle(title);
        writer.setCreator(QStringLiteral("Velkorn"));
        paintDatasheet(document, writer);
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
