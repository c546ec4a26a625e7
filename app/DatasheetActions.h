#pragma once

#include "catalog/ItemSheet.h"
#include "datasheet/Datasheet.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QWidget;

namespace app {

class CatalogPresenter;

// "Print datasheet…" and "Save datasheet as PDF…" for the item the item view shows, in the window's language:
// a sub-menu of the menu bar with Ctrl+P and Ctrl+Shift+P.
class DatasheetActions final : public QObject
{
    Q_OBJECT
public:
    using MessageLookup = std::function<QString(const QString&)>;

    // `msg` answers the added keys from the built-in texts when the language file lacks them; `languageCode`
    // gives the language chosen at start.
    DatasheetActions(CatalogPresenter& catalog, MessageLookup msg, std::function<QString()> languageCode,
                     QWidget* window);
    ~DatasheetActions() override;

    void applyTexts();
    void btnPrintDatasheetClick();
    void btnSaveDatasheetClick();

    // The datasheet of the item shown; nothing before an item is shown or after a synchronisation closed it.
    std::optional<catalog::ItemSheet> shownItem() const;
    datasheet::SheetTexts sheetTexts() const;
    QString imagesDir() const;

    // Asks for the PDF file's name (the suggested one to start with); empty when the user cancels. Replaceable
    // in tests.
    std::function<QString(const QString& suggested)> askFileName;

    QMenu* btnDatasheet = nullptr;
    QAction* btnPrintDatasheet = nullptr;
    QAction* btnSaveDatasheet = nullptr;

private:
    // shownItem(), with a database failure shown in a message box.
    std::optional<catalog::ItemSheet> shownItemOrError() const;
    void showError(const QString& message) const;

    CatalogPresenter& m_catalog;
    MessageLookup m_msg;
    std::function<QString()> m_languageCode;
    QWidget* m_window;
    std::unique_ptr<QMenu> m_menu;
};

} // namespace app
