// convert: a data file (a recording or a list's save) to CSV.
#include "CliCommon.h"
#include "CsvReadings.h"
#include "DataFileOpen.h"
#include "Subcommands.h"

#include <QDate>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

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
    if (line.isSet(dateOption)) {
        date = QDate::fromString(line.value(dateOption), Qt::ISODate);
        if (!date.isValid())
            return line.usageError(
                QStringLiteral("--date wants YYYY-MM-DD, not '%1'").arg(line.value(dateOption)));
    }

    const OpenedDataFile opened = openDataFile(path);
    if (!opened.file) {
        return fail(Exit::FileError,
                    QStringLiteral("%1 could not be read: %2")
                        .arg(path, opened.failure.isEmpty() ? opened.notData : opened.failure));
    }
    const QByteArray bytes = opened.file->readAll();
    if (opened.file->error() != QFileDevice::NoError)
        return fail(
            Exit::FileError,
            QStringLiteral("%1 could not be read: %2").arg(path, opened.file->errorString()));
    if (!date.isValid())
        date = dataFileFirstDate(bytes, QFileInfo(path).lastModified());
    const CsvConversion csv = convertDataFile(bytes, date);
    if (!csv.error.isEmpty())
        return fail(Exit::FileError, QStringLiteral("%1 is no data file: %2").arg(path, csv.error));

    if (!line.isSet(outOption)) {
        if (std::fwrite(csv.csv.constData(), 1, size_t(csv.csv.size()), stdout) !=
                size_t(csv.csv.size()) ||
            std::fflush(stdout) != 0)
            return fail(Exit::FileError, QStringLiteral("the CSV could not be written to stdout"));
        return Exit::Done;
    }
    const QString outPath = line.value(outOption);
    // Written beside and renamed over: a failed write leaves no half CSV file.
    QSaveFile out(outPath);
    if (!out.open(QIODevice::WriteOnly) || out.write(csv.csv) != csv.csv.size() || !out.commit())
        return fail(Exit::FileError,
                    QStringLiteral("%1 could not be written: %2").arg(outPath, out.errorString()));
    return Exit::Done;
}
