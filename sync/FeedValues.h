#pragma once

#include <QString>

namespace catalogsync {

// Conversions of feed field texts into column values. All of them are independent of the machine's locale and
// throw FeedError for a text they cannot read.

// A number: optional sign, digits, optionally one decimal separator ("." or ",") and more digits. No grouping,
// no exponent, no blanks; the empty text is no number.
double feedNumber(const QString& text);

// A decimal integer (optional sign, digits) within [minimum, maximum].
qint64 feedInteger(const QString& text, qint64 minimum, qint64 maximum);
int feedInt32(const QString& text);
int feedInt16(const QString& text);

// "0" put in front of the text, read as a decimal integer: the empty text gives 0, a sign is not allowed.
int feedZeroPrefixedInt16(const QString& text);

// A text value cut to the column's width in characters (width <= 0: no limit).
QString feedText(const QString& text, int width);

// True when `name` is a plain file name that stays inside the folder it is joined to: not empty, no directory
// separator of either kind (so no absolute path), no drive, not "." or ".." (nor a name of
// dots and blanks only, which Windows reads as one of them), no NUL.
bool isPlainFileName(const QString& name);

} // namespace catalogsync
