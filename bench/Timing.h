#pragma once

// How the benchmarks take their options, time a piece of work and print what they found.

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

/// The number after option `name` in the program's arguments `args`, else `fallback`.
inline int intOption(const QStringList& args, const QString& name, int fallback)
{
    const qsizetype at = args.indexOf(name);
    return at > 0 && at + 1 < args.size() ? args.at(at + 1).toInt() : fallback;
}

/// The value at `p` of the way from the least (0) to the greatest (1) of `values`; 0.5 is the
/// median. 0 for no values.
inline double percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1, std::size_t(p * double(values.size())))];
}

/// The median of `repeats` runs of `work`, in milliseconds, each after an untimed `prepare`.
inline double medianMs(int repeats, const std::function<void()>& prepare,
                       const std::function<void()>& work)
{
    std::vector<double> ms;
    for (int i = 0; i < repeats; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    return percentile(ms, 0.5);
}

/// The median of `repeats` runs of `work`, in milliseconds.
inline double medianMs(int repeats, const std::function<void()>& work)
{
    return medianMs(
        repeats, [] {}, work);
}

/// One figure on a line of its own: what was measured, its value in `unit`, and its goal when
/// it has one (`goal` > 0), with OVER when the value misses it; a `note` after that.
inline void report(const char* what, double value, const char* unit, double goal = 0,
                   const QString& note = {})
{
    if (goal > 0)
        std::printf("%-62s %9.2f %s   (goal <= %g %s)%s", what, value, unit, goal, unit,
                    value <= goal ? "" : "   OVER");
    else
        std::printf("%-62s %9.2f %s", what, value, unit);
    if (!note.isEmpty())
        std::printf("  %s", qPrintable(note));
    std::printf("\n");
    std::fflush(stdout);
}
