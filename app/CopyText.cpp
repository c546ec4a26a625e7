#include "app/CopyText.h"

#include "catalog/QueryTableModel.h"
#include "catalog/TQuery.h"

#include <QHeaderView>
#include <QTableView>

namespace app {

namespace {

bool isCodeField(const QString& name)
{
    return name.compare(QLatin1String("CODE"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("CODE2"), Qt::CaseInsensitive) == 0 ||
           name.compare(QLatin1String("VELKORNCODE"), Qt::CaseInsensitive) == 0;
}

QString oneLine(QString cell)
{
    for (const char* breaker : {"\r\n", "\t", "\r", "\n"})
        cell.replace(QLatin1String(breaker), QLatin1String(" "));
    return cell;
}

} // namespace

QString clipboardRow(const QStringList& cells)
{
    QStringList flat;
    flat.reserve(cells.size());
    for (const QString& cell : cells)
        flat << oneLine(cell);
    return flat.join(QLatin1Char('\t'));
}

QString clipboardCodes(const QList<QPair<QString, QString>>& typeAndCode)
{
    QStringList lines;
    for (const auto& code : typeAndCode)
        lines << clipboardRow({code.first, code.second});
    return lines.join(QLatin1Char('\n'));
}

QStringList visibleCells(const QTableView* grid, int row)
{
    QStringList cells;
    const QAbstractItemModel* model = grid->model();
    if (!model || row < 0 || row >= model->rowCount())
        return cells;
    const QHeaderView* header = grid->horizontalHeader();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!grid->isColumnHidden(column))
            cells << model->index(row, column).data().toString();
    }
    return cells;
}

QString codeOfRow(const QTableView* grid, int row, int clickedColumn)
{
    const auto* model = qobject_cast<const catalog::QueryTableModel*>(grid->model());
    if (!model || row < 0 || row >= model->rowCount())
        return {};
    const QStringList fields = model->query()->fieldNames();
    auto isCode = [&](int column) {
        return column >= 0 && column < fields.size() && !grid->isColumnHidden(column) && isCodeField(fields.at(column));
    };
    int column = isCode(clickedColumn) ? clickedColumn : -1;
    for (int visual = 0; column < 0 && visual < fields.size(); ++visual)
        if (isCode(grid->horizontalHeader()->logicalIndex(visual)))
            column = grid->horizontalHeader()->logicalIndex(visual);
    return column < 0 ? QString() : model->index(row, column).data().toString();
}

} // namespace app
