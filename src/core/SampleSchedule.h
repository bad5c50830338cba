#pragma once

#include "CurrentReading.h"

#include <QString>
#include <QStringView>
#include <QTime>

#include <optional>

/// The PC sampling interval's bounds in seconds.
inline constexpr int MinPcSamplingSeconds = 1;
inline constexpr int MaxPcSamplingSeconds = 86400;
/// The meter's own sampling interval's bounds in seconds (one byte).
inline constexpr int MinMeterSamplingSeconds = 1;
inline constexpr int MaxMeterSamplingSeconds = 255;

/// Whether the one-second tick with `tickCount` ticks since the last sample (0: sample at
/// once) takes a sample at `intervalSeconds`.
[[nodiscard]] bool sampleDue(qint32 tickCount, int intervalSeconds);

/// The stamp of the next sample: `stamp` ("hh:mm:ss") plus the interval, wrapping at
/// midnight. When that gives the same text again, the interval is added once more (which
/// for whole days changes nothing). An unreadable stamp counts as midnight.
[[nodiscard]] QString nextSampleStamp(const QString& stamp, int intervalSeconds);

/// The stamp a sample gets: `counted` (the previous stamp plus the interval, from
/// nextSampleStamp) while it agrees with `clock`'s time of day to within one interval either
/// way (across midnight the nearer way round); otherwise the clock's time of day, so that a
/// suspend, a stopped process or a set clock shows as a gap in the stamps instead of moving
/// every later one.
[[nodiscard]] QString clockedSampleStamp(const QString& counted, int intervalSeconds, QTime clock);

/// The oldest a reading may be when a sample takes it: its display frame was received at most
/// this long before the tick.
inline constexpr qint64 MaxReadingAgeMs = 1000;

/// Whether `reading` is young enough to be taken at `nowMs` (the Clock's monotonic count): a
/// display frame was decoded into it, received at most `maxAgeMs` before. Anything that takes
/// the live reading as a measurement asks this first, with the 1-s limit; a reading fed from
/// the lab's broker counts as current up to the lab's own threshold.
[[nodiscard]] bool readingIsYoung(const CurrentReading& reading, qint64 nowMs,
                                  qint64 maxAgeMs = MaxReadingAgeMs);

/// The sample rule of every way a reading is taken (data-file line, list row, CSV row, graph
/// point): only from a display frame received after the previous sample and young at the tick.
/// While the live poll rests or the link is lost the reading keeps its last values, and a frame
/// that came just before a fault, a stop or a suspend ages; sampled again, either would be
/// stored as new under a new time stamp. A skipped sample leaves a gap instead.
class FreshReading
{
public:
    /// Nothing sampled yet: any young frame is fresh (the program's start).
    FreshReading() = default;
    /// The frames decoded so far count as sampled: the first sample needs a newer one.
    explicit FreshReading(const CurrentReading& reading) : m_sampled(reading.frameNumber) {}

    /// True when a frame not sampled yet was decoded into `reading` and it is young at `nowMs`;
    /// that frame then counts as sampled.
    [[nodiscard]] bool take(const CurrentReading& reading, qint64 nowMs)
    {
        if (reading.frameNumber == m_sampled || !readingIsYoung(reading, nowMs))
            return false;
        m_sampled = reading.frameNumber;
        return true;
    }

private:
    quint64 m_sampled = 0;
};

/// The units a recording or the real-time list started with.
struct SampleUnits
{
    QString rangeText;
    QString tempUnitText;
    bool milliAmps = false;

    [[nodiscard]] static SampleUnits of(const CurrentReading& r)
    {
        return {r.RangeText, r.TempUnitText, r.milliAmps};
    }
    friend bool operator==(const SampleUnits&, const SampleUnits&) = default;
};

/// The stop check of a recording and of the real-time list: `count` records reached the
/// limit, or the reading's range, temperature unit or milliampere display differs from
/// `started`.
[[nodiscard]] bool mustStopRecording(qint32 count, const CurrentReading& reading,
                                     const SampleUnits& started);

/// An interval typed into an input box, as whole seconds in `minimum`..`maximum`: the
/// trimmed text read as a number in the C locale, rounded with halves to the even
/// neighbour and clamped. Nothing for a text that is not a finite number.
[[nodiscard]] std::optional<int> intervalFromEntry(QStringView entry, int minimum, int maximum);
