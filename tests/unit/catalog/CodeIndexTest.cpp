#include "DemoCatalog.h"
#include "TestCatalog.h"

#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CodeIndex.h"
#include "catalog/SearchCode.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using catalog::CodeHit;
using catalog::CodeIndex;
using catalog::CodeRecord;

namespace {

using Row = std::tuple<QString, QString, int>; // type, code, item

std::vector<Row> sorted(std::vector<Row> rows)
{
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::vector<Row> indexRows(const CodeIndex& index, const QString& normalised)
{
    std::vector<Row> rows;
    for (const CodeHit& h : index.search(normalised))
        rows.emplace_back(h.type, h.code, h.itemId);
    return rows;
}

// Every field of every hit, in the index's order.
QStringList hitTexts(const CodeIndex& index, const QString& normalised)
{
    QStringList hits;
    for (const CodeHit& h : index.search(normalised))
        hits << QStringLiteral("%1|%2|%3|%4|%5").arg(h.code, h.type, h.ownCode).arg(h.itemId).arg(h.codeTypeId);
    return hits;
}

std::vector<Row> queryRows(const catalog::TQuery& q)
{
    std::vector<Row> rows;
    for (int r = 0; r < q.recordCount(); ++r)
        rows.emplace_back(q.value(r, 0).toString(), q.value(r, 1).toString(), q.value(r, 2).toInt());
    return rows;
}

QStringList codesOf(const QVector<CodeHit>& hits)
{
    QStringList codes;
    for (const CodeHit& h : hits)
        codes << h.code;
    return codes;
}

CodeRecord record(int id, int item, int type, const QString& code, const QString& searchCode = QString())
{
    CodeRecord r;
    r.id = id;
    r.itemId = item;
    r.codeTypeId = type;
    r.code = code;
    r.searchCode = searchCode.isNull() ? catalog::normaliseSearchText(code) : searchCode;
    return r;
}

bool waitFor(const std::function<bool()>& condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 20000) {
        QCoreApplication::processEvents();
        QThread::msleep(5);
    }
    return condition();
}

// Codes the generator never makes but a feed may deliver: Turkish and other non-ASCII letters, a character
// outside the 16-bit range, capitals and blanks kept in the search code, stored wildcards, the longest search
// code, null and empty search codes, and rows that the search statement's joins drop or double.
void addAwkwardRows(const QSqlDatabase& db)
{
    QSqlQuery q(db);
    auto exec = [&](const QString& sql, const QVariantList& values) {
        ASSERT_TRUE(q.prepare(sql));
        for (const QVariant& v : values)
            q.addBindValue(v);
        ASSERT_TRUE(q.exec()) << qPrintable(catalog::errorText(q.lastError()));
    };
    const QString insertCode =
        QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) values (?, ?, ?, ?, ?)");
    exec(QStringLiteral("insert into item_code_type (code_type_id, prefix, type) values (?, ?, ?)"),
         {40, QStringLiteral("TR"), QString::fromUtf8("Türk Körük Şirketi")});
    for (int id : {9001, 9002, 9003})
        exec(QStringLiteral("insert into item (id, type) values (?, 1)"), {id});
    int codeId = 900000;
    const QVariant null(QMetaType::fromType<QString>());
    const QList<QVariantList> rows = {
        {9001, 1, QStringLiteral("VK 9001"), QStringLiteral("vk9001")},
        {9001, 1, QStringLiteral("VK 9001 B"), QStringLiteral("vk9001b")}, // a second own code: rows double
        {9001, 40, QString::fromUtf8("İŞÇ-12ğ"), QString::fromUtf8("İŞÇ12ğ")},
        {9001, 40, QString::fromUtf8("ışık 5"), QString::fromUtf8("ışık5")},
        {9001, 40, QString::fromUtf8("é𝔸ü-7"), QString::fromUtf8("é𝔸ü7")},
        {9001, 7, QStringLiteral("ABc 123"), QStringLiteral("ABc123")},
        {9001, 7, QStringLiteral("abc12 "), QStringLiteral("abc12 ")},
        {9001, 7, QStringLiteral("a%b_c"), QStringLiteral("a%b_c")},
        {9001, 7, QStringLiteral("LONG"), QStringLiteral("0123456789abcdefghij").repeated(3) + QStringLiteral("wxyz")},
        {9001, 7, QStringLiteral("NULL SEARCH"), null},
        {9001, 7, QStringLiteral("EMPTY SEARCH"), QString(QLatin1String(""))},
        {9002, 7, QStringLiteral("NO OWN 412"), QStringLiteral("noown412")}, // item without a type-1 code
        {9999, 1, QStringLiteral("VK 9999"), QStringLiteral("vk9999")},      // item missing from ITEM
        {9003, 1, QStringLiteral("VK 9003"), QStringLiteral("vk9003")},
        {9003, 77, QStringLiteral("UNKNOWN 412"), QStringLiteral("unknown412")}, // code type missing
    };
    for (const QVariantList& r : rows)
        exec(insertCode, QVariantList{++codeId} + r);
    // Many-byte letters beside one-byte ones, so that '_' (one character) and byte counts differ often.
    const QStringList letters = QString::fromUtf8("İ Ş Ç Ğ Ö Ü ı ş ç ğ ö ü é 𝔸 0 1 2 3 a b").split(QLatin1Char(' '));
    std::mt19937 rng(7);
    for (int i = 0; i < 60; ++i) {
        QString code;
        const int length = 3 + int(rng() % 8);
        for (int k = 0; k < length; ++k)
            code += letters.at(int(rng() % letters.size()));
        exec(insertCode, {++codeId, i % 2 ? 9001 : 9003, 40, code, code});
    }
    exec(QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) values (?, null, 7, "
                        "'NULL ITEM', 'nullitem412')"),
         {++codeId});
}

