#pragma once

#include <QByteArrayView>

#include <optional>

/// The meter's memory state from its 9-byte status answer.
struct MeterStatus
{
    quint16 SizeCode = 0;    ///< memory size in units of 64 K
    quint32 MemPointer = 0;  ///< next free address of the automatic memory (24 bit)
    quint16 ManualCount = 0; ///< number of manually stored readings (unsigned: up to 65535)
};

inline constexpr int StatusAnswerLength = 9;

/// Parses a status answer: STX, 0xDD, size, pointer (3 bytes, low first), count (2 bytes,
/// low first), ETX. Bytes after the ninth are ignored; anything else is rejected.
[[nodiscard]] std::optional<MeterStatus> parseStatusAnswer(QByteArrayView answer);
