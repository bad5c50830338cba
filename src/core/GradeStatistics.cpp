#include "GradeStatistics.h"

#include <algorithm>
#include <cmath>

namespace {

// The smallest of 1, 2 and 5 times a power of ten that is at least `width`.
double roundWidth(double width)
{
    const double power = std::pow(10.0, std::floor(std::log10(width)));
    for (const double m : {1.0, 2.0, 5.0, 10.0}) {
        if (m * power >= width * (1 - 1e-9))
            return m * power;
    }
    return 10 * power;
}

} // namespace

Summary summarize(std::span<const double> values)
{
    Summary s;
    if (values.empty())
        return s;
    // Welford's update: no loss of digits when the values lie close together, as a tray's do.
    double mean = 0;
    double squares = 0;
    s.min = s.max = values.front();
    for (const double v : values) {
        ++s.count;
        const double delta = v - mean;
        mean += delta / double(s.count);
        squares += delta * (v - mean);
        s.min = std::min(s.min, v);
        s.max = std::max(s.max, v);
    }
    s.mean = mean;
    s.deviation = s.count > 1 ? std::sqrt(squares / double(s.count - 1)) : 0.0;
    return s;
}

Histogram histogram(std::span<const double> values, double step, int maxBins)
{
    Histogram h;
    if (values.empty() || maxBins < 1)
        return h;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const double floorWidth = step > 0 ? step : std::max(std::abs(*lo), 1.0) * 1e-6;
    double width = roundWidth(std::max((*hi - *lo) / maxBins, floorWidth));
    for (;;) {
        h.first = std::floor(*lo / width) * width;
        const auto bins = qsizetype(std::floor((*hi - h.first) / width + 1e-9)) + 1;
        if (bins <= maxBins) {
            h.width = width;
            h.counts = QList<int>(bins, 0);
            break;
        }
        width = roundWidth(width * 1.5); // the edges fell badly: one round width up
    }
    for (const double v : values) {
        const auto k = qsizetype(std::floor((v - h.first) / h.width + 1e-9));
        ++h.counts[std::clamp<qsizetype>(k, 0, h.counts.size() - 1)];
    }
    return h;
}
