// The maker's servers as packaging/nginx/velkorn.conf.in sets them up: two velkorn-server processes on one master on a
// Firebird server, behind nginx with TLS, the thumbnails and update files served by nginx from their folders, feeds
// cached until the next publication. A real program synchronises through it, and again after a publication.
#include "MasterCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "support/ApplicationCopy.h"
#include "support/CatalogServer.h"
#include "support/FirebirdServer.h"
#include "support/LoopbackPort.h"
#include "support/NginxProcess.h"
#include "support/SignedRelease.h"
#include "support/Started.h"
#include "support/SyncTestSupport.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

#include <httplib.h>

#include <gtest/gtest.h>

#include <memory>

namespace {

// Runs `sql` on the catalog at `location` and answers the first column of every row.
QStringList column(const catalog::CatalogLocation& location, const QString& sql, const QVariantList& values = {})
{
    const QString name = QUuid::createUuid().toString();
    QStringList rows;
    {
        QSqlQuery query = catalog::runQuery(catalog::openDatabase(location, name), sql, values);
        while (query.next())
            rows << query.value(0).toString();
    }
    catalog::closeDatabase(name);
    return rows;
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class BehindNginx : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        const QString root = m_root.path();
        // The master: the demo catalog with five items changed now, a code added and an item deleted.
        const QString made = root + "/master.gdb";
        m_changes = makeChangedCopy(ApplicationCopy::distFile("KATALOG.GDB"), made, 5);
        m_master = m_firebird.location(m_firebird.addCatalog("master.gdb", made));

        QDir().mkpath(root + "/thumbs");
        for (const QString& name : column(m_master, "select distinct picture_url from item_pictures"))
            writeFile(root + "/thumbs/" + name, "JPEG " + name.toUtf8());
        QDir().mkpath(root + "/update");
        writeFile(root + "/update/velkorn.INF", "[update]\ndescr=Nothing new\n");
        ASSERT_TRUE(testsigning::signRelease(root + "/update/velkorn.INF"));
        ASSERT_TRUE(testsigning::makeLoopbackCertificate(root + "/cert.pem", root + "/key.pem"));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("VELKORN_DATABASE_PASSWORD", FirebirdServer::password());
        const QString connection = m_firebird.connectionString(m_master.path());
        for (auto& server : m_servers)
            server = std::make_unique<ServerProcess>(connection, QString(), QStringList{"--workers", "4"}, env);
        m_catalogPort = freeLoopbackPort();
        m_updatePort = freeLoopbackPort();
        m_nginx = std::make_unique<NginxProcess>(
            QMap<QString, QString>{{"CATALOG_LISTEN", QStringLiteral("127.0.0.1:%1 ssl").arg(m_catalogPort)},
                                   {"UPDATE_LISTEN", QStringLiteral("127.0.0.1:%1 ssl").arg(m_updatePort)},
                                   {"CERTIFICATE", root + "/cert.pem"},
                                   {"CERTIFICATE_KEY", root + "/key.pem"},
                                   {"SERVER_1", m_servers[0]->host()},
                                   {"SERVER_2", m_servers[1]->host()},
                                   {"THUMBS_DIR", root + "/thumbs"},
                                   {"UPDATE_DIR", root + "/update"}},
            QList<int>{m_catalogPort, m_updatePort});
    }

    // Starts the program at `seat` against nginx and waits until it has synchronised and asked for an update.
    void synchronise(const ApplicationCopy& seat)
    {
        QProcessEnvironment env = seat.environment();
        env.insert("VELKORN_CATALOG_HOST", QStringLiteral("https://127.0.0.1:%1").arg(m_catalogPort));
        env.insert("VELKORN_UPDATE_HOST", QStringLiteral("https://127.0.0.1:%1").arg(m_updatePort));
        env.insert("SSL_CERT_FILE", m_root.path() + "/cert.pem");
        const int signaturesBefore = accessLog().count("GET /velkorn.INF.minisig HTTP/1.1\" 200");
        Started program(seat.program(), {}, env);
        EXPECT_TRUE(waitUntil(
            [&] {
                return !program.running() ||
                       accessLog().count("GET /velkorn.INF.minisig HTTP/1.1\" 200") > signaturesBefore;
            },
            60000))
            << accessLog().toStdString();
        EXPECT_TRUE(program.output().contains("velkorn: message: Catalog Updated: ")) << program.output().toStdString();
        EXPECT_EQ(program.terminate(), 0);
    }

