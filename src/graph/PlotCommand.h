#pragma once

#include <QList>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

class QCommandLineParser;

// `celldesk --plot FILE... --column voltage --x elapsed|capacity -o curve.png`: the
// stored-data graph's picture of recordings for reports made by scripts, drawn without a display.

/// What --plot is asked to draw.
struct PlotCommand
{
    QStringList files;
    QString column = QStringLiteral("voltage");
    QString x = QStringLiteral("elapsed");
    QString output;
    QSize size{1200, 800};
};

/// Adds --plot, --column, --x, -o (--output) and --size to `parser`.
void describePlotOptions(QCommandLineParser& parser);

/// Draws the picture `command` asks for; the exit status: 0 drawn, 1 a usage error, 4 a file
/// that cannot be read or written (told on stderr).
[[nodiscard]] int drawPlot(const PlotCommand& command);

/// When the command line holds --plot: starts the application on Qt's offscreen platform (a
/// picture needs no display), parses the command line, draws and returns the exit status.
/// Nothing when --plot is not asked for. The application name and version must be set.
[[nodiscard]] std::optional<int> runPlotOption(int& argc, char* argv[]);
