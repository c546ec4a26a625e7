// Servers that misbehave: the download must end in bounded time, a stop must abort at once, and whatever
// arrives must not break the run.

#include "support/SyncTestSupport.h"
#include "support/WaitUntil.h"

#include "sync/CatalogSync.h"
#include "sync/HttpTransfer.h"
#include "sync/MissingPictures.h"
#include "sync/TThread1.h"
#include "sync/TThread2.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <iostream>

#include <sys/socket.h>
#include <unistd.h>

using namespace catalogsync;

namespace {

void answer(int socket, const QByteArray& status, const QByteArray& body = {})
{
    readRequestLine(socket);
    sendAll(socket, "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body);
}

// Headers, then one byte now and then (never within the stall limit of the test).
void trickle(int socket, const std::atomic_bool& stop)
{
    readRequestLine(socket);
    sendAll(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\n<");
    for (int i = 0; i < 600 && !stop; ++i)
        ::usleep(100000);
}

TransferOptions quick()
{
    TransferOptions o;
    o.connectTimeoutMs = 2000;
    o.stallTimeoutMs = 300;
    return o;
}

} // namespace

TEST(UrlReachable, CountsOnly200And302)
{
    for (const auto& [status, expected] : std::vector<std::pair<QByteArray, bool>>{{"200 OK", true},
                                                                                   {"302 Found", true},
                                                                                   {"301 Moved", false},
                                                                                   {"304 Not Modified", false},
                                                                                   {"404 Not Found", false},
                                                                                   {"500 Error", false}}) {
        FaultServer server([status = status](int s, int, const std::atomic_bool&) {
            readRequestLine(s);
            sendAll(s, "HTTP/1.1 " + status + "\r\nLocation: http://127.0.0.1:1/\r\nContent-Length: 5\r\n\r\nhello");
        });
        EXPECT_EQ(UrlReachable(server.host(), quick()), expected) << status.constData();
    }
    EXPECT_FALSE(UrlReachable("127.0.0.1:1", quick())); // nothing listens
}

TEST(DownloadToFile, WritesWhateverBodyComesAndReplacesTheFile)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("item.xml");
    writeFile(file, "old content that is longer");
    FaultServer server(
        [](int s, int, const std::atomic_bool&) { answer(s, "500 Internal Server Error", "<html>error</html>"); });
    EXPECT_TRUE(DownloadToFile("http://" + server.host() + "/x", file, quick()));
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "<html>error</html>");

    // Refused connection: the file is left empty, the result is still true.
    EXPECT_TRUE(DownloadToFile("http://127.0.0.1:1/x", file, quick()));
    EXPECT_EQ(QFile(file).size(), 0);

    // A file that cannot be created is an error.
    EXPECT_THROW(DownloadToFile("http://127.0.0.1:1/x", dir.filePath("no/such/dir/f"), quick()), std::runtime_error);
}

TEST(DownloadToFile, StallLimitEndsATricklingTransfer)
{
    QTemporaryDir dir;
    FaultServer server([](int s, int, const std::atomic_bool& stop) { trickle(s, stop); });
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(DownloadToFile("http://" + server.host() + "/slow", dir.filePath("f"), quick()));
    // The server would go on for a minute: ending well before proves the stall limit fired.
    EXPECT_LT(timer.elapsed(), 30000);
    EXPECT_EQ(QFile(dir.filePath("f")).size(), 1);
}

TEST(DownloadToFile, SizeCapCutsAnEndlessBody)
{
    QTemporaryDir dir;
    FaultServer server([](int s, int, const std::atomic_bool& stop) {
        readRequestLine(s);
        sendAll(s, "HTTP/1.1 200 OK\r\n\r\n");
        const QByteArray chunk(64 * 1024, 'x');
        for (int i = 0; i < 1000 && !stop; ++i)
            sendAll(s, chunk);
    });
    TransferOptions o = quick();
    o.maxBytes = 1 << 20;
    EXPECT_TRUE(DownloadToFile("http://" + server.host() + "/big", dir.filePath("f"), o));
    EXPECT_LE(QFile(dir.filePath("f")).size(), 1 << 20);
}

