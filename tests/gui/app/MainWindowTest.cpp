#include "MainWindowFixture.h"

#include "app/BackgroundJobs.h"
#include "app/CodeSuggestions.h"
#include "app/DataText.h"
#include "app/PageControl.h"
#include "app/PictureBox.h"
#include "app/TfrmMain.h"
#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QToolTip>

#include <gtest/gtest.h>
#include <memory>
#include <optional>

using app::CodeSuggestionModel;
using app::CodeSuggestions;
using app::DataText;
using app::PageControl;
using app::PictureBox;
using app::TfrmMain;
using i18n::TLngINISupp;
using i18n::TMsgINISupp;

namespace {

const QStringList FullStartup = {"selectLanguage",      "loadLanguage", "openDatabase",  "startFeedThread",
                                 "languageArtwork",     "captions",     "openStyleList", "profileArtwork",
                                 "installationArtwork", "showIntro"};

QByteArray fileHash(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

TEST_F(MainWindowTest, StartupRunsItsStepsInOrderAndEndsOnTheIntroductionPage)
{
    TfrmMain* w = start("en");
    EXPECT_EQ(w->startupSteps(), FullStartup);
    EXPECT_TRUE(m_boxes.isEmpty());
    EXPECT_TRUE(m_feedStarted);
    EXPECT_EQ(w->languageCode, "en");
    EXPECT_EQ(currentPage(), "pgIntro");
    // The style-1 list is open behind the introduction page with its first item loaded.
    ASSERT_TRUE(w->browser());
    EXPECT_EQ(w->browser()->currentList(), w->browser()->qryStyle);
    EXPECT_EQ(w->browser()->currentList()->recNo(), 0);
    EXPECT_EQ(w->browser()->itemDetails().itemId, w->browser()->qryStyle->field("ITEM_ID").toInt());
    // Labels are translated by name, the rest from message lookup.
    EXPECT_EQ(child<QLabel>("lblTotalWeight")->text(), "Total Weight");
    EXPECT_EQ(w->windowTitle(), w->msg("frmMainCaption"));
    EXPECT_EQ(w->subMenu("btnStyle")->title(), w->msg("btnStyle"));
    EXPECT_EQ(w->menuEntry("btnSTYLE3")->text(), w->msg("type3"));
    EXPECT_EQ(w->menuEntry("btnProfile")->text(), w->msg("btnProfile"));
    EXPECT_EQ(child<QLineEdit>("edtSearch")->text(), w->msg("edtSearch"));
    EXPECT_EQ(w->columnCaption("grdSearchColumn3"), w->msg("grdColType"));
    EXPECT_FALSE(w->subMenu("btnOem")->actions().isEmpty());
    EXPECT_FALSE(w->subMenu("btnCross")->actions().isEmpty());
    EXPECT_EQ(w->catalogHost, "127.0.0.1:9");
    EXPECT_EQ(w->catalogSeparator, "/");
    EXPECT_TRUE(w->catalogPath.isEmpty());
}

// The language file the window leaves behind holds the main window's fourteen labels and nothing else of it:
// menu entries and pages take their texts from message lookup.
TEST_F(MainWindowTest, CreatedLanguageFileListsOnlyTheFourteenLabels)
{
    QFile::remove(m_appDir + "en.lng");
    start("en");
    QFile file(m_appDir + "en.lng");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QStringList keys;
    bool inMain = false;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString l = QString::fromLatin1(raw).trimmed();
        if (l.startsWith('['))
            inMain = l == "[frmMain]";
        else if (inMain && l.contains('='))
            keys << l.section('=', 0, 0);
    }
    EXPECT_EQ(keys, QStringList({"lblTotalWeight", "lblOperationPressure", "lblOperationSpace", "lblAssemblyHeight",
                                 "lblPistonType", "lblLoadingCapacity", "Label1", "Label2", "Label3", "Label4",
                                 "Label5", "Label6", "Label7", "Label8"}));
}

TEST_F(MainWindowTest, NoLanguageChosenEndsSilentlyWithoutTouchingTheDatabase)
{
    const QString db = m_appDir + "KATALOG.GDB";
    const QByteArray before = fileHash(db);
    TfrmMain* w = start("");
    EXPECT_EQ(w->startupSteps(), QStringList({"selectLanguage", "terminated"}));
    EXPECT_TRUE(w->terminateRequested());
    EXPECT_TRUE(m_boxes.isEmpty());
    EXPECT_FALSE(m_feedStarted);
    EXPECT_FALSE(QSqlDatabase::contains(TfrmMain::LocalDbConnection));
    EXPECT_EQ(fileHash(db), before);
}

TEST_F(MainWindowTest, MissingOrBrokenDatabaseShowsOneErrorBoxAndEnds)
{
    for (const bool present : {false, true}) {
        SCOPED_TRACE(present ? "not a database" : "missing");
        const QString db = m_appDir + "KATALOG.GDB";
        QFile::remove(db);
        if (present) {
            QFile f(db);
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        const QByteArray before = fileHash(db);
        m_boxes.clear();
        m_feedStarted = false;
        TfrmMain* w = start("en");
        EXPECT_EQ(w->startupSteps(), QStringList({"selectLanguage", "loadLanguage", "openDatabase", "terminated"}));
        ASSERT_EQ(m_boxes.size(), 1);
        EXPECT_EQ(m_boxes[0].caption, w->msg("msg001"));
        // The box names the catalog it could not open.
        EXPECT_EQ(m_boxes[0].text, w->msg("msg002") + "\r\nCatalog location: " + db);
        EXPECT_NE(m_boxes[0].caption, "ERROR");
        EXPECT_EQ(m_boxes[0].icon, widgets::BoxIcon::Error);
        EXPECT_FALSE(m_feedStarted);
        EXPECT_EQ(QFile::exists(db), present);
        EXPECT_EQ(fileHash(db), before);
        m_window.reset();
    }
}

TEST_F(MainWindowTest, EscapeAndTheCloseButtonRunTheSameShutdown)
{
    for (const bool escape : {true, false}) {
        SCOPED_TRACE(escape ? "escape" : "close button");
        TfrmMain* w = start("en");
        // A background job still running at shutdown is stopped before the database closes.
        QThread* job = QThread::create([] {
            while (!QThread::currentThread()->isInterruptionRequested())
                QThread::msleep(2);
        });
        w->backgroundJobs()->add(job);
        job->start();
        if (escape) {
            QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : w;
            QTest::keyClick(target, Qt::Key_Escape);
        } else {
            w->close();
        }
        EXPECT_TRUE(w->shutdownDone());
        EXPECT_FALSE(w->isVisible());
        EXPECT_EQ(w->startupSteps().mid(FullStartup.size()), QStringList({"close", "terminated"}));
        EXPECT_TRUE(job->isFinished());
        EXPECT_FALSE(QSqlDatabase::contains(TfrmMain::LocalDbConnection));
        delete job;
        m_window.reset();
    }
}

TEST_F(MainWindowTest, LeftAndRightStepTheCurrentListUnlessTheItemSearchBoxHasTheFocus)
{
    TfrmMain* w = start("en");
    catalog::TQuery* list = w->browser()->currentList();
    ASSERT_GT(list->recordCount(), 2);

    // On the introduction page, with the focus in its search box: the hidden style list steps.
    focus(child("dxEdit1"));
    QTest::keyClick(child("dxEdit1"), Qt::Key_Right);
    EXPECT_EQ(list->recNo(), 1);
    EXPECT_EQ(currentPage(), "pgIntro");
    EXPECT_EQ(w->browser()->itemDetails().itemId, list->field("ITEM_ID").toInt());
    QTest::keyClick(child("dxEdit1"), Qt::Key_Left);
    EXPECT_EQ(list->recNo(), 0);

    w->showPage("pgCenterItem");
    focus(child("edtSearch"));
    QTest::keyClick(child("edtSearch"), Qt::Key_Right);
    EXPECT_EQ(list->recNo(), 0);
    focus(child("gridStyle"));
    QTest::keyClick(child("gridStyle"), Qt::Key_Right);
    EXPECT_EQ(list->recNo(), 1);
}

TEST_F(MainWindowTest, PageButtonsAndMenuButtonsFollowTheNavigationChain)
{
    TfrmMain* w = start("en");
    w->menuEntry("btnInstructions")->trigger();
    EXPECT_EQ(currentPage(), "pgInstallation");
    const QList<QPair<QString, QString>> forward = {{"ImageButton5", "pgInstallation2"},
                                                    {"ImageButton7", "pgInstallation3"},
                                                    {"ImageButton8", "pgProfile1"},
                                                    {"ImageButton3", "pgProfile2"}};
    for (const auto& [button, page] : forward) {
        click(button);
        EXPECT_EQ(currentPage(), page) << qPrintable(button);
    }
    // The only button of the last page is a back button, standing where the others have their forward button.
    EXPECT_EQ(child("ImageButton4")->parentWidget()->x(), child("ImageButton3")->parentWidget()->x());
    const QList<QPair<QString, QString>> back = {{"ImageButton4", "pgProfile1"},
                                                 {"ImageButton6", "pgInstallation3"},
                                                 {"ImageButton10", "pgInstallation2"},
                                                 {"ImageButton9", "pgInstallation"}};
    for (const auto& [button, page] : back) {
        click(button);
        EXPECT_EQ(currentPage(), page) << qPrintable(button);
    }
    w->menuEntry("btnProfile")->trigger();
    EXPECT_EQ(currentPage(), "pgProfile");
    w->menuEntry("btnInstructions")->trigger();
    EXPECT_EQ(currentPage(), "pgInstallation");
}

TEST_F(MainWindowTest, ProfileScrollBarAppearsOnceThePageIsShorterThanThePictureAndStays)
{
    TfrmMain* w = start("en", QSize(917, 1400));
    auto* bar = child<QScrollBar>("profile2scroll");
    ASSERT_TRUE(w->profilePicture);
    const int pictureHeight = w->profilePicture->height();
    ASSERT_GT(pictureHeight, 600);
    EXPECT_TRUE(bar->isHidden());

    w->resize(917, 638);
    QCoreApplication::processEvents();
    const int pageHeight = child("pgGlobal")->height();
    ASSERT_LT(pageHeight, pictureHeight);
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->maximum(), pictureHeight - pageHeight);

    w->resize(917, 1400);
    QCoreApplication::processEvents();
    EXPECT_FALSE(bar->isHidden());
    EXPECT_EQ(bar->maximum(), pictureHeight - pageHeight);

    w->resize(917, 638);
    QCoreApplication::processEvents();
    bar->setValue(bar->maximum());
    EXPECT_EQ(w->profilePicture->geometry().bottom() + 1, pageHeight + 8);
}

TEST_F(MainWindowTest, GermanShowsOnlyTheGermanArtwork)
{
    start("de");
    for (const QString& base : {"slogan", "intro", "rtfProfile", "imgProfile2", "inst", "inst2", "inst3"}) {
        for (const QString& lang : {"TR", "EN", "DE"}) {
            const QString name = base.startsWith("inst") ? "inst" + lang + base.mid(4) : base + lang;
            QWidget* w = child(name);
            ASSERT_TRUE(w) << qPrintable(name);
            EXPECT_EQ(w->isHidden(), lang != "DE") << qPrintable(name);
        }
    }
}

TEST_F(MainWindowTest, SearchFromTheIntroductionPageShowsTheFirstHitOnTheItemPage)
{
    TfrmMain* w = start("en");
    const QString code = w->browser()->itemDetails().code;
    ASSERT_FALSE(code.isEmpty());
    auto* box = child<QLineEdit>("dxEdit1");
    focus(box);
    EXPECT_TRUE(box->text().isEmpty());
    QTest::keyClicks(box, code);
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(currentPage(), "pgCenterItem");
    EXPECT_EQ(child<PageControl>("pgGrid")->currentIndex(), 2);
    EXPECT_EQ(w->browser()->currentList(), w->browser()->qrySearch);
    EXPECT_GE(w->browser()->qrySearch->recordCount(), 1);
    EXPECT_EQ(w->currentGrid.data(), child<QTableView>("grdSearch"));
    // Down moves the focus to the result list; the box it left shows its prompt again.
    focus(child("edtSearch"));
    QTest::keyClick(child("edtSearch"), Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), child("grdSearch"));
    EXPECT_EQ(child<QLineEdit>("edtSearch")->text(), w->msg("edtSearch"));

