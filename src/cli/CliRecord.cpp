// record: PC recording into a data file or a CSV file, as the window's recorder does it,
// until stopped.
#include "AppState.h"
#include "CliCommon.h"
#include "CliPublish.h"
#include "Clock.h"
#include "DataFileLines.h"
#include "LinkLog.h"
#include "MeterConnection.h"
#include "OutputFile.h"
#include "Recording.h"
#include "StatusLine.h"
#include "StopSignals.h"
#include "Subcommands.h"
#include "Waits.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <optional>
#include <utility>

namespace {

// With nothing on a screen to keep live, the poll only has to bring a fresh reading for each
// sample (one a second at most): a frame every quarter of a second (as often as the meter
// updates its own display) instead of the window's 10 ms, which cuts the program's
// wake-ups about sixfold on a meter that streams frames back to back.
constexpr int RecordPollMs = 250;

// A reading for the status line: the channels as the data file holds them, without the stamp.
QString shownReading(const QString& sampleLine)
{
    QString text = sampleLine.section(u'\t', 1);
    text.replace(u'\t', QLatin1StringView("  "));
    return text.simplified();
}

} // namespace

int runRecord(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("record"),
        QStringLiteral("[--interval S] [--format data|csv] [--for DURATION] [--port PATH] FILE"),
        QStringLiteral(
            "Records the meter's readings into FILE as CellDesk's window does: one sample every\n"
            "S seconds, taken only from a display frame the meter sent since the last sample\n"
            "and at most 1 s before it (while the meter is silent or unplugged nothing is\n"
            "written and the time column shows the gap, and a CSV row after it says gap:S in\n"
            "its flags; the port is opened again when it comes back). FILE is created when\n"
            "the first reading arrives, and replaced when it exists.\n"
            "data: the data file layout (header, then numbered lines with CR LF). It stops by\n"
            "itself, with status 0 and a line on stderr saying why, after 36001 lines or when\n"
            "the meter's resistance range, temperature unit or current display (A/mA) changes.\n"
            "csv: the list windows' CSV export layout with the date and time of each row and\n"
            "SI values; it goes on across such changes and has no line limit.\n"
            "SIGINT or SIGTERM ends the run after the last whole line, with status 0; so does\n"
            "the end of --for. A FILE that is there and is no regular file (a pipe, a device)\n"
            "is refused; a line that cannot be written ends the run with status 4.\n"
            "On stderr, each with its time: \"recording PORT to FILE\" once FILE is made, and\n"
            "a line at each change of the link (the adapter gone or back, the meter silent,\n"
            "bytes that are no display frames, the meter sending again and for how long it\n"
            "did not). On a terminal one status line below shows the samples written, the last\n"
            "reading and the link.\n"
            "--publish also sends each line written to an MQTT broker (see man celldesk-cli); the\n"
            "file never waits for the broker.\n"
            "Example: celldesk-cli record --format csv --interval 10 \"battery-$(date +%F).csv\""));
    const QCommandLineOption intervalOption(
        QStringLiteral("interval"),
        QStringLiteral("Seconds between samples, %1 to %2 (default 1).")
            .arg(MinPcSamplingSeconds)
            .arg(MaxPcSamplingSeconds),
        QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("data (default) or csv."),
                                          QStringLiteral("FORMAT"), QStringLiteral("data"));
    const QCommandLineOption forOption(
        QStringLiteral("for"),
        QStringLiteral("Stop after DURATION: seconds, or a number with s, m, h or d (90, 10m, "
                       "2h, 1d). Default: until stopped."),
        QStringLiteral("DURATION"));
    line.addOption(intervalOption);
    line.addOption(formatOption);
    line.addOption(forOption);
    line.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The file to record to."));
    CliPublish publishing(line);
    if (const auto status = line.parse(arguments))
        return *status;
    if (const auto status = publishing.read(line))
        return *status;
    QString path;
    if (const auto status = line.oneFile(path))
        return *status;
    bool intervalOk = false;
    const int interval = line.value(intervalOption).toInt(&intervalOk);
    if (!intervalOk || interval < MinPcSamplingSeconds || interval > MaxPcSamplingSeconds)
        return line.usageError(QStringLiteral("--interval wants whole seconds from %1 to %2")
                                   .arg(MinPcSamplingSeconds)
                                   .arg(MaxPcSamplingSeconds));
    bool csv = false;
    if (const auto status =
            line.eitherOf(formatOption, QLatin1StringView("data"), QLatin1StringView("csv"), csv))
        return *status;
    const Recording::Format format = csv ? Recording::Format::Csv : Recording::Format::Data;
    std::optional<qint64> runFor;
    if (line.isSet(forOption)) {
        runFor = durationSeconds(line.value(forOption));
        if (!runFor)
            return line.usageError(QStringLiteral("--for wants a duration such as 90, 90s, 10m, "
                                                  "2h or 1d, not '%1'")
                                       .arg(line.value(forOption)));
    }

    // Before the port: a named pipe would block the open of the file for ever.
    if (const QString refusal = outputRefusal(path); !refusal.isEmpty())
        return fail(Exit::FileError, refusal);

    StopSignals stop;
    AppState state;
    state.PcSamplingSeconds = float(interval);
    MeterConnection meter(state);
    if (const auto status = openMeter(meter, line.portText(), false))
        return *status;
    meter.session().setPollInterval(RecordPollMs);

    SystemClock clock;
    publishing.start(meter.session(), meter.port().devicePath, state.reading, clock,
                     SessionPublishing::Readings::ByCaller);
    LinkLog log(meter, clock);
    Recording recording(state, clock);
    StatusLine status;
    QTimer second;
    second.setInterval(1000);
    second.setTimerType(Qt::PreciseTimer); // a coarse one puts two rows in one second now and then
    bool secondPending = false;            // a second is due and waits for its frame
    QTimer noFrame;                        // how long it waits
    noFrame.setSingleShot(true);
    noFrame.setInterval(RecordPollMs + 250);
    int exitStatus = Exit::Done;
    bool ended = false;
    qint64 written = 0;
    QString lastReading;
    bool linkUp = true;

    const auto end = [&](int result) {
        if (ended)
            return;
        ended = true;
        exitStatus = result;
        second.stop();
        noFrame.stop();
        secondPending = false;
        recording.stop();
        meter.shutDown();
        abandonWaits(); // ends every wait running now and the event loop
    };
    const auto showStatus = [&] {
        if (!status.isShown())
            return;
        const QString reading = recording.waitingForReading() ? WaitingForReadingText
                                : lastReading.isEmpty()       ? QStringLiteral("-")
                                                              : lastReading;
        status.show(QStringLiteral("%1 samples  %2  link %3")
                        .arg(written)
                        .arg(reading, linkUp ? QStringLiteral("up") : QStringLiteral("lost")));
    };
    const auto onSecond = [&] {
        const RecordingTick t = recording.tick();
        switch (t.file) {
        case RecordingTick::File::Written:
            ++written;
            lastReading = shownReading(t.line);
            if (LabPublisher* publisher = publishing.publisher())
                publisher->publishReading(state.reading, clock.now());
            break;
        case RecordingTick::File::Stopped:
            tell(QStringLiteral("recording stopped: %1; %2 lines in %3")
                     .arg(recordingStopText(t.stop))
                     .arg(written)
                     .arg(path));
            end(Exit::Done);
            return;
        case RecordingTick::File::WriteFailed:
            tell(QStringLiteral("recording stopped, cannot write %1: %2").arg(path, t.reason));
            end(Exit::FileError);
            return;
        case RecordingTick::File::Idle:
        case RecordingTick::File::Unchanged:
            break;
        }
        showStatus();
    };
    // A second takes the first frame that arrives after it, not the one the last poll left
    // (up to a poll old): the row and what is published of it are then as young as the line
    // allows. A frame that does not come soon leaves the second to the age rule.
    PollCycle& poll = meter.session().poll();
    const auto takeSecond = [&] {
        if (!std::exchange(secondPending, false))
            return;
        noFrame.stop();
        onSecond();
    };
    QObject::connect(&noFrame, &QTimer::timeout, &meter, takeSecond);
    QObject::connect(&second, &QTimer::timeout, &meter, [&] {
        takeSecond(); // one still waiting for its frame goes first
        secondPending = true;
        noFrame.start();
        // The poll rests between its ticks: a tick now brings the next frame at once.
        QTimer::singleShot(0, &poll, [&poll] {
            if (!poll.inTick())
                poll.tick();
        });
    });

    // The file is made once the meter has shown a reading: its header names the units then
    // in force. The first sample is taken at once, stamped with the present time.
    QObject::connect(&poll, &PollCycle::frameDecoded, &meter, [&] {
        if (ended)
            return;
        if (second.isActive()) {
            takeSecond();
            return;
        }
        state.SampleTickCount = 0;
        state.SampleTimeStamp = clock.now().addSecs(-interval).toString(QStringLiteral("hh:mm:ss"));
        QString reason;
        if (!recording.start(path, reason, format)) {
            tell(QStringLiteral("cannot write %1: %2").arg(path, reason));
            end(Exit::FileError);
            return;
        }
        log.tell(QStringLiteral("recording %1 to %2").arg(meter.port().devicePath, path));
        second.start();
        onSecond();
    });
    if (status.isShown())
        status.show(QStringLiteral("waiting for the meter on %1").arg(meter.port().devicePath));

    MeterLink& link = meter.session().link();
    QObject::connect(&link, &MeterLink::linkLost, &meter, [&] {
        linkUp = false;
        showStatus();
    });
    QObject::connect(&link, &MeterLink::linkRestored, &meter, [&] {
        linkUp = !link.closing();
        showStatus();
    });
    QObject::connect(&stop, &StopSignals::stopRequested, &meter, [&] { end(Exit::Done); });
    // --for on the monotonic clock, in steps of at most a day (a timer's own limit is shorter
    // than the longest duration).
    QTimer runOut;
    runOut.setSingleShot(true);
    const qint64 runOutMs = runFor ? clock.monotonicMs() + *runFor * 1000 : 0;
    const auto armRunOut = [&] {
        const qint64 left = runOutMs - clock.monotonicMs();
        if (left <= 0)
            end(Exit::Done);
        else
            runOut.start(int(std::min<qint64>(left, 86400000)));
    };
    QObject::connect(&runOut, &QTimer::timeout, &meter, armRunOut);
    if (runFor)
        armRunOut();
    if (!ended)
        QCoreApplication::exec();
    recording.stop();
    meter.shutDown();
    status.clear();
    publishing.finish();
    return exitStatus;
}
