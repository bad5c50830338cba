#include "SampleSchedule.h"

#include "DataFileLines.h"

#include <QLocale>
#include <QTime>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSecondsPerDay = 86400;

int secondsOfDay(const QString& stamp)
{
    const QTime time = QTime::fromString(stamp, QStringLiteral("hh:mm:ss"));
    return time.isValid() ? time.msecsSinceStartOfDay() / 1000 : 0;
}

QString stampOf(int seconds)
{
    return QTime::fromMSecsSinceStartOfDay(seconds * 1000).toString(QStringLiteral("hh:mm:ss"));
}

} // namespace

bool sampleDue(qint32 tickCount, int intervalSeconds)
{
    return tickCount == 0 || tickCount >= intervalSeconds;
}

QString nextSampleStamp(const QString& stamp, int intervalSeconds)
{
    const int step = ((intervalSeconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    const int old = secondsOfDay(stamp);
    QString next = stampOf((old + step) % kSecondsPerDay);
    if (next == stamp)
        next = stampOf((old + 2 * step) % kSecondsPerDay);
    return next;
}

QString clockedSampleStamp(const QString& counted, int intervalSeconds, QTime clock)
{
    if (!clock.isValid())
        return counted;
    const int now = clock.msecsSinceStartOfDay() / 1000;
    int apart = (secondsOfDay(counted) - now) % kSecondsPerDay;
    if (apart > kSecondsPerDay / 2)
        apart -= kSecondsPerDay;
    else if (apart < -kSecondsPerDay / 2)
        apart += kSecondsPerDay;
    return std::abs(apart) > intervalSeconds ? stampOf(now) : counted;
}

bool readingIsYoung(const CurrentReading& reading, qint64 nowMs, qint64 maxAgeMs)
{
    return reading.frameNumber > 0 && nowMs - reading.frameReceivedMs <= maxAgeMs;
}

bool mustStopRecording(qint32 count, const CurrentReading& reading, const SampleUnits& started)
{
    return count >= MaxRecordCount || SampleUnits::of(reading) != started;
}

std::optional<int> intervalFromEntry(QStringView entry, int minimum, int maximum)
{
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(entry.trimmed(), &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // Clamped while still a double: a huge entry must not overflow the conversion.
    const double rounded = std::clamp(std::nearbyint(value), double(minimum), double(maximum));
    return static_cast<int>(rounded);
}
