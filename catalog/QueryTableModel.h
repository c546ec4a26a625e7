#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>

class QItemSelectionModel;

namespace catalog {

class TQuery;

// Shows the rows of a TQuery in a grid: one column per field, headers from the field names unless a caption is
// set. Attached to the grid's selection model, the query's current row follows the selection and the selection
// follows the query (Prev/Next).
class QueryTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit QueryTableModel(TQuery* query, QObject* parent = nullptr);

    TQuery* query() const { return m_query; }
    int columnOf(const QString& fieldName) const;
    void setHeaderCaption(const QString& fieldName, const QString& caption);

    void attachSelectionModel(QItemSelectionModel* selection);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    // A move made from the grid failed in the database (loading the item of the new row). The window shows it.
    void databaseError(const QString& message);

private:
    void selectRow(int row);
    void followSelection(const QModelIndex& current);

    TQuery* m_query;
    QPointer<QItemSelectionModel> m_selection;
    QHash<QString, QString> m_captions; // keyed by upper-case field name
    bool m_syncing = false;
};

} // namespace catalog
