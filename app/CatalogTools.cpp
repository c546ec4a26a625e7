#include "app/CatalogTools.h"

#include "app/DataText.h"
#include "app/ItemCopying.h"
#include "app/MainWindowLayout.h"
#include "app/PictureBox.h"
#include "app/PictureViewer.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/CatalogFacts.h"
#include "catalog/CsvText.h"
#include "catalog/ListExport.h"
#include "catalog/QueryTableModel.h"
#include "i18n/ComponentText.h"
#include "widgets/MessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTableView>

#include <array>

namespace app {

namespace {

using catalog::ListPage;

const std::array<ListPage, 4> ListPages = {ListPage::OemCross, ListPage::Style, ListPage::SearchResults,
                                           ListPage::Kullanim};

// The item's own code in a list's rows; the search results show only the code that matched.
QStringList ownCodeField(ListPage page)
{
    switch (page) {
    case ListPage::OemCross:
        return {QStringLiteral("VELKORNCODE")};
    case ListPage::Style:
    case ListPage::Kullanim:
        return {QStringLiteral("CODE")};
    default:
        return {};
    }
}

catalog::QueryTableModel* queryModel(const QTableView* grid)
{
    return grid ? qobject_cast<catalog::QueryTableModel*>(grid->model()) : nullptr;
}

QLabel* smallLine(const QString& name, QWidget* parent)
{
    auto* line = new QLabel(parent);
    line->setObjectName(name);
    // Its text comes from message lookup, not from the language file's component texts.
    i18n::excludeFromTranslation(line);
    line->setAlignment(Qt::AlignCenter);
    return line;
}

} // namespace

CatalogTools::CatalogTools(MainWindowLayout& layout, MessageLookup msg, std::function<QLocale()> languageLocale,
                           QWidget* window)
    : QObject(window), m_layout(layout), m_msg(std::move(msg)), m_window(window),
      m_copying(new ItemCopying(
          layout, [this](const char* key) { return text(key); }, this)),
      m_languageLocale(std::move(languageLocale))
{
    buildMenu();
    for (ListPage page : ListPages)
        addListGrid(m_layout.listGrid(page), ownCodeField(page), true);

    for (PictureBox* slot : m_layout.res) {
        slot->setCursor(Qt::PointingHandCursor);
        slot->installEventFilter(this);
    }
}

CatalogTools::~CatalogTools()
{
    delete m_menu;
}

QString CatalogTools::text(const char* key) const
{
    return m_msg(QString::fromLatin1(key));
}

void CatalogTools::buildMenu()
{
    // Not a child of the window: like the bar's other menus it takes its texts from message lookup only.
    m_menu = new QMenu;
    m_menu->setObjectName("btnTools");
    auto add = [this](const char* name, const QKeySequence& shortcut, const std::function<void()>& action) {
        auto* entry = m_menu->addAction(QString());
        entry->setObjectName(QString::fromLatin1(name));
        entry->setShortcut(shortcut);
        connect(entry, &QAction::triggered, this, action);
        m_window->addAction(entry);
        return entry;
    };
    m_copyCode = add("mnuCopyCode", {}, [this] { m_copying->copyCode(); });
    m_copyAllCodes = add("mnuCopyAllCodes", {}, [this] { m_copying->copyAllCodes(); });
    m_copyRow = add("mnuCopyRow", {}, [this] { m_copying->copyRow(); });
    m_menu->addSeparator();
    m_sortMenu = m_menu->addMenu(QString());
    m_sortMenu->setObjectName("mnuSortList");
    connect(m_sortMenu, &QMenu::aboutToShow, this, &CatalogTools::fillSortMenu);
    m_export = add("mnuExportList", QKeySequence(Qt::CTRL | Qt::Key_E), [this] { exportListAs(); });
    m_menu->addSeparator();
    m_picture = add("mnuShowPicture", QKeySequence(Qt::CTRL | Qt::Key_L), [this] { showPictureLarge(0); });
    m_menu->addSeparator();
    m_about = add("mnuAbout", QKeySequence(Qt::Key_F1), [this] { showAbout(); });
    connect(m_menu, &QMenu::aboutToShow, this, [this] {
        const bool item = !m_layout.DBText1->text().isEmpty();
        m_copyCode->setEnabled(item);
        m_copyAllCodes->setEnabled(item);
        m_copyRow->setEnabled(m_copying->actingGrid() && m_copying->actingGrid()->currentIndex().isValid());
        m_sortMenu->setEnabled(openListGrid() != nullptr);
        m_export->setEnabled(openListGrid() != nullptr);
        m_picture->setEnabled(!m_layout.res[0]->isHidden());
    });
    // The shortcuts work while the menu is closed, whatever it last showed; each action checks for itself.
    connect(m_menu, &QMenu::aboutToHide, this, [this] {
        for (QAction* entry : m_menu->actions())
            entry->setEnabled(true);
    });
    if (auto* bar = m_window->findChild<QMenuBar*>())
        bar->addMenu(m_menu);

    // The catalog's date and the program's version, under the logo in the banner: it moves no page and leaves the
    // menu bar's width to the menus, which need all of it in German at the design size.
    m_catalogLine = smallLine("lblCatalogDate", m_layout.cntSouth);
    m_catalogLine->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_catalogLine->setGeometry(12, 72, 480, 14);
    QPalette grey = m_catalogLine->palette();
    grey.setColor(QPalette::WindowText, QColor(110, 110, 110));
    m_catalogLine->setPalette(grey);
    m_catalogLine->show();
}

void CatalogTools::addListGrid(QTableView* grid, const QStringList& ownFields, bool withRowCount)
{
    QHeaderView* header = grid->horizontalHeader();
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, this, [this, grid](int column) { sortList(grid, column); });
    ListGrid list{grid, nullptr, ownFields};
    if (withRowCount) {
        QWidget* listPage = grid->parentWidget();
        list.rowCount = smallLine(QStringLiteral("lblRowCount%1").arg(m_lists.size()), listPage);
        list.rowCount->setFixedHeight(16);
        listPage->layout()->addWidget(list.rowCount);
    }
    m_lists.append(list);
    // The item page's grids get their models once the database is open; the browser knows their lists by page.
    if (const auto* model = queryModel(grid))
        m_copying->addListGrid(model->query(), grid);
    if (m_browser)
        watchList(m_lists.size() - 1);
}

