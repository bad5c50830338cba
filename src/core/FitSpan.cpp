#include "FitSpan.h"

std::pair<double, double> FitSpan::padded() const
{
    if (m_empty)
        return {0, 0};
    const double span = m_high - m_low;
    if (span > 0 && std::isfinite(span)) {
        const double margin = span / 20;
        return {m_low - margin, m_high + margin};
    }
    const double half = m_low == 0 ? 1.0 : std::abs(m_low) / 100;
    return {m_low - half, m_high + half};
}
