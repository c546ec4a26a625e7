#include "i18n/LngINISupp.h"
#include "i18n/ComponentText.h"
#include "i18n/SilentCancel.h"

#include "platform/MessageBox.h"
#include "widgets/TRTFLabel.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

const QString kNotPreset = QStringLiteral("ERROR!!!\r\nFile not preset!");
const QString kNotFound = QStringLiteral("WARNING!!!\r\n Language File Not Found! Its now creating a new!");

// The main window's fourteen translatable labels with their built-in texts, in creation order.
const QList<std::pair<const char*, const char*>> kMainLabels = {
    {"lblTotalWeight", "lblTotalWeight"},
    {"lblOperationPressure", "lblOperationPressure"},
    {"lblOperationSpace", "lblOperationSpace"},
    {"lblAssemblyHeight", "lblAssemblyHeight"},
    {"lblPistonType", "lblPistonType"},
    {"lblLoadingCapacity", "lblLoadingCapacity"},
    {"Label1", "(kg)"},
    {"Label2", "(bar)"},
    {"Label3", "(mm)"},
    {"Label4", "(mm)"},
    {"Label5", "(kg)"},
    {"Label6", "Max:"},
    {"Label7", "Min:"},
    {"Label8", "Default:"},
};

QByteArray createdMainSection()
{
    QByteArray bytes = "[frmMain]\r\n";
    for (const auto& [name, text] : kMainLabels)
        bytes += QByteArray(name) + '=' + text + "\r\n";
    return bytes;
}

// A stand-in for the main window: the labels sit on an inner panel, as on the item-detail panel.
std::unique_ptr<QWidget> makeMainForm()
{
    auto form = std::make_unique<QWidget>();
    form->setObjectName("frmMain");
    auto* panel = new QWidget(form.get());
    panel->setObjectName("pnlItemDetail");
    for (const auto& [name, text] : kMainLabels) {
        auto* label = new QLabel(QString::fromLatin1(text), panel);
        label->setObjectName(QString::fromLatin1(name));
    }
    return form;
}

QString labelText(QWidget* form, const char* name)
{
    return form->findChild<QLabel*>(name)->text();
}

class LanguageFile : public ::testing::Test
{
protected:
    void SetUp() override
    {
        TLngINISupp::resetSharedState();
        platform::setMessageBoxHandler([this](const platform::BoxRequest& box) { boxes.append(box.text); });
        lis.setApplicationDir(dir.path());
    }
    void TearDown() override
    {
        platform::setMessageBoxHandler({});
        TLngINISupp::resetSharedState();
    }

