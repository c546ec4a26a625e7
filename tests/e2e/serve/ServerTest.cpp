// velkorn-server as the dealers meet it, on a master file: feed answers with validators that change exactly with a
// publication, requests no client should send, clients that never speak or hardly read, and a stop in the middle of
// a download.
#include "RawHttp.h"

#include "support/SyncTestSupport.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <memory>
#include <vector>

namespace {

const QByteArray kFeed1 = "/common/item.php?t=1&ut=2008-05.12%2014:30:05";

QString item(int id, const QString& time)
{
    return QStringLiteral("insert into item (id, total_weight, operation_pressure_default, operation_pressure_max, "
                          "operation_pressure_min, operation_space, assembly_height, piston_type, loading_capacity, "
                          "type, update_time, vehicle1, vehicle2) values (%1, 2.5, 6, 10, 0.5, 250, 300, 2, 'cap', 3, "
                          "'%2', 1, null)")
        .arg(id)
        .arg(time);
}

// A master with two changed items and a deletion, a large thumbnail, and the server on it with 2 s time-outs.
class Serving : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_master = m_dir.path() + "/master.gdb";
        createMaster(m_master, {item(1, "2009-03-01 10:00:00"), item(2, "2009-03-01 11:00:00"),
                                "insert into deleted_item (id, delete_time) values (3, '2009-03-01 10:30:00')"});
        QDir(m_dir.path()).mkpath("thumbs");
        writeFile(m_dir.path() + "/thumbs/large.jpg", m_large);
        m_server = std::make_unique<ServerProcess>(m_master, m_dir.path() + "/thumbs",
                                                   QStringList{"--timeout", "2", "--workers", "4"});
    }

    int port() const { return m_server->port(); }
    rawhttp::Response get(const QByteArray& target, const QByteArray& headers = {})
    {
        return rawhttp::exchange(port(), rawhttp::get(target, headers));
    }

    QTemporaryDir m_dir;
    QString m_master;
    const QByteArray m_large = QByteArray(24 << 20, 'j');
    std::unique_ptr<ServerProcess> m_server;
};

// The ETag names the publication and the request; a cache that asks with it hears 304 until something is published,
// and the new data is served right after the publication commits. A proxy that names a stamp gets the catalog as that
// publication left it.
TEST_F(Serving, FeedAnswersChangeWithThePublicationAndOnlyThen)
{
    const rawhttp::Response first = get(kFeed1);
    ASSERT_EQ(first.status, 200);
    EXPECT_EQ(first.header("ETag"), "\"t1-20080512T143005-20090301T110000.20090301T103000\"");
    EXPECT_EQ(first.header("Cache-Control"), "no-cache");
    EXPECT_EQ(first.body.count("<item>"), 2);
    const rawhttp::Response stamp = get("/publication");
    EXPECT_EQ(stamp.header("X-Velkorn-Publication"), "20090301T110000.20090301T103000");
    EXPECT_EQ(get(kFeed1, "If-None-Match: " + first.header("ETag") + "\r\n").status, 304);

    // A publication changes item 1 again.
    runOnCatalog(m_master, {"update item set update_time = '2009-03-02 09:00:00', total_weight = 7 where id = 1"});
    const rawhttp::Response second = get(kFeed1, "If-None-Match: " + first.header("ETag") + "\r\n");
    ASSERT_EQ(second.status, 200);
    EXPECT_EQ(second.header("ETag"), "\"t1-20080512T143005-20090302T090000.20090301T103000\"");
    EXPECT_TRUE(second.body.endsWith("<total_weight>7</total_weight><operation_pressure_default>6"
                                     "</operation_pressure_default><operation_pressure_max>10</operation_pressure_max>"
                                     "<operation_pressure_min>0.5</operation_pressure_min><operation_space>250"
                                     "</operation_space><assembly_height>300</assembly_height><piston_type>2"
                                     "</piston_type><loading_capacity>cap</loading_capacity><type>3</type><vehicle1>1"
                                     "</vehicle1><vehicle2></vehicle2><update_time>2009-03-02 09:00:00</update_time>"
                                     "</item>\n</feed>\n"))
        << second.body.toStdString();

    // Cut at the old stamp: nothing of the later publication (item 1 is the kept answer's old one, or has moved past
    // the cut and comes with the next feed); the deletion is in.
    const QByteArray old = "X-Velkorn-Publication: " + stamp.header("X-Velkorn-Publication") + "\r\n";
    const rawhttp::Response cut = get(kFeed1, old);
    EXPECT_EQ(cut.header("ETag"), first.header("ETag"));
    EXPECT_TRUE(cut.body.contains("<id>2</id>"));
    EXPECT_FALSE(cut.body.contains("<total_weight>7<"));
    EXPECT_TRUE(get("/common/item.php?t=4&ut=2008-05.12%2014:30:05", old).body.contains("<id>3</id>"));
    // A proxy that names the stamp is answered without the database when its copy is current.
    EXPECT_EQ(get(kFeed1, old + "If-None-Match: " + first.header("ETag") + "\r\n").status, 304);
}

