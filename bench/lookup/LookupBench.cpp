// velkorn-lookup as a dealer's order system calls it while the program has the catalog open at the counter: the
// whole process for one code, answered by the program and, beside it, read from the catalog; and a batch of 10,000
// codes through --stdin; on the embedded file and on a Firebird server on loopback, with the 20,000-item catalog (about
// 190,000 codes). Beside them, where the time of one code goes. Usage: lookup_bench [catalog file]; without one, the
// 20,000-item catalog is generated once into the temporary folder.

#include "BenchSupport.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/LookupChannel.h"
#include "platform/EngineConfiguration.h"
#include "support/ApplicationCopy.h"
#include "support/CatalogProbe.h"
#include "support/FirebirdServer.h"
#include "support/Started.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// Codes as dealers send them: printed codes of every type, drawn with a fixed seed.
QStringList sampleCodes(const QString& catalogFile, int count)
{
    QStringList all;
    {
        QSqlQuery query =
            catalog::runQuery(catalog::openDatabase(catalogFile, QStringLiteral("sample")),
                              QStringLiteral("select code from item_code where code is not null order by id"));
        while (query.next())
            all << query.value(0).toString();
    }
    catalog::closeDatabase(QStringLiteral("sample"));
    std::mt19937 rng(7);
    QStringList codes;
    for (int i = 0; i < count; ++i)
        codes << all.at(int(rng() % all.size()));
    return codes;
}

// CPU time of the ended child processes so far (user and system): on a shared machine the steadier figure.
double childCpuMs()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

// Runs the lookup to its end, adding its CPU time to `cpu`; false when it failed (exit status 2 or a crash).
bool lookup(const ApplicationCopy& seat, const QProcessEnvironment& env, const QStringList& arguments,
            std::vector<double>& cpu, const QByteArray& input = {})
{
    const double before = childCpuMs();
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(seat.lookup(), arguments);
    process.write(input);
    process.closeWriteChannel();
    const bool ended = process.waitForFinished(60000);
    cpu.push_back(childCpuMs() - before);
    return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() < 2;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

void print(const char* where, const char* what, const bench::Figures& f, const std::vector<double>& cpu,
           double targetMs)
{
    std::printf("%-7s %-30s median %7.1f ms, p99 %7.1f ms (min %7.1f), %5.1f processes/s, process cpu %7.1f ms, %zu "
                "runs; target < %.0f ms %s\n",
                where, what, f.median, f.p99, f.min, 1000.0 / f.mean, median(cpu), cpu.size(), targetMs,
                f.median < targetMs ? "PASS" : "MISS");
}

// The program at its seat with the catalog open, then the lookups beside it.
void benchSeat(const char* where, const ApplicationCopy& seat, const QProcessEnvironment& env,
               const catalog::CatalogLocation& location, const QStringList& codes)
{
    Started program(seat.program(), {}, env);
    if (!waitUntil([&] { return attachedProcesses(location).contains(program.pid()) || !program.running(); }, 60000) ||
        !program.running()) {
        std::printf("%-7s the program did not open the catalog: %s\n", where, qPrintable(program.output()));
        return;
    }
    // Past the program's own start: its code index is built in the background over the same catalog, and then it
    // answers the lookups of a few codes itself.
    const QString socket = catalog::lookupchannel::socketPath(location);
    if (!waitUntil([&] { return bool(catalog::lookupchannel::ask(socket, {QStringLiteral("x")}, 1000)); }, 60000))
        std::printf("%-7s the program does NOT answer lookups at %s\n", where, qPrintable(socket));
    // The same lookups with a runtime folder of their own find no program and read the catalog, as without one open.
    QTemporaryDir runtime;
    QProcessEnvironment catalogEnv = env;
    catalogEnv.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());

    // Where the time of one lookup goes: the process alone (it ends at once, finding no catalog), then the catalog
    // opened and closed (a blank code searches nothing), then the search as well.
    std::vector<double> cpu;
    const bench::Figures bare = bench::measure(20, [&](int) {
        lookup(seat, env, {QStringLiteral("--catalog"), seat.dir() + QStringLiteral("NONE.GDB")}, cpu);
    });
    std::printf("%-7s %-30s median %7.1f ms, process cpu %7.1f ms\n", where, "process start and end", bare.median,
                median(cpu));
    cpu.clear();
    const bench::Figures opened = bench::measure(20, [&](int) { lookup(seat, env, {QStringLiteral(" ")}, cpu); });
    std::printf("%-7s %-30s median %7.1f ms, process cpu %7.1f ms\n", where, "... and the catalog opened",
                opened.median, median(cpu));
    cpu.clear();

    bool failed = false;
    const bench::Figures read =
        bench::measure(40, [&](int i) { failed |= !lookup(seat, catalogEnv, {codes.at(i)}, cpu); });
    print(where, "one code, catalog read", read, cpu, 150);
    cpu.clear();
    const bench::Figures one = bench::measure(40, [&](int i) { failed |= !lookup(seat, env, {codes.at(i)}, cpu); });
    print(where, "one code, program answers", one, cpu, 150);

    const QByteArray batch = codes.join(QLatin1Char('\n')).toUtf8();
    cpu.clear();
    const bench::Figures many =
        bench::measure(5, [&](int) { failed |= !lookup(seat, env, {QStringLiteral("--stdin")}, cpu, batch); });
    print(where, "10,000 codes through --stdin", many, cpu, 2000);
    if (failed)
        std::printf("%-7s some lookups FAILED\n", where);
    if (!program.running())
        std::printf("%-7s the program ENDED during the lookups: %s\n", where, qPrintable(program.output()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    const QString catalogFile = argc > 1 ? QString::fromLocal8Bit(argv[1]) : bench::defaultBenchCatalog();
    const QStringList codes = sampleCodes(catalogFile, 10000);
    QTemporaryDir root;

    const ApplicationCopy fileSeat(root.path() + QStringLiteral("/file"));
    QFile::copy(catalogFile, fileSeat.catalog());
    QFile::setPermissions(fileSeat.catalog(), QFile::ReadOwner | QFile::WriteOwner);
    benchSeat("file", fileSeat, fileSeat.environment(), catalog::CatalogLocation::localFile(fileSeat.catalog()), codes);

    FirebirdServer server;
    const QString served = server.addCatalog(QStringLiteral("KATALOG.GDB"), catalogFile);
    const ApplicationCopy serverSeat(root.path() + QStringLiteral("/server"));
    QProcessEnvironment env = serverSeat.environment();
    env.insert(QStringLiteral("VELKORN_DATABASE"), server.connectionString(served));
    env.insert(QStringLiteral("VELKORN_DATABASE_PASSWORD"), FirebirdServer::password());
    benchSeat("server", serverSeat, env, server.location(served), codes);
    return 0;
}
