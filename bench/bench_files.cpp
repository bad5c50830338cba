// Figures of the file list at its largest: a 36001-record recorder file opened through the
// toolbar's Open into the file list, the caption counting as it reads (goal 0.3 s), the
// memory the list then holds (goal 25 MB), and a click on its voltage column plotted in the
// stored-data graph (goal 0.1 s). Usage: bench_files [repeats] (default 5); runs offscreen
// unless a platform is chosen.
#include "AppState.h"
#include "Clock.h"
#include "FileList.h"
#include "FileTransfer.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "OpenFileCommand.h"
#include "ProcessFigures.h"
#include "ScriptedPrompts.h"
#include "TextGrid.h"
#include "Timing.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTime>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace {

// Resident memory after freed heap went back to the system, so growth shows what is held.
double trimmedResidentMb()
{
    malloc_trim(0);
    return residentMb();
}

constexpr int kRecords = 36001;

// Ten hours of one-second samples of a discharging cell, as the recorder writes them.
QByteArray recorderFile()
{
    QByteArray bytes = "No.s\tTime\tV\t400 mOhm\tAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap \r\n";
    for (int i = 1; i <= kRecords; ++i) {
        const int s = (36000 + i) % 86400;
        const double volts = 12.8 - 0.6 * i / kRecords + 0.05 * std::sin(i / 500.0);
        const double mah = i * 0.142;
        bytes += QByteArray::number(i) + '\t' +
                 QTime(0, 0).addSecs(s).toString(QStringLiteral("hh:mm:ss")).toLatin1() + '\t' +
                 QByteArray::number(volts, 'f', 2) + "\t 41.2\t-0.511\t 25.3\t" +
                 QByteArray::number(mah, 'f', 1) + "(m)\t0.0(m)\t" +
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

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("recording.txt"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(recorderFile()) < 0)
            return 1;
    }

    AppState state;
    state.reading.RangeText = QStringLiteral("400 mOhm");
    state.reading.TempUnitText = QStringLiteral("Celsius");
    ScriptedPrompts prompts;
    SystemClock systemClock;
    FileTransfer transfer(state, prompts, systemClock);
    QWidget mainWindow;
    mainWindow.setGeometry(0, 0, 400, 500);
    mainWindow.show();
    OpenFileCommand open(state, prompts, transfer, &mainWindow);

    // The program's first list and graph pay for fonts and style; the figures come later.
    delete new GraphWindow(GraphWindow::Kind::Stored, prompts, systemClock);

    std::vector<double> loadMs;
    std::vector<double> plotMs;
    double listMb = 0;
    int captions = 0;
    int rows = 0;
    for (int run = 0; run < repeats; ++run) {
        // Each run opens afresh: the list before is closed and deleted first.
        if (FileList* before = open.window())
            before->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const double mbBefore = trimmedResidentMb();

        prompts.fileAnswers << path;
        QElapsedTimer clock;
        clock.start();
        open.run();
        FileList* list = open.window();
        if (!list)
            return 1;
        captions = 0;
        QObject::connect(list, &QWidget::windowTitleChanged, list, [&] { ++captions; });
        while (list->isLoading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        loadMs.push_back(double(clock.nsecsElapsed()) / 1e6);
        rows = list->grid().rows() - 1;
        if (run == 0) // later runs reuse the heap the closed lists gave back
            listMb = trimmedResidentMb() - mbBefore;

        clock.restart();
        list->plotColumn(2);
        open.plotWindow()->graph()->replotNow();
        plotMs.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    const double firstLoadMs = loadMs.front();
    std::printf("records=%d captions_per_load=%d runs=%d (medians below)\n", rows, captions,
                repeats);
    report("open a 36001-record file into the list", percentile(loadMs, 0.5), "ms", 300);
    report("open a 36001-record file into the list, first run", firstLoadMs, "ms", 300);
    report("memory of the first loaded list (resident growth)", listMb, "MB", 25);
    report("plot its voltage column", percentile(plotMs, 0.5), "ms", 100);
    report("plot its voltage column, window built (slowest)", percentile(plotMs, 1), "ms", 100);
    return 0;
}
