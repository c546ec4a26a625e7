#include "app/DatasheetActions.h"

#include "app/CatalogPresenter.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "i18n/ComponentText.h"
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

DatasheetActions::DatasheetActions(CatalogPresenter& catalog, MessageLookup msg, std::function<QString()> languageCode,
                                   QWidget* window)
    : QObject(window), m_catalog(catalog), m_msg(std::move(msg)), m_languageCode(std::move(languageCode)),
      m_window(window)
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

    askFileName = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(m_window, btnSaveDatasheet->text().remove(QChar(0x2026)), suggested,
                                            m_msg("sheetPdfFilter"));
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
    catalog::ItemSheet sheet;
    const QString connection = browser->qryItem->connectionName();
    if (!catalog::loadItemSheet(QSqlDatabase::database(connection, false), browser->itemDetails().itemId, &sheet))
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
    texts.locale = m_catalog.browser() ? m_catalog.browser()->locale() : QLocale();
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

void DatasheetActions::btnPrintDatasheetClick()
{
    const std::optional<catalog::ItemSheet> sheet = shownItemOrError();
    if (!sheet)
        return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    printer.setDocName(sheet->code);
    QPrintDialog dialog(&printer, m_window);
    if (dialog.exec() != QDialog::Accepted)
        return;
    const std::unique_ptr<QTextDocument> doc = datasheet::buildDatasheet(*sheet, sheetTexts(), imagesDir());
    datasheet::paintDatasheet(*doc, printer);
}

void DatasheetActions::btnSaveDatasheetClick()
{
    const std::optional<catalog::ItemSheet> sheet = shownItemOrError();
    if (!sheet)
        return;
    // The code as a file name: characters that no file system takes become '_'.
    QString name = sheet->code;
    name.replace(QRegularExpression(QStringLiteral("[\\\\/:*?\"<>|]")), QStringLiteral("_"));
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = askFileName ? askFileName(QDir(folder).filePath(name + QStringLiteral(".pdf"))) : QString();
    if (path.isEmpty())
        return;
    QString error;
    if (!datasheet::writeDatasheetPdf(*sheet, sheetTexts(), imagesDir(), path, &error))
        showError(m_msg("sheetSaveFailed").arg(error));
}

} // namespace app
