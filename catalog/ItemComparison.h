#pragma once

#include "catalog/ItemSheet.h"

#include <QLocale>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

namespace catalog {

// The parts of a comparison, top to bottom; each but the first (style and usage) opens with a heading.
enum class ComparisonSection
{
    General,
    TechnicalData,
    Mounting,
    Codes,
};

// One line of the comparison: what it shows, its unit, one value per item in the comparison's order, and whether
// the items disagree on it.
struct ComparisonRow
{
    ComparisonSection section = ComparisonSection::General;
    QString label;
    QString unit;
    QStringList values;
    bool differs = false;
};

// Where the comparison's words come from: messages, the captions of the item view's labels (so the rows read as
// the item view's table does), and the number format.
struct ComparisonTexts
{
    std::function<QString(const QString&)> msg;
    std::function<QString(const QString&)> caption;
    QLocale locale;
};

// The items a mechanic puts side by side, at most three, in the order they were added, and what the comparison
// shows of them: style and usages, the item view's technical data with units, mounting and every code by type.
// Values are compared as the user reads them (formatted), so a line is marked exactly when its cells read
// differently. Codes name the items rather than describe them, and differ between any two items; they are listed
// for reference and never marked.
class ItemComparison
{
public:
    static constexpr int MaxItems = 3;

    enum class AddResult
    {
        Added,
        AlreadyIn,
        // Three items are compared already; nothing changes. The user removes one first, so an item chosen on
        // purpose never drops out unseen.
        Full,
    };

    AddResult add(int itemId);
    bool remove(int itemId);
    void clear() { m_itemIds.clear(); }
    bool contains(int itemId) const { return m_itemIds.contains(itemId); }
    bool isEmpty() const { return m_itemIds.isEmpty(); }
    const QVector<int>& itemIds() const { return m_itemIds; }

    // The items as the catalog holds them now, in order; items that no longer exist (deleted by a synchronisation)
    // drop out of the comparison. Throws DatabaseError.
    QVector<ItemSheet> load(const QSqlDatabase& db);

    // The comparison's lines for the sheets; a line none of the items has a value for is left out.
    static QVector<ComparisonRow> rows(const QVector<ItemSheet>& sheets, const ComparisonTexts& texts);
    // The heading of a section (empty for the first, which has none).
    static QString heading(ComparisonSection section, const ComparisonTexts& texts);

private:
    QVector<int> m_itemIds;
};

} // namespace catalog
