#include "catalog/TQuery.h"

#include "catalog/CatalogDatabase.h"
#include "catalog/NaturalOrder.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <algorithm>
#include <numeric>
#include <stdexcept>

namespace catalog {

QString positionalSql(const QString& sql, QStringList* names)
{
    QString out;
    out.reserve(sql.size());
    QChar quote;
    for (int i = 0; i < sql.size(); ++i) {
        const QChar c = sql.at(i);
        if (!quote.isNull()) {
            out += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            quote = c;
            out += c;
            continue;
        }
        if (c == QLatin1Char(':') && i + 1 < sql.size() &&
            (sql.at(i + 1).isLetter() || sql.at(i + 1) == QLatin1Char('_'))) {
            int end = i + 1;
            while (end < sql.size() && (sql.at(end).isLetterOrNumber() || sql.at(end) == QLatin1Char('_')))
                ++end;
            names->append(sql.mid(i + 1, end - i - 1));
            out += QLatin1Char('?');
            i = end - 1;
            continue;
        }
        out += c;
    }
    return out;
}

TQuery::TQuery(QObject* parent) : QObject(parent) {}

void TQuery::setDatabase(const QSqlDatabase& database)
{
    m_connectionName = database.connectionName();
}

void TQuery::setSql(const QStringList& lines)
{
    m_sql = lines;
}

void TQuery::setParam(const QString& name, const QVariant& value)
{
    m_params.insert(name.toUpper(), value);
}

QVariant TQuery::param(const QString& name) const
{
    return m_params.value(name.toUpper());
}

void TQuery::addCalcField(const QString& name)
{
    if (!m_calcFieldNames.contains(name, Qt::CaseInsensitive))
        m_calcFieldNames.append(name);
}

void TQuery::open()
{
    close();
    if (m_beforeOpen)
        m_beforeOpen(*this);

    QStringList names;
    const QString statement = positionalSql(sqlText(), &names);
    QVector<QVector<QVariant>> rows;
    QStringList fieldNames;
    if (m_rowSource && m_rowSource(fieldNames, rows)) {
        for (auto& row : rows)
            row.resize(fieldNames.size() + m_calcFieldNames.size());
    } else {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (!db.isOpen())
            throw DatabaseError(QStringLiteral("Database not connected"));
        // Every query runs in the connection's one transaction, started by the first open and kept until a
        // commit; a second start while one is active is refused by the driver and changes nothing.
        db.transaction();
        QVariantList values;
        for (const QString& name : names)
            values << m_params.value(name.toUpper());
        QSqlQuery& query = runPrepared(db, statement, values);
        const QSqlRecord record = query.record();
        for (int i = 0; i < record.count(); ++i)
            fieldNames << record.fieldName(i);
        const int columns = record.count();
        while (query.next()) {
            QVector<QVariant> row(columns + m_calcFieldNames.size());
            for (int i = 0; i < columns; ++i)
                row[i] = query.value(i);
            rows.append(std::move(row));
        }
        const QSqlError failure = query.lastError();
        query.finish();
        if (failure.isValid())
            throw DatabaseError(errorText(failure));
    }

    emit rowsAboutToBeReplaced();
    m_fieldNames = fieldNames + m_calcFieldNames;
    m_fieldIndex.clear();
    for (int i = 0; i < m_fieldNames.size(); ++i) {
        const QString key = m_fieldNames.at(i).toUpper();
        if (!m_fieldIndex.contains(key))
            m_fieldIndex.insert(key, i);
    }
    m_rows = std::move(rows);
    m_active = true;
    if (m_calcFields) {
        try {
            for (m_current = 0; m_current < m_rows.size(); ++m_current)
                m_calcFields(*this);
        } catch (...) {
            // Not swallowed: the query is left closed and the views' reset completed before it travels on.
            m_active = false;
            m_rows.clear();
            m_current = -1;
            emit rowsReplaced();
            throw;
        }
    }
    sortRows();
    m_current = m_rows.isEmpty() ? -1 : 0;
    emit rowsReplaced();
    if (m_current >= 0)
        emit currentRowChanged(m_current);

    if (m_afterOpen)
        m_afterOpen(*this);
    // The positioning on the first row counts as a move, after the open is complete.
    if (m_active && m_current >= 0 && m_afterScroll)
        m_afterScroll(*this);
}

void TQuery::close()
{
    if (!m_active)
        return;
    emit rowsAboutToBeReplaced();
    m_active = false;
    m_rows.clear();
    m_current = -1;
    emit rowsReplaced();
}

void TQuery::setRowOrder(const QString& fieldName, Qt::SortOrder order)
{
    m_orderField = fieldName;
    m_order = order;
    if (!m_active || m_rows.isEmpty() || fieldIndex(fieldName) < 0)
        return;
    emit rowsAboutToBeReplaced();
    sortRows();
    emit rowsReplaced();
    emit currentRowChanged(m_current);
}

void TQuery::sortRows()
{
    const int column = fieldIndex(m_orderField);
    if (column < 0 || m_rows.size() < 2)
        return;
    QVector<int> places(m_rows.size());
    std::iota(places.begin(), places.end(), 0);
    std::stable_sort(places.begin(), places.end(), [&](int a, int b) {
        const int c = compareCells(m_rows.at(a).at(column), m_rows.at(b).at(column));
        return m_order == Qt::AscendingOrder ? c < 0 : c > 0;
    });
    QVector<QVector<QVariant>> sorted;
    sorted.reserve(m_rows.size());
    int current = -1;
    for (int place = 0; place < places.size(); ++place) {
        if (places.at(place) == m_current)
            current = place;
        sorted.append(std::move(m_rows[places.at(place)]));
    }
    m_rows = std::move(sorted);
    m_current = current;
}

void TQuery::first()
{
    scrollTo(0);
}

void TQuery::last()
{
    scrollTo(m_rows.size() - 1);
}

void TQuery::prior()
{
    scrollTo(m_current - 1);
}

void TQuery::next()
{
    scrollTo(m_current + 1);
}

bool TQuery::moveTo(int row)
{
    if (!m_active || row < 0 || row >= m_rows.size())
        return false;
    scrollTo(row);
    return true;
}

void TQuery::scrollTo(int row)
{
    if (!m_active || m_rows.isEmpty())
        return;
    row = qBound(0, row, int(m_rows.size()) - 1);
    if (row == m_current)
        return;
    m_current = row;
    emit currentRowChanged(m_current);
    if (m_afterScroll)
        m_afterScroll(*this);
}

int TQuery::fieldIndex(const QString& name) const
{
    return m_fieldIndex.value(name.toUpper(), -1);
}

int TQuery::requireField(const QString& name) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        throw std::invalid_argument("Field not found: " + name.toStdString());
    return index;
}

QVariant TQuery::field(const QString& name) const
{
    if (!m_active)
        return {};
    const int index = requireField(name);
    if (m_current < 0)
        return {};
    return m_rows.at(m_current).at(index);
}

QVariant TQuery::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_fieldNames.size())
        return {};
    return m_rows.at(row).at(column);
}

void TQuery::setField(const QString& name, const QVariant& value)
{
    const int index = requireField(name);
    if (m_current >= 0 && m_current < m_rows.size())
        m_rows[m_current][index] = value;
}

} // namespace catalog
