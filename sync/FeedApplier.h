#pragma once

#include "sync/FeedDocuments.h"

#include <QDateTime>
#include <QHash>
#include <QSqlDatabase>
#include <QString>

#include <functional>

namespace catalogsync {

// Writes the four feed documents into a catalog connection: the item, code, picture and deletion passes and the
// new PARAMS.LAST_UPDATE. It neither starts nor ends a transaction: the caller wraps apply() in one, commits when
// it returns and rolls back when it throws (FeedError for a bad record, std::runtime_error for a database or
// file failure, SyncStopped on a stop).
class FeedApplier
{
public:
    // Downloads the thumbnail named by a picture record (a plain file name, already checked).
    using ThumbnailFetcher = std::function<void(const QString& pic)>;
    using StopCheck = std::function<bool()>;

    FeedApplier(QSqlDatabase db, ThumbnailFetcher fetchThumbnail, StopCheck stopRequested = {});

    struct Result
    {
        bool recorded = false; // LAST_UPDATE was written: the caller commits and tells the user
        QDateTime lastUpdate;
        int items = 0, codes = 0, pictures = 0, deletions = 0;
    };

    Result apply(const FeedDocuments& docs);

    // PARAMS.LAST_UPDATE as the feed requests use it: an empty one (or none) is the zero date-time. Throws
    // DatabaseError.
    static QDateTime lastUpdate(const QSqlDatabase& db);

private:
    void applyItems(const FeedDocument& doc, QString* lastUpdateText, Result* result);
    void applyCodes(const FeedDocument& doc, Result* result);
    void applyPictures(const FeedDocument& doc, Result* result);
    void applyDeletions(const FeedDocument& doc, QString* lastDeleteText, Result* result);
    void recordLastUpdate(const QDateTime& value);
    int textWidth(const QString& table, const QString& column);
    void checkStop() const;

    QSqlDatabase m_db;
    ThumbnailFetcher m_fetchThumbnail;
    StopCheck m_stopRequested;
    QHash<QString, int> m_widths;
};

} // namespace catalogsync
