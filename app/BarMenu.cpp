#include "app/BarMenu.h"

#include "i18n/ComponentText.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace app {

std::unique_ptr<QMenu> addBarMenu(QWidget* window, const QString& name)
{
    auto menu = std::make_unique<QMenu>();
    menu->setObjectName(name);
    menu->setToolTipsVisible(false);
    i18n::excludeFromTranslation(menu.get());
    if (auto* bar = window->findChild<QMenuBar*>("dxBarManager1"))
        bar->addMenu(menu.get());
    QMenu* entries = menu.get();
    QObject::connect(entries, &QMenu::aboutToHide, entries, [entries] {
        for (QAction* entry : entries->actions())
            if (!entry->shortcut().isEmpty())
                entry->setEnabled(true);
    });
    return menu;
}

QAction* addBarMenuEntry(QMenu* menu, QWidget* window, const QString& name, const QKeySequence& shortcut)
{
    QAction* entry = menu->addAction(QString());
    entry->setObjectName(name);
    entry->setShortcut(shortcut);
    entry->setShortcutContext(Qt::WindowShortcut);
    window->addAction(entry);
    i18n::excludeFromTranslation(entry);
    return entry;
}

} // namespace app
