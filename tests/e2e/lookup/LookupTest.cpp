#include "catalog/CatalogDatabase.h"
#include "catalog/SearchCode.h"

#include "catalog/LookupChannel.h"

#include "support/ApplicationCopy.h"
#include "support/Started.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

struct LookupRun
{
    int exitCode = -1;
    QStringList lines;
    QString errors;
};

// The lookup command on a copy of the demo catalog, which it finds beside itself unless told otherwise.
class LookupTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        copy = std::make_unique<ApplicationCopy>(dir.path() + QStringLiteral("/app"),
                                                 QStringList{QStringLiteral("KATALOG.GDB")});
        program = copy->lookup();
        catalogPath = copy->catalog();
    }

    // Item 1's own code and one of its other codes with the name of its type.
    void readItemOne()
    {
        {
            QSqlDatabase db = catalog::openDatabase(catalogPath, QStringLiteral("lookup-test"));
            QSqlQuery q(db);
            ASSERT_TRUE(q.exec(QStringLiteral("select c.code, c.code_type_id, t.type from item_code c join "
                                              "item_code_type t on t.code_type_id = c.code_type_id where "
                                              "c.item_id = 1 order by c.code_type_id desc")));
            while (q.next()) {
                if (q.value(1).toInt() == 1)
                    ownCode = q.value(0).toString();
                else if (otherCode.isEmpty()) {
                    otherCode = q.value(0).toString();
                    otherType = q.value(2).toString();
                }
            }
        }
        catalog::closeDatabase(QStringLiteral("lookup-test"));
        ASSERT_FALSE(ownCode.isEmpty());
        ASSERT_FALSE(otherCode.isEmpty());
    }

    // Gives item 2 item 1's other code too; answers item 2's own code.
    QString shareOtherCodeWithItemTwo()
    {
        QString secondOwnCode;
        {
            QSqlDatabase db = catalog::openDatabase(catalogPath, QStringLiteral("lookup-test"));
            QSqlQuery q(db);
            EXPECT_TRUE(q.exec(QStringLiteral("select code from item_code where item_id = 2 and code_type_id = 1")));
            EXPECT_TRUE(q.next());
            secondOwnCode = q.value(0).toString();
            EXPECT_TRUE(q.prepare(QStringLiteral("insert into item_code (id, item_id, code_type_id, code, search_code) "
                                                 "select max(id) + 1, 2, 2, ?, ? from item_code")));
            q.addBindValue(otherCode);
            q.addBindValue(catalog::normaliseSearchText(otherCode));
            EXPECT_TRUE(q.exec());
        }
        catalog::closeDatabase(QStringLiteral("lookup-test"));
        EXPECT_FALSE(secondOwnCode.isEmpty());
        return secondOwnCode;
    }

    // Qt's warning about a missing runtime directory would mix into the command's own messages.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = copy->environment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
        return environment;
    }

    LookupRun run(const QStringList& arguments, const QByteArray& input = {})
    {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program, arguments);
        p.write(input);
        p.closeWriteChannel();
        EXPECT_TRUE(p.waitForFinished(60000));
        LookupRun r;
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        r.errors = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    QTemporaryDir dir;
    std::unique_ptr<ApplicationCopy> copy;
    QString program;
    QString catalogPath;
    QString ownCode;
    QString otherCode;
    QString otherType;
};

TEST_F(LookupTest, PrintsOneTabSeparatedLinePerHitFromTheCatalogBesideIt)
{
    readItemOne();
    // Typed as a dealer might: other separators, other case.
    QString typed = otherCode.toLower();
    typed.replace(QLatin1Char(' '), QLatin1Char('-'));
    const LookupRun r = run({typed});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.errors);
    const QString expected = QStringList{otherCode, otherType, ownCode, QStringLiteral("1")}.join(QLatin1Char('\t'));
    EXPECT_TRUE(r.lines.contains(expected)) << qPrintable(r.lines.join(QLatin1Char('\n')));
    for (const QString& line : r.lines)
        EXPECT_EQ(line.count(QLatin1Char('\t')), 3) << qPrintable(line);
    EXPECT_TRUE(r.errors.isEmpty());
}

