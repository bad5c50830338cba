#pragma once

#include "CellGrade.h"
#include "PackMatcher.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

/// One graded cell of a session.
struct GradedCell
{
    qint64 key = 0; ///< its row in the database; 0 before it is stored
    QString id;     ///< "A0001", or as typed or scanned
    QDateTime taken;
    CellValues values;
    std::optional<double> capacity; ///< Ah, typed in or imported
    CellGrade grade;
};

/// Graded cells as pack matching takes them: only a passing cell goes into a pack.
[[nodiscard]] QList<PackCell> packCellsOf(const QList<GradedCell>& cells);

// Graded cells as CSV, with the conventions of the other CSV files (comma-separated, UTF-8,
// "\n" line ends, plain C-locale numbers in V, Ohm and degrees Celsius): the local date and
// time without its offset, so that spreadsheets read a date, and the offset in the last
// column, so that scripts keep the instant.

/// "cell_id,date_time,voltage_V,resistance_Ohm,temperature_C,verdict,reason,utc_offset".
[[nodiscard]] QString gradeCsvHeader();
/// The CSV row of a cell; an overload or a value not shown is an empty cell.
[[nodiscard]] QString gradeCsvRow(const GradedCell& cell);
/// The same as one line of JSON: "cell_id", "time" (ISO 8601 with the offset), "voltage_V",
/// "resistance_Ohm", "temperature_C" (null when not a number), "verdict", "reason".
[[nodiscard]] QByteArray gradeJsonLine(const GradedCell& cell);

/// A number as the CSV files write it: C locale, no exponent, as few digits as tell it.
[[nodiscard]] QString csvNumber(double value);
/// The fields of one RFC 4180 line: split at commas outside double quotes, quotes removed.
[[nodiscard]] QStringList csvFields(QStringView line);

/// The cells of a CSV file with a `cell_id` column and `capacity_Ah` and/or `resistance_Ohm`
/// (and `verdict`: a cell whose verdict is not PASS does not pass), or what is wrong with it.
struct CellsCsv
{
    QList<PackCell> cells;
    QString error; ///< "line 7: ..."; empty when the file is good
};
/// Longest file of cells or capacities read (a million cells take some 40 MB).
inline constexpr qint64 MaxCellsFileBytes = 64 * 1024 * 1024;
/// Reads such a file (also a list of capacities, `cell_id,capacity_Ah`). Blank lines are
/// skipped; an ID twice, or a value that is no number, is an error.
[[nodiscard]] CellsCsv parseCellsCsv(QByteArrayView bytes);

/// A pack plan as CSV: "group,cell_id,capacity_Ah,resistance_Ohm", one row per cell, groups
/// numbered 1..S.
[[nodiscard]] QByteArray planCsv(const PackPlan& plan, std::span<const PackCell> cells);
/// The plan's spread in words: "spread 0.0012 % between the 4 groups' capacities (the
/// sort-and-snake start: 0.27 %)".
[[nodiscard]] QString planSpreadText(const PackPlan& plan);
/// Why a plan could not be made: "4S10P needs 40 passing cells with a capacity: 3 are
/// missing".
[[nodiscard]] QString planMissingText(const PackPlan& plan);
