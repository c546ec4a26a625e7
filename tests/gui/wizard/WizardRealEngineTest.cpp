#include "support/SignedRelease.h"
#include "update/TWebUpdate.h"
#include "update/wizard/TWUWIZ.h"
#include "update/wizard/TWebUpdateWizard.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QStackedWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using update::fileUpdate;
using update::TWebUpdate;
using wizard::TWebUpdateWizard;
using wizard::TWUWIZ;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The wizard on the real engine, whose "server" is a folder (fileUpdate): checks that the adapter
// hands the engine's steps, file list, progress and restart over as the window expects them.
TEST(WizardRealEngineTest, DownloadsTheComponentAndOffersTheRestart)
{
    QTemporaryDir root;
    for (const char* d : {"server", "tmp", "app"})
        QDir(root.path()).mkpath(d);
    const QString server = root.filePath("server") + '/';
    const QString app = root.filePath("app") + '/';
    const QString previousDir = QDir::currentPath();
    QDir::setCurrent(app);

    // The program carries a version block of a release far ahead, so that it may replace the running one.
    QByteArray program(20000, 'p');
    const quint32 versionBlock[] = {0xFEEF04BDu, 0x00010000u, 999u << 16, 0u};
    program.replace(100, sizeof versionBlock, reinterpret_cast<const char*>(versionBlock), sizeof versionBlock);
    writeFile(server + "velkorn_NEW", program);
    writeFile(server + "velkorn.INF",
              ("[update]\ndate=01/01/2030\ndescr=Better search\n"
               "[application]\nappupdate=1\nappname=velkorn\nappcomps=velkorn_NEW\n"
               "[files]\ncount=1\n[file1]\nurl=" +
               server + "velkorn_NEW\ndescr=Program\nfilesize=20000\nsha256=" + testsigning::sha256Hex(program) + "\n")
                  .toUtf8());
    ASSERT_TRUE(testsigning::signRelease(server + "velkorn.INF"));

    TWebUpdate upd;
    upd.UpdateType = fileUpdate;
    upd.TempDirectory = root.filePath("tmp") + '/';
    upd.setUserTempDirectory(root.filePath("tmp") + '/');
    upd.URL = server + "velkorn.INF";
    upd.releaseStateFile = root.filePath("release-state.ini");
    bool restartAsked = false;
    upd.OnAppRestart = [&](QObject*, bool& allow) {
        restartAsked = true;
        allow = false;
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    };
    QStringList messages;
    widgets::setMessageBoxHandler([&](const widgets::BoxRequest& r) { messages << r.text; });

    TWebUpdateWizard wizard;
    wizard.WebUpdate = &upd;
    wizard.AutoStart = true;
    wizard.AutoRun = true;
    QStringList pages;
    QString versionText;
    wizard.onFormReady = [&](TWUWIZ& form) {
        QObject::connect(form.PageControl1, &QStackedWidget::currentChanged, [&](int i) {
            pages << QString::number(i);
            if (i == 4)
                versionText = form.VersionInfoLabel->text();
        });
    };
    wizard.Execute();
    widgets::setMessageBoxHandler({});
    QDir::setCurrent(previousDir);

    EXPECT_TRUE(messages.isEmpty()) << messages.join('|').toStdString();
    EXPECT_EQ(pages.join(','), "1,4,5,6");
    EXPECT_TRUE(versionText.endsWith("Better search")) << versionText.toStdString();
    QFile downloaded(app + "velkorn_NEW");
    ASSERT_TRUE(downloaded.open(QIODevice::ReadOnly));
    EXPECT_EQ(downloaded.readAll(), program);
    EXPECT_TRUE(restartAsked);
    EXPECT_FALSE(upd.OnFileProgress) << "the wizard's handlers are removed again";
}

} // namespace
