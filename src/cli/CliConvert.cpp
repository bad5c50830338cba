// convert: a data file (a recording or a list's save) to CSV.
#include "CliCommon.h"
#include "CsvReadings.h"
#include "InputFile.h"
#include "OutputFile.h"
#include "Subcommands.h"

#include <QDate>
#include <QFileInfo>

int runConvert(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("convert"), QStringLiteral("[--date YYYY-MM-DD] [-o OUT.csv] FILE"),
        QStringLiteral(
            "Converts a data file (a recording, or the save of any list) to the list windows'\n"
            "CSV export layout: SI values as plain numbers, overloads as empty cells named in\n"
            "the flags column. Data files hold times of day only: each row gets the date of\n"
            "the first row (--date, else worked out from the file's modification time), one\n"
            "day more after each midnight. The CSV goes to stdout, or to OUT.csv with -o.\n"
            "Example: celldesk-cli convert --date 2026-12-08 cell7.txt -o cell7.csv"),
        false);
    const QCommandLineOption dateOption(QStringLiteral("date"),
                                        QStringLiteral("The date of the first row (YYYY-MM-DD)."),
                                        QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption outOption({QStringLiteral("o"), QStringLiteral("output")},
                                       QStringLiteral("Write the CSV to OUT.csv, not stdout."),
                                       QStringLiteral("OUT.csv"));
    line.addOption(dateOption);
    line.addOption(outOption);
    line.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The data file."));
    if (const auto status = line.parse(arguments))
        return *status;
    QString path;
    if (const auto status = line.oneFile(path))
        return *status;
    QDate date;
    if (const auto status = line.dateOf(dateOption, date))
        return *status;

    // An output that cannot take the CSV is refused before the input is read.
    if (line.isSet(outOption)) {
        if (const QString refusal = outputRefusal(line.value(outOption)); !refusal.isEmpty())
            return fail(Exit::FileError, refusal);
    }
    QString failure;
    const std::optional<QByteArray> bytes = readDataFile(path, failure);
    if (!bytes)
        return fail(Exit::FileError, failure);
    if (!date.isValid())
        date = dataFileFirstDate(*bytes, QFileInfo(path).lastModified());
    const CsvConversion csv = convertDataFile(*bytes, date);
    if (!csv.error.isEmpty())
        return fail(Exit::FileError, QStringLiteral("%1 is no data file: %2").arg(path, csv.error));
    if (!csv.warning.isEmpty())
        tell(QStringLiteral("%1: %2").arg(path, csv.warning));

    failure = line.isSet(outOption) ? writeWholeFile(line.value(outOption), csv.csv)
                                    : writeStdout(csv.csv);
    if (!failure.isEmpty())
        return fail(Exit::FileError, failure);
    return Exit::Done;
}
