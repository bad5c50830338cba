#pragma once

#include "SimReading.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTime>

/// Packed BCD byte of a value 0..99 (17 gives 0x17).
[[nodiscard]] quint8 simToBcd(int value);

/// Value of a packed BCD byte, or -1 when a nibble is not a decimal digit.
[[nodiscard]] int simFromBcd(quint8 byte);

/// The format byte of an automatically recorded set: current scale, resistance range, Celsius.
[[nodiscard]] quint8 setFormatByte(const SimReading& reading);

/// The 10-byte header that starts an automatically recorded set.
[[nodiscard]] QByteArray encodeSetHeader(quint8 intervalSeconds, QTime start, quint8 formatByte);

/// One 16-byte automatic record of a reading (current point and range come from the set header).
[[nodiscard]] QByteArray encodeAutoRecord(const SimReading& reading);

/// A whole automatically recorded set: header, then one record per reading; format from the first.
[[nodiscard]] QByteArray encodeAutoSet(quint8 intervalSeconds, QTime start,
                                       const QList<SimReading>& readings);

/// One 33-byte manual record: the meter's stored copy of the display showing the reading.
[[nodiscard]] QByteArray encodeManualRecord(const SimReading& reading);

/// One 10-byte comparator set; the limits are four digits each, e.g. "1234".
[[nodiscard]] QByteArray encodeComparatorSet(quint8 resistanceFormat, quint8 voltageFormat,
                                             const QString& resistanceHigh,
                                             const QString& resistanceLow,
                                             const QString& voltageHigh, const QString& voltageLow);

/// Automatic memory of exactly `bytes` bytes where whole sets allow it (otherwise the largest
/// size below that they fill): sets of about `recordsPerSet` readings of a discharging battery,
/// each starting where the one before ended. Less than one set's worth gives nothing.
[[nodiscard]] QByteArray generatedAutoMemory(qsizetype bytes, int recordsPerSet = 100);

/// The automatic memory a fresh emulator holds: two well-formed sets.
[[nodiscard]] QByteArray demoAutoMemory();

/// The manual records a fresh emulator holds: three of them.
[[nodiscard]] QList<QByteArray> demoManualRecords();

/// The comparator table a fresh emulator holds: 99 sets of 10 bytes, set 1 first.
[[nodiscard]] QByteArray demoComparatorTable();