    QString path(const QString& name = "en.lng") const { return dir.filePath(name); }
    QByteArray fileBytes(const QString& name = "en.lng") const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void writeFile(const QByteArray& bytes, const QString& name = "en.lng")
    {
        QFile file(path(name));
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
    lis.setFileName("en.lng");
    lis.LoadLanguage();

    EXPECT_EQ(boxes, QStringList({kNotFound}));
    EXPECT_EQ(fileBytes(), createdMainSection());
    EXPECT_EQ(labelText(form.get(), "Label8"), "Default:");
    EXPECT_EQ(labelText(form.get(), "lblPistonType"), "lblPistonType");
}

TEST_F(LanguageFile, AppliesTheFileByExactNamesAndKeepsWhatItHas)
{
    auto form = makeMainForm();
    const QByteArray original = "[Language]\r\nLanguage=Deutsch\r\n"
                                "[frmMain]\r\n"
                                "lblTotalWeight=Gesamtgewicht\r\n"
                                "lblpistontype=never applied\r\n"
                                "Label6=\"  Max:  \"\r\n"
                                "Label7=\r\n"
                                "lblNoSuchLabel=kept\r\n"
                                "[frmGone]\r\nLabel2=kept too\r\n"
                                "[Project_Messages]\r\nLabel3=not a caption\r\n";
    writeFile(original);
    lis.setFileName("en.lng");
    lis.LoadLanguage();

    EXPECT_TRUE(boxes.isEmpty());
    EXPECT_EQ(labelText(form.get(), "lblTotalWeight"), "Gesamtgewicht");
    EXPECT_EQ(labelText(form.get(), "Label6"), "  Max:  ");
    EXPECT_EQ(labelText(form.get(), "Label7"), "");
    // A key that matches only regardless of case counts as present, yet is not applied.
    EXPECT_EQ(labelText(form.get(), "lblPistonType"), "lblPistonType");
    EXPECT_EQ(labelText(form.get(), "Label3"), "(mm)");

    // Missing entries were appended at the end of the form's first section; nothing else changed.
    const QByteArray bytes = fileBytes();
    EXPECT_TRUE(bytes.startsWith(original.left(original.indexOf("[frmGone]"))));
    EXPECT_TRUE(bytes.contains("lblNoSuchLabel=kept\r\nlblOperationPressure=lblOperationPressure\r\n"));
    EXPECT_TRUE(bytes.endsWith("[frmGone]\r\nLabel2=kept too\r\n"
                               "[Project_Messages]\r\nLabel3=not a caption\r\n"));
    EXPECT_EQ(bytes.count("lblPistonType="), 0);
}

TEST_F(LanguageFile, ASectionNamedOnlyRegardlessOfCaseIsCompletedButNeverApplied)
{
    auto form = makeMainForm();
    writeFile("[FRMMAIN]\r\nLabel1=never applied\r\n");
    lis.setFileName("en.lng");
    lis.LoadLanguage();
    EXPECT_EQ(labelText(form.get(), "Label1"), "(kg)");
    const QByteArray bytes = fileBytes();
    EXPECT_TRUE(bytes.startsWith("[FRMMAIN]\r\nLabel1=never applied\r\nlblTotalWeight=lblTotalWeight\r\n"));
    EXPECT_FALSE(bytes.contains("[frmMain]"));
}

TEST_F(LanguageFile, AnExistingEntryWinsOverAChangedBuiltInText)
{
    auto form = makeMainForm();
    writeFile(createdMainSection().replace("Max:", "Maks:"));
    const QByteArray before = fileBytes();
    form->findChild<QLabel*>("Label6")->setText("Maximum:");
    lis.setFileName("en.lng");
    lis.LoadLanguage();
    EXPECT_EQ(labelText(form.get(), "Label6"), "Maks:");
    EXPECT_EQ(fileBytes(), before);
}

TEST_F(LanguageFile, NoFileNameWarnsAndCancelsWithoutTouchingAnyText)
{
    auto form = makeMainForm();
    EXPECT_THROW(lis.LoadLanguage(), SilentCancel);
    EXPECT_TRUE(TLngINISupp::fileNameMissing());
    EXPECT_EQ(boxes, QStringList({kNotPreset}));

    lis.setFileName("en.lng");
    lis.ReleaseLanguage();
    EXPECT_THROW(lis.LoadLanguage(), SilentCancel);
    EXPECT_EQ(boxes.size(), 2);
    EXPECT_FALSE(QFile::exists(path()));
}

TEST_F(LanguageFile, AFileThatCannotBeWrittenIsReportedToTheCaller)
{
    // Tests run as root, who may write anywhere: make the target a directory, or put it in a missing one.
    auto form = makeMainForm();
    form->findChild<QLabel*>("Label1")->setText("changed");
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
        EXPECT_EQ(labelText(form.get(), "Label1"), "changed");
    }
}

TEST_F(LanguageFile, EveryKindOfTranslatableComponentIsStoredAndApplied)
{
    QWidget form;
    form.setObjectName("frmKinds");
    (new QPushButton("push", &form))->setObjectName("btnPush");
    (new QToolButton(&form))->setObjectName("btnTool");
    form.findChild<QToolButton*>("btnTool")->setText("tool");
    (new QCheckBox("check", &form))->setObjectName("chkBox");
    auto* group = new QGroupBox("group", &form);
    group->setObjectName("grpBox");
    (new QRadioButton("radio", group))->setObjectName("rbOne");
    auto* tabs = new QTabWidget(&form);
    tabs->setObjectName("pgControl");
    auto* tab = new QWidget;
    tab->setObjectName("tsFirst");
    tabs->addTab(tab, "first tab");
    auto* stack = new QStackedWidget(&form);
    stack->setObjectName("pgGlobal");
    auto* page = new QWidget;
    page->setObjectName("pgIntro");
    page->setWindowTitle("intro");
    stack->addWidget(page);
    auto* untitled = new QWidget;
    untitled->setObjectName("pgItem");
    stack->addWidget(untitled);
    auto* bar = new QMenuBar(&form);
    auto* menu = bar->addMenu("menu");
    menu->setObjectName("mnuFile");
    auto* action = menu->addAction("action");
    action->setObjectName("actOpen");
    auto* style = menu->addAction("style");
    style->setObjectName("btnSTYLE1");
    i18n::excludeFromTranslation(style);
    auto* dialog = new QFileDialog(&form, "open");
    dialog->setObjectName("dlgOpen");
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    auto* status = new QStatusBar(&form);
    status->setObjectName("StatusBar1");
    for (int i = 0; i < 13; ++i)
        status->addWidget(new QLabel(QStringLiteral("panel %1").arg(i)));
    auto* rtf = new TRTFLabel(&form);
    rtf->setObjectName("rtfIntro");
    (new QLineEdit("edit", &form))->setObjectName("edtSearch");
    new QLabel("nameless", &form);
    auto* picture = new QLabel(&form);
    picture->setObjectName("imgLogo");
    QPixmap pixels(4, 4);
    pixels.fill(Qt::red);
    picture->setPixmap(pixels);

    lis.setFileName("kinds.lng");
    lis.LoadLanguage();
    QByteArray expected =
        "[frmKinds]\r\nbtnPush=push\r\nbtnTool=tool\r\nchkBox=check\r\ngrpBox=group\r\nrbOne=radio\r\n"
        "tsFirst=first tab\r\npgIntro=intro\r\nmnuFile=menu\r\nactOpen=action\r\ndlgOpen=open\r\n";
    for (int i = 0; i < 13; ++i)
        expected += QStringLiteral("StatusBar1.Panels[%1]=panel %1\r\n").arg(i).toLatin1();
    EXPECT_EQ(fileBytes("kinds.lng"), expected);

    QByteArray translated = expected;
    translated.replace("=", "=X ");
    writeFile(translated + "rtfIntro=never\r\nedtSearch=never\r\nimgLogo=never\r\nbtnSTYLE1=never\r\n", "kinds.lng");
    lis.LoadLanguage();
    EXPECT_EQ(form.findChild<QPushButton*>("btnPush")->text(), "X push");
    EXPECT_EQ(form.findChild<QToolButton*>("btnTool")->text(), "X tool");
    EXPECT_EQ(form.findChild<QCheckBox*>("chkBox")->text(), "X check");
    EXPECT_EQ(group->title(), "X group");
    EXPECT_EQ(form.findChild<QRadioButton*>("rbOne")->text(), "X radio");
    EXPECT_EQ(tabs->tabText(0), "X first tab");
    EXPECT_EQ(page->windowTitle(), "X intro");
    EXPECT_EQ(menu->title(), "X menu");
    EXPECT_EQ(action->text(), "X action");
    EXPECT_EQ(dialog->windowTitle(), "X open");
    const QList<QLabel*> panels = status->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(panels.at(12)->text(), "X panel 12");
    EXPECT_EQ(panels.at(0)->text(), "X panel 0");
    EXPECT_EQ(form.findChild<QLineEdit*>("edtSearch")->text(), "edit");
    EXPECT_FALSE(picture->pixmap().isNull());
    EXPECT_EQ(style->text(), "style");
}

