// Several counters of a shop on one catalog, the 20,000-item catalog (about 190,000 codes): 1, 4 and 16 seats, each a
// thread with its own connection and its own CatalogBrowser as a seat's window has, open lists, walk items (item,
// codes, pictures) and search as a counter clerk does, with a clerk's pauses. Once on a Firebird server started on a
// loopback port as the tests start it, once on the embedded file, in the same run. Meanwhile one of the seats rebuilds
// its code index over its own connection, as after a synchronisation elsewhere, three times. Prints per operation the
// number, median and 99th percentile, the throughput with the pauses and without them, the machine's load, and the
// targets with PASS or MISS. A full run takes about a minute (plus generating the catalog once).
//
// Usage: seats_bench [catalog file]; without one, the 20,000-item catalog is generated once into the temporary folder.

#include "BenchSupport.h"

#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "platform/EngineConfiguration.h"
#include "support/FirebirdServer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlQuery>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <random>
#include <vector>

#include <unistd.h>

namespace {

using catalog::BackgroundCodeIndex;
using catalog::CatalogBrowser;
using catalog::CatalogLocation;

// What the clerks type into the search box: whole codes and three-character pieces of codes of the catalog.
QStringList searchTexts(const CatalogLocation& location)
{
    const QString connection = QStringLiteral("seats-bench-texts");
    QStringList texts;
    {
        QSqlQuery query =
            catalog::runQuery(catalog::openDatabase(location, connection),
                              QStringLiteral("select code, search_code from item_code where mod(id, 1009) "
                                             "= 0 and search_code is not null"));
        for (int i = 0; query.next(); ++i) {
            const QString search = query.value(1).toString();
            texts << (i % 2 == 0 || search.size() < 4 ? query.value(0).toString()
                                                      : search.mid(i % (search.size() - 2), 3));
        }
    }
    catalog::closeDatabase(connection);
    return texts;
}

// The milliseconds each operation took at one seat.
struct Samples
{
    std::vector<double> connect, openList, openItem, search;
    long operations = 0;
    long items = 0;    // handed to the item view
    long pictures = 0; // decoded there: a check that the pictures are really read
    QString failure;

