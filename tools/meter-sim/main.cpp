// celldesk-meter-sim: the emulated meter as a program, for trying CellDesk without hardware.

#include "CellTray.h"
#include "DemoBattery.h"
#include "MeterSim.h"
#include "SimMemory.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

#include <optional>

namespace {

std::optional<MeterSim::Fault> parseFault(const QString& name)
{
    if (name == u"none")
        return MeterSim::Fault::None;
    if (name == u"silent")
        return MeterSim::Fault::Silent;
    if (name == u"wrong-etx")
        return MeterSim::Fault::WrongEtx;
    if (name == u"short")
        return MeterSim::Fault::ShortAnswer;
    if (name == u"garbage")
        return MeterSim::Fault::Garbage;
    return std::nullopt;
}

int fail(const QString& message)
{
    QTextStream(stderr) << "celldesk-meter-sim: " << message << Qt::endl;
    return 1;
}

} // namespace

int main(int argc, char* argv[])
{
    // SIGINT and SIGTERM (end), SIGUSR1 (unplug) and SIGUSR2 (replug) arrive through a
    // descriptor, so they run on the event loop and the link is removed cleanly. Blocked
    // before anything else so every thread inherits the mask.
    sigset_t handledSignals;
    sigemptyset(&handledSignals);
    for (const int signal : {SIGINT, SIGTERM, SIGUSR1, SIGUSR2})
        sigaddset(&handledSignals, signal);
    pthread_sigmask(SIG_BLOCK, &handledSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("celldesk-meter-sim"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CELLDESK_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Emulates the battery test meter on a pseudo-terminal: it sends display frames and\n"
        "answers every command with the meter's byte layouts. It prints the device to open\n"
        "in CellDesk (celldesk --port <device>).\n"
        "\n"
        "Signals:\n"
        "  SIGUSR1  unplug: pull the cable; the pseudo-terminal closes, the program's port\n"
        "           hangs up and the device and the --link disappear (kill -USR1 <pid>)\n"
        "  SIGUSR2  replug: plug it in again; a new pseudo-terminal behind the same --link\n"
        "           (kill -USR2 <pid>)\n"
        "  SIGINT, SIGTERM  end the emulator"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption linkOption(
        QStringLiteral("link"),
        QStringLiteral("Make a symbolic link <path> to the device, a stable name as a USB "
                       "adapter has; unplug and replug keep it."),
        QStringLiteral("path"));
    const QCommandLineOption periodOption(
        QStringLiteral("period"),
        QStringLiteral("Milliseconds from one display frame to the next (default 250)."),
        QStringLiteral("ms"), QStringLiteral("250"));
    const QCommandLineOption pacedOption(
        QStringLiteral("paced"),
        QStringLiteral("Send at the pace of 19200 baud instead of as fast as possible."));
    const QCommandLineOption faultOption(
        QStringLiteral("fault"),
        QStringLiteral("Misbehave: none (default); silent, send nothing; wrong-etx, frames "
                       "end with 0x04; short, answers stop half-way; garbage, random bytes "
                       "instead of frames and answers."),
        QStringLiteral("kind"), QStringLiteral("none"));
    const QCommandLineOption demoOption(
        QStringLiteral("demo"), QStringLiteral("Show a battery discharging on the display."));
    const QCommandLineOption logOption(QStringLiteral("log"),
                                       QStringLiteral("Print each received byte to stderr."));
    const QCommandLineOption muteOption(
        QStringLiteral("mute"),
        QStringLiteral("Leave these command characters unanswered, e.g. VU; the command is "
                       "still taken and the display frames go on."),
        QStringLiteral("commands"));
    const QCommandLineOption cutOption(
        QStringLiteral("cut"),
        QStringLiteral("Cut the answer to a command after N bytes, then send no frame for 3 s, "
                       "e.g. W:500; with :frames the display frames follow at once instead, "
                       "e.g. W:500:frames (repeatable)."),
        QStringLiteral("command:bytes[:frames]"));
    const QCommandLineOption extendOption(
        QStringLiteral("extend"),
        QStringLiteral("Append N bytes to the answer to a command, e.g. W:20 (repeatable)."),
        QStringLiteral("command:bytes"));
    const QCommandLineOption delayOption(
        QStringLiteral("delay"),
        QStringLiteral("Start the answer to a command N ms late, e.g. I:100 (repeatable)."),
        QStringLiteral("command:ms"));
    const QCommandLineOption sizeOption(QStringLiteral("size-code"),
                                        QStringLiteral("Memory size in units of 64 K (default 1)."),
                                        QStringLiteral("code"), QStringLiteral("1"));
    const QCommandLineOption memoryOption(
        QStringLiteral("memory-bytes"),
        QStringLiteral("Fill the automatic memory with N bytes of generated sets."),
        QStringLiteral("bytes"));
    const QCommandLineOption framingOption(
        QStringLiteral("framing"),
        QStringLiteral("First and last byte of the memory answers in hex, e.g. ff:00 "
                       "(default 02:03)."),
        QStringLiteral("first:last"));
    const QCommandLineOption cellsOption(
        QStringLiteral("cells"),
        QStringLiteral("Play a tray of cells for grading, one after another with the probes "
                       "lifted between them: the cells of a CSV file with the columns cell_id, "
                       "voltage_V, resistance_Ohm (and temperature_C)."),
        QStringLiteral("file.csv"));
    const QCommandLineOption trayOption(
        QStringLiteral("tray"),
        QStringLiteral("Play a generated tray of N Li-ion cells for grading (a few outside the "
                       "usual limits); the same N gives the same cells."),
        QStringLiteral("N"));
    const QCommandLineOption holdOption(
        QStringLiteral("cell-hold"),
        QStringLiteral("Milliseconds the probes rest on each cell of a tray (default 2000)."),
        QStringLiteral("ms"), QStringLiteral("2000"));
    const QCommandLineOption gapOption(
        QStringLiteral("cell-gap"),
        QStringLiteral("Milliseconds the probes are off between two cells (default 1000)."),
        QStringLiteral("ms"), QStringLiteral("1000"));
    parser.addOptions({linkOption, periodOption, pacedOption, faultOption, demoOption, logOption,
                       muteOption, cutOption, extendOption, delayOption, sizeOption, memoryOption,
                       framingOption, cellsOption, trayOption, holdOption, gapOption});
    parser.process(app);

    bool periodOk = false;
    const int period = parser.value(periodOption).toInt(&periodOk);
    if (!periodOk || period < 0)
        return fail(QStringLiteral("--period wants a number of milliseconds"));
    const std::optional<MeterSim::Fault> fault = parseFault(parser.value(faultOption));
    if (!fault)
        return fail(QStringLiteral("--fault wants none, silent, wrong-etx, short or garbage"));

    MeterSim meter;
    meter.muteAnswers(parser.value(muteOption).toLatin1());
    for (const QString& cut : parser.values(cutOption)) {
        bool ok = false;
        const int bytes = cut.section(QLatin1Char(':'), 1, 1).toInt(&ok);
        const QString after = cut.section(QLatin1Char(':'), 2);
        if (cut.size() < 3 || cut.at(1) != QLatin1Char(':') || !ok ||
            (!after.isEmpty() && after != u"frames"))
            return fail(QStringLiteral(
                "--cut wants a command and a byte count, e.g. W:500 or W:500:frames"));
        meter.cutAnswer(cut.at(0).toLatin1(), bytes,
                        after.isEmpty() ? MeterSim::AfterCut::Hang : MeterSim::AfterCut::Frames);
    }
    for (const QString& extend : parser.values(extendOption)) {
        bool ok = false;
        const int bytes = extend.section(QLatin1Char(':'), 1).toInt(&ok);
        if (extend.size() < 3 || extend.at(1) != QLatin1Char(':') || !ok || bytes < 0)
            return fail(QStringLiteral("--extend wants a command and a byte count, e.g. W:20"));
        meter.extendAnswer(extend.at(0).toLatin1(), QByteArray(bytes, '\x55'));
    }
    for (const QString& delay : parser.values(delayOption)) {
        bool ok = false;
        const int ms = delay.section(QLatin1Char(':'), 1).toInt(&ok);
        if (delay.size() < 3 || delay.at(1) != QLatin1Char(':') || !ok || ms < 0)
            return fail(QStringLiteral("--delay wants a command and milliseconds, e.g. I:100"));
        meter.delayAnswer(delay.at(0).toLatin1(), ms);
    }
    bool sizeOk = false;
    const uint sizeCode = parser.value(sizeOption).toUInt(&sizeOk);
    if (!sizeOk || sizeCode > 255)
        return fail(QStringLiteral("--size-code wants a number from 0 to 255"));
    meter.setSizeCode(quint8(sizeCode));
    if (parser.isSet(memoryOption)) {
        bool ok = false;
        const qlonglong bytes = parser.value(memoryOption).toLongLong(&ok);
        // The meter's pointer has 24 bits and starts at 32967.
        if (!ok || bytes < 0 || bytes > 0xFFFFFF - 32967)
            return fail(
                QStringLiteral("--memory-bytes wants a number from 0 to %1").arg(0xFFFFFF - 32967));
        meter.setAutoMemory(generatedAutoMemory(bytes));
    }
    if (parser.isSet(framingOption)) {
        const QStringList bytes = parser.value(framingOption).split(QLatin1Char(':'));
        bool firstOk = false;
        bool lastOk = false;
        const uint first = bytes.value(0).toUInt(&firstOk, 16);
        const uint last = bytes.value(1).toUInt(&lastOk, 16);
        if (bytes.size() != 2 || !firstOk || !lastOk || first > 255 || last > 255)
            return fail(QStringLiteral("--framing wants two hex bytes, e.g. ff:00"));
        meter.setFramingBytes(char(first), char(last));
    }
    std::optional<QList<TrayCell>> trayCells;
    if (parser.isSet(cellsOption) && parser.isSet(trayOption))
        return fail(QStringLiteral("--cells and --tray: one tray at a time"));
    if (parser.isSet(cellsOption)) {
        const QString path = parser.value(cellsOption);
        // A regular file of a tray's size: a named pipe would block the open, a device never
        // end, and a cut file would play half a line as a cell.
        constexpr qint64 kMostBytes = 16 * 1024 * 1024;
        const QFileInfo info(path);
        if (info.exists() && !info.isFile())
            return fail(QStringLiteral("%1 is not a regular file").arg(path));
        if (info.size() > kMostBytes)
            return fail(QStringLiteral("%1 holds more than 16 MiB").arg(path));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return fail(QStringLiteral("cannot read %1: %2").arg(path, file.errorString()));
        QString error;
        trayCells = CellTray::fromCsv(file.read(kMostBytes), error);
        if (!trayCells)
            return fail(QStringLiteral("%1: %2").arg(path, error));
    } else if (parser.isSet(trayOption)) {
        bool ok = false;
        const int count = parser.value(trayOption).toInt(&ok);
        if (!ok || count < 1 || count > 100000)
            return fail(QStringLiteral("--tray wants a number of cells from 1 to 100000"));
        trayCells = CellTray::generated(count);
    }
    CellTray::Timing trayTiming;
    for (const auto& [option, target] :
         {std::pair{&holdOption, &trayTiming.holdMs}, std::pair{&gapOption, &trayTiming.gapMs}}) {
        bool ok = false;
        *target = parser.value(*option).toInt(&ok);
        if (!ok || *target < 100 || *target > 600000)
            return fail(QStringLiteral("--%1 wants milliseconds from 100 to 600000")
                            .arg(option->names().constFirst()));
    }
    if (trayCells && parser.isSet(demoOption))
        return fail(QStringLiteral("--demo and a tray: one display at a time"));

    meter.setFramePeriodMs(period);
    meter.setPaced(parser.isSet(pacedOption));
    meter.setFault(*fault);
    if (!meter.open())
        return fail(QStringLiteral("cannot open a pseudo-terminal"));

    QTextStream out(stdout);
    out << "celldesk-meter-sim: listening on " << meter.devicePath() << Qt::endl;
    if (parser.isSet(linkOption)) {
        const QString link = parser.value(linkOption);
        if (!meter.makeLink(link))
            return fail(QStringLiteral("cannot make the link %1").arg(link));
        out << "celldesk-meter-sim: linked " << link << Qt::endl;
    }

    DemoBattery battery(meter);
    if (parser.isSet(demoOption))
        battery.start();
    CellTray tray(meter, trayCells.value_or(QList<TrayCell>{}));
    if (trayCells) {
        tray.setTiming(trayTiming);
        QObject::connect(&tray, &CellTray::finished, &meter,
                         [&out] { out << "celldesk-meter-sim: the tray is done" << Qt::endl; });
        tray.start();
        out << "celldesk-meter-sim: playing a tray of " << trayCells->size() << " cells"
            << Qt::endl;
    }

    if (parser.isSet(logOption)) {
        QObject::connect(&meter, &MeterSim::bytesReceived, &meter, [](const QByteArray& bytes) {
            QTextStream(stderr) << "rx " << bytes.toHex(' ') << Qt::endl;
        });
    }

    const int signalFd = signalfd(-1, &handledSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (signalFd < 0)
        return fail(QStringLiteral("cannot watch for signals"));
    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [signalFd, &meter, &out] {
        signalfd_siginfo info{};
        while (::read(signalFd, &info, sizeof info) == ssize_t(sizeof info)) {
            switch (info.ssi_signo) {
            case SIGUSR1:
                meter.unplug();
                out << "celldesk-meter-sim: unplugged" << Qt::endl;
                break;
            case SIGUSR2:
                if (meter.isOpen())
                    break;
                if (meter.replug())
                    out << "celldesk-meter-sim: plugged in, listening on " << meter.devicePath()
                        << Qt::endl;
                else
                    QTextStream(stderr) << "celldesk-meter-sim: cannot plug in again" << Qt::endl;
                break;
            default:
                QCoreApplication::quit();
            }
        }
    });

    const int status = app.exec();
    ::close(signalFd);
    return status;
}
