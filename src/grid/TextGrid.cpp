#include "TextGrid.h"

#include <algorithm>

namespace {

const QChar kTab(u'\t');

// The `column`-th tab-separated field of `line`.
QStringView field(QStringView line, int column)
{
    qsizetype start = 0;
    for (int c = 0; c < column; ++c) {
        const qsizetype tab = line.indexOf(kTab, start);
        if (tab < 0)
            return {};
        start = tab + 1;
    }
    const qsizetype end = line.indexOf(kTab, start);
    return line.sliced(start, (end < 0 ? line.size() : end) - start);
}

} // namespace

TextGrid::TextGrid(int columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::max(columns, 0))
{
    m_titles.resize(m_columns);
}

QStringView TextGrid::recordText(int record) const
{
    const Span& s = m_records[static_cast<size_t>(record)];
    return QStringView(m_text).sliced(s.start, s.length);
}

QStringView TextGrid::cellView(int row, int column) const
{
    if (column < 0 || column >= m_columns || row < 0 || row >= rows())
        return {};
    if (row == 0)
        return m_titles[column];
    return field(recordText(row - 1), column);
}

void TextGrid::rowCells(int row, std::vector<QStringView>& cells) const
{
    cells.assign(static_cast<size_t>(m_columns), QStringView());
    if (row < 0 || row >= rows())
        return;
    if (row == 0) {
        for (int c = 0; c < m_columns; ++c)
            cells[static_cast<size_t>(c)] = m_titles[c];
        return;
    }
    const QStringView line = recordText(row - 1);
    qsizetype start = 0;
    for (int c = 0; c < m_columns && start <= line.size(); ++c) {
        qsizetype end = line.indexOf(kTab, start);
        if (end < 0)
            end = line.size();
        cells[static_cast<size_t>(c)] = line.sliced(start, end - start);
        start = end + 1;
    }
}

void TextGrid::setColumnCount(int columns)
{
    beginResetModel();
    m_columns = std::max(columns, 0);
    m_titles.resize(m_columns);
    endResetModel();
}

void TextGrid::setTitle(int column, const QString& title)
{
    if (column < 0 || column >= m_columns)
        return;
    m_titles[column] = title;
    emit headerDataChanged(Qt::Horizontal, column, column);
}

void TextGrid::setCell(int row, int column, const QString& text)
{
    if (column < 0 || column >= m_columns || row < 0 || row >= rows())
        return;
    QString clean = text;
    clean.replace(kTab, QLatin1Char(' '));
    if (row == 0) {
        setTitle(column, clean);
        return;
    }
    std::vector<QStringView> cells;
    rowCells(row, cells);
    QString line;
    for (int c = 0; c < m_columns; ++c) {
        if (c > 0)
            line += kTab;
        line += c == column ? QStringView(clean) : cells[static_cast<size_t>(c)];
    }
    // The new line goes to the end of the buffer; the old one is left unused.
    m_unused += m_records[static_cast<size_t>(row - 1)].length;
    m_records[static_cast<size_t>(row - 1)] = {m_text.size(), line.size()};
    m_text += line;
    compactIfWasteful();
    const QModelIndex changed = index(row - 1, column);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void TextGrid::compactIfWasteful()
{
    if (m_unused < 4096 || m_unused < m_text.size() / 2)
        return;
    QString packed;
    packed.reserve(m_text.size() - m_unused);
    for (Span& s : m_records) {
        const qsizetype start = packed.size();
        packed += QStringView(m_text).sliced(s.start, s.length);
        s.start = start;
    }
    m_text = std::move(packed);
    m_unused = 0;
}

void TextGrid::storeRecord(QStringView line)
{
    m_records.push_back({m_text.size(), line.size()});
    m_text += line;
}

void TextGrid::appendRow(QStringView line)
{
    const int row = static_cast<int>(m_records.size());
    beginInsertRows({}, row, row);
    storeRecord(line);
    endInsertRows();
}

void TextGrid::appendRows(const QStringList& lines)
{
    if (lines.isEmpty())
        return;
    const int first = static_cast<int>(m_records.size());
    beginInsertRows({}, first, first + static_cast<int>(lines.size()) - 1);
    m_records.reserve(m_records.size() + static_cast<size_t>(lines.size()));
    for (const QString& line : lines)
        storeRecord(line);
    endInsertRows();
}

void TextGrid::clearRecords()
{
    beginResetModel();
    m_records.clear();
    m_records.shrink_to_fit();
    m_text.clear();
    m_text.squeeze();
    m_unused = 0;
    endResetModel();
}

int TextGrid::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_records.size());
}

int TextGrid::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_columns;
}

QVariant TextGrid::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return cell(index.row() + 1, index.column());
}

QVariant TextGrid::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_columns)
        return m_titles[section];
    return {};
}

Qt::ItemFlags TextGrid::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
