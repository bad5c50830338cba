// Any bytes as a recording to analyse (a CellDesk CSV or a data file, as `celldesk --plot`,
// `celldesk-cli stats` and "Add file..." read them): read or refused with a reason, never a
// crash; every span asked of it lies inside its rows, and its figures come out for any span.
#include "ChargeAxis.h"
#include "ReadingSeries.h"
#include "SpanFigures.h"

#include <cstddef>
#include <cstdint>

namespace {

void checkSpan(const ReadingSeries& s, RowSpan span)
{
    if (span.last < span.first)
        return;
    if (span.first < 0 || span.last >= s.rows())
        __builtin_trap();
    (void)spanFigures(s, span.first, span.last);
    (void)valueStats(s.column(ReadingSeries::Voltage), span.first, span.last);
    const std::optional<qsizetype> cut = cutoffRow(s, 3.0, span.first, span.last);
    if (cut && (*cut < span.first || *cut > span.last))
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const ReadingSeries s = ReadingSeries::fromFile(bytes);
    if (!s.error().isEmpty() || s.rows() == 0)
        return 0;
    checkSpan(s, {0, s.rows() - 1});
    checkSpan(s, rowsBetween(s, 0, 3600));
    checkSpan(s, rowsBetween(s, -1e9, 1e9));
    const ChargeAxis charge = ChargeAxis::of(s);
    if (!charge.isEmpty()) {
        if (charge.rows() != s.rows())
            __builtin_trap();
        const qsizetype first = charge.firstRowFrom(0);
        const qsizetype last = charge.lastRowUpTo(1e6);
        if (first < 0 || first > s.rows() || last < -1 || last >= s.rows())
            __builtin_trap();
    }
    return 0;
}