    QString accessLog() const { return QString::fromUtf8(readAll(m_nginx->prefix() + "/access.log")); }

    httplib::Result feed(const std::string& target)
    {
        httplib::SSLClient client("127.0.0.1", m_catalogPort);
        client.set_ca_cert_path((m_root.path() + "/cert.pem").toStdString().c_str());
        client.enable_server_certificate_verification(true);
        return client.Get(target.c_str());
    }

    QTemporaryDir m_root;
    FirebirdServer m_firebird;
    catalog::CatalogLocation m_master;
    ChangedCopySummary m_changes;
    std::unique_ptr<ServerProcess> m_servers[2];
    int m_catalogPort = 0;
    int m_updatePort = 0;
    std::unique_ptr<NginxProcess> m_nginx;
};

TEST_F(BehindNginx, AProgramSynchronisesThroughTheCacheAndSeesTheNextPublication)
{
    const ApplicationCopy seat(m_root.path() + "/seat", {"KATALOG.GDB"});
    const catalog::CatalogLocation seatCatalog = catalog::CatalogLocation::localFile(seat.catalog());
    synchronise(seat);

    const QStringList changed = column(m_master, "select id from item where update_time > '2025-01-01'");
    ASSERT_EQ(changed.size(), m_changes.changedItems);
    for (const QString& id : changed) {
        const QString weight = "select total_weight from item where id = " + id;
        EXPECT_EQ(column(seatCatalog, weight), column(m_master, weight)) << id.toStdString();
    }
    EXPECT_EQ(column(seatCatalog, "select count(*) from item where id = ?", {m_changes.deletedItemId}),
              QStringList{"0"});
    EXPECT_EQ(column(seatCatalog, "select count(*) from item_code where id = ?", {m_changes.addedCodeId}),
              QStringList{"1"});
    const QStringList pictures = column(m_master, "select distinct p.picture_url from item_pictures p join item i on "
                                                  "i.id = p.item_id where i.update_time > '2025-01-01'");
    ASSERT_FALSE(pictures.isEmpty());
    for (const QString& name : pictures)
        EXPECT_EQ(readAll(seat.dir() + "images/" + name), "JPEG " + name.toUtf8()) << name.toStdString();
    EXPECT_TRUE(accessLog().contains("GET /velkorn.INF HTTP/1.1\" 200")) << accessLog().toStdString();
    // Both servers answered, and the thumbnails never reached them.
    for (auto& server : m_servers) {
        EXPECT_TRUE(server->output().contains("GET /common/item.php")) << server->output().toStdString();
        EXPECT_FALSE(server->output().contains("/images/"));
    }

    // The same feed request again comes from the cache.
    const std::string target = "/common/item.php?t=2&ut=2000-01.01%2000:00:00";
    const auto first = feed(target);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->get_header_value("X-Cache"), "MISS");
    const auto second = feed(target);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->get_header_value("X-Cache"), "HIT");
    EXPECT_EQ(second->body, first->body);
    EXPECT_EQ(m_servers[0]->output().count("feed t=2 ut=\"2000-01.01 00:00:00\"") +
                  m_servers[1]->output().count("feed t=2 ut=\"2000-01.01 00:00:00\""),
              1);

    // A publication: one item changed once more, later than everything before it.
    const int item = column(m_master, "select max(id) from item").value(0).toInt();
    column(
        m_master,
        "update item set total_weight = 42.5, update_time = dateadd(2 second to (select max(update_time) from item)) "
        "where id = ?",
        {item});
    EXPECT_TRUE(waitUntil(
        [&] {
            const auto now = feed(target);
            return now && now->body != first->body;
        },
        5000));
    synchronise(seat);
    EXPECT_EQ(column(seatCatalog, "select total_weight from item where id = ?", {item}), QStringList{"42.5"});
}

} // namespace
