#include "catalog/CatalogLocation.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using catalog::CatalogLocation;

// What a seat's setting may say: Firebird's "host[/port]:path" for a server (any path or alias after the first colon,
// which no '/' precedes), anything else a file. A location that cannot work keeps its problem and is shown as written.
TEST(CatalogLocation, TellsServersFromFilesAndKeepsWhatCannotWork)
{
    struct Server
    {
        const char* text;
        const char* host;
        int port;
        const char* path;
    };
    for (const Server& s :
         {Server{"shopserver:/srv/velkorn/KATALOG.GDB", "shopserver", -1, "/srv/velkorn/KATALOG.GDB"},
          Server{" 192.168.1.5/3051:/data/KATALOG.GDB ", "192.168.1.5", 3051, "/data/KATALOG.GDB"},
          Server{"[::1]/3050:katalog", "[::1]", 3050, "katalog"},
          Server{"win-server:C:\\Velkorn\\KATALOG.GDB", "win-server", -1, "C:\\Velkorn\\KATALOG.GDB"}}) {
        const CatalogLocation l = CatalogLocation::parse(QString::fromLatin1(s.text), QStringLiteral("/opt/app"));
        EXPECT_TRUE(l.isServer()) << s.text;
        EXPECT_EQ(l.host(), QLatin1String(s.host));
        EXPECT_EQ(l.port(), s.port);
        EXPECT_EQ(l.path(), QLatin1String(s.path));
        EXPECT_TRUE(l.problem().isEmpty()) << s.text;
        EXPECT_EQ(l.displayName(), QString::fromLatin1(s.text).trimmed());
    }
    for (const auto& [text, path] :
         {std::pair{"KATALOG.GDB", "/opt/app/KATALOG.GDB"}, std::pair{"/srv/shop/KATALOG.GDB", "/srv/shop/KATALOG.GDB"},
          std::pair{"./old:copy.gdb", "/opt/app/old:copy.gdb"}}) {
        const CatalogLocation l = CatalogLocation::parse(QString::fromLatin1(text), QStringLiteral("/opt/app"));
        EXPECT_FALSE(l.isServer()) << text;
        EXPECT_EQ(l.path(), QLatin1String(path));
        EXPECT_EQ(l.localFolder(), QFileInfo(QLatin1String(path)).absolutePath());
    }
    for (const char* wrong : {"shop/70000:/k.gdb", "shop/0:/k.gdb", "shop/fb:/k.gdb", "shop/:/k.gdb", "shop:", ""}) {
        CatalogLocation l = CatalogLocation::parse(QString::fromLatin1(wrong), QStringLiteral("/opt/app"));
        l.setPassword(QStringLiteral("geheim"));
        EXPECT_FALSE(l.problem().isEmpty()) << wrong;
        EXPECT_EQ(l.displayName(), QLatin1String(wrong));
    }
}

// The seat's setting: the settings file (only ever read), overridden by the environment for scripts; a relative file
// is taken from the Application directory in the file and from the current directory in the environment.
TEST(CatalogLocation, ComesFromTheSettingsFileAndTheEnvironment)
{
    QTemporaryDir config;
    ASSERT_TRUE(config.isValid());
    QProcessEnvironment env;
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
    env.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent"));

    CatalogLocation l = CatalogLocation::fromSettings(QStringLiteral("/opt/app/"), env);
    EXPECT_EQ(l.path(), QStringLiteral("/opt/app/KATALOG.GDB"));
    EXPECT_FALSE(l.isServer());
    EXPECT_EQ(l.user(), QStringLiteral("SYSDBA"));
    EXPECT_EQ(l.password(), QStringLiteral("catalogpw"));
    EXPECT_FALSE(QFile::exists(CatalogLocation::settingsFile(env)));

    const QString file = config.path() + QStringLiteral("/velkorn/velkorn.ini");
    EXPECT_EQ(CatalogLocation::settingsFile(env), file);
    QDir().mkpath(config.path() + QStringLiteral("/velkorn"));
    // A value with ';' (a comment otherwise) or ',' is quoted.
    const QByteArray text = "[catalog]\ndatabase = ./counter/KATALOG.GDB\nuser = CLERK\npassword = \"a,b;c\"\n";
    {
        QFile ini(file);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(text);
    }
    l = CatalogLocation::fromSettings(QStringLiteral("/opt/app/"), env);
    EXPECT_EQ(l.path(), QStringLiteral("/opt/app/counter/KATALOG.GDB"));
    EXPECT_EQ(l.user(), QStringLiteral("CLERK"));
    EXPECT_EQ(l.password(), QStringLiteral("a,b;c"));

    env.insert(QStringLiteral("VELKORN_DATABASE"), QStringLiteral("shopserver/3050:/srv/KATALOG.GDB"));
    env.insert(QStringLiteral("VELKORN_DATABASE_PASSWORD"), QStringLiteral("from-script"));
    l = CatalogLocation::fromSettings(QStringLiteral("/opt/app/"), env);
    EXPECT_EQ(l.displayName(), QStringLiteral("shopserver/3050:/srv/KATALOG.GDB"));
    EXPECT_EQ(l.user(), QStringLiteral("CLERK"));
    EXPECT_EQ(l.password(), QStringLiteral("from-script"));
    env.insert(QStringLiteral("VELKORN_DATABASE"), QStringLiteral("mine.gdb"));
    EXPECT_EQ(CatalogLocation::fromSettings(QStringLiteral("/opt/app/"), env).path(),
              QDir::current().filePath("mine.gdb"));

    QFile ini(file);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), text);
}