// Requests that no dealer's program sends: each gets a clear status, and the next dealer is served.
TEST_F(Serving, BadRequestsAreAnsweredAndTheServerGoesOn)
{
    struct Case
    {
        const char* what;
        QByteArray request;
        int status;
    };
    const Case cases[] = {
        {"ut not a date", rawhttp::get("/common/item.php?t=1&ut=yesterday"), 400},
        {"ut missing", rawhttp::get("/common/item.php?t=1"), 400},
        {"t 0", rawhttp::get("/common/item.php?t=0&ut=2008-05.12%2014:30:05"), 400},
        {"t 5", rawhttp::get("/common/item.php?t=5&ut=2008-05.12%2014:30:05"), 400},
        {"t not a number", rawhttp::get("/common/item.php?t=1x&ut=2008-05.12%2014:30:05"), 400},
        {"a stamp nobody issued", rawhttp::get(kFeed1, "X-Velkorn-Publication: 2009'; drop table item\r\n"), 400},
        {"a stamp still to come", rawhttp::get(kFeed1, "X-Velkorn-Publication: 20090301T110001.20090301T103000\r\n"),
         400},
        {"a query of 100 KB", rawhttp::get(kFeed1 + "&x=" + QByteArray(100 << 10, 'a')), 414},
        {"a query of 3 MB", rawhttp::get(kFeed1 + "&x=" + QByteArray(3 << 20, 'a')), 414},
        {"200 KB of headers",
         rawhttp::get(kFeed1, QByteArray("X-Pad: ").append(QByteArray(1000, 'p')).append("\r\n").repeated(200)), 400},
        {"not HTTP", "HELLO\r\n\r\n", 400},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(rawhttp::exchange(port(), c.request).status, c.status);
        EXPECT_EQ(get(kFeed1).status, 200);
    }
}

// Thousands of connections that never send a request, and a client that reads a byte a second, hold no worker: the
// other dealers are served meanwhile, and the server lets go of the idle and the slow ones after its time-out.
TEST_F(Serving, IdleAndSlowClientsDoNotKeepTheOthersWaiting)
{
    rlimit files{};
    ::getrlimit(RLIMIT_NOFILE, &files);
    files.rlim_cur = files.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &files);
    const int idleCount = int(std::min<rlim_t>(3000, files.rlim_cur - 200));
    std::vector<int> idle;
    for (int i = 0; i < idleCount; ++i) {
        const int fd = connectToLoopback(port());
        ASSERT_GE(fd, 0) << "connection " << i;
        idle.push_back(fd);
    }
    // The slow reader asks for 24 MB with a window of a few KB and then reads one byte a second.
    const int slow = connectToLoopback(port(), 4096);
    ASSERT_TRUE(rawhttp::sendAll(slow, rawhttp::get("/images/thumbs/large.jpg")));
    int state = 0;
    EXPECT_TRUE(rawhttp::receive(slow, 5000, state, 1).startsWith("H"));

    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(get(kFeed1).status, 200) << "request " << i;

    // Given up after the time-out: the slow one is reset (its socket is closed while bytes still wait in it), the idle
    // ones are closed.
    EXPECT_TRUE(waitUntil(
        [&] {
            rawhttp::receive(slow, 0, state, 1);
            return rawhttp::connectionState(slow) == TCP_CLOSE;
        },
        20000));
    int closed = 0;
    for (int fd : idle) {
        rawhttp::receive(fd, 5000, state);
        closed += state <= 0 ? 1 : 0;
        ::close(fd);
    }
    EXPECT_EQ(closed, idleCount);
    ::close(slow);
    EXPECT_EQ(get(kFeed1).status, 200);
}

// SIGTERM in the middle of a download: the download finishes, an idle connection is closed, new connections are
// refused, and the server ends with 0 within 5 s.
TEST_F(Serving, TerminationFinishesRequestsInFlightAndEnds)
{
    const int keptAlive = connectToLoopback(port());
    ASSERT_TRUE(rawhttp::sendAll(keptAlive, rawhttp::get("/")));
    ASSERT_EQ(rawhttp::readResponse(keptAlive).status, 200);

    const int download = connectToLoopback(port());
    ASSERT_TRUE(rawhttp::sendAll(download, rawhttp::get("/images/thumbs/large.jpg")));
    int state = 0;
    QByteArray received = rawhttp::receive(download, 5000, state);
    ASSERT_FALSE(received.isEmpty());

    QElapsedTimer sinceSignal;
    sinceSignal.start();
    ::kill(pid_t(m_server->pid()), SIGTERM);
    // The dealer reads on at about 12 MB/s: some two seconds for the rest.
    while (state > 0) {
        received += rawhttp::receive(download, 5000, state, 256 << 10);
        QThread::msleep(20);
    }
    EXPECT_EQ(received.size() - received.indexOf("\r\n\r\n") - 4, m_large.size());
    rawhttp::receive(keptAlive, 1000, state);
    EXPECT_EQ(state, 0);
    EXPECT_EQ(connectToLoopback(port()), -1);
    EXPECT_EQ(m_server->stop(5000 - int(sinceSignal.elapsed())), 0) << m_server->output().toStdString();
    EXPECT_LT(sinceSignal.elapsed(), 5000);
    ::close(download);
    ::close(keptAlive);
}

} // namespace
