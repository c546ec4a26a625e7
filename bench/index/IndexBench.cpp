// Timings of the in-memory code index beside the database search it replaces: building the index off the main
// thread, its memory, one search from normalised text to rows (3-character fragments, whole codes, fragments with
// '%'), and the drop-down's update after a keystroke in the real window, offscreen.
// Usage: index_bench [catalog file]... ; without one, the 20,000-item catalog is generated once into the temporary
// folder. Give the 100,000-item catalog (velkorn-catalog-gen --items 100000 --seed 7) as a further argument.

#include "BenchSupport.h"

#include "app/CodeSuggestions.h"
#include "app/TfrmMain.h"
#include "app/VelkornApplication.h"
#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CodeIndex.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

using app::CodeSuggestions;
using app::TfrmMain;

namespace {

using bench::Figures;
using bench::measure;
using bench::report;

long residentKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// Fragments a user might type, drawn from the catalog's own search codes with a fixed seed.
struct Fragments
{
    QStringList threeCharacters;
    QStringList wholeCodes;
    QStringList withPercent;
};

Fragments fragmentsOf(const QStringList& searchCodes)
{
    std::mt19937 rng(42);
    auto pick = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    Fragments f;
    while (f.threeCharacters.size() < 30) {
        const QString code = searchCodes.at(pick(int(searchCodes.size())));
        if (code.size() >= 3)
            f.threeCharacters << code.mid(pick(int(code.size()) - 2), 3);
    }
    for (int i = 0; i < 30; ++i)
        f.wholeCodes << searchCodes.at(pick(int(searchCodes.size())));
    while (f.withPercent.size() < 30) {
        const QString code = searchCodes.at(pick(int(searchCodes.size())));
        if (code.size() >= 6)
            f.withPercent << code.left(2) + QLatin1Char('%') + code.mid(code.size() - 2);
    }
    return f;
}

void benchSearches(const QString& connection, const catalog::CodeIndex& index, const QString& label, int codes)
{
    QStringList searchCodes;
    {
        QSqlQuery q(QSqlDatabase::database(connection));
        q.exec(QStringLiteral("select search_code from item_code where search_code is not null"));
        while (q.next())
            searchCodes << q.value(0).toString();
    }
    const Fragments fragments = fragmentsOf(searchCodes);
    const double target = codes > 500000 ? 10 : 2;
    catalog::CatalogBrowser browser(connection, QDir::tempPath(), [](const QString& key) { return key; });
    browser.btnSearchClick(QStringLiteral("zz")); // warms the engine's page cache, as a running program has it
    const QList<QPair<const char*, QStringList>> kinds = {{"3-character fragments", fragments.threeCharacters},
                                                          {"whole codes", fragments.wholeCodes},
                                                          {"fragments with %", fragments.withPercent}};
    for (const auto& kind : kinds) {
        const QStringList& texts = kind.second;
        long rows = 0;
        Figures f =
            measure(int(texts.size()) * 5, [&](int i) { rows += index.search(texts.at(i % texts.size())).size(); });
        report(qPrintable(QStringLiteral("index search, %1").arg(QLatin1String(kind.first))), f, target,
               QStringLiteral("%1 rows per search on average; %2")
                   .arg(double(rows) / (texts.size() * 5), 0, 'f', 1)
                   .arg(label));
        rows = 0;
        f = measure(int(texts.size()), [&](int i) {
            browser.btnSearchClick(texts.at(i));
            rows += browser.qrySearch->recordCount();
        });
        report(qPrintable(QStringLiteral("database search, %1").arg(QLatin1String(kind.first))), f, 0,
               QStringLiteral("%1 rows per search on average").arg(double(rows) / texts.size(), 0, 'f', 1));
    }
}

// The real window on the catalog, offscreen: the time from a keystroke in the item page's search box until the
// drop-down under it has been updated and painted.
void benchDropDown(const QString& catalogPath, int codes)
{
    QTemporaryDir dir;
    const QString appDir = dir.path() + QLatin1Char('/');
    QFile::link(QFileInfo(catalogPath).absoluteFilePath(), appDir + QStringLiteral("KATALOG.GDB"));
    for (const char* name : {"en.lng", "de.lng", "tr.lng"})
        QFile::copy(QStringLiteral(VELKORN_DIST_DIR "/") + QLatin1String(name), appDir + QLatin1String(name));
    widgets::setMessageBoxHandler(
        [](const widgets::BoxRequest& r) { std::printf("  (message box: %s)\n", qPrintable(r.text)); });
    auto window = std::make_unique<TfrmMain>(appDir);
    window->languageSelector = [] { return QStringLiteral("en"); };
    window->startFeedThread = [] {};
    window->resize(1024, 768);
    window->show();
    QElapsedTimer waited;
    waited.start();
    while (!window->codeIndex() || !window->codeIndex()->isReady()) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
        if (waited.elapsed() > 120000) {
            std::printf("  drop-down: the index never became ready\n");
            return;
        }
    }
    window->showPage(QStringLiteral("pgCenterItem"));
    auto* box = window->findChild<QLineEdit*>(QStringLiteral("edtSearch"));
    QApplication::setActiveWindow(window.get());
    box->setFocus(Qt::MouseFocusReason);
    QCoreApplication::processEvents();
    CodeSuggestions* drop = window->codeSuggestions();

