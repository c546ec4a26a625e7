#include "catalog/CatalogWatch.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/ServerDeadline.h"

#include <QAtomicInteger>
#include <QSqlDriver>
#include <QSqlError>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>

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
    ~Watcher() override { close(); }

    void probe()
    {
        QString failure;
        if (m_alive)
            m_alive->renew(kAlive);
        if (m_open) {
            {
                const QSqlDatabase db = QSqlDatabase::database(m_connection, false);
                if (answered(db, [&] { failure = probeConnection(db); }) && failure.isEmpty()) {
                    emit m_watch->probed(true, {});
                    return;
                }
            }
            // A connection that has failed once is not trusted again: the next look opens a new one.
            close();
        } else {
            try {
                {
                    QSqlDatabase db = openDatabase(m_location, m_connection);
                    QSqlDriver* driver = db.driver();
                    connect(driver, &QSqlDriver::notification, this, [this](const QString& name) {
                        if (name == QLatin1String(CatalogWatch::ChangedEvent))
                            emit m_watch->changed();
                    });
                    bool subscribed = false;
                    if (answered(db, [&] {
                            subscribed =
                                driver->subscribeToNotification(QString::fromLatin1(CatalogWatch::ChangedEvent));
                        })) {
                        if (!subscribed)
                            qWarning("velkorn: the catalog's change notices cannot be received: %s",
                                     qPrintable(errorText(driver->lastError())));
                        m_open = true;
                        m_alive = std::make_unique<ServerDeadline>(db, kAlive);
                        emit m_watch->probed(true, {});
                        return;
                    }
                }
                closeDatabase(m_connection);
                failure = QStringLiteral("no answer from the catalog");
            } catch (const DatabaseError& e) {
                failure = e.message();
            }
        }
        // The seat now takes the catalog for lost. A connection of the program's that still waits on the server is
        // given up as well: it would wait on a network fallen silent for as long as the system's retries last.
        ServerDeadline::breakAll(ServerDeadline::serverOf(m_location));
        emit m_watch->probed(false, failure);
    }

private:
    // The watch's own connection may wait on the server outside a probe too (the engine's client renews the event
    // subscription after each notice): should the watch stop looking for so long, whatever hangs it is given up.
    static constexpr int kAlive = CatalogWatch::ProbeInterval + 2 * CatalogWatch::AnswerDeadline;

    void close()
    {
        m_alive.reset();
        closeDatabase(m_connection);
        m_open = false;
    }

    // Runs `ask` on the server under the answer deadline; false when the server did not answer in time. It will not
    // answer the program's other connections either: whatever waits on it is given up too, and the window says the
    // catalog is lost.
    static bool answered(const QSqlDatabase& db, const std::function<void()>& ask)
    {
        const ServerDeadline deadline(db, CatalogWatch::AnswerDeadline);
        ask();
        if (!deadline.broken())
            return true;
        ServerDeadline::breakAll(ServerDeadline::serverOf(db));
        return false;
    }

    CatalogLocation m_location;
    CatalogWatch* m_watch;
    QString m_connection;
    bool m_open = false;
    std::unique_ptr<ServerDeadline> m_alive;
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
