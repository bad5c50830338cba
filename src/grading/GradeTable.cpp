#include "GradeTable.h"

#include "GradingSession.h"

#include <algorithm>
#include <cmath>

namespace {

const char* const kTitles[] = {"Cell",        "Time",          "V",       "R (mOhm)",
                               "T (\u00B0C)", "Capacity (Ah)", "Verdict", "Reason"};

QString number(const std::optional<double>& value, double scale, int digits, char format = 'g')
{
    return value ? QString::number(*value * scale, format, digits) : QStringLiteral("OL");
}

} // namespace

// Shortest form would show 38.1 beside 35.01 in one column; the display's digits line up.
QString GradeTable::resistanceText(const std::optional<double>& ohms)
{
    if (!ohms)
        return QStringLiteral("OL");
    const double milliOhms = *ohms * 1000;
    const int magnitude = milliOhms == 0 ? 0 : int(std::floor(std::log10(std::abs(milliOhms))));
    return QString::number(milliOhms, 'f', std::clamp(3 - magnitude, 0, 3));
}

GradeTable::GradeTable(GradingSession& session, QObject* parent)
    : QAbstractTableModel(parent), m_session(session), m_rows(int(session.cells().size()))
{
    connect(&session, &GradingSession::cellTaken, this, [this](const GradedCell&, int replaced) {
        if (replaced >= 0) {
            emit dataChanged(index(replaced, 0), index(replaced, ColumnCount - 1));
            return;
        }
        beginInsertRows({}, m_rows, m_rows);
        ++m_rows;
        endInsertRows();
    });
    connect(&session, &GradingSession::cellEdited, this,
            [this](int row) { emit dataChanged(index(row, 0), index(row, ColumnCount - 1)); });
    connect(&session, &GradingSession::cellRemoved, this, [this](int row) {
        beginRemoveRows({}, row, row);
        --m_rows;
        endRemoveRows();
    });
    connect(&session, &GradingSession::cellsReset, this, [this] {
        beginResetModel();
        m_rows = int(m_session.cells().size());
        endResetModel();
    });
}

QColor GradeTable::verdictColour(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Pass:
        return {0xcf, 0xee, 0xcf};
    case Verdict::Warn:
        return {0xff, 0xe9, 0xa8};
    case Verdict::Fail:
        break;
    }
    return {0xf6, 0xc2, 0xc2};
}

QString GradeTable::text(int row, int column) const
{
    if (row < 0 || row >= m_session.cells().size())
        return {};
    const GradedCell& c = m_session.cells()[row];
    switch (column) {
    case Id:
        return c.id;
    case Time:
        return c.taken.toString(QStringLiteral("hh:mm:ss"));
    case Voltage:
        return number(c.values.voltage, 1, 3, 'f');
    case Resistance:
        return resistanceText(c.values.resistance);
    case Temperature:
        return c.values.temperature ? QString::number(*c.values.temperature, 'f', 1) : QString();
    case Capacity:
        return c.capacity ? QString::number(*c.capacity, 'g', 6) : QString();
    case VerdictColumn:
        return verdictText(c.grade.verdict);
    case Reason:
        return c.grade.reason;
    default:
        return {};
    }
}

int GradeTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int GradeTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant GradeTable::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (!index.isValid() || row >= m_session.cells().size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(row, index.column());
    case Qt::BackgroundRole:
        if (index.column() == VerdictColumn || index.column() == Reason)
            return verdictColour(m_session.cells()[row].grade.verdict);
        return {};
    case Qt::TextAlignmentRole:
        if (index.column() >= Voltage && index.column() <= Capacity)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::ToolTipRole:
        if (index.column() == Time)
            return m_session.cells()[row].taken.toString(Qt::ISODate);
        if (index.column() == Capacity)
            return QStringLiteral("Double-click to type the capacity in Ah");
        return {};
    default:
        return {};
    }
}

QVariant GradeTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < ColumnCount)
        return QString::fromUtf8(kTitles[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags GradeTable::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (index.column() == Capacity)
        f |= Qt::ItemIsEditable;
    return f;
}

bool GradeTable::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != Capacity ||
        index.row() >= m_session.cells().size())
        return false;
    const QString typed = value.toString().trimmed();
    std::optional<double> capacity;
    if (!typed.isEmpty()) {
        capacity = plainNumber(typed);
        if (!capacity || *capacity < 0)
            return false;
    }
    return m_session.setCapacity(m_session.cells()[index.row()].key, capacity);
}
