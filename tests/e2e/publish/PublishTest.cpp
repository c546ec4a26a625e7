// The maker publishes with velkorn-publish: an import into a master catalog (a file, or a database on a Firebird
// server started by the test) whose next feed velkorn-server serves to the real program; the import's checks, each
// named by file, line and column with nothing written; the dry run; pictures and thumbnails replaced as whole files;
// and a release whose control file the update engine accepts, refused when its version is not higher.
#include "catalog/CatalogDatabase.h"
#include "catalog/CsvText.h"
#include "catalog/DatabaseCreator.h"
#include "update/ControlFile.h"
#include "update/Minisign.h"
#include "update/ReleaseGuard.h"
#include "update/TrustedKeys.h"

#include "support/ApplicationCopy.h"
#include "support/CatalogProbe.h"
#include "support/FirebirdServer.h"
#include "support/PublishCommand.h"
#include "support/SignedRelease.h"
#include "support/Started.h"
#include "support/SyncTestSupport.h"
#include "support/WaitUntil.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSqlDatabase>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QStringList kItemColumns =
    QStringLiteral("ID TOTAL_WEIGHT OPERATION_PRESSURE_DEFAULT OPERATION_PRESSURE_MAX OPERATION_PRESSURE_MIN "
                   "OPERATION_SPACE ASSEMBLY_HEIGHT PISTON_TYPE LOADING_CAPACITY TYPE VEHICLE1 VEHICLE2")
        .split(' ');

QByteArray jpeg(int width, int height, Qt::GlobalColor color)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return bytes;
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// A master catalog (the shipped demo catalog, items 1 to 400) in a folder with the maker's files beside it.
class Publishing : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_master = path("master.gdb");
        ASSERT_TRUE(QFile::copy(ApplicationCopy::distFile("KATALOG.GDB"), m_master));
        QFile::setPermissions(m_master, QFile::ReadOwner | QFile::WriteOwner);
        m_location = catalog::CatalogLocation::localFile(m_master);
        QDir().mkpath(path("src"));
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }

    // Writes a CSV file as the program's export writes one, with ';' between the fields.
    QString csv(const QString& name, const QList<QStringList>& rows) const
    {
        writeFile(path(name), catalog::csvDocument(rows, ';'));
        return path(name);
    }

    Finished import(const QStringList& files, const QStringList& options = {},
                    const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) const
    {
        return runPublish(QStringList{"import", "--master", m_written.isEmpty() ? m_master : m_written, "--pictures",
                                      path("src"), "--images", path("images")} +
                              options + files,
                          env);
    }

    QString rows(const QString& sql) const { return queryRows(m_location, sql); }

    // What an import that writes nothing leaves as it was.
    QString fingerprint() const
    {
        return rows("select count(*), max(update_time), sum(total_weight) from item") + " " +
               rows("select count(*), max(id) from item_code") + " " + rows("select count(*) from item_pictures") +
               " " + rows("select count(*) from rdb$relations where rdb$relation_name = 'DELETED_ITEM'") + " " +
               rows("select count(*) from rdb$generators where rdb$system_flag = 0") + " " +
               QDir(path("images")).entryList(QDir::Files).join(",");
    }

    QTemporaryDir m_dir;
    QString m_master;
    QString m_written; // the master as the command names it, when not the file
    catalog::CatalogLocation m_location;
};

