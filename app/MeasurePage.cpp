#include "app/MeasurePage.h"

#include "app/MainWindowLayout.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace app {

namespace {

using catalog::Measure;

const QColor InvalidColour(255, 200, 200);

const char* const kRowNames[catalog::kMeasureCount] = {"Stroke",    "Height",       "StudCount", "StudDistance",
                                                       "BoltCount", "BoltDistance", "Capacity"};

QString toleranceText(const catalog::Tolerance& tolerance)
{
    return QString::number(tolerance.amount) + (tolerance.percent ? QStringLiteral(" %") : QString());
}

// The list grids' look; the measure names in the header wrap over two lines.
void styleResultsGrid(QTableView* grid)
{
    styleListGrid(grid);
    grid->horizontalHeader()->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
    grid->horizontalHeader()->setMinimumHeight(34);
}

// Through the palette, not a style sheet: a box whose style sheet is taken away again falls back to the
// application's font instead of the window's.
void markInvalid(QLineEdit* box, bool invalid)
{
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, invalid ? InvalidColour : box->parentWidget()->palette().color(QPalette::Base));
    box->setPalette(palette);
}

} // namespace

QString measureKey(Measure measure)
{
    static const char* const keys[catalog::kMeasureCount] = {
        "measureStroke",    "measureHeight",       "measureStudCount", "measureStudDistance",
        "measureBoltCount", "measureBoltDistance", "measureCapacity"};
    return QString::fromLatin1(keys[int(measure)]);
}

MeasurePage::MeasurePage()
{
    pgMeasure = new QWidget;
    pgMeasure->setObjectName("pgMeasure");
    auto* column = new QVBoxLayout(pgMeasure);
    column->setContentsMargins(12, 8, 12, 8);
    lblMeasureTitle = pageTitle(pgMeasure, "lblMeasureTitle");
    column->addWidget(lblMeasureTitle);

    auto* row = new QHBoxLayout;
    column->addLayout(row, 1);
    auto* form = new QWidget(pgMeasure);
    form->setObjectName("cntMeasureForm");
    form->setFixedWidth(380);
    auto* grid = new QGridLayout(form);
    grid->setContentsMargins(0, 4, 8, 0);
    grid->setVerticalSpacing(6);
    int r = 0;
    auto addCombo = [&](QLabel*& label, QComboBox*& combo, const char* name) {
        label = new QLabel(form);
        label->setObjectName(QStringLiteral("lbl") + name);
        combo = new QComboBox(form);
        combo->setObjectName(QStringLiteral("cmb") + name);
        // The longest style name must not widen the form's columns and squeeze the labels into several lines; the
        // list that drops down is as wide as its names.
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(12);
        label->setBuddy(combo);
        grid->addWidget(label, r, 0);
        grid->addWidget(combo, r, 1, 1, 4);
        ++r;
    };
    addCombo(lblMeasureStyle, cmbMeasureStyle, "MeasureStyle");
    lblMeasureTolerance = new QLabel(form);
    lblMeasureTolerance->setObjectName("lblMeasureTolerance");
    grid->addWidget(lblMeasureTolerance, r++, 2, 1, 2);
    for (int m = 0; m < catalog::kMeasureCount; ++m) {
        const auto measure = Measure(m);
        Row& each = rows[m];
        const QString name = QString::fromLatin1(kRowNames[m]);
        each.label = new QLabel(form);
        each.label->setObjectName("lblMeasure" + name);
        each.value = new QLineEdit(form);
        each.value->setObjectName("edtMeasure" + name);
        each.value->setFixedWidth(70);
        each.label->setBuddy(each.value);
        grid->addWidget(each.label, r, 0);
        grid->addWidget(each.value, r, 1);
        if (!catalog::valueRule(measure).whole) {
            each.tolerance = new QLineEdit(toleranceText(catalog::defaultTolerance(measure)), form);
            each.tolerance->setObjectName("edtTolerance" + name);
            each.tolerance->setFixedWidth(50);
            grid->addWidget(each.tolerance, r, 2);
        }
        each.unit = new QLabel(catalog::valueRule(measure).unit, form);
        each.unit->setObjectName("lblUnit" + name);
        grid->addWidget(each.unit, r, 3);
        ++r;
    }
    addCombo(lblMeasurePiston, cmbMeasurePiston, "MeasurePiston");
    auto* buttons = new QHBoxLayout;
    btnMeasureFind = new QPushButton(form);
    btnMeasureFind->setObjectName("btnMeasureFind");
    btnMeasureFind->setDefault(true);
    btnMeasureClear = new QPushButton(form);
    btnMeasureClear->setObjectName("btnMeasureClear");
    buttons->addWidget(btnMeasureFind);
    buttons->addWidget(btnMeasureClear);
    buttons->addStretch(1);
    grid->addLayout(buttons, r++, 0, 1, 5);
    lblMeasureLegend = new QLabel(form);
    lblMeasureLegend->setObjectName("lblMeasureLegend");
    lblMeasureLegend->setWordWrap(true);
    grid->addWidget(lblMeasureLegend, r++, 0, 1, 5);
    grid->setRowStretch(r, 1);
    // The labels take what their words need, the boxes follow them; the rest of the width stays to the right.
    grid->setColumnStretch(4, 1);
    row->addWidget(form);

    auto* results = new QVBoxLayout;
    lblMeasureFound = new QLabel(pgMeasure);
    lblMeasureFound->setObjectName("lblMeasureFound");
    results->addWidget(lblMeasureFound);
    grdMeasure = new QTableView(pgMeasure);
    grdMeasure->setObjectName("grdMeasure");
    styleResultsGrid(grdMeasure);
    results->addWidget(grdMeasure, 1);
    row->addLayout(results, 1);

    pgMeasureResults = new QWidget;
    pgMeasureResults->setObjectName("pgMeasureResults");
    auto* pane = new QVBoxLayout(pgMeasureResults);
    pane->setContentsMargins(0, 0, 0, 0);
    grdMeasureResults = new QTableView(pgMeasureResults);
    grdMeasureResults->setObjectName("grdMeasureResults");
    styleResultsGrid(grdMeasureResults);
    grdMeasureResults->horizontalHeader()->setStretchLastSection(true);
    pane->addWidget(grdMeasureResults);
}

