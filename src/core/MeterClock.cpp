#include "MeterClock.h"

#include <QStringList>

quint8 toPackedBcd(int value)
{
    value = qBound(0, value, 99);
    return static_cast<quint8>(((value / 10) << 4) | (value % 10));
}

QByteArray clockSetBytes(const QDateTime& now)
{
    const QTime time = now.time();
    const char second = static_cast<char>(toPackedBcd(time.second()));
    QByteArray bytes;
    bytes.append(static_cast<char>(toPackedBcd(now.date().day())));
    bytes.append(static_cast<char>(toPackedBcd(time.hour())));
    bytes.append(static_cast<char>(toPackedBcd(time.minute())));
    bytes.append(second);
    bytes.append(second);
    return bytes;
}

bool isClockAnswer(QByteArrayView answer)
{
    return answer.size() >= ClockAnswerLength && answer[0] == '\x02' &&
           answer[ClockAnswerLength - 1] == '\x03';
}

std::optional<QString> meterClockLine(QByteArrayView answer)
{
    if (!isClockAnswer(answer))
        return std::nullopt;
    QStringList parts;
    for (int i = 1; i <= 4; ++i) {
        const auto byte = static_cast<quint8>(answer[i]);
        if ((byte >> 4) > 9 || (byte & 0x0F) > 9)
            return std::nullopt;
        parts.append(QStringLiteral("%1").arg(byte, 2, 16, QLatin1Char('0')));
    }
    return parts.join(QLatin1Char(':'));
}

QString pcClockLine(const QDateTime& now)
{
    return now.toString(QStringLiteral("dd:HH:mm:ss"));
}
