#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>

class MeterConnection;

/// The exit status of celldesk-cli, the same for every subcommand.
namespace Exit {
inline constexpr int Done = 0;
inline constexpr int Usage = 1;         ///< unknown command or option, a missing or wrong value
inline constexpr int PortNotOpened = 2; ///< the port could not be opened
inline constexpr int NoAnswer = 3;      ///< the meter did not answer, or not as expected
inline constexpr int FileError = 4;     ///< a file could not be read or written, or is not valid
inline constexpr int Refused = 5;       ///< refused in the meter's present mode
} // namespace Exit

/// The exit status table as --help and the manual page print it.
[[nodiscard]] QString exitStatusHelp();
/// The port rules and the default port, as --help prints them.
[[nodiscard]] QString portHelp();

/// Writes `bytes` to stdout and hands them to the system at once; empty when written, else
/// "cannot write stdout: <the system's reason>" (a full disk, a closed pipe or descriptor).
[[nodiscard]] QString writeStdout(QByteArrayView bytes);
/// Writes `line` and a line end to stdout at once (a pipe gets every line as it is made);
/// the failure as writeStdout() tells it.
[[nodiscard]] QString printLine(const QString& line);
[[nodiscard]] QString printLine(const QByteArray& line);
/// Prints a command's result, its last line: Exit::Done, or Exit::FileError (told) when stdout
/// failed, so `celldesk-cli clock > /dev/full` does not end as if the time had been read.
[[nodiscard]] int printResult(const QString& line);
/// Tells `message` on stderr as one line, "celldesk-cli: message".
void tell(const QString& message);
/// Tells `message` as tell() does and returns `status`.
int fail(int status, const QString& message);

/// The command line of one subcommand: its own options and arguments, plus --port and
/// --help. --help is answered here; a usage error is told as one line.
class SubcommandLine
{
public:
    /// `synopsis` follows the name in the usage line ("[--set] [--port PATH]"), `description`
    /// says what the subcommand does. `withPort` false for a subcommand without the meter.
    SubcommandLine(const QString& name, const QString& synopsis, const QString& description,
                   bool withPort = true);

    void addOption(const QCommandLineOption& option) { m_parser.addOption(option); }
    void addPositionalArgument(const QString& name, const QString& description)
    {
        m_parser.addPositionalArgument(name, description);
    }

    /// Parses the arguments that follow the subcommand's name. Returns the exit status when
    /// the run ends here: Done after --help, Usage after an unknown option or a missing value.
    [[nodiscard]] std::optional<int> parse(const QStringList& arguments);

    [[nodiscard]] bool isSet(const QCommandLineOption& option) const
    {
        return m_parser.isSet(option);
    }
    [[nodiscard]] QString value(const QCommandLineOption& option) const
    {
        return m_parser.value(option);
    }
    [[nodiscard]] QStringList positionalArguments() const { return m_parser.positionalArguments(); }
    /// The port to open: --port, else the last port that opened in CellDesk's window, else
    /// "COM1".
    [[nodiscard]] QString portText() const;

    /// Exit::Usage (told) when the command line holds an argument beside its options.
    [[nodiscard]] std::optional<int> noArguments() const;
    /// Exit::Usage (told) unless the command line holds exactly one FILE, which `path` gets.
    [[nodiscard]] std::optional<int> oneFile(QString& path) const;
    /// Exit::Usage (told) unless `option`'s value is `first` or `second`; `isSecond` says which.
    [[nodiscard]] std::optional<int> eitherOf(const QCommandLineOption& option,
                                              QLatin1StringView first, QLatin1StringView second,
                                              bool& isSecond) const;
    /// Exit::Usage (told) when `option` is set to anything but a date YYYY-MM-DD; `date` gets
    /// the date, invalid when the option is not set.
    [[nodiscard]] std::optional<int> dateOf(const QCommandLineOption& option, QDate& date) const;
    /// Tells a usage error (with where to find the help) and returns Exit::Usage.
    int usageError(const QString& message) const;
    /// The subcommand's full help text.
    [[nodiscard]] QString helpText() const;

private:
    QString m_name;
    QString m_synopsis;
    QString m_description;
    QCommandLineParser m_parser;
    QCommandLineOption m_help;
    QCommandLineOption m_port;
    bool m_withPort;
};

/// A duration as --for takes it, in seconds: a whole number of seconds, or one followed by
/// s, m, h or d ("90", "90s", "10m", "2h", "1d"); nothing for any other text or for zero.
[[nodiscard]] std::optional<qint64> durationSeconds(const QString& text);

/// How long a command waits for the meter's first display frame, and how long a meter that
/// fell silent in the middle of an exchange is waited for.
inline constexpr double FirstReadingSeconds = 12.0;
inline constexpr double SilenceSeconds = 2.0;

/// Opens the meter for a subcommand: the port, then the session. With `waitForReading` it
/// waits for the first display frame and gives up on a meter that stays silent (a command
/// that must end); without, it starts the live poll and returns at once (a command that
/// waits for the meter for as long as it runs). Returns the exit status when it failed,
/// after telling why: PortNotOpened or NoAnswer.
[[nodiscard]] std::optional<int> openMeter(MeterConnection& meter, const QString& portText,
                                           bool waitForReading);
