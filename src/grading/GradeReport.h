#pragma once

#include "PageFrame.h"

#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

class QPrinter;

/// What the printed report of a grading session holds, top to bottom.
struct GradeReport
{
    PrintHeading heading;
    QStringList summary;           ///< the session, its limits, the counts
    QList<QStringList> statistics; ///< titles first, then one row per channel
    QList<QImage> histograms;      ///< drawn side by side
    QList<QStringList> cells;      ///< titles first, then one row per cell
    QStringList plan;              ///< the pack plan's lines; none without a plan
};

/// Prints the report on `printer`: each page under the frame's header and counted at its
/// foot, the cell table's titles on every page it runs onto. False with `failure` when the
/// printer does not take it.
bool printGradeReport(QPrinter& printer, const GradeReport& report, QString& failure);
