#pragma once

#include "MemoryList.h"
#include "PlotRequest.h"

#include <QPointer>

class ListPlot;
class PlotRange;
class Prompts;
class StatusPanel;

/// The automatic data list ("Data List"): the readings of one set from the meter's memory,
/// with a status panel (`LblMessage`) that shows the fill progress and then which set it
/// holds. Its toolbar saves the list to a data file ("Save"), exports it as CSV ("Export
/// CSV"), plots its voltage in the list plot ("Plot") and prints it ("Print"). The list plot and
/// its range dialog close with it.
class DataList : public MemoryList
{
    Q_OBJECT
public:
    /// Columns 3 (resistance) and 5 (temperature) start with the range and temperature unit of
    /// the live reading; the set shown replaces them.
    DataList(AppState& state, Prompts& prompts, FileTransfer& transfer, QWidget* mainWindow);

    [[nodiscard]] StatusPanel* statusPanel() const { return m_panel; }
    [[nodiscard]] ListPlot* plot() const;
    [[nodiscard]] PlotRange* range() const;

    void runToolbarCommand(const QString& key) override;

protected:
    void closing() override;

private:
    void save();
    /// The toolbar's Plot: sets the plot request to every row's voltage and opens the plot.
    void plotVoltage();
    /// Opens the list plot on this list's request, closing an open one first; `fitted`: over
    /// the range of the values instead (Fit on open).
    void openPlot(bool fitted);
    void openRange();

    Prompts& m_prompts;
    QWidget* m_mainWindow;
    StatusPanel* m_panel = nullptr;
    QPointer<ListPlot> m_plot;
    QPointer<PlotRange> m_range;
    // What this list's plot shows. Its own: a column click in a file list rewrites the
    // program's request, which must not retitle or rescale this plot.
    PlotRequest m_request;
};
