#pragma once

#include "support/CatalogServer.h"

#include <QByteArray>
#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <atomic>
#include <functional>
#include <ostream>
#include <thread>

// A catalog file in a temporary Application directory (with its images/ folder).
struct TestCatalog
{
    ~TestCatalog();
    QTemporaryDir dir;
    QString connection; // opened on the first read and kept: attaching costs more than reading
    QString appDir() const { return dir.path() + QLatin1Char('/'); }
    QString file() const { return appDir() + QStringLiteral("KATALOG.GDB"); }

    // Creates KATALOG.GDB with items `ids` (one code and one picture each) and LAST_UPDATE (null: no PARAMS row
    // value).
    void create(const QList<int>& ids, const QDateTime& lastUpdate);
    // Runs statements on the file through a short-lived connection.
    void exec(const QStringList& statements) const;
    // Every row of a query: its columns joined with ":" (null as "null"), the rows with ",".
    QString column(const QString& sql) const;
    QDateTime lastUpdate() const;
};

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

// Creates a master catalog (catalog schema plus DELETED_ITEM) and fills it with statements.
void createMaster(const QString& file, const QStringList& statements);
// Runs statements on a catalog file through a short-lived connection of this process (committed at its end).
void runOnCatalog(const QString& file, const QStringList& statements);

// A tiny raw HTTP server on loopback for transfer faults: `handler` gets each accepted socket and the number of the
// connection (0-based) and does what it likes with it; the server stops on destruction.
class FaultServer
{
public:
    explicit FaultServer(std::function<void(int socket, int index, const std::atomic_bool& stop)> handler);
    ~FaultServer();
    int port() const { return m_port; }
    QString host() const { return QStringLiteral("127.0.0.1:%1").arg(m_port); }
    int connections() const { return m_connections.load(); }

private:
    int m_listen = -1;
    int m_port = 0;
    std::atomic_bool m_stop{false};
    std::atomic_int m_connections{0};
    std::thread m_thread;
    std::function<void(int, int, const std::atomic_bool&)> m_handler;
};

// Reads a request head from a socket (up to the blank line); returns its first line.
QByteArray readRequestLine(int socket);
void sendAll(int socket, const QByteArray& bytes);

// Writes `content` into `path`.
void writeFile(const QString& path, const QByteArray& content);
