#include "FileList.h"

#include "AppState.h"
#include "Clock.h"
#include "ColumnPlot.h"
#include "DataFileColumns.h"
#include "DataFileReader.h"
#include "FileTransfer.h"
#include "GraphWindow.h"
#include "GridView.h"
#include "ListImages.h"
#include "PlotGridColumn.h"
#include "Prompts.h"
#include "TextGrid.h"
#include "WindowPlacement.h"
#include "WindowToolbar.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QIODevice>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr int kColumns = 9;
constexpr int kRowsInView = 20;
// Reading runs in slices of this length; events run between them, so the caption repaints
// and the program answers the user while a long file loads.
constexpr qint64 kSliceMs = 25;

} // namespace

FileList::FileList(AppState& state, Prompts& prompts, FileTransfer& transfer,
                   QPointer<GraphWindow>& plot, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window), m_state(state), m_prompts(prompts), m_transfer(transfer),
      m_plot(plot)
{
    setObjectName(QStringLiteral("FileList"));
    setWindowTitle(QStringLiteral("File List"));

    m_toolbar = windowToolbar(this,
                              {csvExportButton(),
                               {listImage(ListImage::Plot), QStringLiteral("Plot")},
                               {listImage(ListImage::Print), QStringLiteral("Print")}},
                              [this](const QString& key) { runToolbarCommand(key); });

    m_grid = new TextGrid(kColumns, this);
    const QStringList titles{
        QStringLiteral("No.s"),    QStringLiteral("Time"),    QStringLiteral("V"),
        m_state.reading.RangeText, QStringLiteral("Amp"),     m_state.reading.TempUnitText,
        QStringLiteral("In-Cap"),  QStringLiteral("Out-Cap"), QStringLiteral("T-Cap")};
    for (int c = 0; c < kColumns; ++c)
        m_grid->setTitle(c, titles[c]);
    m_view = new GridView(this);
    m_view->setGrid(m_grid);
    m_view->setColumnWidthTexts(dataFileWidthTexts());
    // A click on a column title plots the column as a click on one of its cells does.
    m_view->horizontalHeader()->setSectionsClickable(true);
    connect(m_view, &QAbstractItemView::clicked, this,
            [this](const QModelIndex& index) { plotColumn(index.column()); });
    connect(m_view->horizontalHeader(), &QHeaderView::sectionClicked, this, &FileList::plotColumn);

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

    m_slice.setInterval(0);
    connect(&m_slice, &QTimer::timeout, this, &FileList::readSlice);
}

FileList::~FileList()
{
    stopLoad();
}

void FileList::load(std::unique_ptr<QIODevice> device, const QString& path)
{
    stopLoad();
    if (m_handlers.closed() || !device)
        return;
    m_device = std::move(device);
    m_path = path;
    m_lastWritten = QFileInfo(path).lastModified();
    m_reader = std::make_unique<DataFileReader>(*m_device);
    setCursor(Qt::BusyCursor);
    m_slice.start();
}

void FileList::stopLoad()
{
    m_slice.stop();
    m_reader.reset();
    if (m_device)
        m_device->close();
    m_device.reset();
    m_batch = QStringList();
    unsetCursor();
}

