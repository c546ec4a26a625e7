#include "TestCatalog.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/DatabaseCreator.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using catalog::DatabaseError;

// Start-up relies on a failed open leaving nothing behind: no file, no half-registered connection.
TEST(CatalogDatabase, OpenFailsCleanlyWithoutCreatingAnything)
{
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("KATALOG.GDB"));
    EXPECT_THROW(catalog::openDatabase(missing, QStringLiteral("missing")), DatabaseError);
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(QSqlDatabase::contains(QStringLiteral("missing")));

    const QString junk = dir.filePath(QStringLiteral("junk.gdb"));
    QFile file(junk);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray garbage(16384, 'x');
    file.write(garbage);
    file.close();
    try {
        catalog::openDatabase(junk, QStringLiteral("junk"));
        FAIL() << "a file that is not a database opened";
    } catch (const DatabaseError& e) {
        EXPECT_FALSE(e.message().isEmpty());
    }
    EXPECT_FALSE(QSqlDatabase::contains(QStringLiteral("junk")));
    QFile check(junk);
    ASSERT_TRUE(check.open(QIODevice::ReadOnly));
    EXPECT_EQ(check.readAll(), garbage);

    EXPECT_THROW(catalog::openDatabase(dir.path(), QStringLiteral("directory")), DatabaseError);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{"junk.gdb"});
}

TEST(CatalogDatabase, CreateRefusesAnExistingFile)
{
    TestCatalog catalog;
    catalog.addCodeType(1, QStringLiteral("VLK"), QStringLiteral("Velkorn"));
    EXPECT_THROW(catalog::createDatabase(catalog.databasePath()), DatabaseError);
    QSqlQuery query(catalog.db());
    ASSERT_TRUE(query.exec(QStringLiteral("select count(*) from item_code_type")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toInt(), 1);
}

// The item view reads "item.*"; every column must exist, also those nothing shows, and the date reads back with
// its time of day.
TEST(CatalogDatabase, SchemaHoldsEveryColumnAndDateTimes)
{
    TestCatalog catalog;
    QSqlQuery query(catalog.db());
    ASSERT_TRUE(query.exec(QStringLiteral("select item.* from item")));
    const QStringList expected = {"ID",
                                  "TOTAL_WEIGHT",
                                  "OPERATION_PRESSURE_DEFAULT",
                                  "OPERATION_PRESSURE_MAX",
                                  "OPERATION_PRESSURE_MIN",
                                  "OPERATION_SPACE",
                                  "ASSEMBLY_HEIGHT",
                                  "PISTON_TYPE",
                                  "LOADING_CAPACITY",
                                  "TYPE",
                                  "STUD",
                                  "DIAMETER_BETWEEN_STUDS",
                                  "BOLT",
                                  "DIAMETER_BETWEEN_BOLTS",
                                  "UPDATE_TIME",
                                  "VEHICLE1",
                                  "VEHICLE2"};
    QStringList names;
    for (int i = 0; i < query.record().count(); ++i)
        names << query.record().fieldName(i);
    EXPECT_EQ(names, expected);

    const QDateTime when(QDate(2024, 5, 6), QTime(13, 14, 15));
    catalog.exec(QStringLiteral("insert into params (last_update) values (?)"), {when});
    ASSERT_TRUE(query.exec(QStringLiteral("select last_update from params")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toDateTime(), when);

    ASSERT_TRUE(query.exec(QStringLiteral("select mon$sql_dialect from mon$database")));
    ASSERT_TRUE(query.next());
    EXPECT_EQ(query.value(0).toInt(), 1);

    // No referential constraint: codes and pictures of an unknown item are accepted.
    catalog.addCode(999, 5, QStringLiteral("X-1"));
    catalog.addPicture(999, QStringLiteral("a.jpg"));
}

TEST(CatalogDatabase, ScriptSplittingKeepsQuotedSemicolonsAndDropsComments)
{
    const QStringList statements = catalog::splitSqlScript(
        QStringLiteral("/* a; b */ create table t (a int); -- x; y\ninsert into t values ('p;q');\n\n"));
    ASSERT_EQ(statements.size(), 2);
    EXPECT_EQ(statements.at(0), QStringLiteral("create table t (a int)"));
    EXPECT_EQ(statements.at(1), QStringLiteral("insert into t values ('p;q')"));
    EXPECT_GE(catalog::schemaStatements().size(), 5);
}
