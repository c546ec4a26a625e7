#include "update/UpdateFormats.h"

#include <QFile>
#include <QStringList>

#include <algorithm>
#include <array>

namespace update {

namespace {

// A part of a version: a whole number after optional blanks and a sign. A part with any other character
// keeps the value of the digits before it and is bad; an empty part is bad with the value 0.
struct VersionPart
{
    qint64 value = 0;
    bool good = false;
};

VersionPart readPart(const QString& text)
{
    VersionPart part;
    int i = 0;
    while (i < text.size() && text.at(i) == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text.at(i) == '+' || text.at(i) == '-')) {
        negative = text.at(i) == '-';
        ++i;
    }
    const int digitsStart = i;
    qint64 value = 0;
    while (i < text.size() && text.at(i).isDigit() && text.at(i).unicode() < 128) {
        if (value < (qint64(1) << 40)) // saturate: only the low 16 bits are kept anyway
            value = value * 10 + (text.at(i).unicode() - '0');
        ++i;
    }
    part.value = negative ? -value : value;
    part.good = i == text.size() && i > digitsStart;
    return part;
}

qint32 pack(qint64 upper, qint64 lower)
{
    const quint32 v = (static_cast<quint32>(upper) & 0xFFFFu) << 16 | (static_cast<quint32>(lower) & 0xFFFFu);
    return static_cast<qint32>(v);
}

const std::array<quint32, 256>& crcTable()
{
    static const std::array<quint32, 256> table = [] {
        std::array<quint32, 256> t{};
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[n] = c;
        }
        return t;
    }();
    return table;
}

bool allDigits(const QString& s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}

} // namespace

PackedVersion ParseVersion(const QString& text)
{
    PackedVersion v;
    QChar sep;
    if (text.contains(','))
        sep = ',';
    else if (text.contains('.'))
        sep = '.';
    else {
        const VersionPart whole = readPart(text);
        if (whole.good) {
            v.high = pack(whole.value, 0);
            v.low = 0;
        }
        return v;
    }

    const int first = text.indexOf(sep);
    const VersionPart major = readPart(text.left(first));
    const int second = text.indexOf(sep, first + 1);
    if (second < 0 || !major.good) {
        v.high = pack(major.value, readPart(text.mid(first + 1)).value);
        v.low = 0;
        return v;
    }
    const VersionPart minor = readPart(text.mid(first + 1, second - first - 1));
    v.high = pack(major.value, minor.value);
    const int third = text.indexOf(sep, second + 1);
    if (third < 0 || !minor.good) {
        v.low = pack(readPart(text.mid(second + 1)).value, 0);
        return v;
    }
    const VersionPart release = readPart(text.mid(second + 1, third - second - 1));
    const VersionPart build = readPart(text.mid(third + 1));
    if (build.good)
        v.low = pack(release.value, build.value);
    return v;
}

QString versionText(qint32 high, qint32 low)
{
    const quint32 h = static_cast<quint32>(high);
    const quint32 l = static_cast<quint32>(low);
    return QStringLiteral("%1.%2.%3.%4").arg(h >> 16).arg(h & 0xFFFFu).arg(l >> 16).arg(l & 0xFFFFu);
}

std::optional<qint32> parseInteger(const QString& raw)
{
    QString text = raw.trimmed();
    bool negative = false;
    if (text.startsWith('-') || text.startsWith('+')) {
        negative = text.startsWith('-');
        text.remove(0, 1);
    }
    bool ok = false;
    qint64 value = 0;
    if (text.startsWith("0x", Qt::CaseInsensitive) || text.startsWith('$')) {
        const QString digits = text.mid(text.startsWith('$') ? 1 : 2);
        if (digits.isEmpty() || digits.size() > 8)
            return std::nullopt;
        // Hexadecimal covers all 32 bits, so "0xFFFFFFFF" reads as -1.
        value = static_cast<qint32>(digits.toUInt(&ok, 16));
    } else {
        if (!allDigits(text) || text.size() > 10)
            return std::nullopt;
        value = text.toLongLong(&ok, 10);
        if (ok && value > (negative ? qint64(2147483648LL) : qint64(2147483647LL)))
            ok = false;
    }
    if (!ok)
        return std::nullopt;
    return static_cast<qint32>(negative ? -value : value);
}

