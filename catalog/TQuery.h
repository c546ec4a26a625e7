#pragma once

#include <QHash>
#include <QObject>
#include <QSqlDatabase>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

namespace catalog {

// A read-only query on the catalog connection in the manner of the window's data components: SQL text,
// parameters by name, all rows read at open, a current row moved by first/prior/next, fields by name,
// calculated fields, a `tag`, and handlers that run before/after open, after every move and per fetched row.
// Opening a query starts the connection's transaction when none is active; it stays open until someone commits.
// Opening a query on a connection other than the calling thread's is not allowed (Qt SQL connections are
// per-thread).
class TQuery : public QObject
{
    Q_OBJECT

public:
    using Handler = std::function<void(TQuery&)>;
    // Answers an open in place of the database: fills the field names and rows and returns true, or returns false
    // to let the statement run.
    using RowSource = std::function<bool(QStringList& fieldNames, QVector<QVector<QVariant>>& rows)>;

    explicit TQuery(QObject* parent = nullptr);

    void setDatabase(const QSqlDatabase& database);
    // The connection is looked up by name at every open, so it may be (re)connected after this call.
    void setConnectionName(const QString& connectionName) { m_connectionName = connectionName; }
    QString connectionName() const { return m_connectionName; }

    void setSql(const QStringList& lines);
    QStringList sql() const { return m_sql; }
    QString sqlText() const { return m_sql.join(QLatin1Char('\n')); }

    // Parameters are matched by name without regard to case, as ":item_id" in the statement.
    void setParam(const QString& name, const QVariant& value);
    QVariant param(const QString& name) const;

    // A field that is not read from the database but filled by the calcFields handler for every row.
    void addCalcField(const QString& name);

    // Runs beforeOpen, executes the statement and reads every row, runs calcFields per row, positions on the
    // first row, runs afterOpen and, when there is a row, afterScroll. Throws DatabaseError with the database's
    // message; the query is then closed. An open query is closed first.
    void open();
    void close();
    bool isActive() const { return m_active; }

    int recordCount() const { return m_rows.size(); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    // Index of the current row, -1 when closed or empty.
    int recNo() const { return m_current; }
    // No row before / after the current one (also true when closed or empty).
    bool bof() const { return m_current <= 0; }
    bool eof() const { return m_current < 0 || m_current >= m_rows.size() - 1; }

    // Each move that changes the current row runs afterScroll; a move that stays on its row runs nothing.
    void first();
    void last();
    void prior();
    void next();
    bool moveTo(int row);

    QStringList fieldNames() const { return m_fieldNames; }
    int fieldIndex(const QString& name) const;
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    // The field of the current row; a null QVariant when closed or empty. Throws std::invalid_argument for a
    // field the open query does not have.
    QVariant field(const QString& name) const;
    QVariant value(int row, int column) const;
    // Sets a field of the current row; meant for calcFields.
    void setField(const QString& name, const QVariant& value);

    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }

    void setBeforeOpen(Handler handler) { m_beforeOpen = std::move(handler); }
    void setAfterOpen(Handler handler) { m_afterOpen = std::move(handler); }
    void setAfterScroll(Handler handler) { m_afterScroll = std::move(handler); }
    void setCalcFields(Handler handler) { m_calcFields = std::move(handler); }
    void setRowSource(RowSource source) { m_rowSource = std::move(source); }

    // Orders the rows by a field (see compareCells), now and at every later open, before the first row becomes
    // current; equal cells keep the delivered order. An open query keeps its current row, which moves with its
    // place (no scroll handling: the row's item is the same). An empty field name brings back the delivered order
    // at the next open.
    void setRowOrder(const QString& fieldName, Qt::SortOrder order = Qt::AscendingOrder);
    QString rowOrderField() const { return m_orderField; }
    Qt::SortOrder rowOrder() const { return m_order; }

signals:
    // Bracket every change of the row set (open, close) so that views can reset.
    void rowsAboutToBeReplaced();
    void rowsReplaced();
    void currentRowChanged(int row);

private:
    void scrollTo(int row);
    void sortRows();
    int requireField(const QString& name) const;

    QString m_connectionName;
    QStringList m_sql;
    QHash<QString, QVariant> m_params; // keyed by upper-case name
    QStringList m_calcFieldNames;
    QStringList m_fieldNames;
    QHash<QString, int> m_fieldIndex; // keyed by upper-case name
    QVector<QVector<QVariant>> m_rows;
    int m_current = -1;
    bool m_active = false;
    int m_tag = 0;
    Handler m_beforeOpen;
    Handler m_afterOpen;
    Handler m_afterScroll;
    Handler m_calcFields;
    RowSource m_rowSource;
    QString m_orderField;
    Qt::SortOrder m_order = Qt::AscendingOrder;
};

// Rewrites ":name" placeholders to positional '?' (outside quoted text) and returns the names in order.
QString positionalSql(const QString& sql, QStringList* names);

} // namespace catalog