    // Input made only of separators does nothing at all.
    w->showPage("pgIntro");
    focus(box);
    QTest::keyClicks(box, " .-/,");
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(currentPage(), "pgIntro");
}

// The drop-down in the real window: once the code index is ready it follows the typing in the item page's box;
// Escape closes only the drop-down (the window stays), Enter opens the chosen item without touching the lists, and
// Enter with nothing chosen runs the ordinary search.
TEST_F(MainWindowTest, SearchDropDownOpensTheChosenItemAndEscapeKeepsTheWindow)
{
    TfrmMain* w = start("en");
    waitForCodeIndex();
    w->showPage("pgCenterItem");
    auto* box = child<QLineEdit>("edtSearch");
    focus(box);
    QTest::keyClicks(box, "VK 0");
    CodeSuggestions* drop = w->codeSuggestions();
    ASSERT_TRUE(drop->isVisible());
    EXPECT_EQ(drop->model().rows().size(), CodeSuggestionModel::Limit);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_FALSE(drop->isVisible());
    EXPECT_FALSE(w->shutdownDone());
    EXPECT_EQ(box->text(), "VK 0");

    QTest::keyClicks(box, "0");
    ASSERT_TRUE(drop->isVisible());
    const int shown = w->browser()->itemDetails().itemId;
    int row = 0;
    while (drop->model().rows().at(row).itemId == shown)
        ++row;
    for (int i = 0; i <= row; ++i)
        QTest::keyClick(box, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), box);
    const int chosen = drop->model().rows().at(row).itemId;
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_EQ(w->browser()->itemDetails().itemId, chosen);
    EXPECT_EQ(w->browser()->currentList(), w->browser()->qryStyle);
    EXPECT_FALSE(drop->isVisible());

    QTest::keyClicks(box, "1");
    ASSERT_TRUE(drop->isVisible());
    QTest::keyClick(box, Qt::Key_Return);
    EXPECT_FALSE(drop->isVisible());
    EXPECT_EQ(w->browser()->currentList(), w->browser()->qrySearch);
    EXPECT_EQ(child<PageControl>("pgGrid")->currentIndex(), 2);
}

} // namespace

