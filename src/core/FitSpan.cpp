#include "FitSpan.h"

std::pair<double, double> FitSpan::padded() const
{
    if (isEmpty())
        return {0, 0};
    const double span = m_high - m_low;
    if (span > 0 && std::isfinite(span)) {
        const double margin = span / 20;
        return {m_low - margin, m_high + margin};
    }
    const double half = m_low == 0 ? 1.0 : std::abs(m_low) / 100;
    return {m_low - half, m_high + half};
}

std::pair<double, double> FitSpan::roundedSteps(int divisions) const
{
    const auto [low, high] = padded();
    if (isEmpty() || divisions < 1 || !(high > low))
        return {low, high};
    double magnitude = std::pow(10.0, std::floor(std::log10((high - low) / divisions)));
    for (int tries = 0; tries < 8; ++tries) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double step = mantissa * magnitude;
            const double from = std::floor(low / step) * step;
            if (from + divisions * step >= high)
                return {from, from + divisions * step};
        }
        magnitude *= 10;
    }
    return {low, high};
}
