#include "ProgressText.h"

#include <cmath>

QString percentCompleted(qint64 done, qint64 total)
{
    double percent =
        total > 0 ? 100.0 * double(qBound<qint64>(0, done, total)) / double(total) : 0.0;
    // One decimal, halves away from zero.
    percent = std::round(percent * 10.0) / 10.0;
    return QString::number(percent, 'f', 1) + QStringLiteral("% Completed");
}
