#pragma once

#include <QString>

#include <optional>

class QCommandLineParser;

/// What the command line asks of the program's start.
struct StartOptions
{
    bool demo = false; ///< run against the built-in demo meter
    QString port;      ///< --port: the text the port dialog starts with
    QString lab;       ///< --lab: only the Lab Overview, on this broker
};

/// Sets up `parser` with the program's options: --demo, --port PATH, --lab URL, --help,
/// --version.
void describeStartOptions(QCommandLineParser& parser);

/// --help (-h) and --version (-v): printed on stdout with no display needed, for they are
/// asked over ssh too, where the windowed application cannot start. Returns the exit code
/// when the command line asks for either, and nothing (having printed nothing) otherwise;
/// every other option (--help-all, which lists the window system's options, too), and any
/// mistake, is left to the full parse after the application started. The application name
/// and version must be set.
[[nodiscard]] std::optional<int> answerInfoOptions(int argc, char* argv[]);

/// The options `parser` found (after it parsed the command line).
[[nodiscard]] StartOptions startOptions(const QCommandLineParser& parser);

/// The text the port dialog starts with: --port, else the demo meter's device, else the last
/// port that opened, else "COM1".
[[nodiscard]] QString initialPortText(const StartOptions& options, const QString& demoDevice,
                                      const QString& lastPort);
