#include "catalog/ItemHistory.h"

#include "catalog/CatalogDatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>

namespace catalog {

namespace {
constexpr char kHeader[] = "# Velkorn: the items shown last, newest first (item id, code)";
}

ItemHistory::ItemHistory(QString filePath) : m_filePath(std::move(filePath)) {}

QString ItemHistory::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/velkorn/history");
}

void ItemHistory::load()
{
    m_entries.clear();
    m_current = -1;
    QFile file(m_filePath);
    if (m_filePath.isEmpty() || !file.open(QIODevice::ReadOnly))
        return;
    // The file is the user's to edit; anything but "id<TAB>code" lines is passed over.
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (m_entries.size() >= Limit)
            break;
        const QList<QByteArray> fields = line.trimmed().split('\t');
        bool ok = false;
        const int itemId = fields.first().toInt(&ok);
        if (!ok || itemId <= 0 || std::any_of(m_entries.cbegin(), m_entries.cend(), [&](const HistoryEntry& e) {
                return e.itemId == itemId;
            }))
            continue;
        m_entries.append({itemId, fields.size() > 1 ? QString::fromUtf8(fields.at(1)) : QString(), 0});
    }
}

void ItemHistory::save() const
{
    if (m_filePath.isEmpty())
        return;
    QByteArray text = QByteArray(kHeader) + '\n';
    for (const HistoryEntry& e : m_entries)
        text += QByteArray::number(e.itemId) + '\t' + e.code.toUtf8() + '\n';
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QSaveFile file(m_filePath);
    // A history that cannot be written (a read-only or full configuration folder) is only lost for the next start;
    // the program goes on with it in memory and says nothing. QSaveFile leaves the old file in place then.
    if (file.open(QIODevice::WriteOnly) && file.write(text) == text.size())
        file.commit();
}

void ItemHistory::shown(const HistoryEntry& entry)
{
    if (m_current >= 0 && m_entries.at(m_current).itemId == entry.itemId) {
        // Shown again, or reached by Back or Forward: the list keeps its order.
        m_entries[m_current] = entry;
        return;
    }
    // The item the user was looking at becomes the one Back leads to.
    if (m_current > 0)
        m_entries.move(m_current, 0);
    m_entries.removeIf([&](const HistoryEntry& e) { return e.itemId == entry.itemId; });
    m_entries.prepend(entry);
    if (m_entries.size() > Limit)
        m_entries.resize(Limit);
    m_current = 0;
    save();
}

std::optional<int> ItemHistory::back()
{
    if (!canGoBack())
        return std::nullopt;
    ++m_current;
    return m_entries.at(m_current).itemId;
}

std::optional<int> ItemHistory::forward()
{
    if (!canGoForward())
        return std::nullopt;
    --m_current;
    return m_entries.at(m_current).itemId;
}

void ItemHistory::clear()
{
    m_entries.clear();
    m_current = -1;
    save();
}

void ItemHistory::refresh(const QSqlDatabase& db)
{
    if (m_entries.isEmpty())
        return;
    QStringList marks;
    for (int i = 0; i < m_entries.size(); ++i)
        marks << QStringLiteral("?");
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral("select item.id, item_code.code, item.type from item inner join item_code on "
                                      "item.id=item_code.item_id and item_code.code_type_id=1 where item.id in (%1)")
                           .arg(marks.join(QLatin1Char(',')))))
        throw DatabaseError(errorText(query.lastError()));
    for (const HistoryEntry& e : std::as_const(m_entries))
        query.addBindValue(e.itemId);
    if (!query.exec())
        throw DatabaseError(errorText(query.lastError()));
    QHash<int, HistoryEntry> existing;
    while (query.next()) {
        const int id = query.value(0).toInt();
        existing.insert(id, {id, query.value(1).toString(), query.value(2).toInt()});
    }
    const int currentItem = m_current >= 0 ? m_entries.at(m_current).itemId : 0;
    QVector<HistoryEntry> kept;
    for (const HistoryEntry& e : std::as_const(m_entries))
        if (existing.contains(e.itemId))
            kept.append(existing.value(e.itemId));
    const bool dropped = kept.size() != m_entries.size();
    m_entries = kept;
    m_current = -1;
    for (int i = 0; i < m_entries.size(); ++i)
        if (m_entries.at(i).itemId == currentItem)
            m_current = i;
    if (dropped)
        save();
}

} // namespace catalog
