// download: the meter's own memory into files, one per automatic set and one for the manual
// readings, as the data list's Save writes them or as CSV.
#include "AppState.h"
#include "CliCommon.h"
#include "CommandChannel.h"
#include "CsvReadings.h"
#include "DataFileLines.h"
#include "MemoryRecords.h"
#include "MeterConnection.h"
#include "MeterMemory.h"
#include "MeterMemoryRead.h"
#include "OutputFile.h"
#include "SerialLink.h"
#include "StatusLine.h"
#include "StopSignals.h"
#include "Subcommands.h"
#include "Waits.h"

#include <QDir>

#include <vector>

namespace {

enum class Format
{
    Data,
    Csv
};

// The nine cells of a list row, as the list's grid splits it: missing ones empty.
void rowCells(QStringView line, std::vector<QStringView>& cells)
{
    cells.assign(9, QStringView());
    qsizetype start = 0;
    for (size_t c = 0; c < cells.size() && start <= line.size(); ++c) {
        qsizetype end = line.indexOf(u'\t', start);
        if (end < 0)
            end = line.size();
        cells[c] = line.sliced(start, end - start);
        start = end + 1;
    }
}

// The bytes of a list: the lines of its Save (titles first), or its CSV export.
QByteArray listBytes(const MemoryListRows& list, Format format, QDate firstDate)
{
    QByteArray bytes;
    std::vector<QStringView> cells;
    if (format == Format::Data) {
        const QString titles = list.titles.join(u'\t');
        rowCells(titles, cells);
        bytes += dataFileBytes(gridSaveLine(cells));
        for (const QString& row : list.rows) {
            rowCells(row, cells);
            bytes += dataFileBytes(gridSaveLine(cells));
        }
        return bytes;
    }
    const CsvSource source = CsvSource::fromHeader(list.titles.join(u'\t') + u'\t');
    const TemperatureUnit unit = temperatureColumnUnit(source, list.rows.size(), [&](qsizetype r) {
        rowCells(list.rows.at(r), cells);
        return cells[5];
    });
    CsvReadings csv(unit, firstDate);
    bytes += csvBytes(csv.header());
    for (const QString& row : list.rows) {
        rowCells(row, cells);
        bytes += csvBytes(csv.row(cells, source));
    }
    return bytes;
}

// A message box text as one line.
QString oneLine(QString text)
{
    return text.replace(u'\r', u' ');
}

} // namespace

