#include "app/ComparePresenter.h"

#include "app/BarMenu.h"
#include "app/CatalogPresenter.h"
#include "app/CodeSuggestions.h"
#include "app/DatasheetActions.h"
#include "app/ItemCopying.h"
#include "app/MainWindowLayout.h"
#include "app/PageControl.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/PictureFiles.h"
#include "datasheet/ComparisonSheet.h"
#include "i18n/ComponentText.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QToolButton>

namespace app {

namespace {

// Two columns side by side in a white frame: the header button's glyph, white on the dark header like the code.
QIcon compareIcon()
{
    QPixmap pixmap(26, 26);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawRoundedRect(QRectF(2.5, 4.5, 21, 17), 3, 3);
    p.drawLine(QPointF(13, 5), QPointF(13, 21));
    for (const qreal y : {9.0, 13.0, 17.0}) {
        p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
        p.drawLine(QPointF(15.5, y), QPointF(20.5, y));
    }
    return QIcon(pixmap);
}

// A file name from the items' codes, as the datasheet's is made from one.
QString suggestedName(const QVector<catalog::ItemSheet>& sheets)
{
    QStringList codes;
    for (const catalog::ItemSheet& sheet : sheets)
        codes << sheet.code;
    return DatasheetActions::fileNameFor(codes.join(QStringLiteral(" - ")));
}

} // namespace

ComparePresenter::ComparePresenter(MainWindowLayout& layout, CatalogPresenter& catalog, DatasheetActions& datasheet,
                                   ItemCopying& copying, MessageLookup msg, QWidget* window)
    : QObject(window), m_layout(layout), m_catalog(catalog), m_datasheet(datasheet), m_copying(copying),
      m_msg(std::move(msg)), m_window(window)
{
    m_layout.pgGlobal->addPage(m_page.pgCompare);

    m_menu = addBarMenu(window, "btnCompare");
    btnCompare = m_menu.get();
    auto add = [this](const char* name, const QKeySequence& shortcut, void (ComparePresenter::*action)()) {
        QAction* entry = addBarMenuEntry(btnCompare, m_window, QString::fromLatin1(name), shortcut);
        connect(entry, &QAction::triggered, this, action);
        return entry;
    };
    btnCompareAdd = add("btnCompareAdd", QKeySequence(Qt::CTRL | Qt::Key_K), &ComparePresenter::toggleShownItem);
    btnCompareShow =
        add("btnCompareShow", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_K), &ComparePresenter::showComparison);
    btnCompare->addSeparator();
    btnCompareClearAll = add("btnCompareClearAll", {}, &ComparePresenter::clearComparison);
    connect(btnCompare, &QMenu::aboutToShow, this, [this] {
        const int shown = shownItemId();
        btnCompareAdd->setEnabled(shown > 0);
        btnCompareAdd->setText(m_msg(m_comparison.contains(shown) ? "compareRemoveItem" : "compareAdd"));
        btnCompareClearAll->setEnabled(!m_comparison.isEmpty());
    });

    // The button stands on the header left of the Prev/Next piece, and shows whether the item is compared.
    QWidget* arrows = m_layout.btnPrev->parentWidget();
    QWidget* header = arrows->parentWidget();
    btnCompareItem =
        headerButton(header, "btnCompareItem", compareIcon(), arrows->x() - 32,
                     " QToolButton { border-radius: 3px; } QToolButton:checked { background: rgb(204,17,17); }");
    btnCompareItem->setCheckable(true);
    connect(btnCompareItem, &QToolButton::clicked, this, &ComparePresenter::toggleShownItem);

    connect(m_page.btnCompareSavePdf, &QPushButton::clicked, this, &ComparePresenter::btnCompareSavePdfClick);
    connect(m_page.btnCompareClear, &QPushButton::clicked, this, &ComparePresenter::clearComparison);
    copying.addMenuEntries = [this](QMenu& menu, int itemId) { addMenuEntry(menu, itemId); };

