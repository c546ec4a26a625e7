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

namespace app {

namespace {

using catalog::ListPage;

const std::array<ListPage, 4> ListPages = {ListPage::OemCross, ListPage::Style, ListPage::SearchResults,
                                           ListPage::Kullanim};

// The item's own code in a list's rows; the search results show only the code that matched.
QString ownCodeField(ListPage page)
{
    switch (page) {
    case ListPage::OemCross:
        return QStringLiteral("VELKORNCODE");
    case ListPage::Style:
    case ListPage::Kullanim:
        return QStringLiteral("CODE");
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

CatalogTools::CatalogTools(MainWindowLayout& layout, MessageLookup msg, QWidget* window)
    : QObject(window), m_layout(layout), m_msg(std::move(msg)), m_window(window),
      m_copying(new ItemCopying(
          layout, [this](const char* key) { return text(key); }, this))
{
    buildMenu();
    buildRowCounts();

    for (PictureBox* slot : m_layout.res) {
        slot->setCursor(Qt::PointingHandCursor);
        slot->installEventFilter(this);
    }
    for (ListPage page : ListPages) {
        QTableView* grid = m_layout.listGrid(page);
        QHeaderView* header = grid->horizontalHeader();
        header->setSectionsClickable(true);
        header->setSortIndicatorShown(true);
        header->setSortIndicator(-1, Qt::AscendingOrder);
        connect(header, &QHeaderView::sectionClicked, this, [this, grid](int column) { sortList(grid, column); });
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
        m_sortMenu->setEnabled(m_copying->currentListGrid() != nullptr);
        m_export->setEnabled(m_copying->currentListGrid() != nullptr);
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

void CatalogTools::buildRowCounts()
{
    for (ListPage page : ListPages) {
        QWidget* listPage = m_layout.listGrid(page)->parentWidget();
        QLabel* count = smallLine(QStringLiteral("lblRowCount%1").arg(int(page)), listPage);
        count->setFixedHeight(16);
        listPage->layout()->addWidget(count);
        m_rowCounts[int(page)] = count;
    }
}

QLabel* CatalogTools::rowCount(ListPage page) const
{
    return m_rowCounts.at(int(page));
}

void CatalogTools::bind(catalog::CatalogBrowser* browser, const QString& connectionName, const QString& applicationDir)
{
    m_browser = browser;
    m_copying->bind(browser);
    m_connectionName = connectionName;
    m_applicationDir = applicationDir;
    for (ListPage page : ListPages) {
        QTableView* grid = m_layout.listGrid(page);
        if (auto* model = queryModel(grid)) {
            connect(model, &QAbstractItemModel::modelReset, this, [this, page, grid] {
                updateRowCount(int(page));
                updateSortIndicator(grid);
            });
        }
        updateRowCount(int(page));
    }
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
    for (int page = 0; page < 4; ++page)
        updateRowCount(page);
    refreshCatalogFacts();
}

void CatalogTools::refreshCatalogFacts()
{
    if (m_browser) {
        try {
            const catalog::CatalogFacts facts = catalog::readCatalogFacts(m_connectionName);
            m_catalogDate = facts.lastUpdate.isValid()
                                ? QLocale::system().toString(facts.lastUpdate, QLocale::ShortFormat)
                                : QString();
            m_items = facts.items;
            m_codes = facts.codes;
        } catch (const catalog::DatabaseError&) {
            // The line and the About box keep what they read last; the lists report database failures.
        }
    }
    const QString date = m_catalogDate.isEmpty() ? text("neverUpdated") : m_catalogDate;
    m_catalogLine->setText(text("catalogDate").arg(date) + QStringLiteral("   ") +
                           text("programVersion").arg(QStringLiteral(VELKORN_VERSION_STRING)));
}

QString CatalogTools::aboutText() const
{
    const QLocale locale = QLocale::system();
    return QStringList{QStringLiteral("Velkorn"),
                       text("programVersion").arg(QStringLiteral(VELKORN_VERSION_STRING)),
                       text("catalogDate").arg(m_catalogDate.isEmpty() ? text("neverUpdated") : m_catalogDate),
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

void CatalogTools::updateRowCount(int page)
{
    QLabel* count = m_rowCounts.at(page);
    const auto* model = queryModel(m_layout.listGrid(ListPage(page)));
    if (!model || !model->query()->isActive()) {
        count->clear();
        return;
    }
    const int rows = model->query()->recordCount();
    count->setText(rows == 1 ? text("rowCount1") : text("rowCount").arg(QLocale::system().toString(rows)));
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
    QTableView* grid = m_copying->currentListGrid();
    const auto* model = queryModel(grid);
    if (!model)
        return false;
    const ListPage page = m_browser->pageOf(m_browser->currentList());
    QList<QPair<QString, QString>> matching;
    const QStringList fields = model->query()->fieldNames();
    for (int visual = 0; visual < grid->horizontalHeader()->count(); ++visual) {
        const int column = grid->horizontalHeader()->logicalIndex(visual);
        if (!grid->isColumnHidden(column) && fields.value(column) != ownCodeField(page))
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
    if (!m_copying->currentListGrid())
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
