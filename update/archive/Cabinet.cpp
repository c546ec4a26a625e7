#include "update/archive/Cabinet.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <mspack.h>

#include <memory>
#include <vector>

namespace archive {
namespace {

void setError(QString* error, const QString& text)
{
    if (error)
        *error = text;
}

QString entryName(const mscabd_file* file)
{
    const QByteArray raw(file->filename);
    // Names without the UTF-8 attribute are in the writer's code page; Latin-1 keeps every byte.
    QString name = (file->attribs & MSCAB_ATTRIB_UTF_NAME) ? QString::fromUtf8(raw) : QString::fromLatin1(raw);
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return name;
}

// A cabinet may only write below its target: no absolute names, no drives, no climbing out.
bool isSafeEntryName(const QString& name)
{
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')))
        return false;
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':'))
        return false;
    const QStringList parts = name.split(QLatin1Char('/'));
    for (const QString& part : parts) {
        if (part == QLatin1String(".."))
            return false;
    }
    return !name.endsWith(QLatin1Char('/'));
}

struct DecompressorDeleter
{
    void operator()(mscab_decompressor* d) const { mspack_destroy_cab_decompressor(d); }
};

} // namespace

bool extractCabinet(const QString& cab, const QString& targetDir, QString* error)
{
    if (!QFileInfo(cab).isFile()) {
        setError(error, QStringLiteral("cannot open cabinet %1").arg(cab));
        return false;
    }
    std::unique_ptr<mscab_decompressor, DecompressorDeleter> decompressor(mspack_create_cab_decompressor(nullptr));
    if (!decompressor) {
        setError(error, QStringLiteral("cannot create the cabinet decompressor"));
        return false;
    }
    mscab_decompressor* d = decompressor.get();
    const QByteArray cabName = QFile::encodeName(cab);
    mscabd_cabinet* cabinet = d->open(d, cabName.constData());
    if (!cabinet) {
        setError(error, QStringLiteral("%1 is not a readable cabinet (error %2)").arg(cab).arg(d->last_error(d)));
        return false;
    }
    auto closeCabinet = [&] { d->close(d, cabinet); };

    struct Entry
    {
        mscabd_file* file;
        QString name;
    };
    std::vector<Entry> entries;
    for (mscabd_file* file = cabinet->files; file; file = file->next) {
        const QString name = entryName(file);
        if (!isSafeEntryName(name)) {
            closeCabinet();
            setError(error, QStringLiteral("cabinet %1 holds the unsafe entry %2").arg(cab, name));
            return false;
        }
        entries.push_back({file, name});
    }

    const QString base = targetDir.isEmpty() ? QDir::currentPath() : targetDir;
    for (const Entry& entry : entries) {
        // Joined by hand: QDir::filePath takes a name that starts with ':' for a resource path and returns it
        // unjoined, which would write the entry relative to the current directory.
        const QString path = base + QLatin1Char('/') + entry.name;
        if (!QDir().mkpath(QFileInfo(path).absolutePath())) {
            closeCabinet();
            setError(error, QStringLiteral("cannot create the directory for %1").arg(path));
            return false;
        }
        const QByteArray out = QFile::encodeName(path);
        const int rc = d->extract(d, entry.file, out.constData());
        if (rc != MSPACK_ERR_OK) {
            QFile::remove(path);
            closeCabinet();
            setError(error, QStringLiteral("cannot extract %1 from %2 (error %3)").arg(entry.name, cab).arg(rc));
            return false;
        }
        const mscabd_file* f = entry.file;
        const QDateTime stamp(QDate(f->date_y, f->date_m, f->date_d), QTime(f->time_h, f->time_m, f->time_s),
                              Qt::LocalTime);
        if (stamp.isValid()) {
            QFile written(path);
            if (written.open(QIODevice::ReadWrite))
                written.setFileTime(stamp, QFileDevice::FileModificationTime);
        }
    }
    closeCabinet();
    return true;
}

QStringList cabinetEntries(const QString& cab)
{
    std::unique_ptr<mscab_decompressor, DecompressorDeleter> decompressor(mspack_create_cab_decompressor(nullptr));
    if (!decompressor || !QFileInfo(cab).isFile())
        return {};
    mscab_decompressor* d = decompressor.get();
    const QByteArray cabName = QFile::encodeName(cab);
    mscabd_cabinet* cabinet = d->open(d, cabName.constData());
    if (!cabinet)
        return {};
    QStringList names;
    for (const mscabd_file* file = cabinet->files; file; file = file->next)
        names << entryName(file);
    d->close(d, cabinet);
    return names;
}

} // namespace archive