void CatalogTools::watchList(int list)
{
    QTableView* grid = m_lists.at(list).grid;
    if (auto* model = queryModel(grid)) {
        connect(model, &QAbstractItemModel::modelReset, this, [this, list, grid] {
            updateRowCount(list);
            updateSortIndicator(grid);
        });
    }
    updateRowCount(list);
}

QLabel* CatalogTools::rowCount(ListPage page) const
{
    return m_lists.at(int(page)).rowCount;
}

QLabel* CatalogTools::rowCount(const QTableView* grid) const
{
    for (const ListGrid& list : m_lists)
        if (list.grid == grid)
            return list.rowCount;
    return nullptr;
}

void CatalogTools::bind(catalog::CatalogBrowser* browser, const QString& connectionName, const QString& applicationDir)
{
    m_browser = browser;
    m_copying->bind(browser);
    m_connectionName = connectionName;
    m_applicationDir = applicationDir;
    for (int list = 0; list < m_lists.size(); ++list)
        watchList(list);
}

void CatalogTools::setCaptions()
{
    m_menu->setTitle(text("btnTools"));
    m_copyCode->setText(text("copyCode"));
    m_copyAllCodes->setText(text("copyAllCodes"));
    m_copyRow->setText(text("copyRow"));
    m_sortMenu->setTitle(text("sortList"));
    m_export->setText(text("exportList"));
    m_picture->setText(text("showPicture"));
    m_about->setText(text("about"));
    for (int list = 0; list < m_lists.size(); ++list)
        updateRowCount(list);
    refreshCatalogFacts();
}

void CatalogTools::refreshCatalogFacts()
{
    if (m_browser) {
        try {
            const catalog::CatalogFacts facts = catalog::readCatalogFacts(m_connectionName);
            m_lastUpdate = facts.lastUpdate;
            m_items = facts.items;
            m_codes = facts.codes;
        } catch (const catalog::DatabaseError&) {
            // The line and the About box keep what they read last; the lists report database failures.
        }
    }
    m_catalogLine->setText(catalogDateText() + QStringLiteral("   ") +
                           text("programVersion").arg(QStringLiteral(VELKORN_VERSION_STRING)));
}

QLocale CatalogTools::languageLocale() const
{
    return m_languageLocale ? m_languageLocale() : QLocale();
}

QString CatalogTools::catalogDateText() const
{
    if (!m_lastUpdate.isValid())
        return text("catalogNeverUpdated");
    // With the month's name as the chosen language writes it, whatever the system's locale is.
    const QLocale locale = languageLocale();
    const QString format =
        locale.language() == QLocale::German ? QStringLiteral("d. MMMM yyyy") : QStringLiteral("d MMMM yyyy");
    return text("catalogDate").arg(locale.toString(m_lastUpdate, format));
}

QString CatalogTools::aboutText() const
{
    const QLocale locale = languageLocale();
    return QStringList{QStringLiteral("Velkorn"),
                       text("programVersion").arg(QStringLiteral(VELKORN_VERSION_STRING)),
                       catalogDateText(),
                       text("itemCount").arg(locale.toString(m_items)),
                       text("codeCount").arg(locale.toString(m_codes)),
                       text("applicationDir").arg(QDir::toNativeSeparators(m_applicationDir))}
        .join(QLatin1Char('\n'));
}

void CatalogTools::showAbout()
{
    refreshCatalogFacts();
    widgets::showMessageBox({m_window, text("aboutCaption"), aboutText(), widgets::BoxIcon::Information});
}

