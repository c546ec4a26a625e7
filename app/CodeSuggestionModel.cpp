#include "app/CodeSuggestionModel.h"

#include "catalog/SearchCode.h"

#include <Qt>

namespace app {

void CodeSuggestionModel::setText(const QString& typed)
{
    close();
    const QString normalised = catalog::normaliseSearchText(typed);
    if (normalised.isEmpty() || !m_finder)
        return;
    QVector<catalog::CodeHit> rows;
    int total = 0;
    if (m_finder(normalised, Limit, &rows, &total)) {
        m_rows = std::move(rows);
        m_total = total;
    }
}

void CodeSuggestionModel::close()
{
    m_rows.clear();
    m_current = -1;
    m_total = 0;
}

QString CodeSuggestionModel::ownCodeShown(int row) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    const catalog::CodeHit& hit = m_rows.at(row);
    return hit.ownCode == hit.code ? QString() : hit.ownCode;
}

void CodeSuggestionModel::setCurrent(int row)
{
    m_current = row >= 0 && row < m_rows.size() ? row : -1;
}

CodeSuggestionModel::KeyOutcome CodeSuggestionModel::key(int qtKey)
{
    if (!isOpen())
        return {};
    switch (qtKey) {
    case Qt::Key_Down:
        m_current = std::min(m_current + 1, int(m_rows.size()) - 1);
        return {true, std::nullopt};
    case Qt::Key_Up:
        m_current = std::max(m_current - 1, -1);
        return {true, std::nullopt};
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_current < 0) {
            close();
            return {};
        }
        return {true, choose(m_current)};
    case Qt::Key_Escape:
        close();
        return {true, std::nullopt};
    default:
        return {};
    }
}

std::optional<int> CodeSuggestionModel::choose(int row)
{
    if (row < 0 || row >= m_rows.size())
        return std::nullopt;
    const int item = m_rows.at(row).itemId;
    close();
    return item;
}

} // namespace app
