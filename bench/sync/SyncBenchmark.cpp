// Applies a large feed to a large catalog and prints the figures:
//   a feed of 10,000 changed items, 60,000 codes and 15,000 pictures (with small thumbnails) on a catalog of
//   20,000 items, through the real threads and a loopback server; the database part alone; twice and four times
//   the feed; a catalog that was never synchronised pulled whole from velkorn-server; and the peak memory of the
//   synchronising program in each run. Every synchronisation runs in a process of its own (this program, started
//   with --sync-run), so that its peak memory is its own and not that of the server or of an earlier run.
//
//   velkorn-bench-sync [WORK_DIR]   (the 20,000-item catalog is generated once and kept in WORK_DIR)

#include "DemoCatalog.h"

#include "MasterCatalog.h"

#include "sync/CatalogSync.h"
#include "sync/FeedApplier.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/DatabaseCreator.h"
#include "platform/EngineConfiguration.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <httplib.h>

#include <sys/resource.h>

#include <cstdio>
#include <thread>

using namespace catalogsync;

namespace {

const int kCatalogItems = 20000;

struct Feed
{
    QByteArray items, codes, pictures, deleted;
};

// `n` changed items: ids spread over the catalog and beyond it (new items), 6 codes and 1.5 pictures each.
Feed makeFeed(int n)
{
    Feed f;
    const QByteArray head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<feed>\n";
    f.items = f.codes = f.pictures = f.deleted = head;
    int codeId = 1000000, pictureId = 1000000;
    for (int i = 0; i < n; ++i) {
        const int id = i * 2 + 1; // every other catalog item, then new ones past the end
        const QByteArray sid = QByteArray::number(id);
        const QByteArray time =
            QDateTime(QDate(2030, 1, 1), QTime(0, 0)).addSecs(i).toString("yyyy-MM-dd hh:mm:ss").toLatin1();
        f.items += "<item><id>" + sid +
                   "</id><total_weight>4.25</total_weight><operation_pressure_default>6</operation_pressure_default>"
                   "<operation_pressure_max>10</operation_pressure_max><operation_pressure_min>0.5"
                   "</operation_pressure_min><operation_space>250</operation_space><assembly_height>300"
                   "</assembly_height><piston_type>3</piston_type><loading_capacity>1000-2000</loading_capacity>"
                   "<type>2</type><vehicle1>3</vehicle1><vehicle2>1</vehicle2><update_time>" +
                   time + "</update_time></item>\n";
        for (int c = 0; c < 6; ++c) {
            const QByteArray code = "VK." + QByteArray::number(id).rightJustified(6, '0') + "." + QByteArray::number(c);
            f.codes += "<item><item_id>" + sid + "</item_id><id>" + QByteArray::number(++codeId) +
                       "</id><code_type_id>" + QByteArray::number(c + 1) + "</code_type_id><code>" + code +
                       "</code><search_code>" + code.toLower().replace(".", "") + "</search_code></item>\n";
        }
        for (int p = 0; p < (i % 2 == 0 ? 2 : 1); ++p) {
            ++pictureId;
            f.pictures += "<item><item_id>" + sid + "</item_id><id>" + QByteArray::number(pictureId) +
                          "</id><pic>thumb" + QByteArray::number(pictureId % 15000) + ".jpg</pic></item>\n";
        }
    }
    f.items += "</feed>\n";
    f.codes += "</feed>\n";
    f.pictures += "</feed>\n";
    f.deleted += "<item><id>2</id><delete_time>2029-12-31 00:00:00</delete_time></item>\n</feed>\n";
    return f;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The peak resident memory of this process image. Not getrusage's ru_maxrss: on Linux that keeps the peak of the
// parent at the fork that started this process, which here holds the whole feed for its server.
long peakMemoryMb()
{
    QFile status("/proc/self/status");
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').value(0).toLong() / 1024;
        }
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024;
}

QString freshCatalog(const QString& master, const QString& appDir)
{
    QDir().mkpath(appDir + "images");
    const QString file = appDir + "KATALOG.GDB";
    QFile::remove(file);
    if (!QFile::copy(master, file))
        qFatal("cannot copy the catalog");
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    return file;
}

// Body of the child process: one synchronisation of `appDir` from `host` through the real threads (probe, four
// downloads, parsing, applying, thumbnails, commit). Prints "RESULT seconds cpu peak-MB outcome".
int syncRun(const QString& appDir, const QString& host)
{
    SyncSettings settings;
    settings.appDir = appDir;
    settings.catalogHost = host;
    CatalogSync::Hooks hooks;
    hooks.showInformation = [](const QString&, const QString&) {};
    CatalogSync sync;
    QSignalSpy finished(&sync, &CatalogSync::finished);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    sync.start(settings, hooks);
    if (!finished.wait(1800000))
        qFatal("the run did not end");
    std::printf("RESULT %.3f %.3f %ld %s\n", timer.elapsed() / 1000.0, cpuSeconds() - cpuStart, peakMemoryMb(),
                qPrintable(sync.thread2()->outcome().replace(' ', '_')));
    return 0;
}

struct RunFigures
{
    double seconds = 0, cpu = 0;
    long peakMb = 0;
};

// Starts a child process for one synchronisation and reads its figures; a run that does not commit is fatal.
RunFigures childRun(const QString& appDir, const QString& host)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {"--sync-run", appDir, host});
    if (!child.waitForFinished(1800000))
        qFatal("the synchronising process did not end");
    const QList<QByteArray> lines = child.readAllStandardOutput().split('\n');
    for (const QByteArray& line : lines) {
        const QList<QByteArray> f = line.split(' ');
        if (f.size() == 5 && f[0] == "RESULT") {
            if (f[4] != "committed")
                qFatal("run failed: %s", f[4].constData());
            return {f[1].toDouble(), f[2].toDouble(), f[3].toLong()};
        }
    }
    qFatal("the synchronising process gave no figures");
}

