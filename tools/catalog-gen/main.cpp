// velkorn-catalog-gen: writes a demo catalog file (KATALOG.GDB) with invented items, codes and pictures.

#include "DemoCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "platform/EngineConfiguration.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Writes a demo Velkorn catalog database."));
    parser.addHelpOption();
    const QCommandLineOption outOption(QStringLiteral("out"), QStringLiteral("Database file to create."),
                                       QStringLiteral("FILE"));
    const QCommandLineOption itemsOption(QStringLiteral("items"), QStringLiteral("Number of items."),
                                         QStringLiteral("N"), QStringLiteral("400"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Seed of the invented data."),
                                        QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption forceOption(QStringLiteral("force"), QStringLiteral("Replace an existing file."));
    parser.addOptions({outOption, itemsOption, seedOption, forceOption});
    parser.process(app);

    catalog::DemoCatalogOptions options;
    options.filePath = parser.value(outOption);
    bool itemsOk = false;
    bool seedOk = false;
    options.items = parser.value(itemsOption).toInt(&itemsOk);
    options.seed = parser.value(seedOption).toUInt(&seedOk);
    if (options.filePath.isEmpty() || !itemsOk || options.items < 0 || !seedOk) {
        std::fprintf(stderr, "usage: velkorn-catalog-gen --out FILE [--items N] [--seed S] [--force]\n");
        return 2;
    }
    if (parser.isSet(forceOption))
        QFile::remove(options.filePath);

    try {
        const catalog::DemoCatalogSummary summary = catalog::generateDemoCatalog(options);
        std::printf("%s: %d items, %d codes, %d pictures, %d code types\n", qPrintable(options.filePath), summary.items,
                    summary.codes, summary.pictures, summary.codeTypes);
    } catch (const catalog::DatabaseError& e) {
        std::fprintf(stderr, "velkorn-catalog-gen: %s\n", e.what());
        return 1;
    }
    return 0;
}
