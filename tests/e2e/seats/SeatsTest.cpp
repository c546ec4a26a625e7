// A shop with several counters: the real program at two seats and velkorn-lookup on one catalog at once, the catalog
// on a Firebird server started for the test or in one file that the embedded engines share; and catalog locations
// that cannot work, each answered by the program's start-up error and by the lookup naming the location, never the
// password.
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogLocation.h"
#include "catalog/CatalogWatch.h"
#include "catalog/ServerDeadline.h"

#include "support/ApplicationCopy.h"
#include "support/CatalogProbe.h"
#include "support/Finished.h"
#include "support/FirebirdServer.h"
#include "support/FreezingProxy.h"
#include "support/Started.h"
#include "support/SyncTestSupport.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace {

Finished runLookup(const ApplicationCopy& seat, const QStringList& arguments, const QProcessEnvironment& env)
{
    return runToEnd(seat.lookup(), arguments, env, 60000);
}

// The shop's catalog: "server" on a Firebird server, "file" in a folder every seat can reach.
class Seats : public ::testing::TestWithParam<const char*>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        const QString demo = ApplicationCopy::distFile(QStringLiteral("KATALOG.GDB"));
        if (QLatin1String(GetParam()) == QLatin1String("server")) {
            m_server = std::make_unique<FirebirdServer>();
            const QString path = m_server->addCatalog(QStringLiteral("shop.gdb"), demo);
            m_written = m_server->connectionString(path);
            m_password = FirebirdServer::password();
            m_location = m_server->location(path);
        } else {
            QDir().mkpath(m_root.path() + QStringLiteral("/shared"));
            m_written = m_root.path() + QStringLiteral("/shared/KATALOG.GDB");
            ASSERT_TRUE(QFile::copy(demo, m_written));
            QFile::setPermissions(m_written, QFile::ReadOwner | QFile::WriteOwner);
            m_location = catalog::CatalogLocation::localFile(m_written);
        }
    }

    // The maker's server, offering one item newer than the shop's catalog with a code no seat knows yet.
    void startMaker()
    {
        const QString master = m_root.path() + QStringLiteral("/master.gdb");
        createMaster(master, {QStringLiteral("insert into item (id, total_weight, operation_pressure_default, "
                                             "operation_pressure_max, operation_pressure_min, operation_space, "
                                             "assembly_height, piston_type, loading_capacity, type, stud, "
                                             "diameter_between_studs, bolt, diameter_between_bolts, update_time, "
                                             "vehicle1, vehicle2) values (900001, 2.5, 6, 10, 0.5, 250, 300, 2, "
                                             "'cap', 3, 2, 89, 2, 150, '2025-03-01 10:00:00', 4, 0)"),
                              QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) "
                                             "values (900001, 900001, 1, 'VK-SHOP-1', 'vkshop1')")});
        m_maker = std::make_unique<ServerProcess>(master);
    }

    // A seat of the shop on its catalog, synchronising from the maker's server when it runs; `pauseFile` holds its
    // synchronisation in the middle of applying until that file exists.
    std::unique_ptr<Started> startSeat(const QString& name, const QString& pauseFile = {})
    {
        const ApplicationCopy copy(m_root.path() + QLatin1Char('/') + name);
        QProcessEnvironment env = copy.environment();
        env.insert(QStringLiteral("VELKORN_DATABASE"), m_written);
        if (!m_password.isEmpty())
            env.insert(QStringLiteral("VELKORN_DATABASE_PASSWORD"), m_password);
        if (m_maker)
            env.insert(QStringLiteral("VELKORN_CATALOG_HOST"), m_maker->host());
        if (!pauseFile.isEmpty())
            env.insert(QStringLiteral("VELKORN_SYNC_PAUSE"), pauseFile);
        return std::make_unique<Started>(copy.program(), QStringList{}, env);
    }

    QString shopCodes() const
    {
        return queryValue(m_location, QStringLiteral("select count(*) from item_code where code = 'VK-SHOP-1'"));
    }

    QString pauseFile() const { return m_root.path() + QStringLiteral("/go-on"); }

    QTemporaryDir m_root;
    std::unique_ptr<FirebirdServer> m_server;
    std::unique_ptr<ServerProcess> m_maker;
    QString m_written;  // the location as a seat's setting names it
    QString m_password; // empty: the default
    catalog::CatalogLocation m_location;
};

