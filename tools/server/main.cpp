// velkorn-server: the catalog server of the synchronisation (feed documents, probe, thumbnails) and, through
// UpdateRoutes, the update server.
//
//   velkorn-server --db MASTER [--thumbs DIR] [--port N] [--bind ADDR] [--tls-cert PEM --tls-key PEM]
//                  [--workers N] [--connections N] [--max-connections N] [--timeout SECONDS] [--feed-cache MB]
//                  [--quiet] [update options]
// MASTER is a file or "host[/port]:path" on a Firebird server (several servers may serve one master there), opened
// as SYSDBA or --db-user with the password in VELKORN_DATABASE_PASSWORD. With a certificate and its key the server
// speaks https only. --workers: threads that answer requests; --connections: connections to the master;
// --max-connections: open client connections; --timeout: how long a client may keep the server waiting for a
// request, a read or a write; --feed-cache: memory for feed answers of the current publications (64; 0: none).
// --quiet: no line per request. Update options: --update-dir DIR, --update-user NAME,
// --update-password WORD, --update-sign-key KEY (signs what is published on request).
// SIGTERM, SIGINT or SIGHUP: new connections are refused, requests in flight finish, and the server ends within 5 s.
//   velkorn-server --make-changed-copy SOURCE.GDB TARGET.GDB [--changes N]

#include "FeedCache.h"
#include "FeedRoutes.h"
#include "HttpServer.h"
#include "MasterCatalog.h"
#include "MasterPool.h"
#include "UpdateRoutes.h"

#include "catalog/CatalogDatabase.h"
#include "platform/EngineConfiguration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <httplib.h>

#include <malloc.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

int usage()
{
    std::cerr << "usage: velkorn-server --db MASTER [--db-user NAME] [--thumbs DIR] [--port N] [--bind ADDR]\n"
                 "                      [--tls-cert PEM --tls-key PEM] [--workers N] [--connections N]\n"
                 "                      [--max-connections N] [--timeout SECONDS] [--feed-cache MB] [--quiet]\n"
                 "                      [update options]\n"
                 "       velkorn-server --make-changed-copy SOURCE.GDB TARGET.GDB [--changes N]\n";
    return 2;
}