int runDownload(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("download"),
        QStringLiteral("--out DIR [--format data|csv] [--date YYYY-MM-DD] [--port PATH]"),
        QStringLiteral(
            "Downloads what the meter stores in its own memory into DIR (made if missing):\n"
            "one file per automatically recorded set (set-01.txt, set-02.txt ...) with the\n"
            "lines the data list's Save writes for that set, and manual.txt with the manually\n"
            "stored readings as the manual list shows them. With --format csv the files are\n"
            "CSV (.csv) with plain numbers in SI units; --date gives the date of each set's\n"
            "first reading (else date_time holds the time of day alone). Each written file is\n"
            "printed on stdout once it is written whole; progress goes to stderr on a terminal.\n"
            "A file that cannot be written ends the run with status 4 and the system's\n"
            "reason; nothing half written is left under its name. SIGINT or SIGTERM stop the\n"
            "download at once, with status 128 plus the signal's number; the rest of the\n"
            "stream is not waited for, and files printed before stay. A meter recording into\n"
            "its own memory refuses (status 5)."));
    const QCommandLineOption outOption(QStringLiteral("out"),
                                       QStringLiteral("The folder the files go into."),
                                       QStringLiteral("DIR"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("data (the default) or csv."),
                                          QStringLiteral("FORMAT"), QStringLiteral("data"));
    const QCommandLineOption dateOption(
        QStringLiteral("date"), QStringLiteral("The date of each set's first reading (csv)."),
        QStringLiteral("YYYY-MM-DD"));
    line.addOption(outOption);
    line.addOption(formatOption);
    line.addOption(dateOption);
    if (const auto status = line.parse(arguments))
        return *status;
    if (const auto status = line.noArguments())
        return *status;
    if (!line.isSet(outOption) || line.value(outOption).isEmpty())
        return line.usageError(QStringLiteral("say where the files go: --out DIR"));
    bool csv = false;
    if (const auto status =
            line.eitherOf(formatOption, QLatin1StringView("data"), QLatin1StringView("csv"), csv))
        return *status;
    const Format format = csv ? Format::Csv : Format::Data;
    QDate firstDate;
    if (const auto status = line.dateOf(dateOption, firstDate))
        return *status;
    const QDir out(line.value(outOption));
    if (!QDir().mkpath(out.path()))
        return fail(Exit::FileError, QStringLiteral("cannot make the folder %1").arg(out.path()));
    const QString suffix = format == Format::Csv ? QStringLiteral(".csv") : QStringLiteral(".txt");

    StopSignals stop;
    AppState state;
    MeterConnection meter(state);
    // A stop ends the session and every wait at once: the program is ending, so the rest of
    // a stream (minutes of a large memory) is not let pass first, as a window's cancel does.
    QObject::connect(&stop, &StopSignals::stopRequested, &meter, [&] {
        meter.shutDown();
        abandonWaits();
    });
    const auto stopped = [&] { return 128 + stop.received(); };
    const auto opened = openMeter(meter, line.portText(), true);
    if (stop.received() != 0)
        return stopped();
    if (opened)
        return *opened;
    if (const QString refusal = MeterMemoryRead::refusal(state.reading); !refusal.isEmpty())
        return fail(Exit::Refused, oneLine(refusal));

    CommandChannel& channel = meter.session().channel();
    const TimerPause pause(channel.timers(), PollTimers::Both);
    MeterMemoryRead read(channel, meter.session().link());
    StatusLine status;
    QObject::connect(&read, &MeterMemoryRead::progress,
                     [&](char prefix, qsizetype received, qsizetype expected) {
                         status.show(memoryProgressText(prefix, received, expected));
                     });

    const bool answered = channel.StatusQuery();
    if (stop.received() != 0)
        return stopped();
    if (!answered)
        return fail(Exit::NoAnswer, MeterMemoryRead::noAnswerText());
    const MeterStatus counts = channel.status();
    if (autoReplyLength(counts) == 0 && counts.ManualCount == 0) {
        tell(QStringLiteral("No Data in Memory"));
        return Exit::Done;
    }
    const auto readStream = [&](MemoryKind kind, QByteArray& bytes) -> std::optional<int> {
        const MeterMemoryRead::Result result = read.read(kind);
        status.clear();
        if (stop.received() != 0)
            return stopped();
        switch (result.ending) {
        case MeterMemoryRead::Ending::Complete:
            bytes = result.bytes;
            return std::nullopt;
        case MeterMemoryRead::Ending::Cancelled:
        case MeterMemoryRead::Ending::ProgramClosing:
            return stopped();
        case MeterMemoryRead::Ending::Failed:
            break;
        }
        return fail(Exit::NoAnswer, (result.text + u' ' + result.reason).trimmed());
    };
    const auto save = [&](const QString& name, const MemoryListRows& list) -> std::optional<int> {
        const QString path = out.filePath(name + suffix);
        if (const QString failure = writeWholeFile(path, listBytes(list, format, firstDate));
            !failure.isEmpty())
            return fail(Exit::FileError, failure);
        if (const QString failure = printLine(path); !failure.isEmpty())
            return fail(Exit::FileError, failure);
        return std::nullopt;
    };

    if (autoReplyLength(counts) > 0) {
        QByteArray reply;
        if (const auto failed = readStream(MemoryKind::Automatic, reply))
            return *failed;
        const MemorySplit split = splitAutoMemory(reply);
        for (int n = 1; n <= split.sets.size(); ++n) {
            if (const auto failed = save(QStringLiteral("set-%1").arg(n, 2, 10, QLatin1Char('0')),
                                         setListRows(n, split.sets.at(n - 1), state.reading)))
                return *failed;
        }
        if (split.unreadBytes > 0)
            tell(QStringLiteral("The automatic memory could not be read from set %1 on (%2 "
                                "bytes).")
                     .arg(split.sets.size() + 1)
                     .arg(split.unreadBytes));
    } else {
        tell(QStringLiteral("No Automatically Recroded Data in Memoy!"));
    }
    if (stop.received() != 0)
        return stopped();

    if (counts.ManualCount != 0) {
        QByteArray reply;
        if (const auto failed = readStream(MemoryKind::Manual, reply))
            return *failed;
        if (const auto failed =
                save(QStringLiteral("manual"), manualListRows(reply, state.reading)))
            return *failed;
    } else {
        tell(QStringLiteral("No Manually Recroded Data in Memoy!"));
    }
    // Bytes past the expected count are not part of any answer.
    channel.serial().discardInput();
    return Exit::Done;
}
