// Any bytes as the meter's clock answer: the check and the line never read past the end, a
// line comes only from an accepted answer (one whose digits are no BCD gives none), and it
// always reads "xx:xx:xx:xx".
#include "MeterClock.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView answer(data, static_cast<qsizetype>(size));
    const bool accepted = isClockAnswer(answer);
    const auto line = meterClockLine(answer);
    if ((line && !accepted) || (accepted && size < 6))
        __builtin_trap();
    if (line && line->size() != 11)
        __builtin_trap();
    return 0;
}
