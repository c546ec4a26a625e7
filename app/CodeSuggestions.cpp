#include "app/CodeSuggestions.h"

#include "catalog/BackgroundCodeIndex.h"
#include "i18n/texts/BuiltInTexts.h"

#include <QEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>

namespace app {

namespace {
constexpr int Width = 340;
constexpr int Padding = 4;
// The list grids' selection colour, so a chosen suggestion looks like a chosen list row.
const QColor ChosenRow(183, 191, 212);
const QColor TypeText(90, 90, 90);
} // namespace

CodeSuggestions::CodeSuggestions(QWidget* window, CodeSuggestionModel::Finder finder)
    : QWidget(window), m_model(std::move(finder)),
      m_moreRowsText(i18n::builtInText(QString(), QStringLiteral("moreCodes")))
{
    setObjectName("codeSuggestions");
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    hide();
}

CodeSuggestions* CodeSuggestions::forIndex(QWidget* window, catalog::BackgroundCodeIndex* index,
                                           const QList<QLineEdit*>& boxes)
{
    QPointer<catalog::BackgroundCodeIndex> source(index);
    auto* suggestions = new CodeSuggestions(window, [source](const QString& text, int limit, auto* rows, int* total) {
        const std::shared_ptr<const catalog::CodeIndex> codes = source ? source->index() : nullptr;
        if (!codes)
            return false;
        *rows = codes->search(text, limit, total);
        return true;
    });
    for (QLineEdit* box : boxes)
        suggestions->attach(box);
    return suggestions;
}

void CodeSuggestions::attach(QLineEdit* box)
{
    connect(box, &QLineEdit::textEdited, this, [this, box](const QString& text) {
        m_box = box;
        m_model.setText(text);
        refresh();
    });
    box->installEventFilter(this);
}

bool CodeSuggestions::handleKey(QLineEdit* box, int key)
{
    if (box != m_box)
        return false;
    const CodeSuggestionModel::KeyOutcome outcome = m_model.key(key);
    open(outcome.openItem);
    return outcome.consumed;
}

int CodeSuggestions::rowHeight() const
{
    return fontMetrics().height() + 4;
}

QString CodeSuggestions::moreRowsLine() const
{
    const int more = m_model.moreRows();
    return more > 0 ? m_moreRowsText.arg(more) : QString();
}

int CodeSuggestions::shownRows() const
{
    return int(m_model.rows().size()) + (m_model.moreRows() > 0 ? 1 : 0);
}

bool CodeSuggestions::eventFilter(QObject* watched, QEvent* event)
{
    // A context menu (the row's, the box's) takes the focus for a moment without leaving the box.
    const bool left =
        event->type() == QEvent::FocusOut && static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason;
    if (watched == m_box && (left || event->type() == QEvent::Hide)) {
        m_model.close();
        refresh();
    }
    return QWidget::eventFilter(watched, event);
}

void CodeSuggestions::refresh()
{
    if (!m_model.isOpen() || !m_box) {
        hide();
        return;
    }
    setFont(m_box->font());
    // Under the box, right-aligned with it: the boxes sit at the window's right edge.
    const QPoint boxBottomRight = m_box->mapTo(parentWidget(), QPoint(m_box->width(), m_box->height()));
    const int x = std::max(0, boxBottomRight.x() - Width);
    setGeometry(x, boxBottomRight.y(), Width, shownRows() * rowHeight() + 2);
    raise();
    show();
    update();
}

void CodeSuggestions::open(std::optional<int> item)
{
    refresh();
    if (item)
        emit itemChosen(*item);
}

int CodeSuggestions::rowAt(int y) const
{
    const int row = (y - 1) / rowHeight();
    return y >= 1 && row < m_model.rows().size() ? row : -1;
}

void CodeSuggestions::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    p.setPen(Qt::gray);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    const int h = rowHeight();
    const int inner = width() - 2;
    const int codeWidth = inner * 38 / 100;
    const int typeWidth = inner * 32 / 100;
    const QFontMetrics fm = fontMetrics();
    for (int row = 0; row < m_model.rows().size(); ++row) {
        const catalog::CodeHit& hit = m_model.rows().at(row);
        const QRect line(1, 1 + row * h, inner, h);
        if (row == m_model.current())
            p.fillRect(line, ChosenRow);
        auto cell = [&](int left, int w, const QString& text, const QColor& colour) {
            p.setPen(colour);
            p.drawText(QRect(line.left() + left + Padding, line.top(), w - 2 * Padding, h),
                       Qt::AlignVCenter | Qt::AlignLeft, fm.elidedText(text, Qt::ElideRight, w - 2 * Padding));
        };
        cell(0, codeWidth, hit.code, Qt::black);
        cell(codeWidth, typeWidth, hit.type, TypeText);
        cell(codeWidth + typeWidth, inner - codeWidth - typeWidth, m_model.ownCodeShown(row), Qt::black);
    }
    const QString more = moreRowsLine();
    if (!more.isEmpty()) {
        const QRect line(1 + Padding, 1 + int(m_model.rows().size()) * h, inner - 2 * Padding, h);
        QFont hintFont = font();
        hintFont.setItalic(true);
        p.setFont(hintFont);
        p.setPen(TypeText);
        p.drawText(line, Qt::AlignVCenter | Qt::AlignLeft,
                   QFontMetrics(hintFont).elidedText(more, Qt::ElideRight, line.width()));
    }
}

void CodeSuggestions::mouseMoveEvent(QMouseEvent* event)
{
    const int row = rowAt(int(event->position().y()));
    if (row >= 0 && row != m_model.current()) {
        m_model.setCurrent(row);
        update();
    }
}

void CodeSuggestions::mousePressEvent(QMouseEvent* event)
{
    const int row = rowAt(int(event->position().y()));
    if (event->button() == Qt::LeftButton)
        open(m_model.choose(row));
    if (event->button() == Qt::RightButton && row >= 0 && !m_addToComparison.isEmpty()) {
        const int itemId = m_model.rows().at(row).itemId;
        QMenu menu;
        menu.addAction(m_addToComparison, this, [this, itemId] { emit addToComparison(itemId); });
        menu.exec(event->globalPosition().toPoint());
    }
}

} // namespace app
