#include "ScriptedEngine.h"
#include "UrlCatcher.h"
#include "widgets/MessageBox.h"
#include "update/TWebUpdate.h"
#include "update/wizard/TWUWIZ.h"
#include "update/wizard/TWebUpdateWizard.h"
#include "update/wizard/TWebUpdateWizardEnglish.h"
#include "update/wizard/TWebUpdateWizardGerman.h"
#include "update/wizard/WizardTextSets.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

using update::TWebUpdate;
using wizard::createUpdde;
using wizard::createUpden;
using wizard::createUpdtr;
using wizard::TWebUpdateWizard;
using wizard::TWebUpdateWizardEnglish;
using wizard::TWebUpdateWizardGerman;
using wizard::TWebUpdateWizardLanguage;
using wizard::TWUWIZ;

namespace {

QStringList allTexts(const TWebUpdateWizardLanguage& t)
{
    return {t.Welcome,           t.StartButton,      t.NextButton,      t.ExitButton,      t.RestartButton,
            t.CancelButton,      t.FailedDownload,   t.GetUpdateButton, t.NewVersionFound, t.NewVersion,
            t.NoNewVersionAvail, t.NewVersionAvail,  t.CurrentVersion,  t.NoFilesFound,    t.NoUpdateOnServer,
            t.CannotConnect,     t.WhatsNew,         t.License,         t.AcceptLicense,   t.NotAcceptLicense,
            t.ComponentsAvail,   t.DownloadingFiles, t.CurrentProgress, t.TotalProgress,   t.UpdateComplete,
            t.RestartInfo,       t.WhatsNewPopup,    t.LicensePopup};
}

TEST(WizardTextsTest, ThreeSetsAndAssign)
{
    QObject owner;
    auto* en = createUpden(&owner);
    auto* de = createUpdde(&owner);
    auto* tr = createUpdtr(&owner);
    EXPECT_EQ(en->objectName(), "upden");
    EXPECT_EQ(allTexts(*en), allTexts(TWebUpdateWizardLanguage()));
    EXPECT_EQ(de->License, "Lizenzvereinbar;ung");
    EXPECT_EQ(de->NextButton, "Weiter");
    // The German set keeps three English texts.
    EXPECT_EQ(de->FailedDownload, "Failed to download updates");
    EXPECT_EQ(de->WhatsNewPopup, "View in Notepad");
    EXPECT_EQ(de->LicensePopup, "View in Notepad");
    EXPECT_EQ(tr->RestartButton, QString::fromUtf8("Yeniden Başlat"));
    EXPECT_EQ(tr->NextButton, QString::fromUtf8("İleri"));

    // Every text of the three sets differs between English and Turkish: none was forgotten.
    const QStringList enTexts = allTexts(*en);
    const QStringList trTexts = allTexts(*tr);
    ASSERT_EQ(enTexts.size(), 28);
    for (int i = 0; i < 28; ++i)
        EXPECT_NE(enTexts[i], trTexts[i]) << i;

    TWebUpdateWizardEnglish copy;
    copy.Assign(*tr);
    EXPECT_EQ(allTexts(copy), trTexts);

    EXPECT_EQ(textSetForLanguage("de", en, de, tr), de);
    EXPECT_EQ(textSetForLanguage("tr", en, de, tr), tr);
    EXPECT_EQ(textSetForLanguage("en", en, de, tr), en);
    EXPECT_EQ(textSetForLanguage("fr", en, de, tr), nullptr);
}

TEST(WizardComponentTest, NeedsAnEngineAndForgetsDestroyedComponents)
{
    TWebUpdateWizard wizard;
    try {
        wizard.Execute();
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "No WebUpdate component assigned");
    }
    auto engine = std::make_unique<TWebUpdate>();
    auto texts = std::make_unique<TWebUpdateWizardGerman>();
    wizard.WebUpdate = engine.get();
    wizard.Language = texts.get();
    engine.reset();
    texts.reset();
    EXPECT_TRUE(wizard.WebUpdate.isNull());
    EXPECT_TRUE(wizard.Language.isNull());
}

