#include "GridView.h"

#include "TextGrid.h"

#include <QHeaderView>
#include <QScrollBar>
#include <QStyle>

GridView::GridView(QWidget* parent) : QTableView(parent)
{
    setObjectName(QStringLiteral("Grid"));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
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
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect |
                                                   QItemSelectionModel::Rows);
}

int GridView::currentRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? current.row() + 1 : 0;
}
