#include "MainWindowFixture.h"

#include "app/CatalogTools.h"
#include "app/DataText.h"
#include "app/ItemCopying.h"
#include "app/PictureBox.h"
#include "app/PictureViewer.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CsvText.h"
#include "catalog/ItemDetails.h"
#include "catalog/NaturalOrder.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QScreen>
#include <QSqlQuery>
#include <QTableView>

using app::DataText;
using app::PictureBox;
using app::TfrmMain;
using catalog::ListPage;

namespace {

class CatalogToolsTest : public MainWindowTest
{
protected:
    QTableView* openFirstOemList()
    {
        m_window->subMenu("btnOem")->actions().first()->trigger();
        QCoreApplication::processEvents();
        return child<QTableView>("gridOemCross");
    }

    static QStringList shownColumn(const QTableView* grid, int column)
    {
        QStringList cells;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            cells << grid->model()->index(row, column).data().toString();
        return cells;
    }

    QString clipboard() const { return QGuiApplication::clipboard()->text(); }

    void setLastUpdate(const QVariant& value)
    {
        QStringList statements{"delete from params"};
        if (!value.isNull())
            statements << "insert into params (last_update) values (?)";
        changeCatalog(statements, {value});
    }
};

} // namespace

// Sorting reorders the list query's own rows: the grid, Prev/Next and the item handed over must agree.
TEST_F(CatalogToolsTest, HeaderClickSortsInNaturalOrderAndPrevNextFollowTheShownOrder)
{
    TfrmMain* w = start("en");
    w->btnSTYLE1Click(1);
    auto* grid = child<QTableView>("gridStyle");
    const int code = 0;
    clickHeader(grid, code);
    QStringList shown = shownColumn(grid, code);
    ASSERT_GT(shown.size(), 10);
    for (int row = 1; row < shown.size(); ++row)
        ASSERT_LE(catalog::compareNatural(shown.at(row - 1), shown.at(row)), 0) << qPrintable(shown.at(row));
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorSection(), code);
    // The item shown before the sort stays shown and selected at its new place.
    const int place = grid->currentIndex().row();
    EXPECT_EQ(shown.at(place), shownCode());
    if (place + 1 < shown.size()) {
        w->btnNextClick();
        EXPECT_EQ(shownCode(), shown.at(place + 1));
        EXPECT_EQ(grid->currentIndex().row(), place + 1);
    }

    clickHeader(grid, code);
    shown = shownColumn(grid, code);
    EXPECT_GT(catalog::compareNatural(shown.first(), shown.last()), 0);
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);

    // Reopened, the list keeps its order and loads its first shown row.
    w->btnSTYLE1Click(2);
    EXPECT_EQ(shownCode(), grid->model()->index(0, code).data().toString());
    w->btnPrevClick();
    EXPECT_EQ(shownCode(), grid->model()->index(0, code).data().toString());
    w->btnNextClick();
    EXPECT_EQ(shownCode(), grid->model()->index(1, code).data().toString());
}

TEST_F(CatalogToolsTest, EveryListShowsItsRowCountInTheWindowsLanguage)
{
    TfrmMain* w = start("de");
    const QString style = QStringLiteral("%1 Zeilen").arg(w->browser()->qryStyle->recordCount());
    EXPECT_EQ(w->tools()->rowCount(ListPage::Style)->text(), style);
    EXPECT_TRUE(w->tools()->rowCount(ListPage::SearchResults)->text().isEmpty());
    child<QLineEdit>("edtSearch")->setText("10");
    w->btnSearchClick();
    EXPECT_EQ(w->tools()->rowCount(ListPage::SearchResults)->text(),
              QStringLiteral("%1 Zeilen").arg(w->browser()->qrySearch->recordCount()));
    // A committed synchronisation empties the lists; their counts go with them.
    w->browser()->closeAll();
    EXPECT_TRUE(w->tools()->rowCount(ListPage::Style)->text().isEmpty());
}

