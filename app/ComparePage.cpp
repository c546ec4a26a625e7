#include "app/ComparePage.h"

#include "app/MainWindowLayout.h"
#include "app/PictureBox.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace app {

const QColor ComparePage::DiffersColour(255, 224, 138);

namespace {

constexpr int PicturesRow = 0;
constexpr int ButtonsRow = 1;
constexpr int PicturesHeight = 150;

PictureBox* picture(QWidget* parent, const QImage& image)
{
    auto* box = new PictureBox(parent, PictureBox::CenterFit);
    box->setPixmap(QPixmap::fromImage(image));
    return box;
}

// The first picture large, the second and third small beside it, as the item view ranks them.
QWidget* picturesCell(const QVector<QImage>& pictures)
{
    auto* cell = new QWidget;
    auto* row = new QHBoxLayout(cell);
    row->setContentsMargins(4, 4, 4, 4);
    if (pictures.isEmpty())
        return cell;
    row->addWidget(picture(cell, pictures.first()), 2);
    if (pictures.size() > 1) {
        auto* small = new QVBoxLayout;
        for (int i = 1; i < pictures.size(); ++i)
            small->addWidget(picture(cell, pictures.at(i)), 1);
        if (pictures.size() == 2)
            small->addStretch(1);
        row->addLayout(small, 1);
    }
    return cell;
}

QWidget* buttonsCell(const ComparePage::Column& column, const ComparePage::Actions& actions)
{
    auto* cell = new QWidget;
    auto* row = new QHBoxLayout(cell);
    row->setContentsMargins(4, 1, 4, 1);
    auto* show = new QPushButton(actions.showItem, cell);
    show->setObjectName(QStringLiteral("btnCompareShow%1").arg(column.itemId));
    auto* remove = new QPushButton(actions.remove, cell);
    remove->setObjectName(QStringLiteral("btnCompareRemove%1").arg(column.itemId));
    const int itemId = column.itemId;
    QObject::connect(show, &QPushButton::clicked, cell, [f = actions.onShowItem, itemId] { f(itemId); });
    QObject::connect(remove, &QPushButton::clicked, cell, [f = actions.onRemove, itemId] { f(itemId); });
    row->addWidget(show);
    row->addWidget(remove);
    row->addStretch(1);
    return cell;
}

QTableWidgetItem* cell(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(Qt::ItemIsEnabled);
    item->setToolTip(text);
    return item;
}

} // namespace

QTableWidgetItem* ComparePage::boldCell(const QString& text) const
{
    QTableWidgetItem* item = cell(text);
    QFont bold = grdCompare->font();
    bold.setBold(true);
    item->setFont(bold);
    return item;
}

ComparePage::ComparePage()
{
    pgCompare = new QWidget;
    pgCompare->setObjectName("pgCompare");
    auto* column = new QVBoxLayout(pgCompare);
    column->setContentsMargins(12, 8, 12, 8);

    auto* top = new QHBoxLayout;
    lblCompareTitle = pageTitle(pgCompare, "lblCompareTitle");
    top->addWidget(lblCompareTitle);
    top->addSpacing(16);
    lblCompareLegend = new QLabel(pgCompare);
    lblCompareLegend->setObjectName("lblCompareLegend");
    lblCompareLegend->setTextFormat(Qt::RichText);
    top->addWidget(lblCompareLegend, 1);
    btnCompareSavePdf = new QPushButton(pgCompare);
    btnCompareSavePdf->setObjectName("btnCompareSavePdf");
    btnCompareClear = new QPushButton(pgCompare);
    btnCompareClear->setObjectName("btnCompareClear");
    top->addWidget(btnCompareSavePdf);
    top->addWidget(btnCompareClear);
    column->addLayout(top);

    lblCompareEmpty = new QLabel(pgCompare);
    lblCompareEmpty->setObjectName("lblCompareEmpty");
    lblCompareEmpty->setWordWrap(true);
    lblCompareEmpty->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    column->addWidget(lblCompareEmpty);

    grdCompare = new QTableWidget(pgCompare);
    grdCompare->setObjectName("grdCompare");
    styleListGrid(grdCompare);
    // Nothing to select: a selection would hide the marking of the values that differ.
    grdCompare->setSelectionMode(QAbstractItemView::NoSelection);
    // Long names and code lists wrap; the lines grow with them whenever the columns change width.
    grdCompare->setWordWrap(true);
    // Once the columns have settled, after the layout that moves them all.
    QObject::connect(grdCompare->horizontalHeader(), &QHeaderView::sectionResized, grdCompare,
                     [this] { fitLinesLater(); });
    column->addWidget(grdCompare, 1);
}

