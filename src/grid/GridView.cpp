#include "GridView.h"

#include "TextGrid.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QScrollBar>
#include <QStyle>

#include <vector>

GridView::GridView(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("Grid"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    // More than one row, so that Ctrl+A and Ctrl+C copy a whole list.
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setWordWrap(false);
    setAlternatingRowColors(true);
    setTextElideMode(Qt::ElideNone);
    // The rows' own rule decides the scrolling; a new current row must not scroll by itself.
    setAutoScroll(false);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(rowHeight());
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
}

void GridView::setGrid(TextGrid* grid)
{
    m_grid = grid;
    setModel(grid);
}

int GridView::cellPadding() const
{
    // The item delegate's text margin on each side, and the grid line between cells.
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1;
    return 2 * margin + (showGrid() ? 1 : 0);
}

int GridView::rowHeight() const
{
    const int margin = style()->pixelMetric(QStyle::PM_FocusFrameVMargin, nullptr, this) + 1;
    return fontMetrics().height() + 2 * margin + (showGrid() ? 1 : 0);
}

void GridView::setColumnWidthTexts(const QStringList& texts)
{
    const QFontMetrics metrics = fontMetrics();
    for (int c = 0; c < texts.size(); ++c)
        setColumnWidth(c, metrics.horizontalAdvance(texts[c]) + cellPadding());
}

QSize GridView::sizeForRecords(int records) const
{
    return sizeForRecords(records, model() ? model()->columnCount() : 0) -
           QSize(0, horizontalScrollBar()->sizeHint().height());
}

QSize GridView::sizeForRecords(int records, int columns) const
{
    int width = 0;
    for (int c = 0; c < qMin(columns, model() ? model()->columnCount() : 0); ++c)
        width += columnWidth(c);
    width += verticalScrollBar()->sizeHint().width() + 2 * frameWidth();
    const int height = horizontalHeader()->sizeHint().height() + records * rowHeight() +
                       horizontalScrollBar()->sizeHint().height() + 2 * frameWidth();
    return {width, height};
}

int GridView::recordsInView() const
{
    return qMax(1, viewport()->height() / qMax(1, rowHeight()));
}

int GridView::topRow() const
{
    return verticalScrollBar()->value() + 1;
}

void GridView::setTopRow(int row)
{
    // Rows just added are laid out lazily; the scroll range must include them first.
    executeDelayedItemsLayout();
    updateGeometries();
    verticalScrollBar()->setValue(row - 1);
}

void GridView::setCurrentRow(int row)
{
    if (!m_grid || row < 1 || row >= m_grid->rows())
        return;
    const QModelIndex current = m_grid->index(row - 1, 0);
    // Several rows selected are the user's, to copy them: they stay selected while the list
    // moves on (a row every few seconds while it records).
    const QItemSelection selected = selectionModel()->selection();
    const bool usersRows =
        selected.size() > 1 || (selected.size() == 1 && selected.first().height() > 1);
    selectionModel()->setCurrentIndex(current, usersRows ? QItemSelectionModel::NoUpdate
                                                         : QItemSelectionModel::ClearAndSelect |
                                                               QItemSelectionModel::Rows);
}

int GridView::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}

QString GridView::selectedText() const
{
    const QAbstractItemModel* source = model();
    if (!source)
        return {};
    std::vector<bool> rows(size_t(source->rowCount()), false);
    std::vector<bool> columns(size_t(source->columnCount()), false);
    const QItemSelection selection = selectionModel()->selection();
    for (const QItemSelectionRange& range : selection) {
        for (int r = range.top(); r <= range.bottom(); ++r)
            rows[size_t(r)] = true;
        for (int c = range.left(); c <= range.right(); ++c)
            columns[size_t(c)] = true;
    }
    int first = 0;
    int last = int(columns.size()) - 1;
    while (first <= last && !columns[size_t(first)])
        ++first;
    while (last >= first && !columns[size_t(last)])
        --last;
    QString text;
    for (int r = 0; r < int(rows.size()); ++r) {
        if (!rows[size_t(r)])
            continue;
        for (int c = first; c <= last; ++c) {
            if (c > first)
                text += QLatin1Char('\t');
            const QModelIndex index = source->index(r, c);
            if (!selectionModel()->isSelected(index))
                continue;
            // The grid's own texts, without building a variant per cell.
            if (m_grid)
                text += m_grid->cellView(r + 1, c);
            else
                text += source->data(index, Qt::DisplayRole).toString();
        }
        text += QLatin1Char('\n');
    }
    return text;
}

void GridView::keyPressEvent(QKeyEvent* event)
{
    if (event == QKeySequence::Copy) {
        // Nothing selected leaves the clipboard as it was.
        if (const QString text = selectedText(); !text.isEmpty())
            QGuiApplication::clipboard()->setText(text);
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}