    void add(const Samples& other)
    {
        for (auto [to, from] : {std::pair{&connect, &other.connect},
                                {&openList, &other.openList},
                                {&openItem, &other.openItem},
                                {&search, &other.search}})
            to->insert(to->end(), from->begin(), from->end());
        operations += other.operations;
        items += other.items;
        pictures += other.pictures;
        if (failure.isEmpty())
            failure = other.failure;
    }
};

struct Phase
{
    int seats = 0;
    bool paced = true;
    Samples samples;
    double seconds = 0;
    std::vector<double> builds; // ms per index build
    int codes = 0;
    QString loadBefore, loadAfter;
    double clientCpu = 0, serverCpu = 0; // seconds of CPU of this process and of the server
};

struct Shared
{
    CatalogLocation location;
    QStringList texts;
    BackgroundCodeIndex* index = nullptr; // read-only while seats run
    bool paced = true;
    std::atomic<int> connected{0};
    std::atomic<bool> go{false};
    std::atomic<bool> stop{false};
};

// One counter: a list (a style, a usage, an OEM or cross-reference type), a few items walked with Next, a search and
// a hit or two, again and again until told to stop.
void clerk(int seat, Shared& shared, Samples& out)
{
    const QString connection = QStringLiteral("seat-%1").arg(seat);
    std::mt19937 rng(quint32(seat) * 7919u + (shared.paced ? 1u : 2u));
    auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng); };
    auto pause = [&](int low, int high) {
        if (!shared.paced)
            return;
        for (int left = between(low, high); left > 0 && !shared.stop; left -= 10)
            QThread::msleep(std::min(left, 10));
    };
    auto timed = [&](std::vector<double>& into, const std::function<void()>& operation) {
        QElapsedTimer timer;
        timer.start();
        operation();
        into.push_back(timer.nsecsElapsed() / 1e6);
        ++out.operations;
    };
    bool counted = false;
    try {
        QElapsedTimer timer;
        timer.start();
        catalog::openDatabase(shared.location, connection);
        out.connect.push_back(timer.nsecsElapsed() / 1e6);
        {
            // The program's own item view; pictures from the Application directory's images folder.
            CatalogBrowser browser(connection, QStringLiteral(VELKORN_DIST_DIR),
                                   [](const QString& key) { return key; });
            browser.setCodeIndex(shared.index);
            QObject::connect(&browser, &CatalogBrowser::picturesLoaded, [&](const QVector<QImage>& pictures) {
                ++out.items;
                out.pictures += pictures.size();
            });
            QVector<int> codeTypes;
            for (const catalog::CodeTypeEntry& entry : browser.localDbAfterConnect())
                codeTypes << entry.codeTypeId;
            ++shared.connected;
            counted = true;
            while (!shared.go)
                QThread::msleep(1);
            auto walk = [&](int steps) {
                for (int i = 0; i < steps && !shared.stop && !browser.currentList()->eof(); ++i) {
                    pause(30, 150);
                    timed(out.openItem, [&] { browser.btnNextClick(); });
                }
            };
            while (!shared.stop) {
                switch (between(0, 2)) {
                case 0:
                    timed(out.openList, [&] { browser.btnSTYLE1Click(between(1, 8)); });
                    break;
                case 1:
                    timed(out.openList, [&] { browser.btnKullanim1Click(between(1, 4)); });
                    break;
                default:
                    timed(out.openList,
                          [&] { browser.buttonClick(codeTypes.at(between(0, int(codeTypes.size()) - 1))); });
                }
                walk(between(3, 12));
                pause(100, 400);
                if (shared.stop)
                    break;
                timed(out.search,
                      [&] { browser.btnSearchClick(shared.texts.at(between(0, int(shared.texts.size()) - 1))); });
                walk(between(0, 2));
                pause(100, 400);
            }
        }
    } catch (const std::exception& e) {
        out.failure = QString::fromUtf8(e.what());
        if (!counted)
            ++shared.connected;
    }
    catalog::closeDatabase(connection);
}

QString machineLoad()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readLine()).section(QLatin1Char(' '), 0, 2);
}

// CPU seconds used so far by this process (the seats and, for the file, the engine) and by the server process.
struct CpuClock
{
    qint64 serverPid = 0;

    double client() const { return bench::processCpuMs() / 1e3; }
    double server() const
    {
        QFile file(QStringLiteral("/proc/%1/stat").arg(serverPid));
        if (serverPid == 0 || !file.open(QIODevice::ReadOnly))
            return 0;
        // utime and stime, after the parenthesised command name.
        const QList<QByteArray> fields = file.readAll().split(')').last().trimmed().split(' ');
        return fields.size() > 12 ? (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK)) : 0;
    }
};

