#include "i18n/IniFile.h"

#include <QFile>
#include <QSaveFile>
#include <QSet>

namespace {

// Unicode code points of the bytes 0x80..0x9F in Windows-1254. The five bytes the
// code page leaves undefined map to the C1 control of the same value, as Windows
// does, so that they survive a round trip.
constexpr char16_t kHigh80[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x008E, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x009E, 0x0178,
};

// The six Turkish letters that replace Latin-1 letters in 0xA0..0xFF.
char16_t turkishAt(unsigned char byte)
{
    switch (byte) {
    case 0xD0:
        return 0x011E; // Ğ
    case 0xDD:
        return 0x0130; // İ
    case 0xDE:
        return 0x015E; // Ş
    case 0xF0:
        return 0x011F; // ğ
    case 0xFD:
        return 0x0131; // ı
    case 0xFE:
        return 0x015F; // ş
    default:
        return byte;
    }
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The names of a section or key list: each once (regardless of case), in file order,
// until they no longer fit the profile functions' buffer.
class NameList
{
public:
    // False once the buffer is full; nothing more is listed then.
    bool add(const QString& name)
    {
        const QString folded = name.toCaseFolded();
        if (m_seen.contains(folded))
            return true;
        // Each name takes its length plus a terminator; the list ends with one more.
        if (m_used + name.size() + 1 >= IniFile::ListBufferSize)
            return false;
        m_used += name.size() + 1;
        m_seen.insert(folded);
        m_names.append(name);
        return true;
    }
    const QStringList& names() const { return m_names; }

private:
    QStringList m_names;
    QSet<QString> m_seen;
    int m_used = 0;
};

QString sanitized(QString text)
{
    // A line break inside a written name or value would split the entry into two lines.
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

} // namespace

IniFile::IniFile(const QString& path) : m_path(path) {}

QString IniFile::fromCp1254(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            out.append(QChar(byte));
        else if (byte < 0xA0)
            out.append(QChar(kHigh80[byte - 0x80]));
        else
            out.append(QChar(turkishAt(byte)));
    }
    return out;
}

QByteArray IniFile::toCp1254(const QString& text)
{
    QByteArray out;
    out.reserve(text.size());
    for (int i = 0; i < text.size(); ++i) {
        const char16_t u = text.at(i).unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            ++i; // one replacement for the whole code point
            out.append('?');
            continue;
        }
        if (u < 0x80) {
            out.append(static_cast<char>(u));
            continue;
        }
        char mapped = 0;
        for (int b = 0; b < 32 && !mapped; ++b)
            if (kHigh80[b] == u)
                mapped = static_cast<char>(0x80 + b);
        for (int b = 0xA0; b <= 0xFF && !mapped; ++b)
            if (turkishAt(static_cast<unsigned char>(b)) == u)
                mapped = static_cast<char>(b);
        out.append(mapped ? mapped : '?');
    }
    return out;
}

IniFile::Line IniFile::parseLine(const QByteArray& raw)
{
    Line line;
    line.raw = raw;
    const QString text = fromCp1254(raw).trimmed();
    if (text.startsWith(QLatin1Char('['))) {
        const int close = text.indexOf(QLatin1Char(']'));
        line.kind = Line::Section;
        line.name = (close < 0 ? text.mid(1) : text.mid(1, close - 1)).trimmed();
        return line;
    }
    if (text.startsWith(QLatin1Char(';')))
        return line; // comment
    const int eq = text.indexOf(QLatin1Char('='));
    if (eq <= 0)
        return line; // no "=", or no key before it
    line.name = text.left(eq).trimmed();
    if (line.name.isEmpty())
        return line;
    line.kind = Line::Entry;
    line.value = text.mid(eq + 1).trimmed();
    return line;
}

bool IniFile::load()
{
    m_lines.clear();
    QFile file(m_path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    loadFromBytes(file.readAll());
    return file.error() == QFileDevice::NoError;
}

void IniFile::loadFromBytes(const QByteArray& bytes)
{
    m_lines.clear();
    QByteArray content = bytes;
    // Editors that save UTF-8 put a mark in front that would hide the first section.
    if (content.startsWith("\xEF\xBB\xBF"))
        content.remove(0, 3);
    if (content.isEmpty())
        return;
    const QList<QByteArray> rawLines = content.split('\n');
    for (int i = 0; i < rawLines.size(); ++i) {
        QByteArray raw = rawLines.at(i);
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (i == rawLines.size() - 1 && raw.isEmpty())
            break; // the terminator of the last line
        m_lines.append(parseLine(raw));
    }
}

QByteArray IniFile::toBytes() const
{
    QByteArray out;
    for (const Line& line : m_lines) {
        out.append(line.raw);
        out.append("\r\n");
    }
    return out;
}

QStringList IniFile::sections() const
{
    NameList list;
    for (const Line& line : m_lines)
        if (line.kind == Line::Section && !list.add(line.name))
            break;
    return list.names();
}

QStringList IniFile::keys(const QString& section) const
{
    NameList list;
    bool inSection = false;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Section)
            inSection = sameName(line.name, section);
        else if (inSection && line.kind == Line::Entry && !list.add(line.name))
            break;
    }
    return list.names();
}

int IniFile::findEntry(const QString& section, const QString& key) const
{
    bool inSection = false;
    for (int i = 0; i < m_lines.size(); ++i) {
        const Line& line = m_lines.at(i);
        if (line.kind == Line::Section)
            inSection = sameName(line.name, section);
        else if (inSection && line.kind == Line::Entry && sameName(line.name, key))
            return i;
    }
    return -1;
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    return findEntry(section, key) >= 0;
}

QString IniFile::value(const QString& section, const QString& key, const QString& defaultValue) const
{
    const int index = findEntry(section, key);
    if (index < 0)
        return defaultValue;
    QString text = m_lines.at(index).value;
    if (text.size() >= 2) {
        const QChar first = text.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && text.back() == first)
            text = text.mid(1, text.size() - 2);
    }
    return text.left(MaxValueLength);
}

bool IniFile::write(const QString& section, const QString& key, const QString& value)
{
    const QList<Line> before = m_lines;
    const QString cleanValue = sanitized(value);

    const int existing = findEntry(section, key);
    if (existing >= 0) {
        // Keep the key as spelled in the file; only the value changes.
        m_lines[existing] = parseLine(toCp1254(m_lines.at(existing).name + QLatin1Char('=') + cleanValue));
    } else {
        const Line entry = parseLine(toCp1254(sanitized(key) + QLatin1Char('=') + cleanValue));
        int header = -1;
        for (int i = 0; i < m_lines.size() && header < 0; ++i)
            if (m_lines.at(i).kind == Line::Section && sameName(m_lines.at(i).name, section))
                header = i;
        if (header < 0) {
            m_lines.append(parseLine(toCp1254(QLatin1Char('[') + sanitized(section) + QLatin1Char(']'))));
            m_lines.append(entry);
        } else {
            // After the section's last non-blank line, so blank lines before the next section stay there.
            int insertAt = header + 1;
            for (int i = header + 1; i < m_lines.size() && m_lines.at(i).kind != Line::Section; ++i)
                if (!m_lines.at(i).raw.trimmed().isEmpty())
                    insertAt = i + 1;
            m_lines.insert(insertAt, entry);
        }
    }

    if (!save()) {
        m_lines = before;
        return false;
    }
    return true;
}

bool IniFile::save() const
{
    // Written to a temporary file and renamed, so a failed write never leaves half a file.
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = toBytes();
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
