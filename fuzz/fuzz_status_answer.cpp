// Any bytes as a status answer: accepted or rejected, never read past the end.
#include "MeterStatus.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto status = parseStatusAnswer(QByteArrayView(data, static_cast<qsizetype>(size)));
    if (status && size < 9)
        __builtin_trap();
    return 0;
}
