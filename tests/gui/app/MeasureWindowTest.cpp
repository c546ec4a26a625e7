#include "app/DatasheetActions.h"
#include "app/MeasurePresenter.h"
#include "app/PageControl.h"
#include "app/TfrmMain.h"
#include "base/IniFile.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/TQuery.h"
#include "i18n/LngINISupp.h"
#include "i18n/MsgINISupp.h"
#include "i18n/texts/BuiltInTexts.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>
#include <memory>

namespace {

using app::PageControl;
using app::TfrmMain;

// The window on copies of the demo catalog and language files, reached the way a user reaches the measurement
// page and the datasheet: keys, menu entries, the form's boxes.
class MeasureWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        const QString dist = QStringLiteral(VELKORN_TEST_DIST_DIR) + "/";
        for (const char* name : {"KATALOG.GDB", "en.lng", "de.lng", "tr.lng"})
            ASSERT_TRUE(QFile::copy(dist + name, appDir() + name)) << name;
        QFile::setPermissions(appDir() + "KATALOG.GDB", QFile::ReadOwner | QFile::WriteOwner);
        i18n::TLngINISupp::resetSharedState();
        i18n::TMsgINISupp::resetSharedState();
        widgets::setMessageBoxHandler([this](const widgets::BoxRequest& r) { m_boxes.append(r); });
    }

    void TearDown() override
    {
        m_window.reset();
        widgets::setMessageBoxHandler({});
    }

    QString appDir() const { return m_dir.path() + "/"; }

    TfrmMain& start(const QString& language)
    {
        m_window = std::make_unique<TfrmMain>(appDir());
        m_window->languageSelector = [language] { return language; };
        m_window->startFeedThread = [] {};
        m_window->show();
        for (int i = 0; i < 200 && !m_window->startupSteps().contains("showIntro"); ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
        QApplication::setActiveWindow(m_window.get());
        QCoreApplication::processEvents();
        return *m_window;
    }

    template <typename T = QWidget> T* child(const QString& name) const { return m_window->findChild<T*>(name); }
    QString page(const char* control) const { return child<PageControl>(control)->currentPage()->objectName(); }
    QString shownCode() const { return m_window->browser()->itemDetails().code; }

    void enter(const char* box, const QString& text)
    {
        auto* edit = child<QLineEdit>(box);
        ASSERT_TRUE(edit) << box;
        edit->setText(text);
    }

    QTemporaryDir m_dir;
    QList<widgets::BoxRequest> m_boxes;
    std::unique_ptr<TfrmMain> m_window;
};

