#pragma once

#include <QByteArray>
#include <QString>

// Builds the small RTF documents of the catalog: Windows-1254 code page, one font, three colours, and only the
// control words our own reader understands. Labels show these texts without word wrap, so paragraphs are broken
// into lines here, by measuring the text with the font the reader will use.
class RtfWriter
{
public:
    enum Colour
    {
        Ink = 1,
        Red = 2,
        Grey = 3
    };

    // Point sizes of body text, headings and the title.
    struct Sizes
    {
        int body;
        int heading;
        int title;
    };

    explicit RtfWriter(int wrapWidthPixels);
    RtfWriter(int wrapWidthPixels, Sizes sizes);

    void title(const QString& text);
    void heading(const QString& text, Colour colour = Red);
    // A body paragraph, wrapped to the width; indentPixels moves it right.
    void paragraph(const QString& text, int indentPixels = 0);
    // A list item: a bullet, and the text indented after it.
    void bullet(const QString& text, int indentPixels = 18);
    void spacer(int halfPoints = 8);
    QByteArray finish();

    // Plain-ASCII RTF text for any string: specials escaped, Windows-1254 characters as \'hh, the rest as \uN?.
    static QByteArray escape(const QString& text);
    // Splits text into lines no wider than widthPixels in DejaVu Sans at the given point size.
    static QStringList wrap(const QString& text, int pointSize, bool bold, int widthPixels);

private:
    void line(const QByteArray& format, const QString& text);

    QByteArray m_body;
    int m_wrapWidth;
    Sizes m_sizes;
};
