// Any bytes as a message from the lab's broker, taken as a reading, a status and a topic:
// read or refused, never a crash, and no cell of the overview longer than its bound.
#include "LabMessages.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    if (const auto reading = parseLabReading(bytes)) {
        for (int g = 0; g < CurrentReading::GroupCount; ++g) {
            if (labValueText(reading->reading, CurrentReading::Group(g)).size() > 128)
                __builtin_trap();
        }
    }
    (void)parseLabStatus(bytes);
    (void)parseLabTopic(u"celldesk", bytes);
    return 0;
}
