#pragma once

#include <QString>

class QSqlDatabase;

namespace catalog {

class CatalogLocation;

// Bounds how long a catalog server that no longer answers may keep a thread waiting. A network that drops packets
// without a word (a server switched off, a cable pulled) leaves the engine's client waiting for an answer as long
// as the system's TCP retries last, a quarter of an hour. While a ServerDeadline is alive on the thread that owns
// the connection, a watchdog thread ends the connection's network link when the time is up, or at once when
// breakAll() is called for its server; the waiting call then fails like a lost connection and the connection is of
// no further use. A connection to a local file is never touched.
class ServerDeadline
{
public:
    // No limit of its own: only breakAll() ends the link.
    static constexpr int Unlimited = 0;

    ServerDeadline(const QSqlDatabase& db, int milliseconds);
    ~ServerDeadline();
    ServerDeadline(const ServerDeadline&) = delete;
    ServerDeadline& operator=(const ServerDeadline&) = delete;

    // The link was ended by the deadline or by breakAll().
    bool broken() const;
    // Sets the limit anew, `milliseconds` from now: a heartbeat that ends the link when its owner stops beating.
    void renew(int milliseconds);
    // "host/port:path" of a server connection, empty for a local file; the same for the location it was opened on.
    static QString serverOf(const QSqlDatabase& db);
    static QString serverOf(const CatalogLocation& location);
    // Ends the link of every connection to `server` that is under a ServerDeadline now or open through
    // openDatabase(): the server has been found not to answer. Any thread.
    static void breakAll(const QString& server);

    // Every connection to a server is under an unlimited deadline from its open to its close, so that breakAll()
    // reaches it whatever it is waiting in. On the connection's thread, by openDatabase() and closeDatabase().
    static void watchConnection(const QSqlDatabase& db, const QString& connectionName);
    static void forgetConnection(const QString& connectionName);

private:
    quint64 m_id = 0;
};

} // namespace catalog
