// Any bytes as a file of cells (pack's CELLS.csv, the window's capacities) and as typed limits:
// what is read stays in bounds, every cell read has an ID, and a pack made of the cells puts
// each at most once into S groups of P.
#include "CellGrade.h"
#include "GradeCsv.h"

#include <QSet>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    const CellsCsv read = parseCellsCsv(input);
    if (!read.error.isEmpty() && !read.cells.isEmpty())
        __builtin_trap();
    for (const PackCell& c : read.cells) {
        if (c.id.isEmpty())
            __builtin_trap();
    }
    const int series = size > 0 ? 1 + data[0] % 4 : 1;
    const int parallel = size > 1 ? 1 + data[1] % 3 : 1;
    for (const Balance by : {Balance::Capacity, Balance::Resistance}) {
        const PackPlan plan = matchPack(read.cells, series, parallel, by);
        if (plan.missing > 0 ? !plan.groups.isEmpty() : plan.groups.size() != series)
            __builtin_trap();
        QSet<qsizetype> used;
        for (const PackGroup& g : plan.groups) {
            if (g.cells.size() != parallel)
                __builtin_trap();
            for (const qsizetype c : g.cells) {
                if (c < 0 || c >= read.cells.size() || used.contains(c))
                    __builtin_trap();
                used.insert(c);
            }
        }
    }
    QString error;
    const auto limits = parseLimits(
        QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
        error);
    if (bool(limits) == !error.isEmpty())
        __builtin_trap();
    return 0;
}
