#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVector>

#include <optional>

namespace catalog {

// One item of the history as the menu names it.
struct HistoryEntry
{
    int itemId = 0;
    QString code; // the item's own (type-1) code
    int style = 0;
};

// The items shown last, newest first, at most 30, kept in a file of the user's configuration folder across starts.
// Back and Forward walk the list without reordering it; the next item shown goes on top with the one the user was
// looking at just under it, so Back always leads to the item seen before. The file is replaced in one step
// (written beside and renamed), so a program killed while writing leaves the previous history whole.
class ItemHistory
{
public:
    static constexpr int Limit = 30;

    // `filePath` empty: the history lives only as long as the object.
    explicit ItemHistory(QString filePath = QString());

    // $XDG_CONFIG_HOME/velkorn/history (~/.config/velkorn/history).
    static QString defaultFilePath();
    const QString& filePath() const { return m_filePath; }

    // Reads the file; a missing or unreadable file leaves the history empty, lines it cannot read are passed over.
    void load();

    // The user was shown an item (not by Back or Forward).
    void shown(const HistoryEntry& entry);
    // The item to show for Back or Forward, and the step taken; none at the end of the list.
    std::optional<int> back();
    std::optional<int> forward();
    bool canGoBack() const { return m_current + 1 < m_entries.size(); }
    bool canGoForward() const { return m_current > 0; }
    // The entry shown now; -1 when none of the history is shown (after start-up, after its item was deleted).
    int current() const { return m_current; }
    const QVector<HistoryEntry>& entries() const { return m_entries; }
    void clear();

    // Keeps the items that still exist, with their code and style as the catalog holds them now: items a
    // synchronisation deleted drop out quietly. Throws DatabaseError.
    void refresh(const QSqlDatabase& db);

private:
    void save() const;

    QString m_filePath;
    QVector<HistoryEntry> m_entries;
    int m_current = -1;
};

} // namespace catalog
