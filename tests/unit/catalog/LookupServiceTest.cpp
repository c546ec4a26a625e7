#include "DemoCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/CodeIndex.h"
#include "catalog/LookupChannel.h"
#include "catalog/LookupService.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <QLocalSocket>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

using catalog::CodeHit;
using catalog::CodeIndex;
using catalog::LookupService;
namespace channel = catalog::lookupchannel;

namespace {

QStringList rows(const channel::Answers& answers)
{
    QStringList all;
    for (const QVector<CodeHit>& hits : answers) {
        for (const CodeHit& h : hits)
            all << QStringLiteral("%1|%2|%3|%4|%5").arg(h.code, h.type, h.ownCode).arg(h.itemId).arg(h.codeTypeId);
        all << QStringLiteral("--");
    }
    return all;
}

// The index of a small demo catalog, and a socket path in a private folder of the test.
class LookupServiceTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        static QTemporaryDir dir;
        catalog::DemoCatalogOptions options;
        options.filePath = dir.filePath(QStringLiteral("KATALOG.GDB"));
        options.items = 60;
        options.forcedWrites = false;
        catalog::generateDemoCatalog(options);
        const QString connection = QStringLiteral("lookup-service");
        {
            const QSqlDatabase db = catalog::openDatabase(options.filePath, connection);
            s_index = std::make_shared<const CodeIndex>(CodeIndex::load(db));
            QSqlQuery q = catalog::runQuery(db, QStringLiteral("select search_code from item_code where item_id = 5"));
            while (q.next())
                s_texts << q.value(0).toString();
        }
        catalog::closeDatabase(connection);
        // A whole code, a piece of one, a wildcard, and one no item has.
        s_texts << s_texts.first().left(3) << QStringLiteral("1_") << QStringLiteral("nosuchcode");
    }

    channel::Answers expected() const
    {
        channel::Answers answers;
        for (const QString& text : s_texts)
            answers << s_index->search(text);
        return answers;
    }

    QTemporaryDir m_dir;
    QString m_path = m_dir.filePath(QStringLiteral("catalog-test"));
    static inline std::shared_ptr<const CodeIndex> s_index;
    static inline QStringList s_texts;
};

// A lookup while the program is open must print what it would print from the catalog: the index's own hits, in its
// order. Without an index (still building), or from a second program of the catalog, nothing answers, and the command
// reads the catalog; a socket file a killed program left does not keep the next one from serving.
TEST_F(LookupServiceTest, AnswersAreTheIndexSearchOnceAnIndexIsInHand)
{
    ASSERT_TRUE(platform::writeNewFile(m_path, {})); // left behind
    LookupService service;
    ASSERT_TRUE(service.start(m_path));
    EXPECT_FALSE(channel::ask(m_path, s_texts, 2000)) << "answered without an index";
    LookupService second;
    EXPECT_FALSE(second.start(m_path));

    service.setIndex(s_index);
    const std::optional<channel::Answers> answers = channel::ask(m_path, s_texts, 2000);
    ASSERT_TRUE(answers);
    EXPECT_EQ(rows(*answers), rows(expected()));
    EXPECT_GT(answers->first().size(), 0);
    EXPECT_TRUE(answers->last().isEmpty());
    // More rows than an answer carries: refused, the catalog answers instead.
    EXPECT_FALSE(channel::ask(m_path, QStringList(channel::kMaxTexts, QStringLiteral("%")), 5000));

    service.stop();
    EXPECT_FALSE(QFile::exists(m_path));
    EXPECT_FALSE(channel::ask(m_path, s_texts, 2000));
}

// The same user's processes, but nothing they send may crash or hold up the program: an oversized or garbled frame is
// hung up on, a client that stalls does not keep others from their answers, and a cut-short or garbled answer is no
// answer at all.
TEST_F(LookupServiceTest, OddClientsAndAnswersAreRefused)
{
    LookupService service;
    service.setIndex(s_index);
    ASSERT_TRUE(service.start(m_path));

    QLocalSocket stalled;
    stalled.connectToServer(m_path);
    ASSERT_TRUE(stalled.waitForConnected(2000));
    stalled.write("\0\0", 2);
    stalled.flush();

    const QByteArray request = channel::encodeRequest(s_texts);
    for (const QByteArray& bytes : {QByteArray("\xff\xff\xff\xff", 4) + request, channel::frame("garbage"),
                                    channel::frame(request.left(request.size() - 1)), channel::frame(request) + "x",
                                    channel::frame(channel::encodeRequest(QStringList(1001, QStringLiteral("a"))))}) {
        QLocalSocket odd;
        odd.connectToServer(m_path);
        ASSERT_TRUE(odd.waitForConnected(2000));
        odd.write(bytes);
        QByteArray received;
        while (odd.waitForReadyRead(2000))
            received += odd.readAll();
        received += odd.readAll();
        EXPECT_EQ(odd.state(), QLocalSocket::UnconnectedState);
        EXPECT_TRUE(received.isEmpty()) << "answered " << bytes.left(40).toHex().constData();
    }
    const std::optional<channel::Answers> answers = channel::ask(m_path, s_texts, 2000);
    ASSERT_TRUE(answers) << "a stalled client held up the others";
    EXPECT_EQ(rows(*answers), rows(expected()));

    const QByteArray body = channel::encodeAnswer(expected());
    ASSERT_TRUE(channel::decodeAnswer(body, int(s_texts.size())));
    EXPECT_FALSE(channel::decodeAnswer(body, int(s_texts.size()) + 1));
    for (qsizetype cut = 0; cut < body.size(); cut += 7)
        EXPECT_FALSE(channel::decodeAnswer(body.left(cut), int(s_texts.size()))) << cut;
    EXPECT_FALSE(channel::decodeAnswer(body + "x", int(s_texts.size())));
    QByteArray claimsMany = channel::encodeAnswer({{}});
    claimsMany.replace(claimsMany.size() - 4, 4, QByteArray("\x7f\xff\xff\xff", 4));
    EXPECT_FALSE(channel::decodeAnswer(claimsMany, 1));
    // Rows the program would have refused to send, though all there.
    const QVector<CodeHit> half(channel::kMaxRows / 2);
    EXPECT_TRUE(channel::decodeAnswer(channel::encodeAnswer({half, half}), 2));
    EXPECT_FALSE(channel::decodeAnswer(channel::encodeAnswer({half, half + QVector<CodeHit>(1)}), 2));
}

} // namespace
