// Timings of "Find by measurements": reading the measures of every item once, and one ranking from the form's
// entries to the sorted hits, for the kinds of entry a mechanic makes (one length, two lengths, lengths with
// mounting, a capacity, the style alone). Target: every ranking under 20 ms on the 20,000-item catalog.
// Usage: measure_bench [catalog file]...; without one, the 20,000-item catalog is generated once into the
// temporary folder.

#include "BenchSupport.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/MeasurementSearch.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>
#include <random>

namespace {

using catalog::Measure;
using catalog::MeasureQuery;

struct Case
{
    const char* name;
    std::function<MeasureQuery(std::mt19937&)> make;
};

double between(std::mt19937& rng, double low, double high)
{
    return std::uniform_real_distribution<double>(low, high)(rng);
}

const Case kCases[] = {
    {"stroke",
     [](std::mt19937& rng) {
         MeasureQuery q;
         q.set(Measure::OperationSpace, std::round(between(rng, 60, 400)));
         return q;
     }},
    {"stroke + height",
     [](std::mt19937& rng) {
         MeasureQuery q;
         q.set(Measure::OperationSpace, std::round(between(rng, 150, 350)));
         q.set(Measure::AssemblyHeight, std::round(between(rng, 250, 450)));
         return q;
     }},
    {"stroke + height + studs, wide",
     [](std::mt19937& rng) {
         MeasureQuery q;
         q.set(Measure::OperationSpace, std::round(between(rng, 150, 350)));
         q.set(Measure::AssemblyHeight, std::round(between(rng, 250, 450)));
         q.setTolerance(Measure::AssemblyHeight, {40, false});
         q.set(Measure::StudCount, 2);
         q.set(Measure::StudDistance, 89);
         return q;
     }},
    {"capacity 20 %",
     [](std::mt19937& rng) {
         MeasureQuery q;
         q.set(Measure::LoadingCapacity, std::round(between(rng, 1000, 6000)));
         q.setTolerance(Measure::LoadingCapacity, {20, true});
         return q;
     }},
    {"style alone (every item of a style)",
     [](std::mt19937& rng) {
         MeasureQuery q;
         q.style = std::uniform_int_distribution<int>(1, 8)(rng);
         return q;
     }},
};

void benchCatalog(const QString& path)
{
    std::printf("\n%s\n", qPrintable(path));
    const QString connection = QStringLiteral("measure-bench");
    catalog::MeasurementSearch search;
    {
        QSqlDatabase db = catalog::openDatabase(path, connection);
        const bench::Figures load = bench::measure(5, [&](int) { search = catalog::MeasurementSearch::load(db); });
        bench::report("read the measures of every item", load, 0,
                      QStringLiteral("%1 items, once per run and after a synchronisation").arg(search.size()));
    }
    catalog::closeDatabase(connection);

    for (const Case& c : kCases) {
        std::mt19937 rng(11);
        QVector<MeasureQuery> queries;
        for (int i = 0; i < 50; ++i)
            queries << c.make(rng);
        long long hits = 0;
        const bench::Figures f =
            bench::measure(int(queries.size()), [&](int i) { hits += search.find(queries[i]).size(); });
        bench::report(c.name, f, 20,
                      QStringLiteral("%1 hits on average").arg(double(hits) / queries.size(), 0, 'f', 1));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList catalogs = app.arguments().mid(1);
    if (catalogs.isEmpty())
        catalogs << bench::defaultBenchCatalog();
    for (const QString& path : catalogs) {
        if (!QFileInfo::exists(path)) {
            std::fprintf(stderr, "no catalog: %s\n", qPrintable(path));
            return 2;
        }
        benchCatalog(path);
    }
    return 0;
}