// The road of a mechanic with an unreadable label: Ctrl+M, the measured stroke and height a little off, Enter.
// The item measured is among the hits, the closest is shown at once, Prev/Next and the list pane walk the hits,
// and Left in the list pane steps once, not twice.
TEST_F(MeasureWindowTest, MeasuredSpringIsFoundAndTheHitsAreAListLikeAnyOther)
{
    TfrmMain& w = start("en");
    QSqlQuery q(w.localDb());
    ASSERT_TRUE(q.exec("select c.code, i.operation_space, i.assembly_height from item i join item_code c on "
                       "c.item_id = i.id and c.code_type_id = 1 where i.id = 21"));
    ASSERT_TRUE(q.next());
    const QString measured = q.value(0).toString();

    QTest::keyClick(&w, Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(page("pgGlobal"), "pgMeasure");
    enter("edtMeasureStroke", QString::number(q.value(1).toDouble() - 2));
    enter("edtMeasureHeight", QString::number(q.value(2).toDouble() + 1));
    enter("edtToleranceHeight", "25");
    QTest::keyClick(child<QLineEdit>("edtMeasureHeight"), Qt::Key_Return);

    app::MeasurePresenter* measure = w.measurePresenter();
    const auto& hits = measure->hits();
    ASSERT_GE(hits.size(), 3);
    QStringList found;
    for (const auto& hit : hits)
        found << hit.code;
    EXPECT_TRUE(found.contains(measured));
    EXPECT_EQ(shownCode(), hits[0].code);
    EXPECT_FALSE(child<QLabel>("lblMeasureFound")->text().isEmpty());
    auto* grid = child<QTableView>("grdMeasure");
    EXPECT_TRUE(grid->model()->data(grid->model()->index(0, 1), Qt::BackgroundRole).isValid());
    EXPECT_EQ(grid->model()->data(grid->model()->index(0, 0)).toString(), hits[0].code);

    w.btnNextClick();
    EXPECT_EQ(shownCode(), hits[1].code);

    const QRect row2 = grid->visualRect(grid->model()->index(2, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row2.center());
    EXPECT_EQ(page("pgGlobal"), "pgCenterItem");
    EXPECT_EQ(page("pgGrid"), "pgMeasureResults");
    EXPECT_EQ(shownCode(), hits[2].code);

    auto* pane = child<QTableView>("grdMeasureResults");
    pane->setFocus();
    QTest::keyClick(pane, Qt::Key_Left);
    EXPECT_EQ(shownCode(), hits[1].code);
    EXPECT_EQ(w.currentGrid, pane);
}

// A box that holds no number is marked and nothing is searched; style alone is a search of its own. Arrow keys in
// the boxes stay in the boxes.
TEST_F(MeasureWindowTest, WrongEntryIsMarkedAndSearchesNothing)
{
    TfrmMain& w = start("de");
    w.measurePresenter()->btnMeasureClick();
    enter("edtMeasureStroke", "abc");
    QTest::mouseClick(child<QPushButton>("btnMeasureFind"), Qt::LeftButton);
    EXPECT_FALSE(child<QLineEdit>("edtMeasureStroke")->styleSheet().isEmpty());
    EXPECT_FALSE(w.measurePresenter()->qryMeasure->isActive());

    enter("edtMeasureStroke", "");
    w.measurePresenter()->page().cmbMeasureStyle->setCurrentIndex(7);
    QTest::mouseClick(child<QPushButton>("btnMeasureFind"), Qt::LeftButton);
    EXPECT_TRUE(child<QLineEdit>("edtMeasureStroke")->styleSheet().isEmpty());
    ASSERT_FALSE(w.measurePresenter()->hits().isEmpty());
    for (const auto& hit : w.measurePresenter()->hits())
        EXPECT_EQ(hit.style, 7);
    EXPECT_TRUE(m_boxes.isEmpty());

    // In the form's boxes the arrow keys move the text cursor; they do not walk the hits.
    const QString shown = shownCode();
    auto* box = child<QLineEdit>("edtMeasureHeight");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Right);
    EXPECT_EQ(shownCode(), shown);
}

// Every new text comes in the chosen language; a language file from before the page (without the new keys) shows
// the built-in texts, and the language component writes none of the new components into the file.
TEST_F(MeasureWindowTest, TextsInEachLanguageAndWithAnOlderLanguageFile)
{
    for (const QString language : {"tr", "de"}) {
        TfrmMain& w = start(language);
        EXPECT_EQ(w.measurePresenter()->btnMeasure->text(), i18n::builtInText(language, "btnMeasure"));
        EXPECT_EQ(w.datasheetActions()->btnDatasheet->title(), i18n::builtInText(language, "btnDatasheet"));
        EXPECT_EQ(child<QPushButton>("btnMeasureFind")->text(), i18n::builtInText(language, "measureFind"));
        m_window.reset();
        i18n::TLngINISupp::resetSharedState();
        i18n::TMsgINISupp::resetSharedState();
    }

    // en.lng as it was: without the added keys.
    base::IniFile old(appDir() + "en.lng");
    ASSERT_TRUE(old.load());
    QByteArray bytes = old.toBytes();
    QList<QByteArray> lines = bytes.split('\n');
    QByteArray kept;
    for (const QByteArray& line : lines) {
        const QString key = QString::fromLatin1(line.left(line.indexOf('=')));
        if (!i18n::builtInKeys().contains(key))
            kept += line + '\n';
    }
    QFile file(appDir() + "en.lng");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(kept.left(kept.size() - 1));
    file.close();

    TfrmMain& w = start("en");
    EXPECT_EQ(w.measurePresenter()->btnMeasure->text(), "Find by measurements");
    EXPECT_EQ(w.datasheetActions()->btnSaveDatasheet->text(), QString::fromUtf8("Save datasheet as PDF…"));
    EXPECT_EQ(child<QLabel>("lblMeasureStroke")->text(), "Operating space (stroke)");
    base::IniFile after(appDir() + "en.lng");
    ASSERT_TRUE(after.load());
    EXPECT_EQ(after.keys("frmMain").size(), 14);
    EXPECT_FALSE(after.contains("Project_Messages", "btnMeasure"));
}

// Ctrl+Shift+P saves the shown item's datasheet where the user says; with no item shown nothing is asked.
TEST_F(MeasureWindowTest, SavesTheShownItemsDatasheetAsPdf)
{
    TfrmMain& w = start("tr");
    const QString path = appDir() + "sheet.pdf";
    int asked = 0;
    w.datasheetActions()->askFileName = [&](const QString& suggested) {
        ++asked;
        EXPECT_TRUE(suggested.endsWith(".pdf"));
        return path;
    };
    w.btnSTYLE1Click(2);
    const QString code = shownCode();
    ASSERT_FALSE(code.isEmpty());
    QTest::keyClick(&w, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_EQ(asked, 1);
    QProcess text;
    text.start("pdftotext", {"-enc", "UTF-8", path, "-"});
    ASSERT_TRUE(text.waitForFinished(30000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    EXPECT_TRUE(words.contains(code));
    EXPECT_TRUE(words.contains(QString::fromUtf8("Roll Metalli Körük (Pistonsuz)")));
    EXPECT_TRUE(m_boxes.isEmpty());

    w.browser()->closeAll();
    w.datasheetActions()->btnSaveDatasheet->trigger();
    EXPECT_EQ(asked, 1);
}

} // namespace
