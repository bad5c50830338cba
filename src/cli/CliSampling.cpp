// sampling: the meter's own sampling interval, read or set.
#include "AppState.h"
#include "CliCommon.h"
#include "MeterConnection.h"
#include "SampleSchedule.h"
#include "SamplingExchange.h"
#include "Subcommands.h"

int runSampling(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("sampling"), QStringLiteral("[--set SECONDS] [--port PATH]"),
        QStringLiteral(
            "Prints the interval at which the meter records into its own memory, in seconds.\n"
            "With --set it sets the interval (1 to 255 s) first, then reads it back."));
    const QCommandLineOption setOption(QStringLiteral("set"),
                                       QStringLiteral("Set the interval to SECONDS (1 to 255)."),
                                       QStringLiteral("SECONDS"));
    line.addOption(setOption);
    if (const auto status = line.parse(arguments))
        return *status;
    if (const auto status = line.noArguments())
        return *status;
    std::optional<int> seconds;
    if (line.isSet(setOption)) {
        bool ok = false;
        seconds = line.value(setOption).toInt(&ok);
        if (!ok || *seconds < MinMeterSamplingSeconds || *seconds > MaxMeterSamplingSeconds)
            return line.usageError(QStringLiteral("--set wants whole seconds from %1 to %2, not "
                                                  "'%3'")
                                       .arg(MinMeterSamplingSeconds)
                                       .arg(MaxMeterSamplingSeconds)
                                       .arg(line.value(setOption)));
    }

    AppState state;
    MeterConnection meter(state);
    if (const auto status = openMeter(meter, line.portText(), true))
        return *status;
    CommandChannel& channel = meter.session().channel();
    if (seconds && !sendMeterInterval(channel, *seconds, meter.goAhead()))
        return fail(Exit::NoAnswer,
                    QStringLiteral("the meter does not answer; its interval was not set"));
    const std::optional<quint8> interval = readMeterInterval(channel);
    if (!interval)
        return fail(Exit::NoAnswer, SamplingNoAnswer);
    if (seconds && *interval != *seconds)
        return fail(Exit::NoAnswer, QStringLiteral("the meter reports %1 s after it was set to "
                                                   "%2 s")
                                        .arg(*interval)
                                        .arg(*seconds));
    return printResult(QStringLiteral("Meter sampling interval: %1 s").arg(*interval));
}
