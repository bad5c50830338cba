#pragma once

#include "CurrentReading.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <array>
#include <span>

/// Most data lines a recording file or the real-time list holds.
inline constexpr int MaxRecordCount = 36001;

/// Print widths in characters of the first nine list columns (88 in all).
inline constexpr std::array<int, 9> PrintColumnWidths{7, 10, 9, 9, 9, 11, 11, 12, 10};

/// One sample: `stamp`, then the voltage, resistance, current, temperature, In-Cap, Out-Cap
/// and T-Cap texts of `reading` exactly as decoded, each capacity followed by "(m)" when it
/// is shown in mAh. Seven tabs, none at the end.
[[nodiscard]] QString ReadingLine(const QString& stamp, const CurrentReading& reading);

/// A line of a recording file: the record number, a tab and the sample line.
[[nodiscard]] QString recorderLine(qint32 count, const QString& readingLine);

/// The header line of a recording file for the units in force when it started.
[[nodiscard]] QString recorderHeader(const QString& rangeText, bool milliAmps,
                                     const QString& tempUnitText);

/// The titles of a list of readings under the units in force: the live reading's range and
/// temperature unit, and each capacity followed by the blank the recorder's header has.
inline QStringList readingListTitles(const CurrentReading& reading)
{
    return {QStringLiteral("No.s"),    QStringLiteral("Time"),     QStringLiteral("V"),
            reading.RangeText,         QStringLiteral("Amp"),      reading.TempUnitText,
            QStringLiteral("In-Cap "), QStringLiteral("Out-Cap "), QStringLiteral("T-Cap ")};
}

/// The current column's title: "mAmp" when the current is shown in mA, else "Amp".
[[nodiscard]] QString currentTitle(bool milliAmps);

/// A line of a grid save: every cell followed by one tab, the last one too.
[[nodiscard]] QString gridSaveLine(std::span<const QStringView> cells);

/// A printed line: columns 0-8, each left-aligned and padded with blanks to its print width.
/// A cell wider than its column is printed whole and followed by one blank; further columns
/// are not printed.
[[nodiscard]] QString printLine(std::span<const QStringView> cells);

/// The bytes of one file line: Latin-1, ended by CR LF.
[[nodiscard]] QByteArray dataFileBytes(QStringView line);
