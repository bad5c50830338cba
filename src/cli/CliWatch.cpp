// watch: every display frame the meter sends, decoded, as one line on stdout.
#include "AppState.h"
#include "CliCommon.h"
#include "CliPublish.h"
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
            "While the meter is silent nothing is written; a line on stderr says so. When\n"
            "stdout cannot take a line (a full disk, a closed pipe) it ends with status 4.\n"
            "--publish also sends each reading to an MQTT broker, as JSON with \"seq\" and\n"
            "\"date_time\" added, and keeps the meter's status there (see man celldesk-cli).\n"
            "Example: celldesk-cli watch | jq .voltage"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("jsonl (default) or csv."),
                                          QStringLiteral("FORMAT"), QStringLiteral("jsonl"));
    line.addOption(formatOption);
    CliPublish publishing(line);
    if (const auto status = line.parse(arguments))
        return *status;
    if (const auto status = line.noArguments())
        return *status;
    if (const auto status = publishing.read(line))
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
    publishing.start(meter.session(), meter.port().devicePath, state.reading, clock,
                     SessionPublishing::Readings::EveryReading);
    qint64 records = 0;
    int exitStatus = Exit::Done;
    const auto end = [&] {
        meter.shutDown();
        abandonWaits(); // ends every wait running now and the event loop
    };
    // A line that cannot go out ends the run: nobody would see the ones after it.
    const auto print = [&](const QByteArray& line) {
        if (exitStatus != Exit::Done)
            return;
        if (const QString failure = printLine(line); !failure.isEmpty()) {
            exitStatus = fail(Exit::FileError, failure);
            end();
        }
    };
    std::optional<CsvReadings> csv; // from the first reading: its temperature unit heads the column
    QObject::connect(&meter.session().poll(), &PollCycle::frameDecoded, &meter, [&] {
        const QDateTime now = clock.now();
        if (format == Format::Jsonl) {
            print(readingJsonLine(state.reading, now));
            return;
        }
        if (!csv) {
            csv.emplace(
                CsvSource::of(state.reading).temperatureUnit.value_or(TemperatureUnit::Celsius));
            print(csv->header().toUtf8());
        }
        print(csv->row(++records, now, clock.monotonicMs(), state.reading).toUtf8());
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
    QObject::connect(&stop, &StopSignals::stopRequested, &meter, end);
    QCoreApplication::exec();
    meter.shutDown();
    publishing.finish();
    return exitStatus;
}