void CatalogTools::updateRowCount(int list)
{
    const ListGrid& each = m_lists.at(list);
    if (!each.rowCount)
        return;
    const auto* model = queryModel(each.grid);
    if (!model || !model->query()->isActive()) {
        each.rowCount->clear();
        return;
    }
    const int rows = model->query()->recordCount();
    each.rowCount->setText(rows == 1 ? text("rowCount1") : text("rowCount").arg(languageLocale().toString(rows)));
}

QTableView* CatalogTools::openListGrid() const
{
    QTableView* grid = m_copying->currentListGrid();
    const auto* model = queryModel(grid);
    return model && model->query()->isActive() ? grid : nullptr;
}

// ---------------------------------------------------------------------------------------------------------------
// Sorting

void CatalogTools::sortList(QTableView* grid, int column)
{
    auto* model = queryModel(grid);
    if (!model || !model->query()->isActive())
        return;
    catalog::TQuery* list = model->query();
    const QString field = list->fieldNames().value(column);
    if (field.isEmpty())
        return;
    const bool again = list->rowOrderField().compare(field, Qt::CaseInsensitive) == 0;
    list->setRowOrder(field,
                      again && list->rowOrder() == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
    updateSortIndicator(grid);
}

void CatalogTools::updateSortIndicator(QTableView* grid)
{
    const auto* model = queryModel(grid);
    if (!model)
        return;
    const catalog::TQuery* list = model->query();
    grid->horizontalHeader()->setSortIndicator(list->fieldIndex(list->rowOrderField()), list->rowOrder());
}

void CatalogTools::fillSortMenu()
{
    m_sortMenu->clear();
    QTableView* grid = m_copying->currentListGrid();
    const auto* model = queryModel(grid);
    if (!model)
        return;
    const catalog::TQuery* list = model->query();
    const int sorted = list->fieldIndex(list->rowOrderField());
    for (int visual = 0; visual < grid->horizontalHeader()->count(); ++visual) {
        const int column = grid->horizontalHeader()->logicalIndex(visual);
        if (grid->isColumnHidden(column))
            continue;
        QAction* entry = m_sortMenu->addAction(model->headerData(column, Qt::Horizontal).toString());
        entry->setCheckable(true);
        entry->setChecked(column == sorted);
        connect(entry, &QAction::triggered, this, [this, grid, column] { sortList(grid, column); });
    }
}

// ---------------------------------------------------------------------------------------------------------------
// Export and pictures

bool CatalogTools::exportList(const QString& fileName)
{
    QTableView* grid = openListGrid();
    const auto* model = queryModel(grid);
    if (!model)
        return false;
    QStringList ownFields;
    for (const ListGrid& list : m_lists)
        if (list.grid == grid)
            ownFields = list.ownFields;
    QList<QPair<QString, QString>> matching;
    const QStringList fields = model->query()->fieldNames();
    for (int visual = 0; visual < grid->horizontalHeader()->count(); ++visual) {
        const int column = grid->horizontalHeader()->logicalIndex(visual);
        if (!grid->isColumnHidden(column) && !ownFields.contains(fields.value(column)))
            matching.append({fields.value(column), model->headerData(column, Qt::Horizontal).toString()});
    }
    const catalog::ExportCaptions captions{m_msg("gridStyleCODE"), m_msg("btnStyle"), m_copying->technicalCaptions()};
    QByteArray document;
    try {
        document = catalog::csvDocument(
            catalog::listExportTable(*model->query(), matching, captions, m_connectionName, m_msg, QLocale::system()),
            catalog::csvSeparatorFor(QLocale::system()));
    } catch (const catalog::DatabaseError& e) {
        widgets::showMessageBox({m_window, "Velkorn", e.message(), widgets::BoxIcon::Error});
        return false;
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size() || !file.commit()) {
        widgets::showMessageBox({m_window, "Velkorn", text("exportFailed").arg(QDir::toNativeSeparators(fileName)),
                                 widgets::BoxIcon::Error});
        return false;
    }
    return true;
}

void CatalogTools::exportListAs()
{
    if (!openListGrid())
        return;
    QString title = text("exportList");
    while (title.endsWith(QLatin1Char('.')) || title.endsWith(QChar(0x2026)))
        title.chop(1);
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QString fileName =
        QFileDialog::getSaveFileName(m_window, title, folder + QStringLiteral("/velkorn.csv"), text("exportFilter"));
    if (fileName.isEmpty())
        return;
    if (QFileInfo(fileName).suffix().isEmpty())
        fileName += QStringLiteral(".csv");
    exportList(fileName);
}

void CatalogTools::showPictureLarge(int slot)
{
    PictureBox* box = m_layout.res.at(slot);
    if (box->isHidden() || box->pixmap().isNull())
        return;
    PictureViewer::showLarge(box->pixmap(), m_layout.DBText1->text(), m_window);
}

bool CatalogTools::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        for (int slot = 0; slot < 3; ++slot)
            if (watched == m_layout.res[slot]) {
                showPictureLarge(slot);
                return true;
            }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace app
