#pragma once

#include <QString>

/// What a column click hands to the graph windows of stored data: the column's title, its
/// value ranges, the number format of the value boxes and the records to plot.
struct PlotRequest
{
    QString Title;
    float FullScaleMax = 0; ///< default value range of the column kind
    float FullScaleMin = 0;
    float ValueMax = 0; ///< working range: the full scale widened to every value plotted
    float ValueMin = 0;
    QString ValueFormat;     ///< number format of the value boxes, e.g. "0.###"
    QString ValueStep;       ///< increment of the value boxes, e.g. "0.001"
    float RecordCount = 0;   ///< data rows of the list (header row not counted)
    float RecordAxisMax = 0; ///< the record axis's top, restored by a reset
    float RecordFrom = 0;    ///< first record to plot
    float RecordTo = 0;      ///< last record to plot
};
