#pragma once

#include <QImage>
#include <QLocale>
#include <QString>

#include <functional>
#include <memory>

class QDateTime;
class QPagedPaintDevice;
class QTextDocument;

namespace datasheet {

// Where a sheet's words come from: messages (Project_Messages, with the built-in texts for keys that came later)
// and the captions of the item view's labels (section frmMain), so that the sheet says what the window says.
struct SheetTexts
{
    std::function<QString(const QString&)> msg;
    std::function<QString(const QString&)> caption;
    QString languageCode; // "tr", "en" or "de": picks the banner's slogan and the mounting legend
    QLocale locale;       // number and date formats
};

// The pieces every printed sheet is made of: the maker's banner, headings, tables and pictures, written as the
// HTML of one QTextDocument laid out in pixels of 1/96 inch, kPageWidthPx wide.
class SheetDocument
{
public:
    static constexpr int kPageWidthPx = 680; // A4 less 15 mm margins, at 96 dpi

    explicit SheetDocument(const SheetTexts& texts);
    ~SheetDocument();

    QString msg(const QString& key) const;
    // A label's caption as the window shows it; its component name when the language file has none.
    QString caption(const QString& name) const;
    QString number(const QVariant& value) const;
    static QString esc(const QString& text) { return text.toHtmlEscaped(); }

    // Adds an image to the document and returns its tag, at most maxWidth × maxHeight pixels, never enlarged.
    QString image(const QString& name, const QImage& image, int maxWidth, int maxHeight);
    // The window's banner (tiled band, logo, the language's slogan) and the sheet's title line under it.
    void banner(const QString& title);
    void heading(const QString& text);
    // A row of caption, unit and value; left out when the value is empty.
    void row(const QString& label, const QString& unit, const QString& value);
    // The catalog's date at the foot of the sheet, when the catalog has one.
    void catalogDate(const QDateTime& date);

    // The document with everything added so far.
    std::unique_ptr<QTextDocument> finish();

    QString out;

private:
    std::unique_ptr<QTextDocument> m_doc;
    const SheetTexts& m_texts;
};

// Lays the document out on the device's pages (A4 with its margins) and paints it; text stays text.
void paintDatasheet(QTextDocument& document, QPagedPaintDevice& device);

// The document as a PDF file (A4, 15 mm margins, text kept as text) through QPdfWriter. False with a reason when
// the file cannot be written.
bool writeSheetPdf(QTextDocument& document, const QString& title, const QString& filePath, QString* error);

} // namespace datasheet
