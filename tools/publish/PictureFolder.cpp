#include "PictureFolder.h"

#include "WholeFile.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>

#include <stdexcept>

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > PictureFolder::MaxPictureSize)
        return {};
    return file.readAll();
}

} // namespace

PictureFolder::PictureFolder(QString folder) : m_folder(std::move(folder)) {}

QString PictureFolder::picturePath(const QString& name) const
{
    return QDir(m_folder).filePath(name);
}

QString PictureFolder::thumbnailPath(const QString& name) const
{
    return QDir(m_folder).filePath(QStringLiteral("thumbs/") + name);
}

bool PictureFolder::isPublished(const QString& name) const
{
    return QFileInfo(thumbnailPath(name)).isFile();
}

bool PictureFolder::differs(const QString& name, const QString& source) const
{
    if (!isPublished(name) || QFileInfo(picturePath(name)).size() != QFileInfo(source).size())
        return true;
    const QByteArray published = readAll(picturePath(name));
    return published.isEmpty() || published != readAll(source);
}

QString PictureFolder::sourceProblem(const QString& source)
{
    const QFileInfo info(source);
    if (!info.isFile())
        return QStringLiteral("the picture file %1 is missing").arg(QDir::toNativeSeparators(source));
    if (info.size() > MaxPictureSize)
        return QStringLiteral("%1 is larger than %2 MB").arg(info.fileName()).arg(MaxPictureSize / (1024 * 1024));
    const QByteArray bytes = readAll(source);
    // By the bytes, whatever the name says: every JPEG starts with a start-of-image marker and another marker.
    if (!bytes.startsWith("\xFF\xD8\xFF"))
        return QStringLiteral("%1 is not a JPEG picture").arg(info.fileName());
    if (thumbnail(bytes).isEmpty())
        return QStringLiteral("%1 is not a JPEG picture that can be read").arg(info.fileName());
    return {};
}

QByteArray PictureFolder::thumbnail(const QByteArray& jpeg)
{
    QBuffer input;
    input.setData(jpeg);
    QImageReader reader(&input, "jpeg");
    reader.setAutoTransform(true);
    const QSize size = reader.size();
    const bool small = size.isValid() && size.width() <= ThumbnailSide && size.height() <= ThumbnailSide;
    QImage image = reader.read();
    if (image.isNull())
        return {};
    if (small && reader.transformation() == QImageIOHandler::TransformationNone)
        return jpeg;
    if (image.width() > ThumbnailSide || image.height() > ThumbnailSide)
        image = image.scaled(ThumbnailSide, ThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    QByteArray out;
    QBuffer output(&out);
    output.open(QIODevice::WriteOnly);
    if (!image.save(&output, "JPEG", 85))
        return {};
    return out;
}

void PictureFolder::publish(const QString& name, const QString& source)
{
    const QByteArray picture = readAll(source);
    const QByteArray small = thumbnail(picture);
    if (small.isEmpty())
        throw std::runtime_error(QStringLiteral("cannot read the picture %1").arg(source).toStdString());
    if (!QDir().mkpath(QDir(m_folder).filePath(QStringLiteral("thumbs"))))
        throw std::runtime_error(QStringLiteral("cannot make the folder %1/thumbs").arg(m_folder).toStdString());
    replace(picturePath(name), picture);
    replace(thumbnailPath(name), small);
}

void PictureFolder::replace(const QString& path, const QByteArray& bytes)
{
    Replaced entry{path, {}};
    if (QFileInfo::exists(path)) {
        if (!m_aside) {
            m_aside = std::make_unique<QTemporaryDir>(QDir(m_folder).filePath(QStringLiteral(".publishing-XXXXXX")));
            if (!m_aside->isValid())
                throw std::runtime_error(QStringLiteral("cannot make a folder in %1: %2")
                                             .arg(m_folder, m_aside->errorString())
                                             .toStdString());
        }
        entry.former = m_aside->filePath(QString::number(m_replaced.size()));
        if (!QFile::copy(path, entry.former))
            throw std::runtime_error(QStringLiteral("cannot keep a copy of %1").arg(path).toStdString());
    }
    // Listed before it is written: putting back a file that was not replaced after all does no harm.
    m_replaced.append(entry);
    if (!writeWhole(path, bytes))
        throw std::runtime_error(QStringLiteral("cannot write %1").arg(path).toStdString());
}

void PictureFolder::keep()
{
    m_replaced.clear();
    m_aside.reset();
}

QStringList PictureFolder::restore()
{
    QStringList failed;
    for (auto it = m_replaced.crbegin(); it != m_replaced.crend(); ++it) {
        const bool restored = it->former.isEmpty() ? !QFileInfo::exists(it->path) || QFile::remove(it->path)
                                                   : copyWhole(it->former, it->path);
        if (!restored)
            failed << it->path;
    }
    keep();
    return failed;
}
