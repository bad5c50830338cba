// Any bytes as a reply to "I": split into sets, each listed and decoded reading by reading.
// The sets must tile the reply, and nothing may read past the bytes.
#include "MemoryRecords.h"
#include "MeterMemory.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView reply(data, static_cast<qsizetype>(size));
    const MemorySplit split = splitAutoMemory(reply);
    qsizetype covered = split.unreadBytes;
    for (int n = 1; n <= split.sets.size(); ++n) {
        const QByteArray& set = split.sets.at(n - 1);
        covered += set.size();
        const QString row = setGridRow(n, set);
        // A start text taken from the bytes themselves, as the grid lists it.
        SetDecoder decoder(set, row.section(QLatin1Char('\t'), 1, 1), set.size() > 4 ? set[4] : 0);
        for (int k = 1; k <= decoder.count(); ++k)
            (void)decoder.row(k);
    }
    if (size > 2 && covered != qsizetype(size) - 2)
        __builtin_trap();
    return 0;
}
