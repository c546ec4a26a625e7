#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

// Writes finished pictures and texts into one directory and remembers what failed, so the generator can finish
// every picture it can and still end with a failure status for the build.
class ArtOutput
{
public:
    explicit ArtOutput(const QString& directory);

    void jpeg(const QString& name, const QImage& image, int quality = 92);
    void png(const QString& name, const QImage& image);
    void bytes(const QString& name, const QByteArray& data);

    QString directory() const { return m_dir; }
    const QStringList& failures() const { return m_failures; }
    int written() const { return m_written; }

private:
    QString path(const QString& name) const;

    QString m_dir;
    QStringList m_failures;
    int m_written = 0;
};