QString randomFragment(std::mt19937& rng, const QStringList& searchCodes)
{
    static const QStringList alphabet =
        QString::fromUtf8("0 1 2 3 4 5 6 7 8 9 a b c k v x z İ Ş Ç ğ ı ş ü é 𝔸 % _").split(QLatin1Char(' '));
    auto pick = [&](int n) { return int(std::uniform_int_distribution<int>(0, n - 1)(rng)); };
    QString f;
    const int kind = pick(10);
    if (kind < 6) {
        // Half of them from the rare many-byte codes, which come last.
        const QString code =
            searchCodes.at(pick(2) ? pick(int(searchCodes.size())) : int(searchCodes.size()) - 1 - pick(60));
        const int start = pick(std::max(1, int(code.size())));
        f = code.mid(start, 1 + pick(6));
        if (f.isEmpty())
            f = code;
        // Wildcards in place of characters and between them.
        for (int i = 0; i < f.size(); ++i)
            if (pick(6) == 0 && !f.at(i).isSurrogate())
                f[i] = pick(2) ? QLatin1Char('_') : QLatin1Char('%');
        if (pick(5) == 0)
            f.insert(pick(int(f.size()) + 1), QLatin1Char('%'));
    } else if (kind < 9) {
        const int length = 1 + pick(4);
        for (int i = 0; i < length; ++i)
            f += alphabet.at(pick(int(alphabet.size())));
    } else {
        // Longer than any search code, or just fitting: the database must get the same rows from these.
        switch (pick(5)) {
        case 0:
            f = QString(65 + pick(10), QLatin1Char('_'));
            break;
        case 1:
            f = QString(64, QLatin1Char('_'));
            break;
        case 2:
            f = QStringLiteral("0123456789abcdefghij").repeated(3) + QStringLiteral("wxyz");
            if (pick(2))
                f += QLatin1Char('z');
            break;
        case 3:
            f = QStringLiteral("%").repeated(70) + QStringLiteral("4");
            break;
        default:
            f = QStringLiteral("_%").repeated(33);
            break;
        }
    }
    return f;
}

} // namespace

