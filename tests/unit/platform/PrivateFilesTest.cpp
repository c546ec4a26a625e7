#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray contentOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Sets XDG_RUNTIME_DIR for one test and restores it.
struct RuntimeDir
{
    explicit RuntimeDir(const QString& dir) { qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir)); }
    ~RuntimeDir()
    {
        if (saved.isNull())
            qunsetenv("XDG_RUNTIME_DIR");
        else
            qputenv("XDG_RUNTIME_DIR", saved);
    }
    QByteArray saved = qgetenv("XDG_RUNTIME_DIR");
};

constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

} // namespace

TEST(PrivateFiles, FoldersAreFreshAndOwnerOnlyAndUseOnlyAPrivateRuntimeDir)
{
    QTemporaryDir root;
    const QString shared = root.filePath("shared");
    const QString runtime = root.filePath("runtime");
    QDir().mkpath(shared);
    QDir().mkpath(runtime);
    QFile::setPermissions(shared, QFile::Permissions(0x7777));
    QFile::setPermissions(runtime, ownerOnly);

    {
        RuntimeDir env(runtime);
        const QString a = platform::makePrivateDir(shared, "velkorn-upd-");
        const QString b = platform::makePrivateDir(shared, "velkorn-upd-");
        EXPECT_TRUE(a.startsWith(runtime + "/velkorn-upd-")) << a.toStdString();
        EXPECT_NE(a, b);
        EXPECT_EQ(QFile::permissions(a) & QFile::Permissions(0x7077), ownerOnly);
        // A lasting folder keeps its name; one that others were let into is not used.
        const QString lasting = platform::privateFolder("velkorn-run");
        EXPECT_EQ(lasting, runtime + "/velkorn-run/");
        EXPECT_EQ(QFile::permissions(lasting) & QFile::Permissions(0x7077), ownerOnly);
        EXPECT_EQ(platform::privateFolder("velkorn-run"), lasting);
        QFile::setPermissions(lasting, ownerOnly | QFile::ExeOther);
        EXPECT_TRUE(platform::privateFolder("velkorn-run").isEmpty());
    }
    // A runtime folder that others can enter, one that is a link, or a relative one, is not used.
    QFile::setPermissions(runtime, ownerOnly | QFile::ReadOther | QFile::ExeOther);
    ASSERT_TRUE(QFile::link(root.filePath("private"), root.filePath("link")));
    QDir().mkpath(root.filePath("private"));
    QFile::setPermissions(root.filePath("private"), ownerOnly);
    for (const QString& candidate : {runtime, root.filePath("link"), QStringLiteral("relative"), QString()}) {
        RuntimeDir env(candidate);
        const QString dir = platform::makePrivateDir(shared, "velkorn-upd-");
        EXPECT_TRUE(dir.startsWith(shared + "/velkorn-upd-")) << candidate.toStdString() << " " << dir.toStdString();
        EXPECT_EQ(QFile::permissions(dir) & QFile::Permissions(0x7077), ownerOnly);
    }
    EXPECT_TRUE(platform::makePrivateDir(root.filePath("missing"), "x").isEmpty());
}

TEST(PrivateFiles, NewFilesAreNeverWrittenThroughAnythingPlanted)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim");
    QFile v(victim);
    ASSERT_TRUE(v.open(QIODevice::WriteOnly));
    v.write("precious");
    v.close();

    ASSERT_TRUE(platform::writeNewFile(dir.filePath("fresh"), "bytes"));
    EXPECT_EQ(contentOf(dir.filePath("fresh")), "bytes");
    EXPECT_EQ(QFile::permissions(dir.filePath("fresh")) & QFile::Permissions(0x7077),
              QFile::ReadOwner | QFile::WriteOwner);

    EXPECT_FALSE(platform::writeNewFile(dir.filePath("fresh"), "again")); // exists
    EXPECT_EQ(contentOf(dir.filePath("fresh")), "bytes");
    ASSERT_TRUE(QFile::link(victim, dir.filePath("link")));
    EXPECT_FALSE(platform::writeNewFile(dir.filePath("link"), "overwritten"));
    ASSERT_TRUE(QFile::link(dir.filePath("not-yet"), dir.filePath("dangling")));
    EXPECT_FALSE(platform::writeNewFile(dir.filePath("dangling"), "created"));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("not-yet")));
    EXPECT_EQ(contentOf(victim), "precious");

    // Removing a private folder removes a link in it, not what the link points to.
    const QString folder = platform::makePrivateDir(dir.path(), "p-");
    ASSERT_TRUE(QFile::link(victim, folder + "upd.ex_"));
    platform::writeNewFile(folder + "upd.exe", "x");
    platform::removePrivateDir(folder);
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_EQ(contentOf(victim), "precious");
}
