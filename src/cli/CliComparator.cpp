// comparator get / set: the meter's 99 comparator sets to and from a CSV file.
#include "AppState.h"
#include "CliCommon.h"
#include "ComparatorCsv.h"
#include "ComparatorExchange.h"
#include "InputFile.h"
#include "MeterConnection.h"
#include "OutputFile.h"
#include "ProgressText.h"
#include "StatusLine.h"
#include "Subcommands.h"

#include <QFile>

namespace {

// Reads the table with "W"; nothing after telling why it did not arrive.
std::optional<ComparatorTexts> readTable(MeterConnection& meter, StatusLine& status)
{
    MeterSession& session = meter.session();
    StreamReader reader(session.channel(), session.link());
    QObject::connect(&reader, &StreamReader::progress, &reader,
                     [&status](qsizetype received, qsizetype expected) {
                         status.show(QStringLiteral("Reading the comparator sets: ") +
                                     percentCompleted(received, expected));
                     });
    const StreamReader::Result result = readComparatorReply(reader);
    status.clear();
    if (result.outcome != StreamReader::Outcome::Complete) {
        fail(Exit::NoAnswer, QStringLiteral("the comparator table did not arrive (%1 of %2 bytes)")
                                 .arg(result.bytes.size())
                                 .arg(ComparatorReplyLength));
        return std::nullopt;
    }
    return comparatorTableFromReply(result.bytes);
}

// The bytes of the comparator file at `path` (- for stdin): a regular file (or stdin) of at
// most MaxComparatorFileBytes; else nothing, and `failure` says why.
std::optional<QByteArray> readComparatorFile(const QString& path, QString& failure)
{
    if (path != u"-")
        return readRegularFile(path, MaxComparatorFileBytes, failure);
    QFile standardInput;
    if (!standardInput.open(stdin, QIODevice::ReadOnly)) {
        failure = QStringLiteral("cannot read stdin: %1").arg(standardInput.errorString());
        return std::nullopt;
    }
    return readBounded(standardInput, QStringLiteral("stdin"), MaxComparatorFileBytes, failure);
}

int getSets(MeterConnection& meter, const QString& path)
{
    StatusLine status;
    const auto table = readTable(meter, status);
    if (!table)
        return Exit::NoAnswer;
    const QByteArray csv = comparatorCsv(*table);
    if (path == u"-") {
        if (const QString failure = writeStdout(csv); !failure.isEmpty())
            return fail(Exit::FileError, failure);
        return Exit::Done;
    }
    // Written whole or not at all: an old file stays as it was when the disk is full.
    if (const QString failure = writeWholeFile(path, csv); !failure.isEmpty())
        return fail(Exit::FileError, failure);
    return printResult(QStringLiteral("%1 sets written to %2").arg(ComparatorSetCount).arg(path));
}

int setSets(MeterConnection& meter, const QString& path, const ComparatorCsvFile& file)
{
    StatusLine status;
    const auto before = readTable(meter, status);
    if (!before)
        return Exit::NoAnswer;
    const ComparatorChanges changes = comparatorChanges(*before, file.rows);
    if (!changes.error.isEmpty())
        return fail(Exit::FileError, path + QStringLiteral(" ") + changes.error +
                                         QStringLiteral("; nothing was sent"));
    if (changes.updates.isEmpty())
        return printResult(QStringLiteral("No set differs from the meter's; nothing was sent."));
    CommandChannel& channel = meter.session().channel();
    for (qsizetype k = 0; k < changes.updates.size(); ++k) {
        const ComparatorUpdate& update = changes.updates[k];
        status.show(QStringLiteral("Writing set %1 (%2 of %3)")
                        .arg(update.set)
                        .arg(k + 1)
                        .arg(changes.updates.size()));
        if (!writeComparatorSet(channel, update, meter.goAhead()))
            return fail(Exit::NoAnswer, QStringLiteral("the meter does not answer; %1 of %2 sets "
                                                       "were sent")
                                            .arg(k)
                                            .arg(changes.updates.size()));
    }
    status.clear();
    // The meter answers nothing to a set: only reading the table again shows it took them.
    const auto after = readTable(meter, status);
    if (!after)
        return Exit::NoAnswer;
    QStringList sent;
    for (const ComparatorUpdate& update : changes.updates) {
        if (update.entry.compare((*after)[update.set], Qt::CaseInsensitive) != 0)
            return fail(Exit::NoAnswer,
                        QStringLiteral("set %1 reads %2 after it was written; the meter did not "
                                       "take it")
                            .arg(update.set)
                            .arg(comparatorCsvCells(update.set, (*after)[update.set]).join(u',')));
        sent.append(QString::number(update.set));
    }
    return printResult(QStringLiteral("Wrote and read back %1 set(s): %2")
                           .arg(sent.size())
                           .arg(sent.join(QStringLiteral(", "))));
}

} // namespace

int runComparator(const QStringList& arguments)
{
    SubcommandLine line(
        QStringLiteral("comparator"), QStringLiteral("get|set FILE.csv [--port PATH]"),
        QStringLiteral(
            "get: reads the meter's 99 comparator sets into FILE.csv (- for stdout).\n"
            "set: writes the sets of FILE.csv whose limits differ from the meter's, then reads\n"
            "the table back to confirm. A file that holds a limit the comparator window could\n"
            "not (four digits with the point after the first, second or third for a\n"
            "resistance, the first or second for a voltage; units Ohm or mOhm; at most\n"
            "60.00 V) is refused and nothing is sent. Numbers as a spreadsheet writes them\n"
            "back (1.3 for 01.30, 12 for 12.00) are taken where they fit without losing a\n"
            "digit, with the point where the meter has it when they fit there. Sets missing\n"
            "from the file are left alone. FILE.csv is a regular file (or stdin) of at most\n"
            "64 KiB.\n"
            "\n"
            "File: a header, then one row per set:\n"
            "  %1\n"
            "  1,01.23,mOhm,0.050,Ohm,12.34,10.00")
            .arg(ComparatorCsvHeader));
    line.addPositionalArgument(QStringLiteral("get|set"), QStringLiteral("What to do."));
    line.addPositionalArgument(QStringLiteral("FILE.csv"), QStringLiteral("The comparator file."));
    if (const auto status = line.parse(arguments))
        return *status;
    const QStringList positional = line.positionalArguments();
    if (positional.size() != 2 || (positional[0] != u"get" && positional[0] != u"set"))
        return line.usageError(QStringLiteral("say get FILE.csv or set FILE.csv"));
    const QString& path = positional[1];
    const bool getting = positional[0] == u"get";

    // The file is read before the meter is asked anything: a bad file changes nothing. An
    // output path that cannot take the table is refused as early.
    ComparatorCsvFile file;
    if (!getting) {
        QString failure;
        const std::optional<QByteArray> bytes = readComparatorFile(path, failure);
        if (!bytes)
            return fail(Exit::FileError, failure);
        file = parseComparatorCsv(*bytes);
        if (!file.error.isEmpty())
            return fail(Exit::FileError, path + QStringLiteral(" ") + file.error +
                                             QStringLiteral("; nothing was sent"));
    } else if (path != u"-") {
        if (const QString refusal = outputRefusal(path); !refusal.isEmpty())
            return fail(Exit::FileError, refusal);
    }

    AppState state;
    MeterConnection meter(state);
    if (const auto status = openMeter(meter, line.portText(), true))
        return *status;
    return getting ? getSets(meter, path) : setSets(meter, path, file);
}
