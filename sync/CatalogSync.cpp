#include "sync/CatalogSync.h"

#include "sync/TThread1.h"
#include "sync/TThread2.h"

#include "platform/MessageBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <condition_variable>
#include <mutex>

namespace catalogsync {

CatalogSync::CatalogSync(QObject* parent) : QObject(parent), m_stop(std::make_shared<std::atomic_bool>(false))
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
    m_settings.transfer.stop = m_stop;
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
    if (m_hooks.showInformation) {
        m_hooks.showInformation(caption, body);
    } else {
        platform::BoxRequest box;
        box.caption = caption;
        box.text = body;
        box.icon = platform::BoxIcon::Information;
        platform::showMessageBox(box);
    }
}

bool CatalogSync::runOnMainThreadAndWait(std::function<void()> fn)
{
    if (QThread::currentThread() == thread()) {
        fn();
        return true;
    }
    struct State
    {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
    };
    auto state = std::make_shared<State>();
    auto stop = m_stop;
    QThread* worker = QThread::currentThread();
    // Queued to this object: if it is gone by then, the call is dropped and the wait below ends on the stop.
    QMetaObject::invokeMethod(
        this,
        [state, stop, worker, fn = std::move(fn)] {
            if (!stop->load() && !worker->isInterruptionRequested())
                fn();
            std::lock_guard<std::mutex> lock(state->mutex);
            state->finished = true;
            state->done.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock<std::mutex> lock(state->mutex);
    while (!state->finished) {
        if (stop->load() || worker->isInterruptionRequested())
            return false;
        state->done.wait_for(lock, std::chrono::milliseconds(50));
    }
    return true;
}

void CatalogSync::requestStop()
{
    m_stop->store(true);
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