// The counters of a shop work on one catalog all day: while two programs have it open, a dealer's system looks a
// code up with velkorn-lookup. The embedded engine's installed configuration gave the file to the first program
// alone ("Database already opened with engine instance"), and nothing could reach a catalog on a server.
TEST_P(Seats, TwoProgramsAndTheLookupHaveTheCatalogOpenAtOnce)
{
    // Seat 1 names the catalog in its settings file, seat 2 in the environment, as a script would.
    const ApplicationCopy first(m_root.path() + QStringLiteral("/seat1"));
    const ApplicationCopy second(m_root.path() + QStringLiteral("/seat2"));
    QList<QPair<QString, QString>> settings{{QStringLiteral("database"), m_written}};
    if (!m_password.isEmpty())
        settings.append({QStringLiteral("password"), m_password});
    first.writeSettings(settings);
    const QProcessEnvironment firstEnv = first.environment();
    QProcessEnvironment secondEnv = second.environment(QStringLiteral("de"));
    secondEnv.insert(QStringLiteral("VELKORN_DATABASE"), m_written);
    if (!m_password.isEmpty())
        secondEnv.insert(QStringLiteral("VELKORN_DATABASE_PASSWORD"), m_password);

    Started program1(first.program(), {}, firstEnv);
    Started program2(second.program(), {}, secondEnv);
    QList<qint64> attached;
    ASSERT_TRUE(waitUntil(
        [&] {
            attached = attachedProcesses(m_location);
            return (attached.contains(program1.pid()) && attached.contains(program2.pid())) || !program1.running() ||
                   !program2.running();
        },
        40000));
    ASSERT_TRUE(program1.running() && program2.running()) << qPrintable(program1.output() + program2.output());

    const QString ownCode =
        queryValue(m_location, QStringLiteral("select code from item_code where item_id = 3 and code_type_id = 1"));
    ASSERT_FALSE(ownCode.isEmpty());
    const QString hit = ownCode + QStringLiteral("\tVelkorn\t") + ownCode + QStringLiteral("\t3\n");
    // At seat 1 by its settings; at seat 2 naming the catalog on the command line.
    Finished lookup = runLookup(first, {ownCode}, firstEnv);
    EXPECT_EQ(lookup.exitCode, 0) << qPrintable(lookup.err);
    EXPECT_EQ(lookup.out, hit);
    QProcessEnvironment scriptEnv = secondEnv;
    scriptEnv.remove(QStringLiteral("VELKORN_DATABASE"));
    lookup = runLookup(second, {QStringLiteral("--catalog"), m_written, ownCode}, scriptEnv);
    EXPECT_EQ(lookup.exitCode, 0) << qPrintable(lookup.err);
    EXPECT_EQ(lookup.out, hit);

    EXPECT_TRUE(program1.running() && program2.running());
    EXPECT_EQ(program1.terminate(), 0);
    EXPECT_EQ(program2.terminate(), 0);
    for (Started* program : {&program1, &program2})
        EXPECT_FALSE(program->output().contains(QLatin1String("velkorn: message:"))) << qPrintable(program->output());
}

// Waits until the seat has written `text`, or has ended.
bool says(Started& seat, const QString& text, int milliseconds = 30000)
{
    waitUntil([&] { return seat.output().contains(text) || !seat.running(); }, milliseconds);
    return seat.output().contains(text);
}

