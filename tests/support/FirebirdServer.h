#pragma once

#include "catalog/CatalogLocation.h"

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A real Firebird server for one test, as a shop runs it for its counters, started as an ordinary process: it listens
// on a free loopback port and keeps its configuration, security database (SYSDBA with a password of the test's own),
// lock files and catalogs in a temporary folder. No system service, nothing that only root may write. Stopped by its
// process id when destroyed, also when the test fails, and killed by the system should the test process die.
//
//     FirebirdServer server;
//     const QString shop = server.createCatalog("shop.gdb", 30);
//     env.insert("VELKORN_DATABASE", server.connectionString(shop));
//     env.insert("VELKORN_DATABASE_PASSWORD", server.password());
//     QSqlDatabase db = catalog::openDatabase(server.location(shop), "check");
class FirebirdServer
{
public:
    // Starts the server; throws std::runtime_error with its output when it does not come up.
    FirebirdServer();
    ~FirebirdServer();
    FirebirdServer(const FirebirdServer&) = delete;
    FirebirdServer& operator=(const FirebirdServer&) = delete;

    int port() const { return m_port; }
    qint64 pid() const { return m_process.processId(); }
    bool running() const { return m_process.state() != QProcess::NotRunning; }
    // SYSDBA's password on this server.
    static QString password() { return QStringLiteral("seats-test"); }
    // The folder the server keeps its catalogs in.
    QString dataDir() const;

    // A demo catalog of `items` items (the same seed, the same rows) in the data folder; returns its path. Made before
    // the server opens it, through this process's embedded engine.
    QString createCatalog(const QString& name, int items = 30, quint32 seed = 1);
    // A copy of an existing catalog file in the data folder; returns its path.
    QString addCatalog(const QString& name, const QString& sourceFile);

    // "127.0.0.1/PORT:path", as a seat names the catalog.
    QString connectionString(const QString& path) const;
    // The same as a location with SYSDBA and this server's password.
    catalog::CatalogLocation location(const QString& path) const;

    // Kills the server at once, as a power cut or a crash would.
    void kill();
    // Starts it again after kill(), on the same port with the same catalogs, as a shop's server coming back.
    void restart();

private:
    void start(int port);

    QTemporaryDir m_dir;
    QProcess m_process;
    int m_port = 0;
};
