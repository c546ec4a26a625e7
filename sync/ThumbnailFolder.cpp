#include "sync/ThumbnailFolder.h"

#include <QFile>
#include <QRandomGenerator>

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace catalogsync {

namespace {

std::filesystem::path nativePath(const QString& name)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(name.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(name).toStdString());
#endif
}

[[noreturn]] void fail(const QString& what, const QString& fileName, const QString& why)
{
    throw std::runtime_error(QStringLiteral("Cannot %1 %2: %3").arg(what, fileName, why).toStdString());
}

// A new, empty file in `folder` that nothing else uses. Made with QFile rather than QTemporaryFile so that it gets
// the usual permissions: it becomes the picture.
QString createPartFile(const QString& folder)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name =
            folder +
            QStringLiteral(".thumbnail-%1.part").arg(QRandomGenerator::global()->generate(), 8, 16, QLatin1Char('0'));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return name;
        if (!file.exists())
            fail(QStringLiteral("create"), name, file.errorString());
    }
    fail(QStringLiteral("create"), folder + QStringLiteral(".thumbnail-*.part"), QStringLiteral("no free name"));
}

// Removes the temporary file on every way out unless it has taken the target's place.
class PartFile
{
public:
    explicit PartFile(QString name) : m_name(std::move(name)) {}
    ~PartFile()
    {
        if (!m_name.isEmpty())
            QFile::remove(m_name); // a left-over part file is harmless: pictures are opened by their own names
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;
    const QString& name() const { return m_name; }

    // Puts the file in the target's place in one step, replacing an existing file, so that no reader ever sees a
    // half-written picture.
    void replace(const QString& target)
    {
        std::error_code error;
        std::filesystem::rename(nativePath(m_name), nativePath(target), error);
        if (error)
            fail(QStringLiteral("replace"), target, QString::fromStdString(error.message()));
        m_name.clear();
    }

private:
    QString m_name;
};

} // namespace

ThumbnailFolder::ThumbnailFolder(const SyncSettings& settings)
    : m_settings(settings), m_folder(settings.appDir + QStringLiteral("images/")), m_downloader(settings.transfer)
{
}

bool ThumbnailFolder::fetch(const QString& pic)
{
    if (m_fetched.contains(pic))
        return false;
    m_fetched.insert(pic);
    PartFile part(createPartFile(m_folder));
    TransferOutcome outcome;
    m_downloader.DownloadToFile(m_settings.address(QStringLiteral("images/thumbs/") + encodeQueryValue(pic)),
                                part.name(), &outcome);
    // An error page or a broken transfer is no picture: the old file stays.
    if (!outcome.succeeded())
        return false;
    part.replace(m_folder + pic);
    return true;
}

} // namespace catalogsync
