// Measures start-up from the click on a language to the main window shown with the catalog open (the style-1
// list loaded, its first item in the item view, the introduction page in front), on a catalog of 20,000 items.
// Prints the figure of each run and the best and median; the target is below one second.

#include "app/TfrmMain.h"
#include "app/VelkornApplication.h"
#include "widgets/MessageBox.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <vector>

using app::TfrmMain;
using app::VelkornApplication;

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    VelkornApplication app(argc, argv);
    const int items = argc > 1 ? QByteArray(argv[1]).toInt() : 20000;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 5;

    QTemporaryDir dir;
    const QString appDir = dir.path() + "/";
    QElapsedTimer gen;
    gen.start();
    const int rc = QProcess::execute(VELKORN_BENCH_CATALOG_GEN, {"--out", appDir + "KATALOG.GDB", "--items",
                                                                 QString::number(items), "--seed", "7", "--force"});
    if (rc != 0) {
        std::fprintf(stderr, "catalog generator failed (%d)\n", rc);
        return 1;
    }
    std::printf("catalog of %d items generated in %lld ms\n", items, static_cast<long long>(gen.elapsed()));
    for (const char* lng : {"en.lng", "tr.lng", "de.lng"})
        QFile::copy(QStringLiteral(VELKORN_BENCH_DIST_DIR) + "/" + lng, appDir + lng);
    widgets::setMessageBoxHandler(
        [](const widgets::BoxRequest& r) { std::fprintf(stderr, "message box: %s\n", qPrintable(r.text)); });

    std::vector<qint64> figures;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        TfrmMain window(appDir);
        window.languageSelector = [&timer] {
            timer.start(); // the user has just clicked a language
            return QStringLiteral("en");
        };
        window.startFeedThread = [] {};
        window.show();
        while (window.startupSteps().isEmpty() || window.startupSteps().constLast() != "showIntro") {
            if (window.terminateRequested()) {
                std::fprintf(stderr, "start-up ended early\n");
                return 1;
            }
            QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents(); // paint the window once
        figures.push_back(timer.nsecsElapsed() / 1000);
        std::printf("run %d: language click to window ready: %.1f ms\n", run + 1, figures.back() / 1000.0);
        window.FormClose();
    }
    std::sort(figures.begin(), figures.end());
    std::printf("startup (%d items): best %.1f ms, median %.1f ms (target < 1000 ms)\n", items,
                figures.front() / 1000.0, figures[figures.size() / 2] / 1000.0);
    return 0;
}
