// erase: the meter's automatic or manual memory, after an explicit --yes.
#include "AppState.h"
#include "CliCommon.h"
#include "EraseMemory.h"
#include "MeterConnection.h"
#include "Subcommands.h"

int runErase(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("erase"), QStringLiteral("--auto|--manual --yes [--port PATH]"),
        QStringLiteral(
            "Erases what the meter stores in its own memory: the automatically recorded sets\n"
            "(--auto) or the manually stored readings (--manual). Nothing is erased without\n"
            "--yes, which answers the window's question \"All the ... recorded data in memory\n"
            "will be deleted!\" with OK."));
    const QCommandLineOption autoOption(QStringLiteral("auto"),
                                        QStringLiteral("Erase the automatically recorded sets."));
    const QCommandLineOption manualOption(QStringLiteral("manual"),
                                          QStringLiteral("Erase the manually stored readings."));
    const QCommandLineOption yesOption(QStringLiteral("yes"),
                                       QStringLiteral("Really erase (nothing is asked)."));
    line.addOption(autoOption);
    line.addOption(manualOption);
    line.addOption(yesOption);
    if (const auto status = line.parse(arguments))
        return *status;
    if (const auto status = line.noArguments())
        return *status;
    if (line.isSet(autoOption) == line.isSet(manualOption))
        return line.usageError(QStringLiteral("say which memory: --auto or --manual"));
    const MemoryKind kind = line.isSet(autoOption) ? MemoryKind::Automatic : MemoryKind::Manual;
    if (!line.isSet(yesOption))
        return line.usageError(eraseQuestion(kind) + QStringLiteral(" Add --yes to erase it"));

    AppState state;
    MeterConnection meter(state);
    if (const auto status = openMeter(meter, line.portText(), true))
        return *status;
    if (!eraseMeterMemory(meter.session().channel(), kind, meter.goAhead()))
        return fail(Exit::NoAnswer,
                    QStringLiteral("the meter does not answer; nothing was erased"));
    // The meter answers nothing to an erase: the next download shows what it holds.
    return printResult(kind == MemoryKind::Automatic
                           ? QStringLiteral("Sent the erase of the automatically recorded data.")
                           : QStringLiteral("Sent the erase of the manually recorded data."));
}
