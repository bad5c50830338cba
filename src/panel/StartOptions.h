#pragma once

#include <QString>

class QCommandLineParser;

/// What the command line asks of the program's start.
struct StartOptions
{
    bool demo = false; ///< run against the built-in demo meter
    QString port;      ///< --port: the text the port dialog starts with
};

/// Sets up `parser` with the program's options: --demo, --port PATH, --help, --version.
void describeStartOptions(QCommandLineParser& parser);

/// The options `parser` found (after it parsed the command line).
[[nodiscard]] StartOptions startOptions(const QCommandLineParser& parser);

/// The text the port dialog starts with: --port, else the demo meter's device, else the last
/// port that opened, else "COM1".
[[nodiscard]] QString initialPortText(const StartOptions& options, const QString& demoDevice,
                                      const QString& lastPort);