namespace {
// A list whose query fails shows the database's message in a box; the window stays up and keeps its item.
TEST_F(MainWindowTest, FailingListQueryShowsTheDatabaseMessageAndKeepsRunning)
{
    TfrmMain* w = start("en");
    const int shownItem = w->browser()->itemDetails().itemId;
    QSqlDatabase db = w->localDb();
    db.close();
    w->menuEntry("btnSTYLE2")->trigger();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes[0].icon, widgets::BoxIcon::Error);
    EXPECT_FALSE(m_boxes[0].text.isEmpty());
    EXPECT_FALSE(w->terminateRequested());
    EXPECT_EQ(w->browser()->itemDetails().itemId, shownItem);
    EXPECT_EQ(currentPage(), "pgCenterItem");
}
} // namespace

namespace {
// What the item view shows must be the item the list hands over: texts, pictograms and picture slots.
TEST_F(MainWindowTest, ItemViewShowsTheHandedOverItem)
{
    TfrmMain* w = start("en");
    w->showPage("pgCenterItem");
    catalog::CatalogBrowser* browser = w->browser();
    for (int step = 0; step < 8; ++step) {
        const catalog::ItemDetails d = browser->itemDetails();
        SCOPED_TRACE(qPrintable(d.code));
        EXPECT_EQ(child<DataText>("DBText1")->text(), d.code);
        EXPECT_EQ(child<DataText>("DBText10")->text(), d.typeStr);
        EXPECT_EQ(child<DataText>("DBText4")->text(), d.operationPressureMax);
        EXPECT_EQ(child<DataText>("DBText8")->text(), d.ptStr);
        EXPECT_NE(d.typeStr, "ERROR");
        EXPECT_EQ(child("studs")->isHidden(), !d.studsVisible);
        for (int n = 1; n <= 4; ++n) {
            EXPECT_EQ(child(QString("tasit%1").arg(n))->isHidden(), d.largeVehicle != n);
            EXPECT_EQ(child(QString("sTasit%1").arg(n))->isHidden(), d.smallVehicle != n);
        }
        // Pictures fill the slots from the first, without gaps.
        bool gap = false;
        for (int n = 1; n <= 3; ++n) {
            auto* slot = child<PictureBox>(QString("res%1").arg(n));
            if (slot->isHidden())
                gap = true;
            else
                EXPECT_FALSE(gap) << n;
        }
        w->btnNextClick();
    }
    EXPECT_FALSE(child("cntItem")->isHidden());
    EXPECT_FALSE(child("WallPaper5")->isHidden());
}

// Grids show their captions from message lookup, hide the item identifier and keep the codes list's widths.
TEST_F(MainWindowTest, GridsShowTheirColumnsAndCaptions)
{
    TfrmMain* w = start("en");
    auto* style = child<QTableView>("gridStyle");
    auto* model = style->model();
    ASSERT_EQ(model->columnCount(), 2);
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), w->msg("gridStyleCODE"));
    EXPECT_TRUE(style->isColumnHidden(1));
    auto* codes = child<QTableView>("dxDBGrid1");
    auto* codesModel = codes->model();
    ASSERT_EQ(codesModel->columnCount(), 4); // ID, TYPE, CODE, PREFIX
    EXPECT_TRUE(codes->isColumnHidden(0));
    EXPECT_TRUE(codes->isColumnHidden(3));
    EXPECT_EQ(codes->columnWidth(1), 107);
    EXPECT_EQ(codes->columnWidth(2), 118);
    EXPECT_EQ(codesModel->headerData(1, Qt::Horizontal).toString(), w->msg("grdColType"));
    EXPECT_EQ(codesModel->headerData(2, Qt::Horizontal).toString(), w->msg("grdColCode"));

    // A code-type list names its second column after the chosen entry.
    QAction* entry = w->subMenu("btnOem")->actions().value(0);
    ASSERT_TRUE(entry);
    entry->trigger();
    auto* oem = child<QTableView>("gridOemCross");
    EXPECT_EQ(child<PageControl>("pgGrid")->currentIndex(), 0);
    EXPECT_EQ(oem->model()->headerData(0, Qt::Horizontal).toString(), "Velkorn");
    EXPECT_EQ(oem->model()->headerData(1, Qt::Horizontal).toString(), entry->text());
    EXPECT_TRUE(oem->isColumnHidden(2));
    EXPECT_EQ(w->currentGrid.data(), oem);
}