// A feed run through the real threads against the in-process server, on a fresh copy of the catalog.
RunFigures fullRun(const QString& master, const QString& appDir, int port)
{
    // Every run starts from an empty images folder, so that no run pays for the files another one left behind.
    QDir(appDir + "images").removeRecursively();
    freshCatalog(master, appDir);
    return childRun(appDir, QStringLiteral("127.0.0.1:%1").arg(port));
}

// A catalog that was never synchronised (empty, no LAST_UPDATE) asks for everything: the whole 20,000-item catalog
// from velkorn-server, with its 24 distinct thumbnails.
RunFigures neverSynchronisedRun(const QString& work, const QString& master)
{
    const QString serverDir = work + "/server/";
    QDir(serverDir).removeRecursively();
    QDir().mkpath(serverDir + "thumbs");
    if (!QFile::copy(master, serverDir + "master.gdb"))
        qFatal("cannot copy the catalog");
    QFile::setPermissions(serverDir + "master.gdb", QFile::ReadOwner | QFile::WriteOwner);
    ensureDeletedItemTable(serverDir + "master.gdb");
    const QByteArray thumb(2048, 'j');
    for (int style = 1; style <= 8; ++style) {
        for (int k = 1; k <= 3; ++k) {
            QFile f(QStringLiteral("%1thumbs/style%2_%3.jpg").arg(serverDir).arg(style).arg(k));
            if (f.open(QIODevice::WriteOnly))
                f.write(thumb);
        }
    }
    QProcess server;
    server.setProcessChannelMode(QProcess::MergedChannels);
    server.start(QStringLiteral(VELKORN_SERVER_PATH),
                 {"--db", serverDir + "master.gdb", "--thumbs", serverDir + "thumbs", "--port", "0"});
    int port = 0;
    QByteArray log;
    QElapsedTimer wait;
    wait.start();
    while (port == 0 && wait.elapsed() < 20000 && server.state() != QProcess::NotRunning) {
        server.waitForReadyRead(100);
        log += server.readAll();
        const int at = log.indexOf("listening on port ");
        if (at >= 0 && log.indexOf('\n', at) > 0)
            port = log.mid(at + 18, log.indexOf('\n', at) - at - 18).trimmed().toInt();
    }
    if (port == 0)
        qFatal("velkorn-server did not start: %s", log.constData());

    const QString appDir = work + "/fresh/";
    QDir(appDir).removeRecursively();
    QDir().mkpath(appDir + "images");
    catalog::createDatabase(appDir + "KATALOG.GDB");
    const RunFigures figures = childRun(appDir, QStringLiteral("127.0.0.1:%1").arg(port));
    server.terminate();
    server.waitForFinished(10000);

    const QString connection = QStringLiteral("bench-fresh");
    {
        QSqlDatabase db = catalog::openDatabase(appDir + "KATALOG.GDB", connection);
        QSqlQuery q(db);
        QStringList counts;
        for (const char* table : {"item", "item_code", "item_pictures"}) {
            q.exec(QStringLiteral("select count(*) from %1").arg(QLatin1String(table)));
            counts << QStringLiteral("%1 %2").arg(q.next() ? q.value(0).toLongLong() : -1).arg(QLatin1String(table));
        }
        std::printf("never synchronised: pulled %s rows\n", qPrintable(counts.join(", ")));
    }
    catalog::closeDatabase(connection);
    return figures;
}

