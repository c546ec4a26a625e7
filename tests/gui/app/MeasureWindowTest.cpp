#include "MainWindowFixture.h"

#include "app/CatalogTools.h"
#include "app/DatasheetActions.h"
#include "app/MeasurePresenter.h"
#include "base/IniFile.h"
#include "catalog/TQuery.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "i18n/texts/BuiltInTexts.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>

using app::PageControl;
using app::TfrmMain;

namespace {

// The window reached the way a user reaches the measurement page and the datasheet: keys, menu entries, the form's
// boxes.
class MeasureWindowTest : public MainWindowTest
{
protected:
    QString page(const char* control) const { return child<PageControl>(control)->currentPage()->objectName(); }

    void enter(const char* box, const QString& text)
    {
        auto* edit = child<QLineEdit>(box);
        ASSERT_TRUE(edit) << box;
        edit->setText(text);
    }

    void find() { QTest::mouseClick(child<QPushButton>("btnMeasureFind"), Qt::LeftButton); }
    const QVector<catalog::MeasureHit>& hits() const { return m_window->measurePresenter()->hits(); }
    QString foundLine() const { return child<QLabel>("lblMeasureFound")->text(); }

    // Stroke and height of an item of the demo catalog, and its own code.
    struct Measured
    {
        QString code;
        double stroke = 0;
        double height = 0;
    };
    Measured measuresOf(int itemId) const
    {
        QSqlQuery q(m_window->localDb());
        q.exec(QStringLiteral("select c.code, i.operation_space, i.assembly_height from item i join item_code c on "
                              "c.item_id = i.id and c.code_type_id = 1 where i.id = %1")
                   .arg(itemId));
        return q.next() ? Measured{q.value(0).toString(), q.value(1).toDouble(), q.value(2).toDouble()} : Measured{};
    }
};

// The road of a mechanic with an unreadable label: Ctrl+M, the measured stroke and height a little off, Enter.
// The item measured is among the hits, the closest is shown at once, Prev/Next and the list pane walk the hits,
// and Left in the list pane steps once, not twice.
TEST_F(MeasureWindowTest, MeasuredSpringIsFoundAndTheHitsAreAListLikeAnyOther)
{
    TfrmMain& w = *start("en");
    const Measured measured = measuresOf(21);
    ASSERT_FALSE(measured.code.isEmpty());

    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(page("pgGlobal"), "pgMeasure");
    enter("edtMeasureStroke", QString::number(measured.stroke - 2));
    enter("edtMeasureHeight", QString::number(measured.height + 1));
    enter("edtToleranceHeight", "25");
    QTest::keyClick(child<QLineEdit>("edtMeasureHeight"), Qt::Key_Return);

    ASSERT_GE(hits().size(), 3);
    QStringList found;
    for (const auto& hit : hits())
        found << hit.code;
    EXPECT_TRUE(found.contains(measured.code));
    EXPECT_EQ(shownCode(), hits()[0].code);
    EXPECT_EQ(foundLine(), QString("%1 items found").arg(hits().size()));
    auto* grid = child<QTableView>("grdMeasure");
    EXPECT_TRUE(grid->model()->data(grid->model()->index(0, 1), Qt::BackgroundRole).isValid());
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 0)).toString(), hits()[0].code);

    w.btnNextClick();
    EXPECT_EQ(shownCode(), hits()[1].code);

    const QRect row2 = grid->visualRect(grid->model()->index(2, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
    EXPECT_EQ(page("pgGlobal"), "pgCenterItem");
    EXPECT_EQ(page("pgGrid"), "pgMeasureResults");
    EXPECT_EQ(shownCode(), hits()[2].code);

    auto* pane = child<QTableView>("grdMeasureResults");
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Left);
    EXPECT_EQ(shownCode(), hits()[1].code);
    EXPECT_EQ(w.currentGrid, pane);

    // Exact measures with no tolerance: one hit, counted in the singular.
    w.measurePresenter()->btnMeasureClick();
    enter("edtMeasureStroke", QString::number(measured.stroke));
    enter("edtToleranceStroke", "0");
    enter("edtMeasureHeight", QString::number(measured.height));
    enter("edtToleranceHeight", "0");
    find();
    ASSERT_EQ(hits().size(), 1);
    EXPECT_EQ(foundLine(), "1 item found");
    EXPECT_EQ(w.tools()->rowCount(pane)->text(), "1 row");
}