TEST_F(LanguageFile, EveryFormAliveIsWalkedHiddenOrNot)
{
    auto main = makeMainForm();
    QWidget other;
    other.setObjectName("frmOther");
    (new QLabel("other", &other))->setObjectName("lblOther");
    main->show();

    writeFile("[frmOther]\r\nlblOther=anderer\r\n");
    lis.setFileName("en.lng");
    lis.LoadLanguage();
    EXPECT_EQ(other.findChild<QLabel*>("lblOther")->text(), "anderer");
    EXPECT_TRUE(fileBytes().startsWith("[frmOther]\r\nlblOther=anderer\r\n[frmMain]\r\nlblTotalWeight="));
}

TEST_F(LanguageFile, TheLanguageMenuListsTheFilesAndSwitchesLanguage)
{
    auto form = makeMainForm();
    auto* bar = new QMenuBar(form.get());
    bar->setObjectName("mnuMain");
    QMenu popup;
    writeFile(createdMainSection() + "[Language]\r\nLanguage=English\r\n", "en.lng");
    writeFile("[Language]\r\nLanguage=Deutsch\r\n[frmMain]\r\nLabel8=Standard:\r\n", "de.lng");
    writeFile("not a language file", "notes.txt");

    lis.setMenu(bar);
    lis.setPopupMenu(&popup);
    lis.setFileName("en.lng");
    lis.LoadLanguage();
    ASSERT_TRUE(TLngINISupp::languageMenuBuilt());
    ASSERT_TRUE(TLngINISupp::languagePopupBuilt());

    QMenu* languages = bar->actions().last()->menu();
    ASSERT_NE(languages, nullptr);
    EXPECT_EQ(languages->objectName(), "LngItem");
    EXPECT_EQ(languages->title(), "Language");
    QStringList captions;
    QAction* german = nullptr;
    for (QAction* item : languages->actions()) {
        captions << item->objectName() + "=" + item->text();
        if (item->objectName() == "de")
            german = item;
    }
    captions.sort();
    EXPECT_EQ(captions, QStringList({"de=Deutsch", "en=English"}));
    EXPECT_EQ(popup.actions().last()->menu()->objectName(), "PLngItem");

    // Switching writes the current texts into the new file where it lacks them, then applies it.
    ASSERT_NE(german, nullptr);
    german->trigger();
    EXPECT_EQ(lis.fileName(), path("de.lng"));
    EXPECT_EQ(labelText(form.get(), "Label8"), "Standard:");
    EXPECT_TRUE(fileBytes("de.lng").contains("Label7=Min:\r\n"));
    // The submenus are built once per run and are no form's components.
    EXPECT_EQ(bar->actions().size(), 1);
    EXPECT_FALSE(fileBytes("de.lng").contains("LngItem"));
}
