#include "i18n/LngINISupp.h"
#include "i18n/ComponentText.h"
#include "i18n/SilentCancel.h"

#include "widgets/MessageBox.h"
#include "widgets/TRTFLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

using i18n::SilentCancel;
using i18n::TLngINISupp;
using widgets::TRTFLabel;

namespace {

const QString kNotPreset = QStringLiteral("ERROR!!!\r\nFile not preset!");
const QString kNotFound = QStringLiteral("WARNING!!!\r\n Language File Not Found! Its now creating a new!");

// The main window's fourteen labels as the created file lists them: name=built-in text, in creation order.
const QByteArray kCreatedMainSection =
    "[frmMain]\r\nlblTotalWeight=lblTotalWeight\r\nlblOperationPressure=lblOperationPressure\r\n"
    "lblOperationSpace=lblOperationSpace\r\nlblAssemblyHeight=lblAssemblyHeight\r\nlblPistonType=lblPistonType\r\n"
    "lblLoadingCapacity=lblLoadingCapacity\r\nLabel1=(kg)\r\nLabel2=(bar)\r\nLabel3=(mm)\r\nLabel4=(mm)\r\n"
    "Label5=(kg)\r\nLabel6=Max:\r\nLabel7=Min:\r\nLabel8=Default:\r\n";

// A stand-in for the main window: the labels sit on an inner panel, as on the item-detail panel.
std::unique_ptr<QWidget> makeMainForm()
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName("frmMain");
    auto* panel = new QWidget(form.get());
    for (const QByteArray& line : kCreatedMainSection.split('\n').mid(1)) {
        const QList<QByteArray> pair = line.trimmed().split('=');
        if (pair.size() == 2)
            (new QLabel(pair.at(1), panel))->setObjectName(pair.at(0));
    }
    return form;
}

QString labelText(const std::unique_ptr<QWidget>& form, const char* name)
{
    return form->findChild<QLabel*>(name)->text();
}

class LanguageFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TLngINISupp::resetSharedState();
        widgets::setMessageBoxHandler([this](const widgets::BoxRequest& box) { boxes.append(box.text); });
        lis.setApplicationDir(dir.path());
        lis.setFileName("en.lng");
    }
    void TearDown() override { widgets::setMessageBoxHandler({}); }

    QByteArray fileBytes(const QString& name = "en.lng") const
    {
        QFile file(dir.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QByteArray& bytes, const QString& name = "en.lng")
    {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    QTemporaryDir dir;
    TLngINISupp lis;
    QStringList boxes;
};

} // namespace

TEST_F(LanguageFile, AMissingFileIsCreatedFromTheBuiltInTextsInCreationOrder)
{
    auto form = makeMainForm();
    lis.LoadLanguage();
    EXPECT_EQ(boxes, QStringList({kNotFound}));
    EXPECT_EQ(fileBytes(), kCreatedMainSection);
    EXPECT_EQ(labelText(form, "Label8"), "Default:");
}

TEST_F(LanguageFile, AppliesExactNamesOnlyAndNeverChangesWhatTheFileHas)
{
    auto form = makeMainForm();
    const QByteArray original = "[Language]\r\nLanguage=Deutsch\r\n[frmMain]\r\nlblTotalWeight=Gesamtgewicht\r\n"
                                "lblpistontype=never applied\r\nLabel6=\"  Max:  \"\r\nLabel7=\r\nlblGone=kept\r\n"
                                "[frmGone]\r\nLabel2=kept too\r\n[Project_Messages]\r\nLabel3=not a caption\r\n";
    writeFile(original);
    form->findChild<QLabel*>("Label8")->setText("Changed built-in text");
    lis.LoadLanguage();

    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(labelText(form, "lblTotalWeight"), "Gesamtgewicht");
    EXPECT_EQ(labelText(form, "Label6"), "  Max:  ");
    EXPECT_EQ(labelText(form, "Label7"), "");
    // A key that matches only regardless of case counts as present, yet is not applied.
    EXPECT_EQ(labelText(form, "lblPistonType"), "lblPistonType");
    EXPECT_EQ(labelText(form, "Label3"), "(mm)");
    // Missing entries go to the end of the form's section; nothing else changes.
    const QByteArray bytes = fileBytes();
    EXPECT_TRUE(bytes.startsWith(original.left(original.indexOf("[frmGone]") - 2) +
                                 "\r\nlblOperationPressure=lblOperationPressure\r\n"));
    EXPECT_TRUE(bytes.endsWith("Label8=Changed built-in text\r\n" + original.mid(original.indexOf("[frmGone]"))));

    // Once complete, the file is left alone: an existing entry wins over a changed built-in text.
    form->findChild<QLabel*>("Label1")->setText("(t)");
    lis.LoadLanguage();
    EXPECT_EQ(fileBytes(), bytes);
    EXPECT_EQ(labelText(form, "Label1"), "(kg)");
}

TEST_F(LanguageFile, ASectionNamedOnlyRegardlessOfCaseIsCompletedButNeverApplied)
{
    auto form = makeMainForm();
    writeFile("[FRMMAIN]\r\nLabel1=never applied\r\n");
    lis.LoadLanguage();
    EXPECT_EQ(labelText(form, "Label1"), "(kg)");
    EXPECT_TRUE(fileBytes().startsWith("[FRMMAIN]\r\nLabel1=never applied\r\nlblTotalWeight=lblTotalWeight\r\n"));
    EXPECT_FALSE(fileBytes().contains("[frmMain]"));
}