void FileList::readSlice()
{
    if (!m_reader || !m_grid)
        return;
    QElapsedTimer clock;
    clock.start();
    DataFileReader::Result result;
    do {
        result = m_reader->next();
        if (result == DataFileReader::Result::Header) {
            QStringList titles;
            for (int c = 0; c < kColumns; ++c)
                titles << m_grid->cell(0, c);
            titles = DataFileHeader::fromLine(m_reader->headerLine()).appliedTo(titles);
            // The export reads the values under the file's own units: the titles keep the
            // live reading's range where the file names none.
            m_csvSource = CsvSource::fromHeader(m_reader->headerLine());
            for (int c = 0; c < kColumns; ++c)
                m_grid->setTitle(c, titles[c]);
        } else if (result == DataFileReader::Result::Row) {
            m_batch.append(m_reader->cells().join(QLatin1Char('\t')));
        }
    } while ((result == DataFileReader::Result::Header || result == DataFileReader::Result::Row) &&
             clock.elapsed() < kSliceMs);

    const qint64 lineNumber = m_reader->lineNumber();
    const QString reason = m_reader->errorString();
    if (!m_batch.isEmpty()) {
        m_grid->appendRows(m_batch);
        m_batch.clear();
        if (!m_reader)
            return; // closed by someone watching the rows
        setWindowTitle(QString::number(m_grid->rows() - 1) + QLatin1String(" Records Completed"));
        if (!m_reader)
            return; // closed by someone watching the caption
    }

    const QString shownPath = QDir::toNativeSeparators(m_path);
    switch (result) {
    case DataFileReader::Result::Header:
    case DataFileReader::Result::Row:
        return; // more in the next slice
    case DataFileReader::Result::End:
        stopLoad();
        setWindowTitle(QFileInfo(m_path).fileName());
        emit loadFinished();
        return;
    case DataFileReader::Result::LineTooLong:
        failLoad(QStringLiteral("%1 is not a data file.").arg(shownPath),
                 QStringLiteral("Line %1 is longer than %2 characters.")
                     .arg(lineNumber)
                     .arg(DataFileReader::MaxLineBytes));
        return;
    case DataFileReader::Result::ReadError:
        failLoad(QStringLiteral("Cannot read %1").arg(shownPath),
                 QStringLiteral("%1\nOnly the first %2 records are listed.")
                     .arg(reason)
                     .arg(m_grid->rows() - 1));
        return;
    }
}

// The rows read so far stay, and the caption keeps its last count: the list is not whole.
void FileList::failLoad(const QString& text, const QString& details)
{
    stopLoad();
    emit loadFinished();
    m_handlers.enter();
    m_prompts.message(text, Prompts::Icon::Critical, QString(), details);
    m_handlers.leave();
}

void FileList::runToolbarCommand(const QString& key)
{
    if (key == QLatin1String("Plot")) {
        m_handlers.enter();
        m_prompts.message(QStringLiteral("Move mouse pointer to the list data then click to plot."),
                          Prompts::Icon::None);
        m_handlers.leave();
    } else if (key == QLatin1String("Print")) {
        print();
    } else if (key == CsvExportKey) {
        exportCsv();
    }
}

void FileList::exportCsv()
{
    // One prompt at a time; a file still loading is exported once it is whole.
    if (!m_grid || m_handlers.running() || isLoading())
        return;
    const CsvSource source = m_path.isEmpty() ? FileTransfer::csvSourceOf(*m_grid) : m_csvSource;
    TimeOfDayRun run;
    for (int r = 1; r < m_grid->rows(); ++r)
        (void)run.next(m_grid->cellView(r, 1));
    // The file's date, counted back to its first row; today for a list of no file.
    const QDate offered =
        m_lastWritten.isValid() ? run.firstDate(m_lastWritten) : m_transfer.clock().now().date();
    m_handlers.enter();
    m_toolbar->setEnabled(false);
    m_transfer.ExportCsv(*this, *m_grid, source, {.date = offered, .ask = true});
    m_toolbar->setEnabled(true);
    m_handlers.leave();
}

void FileList::print()
{
    if (!m_grid || m_printing)
        return; // one print at a time; the toolbar is greyed meanwhile
    m_handlers.enter();
    m_printing = true;
    m_toolbar->setEnabled(false);
    m_transfer.PrintGrid(*this, *m_grid, QDir::toNativeSeparators(m_path));
    m_toolbar->setEnabled(true);
    m_printing = false;
    m_handlers.leave();
}

void FileList::plotColumn(int column)
{
    if (!m_grid)
        return;
    const std::optional<ColumnKind> kind = columnKind(column, m_grid->cell(0, column));
    if (!kind) {
        m_handlers.enter();
        m_prompts.message(QStringLiteral("Invalid, try again!"), Prompts::Icon::None);
        m_handlers.leave();
        return;
    }
    if (m_grid->rows() < 2)
        return; // nothing to plot, and the request stays as it was
    PlotGridColumn(*m_grid, column, *kind, m_state.plotRequest, m_plot, m_prompts,
                   m_transfer.clock())
        ->setSource(QDir::toNativeSeparators(m_path));
}

void FileList::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_handlers.close())
        return;
    const bool wasLoading = isLoading();
    stopLoad();
    if (wasLoading)
        emit loadFinished();
    if (!m_handlers.running())
        return;
    if (m_printing) {
        // The print stops at its next line when the rows are gone.
        m_view->setGrid(nullptr);
        delete m_grid;
        m_grid = nullptr;
    }
}
