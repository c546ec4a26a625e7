#pragma once

#include "catalog/ItemSheet.h"
#include "datasheet/Datasheet.h"

#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QPrinter;
class QWidget;

namespace app {

class CatalogPresenter;
class MainWindowLayout;

// "Print datasheet…" and "Save datasheet as PDF…" for the item the item view shows, in the window's language:
// a sub-menu of the menu bar with Ctrl+P and Ctrl+Shift+P.
class DatasheetActions final : public QObject
{
    Q_OBJECT
public:
    using MessageLookup = std::function<QString(const QString&)>;

    // `msg` answers the added keys from the built-in texts when the language file lacks them; `languageCode`
    // gives the language chosen at start.
    DatasheetActions(CatalogPresenter& catalog, MainWindowLayout& layout, MessageLookup msg,
                     std::function<QString()> languageCode, QWidget* window);
    ~DatasheetActions() override;

    void applyTexts();
    void btnPrintDatasheetClick();
    void btnSaveDatasheetClick();

    // The datasheet of the item shown; nothing before an item is shown or after a synchronisation closed it. An
    // item loaded behind another page (the first of the list opened at start-up, the first measurement hit) has
    // not been shown until the item page shows it.
    std::optional<catalog::ItemSheet> shownItem() const;
    datasheet::SheetTexts sheetTexts() const;
    QString imagesDir() const;

    // The datasheet's file name: the whole code, characters no file system takes replaced, and ".pdf".
    static QString fileNameFor(const QString& code);

    // Asks for the PDF file's name (the suggested one to start with); empty when the user cancels. Replaceable
    // in tests.
    std::function<QString(const QString& suggested)> askFileName;
    // Lets the user choose the printer; false when the user cancels. Replaceable in tests.
    std::function<bool(QPrinter& printer)> askPrinter;

    QMenu* btnDatasheet = nullptr;
    QAction* btnPrintDatasheet = nullptr;
    QAction* btnSaveDatasheet = nullptr;

private:
    bool itemPageShown() const;
    // shownItem(), with a database failure shown in a message box.
    std::optional<catalog::ItemSheet> shownItemOrError() const;
    void showError(const QString& message) const;

    CatalogPresenter& m_catalog;
    MainWindowLayout& m_layout;
    MessageLookup m_msg;
    std::function<QString()> m_languageCode;
    QWidget* m_window;
    std::unique_ptr<QMenu> m_menu;
    bool m_onItemPage = false;
    int m_seenItemId = 0; // the item the item page showed when the user left it
};

} // namespace app