void waitFor(const std::function<bool()>& done)
{
    while (!done()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
}

// Builds a seat's code index as the window does (own thread, own connection); ms, or -1 when it failed.
double buildIndex(BackgroundCodeIndex& index, int* codes)
{
    bool failed = false;
    const QMetaObject::Connection c =
        QObject::connect(&index, &BackgroundCodeIndex::failed, [&](const QString& message) {
            std::printf("  index build failed: %s\n", qPrintable(message));
            failed = true;
        });
    QElapsedTimer timer;
    timer.start();
    index.rebuild();
    waitFor([&] { return index.isReady() || failed; });
    QObject::disconnect(c);
    if (failed)
        return -1;
    *codes = index.index()->codeCount();
    return timer.nsecsElapsed() / 1e6;
}

// `seats` clerks for at least `milliseconds` (after all have connected) and, when `builds`, until one seat has
// rebuilt its code index that many times.
Phase runPhase(const CatalogLocation& location, const QStringList& texts, BackgroundCodeIndex* index, int seats,
               bool paced, int milliseconds, int builds, const CpuClock& cpu)
{
    Phase phase;
    phase.seats = seats;
    phase.paced = paced;
    phase.loadBefore = machineLoad();
    Shared shared;
    shared.location = location;
    shared.texts = texts;
    shared.index = index;
    shared.paced = paced;
    std::vector<Samples> samples(static_cast<std::size_t>(seats));
    std::vector<std::unique_ptr<QThread>> threads;
    for (int seat = 0; seat < seats; ++seat) {
        threads.emplace_back(QThread::create([&, seat] { clerk(seat, shared, samples[std::size_t(seat)]); }));
        threads.back()->start();
    }
    waitFor([&] { return shared.connected == seats; });
    QElapsedTimer wall;
    wall.start();
    const double client = cpu.client();
    const double server = cpu.server();
    shared.go = true;
    if (builds > 0) {
        // The seat's own index, built anew while the clerks (its own among them) work.
        BackgroundCodeIndex rebuilt(location);
        waitFor([&] { return wall.elapsed() >= 500; });
        for (int i = 0; i < builds; ++i)
            phase.builds.push_back(buildIndex(rebuilt, &phase.codes));
    }
    waitFor([&] { return wall.elapsed() >= milliseconds; });
    shared.stop = true;
    phase.seconds = wall.nsecsElapsed() / 1e9;
    phase.clientCpu = cpu.client() - client;
    phase.serverCpu = cpu.server() - server;
    for (auto& thread : threads)
        thread->wait();
    for (const Samples& s : samples)
        phase.samples.add(s);
    phase.loadAfter = machineLoad();
    return phase;
}

double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto rank = std::size_t(std::max(1.0, std::ceil(p / 100 * double(values.size()))));
    return values[rank - 1];
}

QString cell(const std::vector<double>& values)
{
    if (values.empty())
        return QStringLiteral("%1").arg(QStringLiteral("-"), 26);
    return QStringLiteral("%1 %2 %3")
        .arg(values.size(), 6)
        .arg(percentile(values, 50), 9, 'f', 2)
        .arg(percentile(values, 99), 9, 'f', 2);
}

