#pragma once

#include "CurrentReading.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <optional>

/// Length of the meter's display frame, STX and ETX included.
inline constexpr int DisplayFrameLength = 36;
inline constexpr char Stx = 0x02;
inline constexpr char Etx = 0x03;

/// The four display characters of two digit bytes, high nibble first:
/// 0-9 digits, 0xA blank, 0xB "F", 0xC "L", 0xD "U", 0xE "C", 0xF "-".
[[nodiscard]] QString DecodeDigitPair(quint8 first, quint8 second);

/// The value text of a digit group: point after `pointPos` characters (1-3), "-" in front when
/// `minus`.
[[nodiscard]] QString valueText(const QString& digits, int pointPos, bool minus);

/// Point position of a 3-bit point field of groups 1-4 (voltage .. temperature).
[[nodiscard]] int rowPointPosition(int field);
/// Point position of a 3-bit point field of groups 5-7 (capacities); nullopt keeps the old value.
[[nodiscard]] std::optional<int> capacityPointPosition(int field);

/// The range text of a resistance range code, or nullopt for the unassigned codes 0 and 2.
[[nodiscard]] std::optional<QString> rangeTextFor(int rangeCode);
/// The range picture (`RS` index) of a resistance range code, or nullopt.
[[nodiscard]] std::optional<int> rangeImageFor(int rangeCode);

/// What the point decoders ask of the window's decimal-point cells: for each of the four row
/// groups (0-3) either nothing, or the 3-bit field whose bit k shows point cell k+1.
struct PointCellUpdates
{
    std::array<std::optional<quint8>, 4> fields;
};

/// True when the blinking of `functionCode` owns the point cells of row group `group` (0-3),
/// so the point decoders must leave them alone.
[[nodiscard]] bool pointCellsBlinking(int group, int functionCode);

// The eleven indicator decoders, one per display byte 23 to 33. Each reads its byte and
// writes the reading; the two point decoders also say what the point cells must show.
void DecodeRowPoints1(quint8 byte, CurrentReading& r, PointCellUpdates& cells, bool frozen);
void DecodeRowPoints2(quint8 byte, CurrentReading& r, PointCellUpdates& cells, bool frozen);
void DecodeModeFlags(quint8 byte, CurrentReading& r);
void DecodeSignFlags(quint8 byte, CurrentReading& r);
void DecodeUnitFlags(quint8 byte, CurrentReading& r);
void DecodeCapacityFlags(quint8 byte, CurrentReading& r);
void DecodeCapacityPoints1(quint8 byte, CurrentReading& r);
void DecodeCapacitySigns(quint8 byte, CurrentReading& r);
void DecodeCapacityPoints2(quint8 byte, CurrentReading& r);
void DecodeTestFlags(quint8 byte, CurrentReading& r);
void DecodeResultFlags(quint8 byte, CurrentReading& r);

/// Runs the eleven indicator decoders in byte order over `bytes` (display bytes 23-33; a
/// shorter view decodes only what it holds). `frozen` keeps the point cells untouched.
PointCellUpdates decodeIndicatorBytes(QByteArrayView bytes, CurrentReading& r, bool frozen);

/// Decodes a whole display frame (at least 36 bytes, first byte STX; not checked here) into
/// the reading: indicators, byte 34, every digit group and field, and counts it in the
/// reading's frame number. Shorter input is ignored.
PointCellUpdates decodeDisplayFrame(QByteArrayView frame, CurrentReading& r, bool frozen);

/// Where a whole display frame sits in received bytes: at the start (the usual case), or
/// later when the bytes began in the middle of a frame of a back-to-back stream.
/// Returns the offset of the newest complete frame, or -1.
[[nodiscard]] qsizetype findDisplayFrame(QByteArrayView bytes);

/// How many display frames back to back make a stream the meter's display rather than an
/// answer, and the bytes they take.
inline constexpr int DisplayFrameRunCount = 3;
inline constexpr int DisplayFrameRunLength = DisplayFrameRunCount * DisplayFrameLength;

/// Where the first run of DisplayFrameRunCount whole display frames back to back (STX ... ETX
/// at 36-byte steps) starts in `bytes`, trying the starts from `from` on; -1 when none does.
/// The meter's long answers are binary and hold STX and ETX bytes here and there, but not in
/// this pattern: a long answer that contains it has turned into the display stream.
[[nodiscard]] qsizetype findDisplayFrameRun(QByteArrayView bytes, qsizetype from = 0);

/// How the end of a long answer looks: whether it turned into the display stream.
struct DisplayTail
{
    qsizetype start = -1;   ///< where the display stream starts in the answer; -1 for nowhere
    bool undecided = false; ///< a frame may start in the answer's end: bytes after it will tell
};

/// Whether an answer of `answerLength` bytes ends in the display stream, looking at
/// `received`: the answer and the bytes that came after it. A display frame is what the meter
/// streams: STX, 34 bytes, ETX, and the next frame's STX right behind it. The answer turned
/// into the stream at the first point from which display frames run back to back to the last
/// byte received, one of them whole and followed by the next one's STX, even when fewer than
/// DisplayFrameRunCount fit in the answer (a short answer, or a turn near its end). A frame
/// that would end on the answer's last byte is no sign of it: an answer ends with its closing
/// byte, and the display follows it directly.
[[nodiscard]] DisplayTail findDisplayTail(QByteArrayView received, qsizetype answerLength);