// A dealer system's batch: one code per line on standard input, with the blank lines and CRLF endings such files have,
// answered as the same codes on the command line are. A batch reads the whole index, a few codes only the rows that
// match them; both must say the same, in the same order.
TEST_F(LookupTest, StandardInputAnswersEveryLineAsTheCommandLineDoes)
{
    readItemOne();
    QStringList codes{otherCode.toLower(), QStringLiteral("no-such-code-zz"), QStringLiteral("vk 0001")};
    {
        QSqlDatabase db = catalog::openDatabase(catalogPath, QStringLiteral("lookup-test"));
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(QStringLiteral("select code from item_code where code_type_id = 1 and item_id <= 12")));
        while (q.next())
            codes << q.value(0).toString();
    }
    catalog::closeDatabase(QStringLiteral("lookup-test"));
    const LookupRun batch =
        run({QStringLiteral("--json"), QStringLiteral("--stdin")}, codes.join(QStringLiteral("\r\n\r\n")).toUtf8());
    EXPECT_EQ(batch.exitCode, 0) << qPrintable(batch.errors);
    QStringList expected;
    for (int i = 0; i < codes.size(); i += 4)
        expected << run(QStringList{QStringLiteral("--json")} + codes.mid(i, 4)).lines;
    EXPECT_GT(expected.size(), codes.size());
    EXPECT_EQ(batch.lines, expected);
}

TEST_F(LookupTest, JsonLinesNameTheQueryAndEveryField)
{
    readItemOne();
    const LookupRun r = run({QStringLiteral("--json"), QStringLiteral("--catalog"), catalogPath, ownCode,
                             QStringLiteral("no-such-code-zz")});
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_FALSE(r.lines.isEmpty());
    const QJsonObject first = QJsonDocument::fromJson(r.lines.first().toUtf8()).object();
    // The whole own code starts itself: it comes first.
    EXPECT_EQ(first.value(QStringLiteral("query")).toString(), ownCode);
    EXPECT_EQ(first.value(QStringLiteral("code")).toString(), ownCode);
    EXPECT_EQ(first.value(QStringLiteral("ownCode")).toString(), ownCode);
    EXPECT_EQ(first.value(QStringLiteral("itemId")).toInt(), 1);
    EXPECT_EQ(first.value(QStringLiteral("codeTypeId")).toInt(), 1);
    EXPECT_FALSE(first.value(QStringLiteral("type")).toString().isEmpty());
}

TEST_F(LookupTest, ExitStatusTellsHitsFromNoHitsFromErrors)
{
    LookupRun r = run({QStringLiteral("no-such-code-zz"), QStringLiteral(" -/")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_TRUE(r.errors.isEmpty());

    r = run({QStringLiteral("--catalog"), dir.filePath(QStringLiteral("missing.gdb")), QStringLiteral("vk")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors.count(QLatin1Char('\n')), 1) << qPrintable(r.errors);
    EXPECT_TRUE(r.errors.contains(QStringLiteral("missing.gdb")));

    QFile garbage(dir.filePath(QStringLiteral("garbage.gdb")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write(QByteArray(20000, 'x'));
    garbage.close();
    r = run({QStringLiteral("--lang"), QStringLiteral("de"), QStringLiteral("--catalog=") + garbage.fileName(),
             QStringLiteral("vk")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.errors.count(QLatin1Char('\n')), 1) << qPrintable(r.errors);
    EXPECT_TRUE(r.errors.contains(QStringLiteral("Katalog nicht lesbar")));

    for (const QStringList& wrong :
         {QStringList{}, QStringList{QStringLiteral("--lang"), QStringLiteral("fr"), QStringLiteral("vk")},
          QStringList{QStringLiteral("--catalog")}, QStringList{QStringLiteral("--verbose"), QStringLiteral("vk")}}) {
        r = run(wrong);
        EXPECT_EQ(r.exitCode, 2) << qPrintable(wrong.join(' '));
        EXPECT_TRUE(r.errors.startsWith(QStringLiteral("velkorn-lookup: usage:")));
    }
}

// A script writes a dealer's datasheet: a PDF whose text holds the item's codes in the chosen language. A code
// nobody carries gives exit status 1 and no file; a missing --out is a usage error.
TEST_F(LookupTest, WritesTheDatasheetOfTheItemACodeNames)
{
    readItemOne();
    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    LookupRun r = run({QStringLiteral("--datasheet"), otherCode, QStringLiteral("--out"), pdf, QStringLiteral("--lang"),
                       QStringLiteral("de")});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.errors);
    EXPECT_TRUE(r.lines.isEmpty());

    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-enc"), QStringLiteral("UTF-8"), pdf, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString& expected : {ownCode, otherCode, otherType, QStringLiteral("Technische Daten"),
                                    QStringLiteral("Produktdatenblatt"), QStringLiteral("Katalogstand")})
        EXPECT_TRUE(words.contains(expected)) << qPrintable(expected);

    const QString none = dir.filePath(QStringLiteral("none.pdf"));
    r = run({QStringLiteral("--datasheet=no-such-code-zz"), QStringLiteral("--out"), none});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errors, QStringLiteral("velkorn-lookup: no item has the code no-such-code-zz\n"));
    EXPECT_FALSE(QFile::exists(none));
    for (const QStringList& wrong : {QStringList{QStringLiteral("--datasheet"), ownCode},
                                     QStringList{QStringLiteral("--item"), QStringLiteral("1"), ownCode},
                                     QStringList{QStringLiteral("--datasheet"), ownCode, QStringLiteral("--item=x"),
                                                 QStringLiteral("--out"), none}}) {
        r = run(wrong);
        EXPECT_EQ(r.exitCode, 2) << qPrintable(wrong.join(' '));
        EXPECT_TRUE(r.errors.contains(QStringLiteral("velkorn-lookup: usage:")));
    }
}

// A code two items carry writes nothing and names both with their own codes and the option that chooses one;
// --item then writes that item's sheet, and an item that does not carry the code is not found.
TEST_F(LookupTest, DatasheetOfASharedCodeAsksWhichItem)
{
    readItemOne();
    const QString secondOwnCode = shareOtherCodeWithItemTwo();

    const QString pdf = dir.filePath(QStringLiteral("sheet.pdf"));
    LookupRun r = run({QStringLiteral("--datasheet"), otherCode, QStringLiteral("--out"), pdf});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_FALSE(QFile::exists(pdf));
    const QStringList lines = r.errors.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3) << qPrintable(r.errors);
    EXPECT_TRUE(lines.first().contains(QStringLiteral("--item ID"))) << qPrintable(lines.first());
    EXPECT_TRUE(lines.contains(QStringLiteral("  1\t") + ownCode)) << qPrintable(r.errors);
    EXPECT_TRUE(lines.contains(QStringLiteral("  2\t") + secondOwnCode)) << qPrintable(r.errors);

    r = run({QStringLiteral("--datasheet"), otherCode, QStringLiteral("--item"), QStringLiteral("2"),
             QStringLiteral("--out"), pdf});
    EXPECT_EQ(r.exitCode, 0) << qPrintable(r.errors);
    EXPECT_TRUE(QFile::exists(pdf));
    r = run({QStringLiteral("--lang"), QStringLiteral("de"), QStringLiteral("--datasheet"), ownCode,
             QStringLiteral("--item=2"), QStringLiteral("--out"), dir.filePath(QStringLiteral("other.pdf"))});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.errors, QStringLiteral("velkorn-lookup: Artikel 2 hat die Nummer %1 nicht\n").arg(ownCode));
}

