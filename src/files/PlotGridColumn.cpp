#include "PlotGridColumn.h"

#include "ColumnPlot.h"
#include "ColumnPlotRequest.h"
#include "GraphWindow.h"
#include "TextGrid.h"

GraphWindow* PlotGridColumn(const TextGrid& grid, int column, const ColumnKind& kind,
                            PlotRequest& request, QPointer<GraphWindow>& plot, Prompts& prompts,
                            const Clock& clock)
{
    QStringList texts;
    const int rows = grid.rows();
    texts.reserve(rows - 1);
    for (int r = 1; r < rows; ++r)
        texts.append(grid.cell(r, column));
    const std::vector<float> values = preparePlotRequest(request, kind, texts);
    GraphWindow* window = GraphWindow::open(plot, GraphWindow::Kind::Stored, prompts, clock);
    window->showColumn(request, values);
    return window;
}