    const QStringList typed = {QStringLiteral("VK 01"), QStringLiteral("81.4"), QStringLiteral("A 9"),
                               QStringLiteral("12-34"), QStringLiteral("B0H"),  QStringLiteral("9%1"),
                               QStringLiteral("x_2")};
    std::vector<QChar> keys;
    for (const QString& t : typed)
        for (QChar c : t)
            keys.push_back(c);
    int shown = 0;
    int strokes = 0;
    const Figures f = measure(int(keys.size()) * 3, [&](int i) {
        if (i % 5 == 0)
            box->clear();
        QTest::keyClick(box, keys[std::size_t(i) % keys.size()].toLatin1());
        drop->repaint();
        shown += drop->isVisible() ? 1 : 0;
        ++strokes;
    });
    report("drop-down update after a keystroke", f, codes > 500000 ? 0 : 16,
           QStringLiteral("%1 of %2 keystrokes showed the drop-down").arg(shown).arg(strokes));
    window->close();
    window.reset();
    widgets::setMessageBoxHandler({});
}

void benchCatalog(const QString& path)
{
    std::printf("%s\n", qPrintable(path));
    const long rssBefore = residentKb();
    // Built as the window builds it: on its own thread with its own connection.
    catalog::BackgroundCodeIndex background(catalog::CatalogLocation::localFile(path));
    QElapsedTimer timer;
    const double cpuStart = bench::processCpuMs();
    timer.start();
    background.rebuild();
    while (!background.isReady()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    const double buildMs = timer.nsecsElapsed() / 1e6;
    // The main thread sleeps meanwhile: the process's CPU time is the build's.
    const double buildCpuMs = bench::processCpuMs() - cpuStart;
    const std::shared_ptr<const catalog::CodeIndex> index = background.index();
    const int codes = index->codeCount();
    std::printf("%-40s %7.1f ms, cpu %7.1f ms; target < 1000 ms at 190,000 codes %s; %d codes\n",
                "index build (own thread, own connection)", buildMs, buildCpuMs,
                codes > 500000 ? "(not set here)" : (buildMs < 1000 ? "met" : "MISSED"), codes);
    const double mb = index->memoryBytes() / 1048576.0;
    std::printf("index memory                             %7.1f MB in its buffers (process grew by %.1f MB "
                "while building); target < 40 MB at 950,000 codes %s\n",
                mb, (residentKb() - rssBefore) / 1024.0,
                codes > 500000 ? (mb < 40 ? "met" : "MISSED") : "(not set here)");
    std::fflush(stdout);

    const QString connection = QStringLiteral("index-bench");
    catalog::openDatabase(path, connection);
    benchSearches(connection, *index, QStringLiteral("%1 codes").arg(codes), codes);
    catalog::closeDatabase(connection);
    benchDropDown(path, codes);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "C.UTF-8");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("VELKORN_CATALOG_HOST", "127.0.0.1:9");
    // As the program: drops the language components' silent cancellations.
    app::VelkornApplication application(argc, argv);
    QStringList paths = application.arguments().mid(1);
    if (paths.isEmpty())
        paths << bench::defaultBenchCatalog();
    for (const QString& path : paths)
        benchCatalog(path);
    return 0;
}
