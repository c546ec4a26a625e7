// The real threads against velkorn-server on a loopback port and real catalog files: the requests the server
// saw, the rows after the run, LAST_UPDATE, the information box, and the rollback after a bad record.

#include "support/SyncTestSupport.h"

#include "sync/CatalogSync.h"
#include "sync/TThread2.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <gtest/gtest.h>

using namespace catalogsync;

namespace {

struct Box
{
    QString caption, text;
};

class SyncEndToEnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        catalog.create({1, 2, 3}, QDateTime(QDate(2008, 5, 12), QTime(14, 30, 5)));
        QDir(master.path()).mkpath("thumbs");
        writeFile(master.path() + "/thumbs/new7.jpg", "JPEGDATA7");
        writeFile(master.path() + "/thumbs/new 8.jpg", "JPEGDATA8");
    }

    void startServer(const QStringList& masterRows)
    {
        createMaster(master.path() + "/master.gdb", masterRows);
        server = std::make_unique<ServerProcess>(master.path() + "/master.gdb", master.path() + "/thumbs");
    }

    // Runs a whole synchronisation and waits until TThread2 has ended.
    void runSync()
    {
        SyncSettings settings;
        settings.appDir = catalog.appDir();
        settings.catalogHost = server->host();
        settings.catalogPath = "";
        settings.catalogSeparator = "/";
        CatalogSync::Hooks hooks;
        hooks.messageText = [](const QString& key) { return "[" + key + "]"; };
        hooks.showInformation = [this](const QString& c, const QString& t) {
            // The box and the catalogChanged signal come on the main thread.
            EXPECT_EQ(QThread::currentThread(), qApp->thread());
            boxes.append({c, t});
        };
        hooks.handOffToApplicationUpdate = [this] { handOffs.fetch_add(1); };
        sync = std::make_unique<CatalogSync>();
        QSignalSpy finished(sync.get(), &CatalogSync::finished);
        changed = std::make_unique<QSignalSpy>(sync.get(), &CatalogSync::catalogChanged);
        sync->start(settings, hooks);
        ASSERT_TRUE(finished.wait(30000));
    }

    QStringList requestLines()
    {
        QStringList out;
        for (const QString& line : server->lines()) {
            if (line.startsWith("GET "))
                out << line;
        }
        return out;
    }

    TestCatalog catalog;
    QTemporaryDir master;
    std::unique_ptr<ServerProcess> server;
    std::unique_ptr<CatalogSync> sync;
    std::unique_ptr<QSignalSpy> changed;
    QList<Box> boxes;
    std::atomic_int handOffs{0};
};

const QString kNewItems[] = {
    "insert into item (id, total_weight, operation_pressure_default, operation_pressure_max, operation_pressure_min, "
    "operation_space, assembly_height, piston_type, loading_capacity, type, update_time, vehicle1, vehicle2) values "
    "(%1, %2, 6, 10, 0.5, 250, 300, 2, 'cap', 3, '%3', 4, null)",
};

QString item(int id, double weight, const QString& time)
{
    return kNewItems[0].arg(id).arg(weight).arg(time);
}

} // namespace

TEST_F(SyncEndToEnd, AppliesTheServersChangesAndTellsTheUser)
{
    startServer({
        item(1, 1.0, "2001-01-01 00:00:00"), // older than LAST_UPDATE: not sent
        item(2, 4.25, "2009-03-01 10:00:00"),
        item(7, 7.5, "2009-03-01 11:00:00"),
        "insert into item_code (id, item_id, code_type_id, code, search_code) values (71, 7, 1, 'VK-7/1', 'vk71')",
        "insert into item_code (id, item_id, code_type_id, code, search_code) values (21, 2, 1, 'VK-2', 'vk2')",
        "insert into item_code (id, item_id, code_type_id, code, search_code) values (22, 2, 4, 'OEM 2', 'oem2')",
        "insert into item_pictures (id, item_id, picture_url) values (201, 2, 'new7.jpg')", // shared thumbnail
        "insert into item_pictures (id, item_id, picture_url) values (701, 7, 'new7.jpg')",
        "insert into item_pictures (id, item_id, picture_url) values (702, 7, 'new 8.jpg')",
        "insert into deleted_item (id, delete_time) values (3, '2009-03-01 10:30:00')",
    });
    runSync();

    const QStringList requests = requestLines();
    ASSERT_GE(requests.size(), 7) << requests.join('\n').toStdString();
    EXPECT_EQ(requests[0], "GET / 200");
    for (int t = 1; t <= 4; ++t)
        EXPECT_EQ(requests[t], QString("GET /common/item.php?t=%1&ut=2008-05.12%2014:30:05 200").arg(t));
    EXPECT_EQ(requests[5], "GET /images/thumbs/new7.jpg 200");
    EXPECT_EQ(requests[6], "GET /images/thumbs/new%208.jpg 200");
    EXPECT_EQ(requests.filter("/images/thumbs/").size(), 2); // a thumbnail named twice is fetched once
    // The server read the date text exactly as rendered.
    EXPECT_TRUE(server->lines().contains("feed t=1 ut=\"2008-05.12 14:30:05\" records=2"));

    EXPECT_EQ(catalog.column("select id, total_weight, vehicle1, vehicle2 from item order by id"),
              "1:1.5:1:2,2:4.25:4:0,7:7.5:4:0");
    EXPECT_EQ(catalog.column("select id from item_code order by id"), "21,22,71,100");
    EXPECT_EQ(catalog.column("select picture_url from item_pictures order by id"),
              "old1.jpg,new7.jpg,new7.jpg,new 8.jpg"); // item 2 has the feed's picture now
    // The last item (11:00) is later than the deletion (10:30).
    EXPECT_EQ(catalog.lastUpdate(), QDateTime(QDate(2009, 3, 1), QTime(11, 0)));

    QFile thumb(catalog.appDir() + "images/new 8.jpg");
    ASSERT_TRUE(thumb.open(QIODevice::ReadOnly));
    EXPECT_EQ(thumb.readAll(), "JPEGDATA8");
    for (const char* name : {"item.xml", "item_code.xml", "item_pictures.xml", "item_deleted.xml"})
        EXPECT_FALSE(QFile::exists(catalog.appDir() + name)) << name;

    ASSERT_EQ(boxes.size(), 1);
    EXPECT_EQ(boxes[0].caption, "[msg003]");
    EXPECT_EQ(boxes[0].text, "[msg004]");
    EXPECT_EQ(changed->count(), 1);
    EXPECT_EQ(handOffs.load(), 1);
    EXPECT_EQ(sync->thread2()->outcome(), "committed");
}

