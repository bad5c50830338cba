#include "DataList.h"

#include "AppState.h"
#include "BusyPointer.h"
#include "ColumnPlot.h"
#include "DataFileColumns.h"
#include "FileTransfer.h"
#include "FitOnOpen.h"
#include "GridView.h"
#include "ListPlot.h"
#include "PlotRange.h"
#include "Prompts.h"
#include "StatusPanel.h"
#include "TextGrid.h"
#include "WindowPlacement.h"

namespace {

constexpr int kVoltageColumn = 2;

} // namespace

DataList::DataList(AppState& state, Prompts& prompts, FileTransfer& transfer, QWidget* mainWindow)
    : MemoryList(QStringLiteral("DataList"), QStringLiteral("Data List"),
                 readingListTitles(state.reading), dataFileWidthTexts(),
                 {{listImage(ListImage::Save), QStringLiteral("Save"), QStringLiteral("Save As")},
                  csvExportButton(),
                  {listImage(ListImage::Plot), QStringLiteral("Plot"), QStringLiteral("Plot")},
                  {listImage(ListImage::Print), QStringLiteral("Print"), QStringLiteral("Print")}},
                 state, transfer, mainWindow),
      m_prompts(prompts), m_mainWindow(mainWindow)
{
    m_panel = new StatusPanel(this);
    m_panel->setObjectName(QStringLiteral("LblMessage"));
    addBelowGrid(m_panel);
}

ListPlot* DataList::plot() const
{
    return m_plot;
}

PlotRange* DataList::range() const
{
    return m_range;
}

void DataList::runToolbarCommand(const QString& key)
{
    if (handlerRunning() || isClosed())
        return; // one save or print at a time; the toolbar is greyed meanwhile
    if (key == QLatin1String("Save"))
        save();
    else if (key == CsvExportKey)
        exportCsv();
    else if (key == QLatin1String("Plot"))
        plotVoltage();
    else if (key == QLatin1String("Print"))
        print(m_panel->text()); // which set the list holds
}

void DataList::save()
{
    if (m_state.FileRecording) {
        enterHandler();
        m_prompts.message(QStringLiteral("Aready in recording mode, close it and try again !"),
                          Prompts::Icon::Critical);
        leaveHandler();
        return;
    }
    enterHandler();
    {
        BusyPointer busy;
        m_transfer.ChooseSaveFile(this);
        if (m_state.SaveFileChosen)
            m_transfer.SaveGridToFile(*this, grid());
    }
    leaveHandler();
}

void DataList::plotVoltage()
{
    const int rows = dataRows();
    if (rows < 1)
        return; // nothing to draw, and the request stays as it was
    const QString title = grid().cell(0, kVoltageColumn);
    const std::optional<ColumnKind> kind = columnKind(kVoltageColumn, title);
    if (!kind)
        return;
    PlotRequest& q = m_state.plotRequest;
    q.Title = kind->title;
    q.FullScaleMax = kind->fullScaleMax;
    q.FullScaleMin = kind->fullScaleMin;
    q.ValueMax = kind->fullScaleMax;
    q.ValueMin = kind->fullScaleMin;
    q.ValueFormat = kind->valueFormat;
    q.ValueStep = kind->valueStep;
    q.RecordCount = float(rows);
    q.RecordAxisMax = float(rows);
    q.RecordTo = float(rows);
    q.RecordFrom = 1;
    m_request = q;
    openPlot(FitOnOpen::choice().isOn());
}

void DataList::openPlot(bool fitted)
{
    if (m_plot)
        m_plot->close();
    const std::array<ListPlotSeries, 3> series{{{true, kVoltageColumn}, {}, {}}};
    m_plot = new ListPlot(m_request, grid(), series, m_prompts, m_transfer.clock(), m_mainWindow);
    m_plot->setSource(m_panel->text());
    WindowPlacement::setOpener(m_plot, this);
    connect(m_plot, &ListPlot::recordReached, this, [this](int row) { view().setCurrentRow(row); });
    connect(m_plot, &ListPlot::limitClicked, this, &DataList::openRange);
    // The range dialog starts from what the plot shows after a Fit.
    connect(m_plot, &ListPlot::requestChanged, this, [this, plot = m_plot] {
        if (plot)
            m_request = plot->request();
    });
    if (fitted)
        m_plot->fit();
    m_plot->show();
    m_plot->raise();
}

void DataList::openRange()
{
    if (!m_range) {
        auto* range = new PlotRange(m_request, m_prompts, m_mainWindow);
        m_range = range;
        WindowPlacement::setOpener(range, m_plot);
        connect(range, &PlotRange::rangeChosen, this, [this, range] {
            m_request = range->request();
            if (!isClosed())
                openPlot(false); // the range chosen, not a fit
        });
    }
    m_range->setPlotTitle(m_request.Title);
    m_range->show();
    m_range->raise();
    m_range->activateWindow();
}

void DataList::closing()
{
    if (m_range)
        m_range->close();
    if (m_plot)
        m_plot->close();
}
