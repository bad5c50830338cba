#include "StartOptions.h"

#include "PlotCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstdio>

namespace {

const QString kDemo = QStringLiteral("demo");
const QString kPort = QStringLiteral("port");
const QString kLab = QStringLiteral("lab");

} // namespace

void describeStartOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Desktop companion of the battery test meter on a serial line (19200,n,8,1).\n"
        "The port dialog comes first; it offers COM1 to COM8 (/dev/ttyS0 to /dev/ttyS7), the\n"
        "serial devices found now, and the last port that opened."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        kDemo, QStringLiteral("Run against a built-in demo meter on a pseudo-terminal.")));
    parser.addOption(QCommandLineOption(
        kPort,
        QStringLiteral("Pre-fill the port dialog with <path> (a device such as /dev/ttyUSB0, "
                       "or COM1 to COM8); the dialog is still shown."),
        QStringLiteral("path")));
    parser.addOption(QCommandLineOption(
        kLab,
        QStringLiteral("Open only the Lab Overview of the meters that publish to the MQTT broker "
                       "at <url> (mqtt://host[:port] or mqtts://host[:port]); no port dialog, no "
                       "meter of its own."),
        QStringLiteral("url")));
    describePlotOptions(parser);
}

std::optional<int> answerInfoOptions(int argc, char* argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QCommandLineParser parser;
    describeStartOptions(parser);
    // Options of the window system (-platform, -display ...) are unknown here: the parse
    // fails on them but still finds the two asked for.
    (void)parser.parse(arguments);
    const bool help = parser.isSet(QStringLiteral("help"));
    const bool version = parser.isSet(QStringLiteral("version"));
    if (!help && !version)
        return std::nullopt;
    // A core application gives the help its program name; it needs no display.
    const QCoreApplication core(argc, argv);
    const QString text = help ? parser.helpText()
                              : QCoreApplication::applicationName() + QLatin1Char(' ') +
                                    QCoreApplication::applicationVersion() + QLatin1Char('\n');
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
    return 0;
}

StartOptions startOptions(const QCommandLineParser& parser)
{
    StartOptions options;
    options.demo = parser.isSet(kDemo);
    options.port = parser.value(kPort);
    options.lab = parser.value(kLab);
    return options;
}

QString initialPortText(const StartOptions& options, const QString& demoDevice,
                        const QString& lastPort)
{
    if (!options.port.isEmpty())
        return options.port;
    if (options.demo && !demoDevice.isEmpty())
        return demoDevice;
    if (!lastPort.isEmpty())
        return lastPort;
    return QStringLiteral("COM1");
}