// One synchronisation at a time: a seat started while another applies the feed leaves the catalog to it and goes on;
// the committed change reaches every open seat within seconds, without a restart.
TEST_P(Seats, OneSeatSynchronisesAndTheOthersHearOfIt)
{
    startMaker();
    const auto first = startSeat(QStringLiteral("seat1"), pauseFile());
    ASSERT_TRUE(says(*first, QStringLiteral("velkorn: synchronisation paused")))
        << qPrintable(first->output() + m_maker->output());
    const auto second = startSeat(QStringLiteral("seat2"));
    ASSERT_TRUE(says(*second, QStringLiteral("velkorn: catalog feed skipped: another seat is synchronising")))
        << qPrintable(second->output());
    EXPECT_EQ(shopCodes(), "0");

    writeFile(pauseFile(), "");
    ASSERT_TRUE(waitUntil([&] { return shopCodes() == "1"; }, 30000)) << qPrintable(first->output());
    const QString codes = queryValue(m_location, QStringLiteral("select count(*) from item_code"));
    EXPECT_TRUE(says(*second, QStringLiteral("catalog read again; %1 codes in the search index").arg(codes), 5000))
        << qPrintable(second->output());
    EXPECT_TRUE(first->output().contains(QLatin1String("velkorn: message: ")));   // the user is told at seat 1 ...
    EXPECT_FALSE(second->output().contains(QLatin1String("velkorn: message: "))); // ... and seat 2 stays quiet
    EXPECT_EQ(first->terminate(), 0);
    EXPECT_EQ(second->terminate(), 0);
}

// A seat killed in the middle of applying leaves the catalog as it was, and gives the synchronisation up with it.
TEST_P(Seats, ASeatKilledWhileApplyingLeavesTheCatalogToTheNext)
{
    startMaker();
    const QString before = queryValue(m_location, QStringLiteral("select last_update from params"));
    const auto first = startSeat(QStringLiteral("seat1"), pauseFile());
    ASSERT_TRUE(says(*first, QStringLiteral("velkorn: synchronisation paused"))) << qPrintable(first->output());
    first->kill();
    EXPECT_EQ(shopCodes(), "0");
    EXPECT_EQ(queryValue(m_location, QStringLiteral("select last_update from params")), before);

    const auto second = startSeat(QStringLiteral("seat2"));
    EXPECT_TRUE(waitUntil([&] { return shopCodes() == "1" || !second->running(); }, 30000))
        << qPrintable(second->output());
    EXPECT_FALSE(second->output().contains(QLatin1String("skipped")));
    EXPECT_EQ(second->terminate(), 0);
}

// The server stops while a seat is open and in the middle of its synchronisation: the user is told once, the window
// still answers, the unfinished synchronisation is gone with the server, and the seat comes back with it.
TEST_P(Seats, TheServerStoppedUnderARunningSeatIsSaidOnce)
{
    if (!m_server)
        GTEST_SKIP() << "a catalog file has no server to stop";
    startMaker();
    const auto seat = startSeat(QStringLiteral("seat"), pauseFile());
    ASSERT_TRUE(says(*seat, QStringLiteral("velkorn: synchronisation paused"))) << qPrintable(seat->output());
    m_server->kill();
    writeFile(pauseFile(), "");
    ASSERT_TRUE(says(*seat, QStringLiteral("velkorn: message: "))) << qPrintable(seat->output());
    QThread::msleep(3 * 2000); // a few more looks at the catalog
    const QString said = seat->output();
    EXPECT_EQ(said.count(QLatin1String("velkorn: message: ")), 1) << qPrintable(said);
    EXPECT_TRUE(said.contains(QStringLiteral("The connection to the catalog has been lost: ") + m_written))
        << qPrintable(said);
    EXPECT_FALSE(said.contains(m_password));
    EXPECT_FALSE(said.contains(QLatin1String("velkorn: catalog read again")));

    m_server->restart();
    EXPECT_TRUE(says(*seat, QStringLiteral("velkorn: catalog read again"))) << qPrintable(seat->output());
    EXPECT_EQ(shopCodes(), "0");
    EXPECT_EQ(seat->terminate(), 0);
}

