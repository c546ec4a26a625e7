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
// the machine's code page), CR LF line ends, and a field in double quotes (its quotes doubled) when it holds a
// comma or a semicolon (either separator), a quote, a line break or blanks at either end.
QByteArray csvDocument(const QList<QStringList>& rows, QChar separator);

// One record of a CSV file: its fields, and the line of the file it starts on (from 1).
struct CsvRecord
{
    int line = 0;
    QStringList fields;
};

// A CSV file as read by readCsvDocument. On a fault, `records` holds the records before it.
struct CsvRead
{
    QList<CsvRecord> records;
    QChar separator = QLatin1Char(',');
    int errorLine = 0; // 0: the file was read to its end
    QString error;
};

// Reads a file by the rules csvDocument writes: UTF-8 with or without the byte order mark, CR LF or LF line ends,
// fields separated by ';' when the first record's line has one outside quotes before any ',', else by ','; a field
// in double quotes holds separators, line breaks and doubled quotes. Blank lines are skipped. Text that is not UTF-8,
// a quote that is never closed and text after a closing quote are faults.
CsvRead readCsvDocument(const QByteArray& bytes);

} // namespace catalog