// The hits are sorted by a header click, counted under the list pane and exported with Ctrl+E like every other
// list; the closeness colours follow their item through the sort and stay visible under the selection.
TEST_F(MeasureWindowTest, HitsSortCountAndExportLikeTheOtherLists)
{
    TfrmMain& w = *start("en");
    auto* grid = child<QTableView>("grdMeasure");
    // No empty header bar stands over the results area before the first search.
    EXPECT_TRUE(grid->horizontalHeader()->isHidden());
    w.measurePresenter()->btnMeasureClick();
    enter("edtMeasureStroke", "250");
    enter("edtToleranceStroke", "10");
    find();
    const int found = hits().size();
    ASSERT_GE(found, 3);
    EXPECT_FALSE(grid->horizontalHeader()->isHidden());
    EXPECT_EQ(w.tools()->rowCount(child<QTableView>("grdMeasureResults"))->text(), QString("%1 rows").arg(found));

    // The first hit is selected, and its value cell still shows green or amber, a shade darker.
    ASSERT_TRUE(grid->selectionModel()->isRowSelected(0, {}));
    const QRect cell = grid->visualRect(grid->model()->index(0, 1));
    const QColor shown = grid->viewport()->grab().toImage().pixelColor(cell.topLeft() + QPoint(3, 3));
    EXPECT_GT(shown.green(), shown.blue()) << qPrintable(shown.name()); // the selection colour is bluish

    // The differences sort as numbers; each row keeps its item's colour.
    catalog::TQuery* list = w.measurePresenter()->qryMeasure;
    clickHeader(grid, 2);
    for (int row = 1; row < found; ++row)
        ASSERT_LE(list->value(row - 1, 2).toDouble(), list->value(row, 2).toDouble()) << row;
    for (int row = 0; row < found; ++row) {
        const int itemId = list->value(row, list->fieldIndex("ITEM_ID")).toInt();
        const auto hit = std::find_if(hits().begin(), hits().end(), [&](const auto& h) { return h.itemId == itemId; });
        ASSERT_NE(hit, hits().end());
        const QColor colour = grid->model()->index(row, 1).data(Qt::BackgroundRole).value<QColor>();
        EXPECT_EQ(colour == QColor(200, 240, 200), hit->matches.at(0).closeness == catalog::Closeness::Within);
    }

    const QString path = m_appDir + "hits.csv";
    ASSERT_TRUE(w.tools()->exportList(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll().mid(3)).split("\r\n");
    ASSERT_EQ(lines.size(), found + 2);
    EXPECT_TRUE(lines.at(0).startsWith("Product Code,Style,")) << qPrintable(lines.at(0));
    EXPECT_TRUE(lines.at(0).endsWith(",Operating space (stroke),Diff.")) << qPrintable(lines.at(0));
    EXPECT_TRUE(lines.at(1).startsWith(list->value(0, 0).toString() + ","));

    // The next search is ranked by closeness again.
    find();
    EXPECT_EQ(grid->horizontalHeader()->sortIndicatorSection(), -1);
    EXPECT_EQ(list->value(0, 0).toString(), hits()[0].code);
}

// A wrong entry takes the previous hits away and the line says, in the user's language, which box holds what
// mistake; a box mended looks as before. A capacity range as the catalog prints it is an entry like any other.
TEST_F(MeasureWindowTest, WrongEntryClearsTheHitsAndSaysWhatIsWrong)
{
    TfrmMain& w = *start("de");
    w.measurePresenter()->btnMeasureClick();
    auto* stroke = child<QLineEdit>("edtMeasureStroke");
    const QFont font = stroke->font();
    const QColor plain = stroke->palette().color(QPalette::Base);
    const QList<std::tuple<const char*, const char*, const char*, QString>> wrong = {
        {"edtMeasureStroke", "abc", "250", QString::fromUtf8("Arbeitsbereich (Hub): „abc“ ist keine Zahl.")},
        {"edtMeasureStroke", "3200-2800", "250",
         "Arbeitsbereich (Hub): Bitte eine einzelne Zahl eingeben, keinen Bereich."},
        {"edtToleranceHeight", "x", "3", QString::fromUtf8("Einbauhöhe, Toleranz: „x“ ist keine Zahl.")},
    };
    for (const auto& [name, text, mended, message] : wrong) {
        enter("edtMeasureStroke", "250");
        find();
        ASSERT_FALSE(hits().isEmpty());
        auto* box = child<QLineEdit>(name);
        enter(name, text);
        find();
        EXPECT_TRUE(hits().isEmpty()) << text;
        EXPECT_FALSE(w.measurePresenter()->qryMeasure->isActive());
        EXPECT_EQ(child<QTableView>("grdMeasure")->model()->rowCount(), 0);
        EXPECT_EQ(foundLine(), message);
        EXPECT_NE(box->palette().color(QPalette::Base), plain);
        enter(name, mended);
        find();
        EXPECT_FALSE(hits().isEmpty());
        EXPECT_EQ(box->palette().color(QPalette::Base), plain);
        EXPECT_EQ(box->font().toString(), font.toString());
    }

    enter("edtMeasureStroke", "");
    enter("edtMeasureCapacity", "2300-2700");
    find();
    ASSERT_FALSE(hits().isEmpty()) << qPrintable(foundLine());
    EXPECT_EQ(hits()[0].matches.at(0).difference, 0);

    enter("edtMeasureCapacity", "");
    w.measurePresenter()->page().cmbMeasureStyle->setCurrentIndex(7);
    find();
    ASSERT_FALSE(hits().isEmpty());
    for (const auto& hit : hits())
        EXPECT_EQ(hit.style, 7);
    EXPECT_TRUE(m_boxes.isEmpty());

    // In the form's boxes the arrow keys move the text cursor; they do not walk the hits.
    const QString shown = shownCode();
    auto* box = child<QLineEdit>("edtMeasureHeight");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Right);
    EXPECT_EQ(shownCode(), shown);
}