// One import adds, changes and deletes items, codes and pictures; velkorn-server's next feed carries exactly these
// changes to a real program, which shows the new item and its thumbnail. The same import again has nothing to add.
TEST_F(Publishing, AnImportReachesTheProgramsThroughTheNextFeed)
{
    const QStringList files{
        csv("items.csv", {kItemColumns,
                          {"3", "9,75", "6", "10", "0,5", "250", "300", "2", "2 000 kg", "3", "4", ""},
                          {"401", "4.5", "5", "8", "0,5", "200", "310", "1", "Yük; 900", "1", "1", "2"}}),
        csv("codes.csv", {{"ITEM_ID", "CODE_TYPE_ID", "CODE"},
                          {"401", "1", "VK 401-A"},
                          {"401", "4", "OEM; 401/7"},
                          {"7", "1", "VK-7 NEW"},
                          {"7", "9", "XR-77 B"}}),
        csv("pictures.csv", {{"ITEM_ID", "PICTURE_URL"}, {"401", "new 401.jpg"}})};
    const QByteArray picture = jpeg(1000, 800, Qt::darkCyan);
    writeFile(path("src/new 401.jpg"), picture);
    const QString deleted = csv("deleted.csv", {{"ID"}, {"9"}});

    const Finished published = import(files, {"--delete", deleted});
    ASSERT_EQ(published.exitCode, 0) << ::testing::PrintToString(published);
    EXPECT_TRUE(published.out.contains("items: 1 added, 2 changed, 1 deleted")) << published.out.toStdString();

    // One stamp for every change, later than anything before.
    const QString stamp = rows("select max(update_time) from item");
    EXPECT_EQ(rows("select id from item where update_time = (select max(update_time) from item) order by id"),
              "3,7,401");
    EXPECT_EQ(rows("select id, delete_time from deleted_item"), "9:" + stamp);
    EXPECT_EQ(rows("select code, search_code from item_code where item_id = 401 order by id"),
              "VK 401-A:vk401a,OEM; 401/7:oem;4017");
    EXPECT_EQ(rows("select total_weight, loading_capacity, vehicle2 from item where id in (3, 401) order by id"),
              "9.75:2 000 kg:null,4.5:Yük; 900:2");
    EXPECT_EQ(readFile(path("images/new 401.jpg")), picture);
    const QByteArray thumbnail = readFile(path("images/thumbs/new 401.jpg"));
    EXPECT_EQ(QImage::fromData(thumbnail).size(), QSize(640, 512));

    ServerProcess server(m_master, path("images/thumbs"));
    const ApplicationCopy app(path("app"), {"KATALOG.GDB"});
    QProcessEnvironment env = app.environment();
    env.insert("VELKORN_CATALOG_HOST", server.host());
    Started program(app.program(), {}, env);
    ASSERT_TRUE(waitUntil([&] { return program.output().contains("velkorn: message:") || !program.running(); }, 60000));
    EXPECT_TRUE(program.output().contains("velkorn: message: Catalog Updated")) << program.output().toStdString();
    EXPECT_EQ(program.terminate(), 0);

    const QStringList feeds = server.lines().filter("feed t=");
    const auto records = [&](int t) {
        const QStringList lines = feeds.filter(QStringLiteral("feed t=%1 ").arg(t));
        return lines.isEmpty() ? QString() : lines.first().section(" records=", 1);
    };
    EXPECT_EQ(records(1), "3") << feeds.join('\n').toStdString();
    EXPECT_EQ(records(2), rows("select count(*) from item_code where item_id in (3, 7, 401)"));
    EXPECT_EQ(records(3), rows("select count(*) from item_pictures where item_id in (3, 7, 401)"));
    EXPECT_EQ(records(4), "1");
    const catalog::CatalogLocation seat = catalog::CatalogLocation::localFile(app.catalog());
    EXPECT_EQ(queryRows(seat, "select id, total_weight from item where id in (3, 9, 401) order by id"),
              "3:9.75,401:4.5");
    EXPECT_EQ(queryRows(seat, "select code from item_code where item_id = 7 order by code"), "VK-7 NEW,XR-77 B");
    EXPECT_EQ(readFile(app.dir() + "images/new 401.jpg"), thumbnail);

    const Finished again = import(files, {"--delete", csv("none.csv", {{"ID"}})});
    EXPECT_EQ(again.exitCode, 0) << ::testing::PrintToString(again);
    EXPECT_TRUE(again.out.startsWith("nothing to publish")) << again.out.toStdString();
    EXPECT_EQ(rows("select max(update_time) from item"), stamp);
}

