#include "sync/FeedValues.h"

#include "sync/FeedError.h"

#include <limits>

namespace catalogsync {

namespace {

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

FeedError notA(const char* what, const QString& text)
{
    return FeedError(QStringLiteral("not %1: \"%2\"").arg(QLatin1String(what), text.left(40)));
}

} // namespace

double feedNumber(const QString& text)
{
    int i = 0;
    const int n = text.size();
    QString normal;
    normal.reserve(n);
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        normal += text.at(i++);
    const int intStart = i;
    while (i < n && isDigit(text.at(i)))
        normal += text.at(i++);
    if (i == intStart)
        throw notA("a number", text);
    if (i < n && (text.at(i) == QLatin1Char('.') || text.at(i) == QLatin1Char(','))) {
        normal += QLatin1Char('.');
        const int fracStart = ++i;
        while (i < n && isDigit(text.at(i)))
            normal += text.at(i++);
        if (i == fracStart)
            throw notA("a number", text);
    }
    if (i != n)
        throw notA("a number", text);
    bool ok = false;
    const double value = normal.toDouble(&ok); // QString::toDouble always reads the C locale
    if (!ok)
        throw notA("a number", text);
    return value;
}

qint64 feedInteger(const QString& text, qint64 minimum, qint64 maximum)
{
    int i = 0;
    const int n = text.size();
    bool negative = false;
    if (i < n && (text.at(i) == QLatin1Char('-') || text.at(i) == QLatin1Char('+')))
        negative = text.at(i++) == QLatin1Char('-');
    if (i == n)
        throw notA("an integer", text);
    qint64 value = 0;
    for (; i < n; ++i) {
        if (!isDigit(text.at(i)))
            throw notA("an integer", text);
        value = value * 10 + (text.at(i).unicode() - '0');
        if (value > (qint64(1) << 40)) // far beyond any column; stops overflow
            throw notA("an integer in range", text);
    }
    if (negative)
        value = -value;
    if (value < minimum || value > maximum)
        throw notA("an integer in range", text);
    return value;
}

int feedInt32(const QString& text)
{
    return int(feedInteger(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max()));
}

int feedInt16(const QString& text)
{
    return int(feedInteger(text, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

int feedZeroPrefixedInt16(const QString& text)
{
    for (const QChar c : text) {
        if (!isDigit(c))
            throw notA("an unsigned integer", text);
    }
    return int(feedInteger(QLatin1Char('0') + text, 0, std::numeric_limits<qint16>::max()));
}

QString feedText(const QString& text, int width)
{
    if (width <= 0 || text.size() <= width)
        return text;
    // Do not cut a surrogate pair in half.
    int cut = width;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    return text.left(cut);
}

bool isPlainFileName(const QString& name)
{
    // Only what would leave the folder is refused: "v1..final.jpg" is an ordinary file in it. Windows drops
    // trailing dots and blanks from a name, so "..." and ". ." name the folder or its parent there just as "." and
    // ".." do. A NUL would end the name early at the system's boundary.
    int kept = name.size();
    while (kept > 0 && (name.at(kept - 1) == QLatin1Char('.') || name.at(kept - 1) == QLatin1Char(' ')))
        --kept;
    if (kept == 0)
        return false;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter() && name.at(0).unicode() < 0x80)
        return false; // a drive: "C:x.jpg" is relative to that drive's current directory
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.isNull())
            return false;
    }
    return true;
}

} // namespace catalogsync
