#include "catalog/ServerDeadline.h"

#include "catalog/CatalogLocation.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <ibase.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace catalog {

namespace {

using Clock = std::chrono::steady_clock;

struct Waiting
{
    isc_db_handle handle = 0;
    QString server;
    Clock::time_point until;
    bool limited = false;
    bool broken = false;
};

// One thread for the whole process that ends the links whose time is up. An entry lives exactly as long as its
// ServerDeadline, which ends while its connection is open or, in closeDatabase(), right after the close (the client
// library answers a handle that has ended with an error); removing an entry and ending a link take the same lock.
class Watchdog
{
public:
    static Watchdog& instance()
    {
        // Never destroyed: deadlines may still end during the process's own exit.
        static Watchdog* watchdog = new Watchdog;
        return *watchdog;
    }

    quint64 add(Waiting waiting)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_thread.joinable())
            m_thread = std::thread([this] { run(); });
        const quint64 id = ++m_next;
        m_waiting.emplace(id, std::move(waiting));
        m_changed.notify_one();
        return id;
    }

    void remove(quint64 id)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_waiting.erase(id);
    }

    void renew(quint64 id, Clock::time_point until)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_waiting.find(id);
        if (it == m_waiting.end())
            return;
        it->second.until = until;
        it->second.limited = true;
        m_changed.notify_one();
    }

    bool broken(quint64 id)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_waiting.find(id);
        return it != m_waiting.end() && it->second.broken;
    }

    void breakAll(const QString& server)
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        int links = 0;
        for (auto& [id, waiting] : m_waiting)
            if (waiting.server == server && !waiting.broken) {
                breakLink(waiting);
                ++links;
            }
        if (links > 0)
            qWarning("velkorn: the catalog server %s does not answer; %d connection(s) to it given up",
                     qPrintable(server), links);
    }

private:
    void run()
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        for (;;) {
            Clock::time_point next = Clock::time_point::max();
            const Clock::time_point now = Clock::now();
            for (auto& [id, waiting] : m_waiting) {
                if (!waiting.limited || waiting.broken)
                    continue;
                if (waiting.until <= now) {
                    breakLink(waiting);
                    qWarning("velkorn: the catalog server %s did not answer in time", qPrintable(waiting.server));
                } else
                    next = std::min(next, waiting.until);
            }
            if (next == Clock::time_point::max())
                m_changed.wait(lock);
            else
                m_changed.wait_until(lock, next);
        }
    }

    static void breakLink(Waiting& waiting)
    {
        waiting.broken = true;
        // Closes the client's end of the network link; the call waiting on it returns with a network error.
        ISC_STATUS_ARRAY status{};
        fb_cancel_operation(status, &waiting.handle, fb_cancel_abort);
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<quint64, Waiting> m_waiting;
    quint64 m_next = 0;
    std::thread m_thread;
};

isc_db_handle nativeHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || handle.metaType().sizeOf() != int(sizeof(isc_db_handle)))
        return 0;
    return *static_cast<const isc_db_handle*>(handle.constData());
}

// The deadlines of the open connections, by connection name.
std::mutex g_connectionsMutex;
std::map<QString, std::unique_ptr<ServerDeadline>> g_connections;

} // namespace

ServerDeadline::ServerDeadline(const QSqlDatabase& db, int milliseconds)
{
    Waiting waiting;
    waiting.server = serverOf(db);
    if (waiting.server.isEmpty() || !db.isOpen())
        return;
    waiting.handle = nativeHandle(db);
    if (waiting.handle == 0)
        return;
    waiting.limited = milliseconds != Unlimited;
    waiting.until = Clock::now() + std::chrono::milliseconds(milliseconds);
    m_id = Watchdog::instance().add(std::move(waiting));
}

ServerDeadline::~ServerDeadline()
{
    if (m_id != 0)
        Watchdog::instance().remove(m_id);
}

void ServerDeadline::renew(int milliseconds)
{
    if (m_id != 0)
        Watchdog::instance().renew(m_id, Clock::now() + std::chrono::milliseconds(milliseconds));
}

bool ServerDeadline::broken() const
{
    return m_id != 0 && Watchdog::instance().broken(m_id);
}

namespace {
QString serverKey(const QString& host, int port, const QString& path)
{
    return host.isEmpty() ? QString() : QStringLiteral("%1/%2:%3").arg(host).arg(port).arg(path);
}
} // namespace

QString ServerDeadline::serverOf(const QSqlDatabase& db)
{
    return serverKey(db.hostName(), db.port(), db.databaseName());
}

QString ServerDeadline::serverOf(const CatalogLocation& location)
{
    // As openDatabase() names the connection.
    return location.isServer() ? serverKey(location.host(), location.port(), location.path()) : QString();
}

void ServerDeadline::breakAll(const QString& server)
{
    if (!server.isEmpty())
        Watchdog::instance().breakAll(server);
}

void ServerDeadline::watchConnection(const QSqlDatabase& db, const QString& connectionName)
{
    if (serverOf(db).isEmpty())
        return;
    auto deadline = std::make_unique<ServerDeadline>(db, Unlimited);
    const std::lock_guard<std::mutex> lock(g_connectionsMutex);
    g_connections[connectionName] = std::move(deadline);
}

void ServerDeadline::forgetConnection(const QString& connectionName)
{
    std::unique_ptr<ServerDeadline> deadline;
    const std::lock_guard<std::mutex> lock(g_connectionsMutex);
    const auto it = g_connections.find(connectionName);
    if (it != g_connections.end()) {
        deadline = std::move(it->second);
        g_connections.erase(it);
    }
}

} // namespace catalog
