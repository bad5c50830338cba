// grade: cells graded as they are touched with the probes, each one line on stdout and a row
// of the cell database, until stopped.
#include "AppState.h"
#include "CliCommon.h"
#include "Clock.h"
#include "ComparatorExchange.h"
#include "GradingSession.h"
#include "MeterConnection.h"
#include "StatusLine.h"
#include "StopSignals.h"
#include "Subcommands.h"
#include "Waits.h"

#include <QCoreApplication>
#include <QLocale>

#include <cmath>

namespace {

constexpr double MinSettleSeconds = 0.2;
constexpr double MaxSettleSeconds = 60.0;

QString statusText(GradingSession::Status status, const QString& nextId)
{
    switch (status) {
    case GradingSession::Status::Waiting:
        return QStringLiteral("set the probes on cell %1").arg(nextId);
    case GradingSession::Status::Settling:
        return QStringLiteral("cell %1 settling").arg(nextId);
    case GradingSession::Status::Holding:
        return QStringLiteral("taken; lift the probes");
    case GradingSession::Status::Paused:
        break;
    }
    return QStringLiteral("capture paused: the meter sends nothing");
}

// The limits of comparator set `set` as the meter holds them, read with "W".
std::optional<GradeLimits> comparatorSetLimits(MeterConnection& meter, int set)
{
    MeterSession& session = meter.session();
    StreamReader reader(session.channel(), session.link());
    const StreamReader::Result result = readComparatorReply(reader);
    if (result.outcome == StreamReader::Outcome::ProgramClosing)
        return std::nullopt; // a stop: nothing to blame on the meter
    if (result.outcome != StreamReader::Outcome::Complete) {
        tell(QStringLiteral("the comparator table did not arrive (%1 of %2 bytes)")
                 .arg(result.bytes.size())
                 .arg(ComparatorReplyLength));
        return std::nullopt;
    }
    const ComparatorTexts table = comparatorTableFromReply(result.bytes);
    const std::optional<GradeLimits> limits = limitsFromComparatorEntry(table[size_t(set)]);
    if (!limits)
        tell(QStringLiteral("comparator set %1 holds no limits that can be read (%2)")
                 .arg(set)
                 .arg(table[size_t(set)]));
    return limits;
}

} // namespace

