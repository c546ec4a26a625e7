#include "sync/CatalogSync.h"

#include "base/MainThread.h"
#include "sync/TThread1.h"
#include "sync/TThread2.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

namespace catalogsync {

CatalogSync::CatalogSync(QObject* parent, base::StopSource stop) : QObject(parent), m_stop(std::move(stop))
{
    setObjectName(QStringLiteral("catalogSync"));
}

CatalogSync::~CatalogSync()
{
    requestStopAndWait();
}

void CatalogSync::start(const SyncSettings& settings, Hooks hooks)
{
    if (m_thread1)
        return;
    m_settings = settings;
    m_settings.transfer.stop = m_stop.token();
    m_hooks = std::move(hooks);
    m_thread1 = new TThread1(m_settings, this);
    // Attached before the thread starts, so its end is never missed.
    connect(m_thread1, &QThread::finished, this, &CatalogSync::Thread1Terminate, Qt::QueuedConnection);
    m_thread1->start();
    // Told after the start: an interruption requested on a thread that has not started yet would be lost.
    if (m_hooks.threadCreated)
        m_hooks.threadCreated(m_thread1);
}

void CatalogSync::Thread1Terminate()
{
    // A shutdown that stopped the download starts nothing more.
    if (stopRequested() || (m_thread1 && m_thread1->isInterruptionRequested()) || m_thread2 ||
        (m_hooks.stopping && m_hooks.stopping()) || QCoreApplication::closingDown())
        return;
    const QString dir = m_settings.appDir;
    if (QFile::exists(dir + QLatin1String(kFeedFiles[0]))) {
        // The first file that is missing or no well-formed XML stops the parsing; the rest stay absent.
        FeedDocumentPtr* targets[4] = {&m_docs.xmlItem, &m_docs.xmlItemCode, &m_docs.xmlItemPictures,
                                       &m_docs.xmlItemDeleted};
        for (int i = 0; i < 4; ++i) {
            FeedDocumentPtr doc = FeedDocument::parseFile(dir + QLatin1String(kFeedFiles[i]));
            if (!doc)
                break;
            *targets[i] = std::move(doc);
        }
        for (const char* name : kFeedFiles)
            QFile::remove(dir + QLatin1String(name)); // a file that cannot be removed is passed over
        m_docs.askedFrom = m_thread1 ? m_thread1->askedFrom() : QDateTime();
    }

    TThread2::Hooks hooks;
    hooks.committed = [this](const FeedApplier::Result& result) {
        runOnMainThreadAndWait([this, result] { showCommitted(result); });
    };
    hooks.handOffToApplicationUpdate = m_hooks.handOffToApplicationUpdate;
    m_thread2 = new TThread2(m_settings, m_docs, std::move(hooks), this);
    connect(m_thread2, &QThread::finished, this, &CatalogSync::finished, Qt::QueuedConnection);
    m_thread2->start();
    if (m_hooks.threadCreated)
        m_hooks.threadCreated(m_thread2);
}

void CatalogSync::showCommitted(const FeedApplier::Result&)
{
    emit catalogChanged();
    const auto text = [this](const char* key) {
        const QString k = QString::fromLatin1(key);
        return m_hooks.messageText ? m_hooks.messageText(k) : k;
    };
    const QString caption = text("msg003");
    const QString body = text("msg004");
    if (m_hooks.showInformation)
        m_hooks.showInformation(caption, body);
}

bool CatalogSync::runOnMainThreadAndWait(std::function<void()> fn)
{
    // Queued to this object: if it is gone by then, the call is dropped and the wait ends on the stop.
    return base::runOnMainThreadAndWait(this, fn, m_stop.token());
}

void CatalogSync::requestStop()
{
    m_stop.requestStop();
    if (m_thread1)
        m_thread1->requestInterruption();
    if (m_thread2)
        m_thread2->requestInterruption();
}

void CatalogSync::requestStopAndWait()
{
    requestStop();
    if (m_thread1)
        m_thread1->wait();
    if (m_thread2)
        m_thread2->wait();
}

} // namespace catalogsync
