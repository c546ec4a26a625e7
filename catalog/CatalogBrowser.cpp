#include "catalog/CatalogBrowser.h"

#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/PictureFiles.h"
#include "catalog/SearchCode.h"

#include <QDir>
#include <QFileInfo>
#include <QScopedValueRollback>
#include <QSqlDatabase>

namespace catalog {

namespace {

// List ready flag and item ready flag values kept in the queries' tags.
constexpr int kNotReady = 0;
constexpr int kReady = 1;
// Picture places of the item view.
constexpr int kPictureSlots = 3;

} // namespace

CatalogBrowser::CatalogBrowser(const QString& connectionName, const QString& applicationDir, MessageLookup lookup,
                               QObject* parent)
    : QObject(parent),
      qryOEM(
          makeQuery("qryOEM", {QStringLiteral("select code1.code velkorncode,"),
                               QStringLiteral("code2.code code2,code1.item_id"), QStringLiteral("from item_code code1"),
                               QStringLiteral("inner join item_code code2 on code2.item_id=code1.item_id and "
                                              "code2.code_type_id=:code_type_id"),
                               QStringLiteral("where code1.code_type_id=1")})),
      qryStyle(makeQuery(
          "qryStyle", {QStringLiteral("select item_code.code, item_code.item_id"), QStringLiteral("from item"),
                       QStringLiteral("inner join item_code on item.id=item_code.item_id and item_code.code_type_id=1"),
                       QStringLiteral("where item.type=:type")})),
      qrySearch(
          makeQuery("qrySearch",
                    {QStringLiteral("select t.type,code2.code, item_code.item_id"), QStringLiteral("from item"),
                     QStringLiteral("inner join item_code on item.id=item_code.item_id and item_code.code_type_id=1"),
                     // The cast only widens the parameter, which would otherwise take the column's length and fail
                     // on longer patterns; the rows are those of "like :CODE".
                     QStringLiteral("inner join item_code code2 on item.id=code2.item_id and code2.search_code like "
                                    "cast(:CODE as varchar(%1))")
                         .arg(kSearchParameterLength),
                     QStringLiteral("inner join item_code_type t on code2.code_type_id=t.code_type_id"),
                     // LIKE '%...%' looks unselective to the optimizer, which then walks every type-1 code and
                     // probes all codes of each item; one pass over the codes that probes only the hits costs half.
                     QStringLiteral("plan sort (join (code2 natural, item index (pk_item), item_code index "
                                    "(ix_item_code_item), t index (pk_item_code_type)))"),
                     QStringLiteral("order by item_code.code_type_id")})),
      qryKullanim(
          makeQuery("qryKullanim",
                    {QStringLiteral("select item_code.code, item_code.item_id"), QStringLiteral("from item"),
                     QStringLiteral("inner join item_code on item.id=item_code.item_id and item_code.code_type_id=1"),
                     QStringLiteral("where item.vehicle1=:type1 or item.vehicle2=:type2")})),
      qryItem(makeQuery(
          "qryItem", {QStringLiteral("select item_code.code, item.*"), QStringLiteral("from item"),
                      QStringLiteral("inner join item_code on item.id=item_code.item_id and item_code.code_type_id=1"),
                      QStringLiteral("where item.id=:item_id")})),
      qryCodes(makeQuery(
          "qryCodes",
          {QStringLiteral("select"), QStringLiteral("item_code.id,"), QStringLiteral("item_code_type.type,"),
           QStringLiteral("item_code.code,"), QStringLiteral("item_code_type.prefix"), QStringLiteral("from item_code"),
           QStringLiteral("inner join item_code_type on item_code.code_type_id=item_code_type.code_type_id"),
           QStringLiteral("where item_code.item_id=:item_id"), QStringLiteral("order by item_code_type.prefix")})),
      qryPictures(makeQuery("qryPictures", {QStringLiteral("select"), QStringLiteral("item_pictures.picture_url"),
                                            QStringLiteral("from item_pictures"),
                                            QStringLiteral("where item_pictures.item_id=:item_id")})),
      m_connectionName(connectionName), m_msg(std::move(lookup))
{
    QString dir = applicationDir;
    if (!dir.endsWith(QLatin1Char('/')) && !dir.endsWith(QLatin1Char('\\')))
        dir += QLatin1Char('/');
    m_imagesDir = dir + QStringLiteral("images");

    for (TQuery* query : {qryOEM, qryStyle, qrySearch, qryKullanim, qryItem, qryCodes, qryPictures})
        query->setConnectionName(connectionName);

    for (TQuery* list : {qryOEM, qryStyle, qrySearch, qryKullanim})
        followListProtocol(list);

    qryItem->addCalcField(QStringLiteral("ptStr"));
    qryItem->addCalcField(QStringLiteral("typeStr"));
    qryItem->setBeforeOpen([](TQuery& q) { q.setTag(kNotReady); });
    qryItem->setCalcFields([this](TQuery& q) {
        q.setField(QStringLiteral("ptStr"),
                   msg(numberedKey(QStringLiteral("pistonType"), q.field(QStringLiteral("PISTON_TYPE")))));
        q.setField(QStringLiteral("typeStr"),
                   msg(numberedKey(QStringLiteral("type"), q.field(QStringLiteral("TYPE")))));
    });
    qryItem->setAfterOpen([this](TQuery&) { emit itemOpened(); });
    qryItem->setAfterScroll([this](TQuery&) { qryItemAfterScroll(); });
    qryPictures->setAfterOpen([this](TQuery&) { qryPicturesAfterOpen(); });
}

// The list protocol, shared by every list query.
void CatalogBrowser::followListProtocol(TQuery* list)
{
    list->setBeforeOpen([](TQuery& q) { q.setTag(kNotReady); });
    list->setAfterOpen([this](TQuery& q) {
        q.setTag(kReady);
        if (m_reloading)
            return;
        m_currentList = &q;
        emit listOpened(pageOf(&q));
    });
    list->setAfterScroll([this](TQuery& q) {
        if (q.tag() != kReady || m_reloading)
            return;
        handOver(q.field(QStringLiteral("ITEM_ID")));
    });
}

void CatalogBrowser::addList(TQuery* list)
{
    followListProtocol(list);
    m_otherLists.append(list);
}

TQuery* CatalogBrowser::makeQuery(const char* name, const QStringList& sql)
{
    auto* query = new TQuery(this);
    query->setObjectName(QString::fromLatin1(name));
    query->setSql(sql);
    return query;
}

ListPage CatalogBrowser::pageOf(const TQuery* list) const
{
    if (list == qryOEM)
        return ListPage::OemCross;
    if (list == qryStyle)
        return ListPage::Style;
    if (list == qrySearch)
        return ListPage::SearchResults;
    if (list == qryKullanim)
        return ListPage::Kullanim;
    return ListPage::None;
}

TQuery* CatalogBrowser::queryOf(ListPage page) const
{
    switch (page) {
    case ListPage::OemCross:
        return qryOEM;
    case ListPage::Style:
        return qryStyle;
    case ListPage::SearchResults:
        return qrySearch;
    case ListPage::Kullanim:
        return qryKullanim;
    case ListPage::None:
        break;
    }
    return nullptr;
}

QVector<CodeTypeEntry> CatalogBrowser::localDbAfterConnect()
{
    TQuery table;
    table.setConnectionName(m_connectionName);
    table.setSql({QStringLiteral("select code_type_id, prefix, type from item_code_type order by code_type_id")});
    table.open();

    QVector<CodeTypeEntry> entries;
    for (int row = 0; row < table.recordCount(); ++row) {
        const int id = table.value(row, 0).toInt();
        if (id == 1)
            continue;
        CodeTypeEntry entry;
        entry.codeTypeId = id;
        entry.hint = table.value(row, 1).toString();
        entry.caption = table.value(row, 2).toString();
        entry.name = QStringLiteral("codeType") + QString::number(id);
        // Exact comparison: "oem" or "OEM " is a cross-reference type.
        entry.oem = entry.hint == QLatin1String("OEM");
        entries.append(entry);
    }
    return entries;
}

void CatalogBrowser::openList(ListPage page, const std::function<void(TQuery&)>& setParams)
{
    TQuery* list = queryOf(page);
    m_currentGrid = page;
    list->close();
    setParams(*list);
    list->open();
}

void CatalogBrowser::buttonClick(int codeTypeId)
{
    openList(ListPage::OemCross, [codeTypeId](TQuery& q) { q.setParam(QStringLiteral("code_type_id"), codeTypeId); });
}

void CatalogBrowser::btnSTYLE1Click(int style)
{
    openList(ListPage::Style, [style](TQuery& q) { q.setParam(QStringLiteral("type"), style); });
}

void CatalogBrowser::btnKullanim1Click(int usage)
{
    openList(ListPage::Kullanim, [usage](TQuery& q) {
        q.setParam(QStringLiteral("type1"), usage);
        q.setParam(QStringLiteral("type2"), usage);
    });
}

bool CatalogBrowser::btnSearchClick(const QString& text)
{
    const QString normalised = normaliseSearchText(text);
    if (normalised.isEmpty())
        return false;
    // Always a bound parameter: the typed text never becomes part of the statement.
    const QVariant pattern = searchParameter(searchPattern(normalised));
    m_searchText = normalised;
    qrySearch->close();
    qrySearch->setParam(QStringLiteral("CODE"), pattern);
    qrySearch->open();
    m_currentGrid = ListPage::SearchResults;
    return true;
}

void CatalogBrowser::setCodeIndex(BackgroundCodeIndex* index)
{
    m_codeIndex = index;
    qrySearch->setRowSource([this](QStringList& fieldNames, QVector<QVector<QVariant>>& rows) {
        const std::shared_ptr<const CodeIndex> codes = m_codeIndex ? m_codeIndex->index() : nullptr;
        if (!codes)
            return false;
        // The statement's result columns, with the values the database would give them.
        fieldNames = {QStringLiteral("TYPE"), QStringLiteral("CODE"), QStringLiteral("ITEM_ID")};
        const QVector<CodeHit> hits = codes->search(m_searchText);
        rows.reserve(hits.size());
        for (const CodeHit& hit : hits)
            rows.append({hit.type, hit.code, hit.itemId});
        return true;
    });
}

void CatalogBrowser::showItem(int itemId)
{
    handOver(itemId);
}

void CatalogBrowser::btnPrevClick()
{
    if (m_currentList && m_currentList->isActive() && !m_currentList->bof())
        m_currentList->prior();
}

void CatalogBrowser::btnNextClick()
{
    if (m_currentList && m_currentList->isActive() && !m_currentList->eof())
        m_currentList->next();
}

void CatalogBrowser::closeAll()
{
    for (TQuery* query : {qryOEM, qryStyle, qrySearch, qryKullanim, qryItem, qryCodes, qryPictures})
        query->close();
    for (const QPointer<TQuery>& list : m_otherLists)
        if (list)
            list->close();
    // Ends the browsing snapshot so that the next list sees the committed rows. Refused, harmlessly, when the
    // synchronisation's commit on this connection has already ended it.
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (db.isOpen())
        commitTransaction(db);
    // The index was read before the commit.
    if (m_codeIndex)
        m_codeIndex->rebuild();
    emit allClosed();
}

void CatalogBrowser::reloadAll()
{
    const QVariant shown = qryItem->isActive() ? qryItem->param(QStringLiteral("item_id")) : QVariant();
    // Ends the browsing snapshot, which was taken before the other seat's commit.
    QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
    if (db.isOpen())
        commitTransaction(db);
    // Before the search list is read again: until the new index is ready, the search reads the database.
    if (m_codeIndex)
        m_codeIndex->rebuild();
    {
        const QScopedValueRollback<bool> quiet(m_reloading, true);
        for (TQuery* list : {qryOEM, qryStyle, qrySearch, qryKullanim})
            reloadList(list);
    }
    if (shown.isValid()) {
        handOver(shown);
        if (qryItem->isEmpty()) {
            // The item is gone: the list's row in its place is shown instead, or nothing.
            if (m_currentList && m_currentList->isActive() && m_currentList->recNo() >= 0) {
                handOver(m_currentList->field(QStringLiteral("ITEM_ID")));
            } else {
                qryCodes->close();
                qryPictures->close();
                emit itemLoaded(itemDetails());
                emit picturesLoaded({});
            }
        }
    }
    emit reloaded();
}

void CatalogBrowser::reloadList(TQuery* list)
{
    if (!list->isActive())
        return;
    const int row = list->recNo();
    const QVariant item = row >= 0 ? list->field(QStringLiteral("ITEM_ID")) : QVariant();
    list->open();
    if (row < 0 || list->isEmpty())
        return;
    const int column = list->fieldIndex(QStringLiteral("ITEM_ID"));
    for (int at = 0; at < list->recordCount(); ++at) {
        if (list->value(at, column) == item) {
            list->moveTo(at);
            return;
        }
    }
    list->moveTo(std::min(row, list->recordCount() - 1));
}

void CatalogBrowser::pictureArrived(const QString& pictureUrl)
{
    if (!qryPictures->isActive())
        return;
    for (int row = 0; row < qryPictures->recordCount(); ++row) {
        if (qryPictures->value(row, 0).toString() == pictureUrl) {
            qryPicturesAfterOpen();
            return;
        }
    }
}

void CatalogBrowser::handOver(const QVariant& itemId)
{
    qryItem->close();
    qryItem->setParam(QStringLiteral("item_id"), itemId);
    qryItem->open();
    qryItem->setTag(kReady);
    qryItemAfterScroll();
}

void CatalogBrowser::qryItemAfterScroll()
{
    // Not ready during qryItem's own open, so the details load once per hand-over.
    if (qryItem->tag() != kReady)
        return;
    const QVariant id = qryItem->field(QStringLiteral("ID"));
    qryCodes->close();
    qryCodes->setParam(QStringLiteral("item_id"), id);
    qryCodes->open();
    qryPictures->close();
    qryPictures->setParam(QStringLiteral("item_id"), id);
    qryPictures->open();
    emit itemLoaded(itemDetails());
}

void CatalogBrowser::qryPicturesAfterOpen()
{
    QStringList urls;
    for (int row = 0; row < qryPictures->recordCount(); ++row)
        urls << qryPictures->value(row, 0).toString();
    // Missing, unsafe and unreadable files end the loading silently; loadPictureSlots reports no errors.
    const QVector<QImage> pictures = loadPictureSlots(m_imagesDir, urls);
    emit picturesLoaded(pictures);
    // The slots after the first file that could not be read stay empty; those files may only be missing here.
    QStringList missing;
    for (const QString& url : urls.mid(pictures.size(), kPictureSlots - pictures.size()))
        if (!url.trimmed().isEmpty() && !QFileInfo::exists(QDir(m_imagesDir).filePath(url.trimmed())))
            missing << url.trimmed();
    if (!missing.isEmpty())
        emit picturesMissing(missing);
}

ItemDetails CatalogBrowser::itemDetails() const
{
    if (!qryItem->isActive() || qryItem->isEmpty())
        return {};
    return itemDetailsOf([this](const char* name) { return qryItem->field(QString::fromLatin1(name)); }, m_locale);
}

} // namespace catalog