TEST(WizardFormTest, FitButtonGrowsToTheLeft)
{
    TWUWIZ form;
    form.ControlButton->setText("A caption far too long for ninety-one pixels");
    form.FitButton(form.ControlButton);
    const QRect g = form.ControlButton->geometry();
    EXPECT_EQ(g.x() + g.width(), 224 + 91);
    EXPECT_GE(g.width(), form.ControlButton->fontMetrics().horizontalAdvance(form.ControlButton->text()) + 16);
    form.RestartButton->setText("Ok");
    form.FitButton(form.RestartButton);
    EXPECT_EQ(form.RestartButton->geometry(), QRect(224, 224, 91, 25));
}

// Each test drives the window's handlers one by one against a scripted engine, the way the buttons do.
class WizardFlowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        widgets::setMessageBoxHandler([this](const widgets::BoxRequest& r) { messages << r.text; });
        form = std::make_unique<TWUWIZ>();
        form->applyTexts(texts);
        form->engine = &engine;
        engine.setFileProgressHandler(
            [this](QObject*, const QString& n, qint64 p, qint64 s) { form->WebUpdateFileProgress(n, p, s); });
        engine.setCancelHandler([this](QObject*, bool& cancel) { cancel = form->WebUpdateCancel(); });
        engine.verdict = 8;
        engine.serverFiles = {ScriptedEngine::file("velkorn", 10000)};
    }
    void TearDown() override { widgets::setMessageBoxHandler({}); }

    int page() const { return form->PageControl1->currentIndex(); }
    bool closed() const { return form->isClosed(); }

    TWebUpdateWizardEnglish texts;
    ScriptedEngine engine;
    std::unique_ptr<TWUWIZ> form;
    QStringList messages;
};

TEST_F(WizardFlowTest, NoSessionClosesAtOnce)
{
    engine.openSession = 1;
    form->StartButtonClick();
    EXPECT_TRUE(closed());
    EXPECT_EQ(engine.calls, (QStringList{"OpenSession", "CloseSession"}));
    EXPECT_TRUE(form->StartButton->isEnabled());
}

TEST_F(WizardFlowTest, ControlFileNotReadOffersExit)
{
    engine.fetchControlFile = 2;
    engine.ftp = true;
    form->StartButtonClick();
    EXPECT_EQ(page(), 1);
    EXPECT_TRUE(engine.silent);
    EXPECT_TRUE(engine.calls.contains("ConnectFtpHost"));
    EXPECT_EQ(form->VersionInfoLabel->text(), "Could not connect to update server or no update found on server ...");
    EXPECT_EQ(form->VersionInfoLabel->width(), 300);
    EXPECT_EQ(form->ControlButton->text(), "Exit");
    EXPECT_TRUE(form->ControlButton->isEnabled());
    form->ControlButtonClick();
    EXPECT_TRUE(closed());
    EXPECT_FALSE(engine.calls.contains("RunPreUpdateActions"));
}

TEST_F(WizardFlowTest, VerdictTexts)
{
    engine.verdict = 7;
    form->StartButtonClick();
    EXPECT_EQ(form->VersionInfoLabel->text(), "No new version available.");
    EXPECT_EQ(form->ControlButton->text(), "Exit");

    const QLocale locale;
    engine.verdict = 6;
    engine.local = QDateTime(QDate(2008, 1, 10), QTime(0, 0));
    engine.release = QDateTime(QDate(2008, 3, 2), QTime(14, 5));
    form->StartButtonClick();
    EXPECT_EQ(form->VersionInfoLabel->text(),
              "New version found :\nCurrent version : " + locale.toString(QDate(2008, 1, 10), QLocale::ShortFormat) +
                  "\nNew version : " + locale.toString(QDate(2008, 3, 2), QLocale::ShortFormat) + " " +
                  locale.toString(QTime(14, 5), QLocale::ShortFormat) + "\n\nFaster search");
    EXPECT_EQ(form->ControlButton->text(), "Get update");

    engine.release = QDateTime(QDate(2008, 3, 2), QTime(0, 0));
    form->StartButtonClick();
    EXPECT_TRUE(form->VersionInfoLabel->text().contains(
        "New version : " + locale.toString(QDate(2008, 3, 2), QLocale::ShortFormat) + "\n\n"));

    engine.verdict = 11;
    form->StartButtonClick();
    EXPECT_EQ(form->VersionInfoLabel->text(),
              "New version found :\nCurrent version : 2.0.0.0\nNew version : 2.1.0.0\n\nFaster search");
    for (int v : {8, 9, 10, 12}) {
        engine.verdict = v;
        form->StartButtonClick();
        EXPECT_EQ(form->VersionInfoLabel->text(), "New version available.");
    }
}

