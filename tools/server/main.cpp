// velkorn-server: the catalog server of the synchronisation (feed documents, probe, thumbnails) and, through
// UpdateRoutes, the update server.
//
//   velkorn-server --db MASTER.GDB [--thumbs DIR] [--port N] [--bind ADDR] [--tls-cert PEM --tls-key PEM]
//                  [update options]
// With a certificate and its key the server speaks https only. Update options: --update-dir DIR,
// --update-user NAME, --update-password WORD, --update-sign-key KEY (signs what is published on request).
//   velkorn-server --make-changed-copy SOURCE.GDB TARGET.GDB [--changes N]

#include "MasterCatalog.h"
#include "UpdateRoutes.h"

#include "platform/EngineConfiguration.h"
#include "sync/FeedDate.h"
#include "sync/FeedError.h"

#include <QCoreApplication>
#include <QDir>

#include <httplib.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

int usage()
{
    std::cerr << "usage: velkorn-server --db MASTER.GDB [--thumbs DIR] [--port N] [--bind ADDR]\n"
                 "                      [--tls-cert PEM --tls-key PEM] [update options]\n"
                 "       velkorn-server --make-changed-copy SOURCE.GDB TARGET.GDB [--changes N]\n";
    return 2;
}

void logLine(const std::string& line)
{
    std::fprintf(stdout, "%s\n", line.c_str());
    std::fflush(stdout);
}

} // namespace

// The embedded database engine installs its own SIGTERM handler, which then waits for attachments that
// nobody closes. The signals are blocked in every thread instead and taken by one waiting thread; the
// server only reads its database, so ending at once loses nothing.
static void endOnTerminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        sigaddset(&set, sig);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
        int sig = 0;
        sigwait(&set, &sig);
        std::fprintf(stderr, "velkorn-server: signal %d, ending\n", sig);
        std::_Exit(0);
    }).detach();
}

int main(int argc, char** argv)
{
    endOnTerminationSignals();
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    std::vector<std::string> args(argv + 1, argv + argc);

    UpdateRouteOptions updateOptions;
    if (!parseUpdateOptions(args, updateOptions))
        return usage();

    std::string db, thumbs, bind = "127.0.0.1", copySource, copyTarget, tlsCert, tlsKey;
    int port = 8080;
    int changes = 5;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        try {
            if (a == "--db" && hasValue)
                db = args[++i];
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
    if (db.empty())
        return usage();
    if (!QFileInfo::exists(QString::fromStdString(db))) {
        std::cerr << "velkorn-server: no such database: " << db << std::endl;
        return 1;
    }

    if (tlsCert.empty() != tlsKey.empty())
        return usage();

    MasterCatalog master(QString::fromStdString(db));
    std::unique_ptr<httplib::Server> tlsOrPlain;
    if (tlsCert.empty()) {
        tlsOrPlain = std::make_unique<httplib::Server>();
    } else {
        auto tls = std::make_unique<httplib::SSLServer>(tlsCert.c_str(), tlsKey.c_str());
        if (!tls->is_valid()) {
            std::cerr << "velkorn-server: cannot use the certificate " << tlsCert << " with the key " << tlsKey
                      << std::endl;
            return 1;
        }
        tlsOrPlain = std::move(tls);
    }
    httplib::Server& server = *tlsOrPlain;
    server.set_keep_alive_max_count(100000);
    server.set_tcp_nodelay(true); // headers and body go out in two writes: no 40 ms wait per thumbnail
    server.set_logger([](const httplib::Request& req, const httplib::Response& res) {
        logLine(req.method + " " + req.target + " " + std::to_string(res.status));
    });

    // The reachability probe asks for the server's root.
    server.Get("/", [](const httplib::Request&, httplib::Response& res) {
        res.set_content("Velkorn catalog server\n", "text/plain");
    });

    server.Get("/common/item.php", [&master](const httplib::Request& req, httplib::Response& res) {
        int t = 0;
        try {
            t = std::stoi(req.get_param_value("t"));
        } catch (const std::exception&) {
        }
        const std::string ut = req.get_param_value("ut");
        QDateTime since;
        try {
            since = catalogsync::FeedDateTime(QString::fromStdString(ut));
        } catch (const catalogsync::FeedError&) {
        }
        if (t < 1 || t > 4 || !since.isValid()) {
            logLine("feed refused: t=" + req.get_param_value("t") + " ut=\"" + ut + "\"");
            res.status = 400;
            res.set_content("bad feed request\n", "text/plain");
            return;
        }
        try {
            int records = 0;
            const QByteArray body = master.feed(t, since, &records);
            logLine("feed t=" + std::to_string(t) + " ut=\"" + ut + "\" records=" + std::to_string(records));
            res.set_content(body.toStdString(), "text/xml; charset=UTF-8");
        } catch (const std::exception& e) {
            logLine(std::string("feed failed: ") + e.what());
            res.status = 500;
            res.set_content("feed failed\n", "text/plain");
        }
    });

    if (!thumbs.empty() && !server.set_mount_point("/images/thumbs", thumbs)) {
        std::cerr << "velkorn-server: no such folder: " << thumbs << std::endl;
        return 1;
    }

    addUpdateRoutes(server, updateOptions);

    const int bound = port == 0 ? server.bind_to_any_port(bind) : (server.bind_to_port(bind, port) ? port : -1);
    if (bound <= 0) {
        std::cerr << "velkorn-server: cannot listen on " << bind << ":" << port << std::endl;
        return 1;
    }
    logLine("listening on port " + std::to_string(bound));
    return server.listen_after_bind() ? 0 : 1;
}
