#include "PlotCommand.h"

#include "ColumnPlot.h"
#include "GraphPicture.h"
#include "GraphView.h"
#include "ReadingSeriesFile.h"
#include "StoredOverlay.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFileInfo>

#include <array>
#include <cstdio>

namespace {

struct ColumnName
{
    const char* name;
    const char* caption;
};
// In ReadingSeries::Channel order.
constexpr std::array<ColumnName, ReadingSeries::ChannelCount> kColumns{{
    {"voltage", "Voltage"},
    {"resistance", "Resistance"},
    {"current", "Current"},
    {"temperature", "Temperature"},
    {"in_capacity", "In-Cap"},
    {"out_capacity", "Out-Cap"},
    {"total_capacity", "T-Cap"},
}};

struct XName
{
    const char* name;
    XReading reading;
};
constexpr std::array<XName, 4> kReadings{{{"record", XReading::Record},
                                          {"time", XReading::Clock},
                                          {"elapsed", XReading::Elapsed},
                                          {"capacity", XReading::Capacity}}};

int told(int status, const QString& message)
{
    std::fprintf(stderr, "celldesk: %s\n", qUtf8Printable(message));
    return status;
}

constexpr int kUsage = 1;
constexpr int kFileError = 4;

} // namespace

void describePlotOptions(QCommandLineParser& parser)
{
    parser.addOption(QCommandLineOption(
        QStringLiteral("plot"),
        QStringLiteral("Draw the recordings named after the options (data files or CellDesk "
                       "CSVs) on one graph into the picture -o names, and end; no display is "
                       "needed.")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("column"),
        QStringLiteral("With --plot: voltage (default), resistance, current, temperature, "
                       "in_capacity, out_capacity or total_capacity."),
        QStringLiteral("name")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("x"),
        QStringLiteral("With --plot: what X reads: elapsed (default, each file from its own "
                       "start), capacity (the charge drawn, Ah), time (of day) or record."),
        QStringLiteral("reading")));
    parser.addOption(
        QCommandLineOption({QStringLiteral("o"), QStringLiteral("output")},
                           QStringLiteral("With --plot: the picture to write, .png, .svg or .pdf."),
                           QStringLiteral("file")));
    parser.addOption(QCommandLineOption(
        QStringLiteral("size"),
        QStringLiteral("With --plot: the picture's size in pixels (default 1200x800)."),
        QStringLiteral("WxH")));
}

int drawPlot(const PlotCommand& command)
{
    const auto column = std::find_if(kColumns.begin(), kColumns.end(), [&](const ColumnName& c) {
        return command.column == QLatin1String(c.name);
    });
    if (column == kColumns.end())
        return told(kUsage, QStringLiteral("--column does not know '%1'").arg(command.column));
    const auto x = std::find_if(kReadings.begin(), kReadings.end(),
                                [&](const XName& r) { return command.x == QLatin1String(r.name); });
    if (x == kReadings.end())
        return told(
            kUsage,
            QStringLiteral("--x wants elapsed, capacity, time or record, not '%1'").arg(command.x));
    if (command.files.isEmpty())
        return told(kUsage, QStringLiteral("--plot wants at least one FILE"));
    if (command.output.isEmpty())
        return told(kUsage, QStringLiteral("--plot wants the picture's name: -o FILE"));

    const auto channel = ReadingSeries::Channel(column - kColumns.begin());
    GraphView graph;
    graph.resize(command.size);
    graph.setRecordCaption(QStringLiteral("Record number"));
    QStringList names;
    for (const QString& path : command.files) {
        const LoadedSeries loaded = loadReadingSeries(path);
        if (!loaded.failure.isEmpty())
            return told(kFileError, loaded.failure);
        if (!loaded.warning.isEmpty())
            told(0, loaded.warning);
        const ReadingSeries& s = loaded.series;
        const ColumnUnit unit = plainUnit(channel, s.temperatureUnit());
        const int plot =
            addRecordingPlot(graph, s, QFileInfo(path).fileName(), int(names.size()), unit);
        names.append(QFileInfo(path).fileName());
        if (plot == 1)
            graph.setAxisCaption(
                2, QStringLiteral("%1 (%2)").arg(QLatin1String(column->caption), unit.unit));
    }
    graph.setXReading(x->reading);
    graph.legend->setVisible(names.size() > 1);
    graph.fit();
    const PictureHead head{names.join(QStringLiteral(", ")), {}};
    const QString failure =
        writePicture(command.output, command.size, head, graphPictureBody(graph));
    if (!failure.isEmpty())
        return told(kFileError,
                    QStringLiteral("%1 could not be written: %2").arg(command.output, failure));
    return 0;
}

std::optional<int> runPlotOption(int& argc, char* argv[])
{
    bool asked = false;
    for (int i = 1; i < argc; ++i)
        asked = asked || qstrcmp(argv[i], "--plot") == 0;
    if (!asked)
        return std::nullopt;
    // A picture needs no display: drawn offscreen whatever the session has.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    describePlotOptions(parser);
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("A recording."));
    if (!parser.parse(QApplication::arguments()))
        return told(kUsage, parser.errorText());
    PlotCommand command;
    command.files = parser.positionalArguments();
    if (parser.isSet(QStringLiteral("column")))
        command.column = parser.value(QStringLiteral("column"));
    if (parser.isSet(QStringLiteral("x")))
        command.x = parser.value(QStringLiteral("x"));
    command.output = parser.value(QStringLiteral("output"));
    if (parser.isSet(QStringLiteral("size"))) {
        const std::optional<QSize> size = pictureSize(parser.value(QStringLiteral("size")));
        if (!size)
            return told(kUsage, QStringLiteral("--size wants WxH, each from %1 to %2")
                                    .arg(MinPictureSide)
                                    .arg(MaxPictureSide));
        command.size = *size;
    }
    return drawPlot(command);
}
