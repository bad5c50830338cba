#include "RealTimeList.h"

#include "AppState.h"
#include "BusyPointer.h"
#include "Clock.h"
#include "CsvReadings.h"
#include "DataFileColumns.h"
#include "DataFileLines.h"
#include "FileTransfer.h"
#include "GridView.h"
#include "ListImages.h"
#include "Prompts.h"
#include "TextGrid.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QCloseEvent>
#include <QDir>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int kColumns = 9;
constexpr int kCurrentColumn = 4;
// Rows in view below the titles when the window opens; once they are full the list scrolls by
// itself.
constexpr int kRowsInView = 15;

} // namespace

RealTimeList::RealTimeList(AppState& state, Prompts& prompts, FileTransfer& transfer,
                           QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(state), m_prompts(prompts), m_transfer(transfer)
{
    setObjectName(QStringLiteral("RealTimeList"));
    setWindowTitle(QStringLiteral("Real Time List"));

    m_toolbar = windowToolbar(
        this,
        {{listImage(ListImage::Save), QStringLiteral("Save"), QStringLiteral("Save As")},
         csvExportButton(),
         {listImage(ListImage::Print), QStringLiteral("Print")}},
        [this](const QString& key) { runToolbarCommand(key); });
    m_handlers.setBusyWidget(m_toolbar);

    m_grid = new TextGrid(kColumns, this);
    const QStringList titles = readingListTitles(m_state.reading);
    for (int c = 0; c < kColumns; ++c)
        m_grid->setTitle(c, titles[c]);
    m_view = new GridView(this);
    m_view->setGrid(m_grid);
    m_view->setColumnWidthTexts(dataFileWidthTexts());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_view);
    const QSize gridSize = m_view->sizeForRecords(kRowsInView);
    m_view->setMinimumSize(m_view->sizeForRecords(MinimumRecords, MinimumColumns));
    resize(gridSize.width(), gridSize.height() + m_toolbar->sizeHint().height());

    if (mainWindow) {
        const QRect main = mainWindow->frameGeometry();
        move(main.x() + main.width(), main.y());
    }
    WindowPlacement::manage(this);
}

void RealTimeList::showCurrentTitle(bool milliAmps)
{
    m_grid->setTitle(kCurrentColumn, currentTitle(milliAmps));
}

void RealTimeList::addRow(QStringView line)
{
    m_grid->appendRow(line);
    const int row = m_grid->rows() - 1;
    if (row == 1) {
        // The stamps carry no date: the clock gives the first one's, and the export counts
        // the midnights from there.
        const QDateTime now = m_transfer.clock().now();
        const std::optional<QTime> stamp = timeOfDay(m_grid->cellView(1, 1));
        m_firstDate = stamp ? dateNearest(*stamp, now) : now.date();
    }
    m_view->setCurrentRow(row);
    if (row > m_view->recordsInView())
        m_view->setTopRow(m_view->topRow() + 1);
}

void RealTimeList::runToolbarCommand(const QString& key)
{
    if (m_handlers.running())
        return; // one save or print at a time; the toolbar is greyed meanwhile
    if (key == QLatin1String("Save"))
        save();
    else if (key == CsvExportKey)
        exportCsv();
    else if (key == QLatin1String("Print"))
        print();
}

void RealTimeList::save()
{
    if (m_state.FileRecording) {
        m_prompts.message(QStringLiteral("Aready in recording mode, close it and try again !"),
                          Prompts::Icon::Critical);
        return;
    }
    m_handlers.enter();
    {
        BusyPointer busy;
        m_transfer.ChooseSaveFile(parentWidget() ? parentWidget() : this);
        if (m_state.SaveFileChosen)
            m_transfer.SaveGridToFile(*this, *m_grid);
    }
    m_handlers.leave();
}

void RealTimeList::exportCsv()
{
    m_handlers.enter();
    m_transfer.ExportCsv(*this, *m_grid, FileTransfer::csvSourceOf(*m_grid),
                         {.date = m_firstDate, .ask = false});
    m_handlers.leave();
}

void RealTimeList::print()
{
    m_handlers.enter();
    m_transfer.PrintGrid(
        *this, *m_grid,
        m_state.FileRecording
            ? QStringLiteral("recording to %1").arg(QDir::toNativeSeparators(m_state.SaveFileName))
            : QStringLiteral("live readings"));
    m_handlers.leave();
}

void RealTimeList::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_handlers.close())
        return;
    emit closed();
}