// Every problem of an import is named by file, line and column, all of them at once, and nothing is written.
TEST_F(Publishing, EveryProblemIsNamedAndNothingIsWritten)
{
    writeFile(path("src/fake.jpg"), QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(200, 'x'));
    const QByteArray fullHeader = kItemColumns.join(';').toUtf8() + "\n";
    struct Case
    {
        const char* what;
        QByteArray items, codes, pictures, deleted;
        QStringList expected;
    };
    const Case cases[] = {
        {"items",
         "ID;TOTAL_WEIGHT;TYPE\n3;1,5;2\n3;2;2\n4;12 kg;9\n",
         {},
         {},
         {},
         {"items.csv, line 3, column ID: item 3 is on line 2 already",
          "items.csv, line 4, column TOTAL_WEIGHT: \"12 kg\" is not a number",
          "items.csv, line 4, column TYPE: a style is 1 to 8"}},
        {"codes",
         fullHeader + "500;1;5;8;0,5;200;300;1;x;1;1;\n",
         "ITEM_ID;CODE_TYPE_ID;CODE\n500;4;OEM-500\n3;99;X\n3;1;" + QByteArray(51, 'A') + "\n",
         {},
         {},
         {"codes.csv, line 2, column CODE_TYPE_ID: item 500 has no maker's code (code type 1)",
          "codes.csv, line 3, column CODE_TYPE_ID: there is no code type 99",
          "codes.csv, line 4, column CODE: 51 characters; the column holds 50"}},
        {"pictures",
         "ID\n",
         {},
         "ITEM_ID;PICTURE_URL\n3;missing.jpg\n3;fake.jpg\n4;../up.jpg\n",
         {},
         {"pictures.csv, line 2, column PICTURE_URL: the picture file " + path("src/missing.jpg") + " is missing",
          "pictures.csv, line 3, column PICTURE_URL: fake.jpg is not a JPEG picture",
          "pictures.csv, line 4, column PICTURE_URL: \"../up.jpg\" is not the name of a file without a folder"}},
        {"a value the programs need",
         fullHeader + "500;;5;8;0,5;200;300;1;x;1;1;\n",
         "ITEM_ID;CODE_TYPE_ID;CODE\n500;1;VK-500\n",
         {},
         {},
         {"items.csv, line 2, column TOTAL_WEIGHT: item 500 needs a value here"}},
        {"deletions",
         "ID;TOTAL_WEIGHT\n3;2\n",
         {},
         {},
         "ID\n3\n99999\n",
         {"deleted.csv, line 2, column ID: item 3 is deleted, but changed in items.csv, line 2",
          "deleted.csv, line 3, column ID: there is no item 99999 in the master"}},
        {"file structure",
         "ID;COLOUR\n3;red\n",
         "ITEM_ID;CODE\n3;X\n",
         "ITEM_ID;PICTURE_URL\n3;\"a.jpg\n",
         {},
         {"items.csv, line 1, column COLOUR: the table ITEM has no such column",
          "codes.csv, line 1: the column CODE_TYPE_ID is missing", "pictures.csv, line 2: a quote is not closed"}},
    };
    const QString before = fingerprint();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QStringList files{path("items.csv")};
        writeFile(files.first(), c.items);
        QStringList options;
        writeFile(path("codes.csv"), c.codes.isEmpty() ? QByteArray("ITEM_ID;CODE_TYPE_ID;CODE\n") : c.codes);
        writeFile(path("pictures.csv"), c.pictures.isEmpty() ? QByteArray("ITEM_ID;PICTURE_URL\n") : c.pictures);
        files << path("codes.csv") << path("pictures.csv");
        if (!c.deleted.isEmpty()) {
            writeFile(path("deleted.csv"), c.deleted);
            options << "--delete" << path("deleted.csv");
        }
        const Finished published = import(files, options);
        EXPECT_EQ(published.exitCode, 1) << ::testing::PrintToString(published);
        QStringList said = published.err.split('\n', Qt::SkipEmptyParts);
        ASSERT_FALSE(said.isEmpty());
        EXPECT_TRUE(said.takeLast().endsWith("; nothing was written"));
        for (QString& line : said)
            line = line.mid(m_dir.path().size() + 1); // the files as named, without their folder
        EXPECT_EQ(said, c.expected);
        EXPECT_EQ(fingerprint(), before);
    }
}

