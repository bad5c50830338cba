#pragma once

#include "AppState.h"
#include "Clock.h"
#include "FileBytes.h"
#include "FileTransfer.h"
#include "LiveList.h"
#include "PollTimers.h"
#include "RealTimeList.h"
#include "Recorder.h"
#include "ScriptedPrompts.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QTest>

/// The recorder and the real-time list as the main window holds them, without a meter:
/// tests set the live reading and run the seconds by hand, each a second of the clock ended
/// by the sample tick, with or without a display frame just before it.
struct RecordingRig
{
    AppState state;
    ScriptedPrompts prompts;
    PollTimers timers;
    ManualClock clock{QDateTime(QDate(2026, 12, 8), QTime(10, 15))};
    FileTransfer transfer{state, prompts, clock};
    QWidget mainWindow;
    QLabel rec{QStringLiteral("Rec."), &mainWindow};
    QLabel count{&mainWindow};
    QLabel fileName{&mainWindow};
    LiveList list{state, prompts, transfer, &mainWindow};
    Recorder recorder{state, prompts, transfer, list, &mainWindow, {&rec, &count, &fileName}};
    QList<bool> looks; ///< every look the Save button was given

    RecordingRig()
    {
        timers.start();
        state.PcSamplingSeconds = 1;
        state.SampleTimeStamp = QStringLiteral("10:15:00");
        setReading({"12.53", " 41.2", "-0.511", " 25.3", "105.0", "0.0", "105.0"});
        state.reading.capMilli = {true, true, true};
        state.reading.RangeText = QStringLiteral("400 mOhm");
        state.reading.TempUnitText = QStringLiteral("Celsius");
        mainWindow.setGeometry(100, 50, 300, 400);
        QObject::connect(&recorder, &Recorder::recordingLookChanged,
                         [this](bool recording) { looks << recording; });
    }
    ~RecordingRig()
    {
        if (list.window())
            delete list.window();
    }

    void setReading(const QStringList& texts)
    {
        for (int g = 0; g < CurrentReading::GroupCount; ++g)
            state.reading.valueTexts[g] = texts.value(g);
    }
    /// Starts a recording into `path` through the toolbar's Save.
    void startRecording(const QString& path)
    {
        prompts.fileAnswers << path;
        recorder.runSaveCommand();
    }
    /// The live poll decodes a display frame: it counts in the reading, received now.
    void frame()
    {
        ++state.reading.frameNumber;
        state.reading.frameReceivedMs = clock.monotonicMs();
    }
    /// One second passes, in which no display frame arrives, then its sample tick.
    void quietTick()
    {
        clock.advanceMs(1000);
        recorder.tick();
    }
    /// One second in which the meter's display frame arrived, just before its sample tick.
    void tick()
    {
        clock.advanceMs(1000);
        frame();
        recorder.tick();
    }
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            tick();
    }
    /// Runs the deletions that closed windows asked for.
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

inline int lineCount(const QByteArray& bytes)
{
    return int(bytes.count("\r\n"));
}
