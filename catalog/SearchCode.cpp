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

} // namespace catalog