void ComparePage::fill(const QVector<Column>& columns, const QVector<catalog::ComparisonRow>& rows,
                       const Heading& heading, const Actions& actions)
{
    grdCompare->clear();
    grdCompare->clearSpans();
    const bool empty = columns.isEmpty();
    lblCompareEmpty->setVisible(empty);
    grdCompare->setVisible(!empty);
    btnCompareSavePdf->setEnabled(!empty);
    btnCompareClear->setEnabled(!empty);
    if (empty) {
        grdCompare->setRowCount(0);
        grdCompare->setColumnCount(0);
        return;
    }

    const int columnCount = FirstItemColumn + int(columns.size());
    grdCompare->setColumnCount(columnCount);
    QStringList header{QString(), QString()};
    for (const Column& c : columns)
        header << c.code;
    grdCompare->setHorizontalHeaderLabels(header);

    // Pictures and buttons first, then the lines, each a section's heading (no row) or a row of the comparison.
    QVector<std::pair<QString, const catalog::ComparisonRow*>> lines;
    std::optional<catalog::ComparisonSection> section;
    for (const catalog::ComparisonRow& row : rows) {
        if (row.section != section) {
            section = row.section;
            if (const QString text = heading(row.section); !text.isEmpty())
                lines.append({text, nullptr});
        }
        lines.append({QString(), &row});
    }
    grdCompare->setRowCount(ButtonsRow + 1 + int(lines.size()));
    grdCompare->setRowHeight(PicturesRow, PicturesHeight);
    grdCompare->setRowHeight(ButtonsRow, 30);
    for (int i = 0; i < columns.size(); ++i) {
        grdCompare->setCellWidget(PicturesRow, FirstItemColumn + i, picturesCell(columns.at(i).pictures));
        grdCompare->setCellWidget(ButtonsRow, FirstItemColumn + i, buttonsCell(columns.at(i), actions));
    }
    int line = ButtonsRow;
    for (const auto& [text, row] : std::as_const(lines)) {
        ++line;
        if (!row) {
            QTableWidgetItem* item = boldCell(text);
            item->setForeground(QColor(204, 17, 17));
            item->setBackground(QColor(240, 240, 240));
            grdCompare->setItem(line, 0, item);
            grdCompare->setSpan(line, 0, 1, columnCount);
            continue;
        }
        grdCompare->setItem(line, 0, cell(row->label));
        grdCompare->setItem(line, 1, cell(row->unit));
        for (int i = 0; i < row->values.size(); ++i) {
            QTableWidgetItem* value = row->differs ? boldCell(row->values.at(i)) : cell(row->values.at(i));
            value->setData(Qt::UserRole, row->differs);
            if (row->differs)
                value->setBackground(DiffersColour);
            grdCompare->setItem(line, FirstItemColumn + i, value);
        }
    }

    QHeaderView* h = grdCompare->horizontalHeader();
    h->setStretchLastSection(false);
    h->setSectionResizeMode(0, QHeaderView::Interactive);
    grdCompare->setColumnWidth(0, 190);
    h->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    for (int c = FirstItemColumn; c < columnCount; ++c)
        h->setSectionResizeMode(c, QHeaderView::Stretch);
    fitLinesLater();
}

void ComparePage::fitLinesLater()
{
    if (m_fitPending)
        return;
    m_fitPending = true;
    QMetaObject::invokeMethod(
        grdCompare, [this] { fitLines(); }, Qt::QueuedConnection);
}

void ComparePage::fitLines()
{
    m_fitPending = false;
    for (int line = ButtonsRow + 1; line < grdCompare->rowCount(); ++line)
        grdCompare->resizeRowToContents(line);
}

} // namespace app
