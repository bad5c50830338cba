#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>

/// Length of the meter's clock answer to "U": STX, day, hour, minute, second (packed BCD), ETX.
inline constexpr int ClockAnswerLength = 6;

/// Packed BCD of 0..99: 17 gives 0x17.
[[nodiscard]] quint8 toPackedBcd(int value);

/// The five bytes that follow "Q": day of month, hour, minute and second in packed BCD, the
/// seconds byte twice. All from the one reading `now`, so a set at midnight never mixes days.
[[nodiscard]] QByteArray clockSetBytes(const QDateTime& now);

/// True for a clock answer: at least 6 bytes, the first 0x02 and the sixth 0x03. Bytes after
/// the sixth are ignored.
[[nodiscard]] bool isClockAnswer(QByteArrayView answer);

/// The meter's clock as the clock window shows it, "dd:hh:mm:ss": bytes 2-5 of the answer as
/// two hex digits each, which for packed BCD are its decimal digits. Nothing when the answer fails
/// the check or a byte is no packed BCD (a nibble above 9): hex such as "1A" or "FF" is no
/// time, and showing it would pass garbage off as the meter's clock.
[[nodiscard]] std::optional<QString> meterClockLine(QByteArrayView answer);

/// The PC's clock in the same form: day of month, then the 24-hour time.
[[nodiscard]] QString pcClockLine(const QDateTime& now);
