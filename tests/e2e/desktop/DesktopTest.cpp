// The real programs on the desktops of the catalog's users: the generator, the catalog server and the program itself
// started under Turkish, German and neutral locales (generated into a private LOCPATH, no system change), and
// under a time zone whose clocks go forward, against catalogs in temporary directories.
#include "catalog/CatalogDatabase.h"
#include "platform/EngineConfiguration.h"

#include "support/ApplicationCopy.h"
#include "support/CatalogServer.h"
#include "support/Started.h"
#include "support/WaitUntil.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>
#include <QUuid>
#include <QVariant>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace {

const QString Server = QStringLiteral(VELKORN_SERVER);
const QString CatalogGen = QStringLiteral(VELKORN_CATALOG_GEN);
const QString LocaleProbe = QStringLiteral(VELKORN_LOCALE_PROBE);
const QString Localedef = QStringLiteral(VELKORN_LOCALEDEF);
const QString Locales = QStringLiteral(VELKORN_LOCALES);

// Generates a locale into the private LOCPATH once per build tree; a parallel test that gets there first wins.
void generateLocale(const QString& name)
{
    const QString target = Locales + QLatin1Char('/') + name;
    if (QFileInfo::exists(target + QStringLiteral("/LC_CTYPE")))
        return;
    QDir().mkpath(Locales);
    const QString part = target + QStringLiteral(".part-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    QProcess localedef;
    localedef.setProcessChannelMode(QProcess::MergedChannels);
    localedef.start(Localedef, {QStringLiteral("-i"), name.section(QLatin1Char('.'), 0, 0), QStringLiteral("-f"),
                                QStringLiteral("UTF-8"), part});
    // localedef exits with 1 on mere warnings; what counts is the written character classes.
    if (!localedef.waitForFinished(60000) || !QFileInfo::exists(part + QStringLiteral("/LC_CTYPE")))
        throw std::runtime_error(("localedef " + name + " failed (are the locale sources installed?): " +
                                  QString::fromLocal8Bit(localedef.readAll()))
                                     .toStdString());
    if (!QDir().rename(part, target))
        QDir(part).removeRecursively();
}

// The environment of a user with `locale` (LANG, nothing overriding it) in time zone `zone`.
QProcessEnvironment desktop(const QString& locale, const QString& zone = QStringLiteral("UTC"))
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LC_NUMERIC", "LC_MESSAGES", "LANGUAGE"})
        env.remove(QString::fromLatin1(name));
    env.insert(QStringLiteral("LANG"), locale);
    env.insert(QStringLiteral("LOCPATH"), Locales);
    env.insert(QStringLiteral("TZ"), zone);
    return env;
}

struct Finished
{
    int exitCode = -1;
    QString output;
};

Finished run(const QString& program, const QStringList& arguments, const QProcessEnvironment& env)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Finished result;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        result.exitCode = process.exitCode();
    result.output = QString::fromUtf8(process.readAll());
    return result;
}

} // namespace

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace {

void PrintTo(const Finished& r, std::ostream* os)
{
    *os << "exit " << r.exitCode << ": " << r.output.toStdString();
}

// Statements or one query on a database file, through this process's own connection.
QString sql(const QString& file, const QStringList& statements)
{
    const QString name = QUuid::createUuid().toString();
    QString last;
    {
        QSqlDatabase db = catalog::openDatabase(file, name);
        for (const QString& statement : statements) {
            QSqlQuery q(db);
            if (!q.exec(statement))
                throw std::runtime_error((statement + ": " + catalog::errorText(q.lastError())).toStdString());
            if (q.isSelect())
                last = q.next() ? (q.value(0).isNull() ? QStringLiteral("null") : q.value(0).toString()) : QString();
        }
    }
    catalog::closeDatabase(name);
    return last;
}

class Desktop : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_copy = std::make_unique<ApplicationCopy>(m_root.path() + QStringLiteral("/app"));
        m_master = m_root.path() + QStringLiteral("/master.gdb");
    }

    QString catalog() const { return m_copy->catalog(); }

    // Starts velkorn-server on the master; returns the "host:port" it listens on.
    QString startServer(const QProcessEnvironment& env)
    {
        m_server = std::make_unique<ServerProcess>(m_master, QString(), QStringList(), env);
        return m_server->host();
    }

    // Starts the program from the Application directory, synchronising against `host`, and waits until it has said
    // something (the committed changes, or a failure) or ended. Message boxes are written out instead of shown.
    void runProgramUntilItSpeaks(const QProcessEnvironment& desktopEnv, const QString& host)
    {
        QProcessEnvironment env = m_copy->environment(QStringLiteral("tr"), desktopEnv);
        env.insert(QStringLiteral("VELKORN_CATALOG_HOST"), host);
        env.insert(QStringLiteral("VELKORN_UPDATE_HOST"), host);
        m_program = std::make_unique<Started>(m_copy->program(), QStringList(), env);
        waitUntil(
            [&] { return m_program->output().contains(QLatin1String("velkorn: message:")) || !m_program->running(); },
            40000);
    }

    QTemporaryDir m_root;
    std::unique_ptr<ApplicationCopy> m_copy;
    QString m_master;
    std::unique_ptr<ServerProcess> m_server;
    std::unique_ptr<Started> m_program;
};

class UnderLocale : public Desktop, public ::testing::WithParamInterface<const char*>
{
};