void MeasurePage::applyTexts(const std::function<QString(const QString&)>& msg)
{
    lblMeasureTitle->setText(msg("btnMeasure") + QStringLiteral(" — ") + msg("measureTitle"));
    lblMeasureStyle->setText(msg("measureStyle"));
    lblMeasurePiston->setText(msg("measurePiston"));
    lblMeasureTolerance->setText(msg("measureTolerance"));
    for (int m = 0; m < catalog::kMeasureCount; ++m)
        rows[m].label->setText(msg(measureKey(Measure(m))));
    btnMeasureFind->setText(msg("measureFind"));
    btnMeasureClear->setText(msg("measureClear"));
    lblMeasureLegend->setText(msg("measureLegend"));

    // Entry 0 is "any"; entry n is style or piston type n.
    auto fill = [&](QComboBox* combo, const QString& prefix, int count) {
        const int current = std::max(0, combo->currentIndex());
        combo->clear();
        combo->addItem(msg("measureAny"), 0);
        for (int n = 1; n <= count; ++n)
            combo->addItem(msg(prefix + QString::number(n)), n);
        combo->setCurrentIndex(current);
        combo->view()->setMinimumWidth(combo->view()->sizeHintForColumn(0) + 8);
    };
    fill(cmbMeasureStyle, QStringLiteral("type"), 8);
    fill(cmbMeasurePiston, QStringLiteral("pistonType"), 6);
}

std::optional<MeasurePage::Fault> MeasurePage::readQuery(catalog::MeasureQuery* query) const
{
    catalog::MeasureQuery q;
    q.style = cmbMeasureStyle->currentData().toInt();
    q.pistonType = cmbMeasurePiston->currentData().toInt();
    std::optional<Fault> fault;
    auto read = [&](QLineEdit* box, Measure measure, bool tolerance) {
        const catalog::Entry entry =
            catalog::readEntry(box->text(), tolerance ? catalog::toleranceRule(measure) : catalog::valueRule(measure));
        const bool wrong = entry.problem != catalog::EntryProblem::None;
        markInvalid(box, wrong);
        if (wrong && !fault)
            fault = Fault{measure, tolerance, box->text().trimmed(), entry.problem};
        return entry;
    };
    for (int m = 0; m < catalog::kMeasureCount; ++m) {
        const Row& each = rows[m];
        const catalog::Entry value = read(each.value, Measure(m), false);
        q.values[m] = value.value;
        if (value.high)
            q.capacityHigh = value.high;
        if (!each.tolerance)
            continue;
        // A cleared tolerance box means the default; "%" in a length's box switches it to percent.
        const catalog::Entry tolerance = read(each.tolerance, Measure(m), true);
        if (tolerance.value)
            q.tolerances[m] = {*tolerance.value, tolerance.percent};
    }
    if (!fault)
        *query = q;
    return fault;
}

void MeasurePage::clearForm()
{
    cmbMeasureStyle->setCurrentIndex(0);
    cmbMeasurePiston->setCurrentIndex(0);
    for (int m = 0; m < catalog::kMeasureCount; ++m) {
        rows[m].value->clear();
        markInvalid(rows[m].value, false);
        if (rows[m].tolerance) {
            rows[m].tolerance->setText(toleranceText(catalog::defaultTolerance(Measure(m))));
            markInvalid(rows[m].tolerance, false);
        }
    }
}

} // namespace app
