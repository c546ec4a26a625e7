#include "app/CatalogPresenter.h"

#include "app/CodeSuggestions.h"
#include "app/CodesDelegate.h"
#include "app/DataText.h"
#include "app/MainWindowLayout.h"
#include "app/PageControl.h"
#include "app/PictureBox.h"
#include "catalog/BackgroundCodeIndex.h"
#include "catalog/CatalogBrowser.h"
#include "catalog/CatalogDatabase.h"
#include "catalog/LookupChannel.h"
#include "catalog/LookupService.h"
#include "catalog/QueryTableModel.h"
#include "widgets/MessageBox.h"

#include <QAction>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QTableView>

namespace app {

namespace {
const QColor PromptGrey(128, 128, 128);

void setTextColour(QLineEdit* box, const QColor& colour)
{
    QPalette p = box->palette();
    p.setColor(QPalette::Text, colour);
    box->setPalette(p);
}
} // namespace

CatalogPresenter::CatalogPresenter(MainWindowLayout& layout, QPointer<QTableView>& currentGrid, MessageLookup msg,
                                   QWidget* window)
    : QObject(window), m_layout(layout), m_currentGrid(currentGrid), m_msg(std::move(msg)), m_window(window)
{
    m_columnCaptions.insert("gridOemCrossVELKORNCODE", "Velkorn");
    m_columnCaptions.insert("grdSearchColumn3", "Code Type");
    m_columnCaptions.insert("dxDBGridMaskColumn1", "Code");
    for (QLineEdit* box : {m_layout.edtSearch, m_layout.dxEdit1}) {
        setTextColour(box, PromptGrey);
        box->installEventFilter(this);
    }
}

void CatalogPresenter::bind(const QString& connectionName, const catalog::CatalogLocation& location,
                            const QString& applicationDir, const std::function<void(QThread*)>& threadStarted)
{
    if (m_browser)
        return;
    m_browser = new catalog::CatalogBrowser(connectionName, applicationDir, m_msg, m_window);
    m_browser->setLocale(QLocale::system());
    for (int page = 0; page < 4; ++page) {
        const auto listPage = catalog::ListPage(page);
        bindGrid(m_layout.listGrid(listPage), new catalog::QueryTableModel(m_browser->queryOf(listPage), m_window));
    }
    bindGrid(m_layout.dxDBGrid1, new catalog::QueryTableModel(m_browser->qryCodes, m_window));
    m_layout.dxDBGrid1->setItemDelegate(new CodesDelegate(3, m_layout.dxDBGrid1));
    applyColumnCaptions();
    connect(m_browser, &catalog::CatalogBrowser::itemOpened, this, [this] {
        m_layout.WallPaper5->show();
        m_layout.DBText1->show();
        m_layout.cntItem->show();
    });
    connect(m_browser, &catalog::CatalogBrowser::itemLoaded, this, &CatalogPresenter::showItem);
    connect(m_browser, &catalog::CatalogBrowser::picturesLoaded, this, &CatalogPresenter::showPictures);
    connect(m_browser, &catalog::CatalogBrowser::allClosed, this, &CatalogPresenter::clearItem);

    m_codeIndex = new catalog::BackgroundCodeIndex(location, this);
    m_codeIndex->threadStarted = threadStarted;
    m_browser->setCodeIndex(m_codeIndex);
    m_codeIndex->rebuild();
    // velkorn-lookup asks this index while the window is open, unless another program of the catalog answers it.
    auto* lookups = new catalog::LookupService(this);
    lookups->follow(m_codeIndex);
    lookups->start(catalog::lookupchannel::socketPath(location));
    m_suggestions = CodeSuggestions::forIndex(m_window, m_codeIndex, {m_layout.edtSearch, m_layout.dxEdit1});
    connect(m_suggestions, &CodeSuggestions::itemChosen, this, &CatalogPresenter::openItem);
}

bool CatalogPresenter::suggestionKey(QLineEdit* box, int key)
{
    return m_suggestions && m_suggestions->handleKey(box, key);
}

QList<QAction*> CatalogPresenter::addCodeTypeEntries()
{
    QList<QAction*> added;
    if (!m_browser)
        return added;
    QVector<catalog::CodeTypeEntry> entries;
    runCatalogAction([&] { entries = m_browser->localDbAfterConnect(); });
    for (const catalog::CodeTypeEntry& e : entries) {
        QAction* entry =
            m_layout.addMenuEntry(e.oem ? m_layout.btnOem : m_layout.btnCross, e.name, e.caption, e.codeTypeId);
        entry->setToolTip(e.hint);
        entry->setVisible(true);
        added.append(entry);
    }
    return added;
}

void CatalogPresenter::runCatalogAction(const std::function<void()>& action)
{
    try {
        action();
    } catch (const catalog::DatabaseError& e) {
        showDatabaseError(e.message());
    }
}

void CatalogPresenter::showDatabaseError(const QString& message)
{
    if (m_connectionFailed && m_connectionFailed())
        return;
    widgets::showMessageBox({m_window, "Velkorn", message, widgets::BoxIcon::Error});
}

void CatalogPresenter::openList(catalog::ListPage page, const std::function<void()>& open)
{
    m_layout.showPage(MainPage::CenterItem);
    m_layout.showListPage(page);
    m_window->repaint();
    QCoreApplication::processEvents();
    m_currentGrid = m_layout.listGrid(page);
    if (m_browser)
        runCatalogAction(open);
}

void CatalogPresenter::openStyleList(int styleTag)
{
    openList(catalog::ListPage::Style, [this, styleTag] { m_browser->btnSTYLE1Click(styleTag); });
}

void CatalogPresenter::openUsageList(int usageTag)
{
    openList(catalog::ListPage::Kullanim, [this, usageTag] { m_browser->btnKullanim1Click(usageTag); });
}

void CatalogPresenter::openCodeTypeList(QAction* codeTypeEntry)
{
    m_layout.showPage(MainPage::CenterItem);
    setColumnCaption("grdColCode2", codeTypeEntry->text());
    const int tag = codeTypeEntry->data().toInt();
    openList(catalog::ListPage::OemCross, [this, tag] { m_browser->buttonClick(tag); });
}

void CatalogPresenter::openItem(int itemId)
{
    if (!m_browser)
        return;
    runCatalogAction([&] { m_browser->showItem(itemId); });
    m_layout.showPage(MainPage::CenterItem);
}

void CatalogPresenter::stepBack()
{
    if (m_browser)
        runCatalogAction([this] { m_browser->btnPrevClick(); });
}

void CatalogPresenter::stepForward()
{
    if (m_browser)
        runCatalogAction([this] { m_browser->btnNextClick(); });
}

void CatalogPresenter::search()
{
    QLineEdit* box = m_layout.isShowing(MainPage::Intro) ? m_layout.dxEdit1 : m_layout.edtSearch;
    if (!m_browser)
        return;
    bool searched = false;
    runCatalogAction([&] { searched = m_browser->btnSearchClick(box->text()); });
    if (!searched)
        return;
    m_layout.showListPage(catalog::ListPage::SearchResults);
    m_window->repaint();
    QCoreApplication::processEvents();
    m_currentGrid = m_layout.grdSearch;
    m_layout.showPage(MainPage::CenterItem);
}

void CatalogPresenter::closeAll()
{
    if (m_browser)
        m_browser->closeAll();
}

void CatalogPresenter::bindGrid(QTableView* grid, catalog::QueryTableModel* model)
{
    grid->setModel(model);
    model->attachSelectionModel(grid->selectionModel());
    connect(model, &catalog::QueryTableModel::databaseError, this, &CatalogPresenter::showDatabaseError);
    connect(model, &QAbstractItemModel::modelReset, grid, [this, grid] { layoutGridColumns(grid); });
}

void CatalogPresenter::layoutGridColumns(QTableView* grid)
{
    auto* model = qobject_cast<catalog::QueryTableModel*>(grid->model());
    if (!model)
        return;
    QHeaderView* header = grid->horizontalHeader();
    auto hide = [&](const char* field) {
        const int column = model->columnOf(field);
        if (column >= 0)
            grid->setColumnHidden(column, true);
    };
    auto width = [&](const char* field, int w) {
        const int column = model->columnOf(field);
        if (column >= 0)
            grid->setColumnWidth(column, w);
    };
    if (grid == m_layout.dxDBGrid1) {
        hide("ID");
        hide("PREFIX");
        width("TYPE", 107);
        width("CODE", 118);
        if (auto* delegate = qobject_cast<CodesDelegate*>(grid->itemDelegate()))
            delegate->setPrefixColumn(model->columnOf("PREFIX"));
        return;
    }
    hide("ITEM_ID");
    if (grid == m_layout.gridOemCross) {
        width("VELKORNCODE", 94);
        width("CODE2", 89);
    } else if (grid == m_layout.grdSearch) {
        width("TYPE", 99);
        width("CODE", 105);
    }
    header->setStretchLastSection(true);
}

void CatalogPresenter::setColumnCaption(const QString& column, const QString& caption)
{
    m_columnCaptions.insert(column, caption);
    applyColumnCaptions();
}

void CatalogPresenter::applyColumnCaptions()
{
    if (!m_browser)
        return;
    auto caption = [this](QTableView* grid, const char* field, const QString& column) {
        if (m_columnCaptions.contains(column))
            static_cast<catalog::QueryTableModel*>(grid->model())
                ->setHeaderCaption(field, m_columnCaptions.value(column));
    };
    caption(m_layout.gridOemCross, "VELKORNCODE", "gridOemCrossVELKORNCODE");
    caption(m_layout.gridOemCross, "CODE2", "grdColCode2");
    caption(m_layout.gridStyle, "CODE", "gridStyleCODE");
    caption(m_layout.grdSearch, "TYPE", "grdSearchColumn3");
    caption(m_layout.grdSearch, "CODE", "dxDBGridMaskColumn1");
    caption(m_layout.grdKullanim, "CODE", "grdKullanimKod");
    caption(m_layout.dxDBGrid1, "TYPE", "grdColType");
    caption(m_layout.dxDBGrid1, "CODE", "grdColCode");
}

void CatalogPresenter::showItem(const catalog::ItemDetails& d)
{
    m_layout.DBText1->setText(d.code);
    m_layout.DBText10->setText(d.typeStr);
    const QStringList values = catalog::technicalValues(d);
    for (int i = 0; i < 8; ++i)
        m_layout.values[i]->setText(values.at(i));
    m_layout.studs->setVisible(d.studsVisible);
    for (int n = 1; n <= 4; ++n) {
        m_layout.tasit[n - 1]->setVisible(d.largeVehicle == n);
        m_layout.sTasit[n - 1]->setVisible(d.smallVehicle == n);
    }
}

void CatalogPresenter::showPictures(const QVector<QImage>& pictures)
{
    for (int n = 1; n <= 3; ++n) {
        PictureBox* slot = m_layout.res[n - 1];
        if (n <= pictures.size()) {
            slot->setPixmap(QPixmap::fromImage(pictures.at(n - 1)));
            slot->show();
        } else {
            slot->hide();
        }
    }
}

void CatalogPresenter::clearItem()
{
    // A committed synchronisation closed the item: its texts go blank, pictures and pictograms stay.
    m_layout.DBText1->setText(QString());
    m_layout.DBText10->setText(QString());
    for (DataText* value : m_layout.values)
        value->setText(QString());
}

bool CatalogPresenter::eventFilter(QObject* watched, QEvent* event)
{
    auto* box = static_cast<QLineEdit*>(watched);
    // Every route into or out of a box counts, the window's activation and deactivation included; only a pop-up
    // (the box's own context menu, an opened menu) takes the focus without leaving the box.
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut) {
        if (static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            if (event->type() == QEvent::FocusIn)
                searchBoxEntered(box);
            else
                searchBoxLeft(box);
        }
    }
    return QObject::eventFilter(watched, event);
}

void CatalogPresenter::searchBoxEntered(QLineEdit* box)
{
    box->clear();
    setTextColour(box, Qt::black);
}

void CatalogPresenter::searchBoxLeft(QLineEdit* box)
{
    box->setText(m_msg("edtSearch"));
    box->setCursorPosition(0);
    setTextColour(box, PromptGrey);
}

bool CatalogPresenter::searchBoxKey(int key)
{
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        search();
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (m_currentGrid)
            m_currentGrid->setFocus(Qt::OtherFocusReason);
        return true;
    default:
        return false;
    }
}

} // namespace app