TEST_F(WizardFlowTest, DeclinedPreUpdateQuestionCloses)
{
    form->StartButtonClick();
    engine.preUpdate = 1;
    form->ControlButtonClick();
    EXPECT_TRUE(closed());
    EXPECT_FALSE(engine.calls.contains("FetchWhatsNew"));
}

TEST_F(WizardFlowTest, ReleaseNotesThenLicenceThenFiles)
{
    engine.whatsNew = QStringList{"Line one", "Line two"};
    engine.license = QStringList{"Terms"};
    form->StartButtonClick();
    form->ControlButtonClick();
    EXPECT_EQ(page(), 2);
    EXPECT_EQ(form->WhatsNewMemo->toPlainText(), "Line one\nLine two");
    EXPECT_TRUE(form->NewButton->isEnabled());

    form->NewButtonClick();
    EXPECT_EQ(page(), 3);
    EXPECT_EQ(form->EULAMemo->toPlainText(), "Terms");
    EXPECT_FALSE(form->EULAButton->isEnabled());
    form->EULAButtonClick(); // nothing chosen: nothing happens
    EXPECT_EQ(page(), 3);

    form->RNoAccept->click();
    EXPECT_TRUE(form->EULAButton->isEnabled());
    EXPECT_EQ(form->EULAButton->text(), "Exit");
    form->RAccept->click();
    EXPECT_EQ(form->EULAButton->text(), "Next");
    form->EULAButtonClick();
    EXPECT_EQ(page(), 4);
    EXPECT_EQ(form->CheckListBox1->count(), 1);
    EXPECT_FALSE(closed());
}

TEST_F(WizardFlowTest, LicenceWithoutNotesAndRefusal)
{
    engine.license = QStringList{"Terms"};
    form->StartButtonClick();
    form->ControlButtonClick();
    EXPECT_EQ(page(), 3);
    form->RNoAccept->click();
    form->EULAButtonClick();
    EXPECT_TRUE(closed());
    EXPECT_FALSE(engine.calls.contains("DownloadFiles"));
}

TEST_F(WizardFlowTest, MandatoryHiddenAndUntickedFiles)
{
    engine.serverFiles = {ScriptedEngine::file("Program", 9000, true),
                          ScriptedEngine::file("Hidden data", 5000, false, true), ScriptedEngine::file("Manual", 7000),
                          ScriptedEngine::file("Samples", 3000)};
    form->StartButtonClick();
    form->ControlButtonClick();
    ASSERT_EQ(page(), 4);
    ASSERT_EQ(form->CheckListBox1->count(), 3);
    QListWidgetItem* program = form->CheckListBox1->item(0);
    EXPECT_EQ(program->text(), "Program");
    EXPECT_EQ(program->checkState(), Qt::Checked);
    EXPECT_FALSE(program->flags() & Qt::ItemIsEnabled);
    EXPECT_EQ(form->CheckListBox1->item(1)->text(), "Manual");
    EXPECT_EQ(form->CheckListBox1->item(1)->data(Qt::UserRole).toInt(), 2);
    EXPECT_TRUE(form->CheckListBox1->item(1)->flags() & Qt::ItemIsEnabled);

    form->CheckListBox1->item(2)->setCheckState(Qt::Unchecked); // Samples
    form->FilesButtonClick();
    EXPECT_EQ(engine.downloaded, (QStringList{"Program", "Hidden data", "Manual"}));
    EXPECT_EQ(page(), 6);
    EXPECT_EQ(engine.successRaised, 1);
    EXPECT_EQ(form->RestartButton->text(), "Restart");
    EXPECT_EQ(form->Label8->text(), "Press restart to start the updated application.");
    EXPECT_EQ(form->FileLabel->text(), "Manual");
    EXPECT_EQ(form->TotalProgress->maximum(), 9000 + 5000 + 7000);
    form->RestartButtonClick();
    EXPECT_EQ(engine.calls.last(), "LaunchRestart");
    EXPECT_FALSE(closed());
}

