#pragma once

#include "ComparatorCodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

/// The header of a comparator file: one row per set, the limits as the editors hold them
/// (four digits with the point where the decimal choice puts it), resistance units "Ohm" or
/// "mOhm", voltages in volts.
inline const QString ComparatorCsvHeader =
    QStringLiteral("set,resistance_high,resistance_high_unit,resistance_low,"
                   "resistance_low_unit,voltage_high_V,voltage_low_V");

/// The seven cells of set `set` from its table entry ("1", "01.23", "mOhm", "0.050", "Ohm",
/// "12.34", "10.00"); a limit without a decimal choice has no point. Empty when the entry is
/// not 20 hex digits.
[[nodiscard]] QStringList comparatorCsvCells(int set, const QString& entry);

/// The whole table as a comparator file: the header and sets 1..99, "\n" line ends.
[[nodiscard]] QByteArray comparatorCsv(const ComparatorTexts& table);

/// One row of a comparator file.
struct ComparatorCsvRow
{
    int line = 0; ///< line number in the file, from 1
    int set = 0;
    QStringList cells; ///< all seven, blanks and quotes around each removed
};

/// A comparator file read: its rows, or what is wrong with it.
struct ComparatorCsvFile
{
    QList<ComparatorCsvRow> rows;
    QString error; ///< "line 7: ..." ; empty when the file is good
};

/// Longest comparator file read: one holds some 4 KB, and anything far larger is none.
inline constexpr qint64 MaxComparatorFileBytes = 64 * 1024;
/// Reads a comparator file: the header first, then one row of seven cells per set, each set
/// 1..99 at most once; blank lines are skipped. Sets missing from the file are not rows.
[[nodiscard]] ComparatorCsvFile parseComparatorCsv(QByteArrayView bytes);

/// What writing a comparator file into the meter sends: the sets whose row differs from the
/// meter's table, or why the file cannot be sent (a limit the editors cannot hold, a voltage
/// above 60.00 V). Rows equal to what the meter holds are left out, also when the meter's
/// entry could not be typed into the editors. A limit may be written as a spreadsheet writes
/// numbers back ("1.3" for "01.30", "12" for "12.00") where it fits the editors without
/// losing a digit; it keeps the meter's decimal choice for that limit when it fits it.
struct ComparatorChanges
{
    QList<ComparatorUpdate> updates;
    QString error;
};
[[nodiscard]] ComparatorChanges comparatorChanges(const ComparatorTexts& meter,
                                                  const QList<ComparatorCsvRow>& rows);
