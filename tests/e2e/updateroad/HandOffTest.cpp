// The hand-off from the synchronisation thread to the application update, against the update routes of
// velkorn-server on a loopback port: the check runs on the calling thread, the wizard on the main thread while the
// caller waits, and a shutdown ends both without waiting for a server or a user.
#include "UpdateRoutes.h"
#include "app/ApplicationUpdate.h"
#include "support/LoopbackServers.h"
#include "support/SignedRelease.h"
#include "update/TWebUpdate.h"
#include "update/wizard/TWUWIZ.h"
#include "update/wizard/TWebUpdateWizard.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <httplib.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <mutex>
#include <thread>

using app::ApplicationUpdate;
using i18n::Language;
using wizard::TWUWIZ;

namespace {

// The update routes on a loopback port; records each request's path and Authorization header.
class RecordingUpdateServer
{
public:
    explicit RecordingUpdateServer(const QString& folder)
        : m_routes(folder.toStdString(),
                   [this](httplib::Server& server) {
                       server.set_logger([this](const httplib::Request& req, const httplib::Response&) {
                           const std::lock_guard<std::mutex> lock(m_mutex);
                           m_requests.push_back(req.path + " " + req.get_header_value("Authorization"));
                       });
                   }),
          port(m_routes.port)
    {
    }
    std::vector<std::string> requests()
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    std::mutex m_mutex;
    std::vector<std::string> m_requests;
    UpdateServer m_routes;

public:
    const int port;
};

// A port on which nothing listens.
int closedPort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
    ::close(s);
    return ntohs(addr.sin_port);
}

// Runs handOff() on a thread of its own, as the synchronisation does.
class HandOffThread
{
public:
    explicit HandOffThread(ApplicationUpdate& update)
    {
        m_thread.reset(QThread::create([this, &update] {
            result = update.handOff();
            done = true;
        }));
        m_thread->start();
    }
    ~HandOffThread() { m_thread->wait(); }

    // Processes the main thread's events until the hand-off has returned or the time is up.
    bool waitForEnd(int milliseconds = 20000)
    {
        QElapsedTimer timer;
        timer.start();
        while (!done && timer.elapsed() < milliseconds)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        return done;
    }
    QThread* thread() const { return m_thread.get(); }

    std::atomic_bool done{false};
    ApplicationUpdate::Result result = ApplicationUpdate::Result::Failed;

private:
    std::unique_ptr<QThread> m_thread;
};

// Calls `act` with the wizard's window once it is open, from the main thread's event loop.
void whenWizardOpens(ApplicationUpdate& update, std::function<void(TWUWIZ&)> act)
{
    auto* timer = new QTimer(&update);
    QObject::connect(timer, &QTimer::timeout, [timer, &update, act] {
        if (TWUWIZ* form = update.wizardWindow(); form && form->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(*form);
        }
    });
    timer->start(10);
}

const char* NoUpdate = "[update]\ndescr=nothing new\n";
const char* Unconditional = "[update]\ndescr=Velkorn next\nunconditional=1\n";

class HandOffTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        QDir(m_root.path()).mkpath("app");
        QDir(m_root.path()).mkpath("update");
        QDir(m_root.path()).mkpath("tmp");
        m_appDir = m_root.path() + "/app/";
        m_previousDir = QDir::currentPath();
        m_update = std::make_unique<ApplicationUpdate>(&m_window, m_appDir);
        m_update->upd->setUserTempDirectory(m_root.path() + "/tmp/");
        m_update->upd->releaseStateFile = m_root.path() + "/release-state.ini";
        m_update->setLanguage(*Language::fromCode("en"));
    }
    void TearDown() override
    {
        m_update.reset();
        QDir::setCurrent(m_previousDir);
    }

    void serveControlFile(const char* text)
    {
        QFile file(m_root.path() + "/update/velkorn.INF");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        file.close();
        ASSERT_TRUE(testsigning::signRelease(file.fileName()));
    }

    QTemporaryDir m_root;
    QString m_appDir;
    QString m_previousDir;
    QWidget m_window;
    std::unique_ptr<ApplicationUpdate> m_update;
};

