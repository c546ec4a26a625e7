#pragma once

#include "catalog/MeasurementSearch.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QToolButton;
class QWidget;

namespace app {

// The widgets of "Find by measurements": a page of `pgGlobal` with the entry form and the ranked results, and a
// page of the list pane with the same results beside the item view. Component names are set as object names.
class MeasurePage final
{
public:
    // Builds both pages; the caller adds them to their page controls.
    MeasurePage();

    // One row of the form per measure: value, tolerance (none for counts) and the unit.
    struct Row
    {
        QLabel* label = nullptr;
        QLineEdit* value = nullptr;
        QLineEdit* tolerance = nullptr;
        QLabel* unit = nullptr;
    };

    // A box whose text the search cannot take: which box and what is wrong.
    struct Fault
    {
        catalog::Measure measure = catalog::Measure::OperationSpace;
        bool tolerance = false; // the measure's tolerance box, not its value box
        QString text;
        catalog::EntryProblem problem = catalog::EntryProblem::None;
    };

    // Every text from message lookup; the style and piston names by their "type" and "pistonType" keys.
    void applyTexts(const std::function<QString(const QString&)>& msg);
    // The form's content as a query. Every box the search cannot take is marked; the first of them is answered.
    std::optional<Fault> readQuery(catalog::MeasureQuery* query) const;
    void clearForm();

    QWidget* pgMeasure = nullptr;        // page of pgGlobal
    QWidget* pgMeasureResults = nullptr; // page of pgGrid
    QLabel* lblMeasureTitle = nullptr;
    QLabel* lblMeasureStyle = nullptr;
    QComboBox* cmbMeasureStyle = nullptr;
    QLabel* lblMeasurePiston = nullptr;
    QComboBox* cmbMeasurePiston = nullptr;
    QLabel* lblMeasureTolerance = nullptr;
    std::array<Row, catalog::kMeasureCount> rows{};
    QPushButton* btnMeasureFind = nullptr;
    QPushButton* btnMeasureClear = nullptr;
    QLabel* lblMeasureLegend = nullptr;
    QLabel* lblMeasureFound = nullptr;
    QTableView* grdMeasure = nullptr;        // the results on the measurement page
    QTableView* grdMeasureResults = nullptr; // the same results in the list pane
};

// The message key naming a measure on the form and in the result columns.
QString measureKey(catalog::Measure measure);

} // namespace app