QDateTime defaultStamp()
{
    return QDateTime(QDate(1980, 1, 1), QTime(0, 0));
}

QDateTime parseDateTime(const QString& date, const QString& time, const QString& dateFormat, QChar dateSeparator,
                        const QString& timeFormat, QChar timeSeparator)
{
    Q_UNUSED(timeFormat) // hours, minutes and seconds always come in that order
    QDateTime result = defaultStamp();

    const QString fmt = dateFormat.toLower();
    const int posD = fmt.indexOf('d'), posM = fmt.indexOf('m'), posY = fmt.indexOf('y');
    const QStringList parts = date.trimmed().split(dateSeparator);
    if (posD >= 0 && posM >= 0 && posY >= 0 && parts.size() == 3) {
        // The order of the three parts is the order in which d, m and y first occur in the format.
        std::array<std::pair<int, char>, 3> order{{{posD, 'd'}, {posM, 'm'}, {posY, 'y'}}};
        std::sort(order.begin(), order.end());
        int d = 0, m = 0, y = 0;
        bool ok = true;
        for (int i = 0; i < 3 && ok; ++i) {
            const QString p = parts.at(i).trimmed();
            ok = allDigits(p) && p.size() <= 4;
            const int n = ok ? p.toInt() : 0;
            if (order[i].second == 'd')
                d = n;
            else if (order[i].second == 'm')
                m = n;
            else
                y = p.size() <= 2 ? 2000 + n : n; // two-digit years are of this century
        }
        const QDate parsed(y, m, d);
        if (ok && parsed.isValid())
            result = QDateTime(parsed, QTime(0, 0));
    }

    if (!time.trimmed().isEmpty()) {
        const QStringList t = time.trimmed().split(timeSeparator);
        if (t.size() == 2 || t.size() == 3) {
            bool ok = true;
            int values[3] = {0, 0, 0};
            for (int i = 0; i < t.size() && ok; ++i) {
                const QString p = t.at(i).trimmed();
                ok = allDigits(p) && p.size() <= 2;
                values[i] = ok ? p.toInt() : 0;
            }
            const QTime parsed(values[0], values[1], values[2]);
            if (ok && parsed.isValid())
                result = result.addSecs(QTime(0, 0).secsTo(parsed));
        }
    }
    return result;
}

void ByteSum::add(const char* data, qint64 size)
{
    const auto* p = reinterpret_cast<const unsigned char*>(data);
    quint32 sum = m_sum;
    for (qint64 i = 0; i < size; ++i)
        sum += p[i];
    m_sum = sum;
}

qint32 byteSumChecksum(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    ByteSum sum;
    QByteArray block(65536, Qt::Uninitialized);
    qint64 n;
    while ((n = file.read(block.data(), block.size())) > 0)
        sum.add(block.constData(), n);
    return sum.value();
}

qint32 crcSumChecksum(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const auto& table = crcTable();
    quint32 crc = 0xFFFFFFFFu;
    QByteArray block(65536, Qt::Uninitialized);
    qint64 n;
    while ((n = file.read(block.data(), block.size())) > 0) {
        const auto* p = reinterpret_cast<const unsigned char*>(block.constData());
        for (qint64 i = 0; i < n; ++i)
            crc += table[(crc ^ p[i]) & 0xFFu] ^ (crc >> 8);
    }
    return static_cast<qint32>(~crc);
}

QByteArray basicAuthorization(const QString& user, const QString& password)
{
    return "Basic " + (user + ':' + password).toUtf8().toBase64();
}

} // namespace update