// The hand-off points the engine at the update server with this system's credentials and control file name, and
// makes the Application directory current ({APP}); a release that is not newer opens no wizard.
TEST_F(HandOffTest, AsksTheUpdateServerAndOpensNoWizardWithoutANewerVersion)
{
    serveControlFile(NoUpdate);
    RecordingUpdateServer server(m_root.path() + "/update");
    m_update->setHost(QString("127.0.0.1:%1").arg(server.port));
    bool wizardSeen = false;
    whenWizardOpens(*m_update, [&](TWUWIZ& form) {
        wizardSeen = true;
        form.close();
    });

    HandOffThread handOff(*m_update);
    ASSERT_TRUE(handOff.waitForEnd());
    EXPECT_EQ(handOff.result, ApplicationUpdate::Result::NoNewVersion);
    EXPECT_FALSE(wizardSeen);
    EXPECT_EQ(m_update->upd->URL, QString("http://127.0.0.1:%1/velkorn.INF").arg(server.port));
    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u); // the control file and its signature
    EXPECT_EQ(requests[0], "/velkorn.INF " + httplib::make_basic_authentication_header("update", "refreshx").second);
    EXPECT_EQ(requests[1],
              "/velkorn.INF.minisig " + httplib::make_basic_authentication_header("update", "refreshx").second);
    EXPECT_EQ(QDir::currentPath() + "/", QDir(m_appDir).canonicalPath() + "/");
}

// A server that cannot be reached, and a thread that was interrupted, end the hand-off quietly.
TEST_F(HandOffTest, AnUnreachableServerEndsTheHandOffQuietly)
{
    m_update->setHost(QString("127.0.0.1:%1").arg(closedPort()));
    HandOffThread handOff(*m_update);
    ASSERT_TRUE(handOff.waitForEnd());
    EXPECT_EQ(handOff.result, ApplicationUpdate::Result::NoNewVersion);
}

// With a newer version the wizard runs on the main thread, in the text set of the Language code, while the
// synchronisation thread waits for it to close. A code that is no language keeps the set chosen before.
TEST_F(HandOffTest, RunsTheWizardOnTheMainThreadInTheChosenLanguageWhileTheCallerWaits)
{
    serveControlFile(Unconditional);
    RecordingUpdateServer server(m_root.path() + "/update");
    m_update->setHost(QString("127.0.0.1:%1").arg(server.port));

    for (const QString& code : {QString("de"), QString("xx")}) {
        SCOPED_TRACE(code.toStdString());
        // A code that names no language leaves the language, and so the text set, as they were.
        if (const std::optional<Language> language = Language::fromCode(code))
            m_update->setLanguage(*language);
        std::atomic_bool callerWaited{false};
        QString welcome;
        bool onMainThread = false;
        QWidget* owner = nullptr;
        std::unique_ptr<HandOffThread> handOff;
        whenWizardOpens(*m_update, [&](TWUWIZ& form) {
            callerWaited = !handOff->done;
            onMainThread = form.thread() == qApp->thread();
            owner = form.parentWidget();
            welcome = form.WelcomeLabel->text();
            QTimer::singleShot(100, &form, [&form] { form.close(); });
        });
        handOff = std::make_unique<HandOffThread>(*m_update);
        ASSERT_TRUE(handOff->waitForEnd());
        EXPECT_EQ(handOff->result, ApplicationUpdate::Result::WizardClosed);
        EXPECT_TRUE(callerWaited);
        EXPECT_TRUE(onMainThread);
        EXPECT_EQ(owner, &m_window);
        EXPECT_EQ(welcome, QString::fromUtf8("Klicken Sie auf Start, um mit der Updateprüfung zu beginnen..."));
    }
    EXPECT_EQ(m_update->WebUpdateWizard1->Font.pixelSize(), 12);
    EXPECT_TRUE(m_update->WebUpdateWizard1->Font.bold());
}