// The probe succeeds, then every connection is closed without an answer: the feed files are empty, so nothing is
// parsed, and the run still reaches its end (and the update hand-off).
TEST(TransferFaults, ServerThatClosesEveryConnectionAfterTheProbe)
{
    TestCatalog catalog;
    catalog.create({1}, QDateTime(QDate(2008, 5, 12), QTime(1, 2, 3)));
    FaultServer server([](int s, int index, const std::atomic_bool&) {
        if (index == 0)
            answer(s, "200 OK", "hello");
    });
    SyncSettings settings;
    settings.appDir = catalog.appDir();
    settings.catalogHost = server.host();
    settings.transfer = quick();
    std::atomic_int handOffs{0};
    CatalogSync::Hooks hooks;
    hooks.handOffToApplicationUpdate = [&] { ++handOffs; };
    CatalogSync sync;
    QSignalSpy finished(&sync, &CatalogSync::finished);
    sync.start(settings, hooks);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(server.connections(), 5);
    EXPECT_FALSE(sync.documents().xmlItem);
    EXPECT_EQ(handOffs.load(), 1);
    EXPECT_FALSE(QFile::exists(catalog.appDir() + "item.xml"));
    EXPECT_EQ(catalog.column("select count(*) from item"), "1");
}

// Shutdown while a transfer hangs: the stop aborts it and both threads are done well within a second.
TEST(TransferFaults, StopAbortsAHangingDownloadAtOnce)
{
    TestCatalog catalog;
    catalog.create({1}, QDateTime(QDate(2008, 5, 12), QTime(1, 2, 3)));
    FaultServer server([](int s, int index, const std::atomic_bool& stop) {
        if (index == 0)
            answer(s, "200 OK");
        else
            trickle(s, stop);
    });
    SyncSettings settings;
    settings.appDir = catalog.appDir();
    settings.catalogHost = server.host();
    settings.transfer.stallTimeoutMs = 60000; // the default stall limit would not end it in time
    CatalogSync sync;
    sync.start(settings, {});
    QElapsedTimer timer;
    timer.start();
    while (server.connections() < 2 && timer.elapsed() < 10000)
        QThread::msleep(10);
    ASSERT_EQ(server.connections(), 2);
    QThread::msleep(100);
    timer.restart();
    sync.requestStopAndWait();
    // Neither the stall limit (60 s) nor the server (60 s) ended it: the stop did.
    EXPECT_LT(timer.elapsed(), 30000);
    std::cout << "stopped in " << timer.elapsed() << " ms" << std::endl;
    EXPECT_FALSE(sync.thread1()->isRunning());
    QCoreApplication::processEvents(); // the queued Thread1Terminate must not start TThread2 now
    EXPECT_FALSE(sync.thread2());
}

// Feed files that are no XML (an error page, a cut-off document) leave the later documents absent.
TEST(TransferFaults, UnparsableFilesStopTheParsingAndAreDeleted)
{
    TestCatalog catalog;
    catalog.create({1}, QDateTime(QDate(2008, 5, 12), QTime(1, 2, 3)));
    writeFile(catalog.appDir() + "item.xml", "<feed><item><id>1</id></item></feed>");
    writeFile(catalog.appDir() + "item_code.xml", "<html><body>502 Bad Gateway</body></html");
    writeFile(catalog.appDir() + "item_pictures.xml", "<feed></feed>");
    writeFile(catalog.appDir() + "item_deleted.xml", "<feed><item><id>1</id><delete_time>2009-01-01");
    SyncSettings settings;
    settings.appDir = catalog.appDir();
    settings.catalogHost = "127.0.0.1:1"; // unreachable: the left-over files are used
    settings.transfer = quick();
    CatalogSync sync;
    QSignalSpy finished(&sync, &CatalogSync::finished);
    sync.start(settings, {});
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_TRUE(sync.documents().xmlItem);
    EXPECT_FALSE(sync.documents().xmlItemCode);
    EXPECT_FALSE(sync.documents().xmlItemPictures);
    EXPECT_FALSE(sync.documents().xmlItemDeleted);
    for (const char* name : {"item.xml", "item_code.xml", "item_pictures.xml", "item_deleted.xml"})
        EXPECT_FALSE(QFile::exists(catalog.appDir() + name)) << name;
    // The item record has no time and the code document is absent anyway: nothing changed.
    EXPECT_EQ(catalog.column("select total_weight from item"), "1.5");
}

