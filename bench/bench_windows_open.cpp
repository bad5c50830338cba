// A PC recording at 1 s while a window stays open, end to end: the main window on the meter
// emulator (its own process, paced at 19200 baud, a frame every 250 ms unless --period says
// otherwise), a recording into a file, then for 60 due samples each
//   (a) the clock window open, reading the meter's clock (goal: at least 58 of 60 rows kept);
//   (b) the real-time list's Export CSV save dialog open, opened as a click comes in: during
//       the live poll's wait for a frame (goal: 60 of 60).
// Usage: bench_windows_open [--period MS] [--samples N]; runs offscreen unless a platform is
// chosen. It takes about two minutes.
#include "LiveList.h"
#include "MainWindowOnPort.h"
#include "MeterSimProcess.h"
#include "RTCSetup.h"
#include "RealTimeList.h"
#include "Recorder.h"
#include "Timing.h"
#include "WindowToolbar.h"

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Counts the due samples of the recording and the rows they wrote, from the next one on, and
// calls `done` after `samples` of them.
class SampleCount : public QObject
{
public:
    SampleCount(AppState& state, Recorder& recorder, int samples, std::function<void()> done,
                QObject* parent = nullptr)
        : QObject(parent), m_state(state), m_samples(samples), m_done(std::move(done)),
          m_rows(state.FileRecordCount)
    {
        // Connected after the recorder's own tick: it runs once the sample is taken or not.
        connect(&recorder.timer(), &QTimer::timeout, this, [this] {
            if (m_due >= m_samples)
                return;
            ++m_due;
            if (m_state.FileRecordCount > m_rows)
                ++m_kept;
            m_rows = m_state.FileRecordCount;
            if (m_due == m_samples)
                m_done();
        });
    }
    [[nodiscard]] int kept() const { return m_kept; }

private:
    AppState& m_state;
    int m_samples;
    std::function<void()> m_done;
    qint32 m_rows;
    int m_due = 0;
    int m_kept = 0;
};

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int period = intOption(args, QStringLiteral("--period"), 250);
    const int samples = intOption(args, QStringLiteral("--samples"), 60);

    QProcess meter;
    const QString device = startMeterSim(
        meter, {"--paced", "--period", QString::number(period), "--demo"}, "bench_windows_open");
    if (device.isEmpty())
        return 1;
    MainWindowOnPort cellDesk;
    if (!cellDesk.open(device, "bench_windows_open"))
        return 1;
    QTemporaryDir folder;
    int clockKept = -1;
    int dialogKept = -1;

    const auto runDialogCase = [&] {
        cellDesk.controller->runToolbarCommand(QStringLiteral("List"));
        RealTimeList* list = cellDesk.controller->liveList().window();
        // The dialog holds its own event loop for as long as the user looks at it.
        cellDesk.prompts.whileAsking = [&](const ScriptedPrompts::Asked&) {
            QEventLoop loop;
            SampleCount count(cellDesk.state, cellDesk.controller->recorder(), samples,
                              [&] { loop.quit(); });
            loop.exec();
            dialogKept = count.kept();
        };
        // A click comes in while the live poll waits for the next frame.
        QObject::connect(
            &cellDesk.controller->session().poll(), &PollCycle::frameDecoded, list,
            [list] {
                QTimer::singleShot(100, list, [list] { list->runToolbarCommand(CsvExportKey); });
            },
            Qt::SingleShotConnection);
    };
    SampleCount* clockCount = nullptr;
    const auto runClockCase = [&] {
        cellDesk.controller->runToolbarCommand(QStringLiteral("TimeSet"));
        auto* clockWindow = cellDesk.window.findChild<RTCSetup*>(QStringLiteral("RTCSetup"));
        QTest::mouseClick(clockWindow->findChild<QWidget*>(QStringLiteral("LblMeterTime")),
                          Qt::LeftButton);
        clockCount = new SampleCount(
            cellDesk.state, cellDesk.controller->recorder(), samples,
            [&, clockWindow] {
                clockKept = clockCount->kept();
                clockWindow->close();
                QTimer::singleShot(2000, &app, runDialogCase);
            },
            &app);
    };
    // The recording starts once the first frames are in; the first case once it runs.
    QTimer::singleShot(1000, &app, [&] {
        cellDesk.state.PcSamplingSeconds = 1;
        cellDesk.prompts.fileAnswers << folder.filePath(QStringLiteral("open.txt"));
        cellDesk.controller->runToolbarCommand(QStringLiteral("Save"));
        QTimer::singleShot(3000, &app, runClockCase);
    });
    QTimer finish;
    QObject::connect(&finish, &QTimer::timeout, &app, [&] {
        if (dialogKept < 0)
            return;
        std::printf("frame_period_ms=%d clock_window_rows_kept=%d/%d (goal >= %d) "
                    "save_dialog_rows_kept=%d/%d (goal %d)\n",
                    period, clockKept, samples, samples - 2, dialogKept, samples, samples);
        cellDesk.controller->runToolbarCommand(QStringLiteral("Save"));
        cellDesk.controller->session().shutDown();
        QApplication::exit(0);
    });
    finish.start(500);
    const int code = QApplication::exec();
    meter.terminate();
    meter.waitForFinished(3000);
    return code;
}