// Only the database work: the parsed documents applied in one transaction, no thumbnails.
double databaseRun(const QString& master, const QString& appDir, const Feed& feed, double* cpu)
{
    const QString file = freshCatalog(master, appDir);
    FeedDocuments docs;
    docs.xmlItem = FeedDocument::parseBytes(feed.items);
    docs.xmlItemCode = FeedDocument::parseBytes(feed.codes);
    docs.xmlItemPictures = FeedDocument::parseBytes(feed.pictures);
    docs.xmlItemDeleted = FeedDocument::parseBytes(feed.deleted);
    QElapsedTimer timer;
    timer.start();
    const double cpuStart = cpuSeconds();
    {
        QSqlDatabase db = catalog::openDatabase(file, "bench");
        db.transaction();
        FeedApplier applier(db, {});
        applier.apply(docs);
        db.commit();
    }
    catalog::closeDatabase("bench");
    *cpu = cpuSeconds() - cpuStart;
    return timer.elapsed() / 1000.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    if (argc == 4 && QByteArray(argv[1]) == "--sync-run")
        return syncRun(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    const QString work = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath() + "/velkorn-bench-sync";
    QDir().mkpath(work);
    const QString master = work + "/catalog20000.gdb";
    if (!QFile::exists(master)) {
        std::printf("generating the %d-item catalog (once)...\n", kCatalogItems);
        std::fflush(stdout);
        catalog::DemoCatalogOptions options;
        options.filePath = master;
        options.items = kCatalogItems;
        options.seed = 7;
        catalog::generateDemoCatalog(options);
    }

    // Thumbnails: 15,000 small files.
    const QString thumbs = work + "/thumbs";
    QDir().mkpath(thumbs);
    const QByteArray thumb(2048, 'j');
    for (int i = 0; i < 15000; ++i) {
        QFile f(QStringLiteral("%1/thumb%2.jpg").arg(thumbs).arg(i));
        if (!f.exists() && f.open(QIODevice::WriteOnly))
            f.write(thumb);
    }

    Feed feed;
    httplib::Server server;
    server.set_keep_alive_max_count(1000000);
    server.set_tcp_nodelay(true);
    server.Get("/", [](const httplib::Request&, httplib::Response& res) { res.set_content("ok", "text/plain"); });
    server.Get("/common/item.php", [&feed](const httplib::Request& req, httplib::Response& res) {
        const std::string t = req.get_param_value("t");
        const QByteArray& body = t == "1"   ? feed.items
                                 : t == "2" ? feed.codes
                                 : t == "3" ? feed.pictures
                                            : feed.deleted;
        res.set_content(body.constData(), size_t(body.size()), "text/xml");
    });
    server.set_mount_point("/images/thumbs", thumbs.toStdString());
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread serverThread([&server] { server.listen_after_bind(); });

    const QString appDir = work + "/app/";
    feed = makeFeed(10000);
    const RunFigures once = fullRun(master, appDir, port);
    double databaseCpu = 0;
    const double database = databaseRun(master, appDir, feed, &databaseCpu);
    feed = makeFeed(20000);
    const RunFigures twice = fullRun(master, appDir, port);
    double databaseTwiceCpu = 0;
    const double databaseTwice = databaseRun(master, appDir, feed, &databaseTwiceCpu);
    feed = makeFeed(40000);
    const RunFigures fourTimes = fullRun(master, appDir, port);
    feed = Feed();

    server.stop();
    serverThread.join();

    const RunFigures fresh = neverSynchronisedRun(work, master);

    QFile load("/proc/loadavg");
    if (load.open(QIODevice::ReadOnly))
        std::printf("machine load (1/5/15 min): %s", load.readLine().constData());
    std::printf("feed: 10000 items, 60000 codes, 15000 pictures on a %d-item catalog\n", kCatalogItems);
    std::printf("total time:            %7.2f s (target < 60 s; %.2f s of CPU in the synchronising process)\n",
                once.seconds, once.cpu);
    std::printf("database part:         %7.2f s (target < 15 s; %.2f s of CPU)\n", database, databaseCpu);
    std::printf("twice the feed:        %7.2f s = %.2fx (target <= 2.2x; CPU %.2fx)\n", twice.seconds,
                twice.seconds / once.seconds, twice.cpu / once.cpu);
    std::printf("database, twice:       %7.2f s = %.2fx (CPU %.2fx)\n", databaseTwice, databaseTwice / database,
                databaseTwiceCpu / databaseCpu);
    std::printf("four times the feed:   %7.2f s = %.2fx (CPU %.2fx)\n", fourTimes.seconds,
                fourTimes.seconds / once.seconds, fourTimes.cpu / once.cpu);
    std::printf("never synchronised:    %7.2f s (%.2f s of CPU), whole catalog from velkorn-server\n", fresh.seconds,
                fresh.cpu);
    std::printf("peak memory, feed x1:  %7ld MB (target < 150 MB)\n", once.peakMb);
    std::printf("peak memory, feed x2:  %7ld MB\n", twice.peakMb);
    std::printf("peak memory, feed x4:  %7ld MB = %+.1f%% of x1 (target within 10%%)\n", fourTimes.peakMb,
                100.0 * double(fourTimes.peakMb - once.peakMb) / double(once.peakMb));
    std::printf("peak memory, never synchronised: %ld MB\n", fresh.peakMb);
    return 0;
}
