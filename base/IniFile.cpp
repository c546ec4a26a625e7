#include "base/IniFile.h"

#include "base/AnsiCodePage.h"

#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSet>

namespace base {

namespace {

// Byte of each code point that Windows-1254 can write; 0 where it has none.
const QHash<char16_t, char>& cp1254Bytes()
{
    static const QHash<char16_t, char> bytes = [] {
        QHash<char16_t, char> map;
        for (int b = 0x80; b <= 0xFF; ++b)
            map.insert(decodeAnsiByte(static_cast<unsigned char>(b), 1254).unicode(), static_cast<char>(b));
        return map;
    }();
    return bytes;
}

const char kByteOrderMark[] = "\xEF\xBB\xBF";

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
    for (char c : bytes)
        out.append(decodeAnsiByte(static_cast<unsigned char>(c), 1254));
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
        out.append(cp1254Bytes().value(u, '?'));
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
    m_byteOrderMark = false;
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
    // Editors that save UTF-8 put a mark in front that would hide the first section. It is written back, so
    // that a file that starts with the mark twice does not gain a section by being saved.
    m_byteOrderMark = content.startsWith(kByteOrderMark);
    if (m_byteOrderMark)
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
    QByteArray out = m_byteOrderMark ? QByteArray(kByteOrderMark) : QByteArray();
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
    return unquoted(m_lines.at(index).value).left(MaxValueLength);
}

QString IniFile::unquoted(const QString& value)
{
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

std::optional<std::pair<QString, QString>> IniFile::firstCutEntry() const
{
    QString section;
    for (const Line& line : m_lines) {
        if (line.kind == Line::Section)
            section = line.name;
        else if (line.kind == Line::Entry && unquoted(line.value).size() > MaxValueLength)
            return std::make_pair(section, line.name);
    }
    return std::nullopt;
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

} // namespace base