// The index must give exactly the rows the search statement gives, on the engine's own LIKE: wildcards, non-ASCII
// letters and overlong patterns included. Row order is compared apart; the statement imposes none. An index of only
// the codes that match (velkorn-lookup's for a few codes), and one with the piece table (for a batch), must answer
// exactly as the whole one, in the same order.
TEST(CodeIndexEquality, RandomFragmentsGiveTheDatabaseRows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    catalog::DemoCatalogOptions options;
    options.filePath = dir.filePath(QStringLiteral("KATALOG.GDB"));
    options.items = 120;
    options.seed = 11;
    options.forcedWrites = false;
    catalog::generateDemoCatalog(options);

    const QString connection = QStringLiteral("index-equality");
    QSqlDatabase db = catalog::openDatabase(options.filePath, connection);
    addAwkwardRows(db);
    QStringList searchCodes;
    {
        QSqlQuery q(db);
        ASSERT_TRUE(
            q.exec(QStringLiteral("select search_code from item_code where search_code is not null order by id")));
        while (q.next())
            searchCodes << q.value(0).toString();
    }
    const CodeIndex index = CodeIndex::load(db);
    CodeIndex withPieces = index;
    withPieces.addPieceTable();
    {
        catalog::CatalogBrowser browser(connection, dir.path(), [](const QString& key) { return key; });
        std::mt19937 rng(20240601);
        int compared = 0;
        int withHits = 0;
        for (int i = 0; i < 2000; ++i) {
            const QString fragment = randomFragment(rng, searchCodes);
            const QString normalised = catalog::normaliseSearchText(fragment);
            if (!browser.btnSearchClick(fragment))
                continue;
            const std::vector<Row> expected = sorted(queryRows(*browser.qrySearch));
            ASSERT_EQ(sorted(indexRows(index, normalised)), expected) << "fragment: " << qPrintable(fragment);
            ASSERT_EQ(hitTexts(withPieces, normalised), hitTexts(index, normalised))
                << "fragment: " << qPrintable(fragment);
            if (i % 10 == 0)
                ASSERT_EQ(hitTexts(CodeIndex::loadMatching(db, {normalised, QStringLiteral("zz%")}), normalised),
                          hitTexts(index, normalised))
                    << "fragment: " << qPrintable(fragment);
            ++compared;
            withHits += expected.empty() ? 0 : 1;
        }
        // The comparison means something only if many fragments found rows and many found none.
        EXPECT_GT(compared, 1600);
        EXPECT_GT(withHits, 800);
        EXPECT_LT(withHits, compared - 200);
    }
    db = QSqlDatabase();
    catalog::closeDatabase(connection);
}

TEST(CodeIndex, HitsStartingWithTheTextComeFirstThenByCode)
{
    const CodeIndex index = CodeIndex::build(
        {record(1, 1, 1, QStringLiteral("VK-1")), record(2, 1, 2, QStringLiteral("XB-100")),
         record(3, 1, 2, QStringLiteral("100-A")), record(4, 1, 3, QStringLiteral("A100")),
         record(5, 1, 3, QStringLiteral("100")), record(6, 1, 2, QStringLiteral("1 00 Z"))},
        {1}, {{1, QStringLiteral("Velkorn")}, {2, QStringLiteral("Dorvan")}, {3, QStringLiteral("Sulvane")}});
    EXPECT_EQ(codesOf(index.search(QStringLiteral("100"))), (QStringList{"1 00 Z", "100", "100-A", "A100", "XB-100"}));
    int total = 0;
    EXPECT_EQ(codesOf(index.search(QStringLiteral("100"), 2, &total)), (QStringList{"1 00 Z", "100"}));
    EXPECT_EQ(total, 5); // the rows beyond the limit are counted all the same
    // A text that begins with '%' starts every code it is found in.
    EXPECT_EQ(codesOf(index.search(QStringLiteral("%0a"))), (QStringList{"100-A"}));
    EXPECT_EQ(codesOf(index.search(QStringLiteral("_1"))), (QStringList{"A100", "VK-1", "XB-100"}));

    const QVector<CodeHit> hits = index.search(QStringLiteral("xb"));
    ASSERT_EQ(hits.size(), 1);
    EXPECT_EQ(hits[0].type, QStringLiteral("Dorvan"));
    EXPECT_EQ(hits[0].ownCode, QStringLiteral("VK-1"));
    EXPECT_EQ(hits[0].itemId, 1);
    EXPECT_EQ(index.count(QStringLiteral("100")), 5);
}

