#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

// Writes small uncompressed Microsoft cabinets (one folder, compression type none) for tests.
class CabWriter
{
public:
    void add(const QString& name, const QByteArray& data,
             const QDateTime& stamp = QDateTime(QDate(2008, 5, 17), QTime(14, 30, 42)))
    {
        m_files.append({name, data, stamp});
    }

    QByteArray build() const
    {
        constexpr int HeaderSize = 36;
        constexpr int FolderSize = 8;
        constexpr int BlockSize = 32768;

        QByteArray fileRecords;
        QByteArray payload;
        for (const File& f : m_files) {
            appendU32(fileRecords, quint32(f.data.size()));
            appendU32(fileRecords, quint32(payload.size()));
            appendU16(fileRecords, 0);
            const QDate d = f.stamp.date();
            const QTime t = f.stamp.time();
            appendU16(fileRecords, quint16(((d.year() - 1980) << 9) | (d.month() << 5) | d.day()));
            appendU16(fileRecords, quint16((t.hour() << 11) | (t.minute() << 5) | (t.second() / 2)));
            appendU16(fileRecords, 0x20);
            fileRecords.append(f.name.toLatin1());
            fileRecords.append('\0');
            payload.append(f.data);
        }

        QByteArray blocks;
        int blockCount = 0;
        for (int at = 0; at < payload.size(); at += BlockSize) {
            const QByteArray chunk = payload.mid(at, BlockSize);
            appendU32(blocks, 0); // no checksum
            appendU16(blocks, quint16(chunk.size()));
            appendU16(blocks, quint16(chunk.size()));
            blocks.append(chunk);
            ++blockCount;
        }

        const quint32 filesAt = HeaderSize + FolderSize;
        const quint32 dataAt = filesAt + quint32(fileRecords.size());
        QByteArray cab("MSCF", 4);
        appendU32(cab, 0);
        appendU32(cab, dataAt + quint32(blocks.size()));
        appendU32(cab, 0);
        appendU32(cab, filesAt);
        appendU32(cab, 0);
        cab.append(char(3));
        cab.append(char(1));
        appendU16(cab, 1);
        appendU16(cab, quint16(m_files.size()));
        appendU16(cab, 0);
        appendU16(cab, 0x1234);
        appendU16(cab, 0);
        appendU32(cab, dataAt);
        appendU16(cab, quint16(blockCount));
        appendU16(cab, 0); // stored, not compressed
        cab.append(fileRecords);
        cab.append(blocks);
        return cab;
    }

private:
    struct File
    {
        QString name;
        QByteArray data;
        QDateTime stamp;
    };

    static void appendU16(QByteArray& b, quint16 v)
    {
        b.append(char(v & 0xFF));
        b.append(char(v >> 8));
    }
    static void appendU32(QByteArray& b, quint32 v)
    {
        appendU16(b, quint16(v & 0xFFFF));
        appendU16(b, quint16(v >> 16));
    }

    QList<File> m_files;
};
