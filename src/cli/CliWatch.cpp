// watch: every display frame the meter sends, decoded, as one line on stdout.
#include "AppState.h"
#include "CliCommon.h"
#include "Clock.h"
#include "MeterConnection.h"
#include "ReadingJson.h"
#include "StopSignals.h"
#include "Subcommands.h"
#include "Waits.h"

#include <QCoreApplication>

#include <optional>

namespace {

enum class Format
{
    Jsonl,
    Csv
};

// The CSV layout of readings is the one the list windows export
// (record,date_time,elapsed_s,voltage_V,...,flags). This is the one place where watch takes a
// header and a row from it.
// TODO: call the CSV readings module once it is in src/core; until then --format csv is
// refused before the port is opened, and these are never reached.
std::optional<QByteArray> csvHeaderForReading(const CurrentReading&)
{
    return std::nullopt;
}
std::optional<QByteArray> csvRowFromReading(qint64, const QDateTime&, double, const CurrentReading&)
{
    return std::nullopt;
}
constexpr bool kCsvAvailable = false;

} // namespace

int runWatch(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("watch"), QStringLiteral("[--format jsonl|csv] [--port PATH]"),
        QStringLiteral(
            "Writes every reading the meter's display sends to stdout, one line each, as it\n"
            "arrives (about four a second), until SIGINT or SIGTERM, then ends with status 0.\n"
            "jsonl: one JSON object a line: \"time\" (ISO 8601 with the offset from UTC), each\n"
            "channel as the display shows it with its unit (\"voltage\", \"voltage_unit\", ...,\n"
            "\"total_capacity_unit\"), null in overload, \"flags\" (e.g. \"OL:voltage\") and\n"
            "\"meter_recording\". csv: the list windows' CSV export layout, a header first.\n"
            "While the meter is silent nothing is written; a line on stderr says so.\n"
            "Example: celldesk-cli watch | jq .voltage"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("jsonl (default) or csv."),
                                          QStringLiteral("FORMAT"), QStringLiteral("jsonl"));
    line.addOption(formatOption);
    if (const auto status = line.parse(arguments))
        return *status;
    if (!line.positionalArguments().isEmpty())
        return line.usageError(
            QStringLiteral("unexpected argument '%1'").arg(line.positionalArguments().first()));
    const QString formatText = line.value(formatOption);
    if (formatText != u"jsonl" && formatText != u"csv")
        return line.usageError(
            QStringLiteral("--format wants jsonl or csv, not '%1'").arg(formatText));
    const Format format = formatText == u"csv" ? Format::Csv : Format::Jsonl;
    if (format == Format::Csv && !kCsvAvailable)
        return line.usageError(QStringLiteral("--format csv is not available in this build yet; "
                                              "use --format jsonl"));

    StopSignals stop;
    AppState state;
    MeterConnection meter(state);
    if (const auto status = openMeter(meter, line.portText(), false))
        return *status;

    SystemClock clock;
    qint64 records = 0;
    qint64 firstMs = 0;
    QObject::connect(&meter.session().poll(), &PollCycle::frameDecoded, &meter, [&] {
        const QDateTime now = clock.now();
        if (format == Format::Jsonl) {
            printLine(readingJsonLine(state.reading, now));
            return;
        }
        if (records == 0) {
            firstMs = clock.monotonicMs();
            if (const auto header = csvHeaderForReading(state.reading))
                printLine(*header);
        }
        ++records;
        const double elapsed = (clock.monotonicMs() - firstMs) / 1000.0;
        if (const auto row = csvRowFromReading(records, now, elapsed, state.reading))
            printLine(*row);
    });
    MeterLink& link = meter.session().link();
    QObject::connect(&link, &MeterLink::linkLost, &meter, [&] {
        tell(QStringLiteral("the meter on %1 is silent; waiting for it")
                 .arg(meter.port().devicePath));
    });
    QObject::connect(&link, &MeterLink::linkRestored, &meter, [&] {
        // The link-lost wait also ends when the run stops: that is no sign of the meter.
        if (!link.closing())
            tell(QStringLiteral("the meter on %1 sends again").arg(meter.port().devicePath));
    });
    QObject::connect(&stop, &StopSignals::stopRequested, &meter, [&] {
        meter.shutDown();
        abandonWaits(); // ends every wait running now and the event loop
    });
    QCoreApplication::exec();
    meter.shutDown();
    return Exit::Done;
}
