#pragma once

#include "CurrentReading.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <QTime>

#include <functional>
#include <optional>
#include <span>

// Readings as CSV for spreadsheets and scripts: RFC 4180, comma-separated, UTF-8, "\n" line
// ends, a header row, then one row per reading:
//   record,date_time,elapsed_s,voltage_V,resistance_Ohm,current_A,temperature_C,
//   in_capacity_Ah,out_capacity_Ah,total_capacity_Ah,flags,utc_offset
// date_time is local time without an offset (2026-12-08T10:15:01), which spreadsheets read as
// a date and time; utc_offset ("+01:00") keeps the instant for scripts. Without a known date
// date_time is the time of day alone and utc_offset is empty. elapsed_s counts from the first
// row: for live readings on the monotonic clock, so a clock that is set moves date_time only.
// Values are plain C-locale numbers in V, Ohm, A, degrees and Ah, with the digits the meter
// showed (mOhm, mA and mAh moved by three places, no exponent, no rounding). A value that is
// no number is an empty cell, named in `flags` (space-separated): "OL:voltage" and
// "-OL:current" for overloads, "?:resistance" for a text that is no number or whose unit is
// unknown, "?:time" for a row without a time of day, "missing:current" for a channel a line
// cut short holds no cell for. A blank value is an empty cell alone.
// "gap:S" marks the first live row after due samples were skipped: S seconds passed since the
// row before it.

/// The unit of the temperature column.
enum class TemperatureUnit
{
    Celsius,
    Fahrenheit
};

/// A temperature `value` in the other unit than `to`, in `to`.
[[nodiscard]] double convertedTemperature(double value, TemperatureUnit to);

/// How the value texts of a data file or a list are read: the units its titles name.
struct CsvSource
{
    QString rangeText;      ///< "4 mOhm" ... "400 Ohm"; empty when the titles name none
    bool milliAmps = false; ///< the current is in mA ("mAmp")
    std::optional<TemperatureUnit> temperatureUnit; ///< none when the titles name none
    /// The manual list's layout: each cell names its own unit ("12.34 / 40 mOhm",
    /// "120.5(m)" for mA, " 23.9 C", "15.62 (m)").
    bool unitsInCells = false;
    /// The rows were taken one after another, so their times of day count on across
    /// midnights. The manual list's readings were stored whenever the user pressed the key:
    /// they are no sequence, and a time of day earlier than the one before is no new day.
    [[nodiscard]] bool timeSequence() const { return !unitsInCells; }

    /// The units of a header line (the titles, tab-separated): the first range named in it,
    /// "mAmp", "Celsius" or "Fahrenheit" (also as the recorder spells it, "Fahrenheih"); the
    /// manual list's "(m)Ohm" title means units in the cells.
    [[nodiscard]] static CsvSource fromHeader(QStringView line);
    /// The units a live reading is shown in.
    [[nodiscard]] static CsvSource of(const CurrentReading& reading);
    /// The unit of one temperature cell: its own with units in the cells, else the titles'.
    [[nodiscard]] std::optional<TemperatureUnit> temperatureUnitOf(QStringView cell) const;
};

/// The temperature column's unit for rows read under `source`: the titles' unit, or with
/// units in the cells the first that `temperatureCell(r)` (r = 0 .. rows - 1) names; Celsius
/// when none does.
[[nodiscard]] TemperatureUnit
temperatureColumnUnit(const CsvSource& source, qsizetype rows,
                      const std::function<QStringView(qsizetype)>& temperatureCell);

/// The header row for a temperature column in `unit`.
[[nodiscard]] QString csvHeader(TemperatureUnit unit);

/// A field as RFC 4180 has it: as it is, or in double quotes (inner quotes doubled) when it
/// holds a comma, a double quote or a line break.
[[nodiscard]] QString csvField(QStringView text);

/// The bytes of one CSV line: UTF-8, ended by "\n".
[[nodiscard]] QByteArray csvBytes(QStringView line);

/// "hh:mm:ss" (blanks around it allowed) as a time of day; nothing for any other text.
[[nodiscard]] std::optional<QTime> timeOfDay(QStringView text);

/// Times of day in the order they were taken: each that goes back from the one before
/// passed a midnight.
class TimeOfDayRun
{
public:
    /// The next time text: its seconds from the midnight that began the first time's day;
    /// nothing for a text that is no time of day (it leaves the run as it was).
    std::optional<qint64> next(QStringView text);
    /// The midnights passed so far.
    [[nodiscard]] int midnights() const { return m_midnights; }
    /// The date of the first time when the last was taken by `lastWritten` (for example the
    /// modification time of the file that holds them): that day, the day before when the last
    /// time of day is more than ten minutes later than `lastWritten`'s (it was taken before
    /// midnight), less a day for each midnight passed. `lastWritten`'s date when no time was
    /// read.
    [[nodiscard]] QDate firstDate(const QDateTime& lastWritten) const;

private:
    int m_lastSeconds = -1;
    int m_midnights = 0;
};

