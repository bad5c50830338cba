// pack: S groups of P matched cells from a graded session or a CSV file of cells.
#include "CellStore.h"
#include "CliCommon.h"
#include "InputFile.h"
#include "OutputFile.h"
#include "Subcommands.h"

namespace {

// A count given to --series or --parallel.
std::optional<int> countOf(const QString& text)
{
    bool ok = false;
    const int n = text.toInt(&ok);
    return ok && n >= 1 && n <= MaxPackCount ? std::optional<int>(n) : std::nullopt;
}

} // namespace

int runPack(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("pack"),
        QStringLiteral("--series S --parallel P [--by capacity|resistance]\n"
                       "       (--session NAME [--database PATH] | CELLS.csv) [-o PLAN.csv]"),
        QStringLiteral(
            "Builds a pack of S groups in series, each of P cells in parallel, from the passing\n"
            "cells of a graded session or of CELLS.csv, and writes the plan as CSV: a header,\n"
            "then group,cell_id,capacity_Ah,resistance_Ohm for each chosen cell, groups 1..S.\n"
            "It takes the S x P cells whose values lie closest together and balances the\n"
            "groups: by capacity, each group's sum of capacities; by resistance, each group's\n"
            "parallel resistance 1 / sum(1/R); then narrows the resistance spread inside the\n"
            "groups without widening the spread between them. The last line on stderr gives\n"
            "the spread between the groups, (max - min) / mean, beside that of the plain\n"
            "sort-and-snake deal. Default --by: capacity when a cell has one, else resistance.\n"
            "CELLS.csv: a cell_id column and capacity_Ah and/or resistance_Ohm (a session's\n"
            "CSV export and grade's output are such files); with a verdict column only PASS\n"
            "cells count. Too few cells: status 4 and a line naming how many are missing.\n"
            "Example: celldesk-cli pack --series 4 --parallel 10 --session tray-7 -o plan.csv"),
        false);
    const QCommandLineOption seriesOption(
        QStringLiteral("series"), QStringLiteral("Groups in series (S)."), QStringLiteral("S"));
    const QCommandLineOption parallelOption(QStringLiteral("parallel"),
                                            QStringLiteral("Cells in parallel in each group (P)."),
                                            QStringLiteral("P"));
    const QCommandLineOption byOption(
        QStringLiteral("by"), QStringLiteral("capacity or resistance."), QStringLiteral("WHAT"));
    const QCommandLineOption sessionOption(QStringLiteral("session"),
                                           QStringLiteral("The graded session's cells."),
                                           QStringLiteral("NAME"));
    const QCommandLineOption databaseOption(
        QStringLiteral("database"),
        QStringLiteral("The cell database (default: %1).").arg(CellStore::defaultPath()),
        QStringLiteral("PATH"));
    const QCommandLineOption outputOption({QStringLiteral("o"), QStringLiteral("output")},
                                          QStringLiteral("Write the plan to PLAN.csv (default: "
                                                         "stdout); whole or not at all."),
                                          QStringLiteral("PLAN.csv"));
    for (const QCommandLineOption* o : {&seriesOption, &parallelOption, &byOption, &sessionOption,
                                        &databaseOption, &outputOption})
        line.addOption(*o);
    line.addPositionalArgument(QStringLiteral("CELLS.csv"),
                               QStringLiteral("The cells, when no --session is given."));
    if (const auto status = line.parse(arguments))
        return *status;
    const std::optional<int> series = countOf(line.value(seriesOption));
    const std::optional<int> parallel = countOf(line.value(parallelOption));
    if (!series || !parallel)
        return line.usageError(
            QStringLiteral("--series and --parallel want counts from 1 to %1").arg(MaxPackCount));
    std::optional<Balance> by;
    if (line.isSet(byOption)) {
        bool resistance = false;
        if (const auto status = line.eitherOf(byOption, QLatin1StringView("capacity"),
                                              QLatin1StringView("resistance"), resistance))
            return *status;
        by = resistance ? Balance::Resistance : Balance::Capacity;
    }
    const QStringList files = line.positionalArguments();
    if (line.isSet(sessionOption) == !files.isEmpty() || files.size() > 1)
        return line.usageError(QStringLiteral("give --session NAME or one CELLS.csv"));
    if (line.isSet(databaseOption) && !line.isSet(sessionOption))
        return line.usageError(QStringLiteral("--database goes with --session"));

    QList<PackCell> cells;
    if (line.isSet(sessionOption)) {
        CellStore store;
        const QString database =
            line.isSet(databaseOption) ? line.value(databaseOption) : CellStore::defaultPath();
        if (!store.open(database))
            return fail(Exit::FileError, store.error());
        const auto session = store.session(line.value(sessionOption));
        if (!session)
            return fail(Exit::FileError, QStringLiteral("%1 in %2").arg(store.error(), database));
        const auto stored = store.cells(session->key);
        if (!stored)
            return fail(Exit::FileError, store.error());
        cells = packCellsOf(*stored);
    } else {
        QString failure;
        const auto bytes = readRegularFile(files.first(), MaxCellsFileBytes, failure);
        if (!bytes)
            return fail(Exit::FileError, failure);
        const CellsCsv parsed = parseCellsCsv(*bytes);
        if (!parsed.error.isEmpty())
            return fail(Exit::FileError, QStringLiteral("%1: %2").arg(files.first(), parsed.error));
        cells = parsed.cells;
    }
    if (!by) {
        const bool anyCapacity = std::any_of(
            cells.begin(), cells.end(), [](const PackCell& c) { return c.passing && c.capacity; });
        by = anyCapacity ? Balance::Capacity : Balance::Resistance;
    }

    const PackPlan plan = matchPack(cells, *series, *parallel, *by);
    if (plan.missing > 0)
        return fail(Exit::FileError, planMissingText(plan));
    const QByteArray csv = planCsv(plan, cells);
    const QString failure =
        line.isSet(outputOption) ? writeWholeFile(line.value(outputOption), csv) : writeStdout(csv);
    if (!failure.isEmpty())
        return fail(Exit::FileError, failure);
    tell(planSpreadText(plan));
    return Exit::Done;
}
