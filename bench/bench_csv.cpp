// Figures of the CSV output at its largest: a 36001-record recording (ten hours across
// midnight, currents in mA, a few overloads) converted from its bytes to CSV as `convert`
// does (goal 0.3 s), and the same rows exported from a list's grid through Export CSV (goal
// 0.3 s). Usage: bench_csv [repeats] (default 5); runs offscreen unless a platform is chosen.
#include "AppState.h"
#include "Clock.h"
#include "CsvReadings.h"
#include "FileTransfer.h"
#include "ScriptedPrompts.h"
#include "TextGrid.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTime>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRecords = 36001;
const QDate kFirstDate(2026, 12, 8);

// Ten hours of one-second samples of a cell discharged at about half an ampere, as the
// recorder writes them; every thousandth voltage is an overload.
QByteArray recorderFile()
{
    QByteArray bytes = "No.s\tTime\tV\t40 mOhm\tmAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap \r\n";
    bytes.reserve(kRecords * 72);
    for (int i = 1; i <= kRecords; ++i) {
        const int s = (72000 + i) % 86400;
        const double volts = 12.8 - 0.6 * i / kRecords + 0.05 * std::sin(i / 500.0);
        const double mah = i * 0.142;
        bytes += QByteArray::number(i) + '\t' +
                 QTime(0, 0).addSecs(s).toString(QStringLiteral("hh:mm:ss")).toLatin1() + '\t' +
                 (i % 1000 == 0 ? QByteArray(" OL ") : QByteArray::number(volts, 'f', 2)) +
                 "\t12.34\t-511.0\t 25.3\t" + QByteArray::number(mah, 'f', 1) + "(m)\t0.000\t" +
                 QByteArray::number(mah, 'f', 1) + "(m)\r\n";
    }
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int repeats = argc > 1 ? std::max(1, QString(argv[1]).toInt()) : 5;
    const QByteArray file = recorderFile();

    std::vector<double> convertMs;
    qint64 rows = 0;
    qsizetype csvBytes = 0;
    for (int run = 0; run < repeats; ++run) {
        QElapsedTimer clock;
        clock.start();
        const CsvConversion out = convertDataFile(file, kFirstDate);
        convertMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        if (!out.error.isEmpty())
            return 1;
        rows = out.rows;
        csvBytes = out.csv.size();
    }

    // The same rows in a list, exported through the toolbar's helper into a file.
    AppState state;
    ScriptedPrompts prompts;
    SystemClock systemClock;
    FileTransfer transfer(state, prompts, systemClock);
    QWidget window;
    TextGrid grid(9);
    const QList<QByteArray> lines = file.split('\n');
    const QStringList titles = QString::fromLatin1(lines.front().trimmed()).split(u'\t');
    for (int c = 0; c < 9; ++c)
        grid.setTitle(c, titles.value(c));
    QStringList gridRows;
    for (qsizetype i = 1; i < lines.size(); ++i) {
        if (!lines[i].isEmpty())
            gridRows << QString::fromLatin1(lines[i].chopped(1));
    }
    grid.appendRows(gridRows);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.csv"));
    std::vector<double> exportMs;
    for (int run = 0; run < repeats; ++run) {
        prompts.fileAnswers << path;
        QElapsedTimer clock;
        clock.start();
        if (!transfer.ExportCsv(window, grid, FileTransfer::csvSourceOf(grid),
                                {.date = kFirstDate, .ask = false}))
            return 1;
        exportMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }

    std::printf("records=%lld csv_bytes=%lld list_file_bytes=%lld runs=%d (medians below)\n",
                static_cast<long long>(rows), static_cast<long long>(csvBytes),
                static_cast<long long>(QFileInfo(path).size()), repeats);
    report("convert a 36001-record data file to CSV", percentile(convertMs, 0.5), "ms", 300);
    report("convert a 36001-record data file to CSV, first run", convertMs.front(), "ms", 300);
    report("Export CSV of a 36001-row list", percentile(exportMs, 0.5), "ms", 300);
    return 0;
}
