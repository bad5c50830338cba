#include "FileTransfer.h"

#include "AppState.h"
#include "BusyPointer.h"
#include "Clock.h"
#include "DataFileLines.h"
#include "OutputFile.h"
#include "PageFrame.h"
#include "Prompts.h"
#include "TextGrid.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <QPointer>
#include <QPrinter>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal kMaxPrintPoints = 10.0;
// Lines go to the file in blocks of about this size: few system calls, little memory.
constexpr qsizetype kWriteBlockBytes = 64 * 1024;

// Writes `block` and empties it; false once the file has failed.
bool writeBlock(OutputFile& file, QByteArray& block)
{
    const bool written = block.isEmpty() || file.write(block) == block.size();
    block.clear();
    return written;
}

// The length of a row's printed line, without building it.
qsizetype printedLength(const std::vector<QStringView>& cells)
{
    qsizetype length = 0;
    const size_t printed = std::min(cells.size(), PrintColumnWidths.size());
    for (size_t c = 0; c < printed; ++c) {
        const qsizetype width = PrintColumnWidths[c];
        length += cells[c].size() <= width ? width : cells[c].size() + 1;
    }
    return length;
}

// A monospaced font (the padding lines up only in one) at most 10 pt, small enough for
// `characters` to fit `width` device pixels of `printer`.
QFont printFont(QPrinter& printer, qsizetype characters, qreal width)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPointSizeF(kMaxPrintPoints);
    const qreal needed =
        QFontMetricsF(font, &printer).horizontalAdvance(QString(characters, QLatin1Char('0')));
    if (needed > width && needed > 0)
        font.setPointSizeF(std::floor(kMaxPrintPoints * width / needed * 10.0) / 10.0);
    return font;
}

QString printTarget(const QPrinter& printer)
{
    return printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
}

} // namespace

FileTransfer::FileTransfer(AppState& state, Prompts& prompts, const Clock& clock)
    : m_state(state), m_prompts(prompts), m_clock(clock)
{
}

QStringList FileTransfer::saveFilters()
{
    return {QStringLiteral("Data Files (*.txt)"), QStringLiteral("All Files (*.*)")};
}

QStringList FileTransfer::csvFilters()
{
    return {QStringLiteral("CSV Files (*.csv)"), QStringLiteral("All Files (*.*)")};
}

QString FileTransfer::datedFileName(const QDateTime& at, const QString& suffix)
{
    return QStringLiteral("celldesk-%1.%2")
        .arg(at.toString(QStringLiteral("yyyy-MM-dd-HHmm")), suffix);
}

CsvSource FileTransfer::csvSourceOf(const TextGrid& grid)
{
    QString titles;
    for (int c = 0; c < grid.columns(); ++c) {
        titles += grid.cellView(0, c);
        titles += QLatin1Char('\t');
    }
    return CsvSource::fromHeader(titles);
}

void FileTransfer::tellFailure(const QString& what, const QString& reason)
{
    m_prompts.message(reason.isEmpty() ? what : what + QLatin1String("\r\n") + reason,
                      Prompts::Icon::Critical);
}

bool FileTransfer::ChooseSaveFile(QWidget* parent)
{
    // Cleared first: a recording stopped by its stop check leaves the flag set, and a
    // cancelled dialog must not let the caller write over that recording's file.
    m_state.SaveFileChosen = false;
    QString path;
    {
        NormalPointer normal;
        path = m_prompts.saveFileName(parent, saveFilters(),
                                      datedFileName(m_clock.now(), QStringLiteral("txt")));
    }
    if (path.isEmpty())
        return false;
    const QString named = withDataFileSuffix(path);
    // The dialog asked about replacing the name as typed; the name now is another.
    if (named != path && QFileInfo::exists(named)) {
        NormalPointer normal;
        if (!m_prompts.confirm(QStringLiteral("%1 already exists.\nDo you want to replace it?")
                                   .arg(QDir::toNativeSeparators(named)),
                               Prompts::Icon::Exclamation, {}, Prompts::DefaultButton::Cancel))
            return false;
    }
    m_state.SaveFileName = named;
    m_state.SaveFileChosen = true;
    return true;
}

QString FileTransfer::withDataFileSuffix(const QString& path)
{
    // An existing file was picked on purpose, and its replacement confirmed under that name.
    if (QFileInfo::exists(path))
        return path;
    const QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1Char('.')))
        return path + QLatin1String("txt");
    if (QFileInfo(name).suffix().isEmpty())
        return path + QLatin1String(".txt");
    return path;
}

bool FileTransfer::SaveGridToFile(QWidget& window, const TextGrid& grid)
{
    OutputFile file(m_state.SaveFileName);
    {
        BusyPointer busy;
        if (file.begin()) {
            const QString caption = window.windowTitle();
            const int rows = grid.rows();
            std::vector<QStringView> cells;
            QByteArray block;
            for (int r = 0; r < rows; ++r) {
                window.setWindowTitle(QString::number(r) + QLatin1String("Records Completed"));
                grid.rowCells(r, cells);
                block += dataFileBytes(gridSaveLine(cells));
                if (block.size() >= kWriteBlockBytes && !writeBlock(file, block))
                    break;
            }
            (void)writeBlock(file, block);
            window.setWindowTitle(caption);
        }
        // Whole or not at all: a failed save leaves no cut file under the name.
        (void)file.finish();
        m_state.SaveFileChosen = false;
    }
    if (!file.reason().isEmpty())
        tellFailure(QStringLiteral("Cannot save %1").arg(m_state.SaveFileName), file.reason());
    return file.reason().isEmpty();
}