// The embedded engine parses its own configuration with the C library's character classes: under tr_TR the
// generator, the server and the program could not open any database ("plugins.conf: illegal line"), and the
// program ended at start with the catalog database failure. Each must now open its catalog under every locale,
// and the program synchronise.
TEST_P(UnderLocale, GeneratorServerAndProgramOpenTheirCatalogs)
{
    const QProcessEnvironment env = desktop(QString::fromLatin1(GetParam()));

    const Finished generated =
        run(CatalogGen, {"--out", m_root.path() + "/generated.gdb", "--items", "30", "--seed", "3"}, env);
    EXPECT_EQ(generated.exitCode, 0) << ::testing::PrintToString(generated);

    // The catalogs are prepared on neutral ground, so that the server and the program are tested on their own: the
    // program's is the shipped one, the master a changed copy of it.
    ASSERT_TRUE(QFile::copy(ApplicationCopy::distFile(QStringLiteral("KATALOG.GDB")), catalog()));
    const Finished changed =
        run(Server, {"--make-changed-copy", catalog(), m_master, "--changes", "3"}, desktop(QStringLiteral("C.UTF-8")));
    ASSERT_EQ(changed.exitCode, 0) << ::testing::PrintToString(changed);
    const QString addedCode =
        QRegularExpression(QStringLiteral("added code id: (\\d+)")).match(changed.output).captured(1);
    ASSERT_FALSE(addedCode.isEmpty()) << changed.output.toStdString();

    const QString host = startServer(env);
    runProgramUntilItSpeaks(env, host);
    const QString serverLog = m_server->output();
    EXPECT_EQ(m_program->terminate(), 0) << m_program->output().toStdString();

    QStringList unserved;
    for (const char* t : {"1", "2", "3", "4"})
        if (!serverLog.contains(QStringLiteral("feed t=%1 ut=").arg(QLatin1String(t))))
            unserved << QLatin1String(t);
    EXPECT_TRUE(unserved.isEmpty()) << "feeds not served: " << unserved.join(',').toStdString() << "\n"
                                    << serverLog.toStdString() << "\nprogram:\n"
                                    << m_program->output().toStdString();
    EXPECT_EQ(sql(catalog(), {QStringLiteral("select count(*) from item_code where id = %1").arg(addedCode)}), "1")
        << "the program did not apply the feed\n"
        << m_program->output().toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Locales, UnderLocale, ::testing::Values("tr_TR.UTF-8", "de_DE.UTF-8", "C", "C.UTF-8"), [](const auto& info) {
        return QString::fromLatin1(info.param).replace(QRegularExpression("[^A-Za-z0-9]"), "_").toStdString();
    });

// Pinning the engine's locale must not change what the user sees: the item view formats numbers with
// QLocale::system(), which has to follow the user's environment still. The adopted locale also shows that the
// generated locales are really in effect, so the tests above do not pass on a silent fallback to C.
TEST(EngineLocale, TheUserStillSeesHisOwnFormats)
{
    struct Case
    {
        const char* locale;
        const char* adopted;
        const char* name;
        const char* number;
    };
    for (const Case& c : {Case{"tr_TR.UTF-8", "tr_TR.UTF-8", "tr_TR", "1,5"},
                          Case{"de_DE.UTF-8", "de_DE.UTF-8", "de_DE", "1,5"}, Case{"C", "C", "C", "1.5"}}) {
        const Finished probe = run(LocaleProbe, {}, desktop(QString::fromLatin1(c.locale)));
        ASSERT_EQ(probe.exitCode, 0) << ::testing::PrintToString(probe);
        EXPECT_EQ(probe.output.trimmed().toStdString(),
                  QStringLiteral("%1 C.UTF-8 C %2 %3").arg(c.adopted, c.name, c.number).toStdString());
    }
}

// LAST_UPDATE and the feed's times are naive date-times. In Europe/Berlin a stored 2010-03-28 02:30:00 fell into the
// hour the clocks skip and was sent as the never-synchronised date, and the feed's 2011-03-27 02:15:00 was recorded
// as NULL, so every run fetched the whole catalog again.
TEST_F(Desktop, TimesInTheSkippedHourPassThroughTheSynchronisation)
{
    const QProcessEnvironment env = desktop(QStringLiteral("C.UTF-8"), QStringLiteral("Europe/Berlin"));
    ASSERT_EQ(run(CatalogGen, {"--out", catalog(), "--items", "12", "--seed", "5"}, env).exitCode, 0);
    ASSERT_TRUE(QFile::copy(catalog(), m_master));
    sql(catalog(), {QStringLiteral("update params set last_update = '2010-03-28 02:30:00'")});
    sql(m_master, {QStringLiteral("update item set update_time = '2009-06-01 10:00:00'"),
                   QStringLiteral("update item set update_time = '2011-03-27 02:15:00' where id <= 2")});

    const QString host = startServer(env);
    runProgramUntilItSpeaks(env, host);
    const QString serverLog = m_server->output();
    ASSERT_EQ(m_program->terminate(), 0) << m_program->output().toStdString();

    EXPECT_TRUE(serverLog.contains(QLatin1String("feed t=1 ut=\"2010-03.28 02:30:00\" records=2")))
        << serverLog.toStdString();
    EXPECT_EQ(sql(catalog(), {QStringLiteral("select cast(last_update as varchar(24)) from params")}),
              "2011-03-27 02:15:00.0000")
        << m_program->output().toStdString();
}

} // namespace

// Generated before the first test runs, not when the tests are only listed.
class GeneratedLocales : public ::testing::Environment
{
public:
    void SetUp() override
    {
        try {
            for (const char* locale : {"tr_TR.UTF-8", "de_DE.UTF-8"})
                generateLocale(QString::fromLatin1(locale));
        } catch (const std::exception& e) {
            FAIL() << e.what();
        }
    }
};

int main(int argc, char** argv)
{
    // The test's own connections, like the programs', need the engine's locale whatever the developer's desktop is.
    QCoreApplication app(argc, argv);
    platform::configureEngine();
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new GeneratedLocales);
    return RUN_ALL_TESTS();
}