// English labels are the longest; each still stands on one line beside its box.
TEST_F(MeasureWindowTest, FormLabelsFitOnOneLine)
{
    start("en")->measurePresenter()->btnMeasureClick();
    QCoreApplication::processEvents();
    for (const char* name : {"lblMeasureStroke", "lblMeasureStudDistance", "lblMeasureBoltDistance"}) {
        auto* label = child<QLabel>(name);
        EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text())) << name;
        EXPECT_LT(label->height(), 2 * label->fontMetrics().height()) << name;
    }
}

// Every new text comes in the chosen language; a language file from before the page (without the new keys) shows
// the built-in texts, and the language component writes none of the new components into the file.
TEST_F(MeasureWindowTest, TextsInEachLanguageAndWithAnOlderLanguageFile)
{
    for (const QString language : {"tr", "de"}) {
        TfrmMain& w = *restart(language);
        EXPECT_EQ(w.measurePresenter()->btnMeasure->text(), i18n::builtInText(language, "btnMeasure"));
        EXPECT_EQ(w.datasheetActions()->btnDatasheet->title(), i18n::builtInText(language, "btnDatasheet"));
        EXPECT_EQ(child<QPushButton>("btnMeasureFind")->text(), i18n::builtInText(language, "measureFind"));
    }
    m_window.reset();

    // en.lng as it was: without the added keys.
    base::IniFile old(m_appDir + "en.lng");
    ASSERT_TRUE(old.load());
    QByteArray bytes = old.toBytes();
    QList<QByteArray> lines = bytes.split('\n');
    QByteArray kept;
    for (const QByteArray& line : lines) {
        const QString key = QString::fromLatin1(line.left(line.indexOf('=')));
        if (!i18n::builtInKeys().contains(key))
            kept += line + '\n';
    }
    QFile file(m_appDir + "en.lng");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(kept.left(kept.size() - 1));
    file.close();

    TfrmMain& w = *restart("en");
    EXPECT_EQ(w.measurePresenter()->btnMeasure->text(), "Find by measurements");
    EXPECT_EQ(w.datasheetActions()->btnSaveDatasheet->text(), QString::fromUtf8("Save datasheet as PDF…"));
    EXPECT_EQ(child<QLabel>("lblMeasureStroke")->text(), "Operating space (stroke)");
    base::IniFile after(m_appDir + "en.lng");
    ASSERT_TRUE(after.load());
    EXPECT_EQ(after.keys("frmMain").size(), 14);
    EXPECT_FALSE(after.contains("Project_Messages", "btnMeasure"));
}

