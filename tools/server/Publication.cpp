#include "Publication.h"

#include "sync/FeedDate.h"

#include <QRegularExpression>

namespace {

const QString kFormat = QStringLiteral("yyyyMMdd'T'hhmmss");

QString timeText(const QDateTime& time)
{
    return time.isValid() ? time.toString(kFormat) : QStringLiteral("-");
}

// One half of a stamp's text; false when it is neither a time nor "-".
bool readTime(const QString& text, QDateTime& time)
{
    if (text == QLatin1String("-")) {
        time = QDateTime();
        return true;
    }
    static const QRegularExpression digits(QStringLiteral("^\\d{8}T\\d{6}$"));
    if (!digits.match(text).hasMatch())
        return false;
    const QDate date = QDate::fromString(text.left(8), QStringLiteral("yyyyMMdd"));
    const QTime clock = QTime::fromString(text.mid(9), QStringLiteral("hhmmss"));
    if (!date.isValid() || !clock.isValid())
        return false;
    time = catalogsync::naiveDateTime(date, clock);
    return true;
}

} // namespace

QString Publication::text() const
{
    return timeText(items) + QLatin1Char('.') + timeText(deletions);
}

std::optional<Publication> Publication::fromText(const QString& text)
{
    if (text.size() > 40)
        return std::nullopt;
    const QStringList parts = text.split(QLatin1Char('.'));
    Publication stamp;
    if (parts.size() != 2 || !readTime(parts[0], stamp.items) || !readTime(parts[1], stamp.deletions))
        return std::nullopt;
    return stamp;
}

QString Publication::entityTag(int t, const QDateTime& since) const
{
    return QStringLiteral("\"t%1-%2-%3\"").arg(t).arg(timeText(since), text());
}
