#include "LabTable.h"

#include "Clock.h"

#include <array>

namespace {

const std::array<const char*, LabTable::ColumnCount> kTitles{
    "Meter",      "State",       "Age",    "Voltage", "Current",
    "Resistance", "Temperature", "In-Cap", "Out-Cap", "T-Cap"};

// The reading's group shown in each value column.
constexpr std::array<CurrentReading::Group, 7> kGroups{
    CurrentReading::Voltage,     CurrentReading::Current, CurrentReading::Resistance,
    CurrentReading::Temperature, CurrentReading::InCap,   CurrentReading::OutCap,
    CurrentReading::TCap};

} // namespace

LabTable::LabTable(const Clock& clock, QObject* parent)
    : QAbstractTableModel(parent), m_clock(clock)
{
}

std::optional<int> LabTable::take(QStringView prefix, const QByteArray& topic,
                                  const QByteArray& payload)
{
    const std::optional<LabTopic> lab = parseLabTopic(prefix, topic);
    if (!lab)
        return std::nullopt;
    if (lab->kind == LabTopicKind::Status) {
        // An empty retained status is how a meter is taken off the broker for good.
        if (payload.isEmpty()) {
            if (const std::optional<int> row = m_roster.rowOf(lab->meter)) {
                beginRemoveRows({}, *row, *row);
                m_roster.remove(lab->meter);
                endRemoveRows();
            }
            return std::nullopt;
        }
        const std::optional<LabStatus> status = parseLabStatus(payload);
        if (!status)
            return m_roster.rowOf(lab->meter);
        return apply(lab->meter, [&] { return m_roster.takeStatus(lab->meter, *status); });
    }
    const std::optional<LabReading> reading = parseLabReading(payload);
    if (!reading)
        return m_roster.rowOf(lab->meter);
    const int row = apply(lab->meter, [&] {
        return m_roster.takeReading(lab->meter, *reading, m_clock.monotonicMs());
    });
    emit readingTaken(lab->meter);
    return row;
}

int LabTable::apply(const QString& meter, const std::function<LabRoster::Place()>& change)
{
    const bool added = !m_roster.rowOf(meter);
    if (added) {
        const int row = m_roster.placeOf(meter);
        beginInsertRows({}, row, row);
    }
    const LabRoster::Place place = change();
    if (added)
        endInsertRows();
    else
        emit dataChanged(index(place.row, 0), index(place.row, ColumnCount - 1));
    return place.row;
}

void LabTable::refresh()
{
    if (m_roster.size() > 0)
        emit dataChanged(index(0, 0), index(m_roster.size() - 1, ColumnCount - 1));
}

void LabTable::setStaleSeconds(int seconds)
{
    m_staleMs = qint64(seconds) * 1000;
    refresh();
}

LabLook LabTable::look(int row) const
{
    return labLook(m_roster.at(row), m_clock.monotonicMs(), m_staleMs);
}

QString LabTable::text(int row, int column) const
{
    const LabMeter& m = m_roster.at(row);
    switch (column) {
    case Meter:
        return m.name;
    case State:
        return labStateText(m);
    case Age:
        return labAgeText(m, m_clock.monotonicMs());
    default:
        return m.hasReading() ? labValueText(m.reading, kGroups[std::size_t(column - Voltage)])
                              : QString();
    }
}

int LabTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_roster.size();
}

int LabTable::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LabTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_roster.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole:
        switch (look(index.row())) {
        case LabLook::Stale:
            return Amber;
        case LabLook::Offline:
            return Red;
        case LabLook::Current:
            return {};
        }
        return {};
    case Qt::ForegroundRole:
        return look(index.row()) == LabLook::Current ? QVariant() : QVariant(QColor(Qt::black));
    case Qt::TextAlignmentRole:
        return index.column() >= Voltage ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::ToolTipRole: {
        const LabMeter& m = m_roster.at(index.row());
        if (index.column() == State && m.status && m.status->dropped > 0)
            return QStringLiteral("%1 reading(s) dropped while the broker was away")
                .arg(m.status->dropped);
        if (index.column() == Meter && m.hasReading())
            return QStringLiteral("reading %1").arg(m.seq);
        return {};
    }
    default:
        return {};
    }
}

QVariant LabTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= ColumnCount)
        return {};
    return QString::fromLatin1(kTitles[std::size_t(section)]);
}
