#include "TestCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/QueryTableModel.h"
#include "catalog/TQuery.h"

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <gtest/gtest.h>

using catalog::TQuery;

namespace {

class QueryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (int id = 1; id <= 3; ++id)
            catalog.addCodeType(id, QStringLiteral("P%1").arg(id), QStringLiteral("Type %1").arg(id));
        query.setDatabase(catalog.db());
        query.setSql({QStringLiteral("select code_type_id, type from item_code_type"),
                      QStringLiteral("where code_type_id >= :Low order by code_type_id")});
        query.setParam(QStringLiteral("low"), 1);
    }

    TestCatalog catalog;
    TQuery query;
};

} // namespace

// The list protocol depends on this order: no scroll handling until the open is complete, then exactly one.
TEST_F(QueryTest, OpenRunsHandlersInOrderWithCalculatedFields)
{
    QStringList log;
    query.addCalcField(QStringLiteral("label"));
    query.setBeforeOpen([&](TQuery& q) { log << QStringLiteral("before active=%1").arg(q.isActive()); });
    query.setCalcFields([&](TQuery& q) {
        log << QStringLiteral("calc");
        q.setField(QStringLiteral("label"), q.field(QStringLiteral("TYPE")).toString() + QStringLiteral("!"));
    });
    query.setAfterOpen([&](TQuery& q) { log << QStringLiteral("after rows=%1").arg(q.recordCount()); });
    query.setAfterScroll([&](TQuery& q) { log << QStringLiteral("scroll %1").arg(q.recNo()); });
    query.open();

    EXPECT_EQ(log, (QStringList{"before active=0", "calc", "calc", "calc", "after rows=3", "scroll 0"}));
    EXPECT_EQ(query.field(QStringLiteral("label")).toString(), QStringLiteral("Type 1!"));
    EXPECT_EQ(query.field(QStringLiteral("Code_Type_Id")).toInt(), 1);
    EXPECT_THROW(query.field(QStringLiteral("nope")), std::invalid_argument);

    log.clear();
    query.setParam(QStringLiteral("LOW"), 99);
    query.open();
    EXPECT_EQ(log, (QStringList{"before active=0", "after rows=0"}));
    EXPECT_TRUE(query.isActive());
    EXPECT_TRUE(query.bof());
    EXPECT_TRUE(query.eof());
    EXPECT_FALSE(query.field(QStringLiteral("TYPE")).isValid());
}

TEST_F(QueryTest, MovesStopAtTheEndsWithoutScrollHandling)
{
    int scrolls = 0;
    query.setAfterScroll([&](TQuery&) { ++scrolls; });
    query.open();
    EXPECT_EQ(scrolls, 1);
    EXPECT_TRUE(query.bof());
    query.prior();
    EXPECT_EQ(scrolls, 1);
    query.next();
    query.next();
    EXPECT_EQ(query.recNo(), 2);
    EXPECT_TRUE(query.eof());
    EXPECT_FALSE(query.bof());
    query.next();
    EXPECT_EQ(scrolls, 3);
    EXPECT_FALSE(query.moveTo(3));
    query.first();
    EXPECT_EQ(query.field(QStringLiteral("TYPE")).toString(), QStringLiteral("Type 1"));
    EXPECT_EQ(scrolls, 4);

    query.close();
    query.next();
    EXPECT_EQ(scrolls, 4);
    EXPECT_EQ(query.recNo(), -1);
    EXPECT_FALSE(query.field(QStringLiteral("TYPE")).isValid());
}

TEST_F(QueryTest, FailedOpenThrowsTheDatabaseMessageAndStaysClosed)
{
    query.open();
    query.setSql({QStringLiteral("select no_such_column from item_code_type")});
    bool afterOpen = false;
    query.setAfterOpen([&](TQuery&) { afterOpen = true; });
    try {
        query.open();
        FAIL() << "bad statement opened";
    } catch (const catalog::DatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("NO_SUCH_COLUMN"), Qt::CaseInsensitive))
            << qPrintable(e.message());
    }
    EXPECT_FALSE(afterOpen);
    EXPECT_FALSE(query.isActive());
    EXPECT_EQ(query.recordCount(), 0);
}