// A thumbnail that does not arrive whole with a success status never replaces the picture that was there: not a
// body broken off, not an error page, not a missing file. A whole answer replaces it, and no temporary file stays.
TEST(TransferFaults, FailedThumbnailKeepsThePictureThatWasThere)
{
    TestCatalog catalog;
    catalog.create({1}, QDateTime(QDate(2008, 5, 12), QTime(1, 2, 3)));
    const QStringList names{"broken.jpg", "error.jpg", "good.jpg", "missing.jpg"};
    for (const QString& name : names.mid(0, 3))
        writeFile(catalog.appDir() + "images/" + name, "OLD " + name.toLatin1());
    QByteArray pictures = "<feed>";
    for (int i = 0; i < names.size(); ++i)
        pictures += "<item><item_id>1</item_id><id>" + QByteArray::number(600 + i) + "</id><pic>" +
                    names[i].toLatin1() + "</pic></item>";
    pictures += "</feed>";
    FaultServer server([pictures](int s, int, const std::atomic_bool&) {
        const QByteArray line = readRequestLine(s);
        const auto reply = [s](const QByteArray& status, const QByteArray& body) {
            sendAll(s, "HTTP/1.1 " + status + "\r\nContent-Length: " + QByteArray::number(body.size()) +
                           "\r\nConnection: close\r\n\r\n" + body);
        };
        if (line.contains("?t=1&"))
            reply("200 OK", "<feed><item><id>1</id><total_weight>2.5</total_weight><operation_pressure_default>6"
                            "</operation_pressure_default><operation_pressure_max>8</operation_pressure_max>"
                            "<operation_pressure_min>1</operation_pressure_min><operation_space>100</operation_space>"
                            "<assembly_height>200</assembly_height><piston_type>1</piston_type><type>2</type>"
                            "<update_time>2009-01-01 10:00:00</update_time></item></feed>");
        else if (line.contains("?t=2&"))
            reply("200 OK", "<feed><item><item_id>1</item_id><id>50</id><code_type_id>1</code_type_id><code>C"
                            "</code><search_code>c</search_code></item></feed>");
        else if (line.contains("?t=3&"))
            reply("200 OK", pictures);
        else if (line.contains("?t=4&"))
            reply("200 OK", "<feed/>");
        else if (line.contains("/broken.jpg"))
            sendAll(s, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\nConnection: close\r\n\r\nPART"); // then closes
        else if (line.contains("/error.jpg"))
            reply("500 Internal Server Error", "<html>error</html>");
        else if (line.contains("/good.jpg"))
            reply("200 OK", "NEW good.jpg");
        else if (line.contains("/missing.jpg"))
            reply("404 Not Found", "<html>not found</html>");
        else
            reply("200 OK", "hello");
    });
    SyncSettings settings;
    settings.appDir = catalog.appDir();
    settings.catalogHost = server.host();
    settings.transfer = quick();
    CatalogSync::Hooks hooks;
    hooks.showInformation = [](const QString&, const QString&) {};
    CatalogSync sync;
    QSignalSpy finished(&sync, &CatalogSync::finished);
    sync.start(settings, hooks);
    ASSERT_TRUE(finished.wait(20000));
    EXPECT_EQ(sync.thread2()->outcome(), "committed"); // the run goes on past the failed thumbnails
    EXPECT_EQ(catalog.column("select picture_url from item_pictures where item_id = 1 order by id"), names.join(','));

    const auto content = [&](const QString& name) {
        QFile f(catalog.appDir() + "images/" + name);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(none)");
    };
    EXPECT_EQ(content("broken.jpg"), "OLD broken.jpg");
    EXPECT_EQ(content("error.jpg"), "OLD error.jpg");
    EXPECT_EQ(content("good.jpg"), "NEW good.jpg");
    EXPECT_EQ(content("missing.jpg"), "(none)");
    EXPECT_EQ(QDir(catalog.appDir() + "images").entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"broken.jpg", "error.jpg", "good.jpg"}));
}

