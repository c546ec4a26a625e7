#include "app/AccessibleTexts.h"

#include "app/CodeSuggestions.h"
#include "app/MainWindowLayout.h"
#include "app/MeasurePresenter.h"
#include "app/PictureBox.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QToolButton>

namespace app {

namespace {

void describe(QWidget* control, const QString& name, const QString& description)
{
    if (!control)
        return;
    control->setAccessibleName(name);
    control->setAccessibleDescription(description);
}

} // namespace

void applyAccessibleTexts(const MainWindowLayout& ui, const MeasurePresenter& measure, CodeSuggestions* suggestions,
                          const std::function<QString(const char*)>& text)
{
    describe(ui.ImageButton1, text("accWebSite"), text("accWebSiteHint"));
    for (QWidget* search : {ui.ImageButton2, ui.btnSearch})
        describe(search, text("btnSearch"), text("accSearchHint"));
    describe(ui.btnPrev, text("btnPrev"), text("accPrevHint"));
    describe(ui.btnNext, text("btnNext"), text("accNextHint"));
    for (auto it = ui.pageButtons.cbegin(); it != ui.pageButtons.cend(); ++it) {
        const bool forward = ui.isForwardButton(it.key());
        describe(it.value(), text(forward ? "accPageForward" : "accPageBack"),
                 text(forward ? "accPageForwardHint" : "accPageBackHint"));
    }
    describe(measure.btnMeasureSearch, text("btnMeasure"), text("measureTitle"));

    for (QLineEdit* box : {ui.edtSearch, ui.dxEdit1})
        describe(box, text("accSearchBox"), text("accSearchBoxHint"));
    describe(ui.dxBarManager1, text("accMenuBar"), text("accMenuBarHint"));
    for (QTableView* list : ui.listGrids())
        describe(list, text("accItemList"), text("accItemListHint"));
    describe(ui.dxDBGrid1, text("accCodeList"), text("accCodeListHint"));
    for (int slot = 0; slot < int(ui.res.size()); ++slot)
        describe(ui.res[slot], text("accPicture").arg(slot + 1), text("showPicture"));
    describe(suggestions, text("accSuggestions"), text("accSuggestionsHint"));

    const MeasurePage& form = measure.page();
    const QString anyHint = text("accFilterHint").arg(text("measureAny"));
    describe(form.cmbMeasureStyle, text("measureStyle"), anyHint);
    describe(form.cmbMeasurePiston, text("measurePiston"), anyHint);
    for (int m = 0; m < catalog::kMeasureCount; ++m) {
        const MeasurePage::Row& row = form.rows[m];
        const QByteArray key = measureKey(catalog::Measure(m)).toLatin1();
        describe(row.value, text(key.constData()), text("accMeasureValueHint"));
        describe(row.tolerance, text(key.constData()) + QStringLiteral(" – ") + text("measureTolerance"),
                 text("accToleranceHint"));
    }
    describe(form.btnMeasureFind, text("measureFind"), text("accMeasureFindHint"));
    describe(form.btnMeasureClear, text("measureClear"), text("accMeasureClearHint"));
    for (QTableView* hits : {form.grdMeasure, form.grdMeasureResults})
        describe(hits, text("accMeasureHits"), text("measureLegend"));
}

} // namespace app