int runGrade(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("grade"),
        QStringLiteral("[--session NAME] [--limits VMIN:VMAX:RMAX | --comparator-set N]\n"
                       "       [--settle SECONDS] [--prefix TEXT] [--format csv|jsonl] "
                       "[--database PATH] [--port PATH]"),
        QStringLiteral(
            "Grades cells as they are touched with the probes, as the Cell Grading window does:\n"
            "a cell is taken once its voltage and resistance have stayed within one display\n"
            "digit for the settle time (the median of those readings), and the next one only\n"
            "after the probes have left it (resistance overload or below 0.1 V). Each cell gets\n"
            "the next ID (prefix and counter: A0001, A0002, ...) and a verdict against the\n"
            "limits, is committed to the cell database and written to stdout at once, one\n"
            "line each. While the meter sends nothing, capture pauses and stderr says so.\n"
            "SIGINT or SIGTERM ends the run with status 0.\n"
            "csv: a header, then cell_id,date_time,voltage_V,resistance_Ohm,temperature_C,\n"
            "verdict,reason,utc_offset (SI values, local date and time, its offset last).\n"
            "jsonl: one JSON object a line with the same values; \"time\" with its offset.\n"
            "Limits: in volts and ohms, an empty part not checked (--limits 3.6:4.2:0.060 is\n"
            "3.6 to 4.2 V and at most 60 mOhm), or the meter's comparator set N, read first:\n"
            "its voltage limits, its resistance high limit, and its low limit as the warning\n"
            "level (WARN above it). A cell above a limit, or without a voltage or resistance,\n"
            "is FAIL, with the reason (\"R 61.2 mOhm > 60.0 mOhm\"). Without limits, the\n"
            "session keeps those it had.\n"
            "Example: celldesk-cli grade --session tray-7 --limits 3.6:4.2:0.060 | tee "
            "tray-7.csv"));
    const QCommandLineOption sessionOption(
        QStringLiteral("session"),
        QStringLiteral("The session to grade into; made when it does not exist, continued when "
                       "it does (default: a new one named by the time)."),
        QStringLiteral("NAME"));
    const QCommandLineOption limitsOption(QStringLiteral("limits"),
                                          QStringLiteral("VMIN:VMAX:RMAX in volts and ohms."),
                                          QStringLiteral("VMIN:VMAX:RMAX"));
    const QCommandLineOption setOption(
        QStringLiteral("comparator-set"),
        QStringLiteral("Take the limits of the meter's comparator set N (1 to 99)."),
        QStringLiteral("N"));
    const QCommandLineOption settleOption(
        QStringLiteral("settle"),
        QStringLiteral("Seconds a reading must stay steady, %1 to %2 (default: the session's, "
                       "0.8 for a new one).")
            .arg(MinSettleSeconds)
            .arg(MaxSettleSeconds),
        QStringLiteral("SECONDS"));
    const QCommandLineOption prefixOption(QStringLiteral("prefix"),
                                          QStringLiteral("The prefix of the cell IDs (default: "
                                                         "the session's, A for a new one)."),
                                          QStringLiteral("TEXT"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("csv (default) or jsonl."),
                                          QStringLiteral("FORMAT"), QStringLiteral("csv"));
    const QCommandLineOption databaseOption(
        QStringLiteral("database"),
        QStringLiteral("The cell database (default: %1).").arg(CellStore::defaultPath()),
        QStringLiteral("PATH"));
    for (const QCommandLineOption* o : {&sessionOption, &limitsOption, &setOption, &settleOption,
                                        &prefixOption, &formatOption, &databaseOption})
        line.addOption(*o);
    if (const auto status = line.parse(arguments))
        return *status;
    if (const auto status = line.noArguments())
        return *status;
    bool jsonl = false;
    if (const auto status = line.eitherOf(formatOption, QLatin1StringView("csv"),
                                          QLatin1StringView("jsonl"), jsonl))
        return *status;
    if (line.isSet(limitsOption) && line.isSet(setOption))
        return line.usageError(QStringLiteral("give --limits or --comparator-set, not both"));
    std::optional<GradeLimits> limits;
    if (line.isSet(limitsOption)) {
        QString error;
        limits = parseLimits(line.value(limitsOption), error);
        if (!limits)
            return line.usageError(QStringLiteral("--limits: %1").arg(error));
    }
    int comparatorSet = 0;
    if (line.isSet(setOption)) {
        bool ok = false;
        comparatorSet = line.value(setOption).toInt(&ok);
        if (!ok || comparatorSet < 1 || comparatorSet > ComparatorSetCount)
            return line.usageError(QStringLiteral("--comparator-set wants a set from 1 to 99"));
    }
    std::optional<double> settle;
    if (line.isSet(settleOption)) {
        bool ok = false;
        settle = QLocale::c().toDouble(line.value(settleOption), &ok);
        if (!ok || !(*settle >= MinSettleSeconds && *settle <= MaxSettleSeconds))
            return line.usageError(QStringLiteral("--settle wants seconds from %1 to %2")
                                       .arg(MinSettleSeconds)
                                       .arg(MaxSettleSeconds));
    }
    if (line.isSet(prefixOption) && line.value(prefixOption).trimmed().contains(u','))
        return line.usageError(QStringLiteral("--prefix cannot hold a comma"));

    StopSignals stop;
    SystemClock clock;
    CellStore store;
    const QString database =
        line.isSet(databaseOption) ? line.value(databaseOption) : CellStore::defaultPath();
    if (!store.open(database))
        return fail(Exit::FileError, store.error());

    AppState state;
    MeterConnection meter(state);
    int exitStatus = Exit::Done;
    bool ended = false;
    const auto end = [&](int result) {
        if (ended)
            return;
        ended = true;
        exitStatus = result;
        meter.shutDown();
        abandonWaits(); // ends every wait running now and the event loop
    };
    // From the first wait on: opening the port and reading the comparator table take seconds.
    QObject::connect(&stop, &StopSignals::stopRequested, &meter, [&] { end(Exit::Done); });
    if (comparatorSet > 0) {
        // The table is one exchange that must end: a silent meter gives it up.
        const auto opened = openMeter(meter, line.portText(), true);
        if (ended)
            return exitStatus;
        if (opened)
            return *opened;
        limits = comparatorSetLimits(meter, comparatorSet);
        if (ended)
            return exitStatus;
        if (!limits)
            return Exit::NoAnswer;
        meter.giveUpWhenSilentFor(0); // from here on the meter is waited for
    } else if (const auto status = openMeter(meter, line.portText(), false)) {
        return ended ? exitStatus : *status;
    }
    if (ended)
        return exitStatus;

    GradingSession session(store, state.reading, clock);
    const QString name =
        line.isSet(sessionOption)
            ? line.value(sessionOption)
            : QStringLiteral("grade %1")
                  .arg(clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")));
    if (!session.open(name))
        return fail(Exit::FileError, session.error());
    const bool stored =
        (!limits ||
         session.setLimits(*limits, comparatorSet > 0
                                        ? QStringLiteral("comparator set %1").arg(comparatorSet)
                                        : QString())) &&
        (!settle || session.setCapture(*settle, session.info().toleranceDigits)) &&
        (!line.isSet(prefixOption) || session.setPrefix(line.value(prefixOption)));
    if (!stored)
        return fail(Exit::FileError, session.error());
    // A line that cannot go out ends the run: the cells after it would be graded unseen.
    const auto print = [&](const QByteArray& line) {
        if (const QString failure = printLine(line); !failure.isEmpty())
            end(fail(Exit::FileError, failure));
    };
    if (!jsonl)
        print(gradeCsvHeader().toUtf8());
    if (ended)
        return exitStatus;
    tell(QStringLiteral("grading into session \"%1\" of %2 (%3 cells so far); next cell %4")
             .arg(session.info().name, database)
             .arg(session.info().cellCount)
             .arg(session.nextId()));

    StatusLine status;
    QObject::connect(&session, &GradingSession::cellTaken, &meter, [&](const GradedCell& cell) {
        status.clear();
        print(jsonl ? gradeJsonLine(cell) : gradeCsvRow(cell).toUtf8());
    });
    QObject::connect(&session, &GradingSession::failed, &meter, [&](const QString& message) {
        tell(message);
        end(Exit::FileError);
    });
    QObject::connect(&session, &GradingSession::statusChanged, &meter,
                     [&](GradingSession::Status now) {
                         if (status.isShown())
                             status.show(statusText(now, session.nextId()));
                         else if (now == GradingSession::Status::Paused)
                             tell(QStringLiteral("capture paused: the meter on %1 sends nothing")
                                      .arg(meter.port().devicePath));
                     });
    MeterLink& link = meter.session().link();
    QObject::connect(&link, &MeterLink::linkRestored, &meter, [&] {
        if (!link.closing() && !status.isShown())
            tell(QStringLiteral("the meter on %1 sends again; capture goes on")
                     .arg(meter.port().devicePath));
    });
    session.attach(meter.session().poll(), link);
    if (status.isShown())
        status.show(statusText(session.status(), session.nextId()));
    if (!ended)
        QCoreApplication::exec();
    meter.shutDown();
    status.clear();
    return exitStatus;
}