TEST_F(CatalogToolsTest, CopyingPutsPlainTextRowsAndCodesOnTheClipboard)
{
    TfrmMain* w = start("en");
    QTableView* grid = openFirstOemList();
    const auto cell = [grid](int row, int column) { return grid->model()->index(row, column).data().toString(); };
    const int oemCode = grid->model()->columnCount() > 1 ? 1 : 0;

    w->tools()->copying()->copyRow(grid, 1);
    EXPECT_EQ(clipboard(), cell(1, 0) + "\t" + cell(1, oemCode)); // ITEM_ID stays hidden
    w->tools()->copying()->copyCode(grid, 1, oemCode);
    EXPECT_EQ(clipboard(), cell(1, oemCode));
    w->tools()->copying()->copyCode(grid, 1);
    EXPECT_EQ(clipboard(), cell(1, 0));

    // Ctrl+C: a grid copies its current row, the header its item's code, the technical data all its rows.
    focus(grid);
    QTest::keyClick(grid, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), cell(0, 0) + "\t" + cell(0, oemCode));
    auto* code = child<DataText>("DBText1");
    QTest::keyClick(code, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard(), shownCode());
    QTest::keyClick(child("cntItemDetails"), Qt::Key_C, Qt::ControlModifier);
    const catalog::ItemDetails item = w->browser()->itemDetails();
    const QStringList lines = clipboard().split('\n');
    ASSERT_EQ(lines.size(), 8);
    EXPECT_EQ(lines.at(0), "Total Weight\t(kg)\t" + item.totalWeight);
    EXPECT_EQ(lines.at(2), "Operating Pressure Max\t(bar)\t" + item.operationPressureMax);
    EXPECT_EQ(lines.at(6), "Piston Type\t\t" + item.ptStr);

    // Every code of the item, its own among them, one line each.
    w->tools()->copying()->copyAllCodes();
    const QStringList codes = clipboard().split('\n');
    EXPECT_EQ(codes.size(), w->browser()->qryCodes->recordCount());
    EXPECT_TRUE(codes.contains("Velkorn\t" + shownCode())) << qPrintable(clipboard());
}

TEST_F(CatalogToolsTest, TechnicalDataRowsByHeight)
{
    EXPECT_EQ(app::ItemCopying::technicalRowAt(7), -1);
    EXPECT_EQ(app::ItemCopying::technicalRowAt(8), 0);
    EXPECT_EQ(app::ItemCopying::technicalRowAt(26), 1);
    EXPECT_EQ(app::ItemCopying::technicalRowAt(71), 3);
    EXPECT_EQ(app::ItemCopying::technicalRowAt(135), 7);
    EXPECT_EQ(app::ItemCopying::technicalRowAt(136), -1);
}

TEST_F(CatalogToolsTest, ExportWritesTheShownListWithEachItemsData)
{
    TfrmMain* w = start("en");
    QTableView* grid = openFirstOemList();
    w->tools()->sortList(grid, 1);
    const QString path = m_appDir + "list.csv";
    ASSERT_TRUE(w->tools()->exportList(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    file.close();
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const QStringList lines = QString::fromUtf8(bytes.mid(3)).split("\r\n");
    ASSERT_EQ(lines.size(), grid->model()->rowCount() + 2); // the caption row and the empty end
    const QString codeType = w->subMenu("btnOem")->actions().first()->text();
    EXPECT_TRUE(lines.at(0).startsWith("Product Code,Style,Total Weight (kg),Operating Pressure Default (bar),"))
        << qPrintable(lines.at(0));
    EXPECT_TRUE(lines.at(0).endsWith("," + codeType));
    // The first exported row is the first shown row, with the data the item view shows for it.
    w->browser()->qryOEM->first();
    const catalog::ItemDetails item = w->browser()->itemDetails();
    const QStringList expected = QStringList{item.code, item.typeStr} + catalog::technicalValues(item) +
                                 QStringList{grid->model()->index(0, 1).data().toString()};
    EXPECT_EQ(lines.at(1) + "\r\n", QString::fromUtf8(catalog::csvDocument({expected}, ',').mid(3)));

    // The search results carry the code that matched and its type.
    child<QLineEdit>("edtSearch")->setText("10");
    w->btnSearchClick();
    ASSERT_TRUE(w->tools()->exportList(path));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(file.readLine()).trimmed().endsWith(",Code Type,Code"));
    file.close();

    EXPECT_FALSE(w->tools()->exportList(m_appDir + "no/such/folder/list.csv"));
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes.first().text.contains(QDir::toNativeSeparators(m_appDir + "no/such/folder/list.csv")));
}

