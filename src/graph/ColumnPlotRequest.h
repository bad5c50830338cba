#pragma once

#include "ColumnPlot.h"
#include "PlotRequest.h"

#include <QStringList>

#include <vector>

/// What a click on a value column of a data list hands to the stored-data graph: sets
/// `request` from the column's kind (title, full scale as the working range, box format and
/// step) and its `texts` (one per data row: record count, record axis, records 1 to the last),
/// then widens the working range over the values it returns for plotting.
[[nodiscard]] ColumnValues preparePlotColumn(PlotRequest& request, const ColumnKind& kind,
                                             const QStringList& texts);
/// preparePlotColumn's values alone.
[[nodiscard]] std::vector<float> preparePlotRequest(PlotRequest& request, const ColumnKind& kind,
                                                    const QStringList& texts);
