#pragma once

#include <QDateTime>
#include <QString>

class QVariant;

namespace catalogsync {

// LAST_UPDATE, the feed's times and the database's timestamps are naive date-times, not moments in a zone: they are
// held in Qt::UTC, so that the hour a local clock skips in spring neither invalidates nor shifts them.
QDateTime naiveDateTime(const QDate& date, const QTime& time);

// A timestamp column as read through the SQL driver, which builds it in local time (invalid within the skipped
// hour, though it keeps the date and time it was given). Null gives an invalid date-time.
QDateTime naiveDateTime(const QVariant& databaseValue);

// The zero date-time that an empty LAST_UPDATE stands for: 30 December 1899, midnight.
QDateTime zeroDateTime();

// The "ut" value of the feed requests: "yyyy-mm.dd hh:nn:ss", or "yyyy-mm.dd " at exactly midnight.
// Rendered here, so the machine's regional settings play no part. An invalid value counts as the zero date-time.
QString FeedDateText(const QDateTime& value);

// Reads a feed date by character positions: year 1-4, month 6-7, day 9-10, time hh:nn:ss at 12-19; the
// separators at 5, 8, 11 and anything after 19 are not examined. Ten characters (or eleven, with the blank)
// mean midnight. Throws FeedError for a text that does not fit or a date or time that does not exist.
QDateTime FeedDateTime(const QString& text);

} // namespace catalogsync
