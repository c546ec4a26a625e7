#pragma once

#include <QDateTime>
#include <QString>

#include <optional>

// The publication stamp of a master catalog: the newest item change and the newest deletion,
// (max(ITEM.UPDATE_TIME), max(DELETED_ITEM.DELETE_TIME)). Every publication stamps its changes with one time later
// than every earlier stamp, so the pair changes exactly when something is published, and a feed cut at a stamp is
// the catalog as that publication left it (an item changed again later has moved past the cut and comes with the
// next feed). Times are naive, as the catalog stores them; an invalid one means "none yet".
struct Publication
{
    QDateTime items;
    QDateTime deletions;

    // "yyyyMMddThhmmss.yyyyMMddThhmmss", "-" for a missing time: a header value and part of a cache key.
    QString text() const;
    // The stamp that text() wrote; nothing for any other text.
    static std::optional<Publication> fromText(const QString& text);

    // The entity tag of feed `t` since `since` cut at this stamp, quoted as a header carries it.
    QString entityTag(int t, const QDateTime& since) const;

    bool operator==(const Publication& other) const { return items == other.items && deletions == other.deletions; }
};
