#include "catalog/SearchCode.h"

namespace catalog {

QString normaliseSearchText(const QString& text)
{
    QString result;
    result.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'.' || u == u',' || u == u'-' || u == u'/')
            continue;
        // Only A-Z: QChar::toLower would also fold 'I' and Turkish letters, which the stored codes keep.
        if (u >= u'A' && u <= u'Z')
            result += QChar(u - u'A' + u'a');
        else
            result += c;
    }
    return result;
}

QString searchPattern(const QString& normalisedText)
{
    return QLatin1Char('%') + normalisedText + QLatin1Char('%');
}

QVariant searchParameter(const QString& pattern)
{
    QString collapsed;
    collapsed.reserve(pattern.size());
    int literals = 0;
    for (const QChar c : pattern) {
        if (c == QLatin1Char('%')) {
            if (collapsed.endsWith(QLatin1Char('%')))
                continue;
        } else {
            ++literals;
        }
        collapsed += c;
    }
    if (literals > kSearchCodeLength)
        return QVariant(QMetaType::fromType<QString>());
    return collapsed;
}

} // namespace catalog