TEST_F(LanguageFile, NoFileNameWarnsAndCancelsWithoutTouchingAnyText)
{
    auto form = makeMainForm();
    lis.ReleaseLanguage();
    EXPECT_THROW(lis.LoadLanguage(), SilentCancel);
    EXPECT_TRUE(TLngINISupp::fileNameMissing());
    EXPECT_EQ(boxes, QStringList({kNotPreset}));
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
}

TEST_F(LanguageFile, AFileThatCannotBeWrittenIsReportedToTheCaller)
{
    // Tests run as root, who may write anywhere: make the target a directory, or put it in a missing one.
    auto form = makeMainForm();
    form->findChild<QLabel*>("Label1")->setText("built-in");
    QDir(dir.path()).mkdir("en.lng");
    for (const QString& applicationDir : {dir.path(), dir.filePath("missing")}) {
        boxes.clear();
        lis.setApplicationDir(applicationDir);
        lis.setFileName("en.lng");
        try {
            lis.LoadLanguage();
            ADD_FAILURE() << "no error for " << applicationDir.toStdString();
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(QString::fromUtf8(error.what()), "Unable to write to " + lis.fileName());
        }
        EXPECT_EQ(boxes, QStringList({kNotFound}));
        EXPECT_EQ(labelText(form, "Label1"), "built-in");
    }
}

TEST_F(LanguageFile, EveryKindIsStoredAndAppliedAndOnlyThose)
{
    QWidget form;
    form.setObjectName("frmKinds");
    (new QPushButton("push", &form))->setObjectName("btnPush");
    auto* group = new QGroupBox("group", &form);
    group->setObjectName("grpBox");
    (new QCheckBox("check", group))->setObjectName("chkBox");
    auto* tabs = new QTabWidget(&form);
    tabs->addTab(new QWidget, "tab");
    tabs->widget(0)->setObjectName("tsFirst");
    auto* stack = new QStackedWidget(&form);
    stack->addWidget(new QWidget);
    stack->widget(0)->setObjectName("pgUntitled");
    auto* menu = (new QMenuBar(&form))->addMenu("menu");
    menu->setObjectName("mnuFile");
    menu->addAction("action")->setObjectName("actOpen");
    QAction* style = menu->addAction("style");
    style->setObjectName("btnSTYLE1");
    i18n::excludeFromTranslation(style);
    auto* status = new QStatusBar(&form);
    status->setObjectName("StatusBar1");
    for (int i = 0; i < 13; ++i)
        status->addWidget(new QLabel(QStringLiteral("p%1").arg(i)));
    (new TRTFLabel(&form))->setObjectName("rtfIntro");
    auto* picture = new QLabel(&form);
    picture->setObjectName("imgLogo");
    QPixmap pixels(4, 4);
    picture->setPixmap(pixels);

    lis.setFileName("kinds.lng");
    lis.LoadLanguage();
    QByteArray expected = "[frmKinds]\r\nbtnPush=push\r\ngrpBox=group\r\nchkBox=check\r\ntsFirst=tab\r\n"
                          "mnuFile=menu\r\nactOpen=action\r\n";
    for (int i = 0; i < 13; ++i)
        expected += QStringLiteral("StatusBar1.Panels[%1]=p%1\r\n").arg(i).toLatin1();
    EXPECT_EQ(fileBytes("kinds.lng"), expected);

    writeFile(expected.replace("=", "=X ") + "rtfIntro=no\r\nimgLogo=no\r\nbtnSTYLE1=no\r\n", "kinds.lng");
    lis.LoadLanguage();
    EXPECT_EQ(form.findChild<QPushButton*>("btnPush")->text(), "X push");
    EXPECT_EQ(group->title(), "X group");
    EXPECT_EQ(form.findChild<QCheckBox*>("chkBox")->text(), "X check");
    EXPECT_EQ(tabs->tabText(0), "X tab");
    EXPECT_EQ(menu->title(), "X menu");
    EXPECT_EQ(menu->actions().first()->text(), "X action");
    EXPECT_EQ(style->text(), "style");
    EXPECT_EQ(status->findChildren<QLabel*>(Qt::FindDirectChildrenOnly).at(12)->text(), "X p12");
    EXPECT_FALSE(picture->pixmap().isNull());
}

TEST_F(LanguageFile, TheLanguageMenuListsTheFilesAndSwitchesOnce)
{
    auto form = makeMainForm();
    auto* bar = new QMenuBar(form.get());
    writeFile(kCreatedMainSection + "[Language]\r\nLanguage=English\r\n");
    writeFile("[Language]\r\nLanguage=Deutsch\r\n[frmMain]\r\nLabel8=Standard:\r\n", "de.lng");
    lis.setMenu(bar);
    lis.LoadLanguage();

    QMenu* languages = bar->actions().last()->menu();
    ASSERT_TRUE(languages && languages->objectName() == "LngItem");
    QStringList items;
    for (QAction* item : languages->actions())
        items << item->objectName() + "=" + item->text();
    items.sort();
    EXPECT_EQ(items, QStringList({"de=Deutsch", "en=English"}));

    // Switching writes the current texts into the new file where it lacks them, then applies it.
    for (QAction* item : languages->actions())
        if (item->objectName() == "de")
            item->trigger();
    EXPECT_EQ(labelText(form, "Label8"), "Standard:");
    EXPECT_TRUE(fileBytes("de.lng").contains("Label7=Min:\r\n"));
    EXPECT_FALSE(fileBytes("de.lng").contains("LngItem"));
    EXPECT_EQ(bar->actions().size(), 1);
}
