#include "catalog/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QRegularExpression>

namespace catalog {

QString pictureFilePath(const QString& imagesDir, const QString& pictureUrl)
{
    const QString name = pictureUrl.trimmed();
    if (name.isEmpty() || QDir::isAbsolutePath(name) || name.startsWith(QLatin1Char('/')) ||
        name.startsWith(QLatin1Char('\\')) || name.contains(QLatin1Char(':')) || name.contains(QChar(0)))
        return {};
    const QStringList parts = name.split(QRegularExpression(QStringLiteral("[/\\\\]")));
    for (const QString& part : parts) {
        if (part == QLatin1String(".."))
            return {};
    }

    const QString root = QFileInfo(imagesDir).canonicalFilePath();
    if (root.isEmpty())
        return {};
    const QString candidate = QDir::cleanPath(root + QLatin1Char('/') + name);
    const QFileInfo info(candidate);
    const QString resolved = info.canonicalFilePath();
    // A link inside the folder must not lead out of it either.
    if (resolved.isEmpty() || !resolved.startsWith(root + QLatin1Char('/')))
        return {};
    return resolved;
}

QImage readPictureFile(const QString& filePath)
{
    const QFileInfo info(filePath);
    if (!info.isFile() || info.size() > kMaxPictureFileSize)
        return {};
    const QString suffix = info.suffix().toLower();
    QByteArray format;
    if (suffix == QLatin1String("jpg") || suffix == QLatin1String("jpeg"))
        format = "jpeg";
    else if (suffix == QLatin1String("bmp"))
        format = "bmp";
    else if (suffix == QLatin1String("ico"))
        format = "ico";
    else
        return {}; // metafiles and every other extension are not shown

    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QImageReader reader(&file, format);
    reader.setDecideFormatFromContent(false);
    return reader.read();
}

QVector<QImage> loadPictureSlots(const QString& imagesDir, const QStringList& pictureUrls, int maxSlots)
{
    QVector<QImage> filled;
    for (const QString& url : pictureUrls) {
        if (filled.size() >= maxSlots)
            break;
        const QString path = pictureFilePath(imagesDir, url);
        if (path.isEmpty())
            break;
        const QImage image = readPictureFile(path);
        if (image.isNull())
            break;
        filled.append(image);
    }
    return filled;
}

} // namespace catalog
