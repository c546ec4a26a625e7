#pragma once

#include "catalog/ItemComparison.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QVector>

#include <functional>

class QLabel;
class QPushButton;
class QTableWidget;
class QTableWidgetItem;
class QWidget;

namespace app {

// The widgets of the comparison: a page of `pgGlobal` with the items side by side in one grid — their codes in the
// header, their pictures, a button row to show or remove each, then every line of the comparison with the cells
// that differ marked. Component names are set as object names.
class ComparePage final
{
public:
    // The marking of values that differ.
    static const QColor DiffersColour;
    // The grid's first item column; the label and the unit come before it.
    static constexpr int FirstItemColumn = 2;

    // Builds the page; the caller adds it to its page control.
    ComparePage();

    // One item's column.
    struct Column
    {
        int itemId = 0;
        QString code;
        QVector<QImage> pictures;
    };
    // The buttons' texts and what they do.
    struct Actions
    {
        QString showItem;
        QString remove;
        std::function<void(int itemId)> onShowItem;
        std::function<void(int itemId)> onRemove;
    };
    using Heading = std::function<QString(catalog::ComparisonSection)>;

    // Fills the grid; with no columns the page says how items are added instead.
    void fill(const QVector<Column>& columns, const QVector<catalog::ComparisonRow>& rows, const Heading& heading,
              const Actions& actions);

    QWidget* pgCompare = nullptr;
    QLabel* lblCompareTitle = nullptr;
    QLabel* lblCompareLegend = nullptr;
    QPushButton* btnCompareSavePdf = nullptr;
    QPushButton* btnCompareClear = nullptr;
    QLabel* lblCompareEmpty = nullptr;
    QTableWidget* grdCompare = nullptr;

private:
    QTableWidgetItem* boldCell(const QString& text) const;
    void fitLines();
    void fitLinesLater();

    bool m_fitPending = false;
};

} // namespace app
