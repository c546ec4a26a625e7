// Timings of the comparison on the 20,000-item catalog: reading three items and working out their lines, then
// opening the comparison page in the window (read, pictures, grid filled and painted) as "Show comparison" does,
// and writing its PDF. Target: the page open under 30 ms.
// Usage: compare_bench [catalog file]; without one, the 20,000-item catalog is generated once into the temporary
// folder.

#include "BenchSupport.h"

#include "app/ComparePresenter.h"
#include "app/TfrmMain.h"
#include "app/VelkornApplication.h"
#include "catalog/BackgroundCodeIndex.h"
#include "catalog/ItemComparison.h"
#include "widgets/MessageBox.h"

#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <cstdio>
#include <random>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    app::VelkornApplication application(argc, argv);
    const QString catalogFile = argc > 1 ? QString::fromLocal8Bit(argv[1]) : bench::defaultBenchCatalog();

    // The window on a copy of the catalog, with the program's language files and pictures.
    QTemporaryDir dir;
    const QString appDir = dir.path() + "/";
    const QString dist = QStringLiteral(VELKORN_BENCH_DIST_DIR "/");
    QDir().mkpath(appDir + "images");
    if (!QFile::copy(catalogFile, appDir + "KATALOG.GDB")) {
        std::fprintf(stderr, "no catalog: %s\n", qPrintable(catalogFile));
        return 2;
    }
    QFile::setPermissions(appDir + "KATALOG.GDB", QFile::ReadOwner | QFile::WriteOwner);
    for (const char* lng : {"en.lng", "tr.lng", "de.lng"})
        QFile::copy(dist + lng, appDir + lng);
    for (const QString& name : QDir(dist + "images").entryList(QDir::Files))
        QFile::copy(dist + "images/" + name, appDir + "images/" + name);
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(appDir + "config"));
    widgets::setMessageBoxHandler(
        [](const widgets::BoxRequest& r) { std::fprintf(stderr, "message box: %s\n", qPrintable(r.text)); });

    app::TfrmMain window(appDir);
    window.languageSelector = [] { return QStringLiteral("en"); };
    window.startFeedThread = [] {};
    window.show();
    while (window.startupSteps().isEmpty() || window.startupSteps().constLast() != "showIntro") {
        if (window.terminateRequested())
            return 1;
        QCoreApplication::processEvents();
    }
    // The code index is built in the background after start-up; the figures are taken once it is done.
    while (!window.codeIndex()->isReady())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    QVector<int> items;
    QSqlQuery ids(window.localDb());
    ids.exec(QStringLiteral("select id from item"));
    while (ids.next())
        items << ids.value(0).toInt();
    std::printf("%s: %lld items\n", qPrintable(catalogFile), static_cast<long long>(items.size()));
    std::mt19937 rng(17);
    const auto threeItems = [&] {
        QVector<int> three;
        while (three.size() < 3) {
            const int id = items.at(std::uniform_int_distribution<int>(0, int(items.size()) - 1)(rng));
            if (!three.contains(id))
                three << id;
        }
        return three;
    };

    const int runs = 40;
    catalog::ItemComparison comparison;
    const catalog::ComparisonTexts texts{[&window](const QString& key) { return window.msg(key); },
                                         [](const QString& name) { return name; }, QLocale()};
    const bench::Figures logic = bench::measure(runs, [&](int) {
        comparison.clear();
        for (int id : threeItems())
            comparison.add(id);
        catalog::ItemComparison::rows(comparison.load(window.localDb()), texts);
    });
    bench::report("read three items and their lines", logic, 0, QStringLiteral("catalog::ItemComparison"));

    app::ComparePresenter* compare = window.compare();
    const bench::Figures page = bench::measure(
        runs,
        [&](int) {
            compare->showComparison();
            QCoreApplication::processEvents(); // painted once
        },
        [&](int) {
            window.showPage("pgIntro");
            compare->clearComparison();
            for (int id : threeItems())
                compare->addToComparison(id);
            QCoreApplication::processEvents();
        });
    bench::report("open the comparison page", page, 30, QStringLiteral("read, pictures, grid filled and painted"));

    const QString pdf = appDir + "comparison.pdf";
    compare->askFileName = [&pdf](const QString&) { return pdf; };
    const bench::Figures writing = bench::measure(10, [&](int) { compare->btnCompareSavePdfClick(); });
    bench::report("write the comparison as PDF", writing, 0, QStringLiteral("%1 bytes").arg(QFileInfo(pdf).size()));
    window.FormClose();
    return 0;
}
