#pragma once

#include "RowTimes.h"

#include <qcustomplot.h>

#include <QSharedPointer>

// The tick rules of the graphs' axes.

/// Ticks with labels by the program's one rule (tickLabels), for every axis that counts values.
[[nodiscard]] QSharedPointer<QCPAxisTicker> readableTicker();

/// Ticks at round times of the clock (or of the time since the first record), labelled as
/// `reading` reads time. X is the time itself, or with a `pace` (kept by pointer: it must
/// outlive the ticker) the record taken at that time.
[[nodiscard]] QSharedPointer<QCPAxisTicker> timeTicker(const RowTimes* pace, XReading reading);
