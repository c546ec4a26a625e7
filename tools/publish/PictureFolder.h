#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <memory>

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
    // a download never sees half of one; the former file is kept aside until keep() or restore(). Throws
    // std::runtime_error.
    void publish(const QString& name, const QString& source);

    // The import was written: the former files go.
    void keep();
    // The import failed: the files published since are taken back and the former ones put back (as whole files), so
    // that the same import again finds its pictures changed and stamps the items that show them. Returns the files
    // it could not put back.
    QStringList restore();

private:
    struct Replaced
    {
        QString path;
        QString former; // its former content aside; empty when it is a new file
    };

    void replace(const QString& path, const QByteArray& bytes);

    QString m_folder;
    std::unique_ptr<QTemporaryDir> m_aside; // in the folder (on its disk), out of the thumbs/ the programs fetch
    QList<Replaced> m_replaced;
};