// The network to the server falls silent in the middle of a synchronisation: no reset, no answer, as when the server
// is switched off. The seat says so once within seconds, not after the system's quarter of an hour of retries, gives
// up the synchronisation waiting on it, comes back with the network and ends when asked.
TEST_P(Seats, ANetworkFallenSilentIsSaidWithinSecondsAndTheSeatComesBack)
{
    if (!m_server)
        GTEST_SKIP() << "a catalog file has no network";
    FreezingProxy network(m_server->port());
    m_written.replace(QStringLiteral("/%1:").arg(m_server->port()), QStringLiteral("/%1:").arg(network.port));
    startMaker();
    const auto seat = startSeat(QStringLiteral("seat"), pauseFile());
    ASSERT_TRUE(says(*seat, QStringLiteral("velkorn: synchronisation paused"))) << qPrintable(seat->output());
    network.freeze();
    writeFile(pauseFile(), "");
    const int said = catalog::CatalogWatch::ProbeInterval + catalog::CatalogWatch::AnswerDeadline;
    ASSERT_TRUE(says(*seat, QStringLiteral("velkorn: message: "), said + 5000)) << qPrintable(seat->output());
    EXPECT_TRUE(seat->output().contains(QStringLiteral("The connection to the catalog has been lost: ") + m_written))
        << qPrintable(seat->output());

    network.thaw();
    EXPECT_TRUE(says(*seat, QStringLiteral("velkorn: catalog read again"))) << qPrintable(seat->output());
    EXPECT_EQ(seat->output().count(QLatin1String("velkorn: message: ")), 1) << qPrintable(seat->output());
    EXPECT_EQ(seat->terminate(), 0);

    // Closed while the network is silent, before anything has noticed: within the answer deadlines, not the
    // system's retries.
    const auto closing = startSeat(QStringLiteral("closing"));
    ASSERT_TRUE(waitUntil([&] { return attachedProcesses(m_location).contains(closing->pid()); }, 40000));
    QThread::msleep(4000); // its start-up done
    network.freeze();
    EXPECT_EQ(closing->terminate(), 0) << qPrintable(closing->output());
}

INSTANTIATE_TEST_SUITE_P(Catalog, Seats, ::testing::Values("server", "file"));

// A deadline ends a call that a silent server keeps waiting, and breakAll() one that has no limit of its own; the
// connection is of no further use, and a connection to a local file is never touched.
TEST(ServerDeadline, EndsWaitsOnASilentServerOnly)
{
    FirebirdServer server;
    const QString shop = server.addCatalog(QStringLiteral("shop.gdb"), ApplicationCopy::distFile("KATALOG.GDB"));
    FreezingProxy network(server.port());
    catalog::CatalogLocation location =
        catalog::CatalogLocation::parse(QStringLiteral("127.0.0.1/%1:%2").arg(network.port).arg(shop), QString());
    location.setPassword(FirebirdServer::password());
    {
        const QSqlDatabase limited = catalog::openDatabase(location, QStringLiteral("limited"));
        const QSqlDatabase open = catalog::openDatabase(location, QStringLiteral("open"));
        ASSERT_TRUE(catalog::probeConnection(limited).isEmpty());
        ASSERT_TRUE(catalog::probeConnection(open).isEmpty());
        const QString local = ApplicationCopy::distFile("KATALOG.GDB");
        const QSqlDatabase file =
            catalog::openDatabase(catalog::CatalogLocation::localFile(local), QStringLiteral("file"));
        EXPECT_TRUE(catalog::ServerDeadline::serverOf(file).isEmpty());

        network.freeze();
        {
            const catalog::ServerDeadline deadline(limited, 500);
            EXPECT_FALSE(catalog::probeConnection(limited).isEmpty());
            EXPECT_TRUE(deadline.broken());
        }
        // The other connection waits until the server is found silent.
        std::thread finder([&] {
            QThread::msleep(300);
            catalog::ServerDeadline::breakAll(catalog::ServerDeadline::serverOf(open));
        });
        EXPECT_FALSE(catalog::probeConnection(open).isEmpty());
        finder.join();
        {
            const catalog::ServerDeadline deadline(file, 1);
            QThread::msleep(50);
            EXPECT_TRUE(catalog::probeConnection(file).isEmpty());
            EXPECT_FALSE(deadline.broken());
        }
        network.thaw();
        EXPECT_FALSE(catalog::probeConnection(limited).isEmpty());
    }
    for (const char* name : {"limited", "open", "file"})
        catalog::closeDatabase(QString::fromLatin1(name));
}

