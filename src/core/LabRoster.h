#pragma once

#include "LabMessages.h"

#include <QString>

#include <optional>
#include <vector>

/// How a meter's row looks in the lab overview: current, stale (amber: no reading for longer
/// than the threshold, or none yet) or offline (red: its publisher has gone).
enum class LabLook
{
    Current,
    Stale,
    Offline
};

/// One meter seen on the broker: its last status and its last reading.
struct LabMeter
{
    QString name;
    std::optional<LabStatus> status; ///< none before the first status message
    quint64 seq = 0;                 ///< the last reading's sequence number
    /// The last reading's display; its frameNumber counts the readings taken, its
    /// frameReceivedMs is when the last one arrived here.
    CurrentReading reading;

    [[nodiscard]] bool hasReading() const { return reading.frameNumber > 0; }
};

/// The meters of the lab overview, sorted by name, as their messages arrive.
class LabRoster
{
public:
    /// Where a message went: the meter's row, and whether the row is new (inserted there).
    struct Place
    {
        int row = 0;
        bool inserted = false;
    };

    /// Takes a reading of `meter` that arrived at `nowMs`.
    Place takeReading(const QString& meter, const LabReading& reading, qint64 nowMs);
    /// Takes a status of `meter`.
    Place takeStatus(const QString& meter, const LabStatus& status);
    /// Forgets `meter` (its retained status was cleared); the row it had, if any.
    std::optional<int> remove(const QString& meter);

    [[nodiscard]] int size() const { return int(m_meters.size()); }
    [[nodiscard]] const LabMeter& at(int row) const { return m_meters[std::size_t(row)]; }
    [[nodiscard]] std::optional<int> rowOf(const QString& meter) const;
    /// The row `meter` has, or the one it gets when it comes.
    [[nodiscard]] int placeOf(const QString& meter) const;

private:
    Place place(const QString& meter);

    std::vector<LabMeter> m_meters; // sorted by name
};

/// The state column: "online", "link lost" or "offline".
[[nodiscard]] QString labStateText(const LabMeter& meter);
/// The age of the last reading at `nowMs`: "4 s", "12 min", "3 h 5 min", "2 d 4 h"; "-"
/// before the first reading.
[[nodiscard]] QString labAgeText(const LabMeter& meter, qint64 nowMs);
/// The meter's look at `nowMs` with readings older than `staleMs` counting as stale.
[[nodiscard]] LabLook labLook(const LabMeter& meter, qint64 nowMs, qint64 staleMs);