// A dry run says what would change (items, codes, pictures) and writes nothing: not the deleted-item table it would
// need, not a picture file.
TEST_F(Publishing, ADryRunWritesNothing)
{
    const QString before = fingerprint();
    writeFile(path("src/p5.jpg"), jpeg(100, 100, Qt::green));
    const Finished published =
        import({csv("items.csv", {{"ID", "TOTAL_WEIGHT"}, {"3", "9.5"}, {"4", "1"}}),
                csv("codes.csv", {{"ITEM_ID", "CODE_TYPE_ID", "CODE"}, {"5", "1", "VK-5 NEW"}, {"5", "4", "OEM-5"}}),
                csv("pictures.csv", {{"ITEM_ID", "PICTURE_URL"}, {"5", "p5.jpg"}})},
               {"--dry-run", "--delete", csv("deleted.csv", {{"ID"}, {"9"}})});
    EXPECT_EQ(published.exitCode, 0) << ::testing::PrintToString(published);
    EXPECT_TRUE(published.out.contains("items: 0 added, 3 changed, 1 deleted, 0 unchanged\n  changed 3: TOTAL_WEIGHT\n"
                                       "  changed 4: TOTAL_WEIGHT\n  changed 5: codes, pictures\n  deleted 9\n"
                                       "codes: 2 codes of 1 item\n"
                                       "pictures: 1 picture of 1 item; picture files: 1 new, 0 replaced\n"
                                       "  new picture p5.jpg\n"))
        << published.out.toStdString();
    EXPECT_TRUE(published.out.endsWith("dry run: nothing was written\n"));
    EXPECT_EQ(fingerprint(), before);
}

// Two imports at once: the second waits for the first to end, then refuses without writing rather than give its
// changes the first one's time.
TEST_F(Publishing, ASecondImportWaitsForTheFirst)
{
    const QString before = fingerprint();
    const QString name = QStringLiteral("first import");
    {
        QSqlDatabase first = catalog::openDatabase(m_location, name);
        ASSERT_TRUE(first.transaction());
        catalog::runQuery(first, "update params set last_update = last_update"); // what an import holds as it writes
        Started second(VELKORN_TEST_PUBLISH,
                       {"import", "--master", m_master, csv("items.csv", {{"ID", "TOTAL_WEIGHT"}, {"3", "9.5"}})},
                       QProcessEnvironment::systemEnvironment());
        EXPECT_EQ(second.finished(2000), -1) << second.output().toStdString();
        first.commit();
        EXPECT_EQ(second.finished(60000), 1) << second.output().toStdString();
        EXPECT_TRUE(second.output().contains("nothing was published"));
    }
    catalog::closeDatabase(name);
    EXPECT_EQ(fingerprint(), before);
}