TEST_F(CatalogToolsTest, CatalogDateFollowsTheCommittedCatalogAndAboutShowsItsSize)
{
    setLastUpdate(QDateTime(QDate(2024, 6, 1), QTime(12, 0)));
    TfrmMain* w = start("en");
    QLabel* line = w->tools()->catalogLine();
    EXPECT_EQ(line->text(), "Catalog of 1 June 2024   Version " VELKORN_VERSION_STRING);
    EXPECT_TRUE(line->isVisible());

    // What the window does when a synchronisation has committed: the lists close, the date is read again.
    setLastUpdate(QDateTime(QDate(2026, 12, 9), QTime(8, 30)));
    w->browser()->closeAll();
    w->tools()->refreshCatalogFacts();
    EXPECT_TRUE(line->text().startsWith("Catalog of 9 December 2026   "));

    w->tools()->showAbout();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_EQ(m_boxes.first().caption, "About Velkorn");
    QSqlQuery count(w->localDb());
    ASSERT_TRUE(count.exec("select (select count(*) from item), (select count(*) from item_code) from rdb$database"));
    ASSERT_TRUE(count.next());
    const QLocale english(QLocale::English, QLocale::UnitedKingdom);
    const QStringList about = m_boxes.first().text.split('\n');
    EXPECT_TRUE(about.contains("Version " VELKORN_VERSION_STRING));
    EXPECT_TRUE(about.contains("Catalog of 9 December 2026"));
    EXPECT_TRUE(about.contains("Items: " + english.toString(count.value(0).toInt())));
    EXPECT_TRUE(about.contains("Codes: " + english.toString(count.value(1).toInt())));
    EXPECT_TRUE(about.contains("Application directory: " + QDir::toNativeSeparators(m_appDir)));

    setLastUpdate(QVariant());
    w->browser()->closeAll();
    w->tools()->refreshCatalogFacts();
    EXPECT_TRUE(line->text().startsWith("Catalog never updated   "));
}

// The tests run under the C locale: the month's name and the sentence come from the chosen language alone.
TEST_F(CatalogToolsTest, CatalogDateReadsNaturallyInTheChosenLanguage)
{
    setLastUpdate(QDateTime(QDate(2024, 6, 1), QTime(12, 0)));
    TfrmMain* w = start("tr");
    EXPECT_TRUE(w->tools()->catalogLine()->text().startsWith(QString::fromUtf8("Katalog tarihi: 1 Haziran 2024   ")));
    w->tools()->showAbout();
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes.first().text.split('\n').contains(QString::fromUtf8("Katalog tarihi: 1 Haziran 2024")));
    setLastUpdate(QVariant());
    w->browser()->closeAll();
    w->tools()->refreshCatalogFacts();
    EXPECT_TRUE(w->tools()->catalogLine()->text().startsWith(QString::fromUtf8("Katalog hiç güncellenmedi   ")));

    setLastUpdate(QDateTime(QDate(2024, 6, 1), QTime(12, 0)));
    w = restart("de");
    EXPECT_TRUE(w->tools()->catalogLine()->text().startsWith("Katalogstand: 1. Juni 2024   "));
}

