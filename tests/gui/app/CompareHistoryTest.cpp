#include "MainWindowFixture.h"

#include "app/CodeSuggestions.h"
#include "app/ComparePresenter.h"
#include "app/HistoryPresenter.h"
#include "catalog/CatalogBrowser.h"

#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSet>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

using app::ComparePage;
using app::TfrmMain;

namespace {

class CompareHistoryTest : public MainWindowTest
{
protected:
    int shownItem() const { return m_window->browser()->itemDetails().itemId; }

    // The item page's list, as a user opens it from the style menu.
    QTableView* openStyleList(int style)
    {
        m_window->btnSTYLE1Click(style);
        return child<QTableView>("gridStyle");
    }

    QStringList historyMenu() const
    {
        QMenu* menu = m_window->history()->btnHistory;
        return popupEntries([menu] { menu->exec(QPoint(0, 0)); });
    }

    static QString pdfText(const QString& path)
    {
        QProcess text;
        text.start("pdftotext", {"-enc", "UTF-8", path, "-"});
        EXPECT_TRUE(text.waitForFinished(30000));
        return QString::fromUtf8(text.readAllStandardOutput());
    }
};

} // namespace

// Items come into the comparison from a list's context menu, the item page's button and the code drop-down; a
// fourth is refused with a message and the page opens to choose one to remove. The page marks the values that
// differ, removes an item on its button and writes the comparison as a PDF that reads as text.
TEST_F(CompareHistoryTest, ComparesUpToThreeItemsMarksDifferencesAndWritesThePdf)
{
    TfrmMain* w = start("en");
    app::ComparePresenter* compare = w->compare();
    QTableView* list = openStyleList(2);
    const auto listItem = [list](int row) {
        return list->model()->index(row, list->model()->columnCount() - 1).data().toInt();
    };
    ASSERT_GE(list->model()->rowCount(), 4);

    const QRect third = list->visualRect(list->model()->index(2, 0));
    const QStringList entries = popupEntries([&] { emit list->customContextMenuRequested(third.center()); }, 4);
    EXPECT_EQ(entries.value(4), "Add to comparison");
    EXPECT_EQ(compare->comparison().itemIds(), QVector<int>({listItem(2)}));
    EXPECT_EQ(compare->btnCompare->title(), "Comparison (1)");

    auto* button = child<QToolButton>("btnCompareItem");
    EXPECT_FALSE(button->isChecked());
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(button->isChecked());
    const int fromItemPage = shownItem();

    waitForCodeIndex();
    auto* box = child<QLineEdit>("edtSearch");
    focus(box);
    QTest::keyClicks(box, "VK 0");
    app::CodeSuggestions* drop = w->codeSuggestions();
    ASSERT_TRUE(drop->isVisible());
    int row = 0;
    while (compare->comparison().contains(drop->model().rows().at(row).itemId))
        ++row;
    const int fromDropDown = drop->model().rows().at(row).itemId;
    const QPoint rowCentre(10, 1 + row * drop->rowHeight() + drop->rowHeight() / 2);
    EXPECT_EQ(popupEntries([&] { QTest::mouseClick(drop, Qt::RightButton, {}, rowCentre); }, 0),
              QStringList{"Add to comparison"});
    EXPECT_EQ(compare->comparison().itemIds(), QVector<int>({listItem(2), fromItemPage, fromDropDown}));

    ASSERT_TRUE(m_boxes.isEmpty());
    int fourth = 3;
    while (compare->comparison().contains(listItem(fourth)))
        ++fourth;
    EXPECT_FALSE(compare->addToComparison(listItem(fourth)));
    ASSERT_EQ(m_boxes.size(), 1);
    EXPECT_TRUE(m_boxes.first().text.startsWith("The comparison already holds three items."));
    EXPECT_EQ(compare->comparison().itemIds().size(), 3);
    EXPECT_EQ(currentPage(), "pgCompare");

    // Codes in the header; a line is marked exactly where its cells read differently, the codes never.
    auto* grid = child<QTableWidget>("grdCompare");
    EXPECT_EQ(grid->columnCount(), ComparePage::FirstItemColumn + 3);
    EXPECT_EQ(grid->horizontalHeaderItem(ComparePage::FirstItemColumn + 1)->text(), shownCode());
    EXPECT_EQ(grid->item(2, 0)->text(), "Style");
    int marked = 0;
    bool codes = false;
    for (int r = 2; r < grid->rowCount(); ++r) {
        if (grid->columnSpan(r, 0) > 1) { // a section's heading
            codes = grid->item(r, 0)->text() == "All Codes";
            continue;
        }
        QSet<QString> texts;
        for (int c = ComparePage::FirstItemColumn; c < grid->columnCount(); ++c)
            texts << grid->item(r, c)->text();
        const bool differs = !codes && texts.size() > 1;
        const QTableWidgetItem* cell = grid->item(r, ComparePage::FirstItemColumn);
        EXPECT_EQ(cell->data(Qt::UserRole).toBool(), differs) << qPrintable(grid->item(r, 0)->text());
        EXPECT_EQ(cell->background().color() == ComparePage::DiffersColour, differs);
        marked += differs;
    }
    EXPECT_GT(marked, 0);
    EXPECT_TRUE(codes);

    QTest::mouseClick(child<QPushButton>(QStringLiteral("btnCompareRemove%1").arg(fromItemPage)), Qt::LeftButton);
    QCoreApplication::processEvents();
    EXPECT_EQ(compare->comparison().itemIds(), QVector<int>({listItem(2), fromDropDown}));
    EXPECT_EQ(grid->columnCount(), ComparePage::FirstItemColumn + 2);

    const QString path = m_appDir + "comparison.pdf";
    compare->askFileName = [&](const QString& suggested) {
        EXPECT_TRUE(suggested.endsWith(".pdf"));
        return path;
    };
    QTest::mouseClick(child<QPushButton>("btnCompareSavePdf"), Qt::LeftButton);
    const QString text = pdfText(path);
    for (int column = ComparePage::FirstItemColumn; column < grid->columnCount(); ++column)
        EXPECT_TRUE(text.contains(grid->horizontalHeaderItem(column)->text()));
    for (const char* words : {"Product Comparison", "are marked", "Assembly Height", "All Codes"})
        EXPECT_TRUE(text.contains(words)) << words;
    EXPECT_EQ(m_boxes.size(), 1);

    // "Show item" opens the item on the item page.
    QTest::mouseClick(child<QPushButton>(QStringLiteral("btnCompareShow%1").arg(fromDropDown)), Qt::LeftButton);
    EXPECT_EQ(currentPage(), "pgCenterItem");
    EXPECT_EQ(shownItem(), fromDropDown);
}