void logLine(const std::string& line)
{
    static std::mutex mutex;
    const std::lock_guard<std::mutex> lock(mutex);
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

// Thousands of dealers' connections need more files than the usual soft limit of 1024.
void raiseFileLimit()
{
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
}

// The signals are blocked in every thread (the embedded database engine would otherwise take SIGTERM with a handler
// of its own that waits for attachments nobody closes) and taken by one waiting thread, which stops the server. Should
// the orderly stop hang (a database that does not answer), the process ends on its own after 5 s.
void stopOnTerminationSignals(HttpServer& server)
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    std::thread([set, &server] {
        int sig = 0;
        sigwait(&set, &sig);
        logLine("signal " + std::to_string(sig) + ": stopping");
        server.stop();
        std::this_thread::sleep_for(std::chrono::milliseconds(4900));
        logLine("not stopped in time: ending");
        std::_Exit(1);
    }).detach();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    std::vector<std::string> args(argv + 1, argv + argc);

    UpdateRouteOptions updateOptions;
    if (!parseUpdateOptions(args, updateOptions))
        return usage();

    std::string db, dbUser, thumbs, bind = "127.0.0.1", copySource, copyTarget, tlsCert, tlsKey;
    int port = 8080;
    int changes = 5;
    int connections = 4;
    int timeoutSeconds = 10;
    int feedCacheMb = 64;
    bool quiet = false;
    ServerLimits limits;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        try {
            if (a == "--db" && hasValue)
                db = args[++i];
            else if (a == "--db-user" && hasValue)
                dbUser = args[++i];
            else if (a == "--thumbs" && hasValue)
                thumbs = args[++i];
            else if (a == "--port" && hasValue)
                port = std::stoi(args[++i]);
            else if (a == "--bind" && hasValue)
                bind = args[++i];
            else if (a == "--tls-cert" && hasValue)
                tlsCert = args[++i];
            else if (a == "--tls-key" && hasValue)
                tlsKey = args[++i];
            else if (a == "--workers" && hasValue)
                limits.workers = std::stoi(args[++i]);
            else if (a == "--connections" && hasValue)
                connections = std::stoi(args[++i]);
            else if (a == "--max-connections" && hasValue)
                limits.connections = std::stoi(args[++i]);
            else if (a == "--timeout" && hasValue)
                timeoutSeconds = std::stoi(args[++i]);
            else if (a == "--feed-cache" && hasValue)
                feedCacheMb = std::stoi(args[++i]);
            else if (a == "--quiet")
                quiet = true;
            else if (a == "--changes" && hasValue)
                changes = std::stoi(args[++i]);
            else if (a == "--make-changed-copy" && i + 2 < args.size()) {
                copySource = args[++i];
                copyTarget = args[++i];
            } else
                return usage();
        } catch (const std::exception&) {
            return usage();
        }
    }

    if (!copySource.empty()) {
        try {
            const ChangedCopySummary s =
                makeChangedCopy(QString::fromStdString(copySource), QString::fromStdString(copyTarget), changes);
            std::cout << "changed items: " << s.changedItems << ", added code id: " << s.addedCodeId
                      << ", deleted item id: " << s.deletedItemId << std::endl;
            return 0;
        } catch (const std::exception& e) {
            std::cerr << "velkorn-server: " << e.what() << std::endl;
            return 1;
        }
    }
    if (db.empty() || tlsCert.empty() != tlsKey.empty() || limits.workers < 1 || connections < 1 ||
        limits.connections < 1 || timeoutSeconds < 1 || feedCacheMb < 0 || feedCacheMb > 65536)
        return usage();
    limits.idle = limits.connection.io = limits.connection.request = std::chrono::seconds(timeoutSeconds);

    catalog::CatalogLocation master = catalog::CatalogLocation::parse(QString::fromStdString(db), QDir::currentPath());
    if (!dbUser.empty())
        master.setUser(QString::fromStdString(dbUser));
    if (qEnvironmentVariableIsSet("VELKORN_DATABASE_PASSWORD"))
        master.setPassword(qEnvironmentVariable("VELKORN_DATABASE_PASSWORD"));
    if (!master.isServer() && !QFileInfo::exists(master.path())) {
        std::cerr << "velkorn-server: no such database: " << db << std::endl;
        return 1;
    }
    raiseFileLimit();
    // Feed answers of megabytes are made and dropped on many threads: freed, they go back to the system at once
    // instead of staying in the threads' heaps, which glibc would otherwise let grow with every large feed.
    // A few megabytes of free heap stay for the next feed rather than being given back and faulted in again.
    ::mallopt(M_MMAP_THRESHOLD, 256 << 10);
    ::mallopt(M_TRIM_THRESHOLD, 8 << 20);
    HttpServer server(limits);
    if (!tlsCert.empty()) {
        std::string why;
        if (!server.useTls(tlsCert, tlsKey, why)) {
            std::cerr << "velkorn-server: cannot use the certificate " << tlsCert << " with the key " << tlsKey << ": "
                      << why << std::endl;
            return 1;
        }
    }
    // Blocked before the pool's threads start, so that they inherit it.
    stopOnTerminationSignals(server);

    const QString indexProblem = ensureFeedIndexes(master);
    if (!indexProblem.isEmpty())
        logLine("the master's change times have no index, feeds read every item: " + indexProblem.toStdString());
    std::unique_ptr<MasterPool> pool, stamps;
    try {
        pool = std::make_unique<MasterPool>(master, connections);
        // One more connection of its own for the publication stamp, read for every feed request.
        stamps = std::make_unique<MasterPool>(master, 1);
    } catch (const catalog::DatabaseError& e) {
        std::cerr << "velkorn-server: cannot open the master catalog " << master.displayName().toStdString() << ": "
                  << e.what() << std::endl;
        return 1;
    }

    const auto quietLog = [](const std::string&) {};
    FeedCache feedCache(qsizetype(feedCacheMb) << 20);
    addFeedRoutes(server, *pool, *stamps, feedCache,
                  quiet ? std::function<void(const std::string&)>(quietLog) : logLine);
    if (!quiet)
        server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
            logLine(req.method + " " + req.target + " " + std::to_string(res.status));
        });
    if (!thumbs.empty() && !server.set_mount_point("/images/thumbs", thumbs)) {
        std::cerr << "velkorn-server: no such folder: " << thumbs << std::endl;
        return 1;
    }
    addUpdateRoutes(server, updateOptions);

    const int bound = server.bindTo(bind, port);
    if (bound <= 0) {
        std::cerr << "velkorn-server: cannot listen on " << bind << ":" << port << std::endl;
        return 1;
    }
    logLine("listening on port " + std::to_string(bound));
    const bool served = server.run();
    pool->stop();
    stamps->stop();
    logLine(served ? "stopped" : "cannot serve");
    return served ? 0 : 1;
}