// Shutdown while the check waits on a server that never answers: stop() ends the transfer at once instead of
// after the engine's time-outs, and so does the interruption of the synchronisation thread.
TEST_F(HandOffTest, StopEndsACheckThatHangsOnASilentServer)
{
    SilentServer silent;
    m_update->setHost(QString("127.0.0.1:%1").arg(silent.port));
    {
        HandOffThread handOff(*m_update);
        QThread::msleep(300);
        handOff.thread()->requestInterruption();
        ASSERT_TRUE(handOff.waitForEnd(15000)) << "the check did not give up";
        EXPECT_NE(handOff.result, ApplicationUpdate::Result::WizardClosed);
    }
    {
        HandOffThread handOff(*m_update);
        QThread::msleep(300);
        m_update->stop();
        ASSERT_TRUE(handOff.waitForEnd(15000)) << "the check did not give up";
        EXPECT_EQ(handOff.result, ApplicationUpdate::Result::Stopped);
    }
}

// Shutdown while the wizard is open: the wizard closes, the waiting thread is let go, and later hand-offs do not
// ask the server again.
TEST_F(HandOffTest, StopClosesAnOpenWizardAndReleasesTheWaitingThread)
{
    serveControlFile(Unconditional);
    RecordingUpdateServer server(m_root.path() + "/update");
    m_update->setHost(QString("127.0.0.1:%1").arg(server.port));
    QPointer<TWUWIZ> wizard;
    whenWizardOpens(*m_update, [&](TWUWIZ& form) {
        wizard = &form;
        QTimer::singleShot(50, m_update.get(), [this] { m_update->stop(); });
    });
    HandOffThread handOff(*m_update);
    ASSERT_TRUE(handOff.waitForEnd());
    EXPECT_EQ(handOff.result, ApplicationUpdate::Result::Stopped);
    QCoreApplication::processEvents();
    EXPECT_TRUE(wizard.isNull() || !wizard->isVisible());

    const size_t asked = server.requests().size();
    HandOffThread later(*m_update);
    ASSERT_TRUE(later.waitForEnd());
    EXPECT_EQ(later.result, ApplicationUpdate::Result::Stopped);
    EXPECT_EQ(server.requests().size(), asked);
}

// A file server that goes silent during the download must not freeze the wizard: its close box ends the transfer at
// once (the stall limit is a minute) and leaves no temporary file. (A termination signal is the road test's.)
TEST_F(HandOffTest, TheCloseBoxEndsADownloadFromASilentServer)
{
    SilentServer silent;
    const QByteArray control = "[update]\nunconditional=1\n[files]\ncount=1\n[file1]\nurl=http://127.0.0.1:" +
                               QByteArray::number(silent.port) + "/big.bin\ndescr=Big\nsha256=" + QByteArray(64, 'a') +
                               "\n";
    QFile file(m_root.path() + "/update/velkorn.INF");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(control);
    file.close();
    ASSERT_TRUE(testsigning::signRelease(file.fileName()));
    RecordingUpdateServer server(m_root.path() + "/update");
    m_update->setHost(QString("127.0.0.1:%1").arg(server.port));
    m_update->setUnattended(true);
    whenWizardOpens(*m_update, [](TWUWIZ& form) {
        auto* watch = new QTimer(&form);
        QObject::connect(watch, &QTimer::timeout, &form, [watch, &form] {
            if (form.PageControl1->currentIndex() == 5) { // downloading
                watch->stop();
                QTimer::singleShot(300, &form, [&form] { form.close(); });
            }
        });
        watch->start(20);
    });
    HandOffThread handOff(*m_update);
    ASSERT_TRUE(handOff.waitForEnd(20000)) << "the wizard did not close during the silent download";
    EXPECT_EQ(handOff.result, ApplicationUpdate::Result::WizardClosed);
    EXPECT_TRUE(QDir(m_appDir).entryList({"WUPD*"}, QDir::Files).isEmpty());
    EXPECT_FALSE(QFile::exists(m_appDir + "big.bin"));
}

} // namespace
