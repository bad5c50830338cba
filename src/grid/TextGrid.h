#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

/// The texts of a list window: row 0 holds the column titles, rows 1.. one record each, any
/// number of columns. Cells keep their texts exactly, leading blanks included.
///
/// As a Qt model it shows the records as its rows and the titles as its horizontal header,
/// so a view's header shows row 0; the save and print helpers see it as row 0. A record is
/// kept as its tab-separated line in one shared buffer, so tens of thousands of rows cost a
/// few megabytes and appending one is cheap. A cell's text never holds a tab: a tab is the
/// cell boundary of the add-row operation.
class TextGrid : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TextGrid(int columns, QObject* parent = nullptr);

    /// Rows counted as a list window counts them: the title row and the records.
    [[nodiscard]] int rows() const { return 1 + static_cast<int>(m_records.size()); }
    [[nodiscard]] int columns() const { return m_columns; }

    /// The text of `row` (0 = titles) and `column`; empty outside the grid.
    [[nodiscard]] QStringView cellView(int row, int column) const;
    [[nodiscard]] QString cell(int row, int column) const
    {
        return cellView(row, column).toString();
    }
    /// Every cell of `row`, one view per column (the views live until the grid changes).
    void rowCells(int row, std::vector<QStringView>& cells) const;

    /// Changes the number of columns; titles and cells beyond it are dropped from view.
    void setColumnCount(int columns);
    /// Sets the title of `column` (row 0).
    void setTitle(int column, const QString& title);
    /// Sets one cell; row 0 sets a title. A tab in `text` becomes a blank.
    void setCell(int row, int column, const QString& text);
    /// The add-row operation: a new last row from a tab-separated line, one field per
    /// column (missing fields are empty, fields beyond the last column are not shown).
    void appendRow(QStringView line);
    /// Many rows at once, e.g. a file being loaded.
    void appendRows(const QStringList& lines);
    /// Discards every record; the titles stay.
    void clearRecords();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Span
    {
        qsizetype start;
        qsizetype length;
    };
    [[nodiscard]] QStringView recordText(int record) const;
    void storeRecord(QStringView line);
    void compactIfWasteful();

    int m_columns;
    QStringList m_titles;
    QString m_text; // every record's line, back to back
    std::vector<Span> m_records;
    qsizetype m_unused = 0; // characters of lines replaced by setCell
};
