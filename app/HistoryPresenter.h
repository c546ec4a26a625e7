#pragma once

#include "catalog/ItemHistory.h"

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QWidget;
namespace catalog {
struct ItemDetails;
}

namespace app {

class CatalogPresenter;

// The items shown last: a menu-bar menu with Back (Alt+Left), Forward (Alt+Right), the items newest first and
// "Clear history", kept across starts in the user's configuration folder. Every item the user is shown after
// start-up is recorded; the list itself is catalog::ItemHistory.
class HistoryPresenter final : public QObject
{
    Q_OBJECT
public:
    using MessageLookup = std::function<QString(const QString&)>;

    HistoryPresenter(CatalogPresenter& catalog, MessageLookup msg, QWidget* window,
                     const QString& filePath = catalog::ItemHistory::defaultFilePath());
    ~HistoryPresenter() override;

    void applyTexts();
    // At the end of start-up: reads the history, lets items that no longer exist drop out, and records from now on.
    void start();

    void back();
    void forward();
    // Shows the item of an entry of the menu (it goes on top as any item shown does).
    void showEntry(int index);
    void clear();

    const catalog::ItemHistory& history() const { return m_history; }

    QMenu* btnHistory = nullptr;
    QAction* btnHistoryBack = nullptr;
    QAction* btnHistoryForward = nullptr;
    QAction* btnHistoryClear = nullptr;

private:
    void itemShown(const catalog::ItemDetails& details);
    void refresh();
    void fillMenu();

    CatalogPresenter& m_catalog;
    MessageLookup m_msg;
    catalog::ItemHistory m_history;
    bool m_started = false;
    std::unique_ptr<QMenu> m_menu;
    QList<QAction*> m_entries;
};

} // namespace app
