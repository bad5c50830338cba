#include "MeterStatus.h"

std::optional<MeterStatus> parseStatusAnswer(QByteArrayView answer)
{
    if (answer.size() < StatusAnswerLength)
        return std::nullopt;
    const auto b = [&](int n) { return static_cast<quint8>(answer[n - 1]); };
    if (b(1) != 0x02 || b(2) != 0xDD || b(9) != 0x03)
        return std::nullopt;
    MeterStatus s;
    s.SizeCode = b(3);
    s.MemPointer = b(4) | (quint32(b(5)) << 8) | (quint32(b(6)) << 16);
    s.ManualCount = static_cast<quint16>(b(7) | (b(8) << 8));
    return s;
}
