#include "catalog/CatalogWatch.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/ServerDeadline.h"

#include <QAtomicInteger>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <QTimer>

namespace catalog {

namespace {

QAtomicInteger<quint64> g_watchCounter;

// Lives on the watch's thread, with the connection that belongs to it.
class Watcher : public QObject
{
public:
    Watcher(const CatalogLocation& location, CatalogWatch* watch)
        : m_location(location), m_watch(watch), m_connection(QStringLiteral("catalog-watch-%1").arg(++g_watchCounter))
    {
    }
    ~Watcher() override { closeDatabase(m_connection); }

    void probe()
    {
        QString failure;
        if (m_open) {
            const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
            {
                const ServerDeadline deadline(db, CatalogWatch::AnswerDeadline);
                failure = probeConnection(db);
                // A server that does not answer in time will not answer the program's other connections either:
                // whatever waits on it is given up too, and the window says the catalog is lost.
                if (deadline.broken())
                    ServerDeadline::breakAll(ServerDeadline::serverOf(db));
            }
            if (failure.isEmpty()) {
                emit m_watch->probed(true, {});
                return;
            }
            // A connection that has failed once is not trusted again: the next look opens a new one.
            closeDatabase(m_connection);
            m_open = false;
        } else {
            try {
                QSqlDatabase db = openDatabase(m_location, m_connection);
                QSqlDriver* driver = db.driver();
                connect(driver, &QSqlDriver::notification, this, [this](const QString& name) {
                    if (name == QLatin1String(CatalogWatch::ChangedEvent))
                        emit m_watch->changed();
                });
                if (!driver->subscribeToNotification(QString::fromLatin1(CatalogWatch::ChangedEvent)))
                    qWarning("velkorn: the catalog's change notices cannot be received: %s",
                             qPrintable(errorText(driver->lastError())));
                m_open = true;
                emit m_watch->probed(true, {});
                return;
            } catch (const DatabaseError& e) {
                failure = e.message();
            }
        }
        emit m_watch->probed(false, failure);
    }

private:
    CatalogLocation m_location;
    CatalogWatch* m_watch;
    QString m_connection;
    bool m_open = false;
};

// The engine hands its events to the connection's thread through that thread's event loop.
class WatchThread : public QThread
{
public:
    WatchThread(CatalogLocation location, CatalogWatch* watch) : m_location(std::move(location)), m_watch(watch) {}

protected:
    void run() override
    {
        Watcher watcher(m_location, m_watch);
        QTimer timer;
        connect(&timer, &QTimer::timeout, &watcher, &Watcher::probe);
        timer.start(CatalogWatch::ProbeInterval);
        watcher.probe();
        exec();
    }

private:
    CatalogLocation m_location;
    CatalogWatch* m_watch;
};

} // namespace

void CatalogWatch::announceChange(const QSqlDatabase& db)
{
    runQuery(db, QStringLiteral("execute block as begin post_event '%1'; end").arg(QLatin1String(ChangedEvent)));
}

CatalogWatch::CatalogWatch(CatalogLocation location, QObject* parent) : QObject(parent), m_location(std::move(location))
{
}

CatalogWatch::~CatalogWatch()
{
    if (m_thread) {
        m_thread->quit();
        m_thread->wait();
        delete m_thread;
    }
}

void CatalogWatch::start()
{
    if (m_thread)
        return;
    m_thread = new WatchThread(m_location, this);
    m_thread->setObjectName(QStringLiteral("CatalogWatch"));
    m_thread->start(QThread::LowPriority);
}

} // namespace catalog