TEST_F(WizardFlowTest, NoFilesLeft)
{
    engine.serverFiles.clear();
    form->StartButtonClick();
    form->ControlButtonClick();
    EXPECT_EQ(messages, QStringList{"No files found for update"});
    EXPECT_TRUE(closed());

    // Nothing ticked and no mandatory file.
    messages.clear();
    form = std::make_unique<TWUWIZ>();
    form->applyTexts(texts);
    form->engine = &engine;
    engine.serverFiles = {ScriptedEngine::file("Manual", 7000)};
    form->StartButtonClick();
    form->ControlButtonClick();
    form->CheckListBox1->item(0)->setCheckState(Qt::Unchecked);
    form->FilesButtonClick();
    EXPECT_EQ(messages, QStringList{"No files found for update"});
    EXPECT_TRUE(closed());
    EXPECT_FALSE(engine.calls.contains("DownloadFiles"));
}

TEST_F(WizardFlowTest, RunWithoutApplicationComponentEndsWithExit)
{
    engine.marksComponent = false;
    form->StartButtonClick();
    form->ControlButtonClick();
    form->FilesButtonClick();
    EXPECT_EQ(page(), 6);
    EXPECT_EQ(form->RestartButton->text(), "Exit");
    EXPECT_TRUE(form->Label8->text().isEmpty());
    form->RestartButtonClick();
    EXPECT_TRUE(closed());
    EXPECT_FALSE(engine.calls.contains("LaunchRestart"));
}

TEST_F(WizardFlowTest, CancelDuringDownload)
{
    engine.serverFiles = {ScriptedEngine::file("Program", 20000), ScriptedEngine::file("Data", 20000)};
    engine.duringDownload = [this](int) { form->CancelButton->click(); };
    form->StartButtonClick();
    form->ControlButtonClick();
    form->FilesButtonClick();
    EXPECT_EQ(messages, QStringList{"Failed to download updates"});
    EXPECT_TRUE(engine.isCancelled);
    EXPECT_TRUE(closed());
    EXPECT_TRUE(engine.downloaded.isEmpty());
    EXPECT_FALSE(engine.calls.contains("LaunchRestart"));
    EXPECT_TRUE(engine.calls.contains("FinishUpdate"));
}

// The close box during a download stops the transfer first instead of closing the session under it.
TEST_F(WizardFlowTest, CloseBoxDuringDownloadCancelsIt)
{
    engine.duringDownload = [this](int) {
        form->close();
        EXPECT_FALSE(closed());
        EXPECT_EQ(engine.calls.count("CloseSession"), 0);
    };
    form->StartButtonClick();
    form->ControlButtonClick();
    form->FilesButtonClick();
    EXPECT_EQ(messages, QStringList{"Failed to download updates"});
    EXPECT_TRUE(closed());
}

// The same holds while the release notes are fetched: the window stays until the fetch has returned.
TEST_F(WizardFlowTest, CloseBoxDuringAFetchWaitsForIt)
{
    engine.duringWhatsNew = [this] {
        form->close();
        EXPECT_FALSE(closed());
        EXPECT_EQ(engine.calls.count("CloseSession"), 0);
    };
    form->StartButtonClick();
    form->ControlButtonClick();
    EXPECT_TRUE(engine.calls.contains("FetchWhatsNew"));
}

TEST_F(WizardFlowTest, ProgressOfTheActiveFile)
{
    engine.serverFiles = {ScriptedEngine::file("a", 1000), ScriptedEngine::file("b", 3000)};
    engine.LoadFileList();
    engine.fileList().ActiveItem = 1;
    form->WebUpdateFileProgress("C:\\Temp\\dir/b.bin", 500, 3000);
    EXPECT_EQ(form->FileLabel->text(), "b.bin");
    EXPECT_EQ(form->FileProgress->maximum(), 3000);
    EXPECT_EQ(form->FileProgress->value(), 500);
    EXPECT_EQ(form->TotalProgress->maximum(), 4000);
    EXPECT_EQ(form->TotalProgress->value(), 1500);
}

TEST_F(WizardFlowTest, ViewInNotepadSavesAndOpens)
{
    QTemporaryDir temp;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    form->WhatsNewMemo->setPlainText("First\nSecond");
    form->ViewinNotepad1Click();
    form->EULAMemo->setPlainText("Terms");
    form->ViewinNotepad2Click();
    QDesktopServices::unsetUrlHandler("file");
    qputenv("TMPDIR", oldTmp);

    QFile whatsNew(temp.path() + "/whatsnew.txt");
    ASSERT_TRUE(whatsNew.open(QIODevice::ReadOnly));
    EXPECT_EQ(whatsNew.readAll(), QByteArray("First\nSecond\n"));
    EXPECT_TRUE(QFile::exists(temp.path() + "/eula.txt"));
    ASSERT_EQ(catcher.opened.size(), 2);
    EXPECT_EQ(catcher.opened[0].toLocalFile(), temp.path() + "/whatsnew.txt");
}

