#pragma once

#include <QStringList>
#include <QTableView>

class TextGrid;

/// The least a list window shows of its grid however small it is made: the first columns
/// and a few record lines; scroll bars reach the rest.
inline constexpr int MinimumColumns = 2;
inline constexpr int MinimumRecords = 3;

/// A read-only view of a TextGrid as a list window shows it: titles in the header, one
/// line per record, fixed row height and column widths, the current record highlighted.
/// Rows are counted as the grid counts them (row 0 = titles, the first record is row 1).
/// Ctrl+A selects every record, Ctrl+C copies the selected cells as tab-separated lines.
class GridView : public QTableView
{
    Q_OBJECT
public:
    explicit GridView(QWidget* parent = nullptr);

    void setGrid(TextGrid* grid);
    [[nodiscard]] TextGrid* grid() const { return m_grid; }

    /// Makes each column as wide as its width text in the view's font plus the cell padding.
    void setColumnWidthTexts(const QStringList& texts);
    /// The pixels a column needs besides its text: the item margins and the grid line.
    [[nodiscard]] int cellPadding() const;
    /// Height of one record line.
    [[nodiscard]] int rowHeight() const;
    /// The size of a view that shows the titles and `records` whole record lines, with
    /// room for the vertical scroll bar.
    [[nodiscard]] QSize sizeForRecords(int records) const;
    /// The same as wide as the first `columns` columns only, with room for the horizontal
    /// scroll bar that reaches the others: the smallest a list window lets its grid become.
    [[nodiscard]] QSize sizeForRecords(int records, int columns) const;
    /// Whole record lines the view has room for at its present size (at least one).
    [[nodiscard]] int recordsInView() const;

    /// The first record line in view (grid row, 1 for the first record).
    [[nodiscard]] int topRow() const;
    /// Scrolls so that grid row `row` is the first record line in view.
    void setTopRow(int row);
    /// Makes grid row `row` (1..) the current, highlighted row without scrolling; when the
    /// user has selected several rows, they stay selected instead.
    void setCurrentRow(int row);
    /// The current grid row, 0 when no record is current.
    [[nodiscard]] int currentRow() const;
    /// The selected cells as a spreadsheet takes them: one line per row that holds one, its
    /// cells in column order separated by tabs (an unselected cell between two selected ones
    /// left empty), each line ended by a line feed.
    [[nodiscard]] QString selectedText() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    TextGrid* m_grid = nullptr;
};
