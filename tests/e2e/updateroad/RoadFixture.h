#pragma once

// The real programs of the update road: velkorn-server on a loopback port serving the catalog and an update folder,
// and the installed program in a temporary Application directory, started against it.
#include "update/TWebUpdate.h"

#include "support/ApplicationCopy.h"
#include "support/CatalogServer.h"
#include "support/SignedRelease.h"
#include "support/WaitUntil.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <memory>

namespace road {

inline const QString NextVersion = QStringLiteral(VELKORN_NEXT_VERSION);

inline QByteArray fileHash(const QString& path)
{
    return QByteArray::fromHex(testsigning::fileSha256Hex(path).toLatin1());
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QString versionText(const QString& path)
{
    const update::PackedVersion v = update::TWebUpdate::GetFileVersion(path);
    return QStringLiteral("%1.%2.%3.%4")
        .arg(quint32(v.high) >> 16)
        .arg(quint32(v.high) & 0xFFFF)
        .arg(quint32(v.low) >> 16)
        .arg(quint32(v.low) & 0xFFFF);
}

// Processes whose program file lies in `dir` (the restarted program has no parent we could wait on).
inline QList<qint64> processesIn(const QString& dir)
{
    QList<qint64> result;
    const QString prefix = QDir(dir).canonicalPath() + QLatin1Char('/');
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool ok = false;
        const qint64 pid = entry.toLongLong(&ok);
        if (!ok)
            continue;
        const QString exe = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
        if (exe.startsWith(prefix))
            result << pid;
    }
    return result;
}

class UpdateRoadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        const QDir root(m_root.path());
        for (const char* dir : {"app", "update", "tmp", "master"})
            root.mkpath(dir);
        m_app = m_root.path() + "/app/";
        m_updateDir = m_root.path() + "/update/";
    }

    void TearDown() override
    {
        // Leftovers of a failed run: the program (first or restarted) and the restart helper.
        for (const QString& dir : {m_app, m_root.path() + "/tmp/"}) {
            for (qint64 pid : processesIn(dir))
                ::kill(pid_t(pid), SIGKILL);
        }
        if (m_program.state() != QProcess::NotRunning) {
            m_program.kill();
            m_program.waitForFinished(5000);
        }
        m_server.reset();
    }

    void installProgram()
    {
        m_copy = std::make_unique<ApplicationCopy>(m_app, QStringList{"KATALOG.GDB"});
        writeFile(m_app + "release.txt", "catalog data 1.0.0\n");
    }

    // The update folder: the next version of the program and of the data file as components, release notes, a
    // licence, an optional manual into a sub-folder.
    void prepareUpdateFolder()
    {
        QProcess next;
        next.start(NextVersion, {m_app + "velkorn", m_updateDir + "velkorn_NEW"});
        ASSERT_TRUE(next.waitForFinished(30000));
        ASSERT_EQ(next.exitCode(), 0) << next.readAllStandardError().toStdString();
        m_newVersion = QString::fromLatin1(next.readAllStandardOutput()).trimmed();
        ASSERT_NE(m_newVersion, versionText(m_app + "velkorn"));
        writeFile(m_updateDir + "release.txt_NEW", "catalog data 1.0.1\n");
        writeFile(m_updateDir + "manual.txt", "How to use the catalog.\n");
        writeFile(m_updateDir + "whatsnew.txt", "Faster search.\nNew styles.\n");
        writeFile(m_updateDir + "eula.txt", "You may use this catalog.\n");
    }

    // The signed control file announcing the update folder's release; `edit` changes its text first.
    void writeControlFile(int port, const std::function<void(QString&)>& edit = {})
    {
        const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(port);
        const auto digest = [this](const char* name) {
            return "sha256=" + testsigning::fileSha256Hex(m_updateDir + name) + "\n";
        };
        const QString text = QStringLiteral("[update]\n"
                                            "descr=Velkorn %1\n"
                                            "localversion={APP}\\velkorn\n"
                                            "newversion=%1\n"
                                            "[application]\n"
                                            "appupdate=1\n"
                                            "appname=velkorn\n"
                                            "appcomps=velkorn_NEW release.txt_NEW\n"
                                            "[whatsnew]\nfile=%2whatsnew.txt\n%4"
                                            "[eula]\nfile=%2eula.txt\n%5"
                                            "[files]\ncount=3\n"
                                            "[file1]\nurl=%2velkorn_NEW\ndescr=Velkorn program %1\n"
                                            "localversion={APP}\\velkorn\nnewversion=%1\ntargetdir={APP}\n"
                                            "mandatory=1\nfilesize=%3\n%6"
                                            "[file2]\nurl=%2release.txt_NEW\ndescr=Catalog data\n"
                                            "targetdir={APP}\nhidden=1\n%7"
                                            "[file3]\nurl=%2manual.txt\ndescr=Manual\ntargetdir={APP}\\docs\n%8")
                                 .arg(m_newVersion, base)
                                 .arg(QFileInfo(m_updateDir + "velkorn_NEW").size())
                                 .arg(digest("whatsnew.txt"), digest("eula.txt"), digest("velkorn_NEW"),
                                      digest("release.txt_NEW"), digest("manual.txt"));
        QString edited = text;
        if (edit)
            edit(edited);
        writeFile(m_updateDir + "velkorn.INF", edited.toUtf8());
        ASSERT_TRUE(testsigning::signRelease(m_updateDir + "velkorn.INF"));
    }

    // The common start of the road: the program installed, its update published by a running server.
    void publishUpdate(const std::function<void(QString&)>& edit = {})
    {
        installProgram();
        prepareUpdateFolder();
        writeControlFile(startServer(), edit);
    }

    int startServer(const QStringList& extra = {})
    {
        // The catalog server's master is the program's own catalog: the feed brings nothing new.
        const QString master = m_root.path() + "/master/master.gdb";
        if (!QFile::copy(ApplicationCopy::distFile("KATALOG.GDB"), master))
            throw std::runtime_error("cannot copy the master catalog");
        m_server = std::make_unique<ServerProcess>(master, QString(), QStringList{"--update-dir", m_updateDir} + extra);
        m_catalogHost = m_server->host();
        return m_server->port();
    }
    // What the server has written so far: its requests.
    QString serverLog() { return m_server ? m_server->output() : QString(); }

    // Starts the installed program against the servers; `unattended` is the value of VELKORN_UPDATE_UNATTENDED.
    void startProgram(const QString& updateHost, const QString& unattended,
                      const QList<QPair<QString, QString>>& extra = {})
    {
        QProcessEnvironment env = m_copy->environment();
        env.insert("VELKORN_UPDATE_UNATTENDED", unattended);
        env.insert("VELKORN_CATALOG_HOST", m_catalogHost);
        env.insert("VELKORN_UPDATE_HOST", updateHost);
        env.insert("TMPDIR", m_root.path() + "/tmp");
        // The newest accepted release is kept in the user's settings; the test's own stay with the test.
        env.insert("XDG_CONFIG_HOME", m_root.path() + "/config");
        // So that the restart helper's private folder is made inside tmp, where TearDown looks for leftovers.
        env.remove("XDG_RUNTIME_DIR");
        for (const auto& [name, value] : extra)
            env.insert(name, value);
        m_program.setProcessEnvironment(env);
        m_program.setWorkingDirectory(m_root.path());
        // A file rather than a pipe: the restarted program inherits the output and would die writing into a pipe
        // that nobody reads any more.
        m_program.setProcessChannelMode(QProcess::MergedChannels);
        m_program.setStandardOutputFile(programLog(), QIODevice::Append);
        m_program.start(m_app + "velkorn", {});
        ASSERT_TRUE(m_program.waitForStarted(10000));
    }
    QString programLog() const { return m_root.path() + "/program.log"; }
    QString output() const { return QString::fromLocal8Bit(readFile(programLog())); }

    // Waits for the restart helper to start the program again after it has asked for the control file `asked`
    // times in all, and answers the restarted program's process id (0 when it did not come).
    qint64 restartedProgram(int asked)
    {
        qint64 pid = 0;
        waitUntil(
            [&] {
                const QList<qint64> pids = processesIn(m_app);
                pid = pids.isEmpty() ? 0 : pids.first();
                return pid != 0 && requests("/velkorn.INF") >= asked;
            },
            30000);
        return requests("/velkorn.INF") >= asked ? pid : 0;
    }

    // The new version runs and every file of the update is in place.
    void expectNewVersionIn(qint64 pid)
    {
        EXPECT_EQ(versionText(QStringLiteral("/proc/%1/exe").arg(pid)), m_newVersion);
        EXPECT_EQ(fileHash(m_app + "velkorn"), fileHash(m_updateDir + "velkorn_NEW"));
        EXPECT_TRUE(QFileInfo(m_app + "velkorn").isExecutable());
        EXPECT_EQ(readFile(m_app + "release.txt"), "catalog data 1.0.1\n");
        EXPECT_FALSE(QFile::exists(m_app + "velkorn_NEW"));
        EXPECT_FALSE(QFile::exists(m_app + "release.txt_NEW"));
    }

    int requests(const QString& path) { return serverLog().count(QStringLiteral("GET %1 200").arg(path)); }

    QTemporaryDir m_root;
    QString m_app;
    QString m_updateDir;
    QString m_catalogHost;
    QString m_newVersion;
    std::unique_ptr<ApplicationCopy> m_copy;
    std::unique_ptr<ServerProcess> m_server;
    QProcess m_program;
};

} // namespace road
