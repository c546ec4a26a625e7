#include "catalog/ListExport.h"

#include "catalog/ItemDetails.h"
#include "catalog/TQuery.h"

#include <QHash>

namespace catalog {

QList<QStringList> listExportTable(const TQuery& list, const QList<QPair<QString, QString>>& matching,
                                   const ExportCaptions& captions, const QString& connectionName,
                                   const std::function<QString(const QString&)>& msg, const QLocale& locale)
{
    QList<QStringList> table;
    QStringList header = QStringList{captions.ownCode, captions.style} + captions.technical;
    for (const auto& column : matching)
        header << column.second;
    table << header;
    if (!list.isActive() || list.isEmpty())
        return table;

    // One pass over the items with their own codes, as the item view's query reads them one at a time.
    TQuery items;
    items.setConnectionName(connectionName);
    items.setSql({QStringLiteral("select item_code.code, item.*"), QStringLiteral("from item"),
                  QStringLiteral("inner join item_code on item.id=item_code.item_id and item_code.code_type_id=1")});
    items.open();
    const int idColumn = items.fieldIndex(QStringLiteral("ID"));
    QHash<int, int> rowOfItem;
    for (int row = items.recordCount() - 1; row >= 0; --row)
        rowOfItem.insert(items.value(row, idColumn).toInt(), row); // the first row of an item wins, as in the view

    const int itemIdColumn = list.fieldIndex(QStringLiteral("ITEM_ID"));
    QList<int> matchingColumns;
    for (const auto& column : matching)
        matchingColumns << list.fieldIndex(column.first);
    for (int row = 0; row < list.recordCount(); ++row) {
        const auto found = rowOfItem.constFind(list.value(row, itemIdColumn).toInt());
        ItemDetails d;
        if (found != rowOfItem.constEnd()) {
            const int itemRow = *found;
            const auto field = [&](const char* name) -> QVariant {
                const QString key = QString::fromLatin1(name);
                if (key == QLatin1String("typeStr"))
                    return msg(numberedKey(QStringLiteral("type"), items.value(itemRow, items.fieldIndex("TYPE"))));
                if (key == QLatin1String("ptStr"))
                    return msg(numberedKey(QStringLiteral("pistonType"),
                                           items.value(itemRow, items.fieldIndex("PISTON_TYPE"))));
                return items.value(itemRow, items.fieldIndex(key));
            };
            d = itemDetailsOf(field, locale);
        }
        QStringList cells = QStringList{d.code, d.typeStr} + technicalValues(d);
        for (int column : matchingColumns) {
            // Numbers as the locale writes them, so that the spreadsheet reads them as numbers.
            const QVariant cell = list.value(row, column);
            cells << (cell.typeId() == QMetaType::Double ? formatNumber(cell.toDouble(), locale) : cell.toString());
        }
        table << cells;
    }
    return table;
}

} // namespace catalog
