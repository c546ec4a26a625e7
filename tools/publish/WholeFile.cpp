#include "WholeFile.h"

#include <QFile>
#include <QSaveFile>

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool copyWhole(const QString& from, const QString& to)
{
    QFile in(from);
    QSaveFile out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        return false;
    // In pieces: a program file or a picture need not fit into memory twice.
    QByteArray piece;
    while (!(piece = in.read(1 << 20)).isEmpty()) {
        if (out.write(piece) != piece.size())
            return false;
    }
    return in.error() == QFile::NoError && out.commit();
}