// Older language files lack the new keys; the window must not show "ERROR" for them but the built-in texts of its
// language.
TEST_F(CatalogToolsTest, LanguageFileWithoutTheNewKeysFallsBackToBuiltInTexts)
{
    QFile lng(m_appDir + "de.lng");
    ASSERT_TRUE(lng.open(QIODevice::ReadOnly));
    QByteArray text = lng.readAll();
    lng.close();
    const int newKeys = text.indexOf("btnTools=");
    ASSERT_GT(newKeys, 0);
    text.truncate(newKeys);
    ASSERT_TRUE(lng.open(QIODevice::WriteOnly | QIODevice::Truncate));
    lng.write(text);
    lng.close();

    TfrmMain* w = start("de");
    EXPECT_EQ(w->tools()->menu()->title(), "Extras");
    EXPECT_FALSE(w->tools()->catalogLine()->text().contains("ERROR"));
    EXPECT_TRUE(w->tools()->rowCount(ListPage::Style)->text().endsWith(" Zeilen"));
    EXPECT_EQ(w->subMenu("btnStyle")->title(), "Bauform"); // the file's own texts still apply
}

TEST(LargePicture, FitsEightyPercentOfTheScreenKeepingItsProportions)
{
    EXPECT_EQ(app::largePictureSize({400, 300}, {1000, 1000}), QSize(800, 600));
    EXPECT_EQ(app::largePictureSize({100, 400}, {1000, 1000}), QSize(200, 800));
    EXPECT_EQ(app::largePictureSize({4000, 1000}, {1280, 1024}), QSize(1024, 256));
    EXPECT_TRUE(app::largePictureSize({}, {1280, 1024}).isEmpty());
}

TEST_F(CatalogToolsTest, PictureOpensLargeAndEscapeOrAClickClosesOnlyThatWindow)
{
    // The item pictures come from the demo catalog's images folder.
    QDir images(QStringLiteral(VELKORN_TEST_DIST_DIR "/images"));
    ASSERT_TRUE(QDir().mkpath(m_appDir + "images"));
    for (const QString& name : images.entryList(QDir::Files))
        QFile::copy(images.filePath(name), m_appDir + "images/" + name);
    TfrmMain* w = start("en");
    openFirstOemList();
    auto* slot = child<PictureBox>("res1");
    ASSERT_FALSE(slot->isHidden());
    QTest::mouseClick(slot, Qt::LeftButton);
    QPointer<app::PictureViewer> viewer = w->findChild<app::PictureViewer*>();
    ASSERT_TRUE(viewer);
    EXPECT_TRUE(viewer->isVisible());
    EXPECT_EQ(viewer->size(), app::largePictureSize(slot->pixmap().size(), w->screen()->availableGeometry().size()));

    QTest::keyClick(viewer, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(viewer);
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(w->shutdownDone());

    // The menu entry's shortcut, also after the menu was last shown without a picture to open.
    slot->hide();
    w->tools()->menu()->popup(QPoint(0, 0));
    w->tools()->menu()->hide();
    slot->show();
    QTest::keyClick(w, Qt::Key_L, Qt::ControlModifier);
    viewer = w->findChild<app::PictureViewer*>();
    ASSERT_TRUE(viewer);
    QTest::mouseClick(viewer, Qt::LeftButton);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(viewer);
    EXPECT_FALSE(w->shutdownDone());
}

TEST_F(CatalogToolsTest, GridContextMenuOffersTheThreeCopiesAndCopiesTheClickedRow)
{
    start("de");
    QTableView* grid = openFirstOemList();
    const QRect second = grid->visualRect(grid->model()->index(1, 0));
    const QStringList entries = popupEntries([&] { emit grid->customContextMenuRequested(second.center()); }, 2);
    EXPECT_EQ(entries, QStringList({"Nummer kopieren", "Alle Nummern dieses Artikels kopieren", "Zeile kopieren", "",
                                    "Zum Vergleich hinzufügen"}));
    EXPECT_EQ(clipboard(),
              grid->model()->index(1, 0).data().toString() + "\t" + grid->model()->index(1, 1).data().toString());
}
