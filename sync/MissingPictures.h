#pragma once

#include "sync/SyncSettings.h"

#include <QMutex>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QStringList>

#include <functional>

class QThread;

namespace catalogsync {

// This seat's images folder as a cache of the catalog server's images/thumbs/: a picture that the catalog names but
// the folder lacks is fetched in the background, one after another, the way the synchronisation fetches thumbnails
// (a whole 2xx body replaces the file, anything else leaves none). Each name is asked for once per run; names that
// could leave the folder are never asked for; at most MaxWaiting names wait at a time, more are dropped (and asked for
// again when next shown). Lives on the main thread, which never waits for a transfer.
class MissingPictures : public QObject
{
    Q_OBJECT
public:
    static constexpr int MaxWaiting = 32;

    // The transfers keep to `settings.transfer` (time-outs, largest body, the window's stop).
    explicit MissingPictures(SyncSettings settings, QObject* parent = nullptr);
    // Stops a running transfer and waits for the threads.
    ~MissingPictures() override;

    void fetch(const QStringList& pictureUrls);

    // Called with each fetching thread as it starts, so that shutdown can stop and await it with the others.
    std::function<void(QThread*)> threadStarted;

signals:
    // The file has arrived in the images folder.
    void arrived(const QString& pictureUrl);

private:
    void fetchWaiting();

    SyncSettings m_settings;
    QMutex m_mutex; // guards the three below
    QStringList m_waiting;
    QSet<QString> m_asked;
    bool m_fetching = false;
    QPointer<QThread> m_thread; // the fetching thread, or the last one; main thread only
};

} // namespace catalogsync
