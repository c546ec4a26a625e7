#include "support/LoopbackServers.h"

#include "support/SignedRelease.h"

#include "update/TWebUpdate.h"
#include "update/archive/Szdd.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <mutex>

#include <gtest/gtest.h>

using update::httpUpdate;
using update::TWebUpdate;
using update::UpdateIoError;
using update::vcAlways;
using update::verdictByVersion;
using update::waAlways;
using update::waAuto;
using update::wuuPromptAll;
using update::wuuSilent;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A program file whose fixed version block gives major.minor as its version.
QByteArray programOfVersion(quint16 major, quint16 minor)
{
    QByteArray b("program ");
    for (quint32 v : {0xFEEF04BDu, 0x00010000u, (quint32(major) << 16) | minor, 0u})
        for (int i = 0; i < 4; ++i)
            b.append(char((v >> (8 * i)) & 0xFF));
    return b + QByteArray(40, '\0');
}

QByteArray pattern(int size)
{
    QByteArray b(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        b[i] = char((i * 131 + 7) & 0xFF);
    return b;
}

} // namespace

// The engine in this system's configuration against the update routes of velkorn-server on loopback.
class DownloadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(root.isValid());
        for (const char* d : {"updates", "tmp", "target"})
            QDir(root.path()).mkpath(d);
        updates = root.filePath("updates") + '/';
        tmp = root.filePath("tmp") + '/';
        target = root.filePath("target") + '/';
        writeFile(updates + "file.bin", pattern(10000));

        server = std::make_unique<UpdateServer>(updates.toStdString(), [this](httplib::Server& s) {
            s.Get("/nolength", [](const httplib::Request&, httplib::Response& res) {
                res.set_chunked_content_provider("application/octet-stream",
                                                 [](size_t offset, httplib::DataSink& sink) {
                                                     if (offset >= 10000) {
                                                         sink.done();
                                                         return true;
                                                     }
                                                     const QByteArray part = pattern(10000).mid(int(offset), 2500);
                                                     sink.write(part.constData(), size_t(part.size()));
                                                     return true;
                                                 });
            });
            // Accepts the request and answers nothing until the test is over (at most 10 s).
            s.Get("/silent", [this](const httplib::Request&, httplib::Response& res) {
                for (int i = 0; i < 100 && !testOver; ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(100));
                res.set_content("late", "text/plain");
            });
            s.Get("/away",
                  [this](const httplib::Request&, httplib::Response& res) { res.set_redirect(redirectTarget); });
            s.Get("/zero.bin",
                  [](const httplib::Request&, httplib::Response& res) { res.set_content("", "text/plain"); });
            s.Get("/fail500", [](const httplib::Request&, httplib::Response& res) { res.status = 500; });
            s.Get("/loop", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
            s.Get("/stall.bin", [](const httplib::Request&, httplib::Response& res) {
                res.set_chunked_content_provider("application/octet-stream",
                                                 [](size_t offset, httplib::DataSink& sink) {
                                                     if (offset == 0) {
                                                         sink.write("first", 5);
                                                         return true;
                                                     }
                                                     for (int i = 0; i < 40 && sink.is_writable(); ++i)
                                                         std::this_thread::sleep_for(std::chrono::milliseconds(100));
                                                     return false;
                                                 });
            });
        });
        base = QString::fromStdString(server->base());

        upd.UpdateType = httpUpdate;
        upd.VersionCheck = vcAlways;
        upd.UpdateUpdate = wuuPromptAll;
        upd.TempDirectory = tmp;
        upd.setUserTempDirectory(tmp);
        upd.LogFileName = root.filePath("WUPDATE.LOG");
        upd.releaseStateFile = root.filePath("release-state.ini");
        upd.Host = base.mid(7);
        upd.URL = "http://" + upd.Host + "/velkorn.INF";
        upd.UserID = "update";
        upd.Password = "refreshx";
        upd.stallTimeoutSeconds = 1;
        upd.loginPrompt = [this](const QString&, QString&, QString&) {
            ++loginPrompts;
            return false;
        };
        upd.OnStatus = [this](QObject*, const QString& text, int code, int err) {
            statuses << QString("%1|%2|%3").arg(text).arg(code).arg(err);
        };
        ASSERT_EQ(upd.OpenSession(), 0);
    }

    void TearDown() override
    {
        testOver = true;
        upd.CloseSession();
    }

    // Publishes the control file signed with the demo key as the release of now.
    void publishControlFile(const QByteArray& inf)
    {
        writeFile(updates + "velkorn.INF", inf);
        ASSERT_TRUE(testsigning::signRelease(updates + "velkorn.INF"));
    }

    QStringList leftovers() const { return QDir(tmp).entryList({"WUPD*"}, QDir::Files); }

    QTemporaryDir root;
    QString updates, tmp, target, base;
    std::atomic<bool> testOver{false}; // ends the silent route's wait; outlives the server
    std::string redirectTarget;        // where the route /away sends the client
    std::unique_ptr<UpdateServer> server;
    TWebUpdate upd;
    QStringList statuses;
    int loginPrompts = 0;
};

