#include "CliCommon.h"

#include "MeterConnection.h"
#include "PortMemory.h"
#include "StatusLine.h"
#include "Waits.h"

#include <QRegularExpression>

#include <cerrno>
#include <cstdio>

QString exitStatusHelp()
{
    return QStringLiteral(
        "Exit status:\n"
        "  0  done\n"
        "  1  usage: unknown command or option, a missing or wrong value, --yes missing\n"
        "  2  the port could not be opened\n"
        "  3  the meter did not answer (or did not take what was sent)\n"
        "  4  file error: a file could not be read or written, or its content is not valid\n"
        "  5  refused: the meter records into its own memory\n"
        "  128+n  download stopped by signal n (130 SIGINT, 143 SIGTERM)\n");
}

QString portHelp()
{
    return QStringLiteral(
        "Port (--port PATH): COM1 to COM8 (/dev/ttyS0 to /dev/ttyS7), Auto (COM1), or a\n"
        "device path such as /dev/ttyUSB0 or /dev/serial/by-id/... Default: the last port\n"
        "that opened in CellDesk's window (~/.config/CellDesk/CellDesk.conf), else COM1.\n");
}

QString writeStdout(QByteArrayView bytes)
{
    errno = 0;
    if (std::fwrite(bytes.data(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size()) &&
        std::fflush(stdout) == 0)
        return {};
    const int error = errno;
    std::clearerr(stdout);
    return QStringLiteral("cannot write stdout: %1")
        .arg(error != 0 ? qt_error_string(error) : QStringLiteral("Unknown error"));
}

QString printLine(const QByteArray& line)
{
    return writeStdout(line + '\n');
}

QString printLine(const QString& line)
{
    return printLine(line.toUtf8());
}

int printResult(const QString& line)
{
    const QString failure = printLine(line);
    return failure.isEmpty() ? Exit::Done : fail(Exit::FileError, failure);
}

void tell(const QString& message)
{
    StatusLine::clearShown();
    std::fprintf(stderr, "celldesk-cli: %s\n", qUtf8Printable(message));
    std::fflush(stderr);
}

int fail(int status, const QString& message)
{
    tell(message);
    return status;
}

SubcommandLine::SubcommandLine(const QString& name, const QString& synopsis,
                               const QString& description, bool withPort)
    : m_name(name), m_synopsis(synopsis), m_description(description),
      m_help({QStringLiteral("h"), QStringLiteral("help")},
             QStringLiteral("Show this help and end.")),
      m_port(QStringLiteral("port"),
             QStringLiteral("The meter's serial port: COM1 to COM8, Auto, or a device path."),
             QStringLiteral("PATH")),
      m_withPort(withPort)
{
    m_parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    m_parser.addOption(m_help);
    if (m_withPort)
        m_parser.addOption(m_port);
}

std::optional<int> SubcommandLine::parse(const QStringList& arguments)
{
    // The parser takes the first argument for the program's name.
    if (!m_parser.parse(QStringList{QStringLiteral("celldesk-cli ") + m_name} + arguments))
        return usageError(m_parser.errorText());
    if (m_parser.isSet(m_help)) {
        std::fputs(qUtf8Printable(helpText()), stdout);
        std::fflush(stdout);
        return Exit::Done;
    }
    return std::nullopt;
}

QString SubcommandLine::portText() const
{
    if (m_parser.isSet(m_port))
        return m_parser.value(m_port);
    const QString last = PortMemory().lastPort();
    return last.isEmpty() ? QStringLiteral("COM1") : last;
}

std::optional<int> SubcommandLine::noArguments() const
{
    const QStringList given = m_parser.positionalArguments();
    if (given.isEmpty())
        return std::nullopt;
    return usageError(QStringLiteral("unexpected argument '%1'").arg(given.first()));
}

std::optional<int> SubcommandLine::oneFile(QString& path) const
{
    const QStringList files = m_parser.positionalArguments();
    if (files.size() != 1)
        return usageError(files.isEmpty() ? QStringLiteral("FILE is missing")
                                          : QStringLiteral("one FILE only"));
    path = files.first();
    return std::nullopt;
}

std::optional<int> SubcommandLine::eitherOf(const QCommandLineOption& option,
                                            QLatin1StringView first, QLatin1StringView second,
                                            bool& isSecond) const
{
    const QString given = m_parser.value(option);
    isSecond = given == second;
    if (isSecond || given == first)
        return std::nullopt;
    return usageError(QStringLiteral("--%1 wants %2 or %3, not '%4'")
                          .arg(option.names().constLast(), first, second, given));
}

std::optional<int> SubcommandLine::dateOf(const QCommandLineOption& option, QDate& date) const
{
    date = {};
    if (!m_parser.isSet(option))
        return std::nullopt;
    date = QDate::fromString(m_parser.value(option), Qt::ISODate);
    if (date.isValid())
        return std::nullopt;
    return usageError(QStringLiteral("--%1 wants YYYY-MM-DD, not '%2'")
                          .arg(option.names().constLast(), m_parser.value(option)));
}

int SubcommandLine::usageError(const QString& message) const
{
    return fail(Exit::Usage,
                QStringLiteral("%1: %2 (see celldesk-cli %1 --help)")
                    .arg(m_name, message.endsWith(u'.') ? message.chopped(1) : message));
}

QString SubcommandLine::helpText() const
{
    // The parser's own text without its usage line, which would name no subcommand.
    QString options = m_parser.helpText();
    options = options.mid(options.indexOf(QStringLiteral("Options:")));
    QString text = QStringLiteral("Usage: celldesk-cli %1 %2\n\n%3\n\n")
                       .arg(m_name, m_synopsis, m_description) +
                   options;
    if (!text.endsWith(u'\n'))
        text += u'\n';
    if (m_withPort)
        text += u'\n' + portHelp();
    return text + u'\n' + exitStatusHelp();
}

std::optional<qint64> durationSeconds(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})([smhd]?)$"));
    const QRegularExpressionMatch match = pattern.match(text.trimmed());
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 number = match.captured(1).toLongLong();
    const QString unit = match.captured(2);
    const qint64 factor = unit == u"m"   ? 60
                          : unit == u"h" ? 3600
                          : unit == u"d" ? 86400
                                         : qint64(1);
    if (number <= 0)
        return std::nullopt;
    return number * factor;
}

std::optional<int> openMeter(MeterConnection& meter, const QString& portText, bool waitForReading)
{
    const PortOpenResult opened = meter.open(portText);
    if (!opened.ok)
        return fail(Exit::PortNotOpened, QStringLiteral("No device available ! ") + opened.reason);
    if (!waitForReading) {
        meter.session().start();
        return std::nullopt;
    }
    meter.giveUpWhenSilentFor(SilenceSeconds);
    if (!meter.start(FirstReadingSeconds)) {
        if (waitsAbandoned()) // a stop: the caller ends as it says, the cable is not to blame
            return Exit::NoAnswer;
        return fail(Exit::NoAnswer,
                    QStringLiteral("the meter on %1 sends no display; check the cable and that "
                                   "the meter is switched on")
                        .arg(meter.port().devicePath));
    }
    return std::nullopt;
}
