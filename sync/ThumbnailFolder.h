#pragma once

#include "sync/HttpTransfer.h"
#include "sync/SyncSettings.h"

#include <QSet>
#include <QString>

namespace catalogsync {

// The thumbnails of one run, fetched into the images folder. Each body goes into a temporary file beside its
// target, which replaces the target only when the whole body came with a success status; otherwise the old
// picture (or no file) stays, nothing is left behind, and the run goes on. A name shared by several pictures is
// fetched once per run.
class ThumbnailFolder
{
public:
    explicit ThumbnailFolder(const SyncSettings& settings);

    // `pic` is a plain file name (already checked). True when a new picture took its place; false when the server
    // gave none (or the name was fetched before in this run). Throws std::runtime_error when the temporary file cannot
    // be created or written or cannot take the target's place, and SyncStopped on a stop.
    bool fetch(const QString& pic);

private:
    SyncSettings m_settings;
    QString m_folder; // with a trailing '/'
    Downloader m_downloader;
    QSet<QString> m_fetched;
};

} // namespace catalogsync
