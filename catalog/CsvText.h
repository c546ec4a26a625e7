#pragma once

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QLocale>
#include <QStringList>

namespace catalog {

// The field separator spreadsheet programs expect for a locale: where the comma is the decimal separator, a
// semicolon separates the fields.
QChar csvSeparatorFor(const QLocale& locale);

// A table as a CSV file for spreadsheet programs: UTF-8 with a byte order mark (without it they read the text in
// the machine's code page), CR LF line ends, and a field in double quotes (its quotes doubled) when it holds the
// separator, a quote, a line break or blanks at either end.
QByteArray csvDocument(const QList<QStringList>& rows, QChar separator);

} // namespace catalog