// A picture published again under its name replaces the picture and its thumbnail each as a whole new file (a reader
// that has the old one open keeps it whole), and every item that shows it is stamped so that the programs fetch it.
TEST_F(Publishing, AReplacedPictureIsANewFileAndItsItemsAreStamped)
{
    const QString pictures =
        csv("pictures.csv", {{"ITEM_ID", "PICTURE_URL"}, {"3", "shared.jpg"}, {"4", "shared.jpg"}});
    writeFile(path("src/shared.jpg"), jpeg(300, 200, Qt::red));
    ASSERT_EQ(import({csv("items.csv", {{"ID"}}), csv("codes.csv", {{"ITEM_ID", "CODE_TYPE_ID", "CODE"}}), pictures})
                  .exitCode,
              0);
    const QString first = rows("select max(update_time) from item");
    const QByteArray oldThumbnail = readFile(path("images/thumbs/shared.jpg"));
    EXPECT_EQ(oldThumbnail, readFile(path("src/shared.jpg"))); // small enough: the picture itself
    ASSERT_EQ(::link(QFile::encodeName(path("images/thumbs/shared.jpg")).constData(),
                     QFile::encodeName(path("held.jpg")).constData()),
              0);

    writeFile(path("src/shared.jpg"), jpeg(300, 200, Qt::blue));
    const QStringList replacement{csv("items.csv", {{"ID"}}), csv("codes.csv", {{"ITEM_ID", "CODE_TYPE_ID", "CODE"}}),
                                  csv("pictures.csv", {{"ITEM_ID", "PICTURE_URL"}, {"3", "shared.jpg"}})};
    // A write the master refuses leaves the published files as they were: the same import again must still find the
    // picture changed and stamp its items.
    catalog::executeSchemaStatement(m_location, "create exception refused 'refused'");
    catalog::executeSchemaStatement(m_location,
                                    "create trigger refuse for item before update as begin exception refused; end");
    EXPECT_EQ(import(replacement).exitCode, 1);
    EXPECT_EQ(readFile(path("images/shared.jpg")), oldThumbnail);
    EXPECT_EQ(readFile(path("images/thumbs/shared.jpg")), oldThumbnail);
    EXPECT_EQ(QDir(path("images")).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"shared.jpg", "thumbs"}));
    catalog::executeSchemaStatement(m_location, "drop trigger refuse");

    const Finished replaced = import(replacement);
    ASSERT_EQ(replaced.exitCode, 0) << ::testing::PrintToString(replaced);
    EXPECT_TRUE(replaced.out.contains("changed 4: picture shared.jpg")) << replaced.out.toStdString();
    EXPECT_EQ(readFile(path("held.jpg")), oldThumbnail);
    EXPECT_EQ(readFile(path("images/thumbs/shared.jpg")), readFile(path("src/shared.jpg")));
    EXPECT_EQ(readFile(path("images/shared.jpg")), readFile(path("src/shared.jpg")));
    const QString second = rows("select max(update_time) from item");
    EXPECT_GT(second, first);
    EXPECT_EQ(rows("select id from item where update_time = (select max(update_time) from item) order by id"), "3,4");

    // Finished once, a picture may be named again without its file.
    QFile::remove(path("src/shared.jpg"));
    const Finished named = import({csv("items.csv", {{"ID"}}), csv("codes.csv", {{"ITEM_ID", "CODE_TYPE_ID", "CODE"}}),
                                   csv("pictures.csv", {{"ITEM_ID", "PICTURE_URL"}, {"5", "shared.jpg"}})});
    EXPECT_EQ(named.exitCode, 0) << ::testing::PrintToString(named);
    EXPECT_EQ(rows("select picture_url from item_pictures where item_id = 5"), "shared.jpg");
}

// The master on the maker's Firebird server: imports reach it over the network, the schema they need (the deleted
// items, the generator of code IDs, the PARAMS row that keeps a second import waiting) is made there, each import's
// stamp is later than every stamp before (here one that a clock set wrong left in the future), and a refused import
// leaves the master as it was.
TEST_F(Publishing, AMasterOnAFirebirdServer)
{
    FirebirdServer server;
    const QString file = server.addCatalog("master.gdb", m_master);
    m_written = server.connectionString(file);
    m_location = server.location(file);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("VELKORN_DATABASE_PASSWORD", FirebirdServer::password());
    rows("update item set update_time = '2100-01-01 00:00:00' where id = 10");
    rows("delete from params"); // as a hand-made master may be
    const int highestCode = rows("select max(id) from item_code").toInt();

    Finished published = import({csv("items.csv", {{"ID", "TOTAL_WEIGHT"}, {"3", "2.5"}})},
                                {"--delete", csv("deleted.csv", {{"ID"}, {"400"}})}, env);
    ASSERT_EQ(published.exitCode, 0) << ::testing::PrintToString(published);
    EXPECT_EQ(rows("select id, delete_time from deleted_item"), "400:2100-01-01T00:00:01.000");
    EXPECT_EQ(rows("select last_update from params"), "2100-01-01T00:00:01.000");
    // Item 400, which had the highest code IDs, comes back: a program that applies both imports in one feed must not
    // delete it after all.
    published = import(
        {csv("items.csv", {kItemColumns,
                           {"4", "3.5", "6", "10", "0.5", "250", "300", "2", "", "3", "4", ""},
                           {"400", "1.5", "6", "10", "0.5", "250", "300", "2", "", "3", "4", ""}}),
         csv("codes.csv", {{"ITEM_ID", "CODE_TYPE_ID", "CODE"}, {"4", "1", "VK-4 NEW"}, {"400", "1", "VK-400"}})},
        {}, env);
    ASSERT_EQ(published.exitCode, 0) << ::testing::PrintToString(published);
    EXPECT_EQ(rows("select id, update_time from item where update_time > '2099-01-01' order by id"),
              "3:2100-01-01T00:00:01.000,4:2100-01-01T00:00:02.000,10:2100-01-01T00:00:00.000,"
              "400:2100-01-01T00:00:02.000");
    EXPECT_EQ(rows("select count(*) from deleted_item"), "0");
    EXPECT_EQ(rows("select code from item_code where item_id = 4"), "VK-4 NEW");
    // New codes never take the IDs of removed ones, which a program may still hold.
    EXPECT_GT(rows("select min(id) from item_code where item_id in (4, 400)").toInt(), highestCode);

    const QString before = fingerprint();
    published = import({csv("items.csv", {{"ID", "TOTAL_WEIGHT"}, {"5", "abc"}})}, {}, env);
    EXPECT_EQ(published.exitCode, 1);
    EXPECT_TRUE(published.err.contains("items.csv, line 2, column TOTAL_WEIGHT: \"abc\" is not a number"))
        << published.err.toStdString();
    EXPECT_EQ(fingerprint(), before);
}