// A dealer's system looks codes up all day while the program is open at the counter; the program answers them from
// its code index instead of a second database engine starting up for each. The answer must be the catalog's own:
// the same lines in the same order for a code with hits, a piece of a code, a shared code and a code nobody has.
TEST_F(LookupTest, TheOpenProgramAnswersAsTheCatalogWould)
{
    readItemOne();
    shareOtherCodeWithItemTwo();
    const QStringList codes{QStringLiteral("--json"), ownCode, otherCode.toLower(), ownCode.left(4),
                            QStringLiteral("no-such-code-zz")};
    const LookupRun fromCatalog = run(codes);
    ASSERT_EQ(fromCatalog.exitCode, 0) << qPrintable(fromCatalog.errors);

    Started program(copy->program(), {}, environment());
    const QString folder = dir.filePath(QStringLiteral("velkorn-lookup"));
    QString socket;
    const bool ready = waitUntil(
        [&] {
            const QStringList found = QDir(folder).entryList({QStringLiteral("catalog-*")}, QDir::System);
            socket = found.isEmpty() ? QString() : folder + QLatin1Char('/') + found.first();
            return (!socket.isEmpty() && catalog::lookupchannel::ask(socket, {QStringLiteral("x")}, 1000)) ||
                   !program.running();
        },
        60000);
    ASSERT_TRUE(ready && program.running()) << qPrintable(program.output());
    for (const QString& privateToUser : {folder, socket})
        EXPECT_EQ(int(QFileInfo(privateToUser).permissions() & QFileDevice::Permissions(0x0077)), 0);

    // With the catalog file taken away, only the program can answer.
    const QString away = catalogPath + QStringLiteral(".away");
    ASSERT_TRUE(QFile::rename(catalogPath, away));
    QFile garbage(catalogPath);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly) && garbage.write(QByteArray(20000, 'x')) == 20000);
    garbage.close();
    const LookupRun fromProgram = run(codes);
    ASSERT_TRUE(QFile::remove(catalogPath) && QFile::rename(away, catalogPath));
    EXPECT_EQ(fromProgram.exitCode, 0) << qPrintable(fromProgram.errors);
    EXPECT_EQ(fromProgram.lines, fromCatalog.lines);
    EXPECT_TRUE(fromProgram.errors.isEmpty()) << qPrintable(fromProgram.errors);

    EXPECT_EQ(program.terminate(), 0);
    EXPECT_FALSE(QFile::exists(socket));
}

} // namespace
