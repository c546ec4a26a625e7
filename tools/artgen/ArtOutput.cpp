#include "ArtOutput.h"

#include "ArtKit.h"

#include <QDir>
#include <QSaveFile>

ArtOutput::ArtOutput(const QString& directory) : m_dir(directory)
{
    QDir().mkpath(m_dir);
}

QString ArtOutput::path(const QString& name) const
{
    return QDir(m_dir).filePath(name);
}

void ArtOutput::jpeg(const QString& name, const QImage& image, int quality)
{
    if (artgen::saveJpeg(image, path(name), quality))
        ++m_written;
    else
        m_failures << name;
}

void ArtOutput::png(const QString& name, const QImage& image)
{
    if (artgen::savePng(image, path(name)))
        ++m_written;
    else
        m_failures << name;
}

void ArtOutput::bytes(const QString& name, const QByteArray& data)
{
    QSaveFile file(path(name));
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        ++m_written;
    else
        m_failures << name;
}