bool FileTransfer::PrintGrid(QWidget& window, const TextGrid& grid, const QString& source)
{
    // The window may be closed while events run between the lines; it is only used for its
    // caption, which is then left alone.
    QPointer<QWidget> owner(&window);
    const QPointer<TextGrid> rowsLeft(const_cast<TextGrid*>(&grid));
    QString failure;
    QPrinter printer(QPrinter::HighResolution);
    {
        BusyPointer busy;
        {
            NormalPointer normal;
            if (!m_prompts.choosePrinter(&window, printer))
                return false;
        }
        // A list closed while its print dialog was open has nothing left to print.
        if (!rowsLeft || !owner)
            return false;
        const int rows = grid.rows();
        const QString caption = window.windowTitle();

        std::vector<QStringView> cells;
        qsizetype longest = 0;
        for (int r = 0; r < rows; ++r) {
            grid.rowCells(r, cells);
            longest = std::max(longest, printedLength(cells));
        }

        const PageFrame frame(printer, {caption, source, m_clock.now()});
        QPainter painter;
        if (!painter.begin(&printer)) {
            failure = QStringLiteral("The output cannot be opened.");
        } else {
            const QRectF body = frame.body();
            const QFont font = printFont(printer, longest, body.width());
            const QFontMetricsF metrics(font, &printer);
            const qreal step = metrics.lineSpacing();
            // The column titles (row 0) head every page, so that a page read alone says what
            // its columns hold. The count is known before the first line, for the foot's
            // "page n of m".
            const int perPage = std::max(2, int(body.height() / step));
            const int pages = rows <= perPage ? 1 : 1 + (rows - 2) / (perPage - 1);
            QString titles;
            if (rows > 0) {
                grid.rowCells(0, cells);
                titles = printLine(cells);
            }
            int page = 1;
            int onPage = 0;
            frame.draw(painter, page, pages);
            painter.setFont(font);
            for (int r = 0; r < rows && failure.isEmpty(); ++r) {
                if (!rowsLeft) {
                    failure = QStringLiteral("The list was closed.");
                    break;
                }
                grid.rowCells(r, cells);
                const QString line = printLine(cells);
                if (owner)
                    owner->setWindowTitle(QString::number(r) +
                                          QLatin1String(" record(s) completed"));
                QCoreApplication::processEvents();
                const auto printLineHere = [&](const QString& text) {
                    painter.drawText(
                        QPointF(body.left(), body.top() + onPage * step + metrics.ascent()), text);
                    ++onPage;
                };
                if (onPage == perPage) {
                    if (!printer.newPage())
                        failure = QStringLiteral("A new page cannot be started.");
                    frame.draw(painter, ++page, pages);
                    onPage = 0;
                    printLineHere(titles);
                }
                // The line was built before the events ran: they may append rows, which
                // moves the grid's texts.
                printLineHere(line);
            }
            if (const QString finished = finishPrintout(painter, printer); failure.isEmpty())
                failure = finished;
        }
        if (owner)
            owner->setWindowTitle(caption);
    }
    if (!failure.isEmpty())
        tellFailure(QStringLiteral("Cannot print to %1").arg(printTarget(printer)), failure);
    return failure.isEmpty();
}

QDate FileTransfer::askFirstDate(QDate offered)
{
    QString entry = offered.toString(Qt::ISODate);
    for (;;) {
        {
            NormalPointer normal;
            entry = m_prompts.input(
                QStringLiteral("Enter the DATE of the first record\r\n(YYYY-MM-DD) "),
                QStringLiteral("Export CSV"), entry);
        }
        if (entry.isEmpty())
            return {};
        const QDate date = QDate::fromString(entry.trimmed(), QStringLiteral("yyyy-MM-dd"));
        if (date.isValid())
            return date;
        m_prompts.message(QStringLiteral("%1 is no date: enter it as YYYY-MM-DD, for example "
                                         "%2.")
                              .arg(entry, m_clock.now().date().toString(Qt::ISODate)),
                          Prompts::Icon::Exclamation);
    }
}

bool FileTransfer::ExportCsv(QWidget& window, const TextGrid& grid, const CsvSource& source,
                             CsvFirstDate firstDate)
{
    const QPointer<TextGrid> rowsLeft(const_cast<TextGrid*>(&grid));
    QDate date = firstDate.date;
    // Readings that are no sequence in time (the manual list) get no date to count on from.
    if (firstDate.ask && source.timeSequence()) {
        date = askFirstDate(date.isValid() ? date : m_clock.now().date());
        if (!date.isValid())
            return false;
    }
    QString path;
    {
        NormalPointer normal;
        path = m_prompts.saveFileName(&window, csvFilters(),
                                      datedFileName(m_clock.now(), QStringLiteral("csv")),
                                      QStringLiteral("csv"));
    }
    // A list closed while its dialogs were open has nothing left to write.
    if (path.isEmpty() || !rowsLeft)
        return false;

    // Written whole or not at all: the file appears (or replaces the old one) when complete.
    OutputFile file(path);
    {
        BusyPointer busy;
        const int rows = grid.rows();
        const TemperatureUnit unit = temperatureColumnUnit(
            source, rows - 1, [&](qsizetype r) { return grid.cellView(int(r) + 1, 5); });
        CsvReadings csv(unit, date);
        if (file.begin()) {
            QByteArray block = csvBytes(csv.header());
            std::vector<QStringView> cells;
            for (int r = 1; r < rows; ++r) {
                grid.rowCells(r, cells);
                block += csvBytes(csv.row(cells, source));
                if (block.size() >= kWriteBlockBytes && !writeBlock(file, block))
                    break;
            }
            (void)writeBlock(file, block);
        }
        (void)file.finish();
    }
    if (!file.reason().isEmpty())
        tellFailure(QStringLiteral("Cannot save %1").arg(QDir::toNativeSeparators(path)),
                    file.reason());
    return file.reason().isEmpty();
}