// The codes list draws OEM rows on the tool-tip colours and other rows on the window colours, unless selected.
TEST_F(MainWindowTest, CodesListHighlightsOemRowsUnlessSelected)
{
    TfrmMain* w = start("en");
    w->showPage("pgCenterItem");
    auto* codes = child<QTableView>("dxDBGrid1");
    QAbstractItemModel* model = codes->model();
    int oemRow = -1, otherRow = -1;
    for (int r = 0; r < model->rowCount(); ++r) {
        const QString prefix = model->index(r, 3).data().toString();
        if (prefix == "OEM" && oemRow < 0)
            oemRow = r;
        else if (!prefix.isEmpty() && prefix != "OEM" && otherRow < 0)
            otherRow = r;
    }
    // Walk the list until an item with both kinds of code is shown.
    for (int i = 0; i < 50 && (oemRow < 0 || otherRow < 0); ++i) {
        w->btnNextClick();
        oemRow = otherRow = -1;
        for (int r = 0; r < model->rowCount(); ++r) {
            const QString prefix = model->index(r, 3).data().toString();
            if (prefix == "OEM" && oemRow < 0)
                oemRow = r;
            else if (!prefix.isEmpty() && prefix != "OEM" && otherRow < 0)
                otherRow = r;
        }
    }
    ASSERT_GE(oemRow, 0);
    ASSERT_GE(otherRow, 0);
    codes->clearSelection();
    codes->setCurrentIndex(QModelIndex());
    const QImage image = codes->viewport()->grab().toImage();
    auto colourAt = [&](int row) {
        const QRect cell = codes->visualRect(model->index(row, 1));
        return image.pixelColor(cell.left() + 2, cell.center().y());
    };
    EXPECT_EQ(colourAt(oemRow), QPalette().color(QPalette::ToolTipBase));
    EXPECT_EQ(colourAt(otherRow), QPalette().color(QPalette::Base));
}
} // namespace

