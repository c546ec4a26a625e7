#pragma once

#include <QStyledItemDelegate>

namespace app {

// Colours the codes list of the item view: OEM codes on the tool-tip colours, other prefixes on the window colours,
// the selected row in the list's selection colours.
class CodesDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    // `prefixColumn` is the model column holding the code type's prefix.
    CodesDelegate(int prefixColumn, QObject* parent = nullptr);
    void setPrefixColumn(int column) { m_prefixColumn = column; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_prefixColumn;
};

} // namespace app
