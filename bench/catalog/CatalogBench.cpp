// Timings of the catalog browsing on a large catalog (20,000 items, about 190,000 codes): opening a style list
// with its first item, one hand-over, and code searches. Prints the median of repeated runs beside the target.
// Usage: catalog_bench [catalog file]; without one, the catalog is generated once into the temporary folder.

#include "DemoCatalog.h"

#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "platform/EngineLocale.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QSqlQuery>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

struct Figures
{
    double median;
    double min;
    double max;
    double cpuMedian;
};

double processCpuMs()
{
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

// Wall-clock and CPU time per run; on a shared, loaded machine the CPU time is the steadier figure.
Figures measure(int runs, const std::function<void(int)>& body)
{
    std::vector<double> times;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        const double cpuStart = processCpuMs();
        timer.start();
        body(i);
        times.push_back(timer.nsecsElapsed() / 1e6);
        cpu.push_back(processCpuMs() - cpuStart);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    return {times[times.size() / 2], times.front(), times.back(), cpu[cpu.size() / 2]};
}

// targetMs <= 0: measured for information, no target.
void report(const char* name, const Figures& f, double targetMs, const QString& note)
{
    const QString verdict = targetMs > 0
                                ? QStringLiteral("target < %1 ms %2")
                                      .arg(targetMs)
                                      .arg(f.median < targetMs ? QStringLiteral("met") : QStringLiteral("MISSED"))
                                : QStringLiteral("no target");
    std::printf("%-40s median %7.2f ms (min %7.2f, max %7.2f), cpu %7.2f ms; %s; %s\n", name, f.median, f.min, f.max,
                f.cpuMedian, qPrintable(verdict), qPrintable(note));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::pinEngineLocale();
    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (path.isEmpty()) {
        const QString dir = QDir::tempPath() + QStringLiteral("/velkorn-bench");
        QDir().mkpath(dir);
        path = dir + QStringLiteral("/KATALOG-20000.GDB");
        if (!QFileInfo::exists(path)) {
            std::printf("generating %s ...\n", qPrintable(path));
            catalog::DemoCatalogOptions options;
            options.filePath = path;
            options.items = 20000;
            options.seed = 7;
            options.forcedWrites = false;
            const auto summary = catalog::generateDemoCatalog(options);
            std::printf("%d items, %d codes, %d pictures\n", summary.items, summary.codes, summary.pictures);
        }
    }

    const QString connection = QStringLiteral("bench");
    catalog::openDatabase(path, connection);
    {
        catalog::CatalogBrowser browser(connection, QDir::tempPath(), [](const QString& key) { return key; });

        // Warm the engine's page cache once, as a running program would have it.
        browser.btnSTYLE1Click(1);
        browser.btnSearchClick(QStringLiteral("zz"));

        int rows = 0;
        Figures f = measure(16, [&](int i) {
            browser.btnSTYLE1Click(i % 8 + 1);
            rows = browser.qryStyle->recordCount();
        });
        report("style list (open + first item)", f, 50, QStringLiteral("%1 rows in the last list").arg(rows));

        browser.btnSTYLE1Click(1);
        f = measure(200, [&](int) { browser.btnNextClick(); });
        report("hand-over (Next: item, codes, pictures)", f, 10, QString());

        f = measure(8, [&](int i) {
            browser.btnKullanim1Click(i % 4 + 1);
            rows = browser.qryKullanim->recordCount();
        });
        report("usage list (open + first item)", f, 0, QStringLiteral("%1 rows in the last list").arg(rows));

        f = measure(10, [&](int i) {
            browser.buttonClick(i % 5 + 2);
            rows = browser.qryOEM->recordCount();
        });
        report("OEM list (open + first item)", f, 0, QStringLiteral("%1 rows in the last list").arg(rows));

        // Three characters once normalised, typed as a user might.
        const QStringList fragments = {QStringLiteral("412"), QStringLiteral("K7X"), QStringLiteral("09-1"),
                                       QStringLiteral("3.50"), QStringLiteral("b 0h")};
        f = measure(15, [&](int i) {
            browser.btnSearchClick(fragments.at(i % fragments.size()));
            rows = browser.qrySearch->recordCount();
        });
        report("search, 3-character fragment", f, 150, QStringLiteral("%1 hits in the last search").arg(rows));

        QStringList codes;
        {
            QSqlQuery query(QSqlDatabase::database(connection));
            query.exec(QStringLiteral("select code from item_code where id in (17, 50001, 99999, 150003, 180000)"));
            while (query.next())
                codes << query.value(0).toString();
        }
        f = measure(15, [&](int i) {
            browser.btnSearchClick(codes.at(i % codes.size()));
            rows = browser.qrySearch->recordCount();
        });
        report("search, whole code", f, 150, QStringLiteral("%1 hits for \"%2\"").arg(rows).arg(codes.last()));
    }
    catalog::closeDatabase(connection);
    return 0;
}
