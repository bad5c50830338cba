#pragma once

#include "ReadingSeries.h"

#include <QDate>
#include <QString>

/// A recording read from disk for graphs and figures, or why it could not be.
struct LoadedSeries
{
    ReadingSeries series;
    QString failure; ///< one line for the user: what is wrong with the file; empty when read
    QString warning; ///< one line: "PATH: " and what was left out of it; empty when nothing
};

/// Reads a data file, a list's save or a CellDesk CSV at `path` (a regular file only, opened
/// without ever blocking). A data file's first row is on `firstDate`, or when that is invalid
/// on the date its modification time and its times of day give.
[[nodiscard]] LoadedSeries loadReadingSeries(const QString& path, QDate firstDate = {});
