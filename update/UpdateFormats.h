#pragma once

#include "base/PathRules.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <functional>
#include <optional>

// The value formats of the update control file: integers, versions packed like Windows file
// versions, dates and times, checksums, path macros and file names taken from URLs.
namespace update {

// A file version as two 32-bit halves: major.minor in `high`, release.build in `low`; -1 means none.
struct PackedVersion
{
    qint32 high = -1;
    qint32 low = -1;
    bool valid() const { return high != -1 && low != -1; }
};

// Reads "major.minor.release.build" (or with "," as separator); see TWebUpdate::ParseVersion.
PackedVersion ParseVersion(const QString& text);

// "a.b.c.d" with every 16-bit part as an unsigned number (so -1 halves read 65535.65535).
QString versionText(qint32 high, qint32 low);

// An integer value: decimal, or hexadecimal after "0x" or "$"; empty when the text is not one.
std::optional<qint32> parseInteger(const QString& text);

// Midnight of 1 January 1980, the stamp that stands for "no date".
QDateTime defaultStamp();

// A date read by the order of d, m and y in dateFormat and a time (hours, minutes, optional seconds),
// added to it; a part that cannot be read is skipped.
QDateTime parseDateTime(const QString& date, const QString& time, const QString& dateFormat, QChar dateSeparator,
                        const QString& timeFormat, QChar timeSeparator);

// Sum of all bytes minus one, as a signed 32-bit number; -1 for an empty file or one that cannot be read.
qint32 byteSumChecksum(const QString& path);

// The CRC mode's checksum (every table step added to the running value, complemented at the end);
// 0 when the file cannot be read.
qint32 crcSumChecksum(const QString& path);

// Running forms of the two checksums, for data that passes by in blocks.
class ByteSum
{
public:
    void add(const char* data, qint64 size);
    qint32 value() const { return static_cast<qint32>(m_sum - 1u); }

private:
    quint32 m_sum = 0;
};

// The path rules are shared with the restart helper, which does not link the engine.
using base::expandMacros;
using base::fileNameFromUrl;
using base::macroDirectory;
using base::MacroLookup;
using base::toLocalPath;

// The value of the Authorization header for Basic authentication ("Basic " + Base64 of user:password).
QByteArray basicAuthorization(const QString& user, const QString& password);

} // namespace update
