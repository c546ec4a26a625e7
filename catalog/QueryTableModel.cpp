#include "catalog/QueryTableModel.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/TQuery.h"

#include <QItemSelectionModel>

namespace catalog {

QueryTableModel::QueryTableModel(TQuery* query, QObject* parent) : QAbstractTableModel(parent), m_query(query)
{
    connect(query, &TQuery::rowsAboutToBeReplaced, this, [this] { beginResetModel(); });
    connect(query, &TQuery::rowsReplaced, this, [this] { endResetModel(); });
    connect(query, &TQuery::currentRowChanged, this, [this](int row) { selectRow(row); });
}

int QueryTableModel::columnOf(const QString& fieldName) const
{
    return m_query->fieldIndex(fieldName);
}

void QueryTableModel::setHeaderCaption(const QString& fieldName, const QString& caption)
{
    m_captions.insert(fieldName.toUpper(), caption);
    if (columnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, columnCount() - 1);
}

void QueryTableModel::attachSelectionModel(QItemSelectionModel* selection)
{
    if (m_selection)
        disconnect(m_selection, nullptr, this, nullptr);
    m_selection = selection;
    if (!selection)
        return;
    connect(selection, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { followSelection(current); });
    selectRow(m_query->recNo());
}

int QueryTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_query->isActive() ? 0 : m_query->recordCount();
}

int QueryTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_query->isActive() ? 0 : int(m_query->fieldNames().size());
}

QVariant QueryTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_query->value(index.row(), index.column());
    return {};
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    const QStringList names = m_query->fieldNames();
    if (section < 0 || section >= names.size() || section >= columnCount())
        return {};
    return m_captions.value(names.at(section).toUpper(), names.at(section));
}

void QueryTableModel::selectRow(int row)
{
    if (!m_selection || m_syncing || row < 0 || row >= rowCount())
        return;
    m_syncing = true;
    m_selection->setCurrentIndex(index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_syncing = false;
}

void QueryTableModel::followSelection(const QModelIndex& current)
{
    if (m_syncing || !current.isValid())
        return;
    m_syncing = true;
    try {
        m_query->moveTo(current.row());
    } catch (const DatabaseError& e) {
        // A slot must not let the exception into the event loop; the window shows the message instead.
        m_syncing = false;
        emit databaseError(e.message());
        return;
    }
    m_syncing = false;
}

} // namespace catalog