TEST_F(DownloadTest, HasNewVersionWithCredentials)
{
    upd.CloseSession();
    publishControlFile("[update]\nunconditional=1\n");
    EXPECT_TRUE(upd.HasNewVersion());
    publishControlFile("[update]\nnewversion=1.0\n");
    EXPECT_FALSE(upd.HasNewVersion());

    // Wrong credentials: the server answers 401, no login dialog, no update.
    publishControlFile("[update]\nunconditional=1\n");
    upd.Password = "wrong";
    statuses.clear();
    EXPECT_FALSE(upd.HasNewVersion());
    EXPECT_TRUE(statuses.contains("Http status : 401|6|401"));
    EXPECT_TRUE(statuses.contains("Update control file not found|2|0"));
    EXPECT_EQ(loginPrompts, 0);
    upd.UserID.clear();
    upd.Password.clear();
    EXPECT_FALSE(upd.HasNewVersion());
    EXPECT_TRUE(leftovers().isEmpty());
    EXPECT_FALSE(QFile::exists(tmp + "velkorn.INF"));
}

TEST_F(DownloadTest, ProgressWithAndWithoutLength)
{
    QList<QPair<qint64, qint64>> progress;
    upd.OnFileProgress = [&](QObject*, const QString& name, qint64 pos, qint64 size) {
        EXPECT_EQ(name, target + "file.bin");
        progress.append({pos, size});
    };
    ASSERT_TRUE(upd.DownloadFile(base + "/file.bin", target, false));
    EXPECT_EQ(readFile(target + "file.bin"), pattern(10000));
    ASSERT_GE(progress.size(), 3);
    for (int i = 0; i < progress.size(); ++i) {
        EXPECT_EQ(progress[i].second, 10000);
        EXPECT_LE(progress[i].first - (i ? progress[i - 1].first : 0), 4096);
    }
    EXPECT_EQ(progress.last().first, 10000);

    progress.clear();
    upd.OnFileProgress = [&](QObject*, const QString&, qint64 pos, qint64 size) { progress.append({pos, size}); };
    ASSERT_TRUE(upd.DownloadFile(base + "/nolength", target, false));
    EXPECT_EQ(readFile(target + "nolength"), pattern(10000));
    ASSERT_FALSE(progress.isEmpty());
    for (const auto& p : progress)
        EXPECT_EQ(p.second, 0);
    EXPECT_TRUE(leftovers().isEmpty());
}

TEST_F(DownloadTest, CancelLeavesOldFileAndNoTemporary)
{
    writeFile(target + "file.bin", "old");
    int blocks = 0;
    upd.OnFileProgress = [&](QObject*, const QString&, qint64, qint64) { ++blocks; };
    upd.OnProgressCancel = [&](QObject*, bool& cancel) { cancel = blocks == 2; };
    EXPECT_FALSE(upd.DownloadFile(base + "/file.bin", target, false));
    EXPECT_TRUE(upd.cancelled());
    EXPECT_EQ(blocks, 2);
    EXPECT_EQ(readFile(target + "file.bin"), "old");
    EXPECT_TRUE(leftovers().isEmpty());
    EXPECT_TRUE(statuses.contains("|0|0")); // status 964 has no text
}

