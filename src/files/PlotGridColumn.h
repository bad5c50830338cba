#pragma once

#include <QPointer>

class Clock;
class GraphWindow;
class Prompts;
class TextGrid;
struct ColumnKind;
struct PlotRequest;

/// Plots column `column` of a list's data rows in the stored-data graph `Plot`: fills
/// `request` from the column's `kind` and its cells (full scale widened to the values, the
/// records 1 to the last), then shows the window held in `plot` - building it if there is
/// none - with the column against the record number. The list needs at least one data row.
/// `clock` dates the graph's printouts.
GraphWindow* PlotGridColumn(const TextGrid& grid, int column, const ColumnKind& kind,
                            PlotRequest& request, QPointer<GraphWindow>& plot, Prompts& prompts,
                            const Clock& clock);
