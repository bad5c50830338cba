#include "LabRoster.h"

#include "SampleSchedule.h"

#include <algorithm>

int LabRoster::placeOf(const QString& meter) const
{
    const auto at =
        std::lower_bound(m_meters.begin(), m_meters.end(), meter,
                         [](const LabMeter& m, const QString& n) { return m.name < n; });
    return int(at - m_meters.begin());
}

std::optional<int> LabRoster::rowOf(const QString& meter) const
{
    const int row = placeOf(meter);
    if (row == size() || at(row).name != meter)
        return std::nullopt;
    return row;
}

LabRoster::Place LabRoster::place(const QString& meter)
{
    const int row = placeOf(meter);
    if (row < size() && at(row).name == meter)
        return {row, false};
    LabMeter added;
    added.name = meter;
    m_meters.insert(m_meters.begin() + row, std::move(added));
    return {row, true};
}

LabRoster::Place LabRoster::takeReading(const QString& meter, const LabReading& reading,
                                        qint64 nowMs)
{
    const Place p = place(meter);
    LabMeter& m = m_meters[std::size_t(p.row)];
    const quint64 readings = m.reading.frameNumber;
    m.reading = reading.reading;
    m.reading.frameNumber = readings + 1;
    // Its age counts from its arrival here, as a frame's from its arrival at the port.
    m.reading.frameReceivedMs = nowMs;
    m.seq = reading.seq;
    return p;
}

LabRoster::Place LabRoster::takeStatus(const QString& meter, const LabStatus& status)
{
    const Place p = place(meter);
    m_meters[std::size_t(p.row)].status = status;
    return p;
}

std::optional<int> LabRoster::remove(const QString& meter)
{
    const std::optional<int> row = rowOf(meter);
    if (row)
        m_meters.erase(m_meters.begin() + *row);
    return row;
}

QString labStateText(const LabMeter& meter)
{
    // Readings without a status yet come from a publisher that is there.
    if (meter.status && !meter.status->online)
        return QStringLiteral("offline");
    if (meter.status && !meter.status->linkUp)
        return QStringLiteral("link lost");
    return QStringLiteral("online");
}

QString labAgeText(const LabMeter& meter, qint64 nowMs)
{
    if (!meter.hasReading())
        return QStringLiteral("-");
    const qint64 s = std::max<qint64>(0, nowMs - meter.reading.frameReceivedMs) / 1000;
    if (s < 60)
        return QStringLiteral("%1 s").arg(s);
    if (s < 3600)
        return QStringLiteral("%1 min").arg(s / 60);
    if (s < 86400)
        return QStringLiteral("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
    return QStringLiteral("%1 d %2 h").arg(s / 86400).arg(s % 86400 / 3600);
}

LabLook labLook(const LabMeter& meter, qint64 nowMs, qint64 staleMs)
{
    if (meter.status && !meter.status->online)
        return LabLook::Offline;
    if (!readingIsYoung(meter.reading, nowMs, staleMs))
        return LabLook::Stale;
    return LabLook::Current;
}