TEST_F(DownloadTest, FailingAnswersKeepTheOldFile)
{
    struct Case
    {
        QString path;
        QString status;
    };
    const Case cases[] = {{"/missing.bin", "Http status : 404|6|404"},
                          {"/fail500", "Http status : 500|6|500"},
                          {"/loop", "Http status : 302|6|302"},
                          {"/zero.bin", ""},
                          {"/stall.bin", ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const QString local = target + c.path.mid(1);
        writeFile(local, "old");
        statuses.clear();
        EXPECT_FALSE(upd.DownloadFile(base + c.path, target, false));
        EXPECT_EQ(readFile(local), "old");
        if (!c.status.isEmpty())
            EXPECT_TRUE(statuses.contains(c.status)) << statuses.join('\n').toStdString();
        EXPECT_TRUE(leftovers().isEmpty());
    }

    // Nothing listens: the request cannot be made.
    const int port = server->port;
    server.reset();
    statuses.clear();
    EXPECT_FALSE(upd.DownloadFile(QString("http://127.0.0.1:%1/file.bin").arg(port), target, false));
    EXPECT_TRUE(statuses.last().startsWith("File not found : http://127.0.0.1")) << statuses.join('\n').toStdString();
}

TEST_F(DownloadTest, LengthHeaderThatDoesNotMatchTheBody)
{
    {
        RawServer longer("HTTP/1.1 200 OK\r\nContent-Length: 5000\r\nConnection: close\r\n\r\n" +
                         std::string(1000, 'a'));
        EXPECT_FALSE(upd.DownloadFile(QString::fromStdString(longer.url("/cut.bin")), target, false));
        EXPECT_FALSE(QFile::exists(target + "cut.bin"));
        EXPECT_TRUE(leftovers().isEmpty());
    }
    {
        RawServer shorter("HTTP/1.1 200 OK\r\nContent-Length: 10\r\nConnection: close\r\n\r\n" +
                          std::string(1000, 'b'));
        EXPECT_TRUE(upd.DownloadFile(QString::fromStdString(shorter.url("/short.bin")), target, false));
        EXPECT_EQ(readFile(target + "short.bin"), QByteArray(10, 'b'));
    }
    {
        RawServer garbage("this is not http at all\r\n\r\n");
        EXPECT_FALSE(upd.DownloadFile(QString::fromStdString(garbage.url("/x.bin")), target, false));
        EXPECT_TRUE(leftovers().isEmpty());
    }
}

TEST_F(DownloadTest, LoginDialogModes)
{
    upd.Password = "wrong";
    upd.Authenticate = waAuto;
    upd.loginPrompt = [this](const QString& caption, QString& user, QString& password) {
        EXPECT_EQ(caption, "Connect to 127.0.0.1");
        ++loginPrompts;
        user = "update";
        password = "refreshx";
        return true;
    };
    EXPECT_TRUE(upd.DownloadFile(base + "/file.bin", target, false));
    EXPECT_EQ(loginPrompts, 1);

    upd.Authenticate = waAlways;
    upd.Password.clear();
    upd.loginPrompt = [](const QString&, QString&, QString&) { return false; };
    EXPECT_FALSE(upd.DownloadFile(base + "/file.bin", target, false));
    EXPECT_TRUE(statuses.contains("Authentication cancelled|0|0"));
}

TEST_F(DownloadTest, CompressedDownloadIsExpanded)
{
    writeFile(updates + "notes.tx_", archive::compressSzdd(pattern(30000), 't'));
    ASSERT_TRUE(upd.DownloadFile(base + "/notes.tx_", target, true));
    EXPECT_EQ(readFile(target + "notes.txt"), pattern(30000));
    EXPECT_FALSE(QFile::exists(target + "notes.tx_"));
}

TEST(UpdateRoutes, OptionsAndConfinement)
{
    std::vector<std::string> args{"--port", "1", "--update-dir", "/srv/u", "--update-user=me", "--db", "x"};
    UpdateRouteOptions options;
    ASSERT_TRUE(parseUpdateOptions(args, options));
    EXPECT_EQ(options.folder, "/srv/u");
    EXPECT_EQ(options.user, "me");
    EXPECT_EQ(options.password, "refreshx");
    EXPECT_EQ(args, (std::vector<std::string>{"--port", "1", "--db", "x"}));
    std::vector<std::string> bad{"--update-dir"};
    EXPECT_FALSE(parseUpdateOptions(bad, options));

    QTemporaryDir root;
    QDir(root.path()).mkpath("updates");
    writeFile(root.filePath("secret"), "secret");
    writeFile(root.filePath("updates/ok.txt"), "ok");
    UpdateServer server(root.filePath("updates").toStdString(), [](httplib::Server&) {});
    httplib::Client client("127.0.0.1", server.port);
    client.set_basic_auth("update", "refreshx");
    auto ok = client.Get("/ok.txt");
    ASSERT_TRUE(ok);
    EXPECT_EQ(ok->status, 200);
    EXPECT_EQ(ok->body, "ok");
    for (const char* path : {"/../secret", "/%2e%2e/secret", "/updates/../../secret", "/"}) {
        auto r = client.Get(path);
        ASSERT_TRUE(r);
        EXPECT_NE(r->status, 200) << path;
    }
    httplib::Client anonymous("127.0.0.1", server.port);
    auto denied = anonymous.Get("/ok.txt");
    ASSERT_TRUE(denied);
    EXPECT_EQ(denied->status, 401);
}

// A temporary file that cannot be made is an input/output error for the caller, not a silent failure;
// the run still closes its session and leaves nothing behind.
TEST_F(DownloadTest, UnwritableTemporaryDirectoryIsAnError)
{
    upd.TempDirectory = root.filePath("no/such/dir");
    EXPECT_THROW(upd.DownloadFile(base + "/file.bin", target, false), UpdateIoError);
    EXPECT_FALSE(QFile::exists(target + "file.bin"));

    upd.CloseSession();
    publishControlFile("[update]\nunconditional=1\n");
    EXPECT_THROW(upd.HasNewVersion(), UpdateIoError);
    EXPECT_FALSE(upd.sessionOpen());

    // The log file is written even with logging off, and failing to write it is an error too.
    upd.TempDirectory = tmp;
    upd.LogFileName = root.filePath("no/such/dir/WUPDATE.LOG");
    ASSERT_EQ(upd.OpenSession(), 0);
    EXPECT_THROW(upd.DownloadFile(base + "/file.bin", root.filePath("missing") + "/", false), UpdateIoError);
    EXPECT_TRUE(leftovers().isEmpty());
}

// One whole run as the wizard drives it, over HTTP: the application's program comes as a component, a
// compressed file is expanded into a directory that the run creates, and the restart is prepared.
TEST_F(DownloadTest, WholeRun)
{
    QTemporaryDir appDir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(appDir.path());
    const QByteArray program = programOfVersion(99, 0);
    writeFile(updates + "velkorn_NEW", program);
    writeFile(updates + "readme.tx_", archive::compressSzdd("read me", 't'));
    const QString base = "http://" + upd.Host;
    publishControlFile(("[update]\nnewversion=99.0\nlocalversion={APP}\\velkorn\ndescr=Spring release\n"
                        "[application]\nappupdate=1\nappname=velkorn\nappcomps=velkorn_NEW\n"
                        "[files]\ncount=2\n"
                        "[file1]\nurl=" +
                        base + "/velkorn_NEW\ntargetdir={APP}\nmandatory=1\nsha256=" + testsigning::sha256Hex(program) +
                        "\n[file2]\nurl=" + base + "/readme.tx_\ntargetdir={APP}\\docs\\\ncompressed=1\nsha256=" +
                        testsigning::fileSha256Hex(updates + "readme.tx_") + "\n")
                           .toUtf8());

    upd.UpdateUpdate = wuuSilent;
    ASSERT_EQ(upd.FetchControlFile(), 0);
    EXPECT_EQ(upd.EvaluateUpdate(), verdictByVersion);
    EXPECT_EQ(upd.newVersionText(), "99.0.0.0");
    EXPECT_EQ(upd.releaseDescription(), "Spring release");
    EXPECT_EQ(upd.RunPreUpdateActions(), 0);
    EXPECT_EQ(upd.LoadFileList(), 2);
    EXPECT_EQ(upd.FilterFileList(), 0);
    EXPECT_EQ(upd.DownloadFiles(), 0);
    EXPECT_EQ(readFile(appDir.filePath("velkorn_NEW")), program);
    EXPECT_EQ(readFile(appDir.filePath("docs/readme.txt")), "read me");
    EXPECT_FALSE(QFile::exists(appDir.filePath("docs/readme.tx_")));
    EXPECT_TRUE(upd.componentDownloaded());
    EXPECT_TRUE(upd.appUpdate());
    EXPECT_EQ(upd.FinishUpdate(), 0);
    EXPECT_EQ(upd.CloseSession(), 0);
    EXPECT_FALSE(QFile::exists(tmp + "velkorn.INF"));

    QString commandLine;
    upd.startProcess = [&](const QString& line, int&) {
        commandLine = line;
        return true;
    };
    bool closed = false;
    upd.OnAppDoClose = [&](QObject*) { closed = true; };
    upd.OnAppRestart = [](QObject*, bool&) {};
    upd.LaunchRestart();
    EXPECT_TRUE(closed);
    // Started at all only when the carried helper expanded to the digest that the build computed.
    EXPECT_TRUE(commandLine.startsWith(upd.restartHelperPath() + ' ')) << commandLine.toStdString();
    EXPECT_TRUE(commandLine.endsWith(" X " + QDir::currentPath() + "/velkorn velkorn_NEW"))
        << commandLine.toStdString();
    EXPECT_TRUE(leftovers().isEmpty());
    QDir::setCurrent(previous);
}

// A download that arrived but cannot take the old file's place fails, says why in the log file (logging
// is off) and leaves no temporary file.
TEST_F(DownloadTest, ReplacementFailuresAreLogged)
{
    QDir(target).mkpath("file.bin/inside");
    EXPECT_FALSE(upd.DownloadFile(base + "/file.bin", target, false));
    EXPECT_TRUE(readFile(upd.LogFileName).startsWith("Unable to delete file " + (target + "file.bin").toUtf8() + "\n"));
    EXPECT_FALSE(upd.DownloadFile(base + "/file.bin", target + "not/there/", false));
    EXPECT_TRUE(readFile(upd.LogFileName).contains("\nUnable to rename file " + tmp.toUtf8() + "WUPD"));
    EXPECT_TRUE(readFile(upd.LogFileName).contains(".tmp to " + (target + "not/there/file.bin").toUtf8()));
    EXPECT_TRUE(leftovers().isEmpty());
}

// A server that goes silent, before its answer or in the middle of the body, must not freeze the caller: while the
// transfer waits, the calling thread's events are served (the wizard's Cancel and close box and the handler of a
// termination signal are events), and a cancel or the shutdown's stop ends it at once, long before the stall limit.
TEST_F(DownloadTest, ASilentServerNeitherFreezesTheCallerNorOutlastsACancel)
{
    int argc = 1;
    char name[] = "update_e2e_test";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    upd.stallTimeoutSeconds = 60;
    writeFile(target + "stall.bin", "old");

    for (const char* path : {"/silent", "/stall.bin"}) {
        bool cancel = false;
        QTimer::singleShot(300, [&] { cancel = true; }); // fires only if events are served during the wait
        upd.OnProgressCancel = [&](QObject*, bool& answer) { answer = cancel; };
        statuses.clear();
        EXPECT_FALSE(upd.DownloadFile(base + path, target, false)) << path;
        // Ended by the cancel, not by the server giving up.
        EXPECT_TRUE(upd.cancelled()) << path;
        EXPECT_EQ(statuses.count("|0|0"), 1) << path; // the cancel is reported once
        EXPECT_TRUE(leftovers().isEmpty()) << path;
    }
    EXPECT_EQ(readFile(target + "stall.bin"), "old");
    EXPECT_FALSE(QFile::exists(target + "silent"));

    // The shutdown's stop (what a termination signal raises) ends a silent transfer the same way.
    upd.OnProgressCancel = nullptr;
    base::StopSource stop;
    upd.CloseSession();
    upd.stopToken = stop.token();
    ASSERT_EQ(upd.OpenSession(), 0);
    QTimer::singleShot(300, [&] { stop.requestStop(); });
    EXPECT_FALSE(upd.DownloadFile(base + "/stall.bin", target, false));
    EXPECT_TRUE(stop.stopRequested());
    EXPECT_TRUE(leftovers().isEmpty());
    EXPECT_EQ(readFile(target + "stall.bin"), "old");
}

namespace {

// A server on another port, that is another host as far as credentials go; it records what it was sent.
struct OtherHost
{
    OtherHost()
    {
        server.Get(R"(/(.*))", [this](const httplib::Request& req, httplib::Response& res) {
            const std::lock_guard<std::mutex> lock(mutex);
            authorizations.push_back(req.get_header_value("Authorization"));
            res.set_content("from elsewhere", "text/plain");
        });
        running = std::make_unique<ServerThread>(server);
        port = running->port;
    }
    QString url(const char* path) const { return QStringLiteral("http://127.0.0.1:%1%2").arg(port).arg(path); }
    std::vector<std::string> seen()
    {
        const std::lock_guard<std::mutex> lock(mutex);
        return authorizations;
    }

    std::mutex mutex;
    std::vector<std::string> authorizations;
    httplib::Server server;
    std::unique_ptr<ServerThread> running; // stops the server before the members its route uses go
    int port = 0;
};

} // namespace

// The update server's password is for the update server: a redirect to another host and a file that the control
// file places on another host are fetched without it.
TEST_F(DownloadTest, CredentialsGoOnlyToTheUpdateHost)
{
    OtherHost other;
    redirectTarget = other.url("/file.bin").toStdString();
    EXPECT_TRUE(upd.DownloadFile(base + "/away", target, false));
    EXPECT_EQ(readFile(target + "away"), "from elsewhere");
    EXPECT_TRUE(upd.DownloadFile(other.url("/named.bin"), target, false));
    EXPECT_EQ(other.seen(), (std::vector<std::string>{"", ""}));
    // The update host itself still gets them (it answers 401 without).
    EXPECT_TRUE(upd.DownloadFile(base + "/file.bin", target, false));
}

// An https update host: the certificate is checked (here against the test's own authority, as a system store would
// hold the real one), a certificate that nobody vouches for is refused, and nothing goes on over plain http.
TEST_F(DownloadTest, HttpsUpdateHostWithCheckedCertificate)
{
    const QString cert = root.filePath("cert.pem"), key = root.filePath("key.pem");
    ASSERT_TRUE(testsigning::makeLoopbackCertificate(cert, key));

    OtherHost plain;
    httplib::SSLServer tls(cert.toUtf8().constData(), key.toUtf8().constData());
    ASSERT_TRUE(tls.is_valid());
    tls.Get("/downgrade", [&](const httplib::Request&, httplib::Response& res) {
        res.set_redirect(plain.url("/file.bin").toStdString());
    });
    UpdateRouteOptions options;
    options.folder = updates.toStdString();
    addUpdateRoutes(tls, options);
    ServerThread running(tls);
    const int port = running.port;

    publishControlFile("[update]\nunconditional=1\n");
    upd.CloseSession();
    upd.URL = QStringLiteral("https://127.0.0.1:%1/velkorn.INF").arg(port);
    statuses.clear();
    EXPECT_FALSE(upd.HasNewVersion()); // the system's store does not know the test's certificate
    EXPECT_TRUE(statuses.contains("Update control file not found|2|0"));

    upd.caBundle = cert;
    EXPECT_TRUE(upd.HasNewVersion());
    ASSERT_EQ(upd.OpenSession(), 0);
    EXPECT_TRUE(upd.DownloadFile(upd.URL.replace("velkorn.INF", "file.bin"), target, false));
    EXPECT_EQ(readFile(target + "file.bin"), pattern(10000));
    // A redirect from https to plain http is not followed, so neither the password nor the request goes out.
    EXPECT_FALSE(upd.DownloadFile(QStringLiteral("https://127.0.0.1:%1/downgrade").arg(port), target, false));
    EXPECT_TRUE(plain.seen().empty());
    EXPECT_TRUE(leftovers().isEmpty());
}

// velkorn-server signs what it publishes when given a key: the signature names the file's time as the release time,
// so a control file put back with an older time is a replay that the engine refuses.
TEST_F(DownloadTest, TheServerSignsPublishedFilesWithTheirTime)
{
    UpdateRouteOptions options;
    options.folder = updates.toStdString();
    options.signKey = VELKORN_TEST_SIGNING_KEY;
    options.minisign = VELKORN_TEST_MINISIGN;
    httplib::Server signing;
    addUpdateRoutes(signing, options);
    ServerThread running(signing);
    upd.CloseSession();
    upd.URL = QStringLiteral("http://127.0.0.1:%1/velkorn.INF").arg(running.port);

    writeFile(updates + "velkorn.INF", "[update]\nunconditional=1\n");
    EXPECT_TRUE(upd.HasNewVersion());
    EXPECT_TRUE(QFile::exists(updates + "velkorn.INF.minisig"));

    writeFile(updates + "velkorn.INF", "[update]\nunconditional=1\ndescr=an old release\n");
    QFile::remove(updates + "velkorn.INF.minisig");
    QFile inf(updates + "velkorn.INF");
    ASSERT_TRUE(inf.open(QIODevice::ReadWrite));
    ASSERT_TRUE(inf.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
    inf.close();
    statuses.clear();
    EXPECT_FALSE(upd.HasNewVersion());
    EXPECT_TRUE(statuses.contains("Invalid signature in update control file|11|4"));
}
