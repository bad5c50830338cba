#include "ColumnPlotRequest.h"

ColumnValues preparePlotColumn(PlotRequest& request, const ColumnKind& kind,
                               const QStringList& texts)
{
    request.Title = kind.title;
    request.FullScaleMax = kind.fullScaleMax;
    request.FullScaleMin = kind.fullScaleMin;
    request.ValueFormat = kind.valueFormat;
    request.ValueStep = kind.valueStep;
    request.ValueMax = kind.fullScaleMax;
    request.ValueMin = kind.fullScaleMin;
    request.RecordCount = static_cast<float>(texts.size());
    request.RecordAxisMax = request.RecordCount;
    request.RecordFrom = 1;
    request.RecordTo = request.RecordCount;

    ColumnValues column = columnValues(texts, request.ValueMax, request.ValueMin);
    request.ValueMax = column.valueMax;
    request.ValueMin = column.valueMin;
    return column;
}

std::vector<float> preparePlotRequest(PlotRequest& request, const ColumnKind& kind,
                                      const QStringList& texts)
{
    return std::move(preparePlotColumn(request, kind, texts).values);
}
