#pragma once

#include "CellCapture.h"
#include "ComparatorCodec.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

/// A cell's verdict against its session's limits.
enum class Verdict
{
    Pass,
    Warn,
    Fail
};

/// "PASS", "WARN" or "FAIL".
[[nodiscard]] QString verdictText(Verdict verdict);
/// The verdict a text names; none for any other text.
[[nodiscard]] std::optional<Verdict> verdictFromText(QStringView text);

/// The limits of a grading session, in V and Ohm; a limit that is not set is not checked. The
/// warning levels lie inside the limits: a cell between a warning level and its limit is WARN.
struct GradeLimits
{
    std::optional<double> voltageMin, voltageMax, resistanceMax;
    std::optional<double> voltageWarnMin, voltageWarnMax, resistanceWarn;

    [[nodiscard]] bool any() const
    {
        return voltageMin || voltageMax || resistanceMax || voltageWarnMin || voltageWarnMax ||
               resistanceWarn;
    }
    friend bool operator==(const GradeLimits&, const GradeLimits&) = default;
};

/// A verdict and why: "R 61.2 mOhm > 60.0 mOhm" (the reasons of each limit crossed, joined
/// by "; "), empty for a pass.
struct CellGrade
{
    Verdict verdict = Verdict::Pass;
    QString reason;
};

/// The grade of `values`: FAIL beyond a limit, or when the voltage or resistance is no number
/// ("R OL"); WARN beyond a warning level; PASS otherwise.
[[nodiscard]] CellGrade gradeCell(const GradeLimits& limits, const CellValues& values);

/// The limits a meter's comparator set stands for: the voltage between its low and high
/// limits, the resistance at most its high limit, and its low limit the resistance's warning
/// level. A limit of zero is not set. None when the entry is not 20 hex digits or a limit
/// holds no number.
[[nodiscard]] std::optional<GradeLimits> limitsFromComparatorEntry(const QString& entry);
/// A number as typed, written to a CSV or given on the command line: C locale, blanks around
/// it ignored, finite; none for anything else (an empty text, "OL", "inf").
[[nodiscard]] std::optional<double> plainNumber(QStringView text);
/// The same from the seven cells of a comparator file's row (a `comparator get` CSV).
[[nodiscard]] std::optional<GradeLimits> limitsFromComparatorCells(const QStringList& cells);

/// Limits typed as "VMIN:VMAX:RMAX" in volts and ohms ("3.6:4.2:0.060"); an empty part is not
/// set. None, with `error` saying why, for anything else.
[[nodiscard]] std::optional<GradeLimits> parseLimits(QStringView text, QString& error);

/// The automatic cell ID numbered `number`: `prefix` and at least four digits ("A0001").
[[nodiscard]] QString automaticCellId(const QString& prefix, qint64 number);
/// The number of an automatic ID of `prefix` ("A0012" gives 12); none for any other ID.
[[nodiscard]] std::optional<qint64> automaticCellNumber(const QString& prefix, QStringView id);