// A release: the control file lists every file of the folder with its SHA-256 and is signed for its name with a key
// the programs trust; the same version again, or a lower one, is refused and the published release stays.
TEST_F(Publishing, AReleaseIsSignedAndNeverGoesBack)
{
    const QString folder = path("update");
    QDir().mkpath(folder + "/docs");
    const auto nextVersion = [&](const QString& from) {
        QProcess next;
        next.start(VELKORN_NEXT_VERSION, {from, folder + "/velkorn_NEW"});
        next.waitForFinished(30000);
        return QString::fromLatin1(next.readAllStandardOutput()).trimmed();
    };
    const QString version = nextVersion(ApplicationCopy::distFile("velkorn"));
    ASSERT_FALSE(version.isEmpty());
    writeFile(folder + "/release.txt_NEW", "catalog data\n");
    writeFile(folder + "/whatsnew.txt", "Faster search.\n");
    writeFile(folder + "/docs/manual.txt", "How to use the catalog.\n");
    const QStringList release{"release", folder, "--key", VELKORN_TEST_SIGNING_KEY, "--url", "https://up.example/v/"};

    Finished published = runPublish(release);
    ASSERT_EQ(published.exitCode, 0) << ::testing::PrintToString(published);
    update::ControlFile control;
    ASSERT_TRUE(control.open(folder + "/velkorn.INF"));
    EXPECT_EQ(control.text("update", "newversion"), version);
    EXPECT_EQ(control.text("application", "appcomps"), "velkorn_NEW release.txt_NEW");
    EXPECT_EQ(control.integer("files", "count", 0), 3);
    EXPECT_EQ(control.text("file1", "url"), "https://up.example/v/velkorn_NEW");
    EXPECT_EQ(control.text("file1", "sha256"), testsigning::fileSha256Hex(folder + "/velkorn_NEW"));
    EXPECT_EQ(control.text("file2", "targetdir"), "{APP}\\docs");
    EXPECT_EQ(control.text("whatsnew", "sha256"), testsigning::fileSha256Hex(folder + "/whatsnew.txt"));
    const update::MinisignResult signature = update::verifyMinisignFile(folder + "/velkorn.INF", update::trustedKeys());
    ASSERT_TRUE(signature.ok());
    const auto stamp = update::parseReleaseComment(signature.trustedComment);
    ASSERT_TRUE(stamp.has_value());
    EXPECT_EQ(stamp->fileName, "velkorn.INF");
    EXPECT_TRUE(update::verifyMinisignFile(folder + "/docs/manual.txt", update::trustedKeys()).ok());
    control.close();

    const QByteArray published1 = readFile(folder + "/velkorn.INF");
    published = runPublish(release);
    EXPECT_EQ(published.exitCode, 1);
    EXPECT_TRUE(
        published.err.contains(QStringLiteral("version %1 is not higher than the published version %1").arg(version)))
        << published.err.toStdString();
    EXPECT_EQ(readFile(folder + "/velkorn.INF"), published1);

    ASSERT_TRUE(QFile::rename(folder + "/velkorn_NEW", path("published")));
    ASSERT_FALSE(nextVersion(path("published")).isEmpty());
    EXPECT_EQ(runPublish(release).exitCode, 0);
}

} // namespace