    askFileName = [this](const QString& suggested) {
        return QFileDialog::getSaveFileName(m_window, m_page.btnCompareSavePdf->text().remove(QChar(0x2026)), suggested,
                                            m_msg("sheetPdfFilter"));
    };
    // Texts come from message lookup, not from the language files' form sections.
    for (QObject* component : m_page.pgCompare->findChildren<QObject*>())
        i18n::excludeFromTranslation(component);
    i18n::excludeFromTranslation(btnCompareItem);
    m_page.fill({}, {}, {}, {});
}

ComparePresenter::~ComparePresenter() = default;

void ComparePresenter::applyTexts()
{
    m_page.lblCompareTitle->setText(m_msg("btnCompare"));
    m_page.lblCompareLegend->setText(
        QStringLiteral("<span style=\"background-color:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span> %2")
            .arg(ComparePage::DiffersColour.name(), m_msg("compareDiffers").toHtmlEscaped()));
    m_page.btnCompareSavePdf->setText(m_msg("compareSavePdf"));
    m_page.btnCompareClear->setText(m_msg("compareClear"));
    m_page.lblCompareEmpty->setText(m_msg("compareEmpty"));
    m_page.grdCompare->setAccessibleName(m_msg("btnCompare"));
    m_page.grdCompare->setAccessibleDescription(m_msg("compareDiffers"));
    btnCompareShow->setText(m_msg("compareShow"));
    btnCompareClearAll->setText(m_msg("compareClear"));
    if (CodeSuggestions* suggestions = m_catalog.codeSuggestions())
        suggestions->setAddToComparisonText(m_msg("compareAdd"));
    comparisonChanged();
}

void ComparePresenter::bindCatalog()
{
    catalog::CatalogBrowser* browser = m_catalog.browser();
    if (!browser)
        return;
    connect(browser, &catalog::CatalogBrowser::itemLoaded, this, &ComparePresenter::updateItemButton);
    // A synchronisation may have changed or deleted compared items: they are read again, the deleted ones drop out
    // quietly.
    const auto readAgain = [this] {
        if (!m_comparison.isEmpty())
            loadSheets();
        comparisonChanged();
    };
    connect(browser, &catalog::CatalogBrowser::allClosed, this, readAgain);
    connect(browser, &catalog::CatalogBrowser::reloaded, this, readAgain);
    if (CodeSuggestions* suggestions = m_catalog.codeSuggestions()) {
        suggestions->setAddToComparisonText(m_msg("compareAdd"));
        connect(suggestions, &CodeSuggestions::addToComparison, this, &ComparePresenter::addToComparison);
    }
}

void ComparePresenter::addContextMenu(QTableView* grid)
{
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(grid, &QWidget::customContextMenuRequested, this, [this, grid](const QPoint& pos) {
        const QModelIndex at = grid->indexAt(pos);
        const int itemId = at.isValid() ? m_copying.itemIdOfRow(grid, at.row()) : 0;
        if (itemId <= 0)
            return;
        QMenu menu;
        addMenuEntry(menu, itemId);
        menu.exec(grid->viewport()->mapToGlobal(pos));
    });
}

void ComparePresenter::addMenuEntry(QMenu& menu, int itemId)
{
    if (m_comparison.contains(itemId))
        menu.addAction(m_msg("compareRemoveItem"), this, [this, itemId] { removeFromComparison(itemId); });
    else
        menu.addAction(m_msg("compareAdd"), this, [this, itemId] { addToComparison(itemId); });
}

int ComparePresenter::shownItemId() const
{
    // Only the item on the item page counts: the one loaded at start-up stands behind the introduction unseen.
    catalog::CatalogBrowser* browser = m_catalog.browser();
    return browser && m_layout.isShowing(MainPage::CenterItem) ? browser->itemDetails().itemId : 0;
}

bool ComparePresenter::addToComparison(int itemId)
{
    switch (m_comparison.add(itemId)) {
    case catalog::ItemComparison::AddResult::Added:
        comparisonChanged();
        return true;
    case catalog::ItemComparison::AddResult::AlreadyIn:
        return true;
    case catalog::ItemComparison::AddResult::Full:
        break;
    }
    QString code;
    try {
        catalog::ItemSheet sheet;
        if (catalog::loadItemSheet(QSqlDatabase::database(m_catalog.browser()->qryItem->connectionName(), false),
                                   itemId, &sheet))
            code = sheet.code;
    } catch (const catalog::DatabaseError&) {
        // The message names the item where it can; the comparison page reports database failures itself.
    }
    widgets::showMessageBox(
        {m_window, m_msg("btnCompare"), m_msg("compareFull").arg(code), widgets::BoxIcon::Information});
    showComparison();
    return false;
}

