// watch: every display frame the meter sends, decoded, as one line on stdout.
#include "AppState.h"
#include "CliCommon.h"
#include "Clock.h"
#include "CsvReadings.h"
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
    if (const auto status = line.noArguments())
        return *status;
    bool csvFormat = false;
    if (const auto status = line.eitherOf(formatOption, QLatin1StringView("jsonl"),
                                          QLatin1StringView("csv"), csvFormat))
        return *status;
    const Format format = csvFormat ? Format::Csv : Format::Jsonl;

    StopSignals stop;
    AppState state;
    MeterConnection meter(state);
    if (const auto status = openMeter(meter, line.portText(), false))
        return *status;

    SystemClock clock;
    qint64 records = 0;
    std::optional<CsvReadings> csv; // from the first reading: its temperature unit heads the column
    QObject::connect(&meter.session().poll(), &PollCycle::frameDecoded, &meter, [&] {
        const QDateTime now = clock.now();
        if (format == Format::Jsonl) {
            printLine(readingJsonLine(state.reading, now));
            return;
        }
        if (!csv) {
            csv.emplace(
                CsvSource::of(state.reading).temperatureUnit.value_or(TemperatureUnit::Celsius));
            printLine(csv->header());
        }
        printLine(csv->row(++records, now, clock.monotonicMs(), state.reading));
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
