#include "catalog/BackgroundCodeIndex.h"

#include "catalog/CatalogDatabase.h"

#include <QAtomicInteger>
#include <QThread>

namespace catalog {

namespace {
QAtomicInteger<quint64> g_connectionCounter;
}

BackgroundCodeIndex::BackgroundCodeIndex(CatalogLocation location, QObject* parent)
    : QObject(parent), m_location(std::move(location))
{
}

BackgroundCodeIndex::~BackgroundCodeIndex()
{
    for (const QPointer<QThread>& thread : m_threads)
        if (thread)
            thread->requestInterruption();
    for (const QPointer<QThread>& thread : m_threads)
        if (thread)
            thread->wait();
}

void BackgroundCodeIndex::rebuild()
{
    m_index.reset();
    for (const QPointer<QThread>& thread : m_threads)
        if (thread)
            thread->requestInterruption();
    m_threads.removeAll(nullptr);
    emit rebuilding();

    const quint64 generation = ++m_generation;
    const CatalogLocation location = m_location;
    QThread* thread = QThread::create([this, location, generation] {
        const QString connection = QStringLiteral("code-index-%1").arg(++g_connectionCounter);
        std::shared_ptr<const CodeIndex> built;
        QString failure;
        try {
            const QSqlDatabase db = openDatabase(location, connection);
            built = std::make_shared<const CodeIndex>(
                CodeIndex::load(db, [] { return QThread::currentThread()->isInterruptionRequested(); }));
        } catch (const DatabaseError& e) {
            // Not fatal: without an index every search goes to the database, as it always could.
            failure = e.message();
        }
        closeDatabase(connection);
        if (QThread::currentThread()->isInterruptionRequested())
            return;
        QMetaObject::invokeMethod(
            this, [this, generation, built, failure] { adopt(generation, built, failure); }, Qt::QueuedConnection);
    });
    thread->setParent(this);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_threads.append(thread);
    if (threadStarted)
        threadStarted(thread);
    thread->start(QThread::LowPriority);
}

void BackgroundCodeIndex::adopt(quint64 generation, std::shared_ptr<const CodeIndex> index, const QString& failure)
{
    // A build overtaken by a later rebuild read data that may already be stale.
    if (generation != m_generation)
        return;
    if (!failure.isEmpty()) {
        emit failed(failure);
        return;
    }
    m_index = std::move(index);
    emit ready();
}

} // namespace catalog