// Locations a shop's administrator may get wrong. Each ends the program at start-up with the catalog database error,
// which now names the location, and makes the lookup say the same on one line; neither ever shows the password.
TEST(BadLocation, TheProgramAndTheLookupNameItAndEnd)
{
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    FirebirdServer server;
    const QString demo = ApplicationCopy::distFile(QStringLiteral("KATALOG.GDB"));
    const QString shop = server.addCatalog(QStringLiteral("shop.gdb"), demo);
    // A Firebird database of another kind: a catalog that lost a table.
    const QString other = server.addCatalog(QStringLiteral("other.gdb"), demo);
    queryValue(server.location(other), QStringLiteral("drop table item_pictures"));
    const QString garbage = root.path() + QStringLiteral("/garbage.gdb");
    {
        QFile file(garbage);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(20000, 'x'));
    }
    const QString password = FirebirdServer::password();
    struct Case
    {
        const char* what;
        QString database;
        QString password;
    };
    const Case cases[] = {
        {"port out of range", QStringLiteral("127.0.0.1/70000:") + shop, password},
        {"port not a number", QStringLiteral("127.0.0.1/fb:") + shop, password},
        {"nothing listens on the port", QStringLiteral("127.0.0.1/1:") + shop, password},
        {"unknown host", QStringLiteral("no-such-host.invalid:") + shop, password},
        {"wrong password", server.connectionString(shop), QStringLiteral("not-the-password")},
        {"a database that is not a catalog", server.connectionString(other), password},
        {"a file that is not a database", garbage, password},
    };
    const ApplicationCopy seat(root.path() + QStringLiteral("/seat"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QProcessEnvironment env = seat.environment();
        env.insert(QStringLiteral("VELKORN_DATABASE"), c.database);
        env.insert(QStringLiteral("VELKORN_DATABASE_PASSWORD"), c.password);

        Started program(seat.program(), {}, env);
        EXPECT_EQ(program.finished(40000), 0);
        const QString said = program.output();
        EXPECT_EQ(said.count(QLatin1String("velkorn: message: Catalog Database Error: ")), 1) << qPrintable(said);
        EXPECT_TRUE(said.contains(QStringLiteral("Catalog location: ") + c.database)) << qPrintable(said);
        EXPECT_FALSE(said.contains(c.password));

        const Finished lookup = runLookup(seat, {QStringLiteral("vk")}, env);
        EXPECT_EQ(lookup.exitCode, 2);
        EXPECT_TRUE(lookup.err.startsWith(QStringLiteral("velkorn-lookup: cannot read catalog: ") + c.database))
            << qPrintable(lookup.err);
        EXPECT_EQ(lookup.err.count(QLatin1Char('\n')), 1) << qPrintable(lookup.err);
        EXPECT_FALSE(lookup.err.contains(c.password));
    }
    // The server itself was never the problem.
    EXPECT_EQ(queryValue(server.location(shop), QStringLiteral("select count(*) from item where id = 3")), "1");
}

} // namespace
