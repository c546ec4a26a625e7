#include "RtfWriter.h"

#include "ArtKit.h"

#include <QFontMetricsF>
#include <QStringList>

namespace {

// Windows-1254 differs from Latin-1 in 0x80..0x9F and in six Turkish letters.
int windows1254(char16_t c)
{
    switch (c) {
    case u'\u011E':
        return 0xD0; // Ğ
    case u'\u0130':
        return 0xDD; // İ
    case u'\u015E':
        return 0xDE; // Ş
    case u'\u011F':
        return 0xF0; // ğ
    case u'\u0131':
        return 0xFD; // ı
    case u'\u015F':
        return 0xFE; // ş
    case u'\u20AC':
        return 0x80; // €
    case u'\u201A':
        return 0x82;
    case u'\u201E':
        return 0x84;
    case u'\u2026':
        return 0x85; // …
    case u'\u2018':
        return 0x91;
    case u'\u2019':
        return 0x92;
    case u'\u201C':
        return 0x93;
    case u'\u201D':
        return 0x94;
    case u'\u2022':
        return 0x95; // •
    case u'\u2013':
        return 0x96; // –
    case u'\u2014':
        return 0x97; // —
    case u'\u2122':
        return 0x99; // ™
    case u'\u0160':
        return 0x8A;
    case u'\u0161':
        return 0x9A;
    case u'\u0152':
        return 0x8C;
    case u'\u0153':
        return 0x9C;
    case u'\u0178':
        return 0x9F;
    default:
        break;
    }
    if (c >= 0xA0 && c <= 0xFF && c != 0xD0 && c != 0xDD && c != 0xDE && c != 0xF0 && c != 0xFD && c != 0xFE)
        return c;
    return -1;
}

int pixelsForPoints(int points)
{
    return qRound(points * 96.0 / 72.0);
}

} // namespace

RtfWriter::RtfWriter(int wrapWidthPixels) : RtfWriter(wrapWidthPixels, Sizes{9, 10, 15}) {}

RtfWriter::RtfWriter(int wrapWidthPixels, Sizes sizes) : m_wrapWidth(wrapWidthPixels), m_sizes(sizes) {}

QByteArray RtfWriter::escape(const QString& text)
{
    QByteArray out;
    for (const QChar ch : text) {
        const char16_t c = ch.unicode();
        if (c == u'\\' || c == u'{' || c == u'}') {
            out += '\\';
            out += char(c);
        } else if (c >= 0x20 && c < 0x7F) {
            out += char(c);
        } else if (c == u'\t') {
            out += ' ';
        } else if (const int code = windows1254(c); code >= 0) {
            out += "\\'" + QByteArray::number(code, 16).rightJustified(2, '0');
        } else if (ch.isSurrogate()) {
            out += '?';
        } else {
            // \uN takes a signed 16-bit number; one '?' follows for readers without Unicode.
            out += "\\u" + QByteArray::number(qint16(c)) + '?';
        }
    }
    return out;
}

QStringList RtfWriter::wrap(const QString& text, int pointSize, bool bold, int widthPixels)
{
    const QFontMetricsF fm(artgen::font(pixelsForPoints(pointSize), bold));
    QStringList lines;
    QString current;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString candidate = current.isEmpty() ? word : current + QLatin1Char(' ') + word;
        if (!current.isEmpty() && fm.horizontalAdvance(candidate) > widthPixels) {
            lines << current;
            current = word;
        } else {
            current = candidate;
        }
    }
    if (!current.isEmpty())
        lines << current;
    return lines;
}

void RtfWriter::line(const QByteArray& format, const QString& text)
{
    m_body += "\\pard" + format + ' ' + escape(text) + "\\par\n";
}

void RtfWriter::title(const QString& text)
{
    line("\\ql\\cf2\\b\\fs" + QByteArray::number(m_sizes.title * 2), text);
    spacer(6);
}

void RtfWriter::heading(const QString& text, Colour colour)
{
    // A margin for the reader's font differing slightly from ours.
    const int width = m_wrapWidth * 92 / 100;
    for (const QString& part : wrap(text, m_sizes.heading, true, width))
        line("\\ql\\cf" + QByteArray::number(colour) + "\\b\\fs" + QByteArray::number(m_sizes.heading * 2), part);
}

void RtfWriter::paragraph(const QString& text, int indentPixels)
{
    const int width = (m_wrapWidth - indentPixels) * 92 / 100;
    // \li counts twips: 15 per pixel at 96 dpi.
    const QByteArray indent = indentPixels > 0 ? "\\li" + QByteArray::number(indentPixels * 15) : QByteArray();
    for (const QString& part : wrap(text, m_sizes.body, false, width))
        line("\\ql" + indent + "\\cf1\\b0\\fs" + QByteArray::number(m_sizes.body * 2), part);
}

void RtfWriter::bullet(const QString& text, int indentPixels)
{
    const int width = (m_wrapWidth - indentPixels) * 92 / 100;
    // The bullet hangs left of the indented text: \fi pulls the first line back.
    const QByteArray format = "\\ql\\li" + QByteArray::number(indentPixels * 15) + "\\fi" +
                              QByteArray::number(-indentPixels / 2 * 15) + "\\cf1\\b0\\fs" +
                              QByteArray::number(m_sizes.body * 2);
    const QStringList lines = wrap(text, m_sizes.body, false, width);
    for (int i = 0; i < lines.size(); ++i) {
        if (i == 0)
            line(format, QStringLiteral("\u2022 ") + lines[i]);
        else
            line("\\ql\\li" + QByteArray::number(indentPixels * 15) + "\\cf1\\b0\\fs" +
                     QByteArray::number(m_sizes.body * 2),
                 lines[i]);
    }
}

void RtfWriter::spacer(int halfPoints)
{
    m_body += "\\pard\\fs" + QByteArray::number(halfPoints) + "\\par\n";
}

QByteArray RtfWriter::finish()
{
    QByteArray doc = "{\\rtf1\\ansi\\ansicpg1254\n"
                     "{\\fonttbl{\\f0 DejaVu Sans;}}\n"
                     "{\\colortbl;\\red51\\green51\\blue51;\\red204\\green17\\blue17;\\red128\\green128\\blue128;}\n"
                     "\\f0\\fs18\n";
    doc += m_body;
    doc += "}\n";
    return doc;
}
