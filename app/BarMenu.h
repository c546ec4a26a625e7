#pragma once

#include <QKeySequence>
#include <QString>

#include <memory>

class QAction;
class QMenu;
class QWidget;

namespace app {

// A menu of the window's menu bar whose texts come from message lookup: parentless like the bar's other menus, so
// that the language component leaves it and its entries alone. Entries disabled while the menu is open (for what it
// shows at that moment) are enabled again when it closes, so that their shortcuts keep working; each action checks
// for itself.
std::unique_ptr<QMenu> addBarMenu(QWidget* window, const QString& name);

// An entry of such a menu whose shortcut works anywhere in the window.
QAction* addBarMenuEntry(QMenu* menu, QWidget* window, const QString& name, const QKeySequence& shortcut = {});

} // namespace app
