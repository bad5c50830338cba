#pragma once

#include "CurrentReading.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

/// The resistance title of a reading whose range code (0 or 2) names no range: its digits are
/// listed without a point.
inline const QString UnknownRangeText = QStringLiteral("? Ohm");

/// Inserts a point after `position` characters of a stored value's digits; a text with "L"
/// (an overload) and a position of 0 stay as they are.
[[nodiscard]] QString withStoredPoint(const QString& digits, int position);

/// What a set's format byte (its tenth header byte) says about all its readings.
struct SetFormat
{
    QString currentTitle; ///< "mAmp" or "Amp"
    int currentPoint = 3; ///< digits before the current's point
    int rangeCode = 0;
    QString rangeText;       ///< "40 mOhm" ... "400 Ohm", or UnknownRangeText
    int resistancePoint = 0; ///< digits before the resistance's point, 0 for an unknown range
    QString tempUnitText;    ///< "Celsius" or "Fahrenheit"
};
[[nodiscard]] SetFormat decodeSetFormat(quint8 formatByte);

/// The voltage text of a stored 16-bit voltage word: its ten-thousands digit is the mode
/// (0-1 a point after one or two digits, 2-3 the same negative, 4 " OL ", 5 "-OL "), the last
/// four digits are the value. Mode 6 repeats `previous`.
[[nodiscard]] QString storedVoltageText(quint16 word, const QString& previous);

/// Decodes one automatically recorded set, reading after reading, into the data list's rows
/// "k TAB time TAB V TAB resistance TAB current TAB temperature TAB In-Cap TAB Out-Cap TAB
/// T-Cap". The first reading's time is the set's start text as listed; each later one adds the
/// sampling interval, across midnight. A start text that is no time of day leaves the later
/// times empty.
class SetDecoder
{
public:
    SetDecoder(QByteArrayView set, const QString& startText, int intervalSeconds);

    /// Whole readings in the set.
    [[nodiscard]] int count() const { return m_count; }
    /// The set's format; the defaults of an empty format byte for a set without a header.
    [[nodiscard]] const SetFormat& format() const { return m_format; }
    /// Whether the set has a header to take the format from.
    [[nodiscard]] bool hasHeader() const { return m_hasHeader; }
    /// The row of reading `k` (1..count()); rows must be asked for in order.
    [[nodiscard]] QString row(int k);

private:
    QByteArrayView m_set;
    SetFormat m_format;
    bool m_hasHeader = false;
    int m_count = 0;
    QString m_startText;
    int m_interval = 0;
    int m_startSeconds = -1; // the start as seconds of the day; -1 when it is no time
    QString m_previousVoltage;
};

/// Decodes manually stored readings into the manual list's rows, with the display decoders of
/// the live frame run on each record's stored display bytes. They work on a reading of their
/// own, started from the live one and carried from record to record, so the live reading (and
/// the recordings that compare its units) never sees them.
class ManualDecoder
{
public:
    explicit ManualDecoder(const CurrentReading& live) : m_reading(live) {}

    /// The row of 33-byte record `record` numbered `k`; a shorter record reads as zeros.
    [[nodiscard]] QString row(int k, QByteArrayView record);
    /// The working reading after the last record.
    [[nodiscard]] const CurrentReading& reading() const { return m_reading; }

private:
    CurrentReading m_reading;
};

/// The manual list's titles.
[[nodiscard]] const QStringList& manualListTitles();

/// A list of downloaded readings as its window holds it: the nine titles, then one
/// tab-separated row per reading.
struct MemoryListRows
{
    QStringList titles;
    QStringList rows;
};

/// The data list's titles for a set: those of the live reading's units, with the set's
/// current, range and temperature titles when it has a header.
[[nodiscard]] QStringList setListTitles(const CurrentReading& live, const SetDecoder& decoder);

/// The data list of set `number` (from 1) as the memory window lists it: the titles of the
/// live reading's units, with the set's current, range and temperature titles when it has a
/// header, and its readings from the start time and interval of its set grid row.
[[nodiscard]] MemoryListRows setListRows(int number, QByteArrayView set,
                                         const CurrentReading& live);
/// The manual list of a reply to "T", decoded as the memory window does from the live reading.
[[nodiscard]] MemoryListRows manualListRows(QByteArrayView reply, const CurrentReading& live);
