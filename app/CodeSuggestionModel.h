#pragma once

#include "catalog/CodeIndex.h"

#include <QString>
#include <QVector>
#include <algorithm>
#include <functional>
#include <optional>

namespace app {

// What the search drop-down shows and how its keys act, without a widget: the first matching codes for the text
// typed so far, and the row chosen among them.
class CodeSuggestionModel
{
public:
    static constexpr int Limit = 12;

    // Fills at most `limit` rows for a normalised text and the number of all matching rows, and returns true; or
    // returns false when no code index is ready.
    using Finder =
        std::function<bool(const QString& normalisedText, int limit, QVector<catalog::CodeHit>* rows, int* total)>;

    // What a key did: `consumed` keys go no further (the box and the window do not see them); `openItem` is the
    // item to show.
    struct KeyOutcome
    {
        bool consumed = false;
        std::optional<int> openItem;
    };

    explicit CodeSuggestionModel(Finder finder) : m_finder(std::move(finder)) {}

    // The box's text after a keystroke; the drop-down is open while there is something to show.
    void setText(const QString& typed);
    void close();
    bool isOpen() const { return !m_rows.isEmpty(); }

    const QVector<catalog::CodeHit>& rows() const { return m_rows; }
    // Matching rows beyond the ones shown; the search (Enter) lists them all.
    int moreRows() const { return std::max(0, m_total - int(m_rows.size())); }
    // The item's own code beside a row's code, empty where the row's code is that code itself.
    QString ownCodeShown(int row) const;
    // The chosen row, -1 when none.
    int current() const { return m_current; }
    void setCurrent(int row);

    // Down/Up move the choice (Up above the first row leaves none chosen), Enter opens the chosen item, Escape
    // closes the drop-down. Enter without a choice closes it and goes on to the box, which runs the search. With the
    // drop-down closed, no key is touched.
    KeyOutcome key(int qtKey);
    // A click on a row opens its item.
    std::optional<int> choose(int row);

private:
    Finder m_finder;
    QVector<catalog::CodeHit> m_rows;
    int m_current = -1;
    int m_total = 0;
};

} // namespace app
