#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QVector>

namespace catalog {

// Largest picture file the item view reads; anything bigger counts as unreadable.
constexpr qint64 kMaxPictureFileSize = 20 * 1024 * 1024;

// The file inside imagesDir that a PICTURE_URL names, or an empty string when the name is unsafe: empty,
// absolute, with a drive letter, with a ".." part, or resolving (through links) outside imagesDir.
QString pictureFilePath(const QString& imagesDir, const QString& pictureUrl);

// Reads a picture whose format follows its extension (jpg/jpeg, bmp, ico, without regard to case).
// A null image for a missing, oversized, unreadable or unrecognised file.
QImage readPictureFile(const QString& filePath);

// The pictures for the slots of the item view, in row order: at most maxSlots, ending at the first
// name that is unsafe or whose file cannot be read.
QVector<QImage> loadPictureSlots(const QString& imagesDir, const QStringList& pictureUrls, int maxSlots = 3);

} // namespace catalog
