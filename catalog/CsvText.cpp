#include "catalog/CsvText.h"

#include <QStringDecoder>

namespace catalog {

QChar csvSeparatorFor(const QLocale& locale)
{
    return locale.decimalPoint() == QLatin1String(",") ? QLatin1Char(';') : QLatin1Char(',');
}

namespace {

// Either separator is quoted, not only the one in use: a reader tells the separator from the first line, and a
// comma in a field of a semicolon file (or a lone column) would otherwise decide it.
QString csvField(const QString& text)
{
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char(';')) ||
                        text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n')) ||
                        text.contains(QLatin1Char('\r')) ||
                        (!text.isEmpty() && (text.front().isSpace() || text.back().isSpace()));
    if (!quoted)
        return text;
    QString escaped = text;
    escaped.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

} // namespace

QByteArray csvDocument(const QList<QStringList>& rows, QChar separator)
{
    QString text;
    for (const QStringList& row : rows) {
        QStringList fields;
        fields.reserve(row.size());
        for (const QString& cell : row)
            fields << csvField(cell);
        text += fields.join(separator) + QLatin1String("\r\n");
    }
    return QByteArray("\xEF\xBB\xBF") + text.toUtf8();
}

namespace {

// The line (from 1) holding the first bytes that are not UTF-8. A sequence never spans a line break.
int firstLineNotUtf8(const QByteArray& bytes)
{
    int line = 1;
    for (qsizetype start = 0; start <= bytes.size(); ++line) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0)
            end = bytes.size();
        QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
        const QString decoded = decoder.decode(QByteArrayView(bytes).sliced(start, end - start));
        if (decoder.hasError())
            return line;
        start = end + 1;
    }
    return 0;
}

// The separator of a file: the first ';' or ',' outside quotes on the line of its first record decides. Blank lines
// and quotes count as the reader takes them: a quote opens a field only at its start.
QChar separatorOf(const QString& text)
{
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && (text.at(i) == QLatin1Char('\n') ||
                     (text.at(i) == QLatin1Char('\r') && (i + 1 == n || text.at(i + 1) == QLatin1Char('\n')))))
        ++i;
    bool quoted = false;
    bool fieldStart = true;
    for (; i < n; ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < n && text.at(i + 1) == QLatin1Char('"'))
                ++i; // a quote in the field
            else if (c == QLatin1Char('"'))
                quoted = false;
        } else if (c == QLatin1Char(',') || c == QLatin1Char(';')) {
            return c;
        } else if (c == QLatin1Char('\n')) {
            break;
        } else {
            quoted = fieldStart && c == QLatin1Char('"');
            fieldStart = false;
        }
    }
    return QLatin1Char(',');
}

} // namespace

CsvRead readCsvDocument(const QByteArray& bytes)
{
    CsvRead result;
    QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError()) {
        result.errorLine = firstLineNotUtf8(bytes);
        result.error = QStringLiteral("the text is not UTF-8");
        return result;
    }
    const QChar separator = result.separator = separatorOf(text);
    const qsizetype n = text.size();
    const auto lineEndAt = [&](qsizetype i) {
        return i >= n || text.at(i) == QLatin1Char('\n') ||
               (text.at(i) == QLatin1Char('\r') && (i + 1 == n || text.at(i + 1) == QLatin1Char('\n')));
    };
    int line = 1;
    qsizetype i = 0;
    while (i < n) {
        if (lineEndAt(i)) { // a blank line
            i += text.at(i) == QLatin1Char('\r') ? 2 : 1;
            ++line;
            continue;
        }
        CsvRecord record;
        record.line = line;
        for (;;) {
            QString field;
            if (i < n && text.at(i) == QLatin1Char('"')) {
                const int opened = line;
                for (++i;; ++i) {
                    if (i >= n) {
                        result.errorLine = opened;
                        result.error = QStringLiteral("a quote is not closed");
                        return result;
                    }
                    const QChar c = text.at(i);
                    if (c == QLatin1Char('"')) {
                        if (i + 1 < n && text.at(i + 1) == QLatin1Char('"')) {
                            field += c;
                            ++i;
                            continue;
                        }
                        ++i;
                        break;
                    }
                    if (c == QLatin1Char('\n'))
                        ++line;
                    field += c;
                }
                if (!lineEndAt(i) && text.at(i) != separator) {
                    result.errorLine = line;
                    result.error = QStringLiteral("text after a closing quote");
                    return result;
                }
            } else {
                const qsizetype start = i;
                while (!lineEndAt(i) && text.at(i) != separator)
                    ++i;
                field = text.mid(start, i - start);
            }
            record.fields << field;
            if (i < n && text.at(i) == separator) {
                ++i;
                continue;
            }
            if (i < n) { // the line end
                i += text.at(i) == QLatin1Char('\r') ? 2 : 1;
                ++line;
            }
            break;
        }
        result.records << record;
    }
    return result;
}

} // namespace catalog
