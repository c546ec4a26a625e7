#include "sync/FeedApplier.h"

#include "sync/FeedDate.h"
#include "sync/FeedError.h"
#include "sync/FeedValues.h"

#include "catalog/CatalogDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <cmath>
#include <limits>
#include <stdexcept>

namespace catalogsync {

namespace {

// A statement prepared once and run for every record.
class Statement
{
public:
    Statement(const QSqlDatabase& db, const QString& sql) : m_query(db)
    {
        m_query.setForwardOnly(true);
        if (!m_query.prepare(sql))
            fail();
    }
    void run(const QVariantList& values)
    {
        for (int i = 0; i < values.size(); ++i)
            m_query.bindValue(i, values.at(i));
        if (!m_query.exec())
            fail();
    }
    QSqlQuery& query() { return m_query; }

private:
    [[noreturn]] void fail() const { throw std::runtime_error(catalog::errorText(m_query.lastError()).toStdString()); }
    QSqlQuery m_query;
};

// A number written "as text" into a numeric column.
QVariant realValue(const QString& text)
{
    return feedNumber(text);
}

// A number written "as text" into an integer column: it must be whole and fit the column.
QVariant wholeValue(const QString& text, qint64 minimum, qint64 maximum)
{
    const double v = feedNumber(text);
    if (v != std::floor(v) || v < double(minimum) || v > double(maximum))
        throw FeedError(QStringLiteral("not a whole number in range: \"%1\"").arg(text.left(40)));
    return QVariant(int(v));
}

QVariant int32Value(const QString& text)
{
    return wholeValue(text, std::numeric_limits<qint32>::min(), std::numeric_limits<qint32>::max());
}

QVariant int16Value(const QString& text)
{
    return wholeValue(text, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max());
}

} // namespace

FeedApplier::FeedApplier(QSqlDatabase db, ThumbnailFetcher fetchThumbnail, StopCheck stopRequested)
    : m_db(std::move(db)), m_fetchThumbnail(std::move(fetchThumbnail)), m_stopRequested(std::move(stopRequested))
{
}

void FeedApplier::checkStop() const
{
    if (m_stopRequested && m_stopRequested())
        throw SyncStopped();
}

int FeedApplier::textWidth(const QString& table, const QString& column)
{
    const QString key = table + QLatin1Char('.') + column;
    const auto found = m_widths.constFind(key);
    if (found != m_widths.constEnd())
        return *found;
    Statement s(m_db, QStringLiteral("select f.rdb$character_length from rdb$relation_fields r "
                                     "join rdb$fields f on f.rdb$field_name = r.rdb$field_source "
                                     "where r.rdb$relation_name = ? and r.rdb$field_name = ?"));
    s.run({table, column});
    const int width = s.query().next() ? s.query().value(0).toInt() : 0;
    m_widths.insert(key, width);
    return width;
}

FeedApplier::Result FeedApplier::apply(const FeedDocuments& docs)
{
    Result result;
    QString lastUpdateText;
    QString lastDeleteText;

    if (docs.xmlItem) {
        applyItems(*docs.xmlItem, &lastUpdateText, &result);
        // Codes and pictures belong to the items of this feed; without a time for them nothing else is applied.
        if (!lastUpdateText.isEmpty()) {
            if (!docs.xmlItemCode)
                throw FeedError(QStringLiteral("the code document is missing"));
            applyCodes(*docs.xmlItemCode, &result);
            if (!docs.xmlItemPictures)
                throw FeedError(QStringLiteral("the picture document is missing"));
            applyPictures(*docs.xmlItemPictures, &result);
        }
    }
    if (docs.xmlItemDeleted)
        applyDeletions(*docs.xmlItemDeleted, &lastDeleteText, &result);

    if (lastUpdateText.isEmpty() && lastDeleteText.isEmpty())
        return result;
    if (lastUpdateText.isEmpty())
        lastUpdateText = lastDeleteText;
    QDateTime value = FeedDateTime(lastUpdateText);
    if (!lastDeleteText.isEmpty()) {
        // The time of the last record of each document, not the greatest one: the server sends them in order.
        const QDateTime deleted = FeedDateTime(lastDeleteText);
        if (deleted >= value)
            value = deleted;
    }
    recordLastUpdate(value);
    result.recorded = true;
    result.lastUpdate = value;
    return result;
}

void FeedApplier::applyItems(const FeedDocument& doc, QString* lastUpdateText, Result* result)
{
    const int capacityWidth = textWidth(QStringLiteral("ITEM"), QStringLiteral("LOADING_CAPACITY"));
    Statement remove(m_db, QStringLiteral("delete from item where id = ?"));
    Statement insert(m_db, QStringLiteral("insert into item (ID, TOTAL_WEIGHT, OPERATION_PRESSURE_DEFAULT, "
                                          "OPERATION_PRESSURE_MAX, OPERATION_PRESSURE_MIN, OPERATION_SPACE, "
                                          "ASSEMBLY_HEIGHT, PISTON_TYPE, LOADING_CAPACITY, TYPE, VEHICLE1, VEHICLE2) "
                                          "values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    lastUpdateText->clear();
    for (const FeedRecord record : doc) {
        checkStop();
        const QVariant id = int32Value(record.field("id"));
        const QVariantList values{
            id,
            realValue(record.field("total_weight")),
            realValue(record.field("operation_pressure_default")),
            realValue(record.field("operation_pressure_max")),
            realValue(record.field("operation_pressure_min")),
            realValue(record.field("operation_space")),
            realValue(record.field("assembly_height")),
            int16Value(record.field("piston_type")),
            feedText(record.field("loading_capacity"), capacityWidth),
            int16Value(record.field("type")),
            feedZeroPrefixedInt16(record.field("vehicle1")),
            feedZeroPrefixedInt16(record.field("vehicle2")),
        };
        remove.run({id});
        insert.run(values);
        *lastUpdateText = record.field("update_time");
        ++result->items;
    }
}

void FeedApplier::applyCodes(const FeedDocument& doc, Result* result)
{
    const int codeWidth = textWidth(QStringLiteral("ITEM_CODE"), QStringLiteral("CODE"));
    const int searchWidth = textWidth(QStringLiteral("ITEM_CODE"), QStringLiteral("SEARCH_CODE"));
    Statement removeGroup(m_db, QStringLiteral("delete from item_code where item_id = ?"));
    Statement insert(m_db, QStringLiteral("insert into item_code (ID, ITEM_ID, CODE_TYPE_ID, CODE, SEARCH_CODE) "
                                          "values (?, ?, ?, ?, ?)"));
    int previous = 0;
    for (const FeedRecord record : doc) {
        checkStop();
        const int itemId = feedInt32(record.field("item_id"));
        const QVariantList values{
            int32Value(record.field("id")),
            itemId,
            int32Value(record.field("code_type_id")),
            feedText(record.field("code"), codeWidth),
            feedText(record.field("search_code"), searchWidth),
        };
        // A group replaces the item's codes when it begins; a later group of the same item replaces them again.
        if (itemId != previous) {
            removeGroup.run({itemId});
            previous = itemId;
        }
        insert.run(values);
        ++result->codes;
    }
}

void FeedApplier::applyPictures(const FeedDocument& doc, Result* result)
{
    const int urlWidth = textWidth(QStringLiteral("ITEM_PICTURES"), QStringLiteral("PICTURE_URL"));
    Statement removeGroup(m_db, QStringLiteral("delete from item_pictures where item_id = ?"));
    Statement insert(m_db, QStringLiteral("insert into item_pictures (ID, ITEM_ID, PICTURE_URL) values (?, ?, ?)"));
    int previous = 0;
    for (const FeedRecord record : doc) {
        checkStop();
        const int itemId = feedInt32(record.field("item_id"));
        const QString pic = record.field("pic");
        // The name becomes a path under images/: anything that could leave that folder ends the run.
        if (!isPlainFileName(pic))
            throw FeedError(QStringLiteral("unsafe picture name: \"%1\"").arg(pic.left(80)));
        const QVariantList values{int32Value(record.field("id")), itemId, feedText(pic, urlWidth)};
        if (itemId != previous) {
            removeGroup.run({itemId});
            previous = itemId;
        }
        insert.run(values);
        if (m_fetchThumbnail)
            m_fetchThumbnail(pic);
        ++result->pictures;
    }
}

void FeedApplier::applyDeletions(const FeedDocument& doc, QString* lastDeleteText, Result* result)
{
    Statement items(m_db, QStringLiteral("delete from item where id = ?"));
    Statement pictures(m_db, QStringLiteral("delete from item_pictures where item_id = ?"));
    Statement codes(m_db, QStringLiteral("delete from item_code where item_id = ?"));
    for (const FeedRecord record : doc) {
        checkStop();
        // Bound as a number, never pasted into the statement.
        const int id = feedInt32(record.field("id"));
        items.run({id});
        pictures.run({id});
        codes.run({id});
        *lastDeleteText = record.field("delete_time");
        ++result->deletions;
    }
}

QDateTime FeedApplier::lastUpdate(const QSqlDatabase& db)
{
    QSqlQuery query = catalog::runQuery(db, QStringLiteral("select last_update from params"));
    const QDateTime value = query.next() ? naiveDateTime(query.value(0)) : QDateTime();
    return value.isValid() ? value : zeroDateTime();
}

void FeedApplier::recordLastUpdate(const QDateTime& value)
{
    Statement count(m_db, QStringLiteral("select count(*) from params"));
    count.run({});
    const bool hasRow = count.query().next() && count.query().value(0).toInt() > 0;
    count.query().finish();
    Statement write(m_db, hasRow ? QStringLiteral("update params set last_update = ?")
                                 : QStringLiteral("insert into params (last_update) values (?)"));
    write.run({value});
}

} // namespace catalogsync
