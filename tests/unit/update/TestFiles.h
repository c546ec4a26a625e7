#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QFile>
#include <QString>

// Small helpers for writing the files that the update tests read.
inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void setModified(const QString& path, const QDateTime& when)
{
    QFile f(path);
    if (f.open(QIODevice::ReadWrite))
        f.setFileTime(when, QFileDevice::FileModificationTime);
}

// A file that carries a fixed version block for the given halves, surrounded by other bytes.
inline QByteArray versionedBytes(quint32 ms, quint32 ls)
{
    QByteArray b(100, 'x');
    auto le = [&b](quint32 v) {
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    };
    le(0xFEEF04BDu);
    le(0x00010000u);
    le(ms);
    le(ls);
    b.append(QByteArray(40, '\0'));
    return b;
}
