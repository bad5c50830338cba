// clock: the meter's clock, read or set to the PC's.
#include "AppState.h"
#include "CliCommon.h"
#include "Clock.h"
#include "ClockExchange.h"
#include "MeterClock.h"
#include "MeterConnection.h"
#include "Subcommands.h"

int runClock(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("clock"), QStringLiteral("[--set] [--port PATH]"),
        QStringLiteral(
            "Prints the meter's clock and the PC's as the clock window shows them: day of\n"
            "month, hour, minute, second (dd:hh:mm:ss; the meter keeps no month or year).\n"
            "With --set the meter's clock is set to the PC's date and time first, then read\n"
            "back. Refused while the meter records into its own memory."));
    const QCommandLineOption setOption(
        QStringLiteral("set"), QStringLiteral("Set the meter's clock to the PC's, then read it."));
    line.addOption(setOption);
    if (const auto status = line.parse(arguments))
        return *status;
    if (const auto status = line.noArguments())
        return *status;

    AppState state;
    MeterConnection meter(state);
    if (const auto status = openMeter(meter, line.portText(), true))
        return *status;
    if (state.reading.MeterRecordingFlag)
        return fail(Exit::Refused, RecordingModeRefusal);

    CommandChannel& channel = meter.session().channel();
    SystemClock clock;
    if (line.isSet(setOption) && !setMeterClock(channel, clock.now(), meter.goAhead()))
        return fail(Exit::NoAnswer, QStringLiteral("the meter does not answer; its clock was "
                                                   "not set"));
    const std::optional<QByteArray> answer = readMeterClock(channel, meter.goAhead());
    const std::optional<QString> meterLine = answer ? meterClockLine(*answer) : std::nullopt;
    if (!meterLine)
        return fail(Exit::NoAnswer, QStringLiteral("the meter does not answer the clock request"));
    return printResult(QStringLiteral("Meter: ") + *meterLine + QStringLiteral("\nPC:    ") +
                       pcClockLine(clock.now()));
}