// The datasheet is offered once an item has been shown: not for the item start-up loads behind the introduction
// page. Its file and print-to-file names keep the whole code, dots and all.
TEST_F(MeasureWindowTest, DatasheetOfTheShownItemKeepsTheWholeCode)
{
    TfrmMain& w = *start("tr");
    app::DatasheetActions* sheet = w.datasheetActions();
    const QString path = m_appDir + "sheet.pdf";
    QStringList suggested;
    QStringList printed;
    sheet->askFileName = [&](const QString& name) {
        suggested << name;
        return path;
    };
    sheet->askPrinter = [&](QPrinter& printer) {
        printed << printer.docName();
        return false;
    };
    auto offered = [&] {
        emit sheet->btnDatasheet->aboutToShow();
        return sheet->btnPrintDatasheet->isEnabled() && sheet->btnSaveDatasheet->isEnabled();
    };
    ASSERT_FALSE(shownCode().isEmpty());
    EXPECT_FALSE(offered());
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(suggested.isEmpty());
    EXPECT_TRUE(printed.isEmpty());

    QSqlQuery q(w.localDb());
    ASSERT_TRUE(q.exec("select first 1 item_id, code from item_code where code_type_id = 1 and code like 'VK.%.%'"));
    ASSERT_TRUE(q.next());
    const QString code = q.value(1).toString();
    w.browser()->showItem(q.value(0).toInt());
    w.showPage("pgCenterItem");
    EXPECT_TRUE(offered());
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(printed, QStringList{code + ".pdf"});
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(suggested.size(), 1);
    EXPECT_TRUE(suggested.first().endsWith("/" + code + ".pdf")) << qPrintable(suggested.first());
    QProcess text;
    text.start("pdftotext", {"-enc", "UTF-8", path, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(words.contains(code));
    // Written in the chosen language, not in the system's locale (C here).
    ASSERT_TRUE(q.exec("select last_update from params"));
    ASSERT_TRUE(q.next());
    const QString date = QLocale(QLocale::Turkish).toString(q.value(0).toDate(), QLocale::ShortFormat);
    EXPECT_TRUE(words.contains("Katalog tarihi: " + date)) << qPrintable(words);
    EXPECT_TRUE(m_boxes.isEmpty());

    // Seen, the item stays offered from the other pages; closed by a synchronisation, it is gone.
    w.btnProfileClick();
    EXPECT_TRUE(offered());
    w.browser()->closeAll();
    sheet->btnSaveDatasheet->trigger();
    EXPECT_EQ(suggested.size(), 1);
}

} // namespace
