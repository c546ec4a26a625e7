// Timings of the catalog browsing on a large catalog (20,000 items, about 190,000 codes): opening a style list
// with its first item, one hand-over, and code searches. Prints the median of repeated runs beside the target.
// Usage: catalog_bench [catalog file]; without one, the catalog is generated once into the temporary folder.

#include "BenchSupport.h"

#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "platform/EngineConfiguration.h"

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

using bench::Figures;
using bench::measure;
using bench::report;

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    if (path.isEmpty())
        path = bench::defaultBenchCatalog();

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
