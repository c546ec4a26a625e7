#include "DemoCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/SearchCode.h"

#include <QRegularExpression>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Every row of the tables the browsing reads, as text, in key order.
QStringList dump(const QString& path)
{
    QStringList rows;
    {
        QSqlDatabase db = catalog::openDatabase(path, QStringLiteral("dump"));
        QSqlQuery query(db);
        for (const char* sql : {"select * from item order by id", "select * from item_code order by id",
                                "select * from item_pictures order by id", "select * from item_code_type"}) {
            EXPECT_TRUE(query.exec(QString::fromLatin1(sql)));
            while (query.next()) {
                QStringList fields;
                for (int i = 0; i < query.record().count(); ++i)
                    fields << query.value(i).toString();
                rows << fields.join(QLatin1Char('|'));
            }
        }
    }
    catalog::closeDatabase(QStringLiteral("dump"));
    return rows;
}

} // namespace

// The shipped catalog is rebuilt by every build: the same seed must give the same rows, and the rows must keep
// the invariants the lists and the search rely on.
TEST(DemoCatalog, SameSeedSameRowsAndInvariantsHold)
{
    QTemporaryDir dir;
    catalog::DemoCatalogOptions options;
    options.items = 40;
    options.seed = 3;
    options.forcedWrites = false;
    options.filePath = dir.filePath(QStringLiteral("a.gdb"));
    const catalog::DemoCatalogSummary summary = catalog::generateDemoCatalog(options);
    options.filePath = dir.filePath(QStringLiteral("b.gdb"));
    catalog::generateDemoCatalog(options);
    EXPECT_EQ(summary.items, 40);
    EXPECT_GT(summary.codes, 40 * 5);
    EXPECT_EQ(dump(dir.filePath(QStringLiteral("a.gdb"))), dump(dir.filePath(QStringLiteral("b.gdb"))));
    EXPECT_THROW(catalog::generateDemoCatalog(options), catalog::DatabaseError); // never overwrites

    QSqlDatabase db = catalog::openDatabase(dir.filePath(QStringLiteral("a.gdb")), QStringLiteral("demo"));
    {
        QSqlQuery query(db);
        ASSERT_TRUE(query.exec(QStringLiteral("select count(*) from item i where (select count(*) from item_code c "
                                              "where c.item_id = i.id and c.code_type_id = 1) <> 1")));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 0) << "items without exactly one own code";

        ASSERT_TRUE(query.exec(QStringLiteral("select code, search_code from item_code")));
        while (query.next())
            EXPECT_EQ(query.value(1).toString(), catalog::normaliseSearchText(query.value(0).toString()));

        ASSERT_TRUE(query.exec(QStringLiteral("select count(*) from item where piston_type not between 1 and 6 or "
                                              "type not between 1 and 8 or vehicle1 not between 1 and 4")));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 0);

        const QRegularExpression pictureName(QStringLiteral("^style([1-8])_[1-3]\\.jpg$"));
        ASSERT_TRUE(query.exec(
            QStringLiteral("select p.picture_url, i.type from item_pictures p join item i on i.id = p.item_id")));
        while (query.next()) {
            const auto match = pictureName.match(query.value(0).toString());
            ASSERT_TRUE(match.hasMatch()) << qPrintable(query.value(0).toString());
            EXPECT_EQ(match.captured(1).toInt(), query.value(1).toInt());
        }
        ASSERT_TRUE(query.exec(QStringLiteral("select count(*) from params")));
        ASSERT_TRUE(query.next());
        EXPECT_EQ(query.value(0).toInt(), 1);
    }
    db = QSqlDatabase();
    catalog::closeDatabase(QStringLiteral("demo"));
}
