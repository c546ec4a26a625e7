#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QAbstractItemModel;
class QTableView;

namespace app {

// One row for the clipboard: the cells separated by tabs, so that a spreadsheet spreads them over its columns.
// Tabs and line breaks inside a cell become blanks, which keeps the row on one line.
QString clipboardRow(const QStringList& cells);

// All codes of an item, one line each: the code type, a tab, the code.
QString clipboardCodes(const QList<QPair<QString, QString>>& typeAndCode);

// The cells of a grid's row that the user sees, left to right; hidden columns are left out.
QStringList visibleCells(const QTableView* grid, int row);

// The code of a grid's row: the cell of the clicked column when it holds a code, else the row's first code.
// A grid's code columns are named CODE, CODE2 or VELKORNCODE.
QString codeOfRow(const QTableView* grid, int row, int clickedColumn = -1);

} // namespace app
