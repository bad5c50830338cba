#include "PlotGridColumn.h"

#include "AxisText.h"
#include "ColumnPlot.h"
#include "ColumnPlotRequest.h"
#include "DataFileLines.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "TextGrid.h"

GraphWindow* PlotGridColumn(const TextGrid& grid, int column, const ColumnKind& kind,
                            PlotRequest& request, QPointer<GraphWindow>& plot, Prompts& prompts,
                            const Clock& clock)
{
    QStringList texts;
    QStringList times;
    // The list as its Save writes it, for the graph's figures and capacity axis.
    QByteArray data;
    const int rows = grid.rows();
    texts.reserve(rows - 1);
    times.reserve(rows - 1);
    std::vector<QStringView> cells;
    for (int r = 0; r < rows; ++r) {
        grid.rowCells(r, cells);
        data += dataFileBytes(gridSaveLine(cells));
        if (r == 0)
            continue;
        texts.append(grid.cell(r, column));
        times.append(grid.cell(r, 1));
    }
    const ColumnValues values = preparePlotColumn(request, kind, texts);
    GraphWindow* window = GraphWindow::open(plot, GraphWindow::Kind::Stored, prompts, clock);
    window->setColumnSource([data] { return ReadingSeries::fromDataFile(data); },
                            columnUnit(column, grid.cellView(0, column), values.milli));
    window->showColumn(request, values.values, RowTimes::fromTexts(times));
    GraphView* graph = window->graph();
    graph->setAxisCaption(2, columnAxisTitle(column, grid.cell(0, column), values.milli));
    graph->setPlotOverloads(
        1, QList<double>(values.overloadValues.begin(), values.overloadValues.end()));
    return window;
}
