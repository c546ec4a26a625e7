#pragma once

#include <QByteArray>
#include <QString>

// The maker's picture folder on the catalog server: each picture under its name, and its thumbnail, the file the
// programs download, under the same name in thumbs/ (the folder velkorn-server serves as images/thumbs/).
class PictureFolder
{
public:
    // A thumbnail is at most this many pixels wide and high.
    static constexpr int ThumbnailSide = 640;
    static constexpr qint64 MaxPictureSize = 64 * 1024 * 1024;

    explicit PictureFolder(QString folder);

    QString picturePath(const QString& name) const;
    QString thumbnailPath(const QString& name) const;
    bool isPublished(const QString& name) const;

    // True when `source` holds other bytes than the picture published under `name`, or none is published.
    bool differs(const QString& name, const QString& source) const;

    // Why the file cannot be published as a picture (missing, too large, not a JPEG by its bytes, undecodable);
    // empty when it can.
    static QString sourceProblem(const QString& source);

    // The thumbnail of a JPEG picture: the picture itself when it is small enough and upright, else scaled (and
    // turned as its orientation says) to at most ThumbnailSide on either side. Empty when it cannot be decoded.
    static QByteArray thumbnail(const QByteArray& jpeg);

    // Publishes the picture and its thumbnail. Each replaces the file of that name only as a whole new file, so that
    // a download never sees half of one. Throws std::runtime_error.
    void publish(const QString& name, const QString& source) const;

private:
    QString m_folder;
};