// The window is already shutting down when the download ends: the applying thread is not started.
TEST(TransferFaults, NoApplyingThreadOnceTheWindowIsStopping)
{
    TestCatalog catalog;
    catalog.create({1}, QDateTime(QDate(2008, 5, 12), QTime(1, 2, 3)));
    writeFile(catalog.appDir() + "item.xml", "<feed></feed>");
    SyncSettings settings;
    settings.appDir = catalog.appDir();
    settings.catalogHost = "127.0.0.1:1";
    settings.transfer = quick();
    CatalogSync::Hooks hooks;
    hooks.stopping = [] { return true; };
    CatalogSync sync;
    sync.start(settings, hooks);
    ASSERT_TRUE(sync.thread1()->wait(10000));
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    EXPECT_FALSE(sync.thread2());
    EXPECT_TRUE(QFile::exists(catalog.appDir() + "item.xml")); // left for the next start
}

// A seat's images folder fills from the catalog server as items are shown, in the background and bounded: only a
// whole 2xx answer becomes a picture; a missing one, a stalled one, an endless one and a name that could leave the
// folder leave nothing; each name is asked for once.
TEST(TransferFaults, MissingPicturesArriveOnlyWhole)
{
    QMutex mutex;
    QStringList asked;
    FaultServer server([&](int s, int, const std::atomic_bool& stop) {
        const QByteArray line = readRequestLine(s);
        {
            const QMutexLocker lock(&mutex);
            asked << QString::fromLatin1(line);
        }
        if (line.contains("/images/thumbs/good%201.jpg "))
            sendAll(s, "HTTP/1.1 200 OK\r\nContent-Length: 6\r\nConnection: close\r\n\r\nJPEG-1");
        else if (line.contains("stall.jpg"))
            trickle(s, stop);
        else if (line.contains("endless.jpg"))
            for (int i = 0; i < 1000 && !stop; ++i)
                sendAll(s, i ? QByteArray(64 * 1024, 'x') : "HTTP/1.1 200 OK\r\n\r\n");
        else
            sendAll(s, "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
    });
    QTemporaryDir app;
    QDir(app.path()).mkpath("images");
    SyncSettings settings;
    settings.appDir = app.path() + "/";
    settings.catalogHost = server.host();
    settings.transfer = quick();
    settings.transfer.maxBytes = 1 << 20;
    MissingPictures pictures(settings);
    QSignalSpy arrived(&pictures, &MissingPictures::arrived);

    pictures.fetch({"stall.jpg", "endless.jpg", "../evil.jpg", "none.jpg", "good 1.jpg", "stall.jpg"});
    ASSERT_TRUE(arrived.wait(20000));
    pictures.fetch({"good 1.jpg", "none.jpg", "last.jpg"});
    const auto askedCount = [&] {
        const QMutexLocker lock(&mutex);
        return asked.size();
    };
    ASSERT_TRUE(waitUntil([&] { return askedCount() == 5; }, 10000));
    QThread::msleep(300); // a name asked for twice would come now
    EXPECT_EQ(askedCount(), 5) << qPrintable(asked.join('\n'));
    EXPECT_EQ(arrived.size(), 1);
    EXPECT_EQ(arrived.value(0).value(0).toString(), "good 1.jpg");
    EXPECT_EQ(QDir(app.path() + "/images").entryList(QDir::Files), QStringList{"good 1.jpg"});
    QFile good(app.path() + "/images/good 1.jpg");
    ASSERT_TRUE(good.open(QIODevice::ReadOnly));
    EXPECT_EQ(good.readAll(), "JPEG-1");
}
