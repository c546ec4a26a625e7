#include "app/HistoryPresenter.h"

#include "app/BarMenu.h"
#include "app/CatalogPresenter.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

namespace app {

HistoryPresenter::HistoryPresenter(CatalogPresenter& catalog, MessageLookup msg, QWidget* window,
                                   const QString& filePath)
    : QObject(window), m_catalog(catalog), m_msg(std::move(msg)), m_history(filePath)
{
    m_menu = addBarMenu(window, "btnHistory");
    btnHistory = m_menu.get();
    auto add = [this, window](const char* name, const QKeySequence& shortcut, void (HistoryPresenter::*action)()) {
        QAction* entry = addBarMenuEntry(btnHistory, window, QString::fromLatin1(name), shortcut);
        connect(entry, &QAction::triggered, this, action);
        return entry;
    };
    btnHistoryBack = add("btnHistoryBack", QKeySequence(Qt::ALT | Qt::Key_Left), &HistoryPresenter::back);
    btnHistoryForward = add("btnHistoryForward", QKeySequence(Qt::ALT | Qt::Key_Right), &HistoryPresenter::forward);
    btnHistory->addSeparator();
    btnHistoryClear = add("btnHistoryClear", {}, &HistoryPresenter::clear);
    connect(btnHistory, &QMenu::aboutToShow, this, &HistoryPresenter::fillMenu);
}

HistoryPresenter::~HistoryPresenter() = default;

void HistoryPresenter::applyTexts()
{
    btnHistory->setTitle(m_msg("btnHistory"));
    btnHistoryBack->setText(m_msg("historyBack"));
    btnHistoryForward->setText(m_msg("historyForward"));
    btnHistoryClear->setText(m_msg("historyClear"));
}

void HistoryPresenter::start()
{
    catalog::CatalogBrowser* browser = m_catalog.browser();
    if (m_started || !browser)
        return;
    m_started = true;
    m_history.load();
    refresh();
    connect(browser, &catalog::CatalogBrowser::itemLoaded, this, &HistoryPresenter::itemShown);
    connect(browser, &catalog::CatalogBrowser::allClosed, this, &HistoryPresenter::refresh);
    connect(browser, &catalog::CatalogBrowser::reloaded, this, &HistoryPresenter::refresh);
}

void HistoryPresenter::refresh()
{
    catalog::CatalogBrowser* browser = m_catalog.browser();
    try {
        m_history.refresh(QSqlDatabase::database(browser->qryItem->connectionName(), false));
    } catch (const catalog::DatabaseError&) {
        // The entries stay as they were; an item that is gone shows nothing when chosen, and the next refresh
        // (after the next synchronisation or start) drops it.
    }
}

void HistoryPresenter::itemShown(const catalog::ItemDetails& details)
{
    if (details.itemId <= 0)
        return;
    const QVariant style = m_catalog.browser()->qryItem->field(QStringLiteral("TYPE"));
    m_history.shown({details.itemId, details.code, style.toInt()});
}

void HistoryPresenter::back()
{
    if (const std::optional<int> itemId = m_history.back())
        m_catalog.openItem(*itemId);
}

void HistoryPresenter::forward()
{
    if (const std::optional<int> itemId = m_history.forward())
        m_catalog.openItem(*itemId);
}

void HistoryPresenter::showEntry(int index)
{
    if (index >= 0 && index < m_history.entries().size())
        m_catalog.openItem(m_history.entries().at(index).itemId);
}

void HistoryPresenter::clear()
{
    m_history.clear();
}

void HistoryPresenter::fillMenu()
{
    qDeleteAll(m_entries);
    m_entries.clear();
    btnHistoryBack->setEnabled(m_history.canGoBack());
    btnHistoryForward->setEnabled(m_history.canGoForward());
    btnHistoryClear->setEnabled(!m_history.entries().isEmpty());
    // The entries stand between two separators, above "Clear history".
    QAction* before = btnHistoryClear;
    if (m_history.entries().isEmpty()) {
        QAction* none = new QAction(m_msg("historyEmpty"), btnHistory);
        none->setEnabled(false);
        btnHistory->insertAction(before, none);
        m_entries << none;
    }
    for (int i = 0; i < m_history.entries().size(); ++i) {
        const catalog::HistoryEntry& e = m_history.entries().at(i);
        const QString style = e.style ? m_msg(QStringLiteral("type%1").arg(e.style)) : QString();
        auto* entry = new QAction(style.isEmpty() ? e.code : e.code + QStringLiteral("  —  ") + style, btnHistory);
        // The entry shown now carries a tick.
        entry->setCheckable(i == m_history.current());
        entry->setChecked(i == m_history.current());
        connect(entry, &QAction::triggered, this, [this, i] { showEntry(i); });
        btnHistory->insertAction(before, entry);
        m_entries << entry;
    }
    m_entries << btnHistory->insertSeparator(before);
}

} // namespace app