// '_' stands for one character, however many bytes it takes; nothing is folded, not even the case of A-Z.
TEST(CodeIndex, UnderscoreIsOneCharacterAndCaseCounts)
{
    const CodeIndex index = CodeIndex::build({record(1, 1, 1, QStringLiteral("OWN")),
                                              record(2, 1, 2, QString::fromUtf8("İa"), QString::fromUtf8("İa")),
                                              record(3, 1, 2, QStringLiteral("Xb"), QStringLiteral("Xb"))},
                                             {1}, {{1, QStringLiteral("Velkorn")}, {2, QStringLiteral("Dorvan")}});
    EXPECT_EQ(index.count(QStringLiteral("_a")), 1);
    EXPECT_EQ(index.count(QStringLiteral("__a")), 0);
    EXPECT_EQ(index.count(QString::fromUtf8("i̇a")), 0);
    EXPECT_EQ(index.count(QStringLiteral("xb")), 0);
    EXPECT_EQ(index.count(QStringLiteral("Xb")), 1);
    EXPECT_EQ(index.count(QStringLiteral("%")), 3);
}

// The window's search reads the index once it is ready, and a committed synchronisation makes it read the catalog
// again: the new code is found, first by the database while the index is rebuilt, then by the new index.
TEST(BackgroundCodeIndex, SearchUsesTheIndexAndCloseAllRebuildsIt)
{
    TestCatalog catalog;
    catalog.addCodeType(1, QStringLiteral("VLK"), QStringLiteral("Velkorn"));
    catalog.addCodeType(2, QStringLiteral("OEM"), QStringLiteral("Dorvan"));
    catalog.addItem(1, 1);
    catalog.addCode(1, 1, QStringLiteral("VK-1"));
    catalog.addCode(1, 2, QStringLiteral("81.436-01"));

    catalog::CatalogBrowser browser(catalog.connectionName(), catalog.appDir(), [](const QString& key) { return key; });
    catalog::BackgroundCodeIndex codeIndex(catalog::CatalogLocation::localFile(catalog.databasePath()));
    browser.setCodeIndex(&codeIndex);
    ASSERT_TRUE(browser.btnSearchClick(QStringLiteral("436")));
    const QStringList databaseFields = browser.qrySearch->fieldNames();
    const std::vector<Row> databaseRows = queryRows(*browser.qrySearch);

    codeIndex.rebuild();
    ASSERT_TRUE(waitFor([&] { return codeIndex.isReady(); }));
    ASSERT_TRUE(browser.btnSearchClick(QStringLiteral("436")));
    EXPECT_EQ(browser.qrySearch->fieldNames(), databaseFields);
    EXPECT_EQ(queryRows(*browser.qrySearch), databaseRows);
    EXPECT_EQ(browser.currentList(), browser.qrySearch);

    catalog.exec(QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) values "
                                "(700, 1, 2, 'NEW 436', 'new436')"));
    browser.closeAll();
    EXPECT_FALSE(codeIndex.isReady());
    ASSERT_TRUE(browser.btnSearchClick(QStringLiteral("new")));
    EXPECT_EQ(browser.qrySearch->recordCount(), 1);
    ASSERT_TRUE(waitFor([&] { return codeIndex.isReady(); }));
    EXPECT_EQ(codeIndex.index()->count(QStringLiteral("new")), 1);
    ASSERT_TRUE(browser.btnSearchClick(QStringLiteral("436")));
    EXPECT_EQ(browser.qrySearch->recordCount(), 2);
}

TEST(BackgroundCodeIndex, UnreadableCatalogLeavesSearchesToTheDatabase)
{
    QTemporaryDir dir;
    catalog::BackgroundCodeIndex codeIndex(
        catalog::CatalogLocation::localFile(dir.filePath(QStringLiteral("missing.gdb"))));
    QString failure;
    QObject::connect(&codeIndex, &catalog::BackgroundCodeIndex::failed, [&](const QString& m) { failure = m; });
    codeIndex.rebuild();
    ASSERT_TRUE(waitFor([&] { return !failure.isEmpty(); }));
    EXPECT_FALSE(codeIndex.isReady());
}