namespace {
// Runs start-up without the fixture's start(), so that what the window looked like at the dialog and at the
// database box can be seen.
class FirstWindowTest : public MainWindowTest
{
protected:
    TfrmMain* startWatching(const QString& language)
    {
        m_window = std::make_unique<TfrmMain>(m_appDir);
        TfrmMain* w = m_window.get();
        w->languageSelector = [this, w, language] {
            m_visibleAtDialog = w->isVisible();
            return language;
        };
        w->startFeedThread = [] {};
        widgets::setMessageBoxHandler([this, w](const widgets::BoxRequest& r) {
            m_boxes.append(r);
            m_visibleAtBox = w->isVisible();
        });
        w->show();
        m_visibleRightAfterShow = w->isVisible();
        for (int i = 0; i < 200 && !finishedStartup(); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QApplication::setActiveWindow(w);
        QCoreApplication::processEvents();
        return w;
    }

    // The tool tip a grid part shows for a point, or nothing.
    static QString toolTipAt(QWidget* viewport, QPoint pos)
    {
        QHelpEvent help(QEvent::ToolTip, pos, viewport->mapToGlobal(pos));
        QCoreApplication::sendEvent(viewport, &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    std::optional<bool> m_visibleRightAfterShow;
    std::optional<bool> m_visibleAtDialog;
    std::optional<bool> m_visibleAtBox;
};

// The window must not stand half built, in its design captions, behind the language dialog or the database box.
TEST_F(FirstWindowTest, WindowAppearsOnlyOnceStartUpHasCompleted)
{
    TfrmMain* w = startWatching("de");
    EXPECT_EQ(m_visibleRightAfterShow, false);
    EXPECT_EQ(m_visibleAtDialog, false);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->windowTitle(), w->msg("frmMainCaption"));
    EXPECT_EQ(currentPage(), "pgIntro");
    m_window.reset();

    QFile::remove(m_appDir + "KATALOG.GDB");
    w = startWatching("de");
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_visibleAtBox, false);
    EXPECT_TRUE(w->terminateRequested());
    EXPECT_FALSE(w->isVisible());
}

// At start the introduction page's search box shows its prompt and has not got the focus. A box that receives the
// focus through the window's activation is entered like any other: what is typed is never added to the prompt.
TEST_F(FirstWindowTest, SearchBoxKeepsItsPromptAtStartAndActivationEntersIt)
{
    TfrmMain* w = startWatching("en");
    auto* box = child<QLineEdit>("dxEdit1");
    EXPECT_EQ(box->text(), w->msg("edtSearch"));
    EXPECT_NE(QApplication::focusWidget(), box);

    QApplication::setActiveWindow(nullptr);
    box->setFocus(Qt::OtherFocusReason); // takes effect when the window is activated
    QApplication::setActiveWindow(w);
    ASSERT_EQ(QApplication::focusWidget(), box);
    QTest::keyClicks(box, "v1-00018");
    EXPECT_EQ(box->text(), "v1-00018");
    EXPECT_EQ(box->palette().color(QPalette::Text), QColor(Qt::black));

    // Deactivating the window leaves the box: the prompt comes back.
    QApplication::setActiveWindow(nullptr);
    EXPECT_EQ(box->text(), w->msg("edtSearch"));
}

// The piston-type value shows the longest name of all three languages whole, inside its column's lines.
TEST_F(FirstWindowTest, EveryPistonTypeNameFitsItsValue)
{
    for (const QString language : {"tr", "en", "de"}) {
        SCOPED_TRACE(qPrintable(language));
        TfrmMain* w = startWatching(language);
        auto* value = child<DataText>("DBText8");
        EXPECT_GT(value->x(), 246);
        EXPECT_LT(value->geometry().right(), 385);
        for (const QString key :
             {"pistonType", "pistonType1", "pistonType2", "pistonType3", "pistonType4", "pistonType5", "pistonType6"}) {
            const QString name = w->msg(key);
            ASSERT_NE(name, "ERROR") << qPrintable(key);
            EXPECT_LE(value->fontMetrics().horizontalAdvance(name), value->width()) << qPrintable(name);
            value->setText(name);
            EXPECT_TRUE(value->toolTip().isEmpty()) << qPrintable(name);
        }
        m_window.reset();
    }
}

// Texts that do not fit show whole as a tool tip, texts that fit show none: the codes list's type names, the
// cross-reference list's header and the item's values.
TEST_F(FirstWindowTest, CutOffTextsShowWholeAsToolTips)
{
    TfrmMain* w = startWatching("de");
    w->showPage("pgCenterItem");
    QCoreApplication::processEvents();

    auto* codes = child<QTableView>("dxDBGrid1");
    auto textWidth = [codes](const QString& text) { return codes->fontMetrics().horizontalAdvance(text); };
    QModelIndex cut, whole;
    for (int i = 0; i < 50 && !cut.isValid(); ++i) {
        for (int row = 0; row < codes->model()->rowCount(); ++row) {
            const QModelIndex type = codes->model()->index(row, 1);
            const bool fits = textWidth(type.data().toString()) < codes->columnWidth(1) - 20;
            if (fits)
                whole = type;
            else if (textWidth(type.data().toString()) > codes->columnWidth(1) - 6) // less the cell's margins
                cut = type;
        }
        if (!cut.isValid())
            w->btnNextClick();
    }
    ASSERT_TRUE(cut.isValid() && whole.isValid());
    EXPECT_EQ(toolTipAt(codes->viewport(), codes->visualRect(whole).center()), QString());
    EXPECT_EQ(toolTipAt(codes->viewport(), codes->visualRect(cut).center()), cut.data().toString());

    // The cross-reference list named after the maker with the longest name.
    QAction* longest = nullptr;
    for (QAction* entry : w->subMenu("btnCross")->actions())
        if (!longest || entry->text().size() > longest->text().size())
            longest = entry;
    ASSERT_TRUE(longest);
    longest->trigger();
    QCoreApplication::processEvents();
    QHeaderView* header = child<QTableView>("gridOemCross")->horizontalHeader();
    QFont bold = header->font();
    bold.setBold(true);
    ASSERT_GT(QFontMetrics(bold).horizontalAdvance(longest->text()), header->sectionSize(1));
    const QPoint inSection(header->sectionViewportPosition(1) + 5, header->height() / 2);
    EXPECT_EQ(toolTipAt(header->viewport(), inSection), longest->text());

    auto* style = child<DataText>("DBText10");
    EXPECT_TRUE(style->toolTip().isEmpty());
    const QString tooLong = QString("Rollbalg ").repeated(10).trimmed();
    style->setText(tooLong);
    EXPECT_EQ(style->toolTip(), tooLong);
}
} // namespace
