// Any bytes as a reply to "T": every whole record decoded into a list row, the display
// decoders running on whatever the annunciator bytes hold.
#include "MemoryRecords.h"
#include "MeterMemory.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView reply(data, static_cast<qsizetype>(size));
    ManualDecoder decoder{CurrentReading{}};
    const int count = manualRecordCount(reply);
    for (int k = 1; k <= count; ++k) {
        if (decoder.row(k, manualRecord(reply, k)).count(QLatin1Char('\t')) != 8)
            __builtin_trap();
    }
    // A record cut short reads as zeros.
    (void)decoder.row(1, reply.first(std::min<qsizetype>(reply.size(), 20)));
    return 0;
}
