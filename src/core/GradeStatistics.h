#pragma once

#include <QList>

#include <span>

/// Count, mean, sample standard deviation, minimum and maximum of a set of values; all 0 for
/// none, the deviation 0 for one.
struct Summary
{
    qsizetype count = 0;
    double mean = 0;
    double deviation = 0;
    double min = 0;
    double max = 0;
};

[[nodiscard]] Summary summarize(std::span<const double> values);

/// Values counted into bins of one width, the first starting at `first`.
struct Histogram
{
    double first = 0;
    double width = 1;
    QList<int> counts;

    /// The middle of bin `k`.
    [[nodiscard]] double centre(qsizetype k) const { return first + (double(k) + 0.5) * width; }
};

/// The values in at most `maxBins` bins of a round width (1, 2 or 5 times a power of ten, and
/// never finer than `step`, the values' smallest difference worth telling apart), edges on
/// multiples of it. No bins for no values.
[[nodiscard]] Histogram histogram(std::span<const double> values, double step, int maxBins = 24);