struct Engine
{
    const char* name;
    CatalogLocation location;
    CpuClock cpu;
    std::vector<Phase> paced, flat;
};

} // namespace

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "C.UTF-8");
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : bench::defaultBenchCatalog();

    std::printf("starting a Firebird server on loopback ...\n");
    std::fflush(stdout);
    FirebirdServer server;
    const QString served = server.addCatalog(QStringLiteral("KATALOG.GDB"), path);
    std::vector<Engine> engines = {{"embedded file", CatalogLocation::localFile(path), {}, {}, {}},
                                   {"Firebird server", server.location(served), {server.pid()}, {}, {}}};
    const QStringList texts = searchTexts(engines.front().location);
    const int seatCounts[] = {1, 4, 16};
    int codes = 0;

    for (Engine& engine : engines) {
        // The index the clerks search in, as each seat has it once built; the first read of the catalog as well.
        BackgroundCodeIndex index(engine.location);
        const double client = engine.cpu.client();
        const double server = engine.cpu.server();
        const double first = buildIndex(index, &codes);
        std::printf("%s: first index build %.0f ms (CPU: %.0f ms here, %.0f ms in the server), %d codes (load %s)\n",
                    engine.name, first, (engine.cpu.client() - client) * 1e3, (engine.cpu.server() - server) * 1e3,
                    codes, qPrintable(machineLoad()));
        std::fflush(stdout);
        for (const int seats : seatCounts) {
            engine.paced.push_back(runPhase(engine.location, texts, &index, seats, true, 6000, 3, engine.cpu));
            engine.flat.push_back(runPhase(engine.location, texts, &index, seats, false, 2000, 0, engine.cpu));
            const Phase& p = engine.paced.back();
            std::printf("  %2d seats: %ld operations in %.1f s, %ld without pauses in %.1f s (load %s -> %s)%s%s\n",
                        seats, p.samples.operations, p.seconds, engine.flat.back().samples.operations,
                        engine.flat.back().seconds, qPrintable(p.loadBefore), qPrintable(engine.flat.back().loadAfter),
                        p.samples.failure.isEmpty() ? "" : "; FAILED: ", qPrintable(p.samples.failure));
            std::fflush(stdout);
        }
    }

    const Engine& file = engines[0];
    const Engine& remote = engines[1];
    std::printf("\n20,000-item catalog, %d codes; Firebird server %s; embedded engine in SuperClassic mode; %d cores\n",
                codes, qPrintable(server.connectionString(served)), QThread::idealThreadCount());
    std::printf("times in ms; n, median, 99th percentile%31s%-28s %s\n", "", file.name, remote.name);
    for (std::size_t i = 0; i < std::size(seatCounts); ++i) {
        const Phase& a = file.paced[i];
        const Phase& b = remote.paced[i];
        std::printf("%2d seats (load %s / %s)\n", a.seats, qPrintable(a.loadAfter), qPrintable(b.loadAfter));
        auto row = [](const char* name, const std::vector<double>& x, const std::vector<double>& y) {
            std::printf("  %-40s %s   %s\n", name, qPrintable(cell(x)), qPrintable(cell(y)));
        };
        row("connect", a.samples.connect, b.samples.connect);
        row("open a list (with its first item)", a.samples.openList, b.samples.openList);
        row("open an item (item, codes, pictures)", a.samples.openItem, b.samples.openItem);
        row("search (code index) and its first hit", a.samples.search, b.samples.search);
        row("index build at one of the seats", a.builds, b.builds);
        auto perSecond = [](const Phase& p) { return p.samples.operations / std::max(p.seconds, 1e-9); };
        std::printf("  %-40s %15.1f ops/s %12s %15.1f ops/s\n", "throughput with a clerk's pauses", perSecond(a), "",
                    perSecond(b));
        std::printf("  %-40s %15.1f ops/s %12s %15.1f ops/s\n", "throughput without pauses", perSecond(file.flat[i]),
                    "", perSecond(remote.flat[i]));
        auto cores = [](const Phase& p) { return (p.clientCpu + p.serverCpu) / std::max(p.seconds, 1e-9); };
        std::printf("  %-40s %15.2f cores %12s %15.2f cores (%.2f in the server)\n", "CPU used with a clerk's pauses",
                    cores(a), "", cores(b), b.serverCpu / std::max(b.seconds, 1e-9));
        auto pictures = [](const Phase& p) { return double(p.samples.pictures) / std::max(p.samples.items, 1L); };
        std::printf("  %-40s %21.2f %20s %.2f\n", "pictures shown per item", pictures(a), "", pictures(b));
    }

    const Phase& busiest = remote.paced.back();
    const double build = percentile(busiest.builds, 50);
    const double item = percentile(busiest.samples.openItem, 99);
    // Beside each target the same figure with one seat, and with 16 on the embedded file (no server, no network): on a
    // machine with few cores the 15 other seats' own work, which a shop's other PCs would do, weighs on both.
    std::printf("\ntargets (this machine: %d cores, load %s; the 16 seats used %.2f cores)\n",
                QThread::idealThreadCount(), qPrintable(busiest.loadAfter),
                (busiest.clientCpu + busiest.serverCpu) / std::max(busiest.seconds, 1e-9));
    std::printf(
        "  code index build over the server connection while 15 other seats work: median %.0f ms (slowest "
        "%.0f ms), %d codes; target < 2000 ms: %s; with 1 seat %.0f ms, on the embedded file with 16 seats %.0f ms\n",
        build, percentile(busiest.builds, 100), busiest.codes, build > 0 && build < 2000 ? "PASS" : "MISS",
        percentile(remote.paced.front().builds, 50), percentile(file.paced.back().builds, 50));
    std::printf(
        "  opening an item with 16 seats on the server: 99th percentile %.1f ms (median %.1f, n = %zu); target < 20 "
        "ms: %s; with 1 seat %.1f ms, on the embedded file with 16 seats %.1f ms\n",
        item, percentile(busiest.samples.openItem, 50), busiest.samples.openItem.size(),
        !busiest.samples.openItem.empty() && item < 20 ? "PASS" : "MISS",
        percentile(remote.paced.front().samples.openItem, 99), percentile(file.paced.back().samples.openItem, 99));
    return 0;
}