void ComparePresenter::removeFromComparison(int itemId)
{
    if (m_comparison.remove(itemId))
        comparisonChanged();
}

void ComparePresenter::toggleShownItem()
{
    const int shown = shownItemId();
    if (shown <= 0)
        return;
    if (m_comparison.contains(shown))
        removeFromComparison(shown);
    else
        addToComparison(shown);
}

void ComparePresenter::clearComparison()
{
    m_comparison.clear();
    comparisonChanged();
}

void ComparePresenter::comparisonChanged()
{
    const int count = int(m_comparison.itemIds().size());
    btnCompare->setTitle(count ? QStringLiteral("%1 (%2)").arg(m_msg("btnCompare")).arg(count) : m_msg("btnCompare"));
    updateItemButton();
    if (m_layout.pgGlobal->currentPage() == m_page.pgCompare)
        fillPage(loadSheets());
}

void ComparePresenter::updateItemButton()
{
    catalog::CatalogBrowser* browser = m_catalog.browser();
    const int shown = browser ? browser->itemDetails().itemId : 0;
    const bool compared = shown > 0 && m_comparison.contains(shown);
    btnCompareItem->setEnabled(shown > 0);
    btnCompareItem->setChecked(compared);
    btnCompareItem->setToolTip(m_msg(compared ? "compareRemoveItem" : "compareAdd"));
    btnCompareItem->setAccessibleName(btnCompareItem->toolTip());
}

QVector<catalog::ItemSheet> ComparePresenter::loadSheets()
{
    catalog::CatalogBrowser* browser = m_catalog.browser();
    if (!browser || m_comparison.isEmpty())
        return {};
    try {
        return m_comparison.load(QSqlDatabase::database(browser->qryItem->connectionName(), false));
    } catch (const catalog::DatabaseError& e) {
        showError(e.message());
        return {};
    }
}

void ComparePresenter::fillPage(const QVector<catalog::ItemSheet>& sheets)
{
    const QString imagesDir = m_datasheet.imagesDir();
    QVector<ComparePage::Column> columns;
    for (const catalog::ItemSheet& sheet : sheets)
        columns.append({sheet.itemId, sheet.code, catalog::loadPictureSlots(imagesDir, sheet.pictureUrls)});
    const catalog::ComparisonTexts texts = datasheet::comparisonTexts(m_datasheet.sheetTexts());
    const ComparePage::Actions actions{m_msg("compareShowItem"), m_msg("compareRemove"),
                                       [this](int itemId) { m_catalog.openItem(itemId); },
                                       [this](int itemId) { removeFromComparison(itemId); }};
    m_page.fill(
        columns, catalog::ItemComparison::rows(sheets, texts),
        [&texts](catalog::ComparisonSection section) { return catalog::ItemComparison::heading(section, texts); },
        actions);
    for (QObject* component : m_page.grdCompare->findChildren<QObject*>())
        i18n::excludeFromTranslation(component);
}

void ComparePresenter::showComparison()
{
    fillPage(loadSheets());
    m_layout.pgGlobal->setCurrentPage(m_page.pgCompare);
}

void ComparePresenter::showError(const QString& message) const
{
    widgets::showMessageBox({m_window, "Velkorn", message, widgets::BoxIcon::Error});
}

void ComparePresenter::btnCompareSavePdfClick()
{
    const QVector<catalog::ItemSheet> sheets = loadSheets();
    if (sheets.isEmpty())
        return;
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    const QString path = askFileName ? askFileName(QDir(folder).filePath(suggestedName(sheets))) : QString();
    if (path.isEmpty())
        return;
    QString error;
    if (!datasheet::writeComparisonPdf(sheets, m_datasheet.sheetTexts(), m_datasheet.imagesDir(), path, &error))
        showError(m_msg("compareSaveFailed").arg(error));
}

} // namespace app
