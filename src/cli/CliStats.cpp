// stats: what a span of a recording tells of the battery, for scripts.
#include "CliCommon.h"
#include "ReadingSeriesFile.h"
#include "SpanFigures.h"
#include "Subcommands.h"

#include <QDate>

#include <cmath>

namespace {

// The value of a numeric option; nothing (told) when it is no number.
std::optional<double> numberOption(const SubcommandLine& line, const QCommandLineOption& option,
                                   int& status)
{
    if (!line.isSet(option))
        return std::nullopt;
    bool ok = false;
    const double value = line.value(option).toDouble(&ok);
    if (!ok || !std::isfinite(value)) {
        status = line.usageError(QStringLiteral("--%1 wants a number, not '%2'")
                                     .arg(option.names().constFirst(), line.value(option)));
        return std::nullopt;
    }
    return value;
}

} // namespace

int runStats(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("stats"),
        QStringLiteral("[--date YYYY-MM-DD] [--from SECONDS] [--to SECONDS] [--cutoff VOLTS] "
                       "[--format json|csv] FILE"),
        QStringLiteral(
            "Prints what a span of a recording tells of the battery. FILE is a data file (a\n"
            "recording or a list's save) or a CellDesk CSV. The span runs from --from to --to\n"
            "seconds after the first row (all of it by default); with --cutoff it ends at the\n"
            "first row whose voltage is below VOLTS, whose time cutoff_s tells.\n"
            "Charge and energy are the current and V x I integrated over time by trapezoids,\n"
            "never across a gap in the stamps; in and out are kept apart by the current's sign\n"
            "(the meter's In-Cap and Out-Cap tell which sign is which). counter_out_Ah is the\n"
            "rise of the meter's own Out-Cap over the span. Values in V, A, Ohm, Ah, Wh, s;\n"
            "a figure the span cannot give is null (empty in CSV). --date is the date of a data\n"
            "file's first row, as convert takes it.\n"
            "Example: celldesk-cli stats --cutoff 3.0 cell7.csv | jq .charge_out_Ah"),
        false);
    const QCommandLineOption dateOption(QStringLiteral("date"),
                                        QStringLiteral("The date of a data file's first row."),
                                        QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption fromOption(
        QStringLiteral("from"), QStringLiteral("The span starts SECONDS after the first row."),
        QStringLiteral("SECONDS"));
    const QCommandLineOption toOption(QStringLiteral("to"),
                                      QStringLiteral("The span ends SECONDS after the first row."),
                                      QStringLiteral("SECONDS"));
    const QCommandLineOption cutoffOption(
        QStringLiteral("cutoff"),
        QStringLiteral("End the span where the voltage first fell below VOLTS."),
        QStringLiteral("VOLTS"));
    const QCommandLineOption formatOption(QStringLiteral("format"),
                                          QStringLiteral("json (one line, default) or csv."),
                                          QStringLiteral("json|csv"), QStringLiteral("json"));
    for (const QCommandLineOption& o :
         {dateOption, fromOption, toOption, cutoffOption, formatOption})
        line.addOption(o);
    line.addPositionalArgument(QStringLiteral("FILE"),
                               QStringLiteral("The data file or CellDesk CSV."));
    if (const auto status = line.parse(arguments))
        return *status;
    QString path;
    if (const auto status = line.oneFile(path))
        return *status;
    bool csv = false;
    if (const auto status =
            line.eitherOf(formatOption, QLatin1StringView("json"), QLatin1StringView("csv"), csv))
        return *status;
    QDate date;
    if (const auto status = line.dateOf(dateOption, date))
        return *status;
    int status = Exit::Done;
    const double from = numberOption(line, fromOption, status).value_or(-qInf());
    const double to = numberOption(line, toOption, status).value_or(qInf());
    const std::optional<double> cutoff = numberOption(line, cutoffOption, status);
    if (status != Exit::Done)
        return status;
    if (from > to)
        return line.usageError(QStringLiteral("--from is after --to"));

    const LoadedSeries loaded = loadReadingSeries(path, date);
    if (!loaded.failure.isEmpty())
        return fail(Exit::FileError, loaded.failure);
    if (!loaded.warning.isEmpty())
        tell(loaded.warning);
    const ReadingSeries& series = loaded.series;
    RowSpan span = rowsBetween(series, from, to);
    std::optional<double> cutoffS;
    if (cutoff) {
        if (const std::optional<qsizetype> row =
                cutoffRow(series, *cutoff, span.first, span.last)) {
            span.last = *row;
            cutoffS = series.elapsed(*row);
        }
    }
    const QList<StatsField> fields =
        statsFields(spanFigures(series, span.first, span.last), cutoffS, cutoff.has_value());
    const QByteArray text = csv ? statsCsv(fields) : statsJson(fields);
    if (const QString failure = writeStdout(text); !failure.isEmpty())
        return fail(Exit::FileError, failure);
    return Exit::Done;
}