// The whole run through Execute with AutoStart and AutoRun: the window goes on by itself to the restart.
TEST(WizardExecuteTest, AutoRunGoesAllTheWay)
{
    ScriptedEngine engine;
    engine.verdict = 11;
    engine.whatsNew = QStringList{"Notes"};
    engine.serverFiles = {ScriptedEngine::file("Program", 5000)};
    bool ownHandlerCalled = false;
    engine.setCancelHandler([&](QObject*, bool&) { ownHandlerCalled = true; });

    TWebUpdateWizard wizard;
    wizard.setWizardEngine(&engine);
    wizard.AutoStart = true;
    wizard.AutoRun = true;
    TWebUpdateWizardGerman german;
    wizard.Language = &german;
    QStringList pages;
    wizard.onFormReady = [&](TWUWIZ& form) {
        QObject::connect(form.PageControl1, &QStackedWidget::currentChanged,
                         [&](int i) { pages << QString::number(i); });
        EXPECT_EQ(form.Label2->text(), "Lizenzvereinbar;ung");
        EXPECT_EQ(form.font().family(), wizard.Font.family());
    };
    // LaunchRestart ends the application; here it closes the window so that Execute returns.
    engine.onRestart = [] {
        if (QWidget* w = QApplication::activeModalWidget())
            w->close();
    };
    wizard.Execute();
    EXPECT_EQ(pages.join(','), "1,2,4,5,6") << engine.calls.join(' ').toStdString();
    EXPECT_EQ(engine.downloaded, QStringList{"Program"});
    EXPECT_TRUE(engine.calls.contains("LaunchRestart"));
    // The engine's own handlers are back.
    bool cancel = false;
    engine.cancelHandler()(nullptr, cancel);
    EXPECT_TRUE(ownHandlerCalled);
}

// A click during an automatic pause takes the step; the pause must not take it a second time.
TEST(WizardExecuteTest, ClickDuringAPauseIsNotRepeated)
{
    ScriptedEngine engine;
    engine.verdict = 8;
    engine.serverFiles = {ScriptedEngine::file("Program", 5000)};
    // The window stays open a while after the restart, so that a repeated step would still show.
    engine.onRestart = [] {
        QTimer::singleShot(500, [] {
            if (QWidget* w = QApplication::activeModalWidget())
                w->close();
        });
    };
    TWebUpdateWizard wizard;
    wizard.setWizardEngine(&engine);
    wizard.AutoStart = true;
    wizard.AutoRun = true;
    wizard.onFormReady = [](TWUWIZ& form) {
        QObject::connect(form.PageControl1, &QStackedWidget::currentChanged, &form, [&form](int page) {
            if (page == 4)
                QTimer::singleShot(0, form.FilesButton, &QPushButton::click);
        });
    };
    wizard.Execute();
    EXPECT_EQ(engine.calls.count("DownloadFiles"), 1);
    EXPECT_EQ(engine.calls.count("LaunchRestart"), 1);
}

// Closing the window during a pause must not let the run go on behind it.
TEST(WizardExecuteTest, ClosingDuringAPauseStopsTheRun)
{
    struct ClosingEngine : ScriptedEngine
    {
        int EvaluateUpdate() override
        {
            // Runs just before the pause that leads to the next step.
            QTimer::singleShot(0, [] {
                if (QWidget* w = QApplication::activeModalWidget())
                    w->close();
            });
            return ScriptedEngine::EvaluateUpdate();
        }
    } engine;
    engine.verdict = 8;
    TWebUpdateWizard wizard;
    wizard.setWizardEngine(&engine);
    wizard.AutoStart = true;
    wizard.AutoRun = true;
    wizard.Execute();
    EXPECT_TRUE(engine.calls.contains("EvaluateUpdate"));
    EXPECT_FALSE(engine.calls.contains("RunPreUpdateActions"));
    EXPECT_GE(engine.calls.count("CloseSession"), 1);
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("LC_ALL", "C.UTF-8");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
