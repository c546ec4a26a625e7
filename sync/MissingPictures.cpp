#include "sync/MissingPictures.h"

#include "sync/FeedError.h"
#include "sync/FeedValues.h"
#include "sync/ThumbnailFolder.h"

#include <QMutexLocker>
#include <QThread>

namespace catalogsync {

MissingPictures::MissingPictures(SyncSettings settings, QObject* parent)
    : QObject(parent), m_settings(std::move(settings))
{
}

MissingPictures::~MissingPictures()
{
    if (m_thread) {
        m_thread->requestInterruption();
        m_thread->wait();
    }
}

void MissingPictures::fetch(const QStringList& pictureUrls)
{
    QMutexLocker lock(&m_mutex);
    for (const QString& pic : pictureUrls) {
        // The name becomes a path under images/ and a part of the address: only plain file names.
        if (!isPlainFileName(pic) || m_asked.contains(pic) || m_waiting.size() >= MaxWaiting)
            continue;
        m_asked.insert(pic);
        m_waiting.append(pic);
    }
    if (m_fetching || m_waiting.isEmpty())
        return;
    m_fetching = true;
    QThread* thread = QThread::create([this] { fetchWaiting(); });
    thread->setObjectName(QStringLiteral("MissingPictures"));
    thread->setParent(this);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    lock.unlock();
    // One thread at a time: the one before has given up its work and is at most on its way out.
    if (m_thread)
        m_thread->wait();
    m_thread = thread;
    thread->start(QThread::LowPriority);
    if (threadStarted)
        threadStarted(thread);
}

void MissingPictures::fetchWaiting()
{
    ThumbnailFolder folder(m_settings);
    for (;;) {
        QString pic;
        {
            QMutexLocker lock(&m_mutex);
            if (m_waiting.isEmpty() || m_settings.transfer.stopRequested()) {
                m_fetching = false;
                return;
            }
            pic = m_waiting.takeFirst();
        }
        try {
            if (folder.fetch(pic))
                emit arrived(pic);
        } catch (const SyncStopped&) {
            // The next round of the loop sees the stop.
        } catch (const std::exception&) {
            // A folder that cannot take the file: the item goes on showing without the picture, as before.
        }
    }
}

} // namespace catalogsync