TEST(QueryParameters, PlaceholdersInsideQuotesAreLeftAlone)
{
    QStringList names;
    const QString sql = catalog::positionalSql(
        QStringLiteral("select ':skip' from t where a=:first and b like :CODE and c=':x' and d=:first"), &names);
    EXPECT_EQ(sql, QStringLiteral("select ':skip' from t where a=? and b like ? and c=':x' and d=?"));
    EXPECT_EQ(names, (QStringList{"first", "CODE", "first"}));
}

// Grids bind to any query through the model; selection and the query's current row follow each other.
TEST_F(QueryTest, TableModelFollowsQueryAndSelection)
{
    catalog::QueryTableModel model(&query);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    QItemSelectionModel selection(&model);
    model.attachSelectionModel(&selection);
    model.setHeaderCaption(QStringLiteral("type"), QStringLiteral("Name"));

    EXPECT_EQ(model.rowCount(), 0);
    query.open();
    ASSERT_EQ(model.rowCount(), 3);
    ASSERT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("CODE_TYPE_ID"));
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("Name"));
    EXPECT_EQ(model.data(model.index(2, 1)).toString(), QStringLiteral("Type 3"));
    EXPECT_EQ(selection.currentIndex().row(), 0);

    int scrolls = 0;
    query.setAfterScroll([&](TQuery&) { ++scrolls; });
    selection.setCurrentIndex(model.index(2, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(query.recNo(), 2);
    EXPECT_EQ(scrolls, 1);
    query.prior();
    EXPECT_EQ(selection.currentIndex().row(), 1);
    EXPECT_EQ(scrolls, 2);

    query.close();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0);
}

// Message lookup may end an operation by throwing (silent cancellation) from inside calcFields.
TEST_F(QueryTest, ThrowingCalcFieldsLeavesTheQueryClosedAndViewsConsistent)
{
    catalog::QueryTableModel model(&query);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
    query.addCalcField(QStringLiteral("label"));
    query.setCalcFields([](TQuery&) { throw std::runtime_error("cancelled"); });
    EXPECT_THROW(query.open(), std::runtime_error);
    EXPECT_FALSE(query.isActive());
    EXPECT_EQ(model.rowCount(), 0);
    query.setCalcFields({});
    query.open();
    EXPECT_EQ(model.rowCount(), 3);
}

// An open prepares its statement once per transaction and runs it again with new values; a row another connection
// commits is seen once this connection's transaction has ended, by commitTransaction() or by anyone's commit.
TEST_F(QueryTest, OpenedAgainWithNewValuesAndAfterTheTransactionEnds)
{
    auto commitElsewhere = [this](int id) {
        {
            QSqlDatabase other = catalog::openDatabase(catalog.databasePath(), QStringLiteral("other"));
            catalog::runQuery(other, QStringLiteral("insert into item_code_type (code_type_id, type) values (?, ?)"),
                              {id, QStringLiteral("Type %1").arg(id)});
            catalog::commitTransaction(other);
        }
        catalog::closeDatabase(QStringLiteral("other"));
    };
    query.open();
    EXPECT_EQ(query.recordCount(), 3);
    query.setParam(QStringLiteral("low"), 3);
    query.open();
    EXPECT_EQ(query.recordCount(), 1);

    commitElsewhere(4);
    query.open();
    EXPECT_EQ(query.recordCount(), 1) << "the transaction's snapshot";
    QSqlDatabase db = catalog.db();
    ASSERT_TRUE(db.commit());
    query.open();
    EXPECT_EQ(query.recordCount(), 2);

    commitElsewhere(5);
    ASSERT_TRUE(catalog::commitTransaction(db));
    query.open();
    EXPECT_EQ(query.recordCount(), 3);
}
