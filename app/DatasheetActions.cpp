#include "app/DatasheetActions.h"

#include "app/CatalogPresenter.h"
#include "app/MainWindowLayout.h"
#include "app/PageControl.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "i18n/ComponentText.h"
#include "i18n/Language.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextDocument>

namespace app {

DatasheetActions::DatasheetActions(CatalogPresenter& catalog, MainWindowLayout& layout, MessageLookup msg,
                                   std::function<QString()> languageCode, QWidget* window)
    : QObject(window), m_catalog(catalog), m_layout(layout), m_msg(std::move(msg)),
      m_languageCode(std::move(languageCode)), m_window(window)
{
    // Parentless like the window's other bar menus, so the language component leaves its entries alone.
    m_menu = std::make_unique<QMenu>();
    btnDatasheet = m_menu.get();
    btnDatasheet->setObjectName("btnDatasheet");
    btnDatasheet->setToolTipsVisible(false);
    btnPrintDatasheet = btnDatasheet->addAction(QString());
    btnPrintDatasheet->setObjectName("btnPrintDatasheet");
    btnPrintDatasheet->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    btnSaveDatasheet = btnDatasheet->addAction(QString());
    btnSaveDatasheet->setObjectName("btnSaveDatasheet");
    btnSaveDatasheet->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    for (QAction* action : {btnPrintDatasheet, btnSaveDatasheet}) {
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        i18n::excludeFromTranslation(action);
    }
    i18n::excludeFromTranslation(btnDatasheet);
    if (auto* bar = window->findChild<QMenuBar*>("dxBarManager1"))
        bar->addMenu(btnDatasheet);
    connect(btnPrintDatasheet, &QAction::triggered, this, &DatasheetActions::btnPrintDatasheetClick);
    connect(btnSaveDatasheet, &QAction::triggered, this, &DatasheetActions::btnSaveDatasheetClick);
    // Offered only while an item is shown.
    connect(btnDatasheet, &QMenu::aboutToShow, this, [this] {
        const bool shown = shownItem().has_value();
        btnPrintDatasheet->setEnabled(shown);
        btnSaveDatasheet->setEnabled(shown);
    });

    // Leaving the item page, the item it showed has been seen. Start-up passes the page before the window is
    // on the screen: nobody has seen that.
    connect(m_layout.pgGlobal, &PageControl::currentChanged, this, [this] {
        if (m_onItemPage && m_catalog.browser())
            m_seenItemId = m_catalog.browser()->itemDetails().itemId;
        m_onItemPage = itemPageShown();
    });

    askFileName = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(m_window, btnSaveDatasheet->text().remove(QChar(0x2026)), suggested,
                                            m_msg("sheetPdfFilter"));
    };
    askPrinter = [this](QPrinter& printer) {
        QPrintDialog dialog(&printer, m_window);
        return dialog.exec() == QDialog::Accepted;
    };
}

DatasheetActions::~DatasheetActions() = default;

void DatasheetActions::applyTexts()
{
    btnDatasheet->setTitle(m_msg("btnDatasheet"));
    btnPrintDatasheet->setText(m_msg("btnPrintDatasheet"));
    btnSaveDatasheet->setText(m_msg("btnSaveDatasheet"));
}

QString DatasheetActions::imagesDir() const
{
    catalog::CatalogBrowser* browser = m_catalog.browser();
    return browser ? browser->imagesDir() : QString();
}

std::optional<catalog::ItemSheet> DatasheetActions::shownItem() const
{
    catalog::CatalogBrowser* browser = m_catalog.browser();
    if (!browser || !browser->qryItem->isActive() || browser->qryItem->isEmpty())
        return std::nullopt;
    const int itemId = browser->itemDetails().itemId;
    if (!itemPageShown() && itemId != m_seenItemId)
        return std::nullopt;
    catalog::ItemSheet sheet;
    const QString connection = browser->qryItem->connectionName();
    if (!catalog::loadItemSheet(QSqlDatabase::database(connection, false), itemId, &sheet))
        return std::nullopt;
    return sheet;
}

datasheet::SheetTexts DatasheetActions::sheetTexts() const
{
    datasheet::SheetTexts texts;
    texts.msg = m_msg;
    // The item view's labels, as the language file has set them.
    texts.caption = [this](const QString& name) {
        const auto* label = m_window->findChild<QLabel*>(name);
        return label ? label->text() : QString();
    };
    texts.languageCode = m_languageCode ? m_languageCode() : QString();
    // The sheet is written in the chosen language, its date and numbers too.
    const std::optional<i18n::Language> language = i18n::Language::fromCode(texts.languageCode);
    texts.locale = language ? language->locale() : QLocale();
    return texts;
}

void DatasheetActions::showError(const QString& message) const
{
    widgets::showMessageBox({m_window, "Velkorn", message, widgets::BoxIcon::Error});
}

std::optional<catalog::ItemSheet> DatasheetActions::shownItemOrError() const
{
    try {
        return shownItem();
    } catch (const catalog::DatabaseError& e) {
        showError(e.message());
        return std::nullopt;
    }
}

bool DatasheetActions::itemPageShown() const
{
    return m_window->isVisible() && m_layout.isShowing(MainPage::CenterItem);
}

QString DatasheetActions::fileNameFor(const QString& code)
{
    QString name = code;
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    return name + QStringLiteral(".pdf");
}

void DatasheetActions::btnPrintDatasheetClick()
{
    const std::optional<catalog::ItemSheet> sheet = shownItemOrError();
    if (!sheet)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    // Qt's dialog offers the document's name, less its last suffix, as the name to print to a file under.
    printer.setDocName(fileNameFor(sheet->code));
    if (!askPrinter || !askPrinter(printer))
        return;
    const std::unique_ptr<QTextDocument> doc = datasheet::buildDatasheet(*sheet, sheetTexts(), imagesDir());
    datasheet::paintDatasheet(*doc, printer);
}

void DatasheetActions::btnSaveDatasheetClick()
{
    const std::optional<catalog::ItemSheet> sheet = shownItemOrError();
    if (!sheet)
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = askFileName ? askFileName(QDir(folder).filePath(fileNameFor(sheet->code))) : QString();
    if (path.isEmpty())
        return;
    QString error;
    if (!datasheet::writeDatasheetPdf(*sheet, sheetTexts(), imagesDir(), path, &error))
        showError(m_msg("sheetSaveFailed").arg(error));
}

} // namespace app
