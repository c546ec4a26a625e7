#include "sync/FeedDate.h"

#include "sync/FeedError.h"

#include <QVariant>

namespace catalogsync {

namespace {

// Reads `count` decimal digits from `text` at `pos` (0-based); -1 when any of them is not a digit.
int digitsAt(const QString& text, int pos, int count)
{
    int value = 0;
    for (int i = pos; i < pos + count; ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
        value = value * 10 + (c.unicode() - '0');
    }
    return value;
}

} // namespace

QDateTime naiveDateTime(const QDate& date, const QTime& time)
{
    return QDateTime(date, time, Qt::UTC);
}

QDateTime naiveDateTime(const QVariant& databaseValue)
{
    if (databaseValue.isNull())
        return QDateTime();
    const QDateTime value = databaseValue.toDateTime();
    return naiveDateTime(value.date(), value.time());
}

QDateTime zeroDateTime()
{
    return naiveDateTime(QDate(1899, 12, 30), QTime(0, 0));
}

QString FeedDateText(const QDateTime& value)
{
    const QDateTime v = value.isValid() ? value : zeroDateTime();
    const QDate d = v.date();
    const QTime t = v.time();
    const QString date = QStringLiteral("%1-%2.%3")
                             .arg(d.year(), 4, 10, QLatin1Char('0'))
                             .arg(d.month(), 2, 10, QLatin1Char('0'))
                             .arg(d.day(), 2, 10, QLatin1Char('0'));
    if (t.hour() == 0 && t.minute() == 0 && t.second() == 0)
        return date + QLatin1Char(' ');
    return date + QStringLiteral(" %1:%2:%3")
                      .arg(t.hour(), 2, 10, QLatin1Char('0'))
                      .arg(t.minute(), 2, 10, QLatin1Char('0'))
                      .arg(t.second(), 2, 10, QLatin1Char('0'));
}

QDateTime FeedDateTime(const QString& text)
{
    const auto fail = [&text]() { return FeedError(QStringLiteral("not a feed date: \"%1\"").arg(text.left(40))); };
    const int n = text.size();
    const bool dateOnly = n == 10 || (n == 11 && text.at(10) == QLatin1Char(' '));
    if (!dateOnly && n < 19)
        throw fail();

    const int year = digitsAt(text, 0, 4);
    const int month = digitsAt(text, 5, 2);
    const int day = digitsAt(text, 8, 2);
    if (year < 0 || month < 0 || day < 0)
        throw fail();
    const QDate date(year, month, day);
    if (!date.isValid())
        throw fail();
    if (dateOnly)
        return naiveDateTime(date, QTime(0, 0));

    if (text.at(13) != QLatin1Char(':') || text.at(16) != QLatin1Char(':'))
        throw fail();
    const int hour = digitsAt(text, 11, 2);
    const int minute = digitsAt(text, 14, 2);
    const int second = digitsAt(text, 17, 2);
    if (hour < 0 || minute < 0 || second < 0)
        throw fail();
    const QTime time(hour, minute, second);
    if (!time.isValid())
        throw fail();
    return naiveDateTime(date, time);
}

} // namespace catalogsync