// Alt+Left and Alt+Right walk what was shown; the menu lists it newest first; a synchronisation's deletion drops an
// item quietly (from the comparison too); and the history is there again after a restart.
TEST_F(CompareHistoryTest, HistoryWalksBackAndForthDropsDeletedItemsAndOutlivesTheProgram)
{
    TfrmMain* w = start("de");
    QStringList menu = historyMenu();
    EXPECT_EQ(menu, QStringList({"Zurück", "Vorwärts", "", "Noch keine Artikel angezeigt", "", "Verlauf löschen"}));

    openStyleList(1);
    QVector<int> shown{shownItem()};
    QStringList codes{shownCode()};
    for (int i = 0; i < 2; ++i) {
        w->btnNextClick();
        shown << shownItem();
        codes << shownCode();
    }
    QTest::keyClick(w, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(shownItem(), shown.at(1));
    EXPECT_EQ(w->browser()->qryStyle->recNo(), 2) << "Alt+Left leaves the list where it is";
    QTest::keyClick(w, Qt::Key_Left, Qt::AltModifier);
    QTest::keyClick(w, Qt::Key_Left, Qt::AltModifier); // the oldest: nothing further back
    EXPECT_EQ(shownItem(), shown.at(0));
    QTest::keyClick(w, Qt::Key_Right, Qt::AltModifier);
    EXPECT_EQ(shownItem(), shown.at(1));

    menu = historyMenu();
    ASSERT_EQ(menu.size(), 3 + 3 + 2);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(menu.at(3 + i).startsWith(codes.at(2 - i))) << qPrintable(menu.at(3 + i));
    EXPECT_TRUE(menu.at(3).contains("Rollbalg")) << "each item with its style";

    // A synchronisation deletes the newest item.
    w->compare()->addToComparison(shown.at(2));
    changeCatalog({"delete from item where id=?", "delete from item_code where item_id=?",
                   "delete from item_pictures where item_id=?"},
                  {shown.at(2)});
    w->browser()->closeAll();
    menu = historyMenu();
    EXPECT_EQ(menu.size(), 3 + 2 + 2);
    EXPECT_TRUE(w->compare()->comparison().isEmpty());
    EXPECT_TRUE(m_boxes.isEmpty());

    w = restart("de");
    QTest::keyClick(w, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(shownItem(), shown.at(1));
    EXPECT_EQ(currentPage(), "pgCenterItem");
    QTest::keyClick(w, Qt::Key_Left, Qt::AltModifier);
    EXPECT_EQ(shownItem(), shown.at(0));
}
