#pragma once

#include "MeterStatus.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

/// First address of the meter's automatic memory: `MemPointer` equals it when the memory is
/// empty.
inline constexpr quint32 AutoMemoryStart = 32967;
/// Bytes of a set header and of one automatically recorded reading.
inline constexpr qsizetype SetHeaderLength = 10;
inline constexpr qsizetype AutoRecordLength = 16;
/// Bytes of one manually stored reading.
inline constexpr qsizetype ManualRecordLength = 33;
/// The four bytes that open every set: 00 55 AA 00.
inline constexpr char SetMarker[4] = {'\x00', '\x55', '\xAA', '\x00'};

/// Length of the reply to "I": one framing byte, the automatic memory, one framing byte.
/// 0 when the status shows no automatic data - also for a pointer below the memory's start,
/// which only a garbled status gives.
[[nodiscard]] qsizetype autoReplyLength(const MeterStatus& status);
/// Length of the reply to "T": one framing byte, `ManualCount` records, one framing byte.
/// 0 when there are no manual records.
[[nodiscard]] qsizetype manualReplyLength(const MeterStatus& status);
/// Whole manual records in a reply to "T" (record k starts at offset 1 + 33 (k - 1)).
[[nodiscard]] int manualRecordCount(QByteArrayView reply);
/// Manual record `k` (from 1) of a reply to "T"; empty when it is not whole.
[[nodiscard]] QByteArrayView manualRecord(QByteArrayView reply, int k);

/// The automatic memory cut into its sets.
struct MemorySplit
{
    QList<QByteArray> sets; ///< each set's bytes, header included, in memory order
    /// Bytes from the first set that is not well formed to the end (0 when all were read).
    qsizetype unreadBytes = 0;
};

/// Splits a reply to "I" into sets. The framing bytes at either end are dropped by position,
/// whatever their values. A set starts with the marker and ends where the marker stands again
/// 10 + 16 k bytes from its start (k >= 1), or with the data. The split stops before the first
/// set that does not start with the marker or does not end on its 16-byte grid; that set and
/// everything after it are counted as unread.
[[nodiscard]] MemorySplit splitAutoMemory(QByteArrayView reply);

/// Readings in a set: (length - 10) / 16, never below 0.
[[nodiscard]] int setRecordCount(QByteArrayView set);
/// The set grid's row for set `number`: number, TAB, start time "hh:mm:ss" (each BCD byte as
/// two upper-case hexadecimal digits), TAB, sampling interval in seconds, TAB, readings.
[[nodiscard]] QString setGridRow(int number, QByteArrayView set);

/// The memory size label: `SizeCode` × 64 and " K" ("64 K").
[[nodiscard]] QString memorySizeText(const MeterStatus& status);
/// The free space label after a download with automatic data: "0 K" while the meter shows
/// its memory full, else (`SizeCode` × 65536 - `MemPointer`) / 1024 with one decimal and " K".
[[nodiscard]] QString memoryRemainText(const MeterStatus& status, bool memoryFull);
/// The free space label when only manual records were found: "0 K" once the pointer reaches
/// the end of the memory, the free space of memoryRemainText while automatic data exist,
/// otherwise the whole size.
[[nodiscard]] QString manualOnlyRemainText(const MeterStatus& status);
/// The download's progress: `prefix` ('A' for the automatic, 'M' for the manual memory), a
/// blank and the percentage ("A 50.0% Completed"); never above 100.0.
[[nodiscard]] QString memoryProgressText(char prefix, qint64 received, qint64 total);