/// The date on which `time` is nearest to `now`: today, yesterday or tomorrow. A sample's
/// stamp runs on from the program's start by whole intervals and may be a little ahead of or
/// behind the clock, also across midnight.
[[nodiscard]] QDate dateNearest(QTime time, const QDateTime& now);

/// The date_time cell of a local date and time, to the second: 2026-12-08T10:49:33.
[[nodiscard]] QString csvLocalTime(QDate date, QTime time);
/// The utc_offset cell of an offset in seconds: "+01:00", "-03:30".
[[nodiscard]] QString csvUtcOffset(int offsetSeconds);

/// One value of a reading as a CSV cell holds it.
struct CsvValue
{
    enum Kind
    {
        Number,           ///< `number` holds it
        Blank,            ///< nothing shown
        Overload,         ///< "OL"
        NegativeOverload, ///< "-OL"
        Unknown           ///< no number, or its unit is not known
    };
    Kind kind = Blank;
    QString number;   ///< plain C-locale number in V, Ohm, A, the column's degrees or Ah
    int decimals = 0; ///< digits after the point in `number`
};

/// The value text `text` of `channel` as a CSV cell, read under `source`: every digit the meter
/// showed, moved into the SI unit; a temperature in `temperatureUnit`.
[[nodiscard]] CsvValue csvValue(CurrentReading::Group channel, QStringView text,
                                const CsvSource& source, TemperatureUnit temperatureUnit);

/// Readings as CSV rows, one after another: the dates of times of day roll over at each
/// midnight, and elapsed_s counts from the first row.
class CsvReadings
{
public:
    /// Rows for a temperature column in `unit`. With a valid `firstDate` a row that has only a
    /// time of day gets that date (one day more for each midnight passed since the first row);
    /// without one, or when its source's rows are no time sequence, its date_time is the time
    /// of day alone.
    explicit CsvReadings(TemperatureUnit unit, QDate firstDate = {});

    /// The header row.
    [[nodiscard]] QString header() const { return csvHeader(m_unit); }

    /// The row of a data-file line or a list row: `cells` are its record number, time of day
    /// and the voltage, resistance, current, temperature, In-Cap, Out-Cap and T-Cap texts as
    /// the file or list holds them, read under `source`. Missing cells count as empty; with
    /// `missing` Flagged (a file's line that holds fewer fields) their channels are also
    /// named in flags ("missing:current").
    enum class Missing
    {
        Empty,
        Flagged
    };
    [[nodiscard]] QString row(std::span<const QStringView> cells, const CsvSource& source,
                              Missing missing = Missing::Empty);

    /// The row of a live reading numbered `record`, taken at `when` (date, time and offset
    /// known) and at `monotonicMs` on the Clock's monotonic count: its value texts under its
    /// own units. `afterGap` marks it as the first after skipped samples.
    [[nodiscard]] QString row(qint64 record, const QDateTime& when, qint64 monotonicMs,
                              const CurrentReading& reading, bool afterGap = false);

private:
    /// Appends a comma and the cell of each of the seven values; names in `flags` those that
    /// are no number.
    void appendValues(QString& line, QString& flags, std::span<const QStringView> values,
                      const CsvSource& source) const;

    /// The offset from UTC of a local date and time.
    int localOffset(QDate date, QTime time);

    TemperatureUnit m_unit;
    QDate m_firstDate;
    QDate m_offsetDay;              // the day of the offset held
    std::optional<int> m_dayOffset; // its offset all day long; none on a day it changes
    TimeOfDayRun m_run;
    std::optional<qint64> m_firstSeconds; // of the first row with a time (UTC with a date)
    std::optional<qint64> m_firstLiveMs;  // monotonic count of the first live row
    qint64 m_lastLiveMs = 0;              // ... and of the latest
};

/// A data file converted to CSV.
struct CsvConversion
{
    QByteArray csv;  ///< the CSV bytes, header row first
    qint64 rows = 0; ///< readings converted
    QString error;   ///< why the bytes are no data file; empty when converted
    QString warning; ///< what was left out (a last line cut off); empty when nothing
};

/// Converts a data file's bytes (a recording, or the save of any list) to CSV: the units
/// from its header line, the first row's time of day on `firstDate` (an invalid date leaves
/// the times of day alone). A last line without a line end that holds fewer fields than the
/// header was cut off while written: it is left out, and `warning` says so.
[[nodiscard]] CsvConversion convertDataFile(QByteArrayView bytes, QDate firstDate);

/// The date of a data file's first row, from the time the file was last written (its
/// modification time) and the times of day of its rows: see TimeOfDayRun::firstDate.
[[nodiscard]] QDate dataFileFirstDate(QByteArrayView bytes, const QDateTime& lastWritten);
