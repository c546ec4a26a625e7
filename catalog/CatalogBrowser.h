#pragma once

#include "catalog/ItemDetails.h"
#include "catalog/TQuery.h"

#include <QImage>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QVector>
#include <functional>

namespace catalog {

class BackgroundCodeIndex;

// The pages of the list pane `pgGrid`, by index; each stands for its grid as well.
enum class ListPage
{
    None = -1,
    OemCross = 0,      // pgOemCross, gridOemCross, qryOEM
    Style = 1,         // dxTabSheet2, gridStyle, qryStyle
    SearchResults = 2, // pgSearchResults, grdSearch, qrySearch
    Kullanim = 3,      // pgKullanim, grdKullanim, qryKullanim
};

// One OEM or cross-reference menu entry built from a row of ITEM_CODE_TYPE.
struct CodeTypeEntry
{
    int codeTypeId = 0; // the entry's tag
    QString caption;    // TYPE
    QString hint;       // PREFIX
    QString name;       // "codeType" + id, the entry's object name
    bool oem = false;   // true: under btnOem; false: under btnCross
};

// The catalog browsing below the main window: the list queries and their protocol, Prev/Next, the item view's
// queries and what they show, and the code search. The window turns menu clicks into the *Click calls (after
// switching its pages), binds the queries to grids through QueryTableModel and shows what the signals carry.
// Database failures propagate as DatabaseError; the window shows them.
class CatalogBrowser : public QObject
{
    Q_OBJECT

public:
    using MessageLookup = std::function<QString(const QString&)>;

    // applicationDir is the Application directory (with or without a trailing separator); pictures are read from
    // its "images" folder only.
    CatalogBrowser(const QString& connectionName, const QString& applicationDir, MessageLookup lookup,
                   QObject* parent = nullptr);

    void setLocale(const QLocale& locale) { m_locale = locale; }
    QLocale locale() const { return m_locale; }
    void setMessageLookup(MessageLookup msg) { m_msg = std::move(msg); }
    QString imagesDir() const { return m_imagesDir; }

    // The OEM and cross-reference entries, in primary-key order, without code type 1.
    QVector<CodeTypeEntry> localDbAfterConnect();

    // The list actions; each sets currentGrid and (re)opens its list query.
    void buttonClick(int codeTypeId);
    void btnSTYLE1Click(int style);
    void btnKullanim1Click(int usage);
    // Normalises the text and opens qrySearch; false (and nothing changed) when nothing is left to search.
    bool btnSearchClick(const QString& text);

    void btnPrevClick();
    void btnNextClick();

    // qrySearch answers from this index while it is ready and from the database otherwise; closeAll rebuilds it.
    // Not owned.
    void setCodeIndex(BackgroundCodeIndex* index);
    // Hands an item to the item view as a list's row change does, without touching the lists.
    void showItem(int itemId);
    // A list of another page (its rows from a row source) joins the list protocol: opening it makes it the current
    // list, its row changes hand items to the item view, and closeAll closes it. Not owned.
    void addList(TQuery* list);

    // What a committed synchronisation does to the view: every list and the item queries close, and the
    // connection's transaction is committed if it is still active.
    void closeAll();
    // What a synchronisation that another seat committed does: the code index is rebuilt and every open list and the
    // item are read again from the committed catalog, each list at the item it was on (or at the same place, when
    // that item is gone), the item shown where it still exists. The user sees the same page, now up to date.
    void reloadAll();
    // A picture file that was missing has arrived in the images folder: the item shown gets its pictures again
    // when it names that file.
    void pictureArrived(const QString& pictureUrl);

    TQuery* currentList() const { return m_currentList; }
    ListPage currentGrid() const { return m_currentGrid; }
    ListPage pageOf(const TQuery* list) const;
    TQuery* queryOf(ListPage page) const;

    // The view of qryItem's current row (empty values when it is closed or empty).
    ItemDetails itemDetails() const;

    TQuery* const qryOEM;
    TQuery* const qryStyle;
    TQuery* const qrySearch;
    TQuery* const qryKullanim;
    TQuery* const qryItem;
    TQuery* const qryCodes;
    TQuery* const qryPictures;

signals:
    // qryItem has opened: WallPaper5, DBText1 and cntItem become visible.
    void itemOpened();
    // An item was handed over and its codes, pictures and pictograms are loaded.
    void itemLoaded(const catalog::ItemDetails& details);
    // The pictures for res1..res3 in order; slots beyond the list are hidden.
    void picturesLoaded(const QVector<QImage>& pictures);
    void listOpened(catalog::ListPage page);
    void allClosed();
    // reloadAll() has read the lists and the item again.
    void reloaded();
    // The item shown names pictures (among those its slots would show) that the images folder lacks.
    void picturesMissing(const QStringList& pictureUrls);

private:
    TQuery* makeQuery(const char* name, const QStringList& sql);
    void openList(ListPage page, const std::function<void(TQuery&)>& setParams);
    void handOver(const QVariant& itemId);
    void qryItemAfterScroll();
    void qryPicturesAfterOpen();
    void followListProtocol(TQuery* list);
    void reloadList(TQuery* list);
    QString msg(const QString& key) const { return m_msg ? m_msg(key) : QString(); }

    QString m_connectionName;
    QString m_imagesDir;
    MessageLookup m_msg;
    QLocale m_locale;
    QPointer<BackgroundCodeIndex> m_codeIndex;
    QString m_searchText; // the normalised text of the last search
    TQuery* m_currentList = nullptr;
    QVector<QPointer<TQuery>> m_otherLists;
    ListPage m_currentGrid = ListPage::None;
    bool m_reloading = false; // the lists are read again in place: no hand-overs, the current list stays
};

} // namespace catalog
