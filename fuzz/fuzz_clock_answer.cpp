// Any bytes as the meter's clock answer: the check and the line never read past the end, and
// an accepted answer always gives "xx:xx:xx:xx".
#include "MeterClock.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView answer(data, static_cast<qsizetype>(size));
    const bool accepted = isClockAnswer(answer);
    const auto line = meterClockLine(answer);
    if (accepted != line.has_value() || (accepted && size < 6))
        __builtin_trap();
    if (line && line->size() != 11)
        __builtin_trap();
    return 0;
}