// A second run asks from the new LAST_UPDATE on and finds nothing: no box, but the update hand-off still runs.
TEST_F(SyncEndToEnd, NothingNewMeansNoBoxButStillTheHandOff)
{
    startServer({item(2, 4.25, "2001-03-01 10:00:00")});
    runSync();
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(changed->count(), 0);
    EXPECT_EQ(handOffs.load(), 1);
    EXPECT_EQ(catalog.lastUpdate(), QDateTime(QDate(2008, 5, 12), QTime(14, 30, 5)));
    EXPECT_EQ(catalog.column("select total_weight from item where id = 2"), "1.5");
}

// A bad record on the server side (an unsafe picture name): nothing of the run stays, no box, no hand-off, and
// nothing is written outside images/.
TEST_F(SyncEndToEnd, BadRecordRollsBackTheRun)
{
    startServer({
        item(2, 4.25, "2009-03-01 10:00:00"),
        "insert into item_code (id, item_id, code_type_id, code, search_code) values (21, 2, 1, 'VK-2', 'vk2')",
        "insert into item_pictures (id, item_id, picture_url) values (701, 2, '../escape.jpg')",
    });
    runSync();
    EXPECT_EQ(catalog.column("select total_weight from item where id = 2"), "1.5");
    EXPECT_EQ(catalog.column("select id from item_code order by id"), "100,200,300");
    EXPECT_EQ(catalog.lastUpdate(), QDateTime(QDate(2008, 5, 12), QTime(14, 30, 5)));
    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(handOffs.load(), 0);
    EXPECT_FALSE(QFile::exists(catalog.appDir() + "escape.jpg"));
    EXPECT_TRUE(sync->thread2()->outcome().startsWith("failed"));
}

// Two dots inside a picture name make an ordinary file name in images/. Refusing it ended every run at the same
// record, so LAST_UPDATE never moved and the catalog stayed stuck.
TEST_F(SyncEndToEnd, PictureNameWithTwoDotsIsAnOrdinaryFile)
{
    writeFile(master.path() + "/thumbs/v1..final.jpg", "JPEGDOTS");
    startServer({
        item(2, 4.25, "2009-03-01 10:00:00"),
        "insert into item_code (id, item_id, code_type_id, code, search_code) values (21, 2, 1, 'VK-2', 'vk2')",
        "insert into item_pictures (id, item_id, picture_url) values (701, 2, 'v1..final.jpg')",
    });
    runSync();
    EXPECT_EQ(sync->thread2()->outcome(), "committed");
    EXPECT_EQ(catalog.column("select picture_url from item_pictures where item_id = 2"), "v1..final.jpg");
    EXPECT_EQ(catalog.lastUpdate(), QDateTime(QDate(2009, 3, 1), QTime(10, 0)));
    QFile thumb(catalog.appDir() + "images/v1..final.jpg");
    ASSERT_TRUE(thumb.open(QIODevice::ReadOnly));
    EXPECT_EQ(thumb.readAll(), "JPEGDOTS");
}

// An empty LAST_UPDATE asks for everything since the zero date-time.
TEST(SyncRequests, EmptyLastUpdateAsksFromTheZeroDate)
{
    TestCatalog catalog;
    catalog.create({1}, QDateTime());
    QTemporaryDir master;
    createMaster(master.path() + "/m.gdb", {});
    QDir(master.path()).mkpath("thumbs");
    ServerProcess server(master.path() + "/m.gdb", master.path() + "/thumbs");
    SyncSettings settings;
    settings.appDir = catalog.appDir();
    settings.catalogHost = server.host();
    CatalogSync sync;
    QSignalSpy finished(&sync, &CatalogSync::finished);
    sync.start(settings, {});
    ASSERT_TRUE(finished.wait(30000));
    EXPECT_TRUE(server.lines().contains("GET /common/item.php?t=1&ut=1899-12.30%20 200"));
}

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
