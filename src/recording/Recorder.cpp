#include "Recorder.h"

#include "AppState.h"
#include "FileTransfer.h"
#include "LiveList.h"
#include "Prompts.h"

#include <QFileInfo>
#include <QLabel>

namespace {

void setCaption(QLabel* label, const QString& text)
{
    if (label)
        label->setText(text);
}

} // namespace

Recorder::Recorder(AppState& state, Prompts& prompts, FileTransfer& transfer, LiveList& list,
                   QWidget* mainWindow, RecordingLabels labels, QObject* parent)
    : QObject(parent), m_state(state), m_prompts(prompts), m_transfer(transfer), m_list(list),
      m_mainWindow(mainWindow), m_labels(labels), m_recording(state, transfer.clock())
{
    m_timer.setObjectName(QStringLiteral("Timer2"));
    m_timer.setInterval(1000);
    // On time to the millisecond: a coarse timer fires up to 5 % early or late, which puts two
    // samples in one second of the clock now and then.
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &Recorder::tick);
}

Recorder::~Recorder() = default;

void Recorder::tick()
{
    const QString path = m_state.SaveFileName;
    const RecordingTick t = m_recording.tick();
    if (!t.due)
        return;
    switch (t.file) {
    case RecordingTick::File::Idle:
        setCaption(m_labels.fileName, QString());
        setCaption(m_labels.count, QString());
        setCaption(m_labels.rec, QString());
        break;
    case RecordingTick::File::Unchanged:
        // A due sample found no young reading: the label says why no line came.
        setCaption(m_labels.rec, WaitingForReadingText);
        showWaiting(true);
        break;
    case RecordingTick::File::Written:
        setCaption(m_labels.count, QString::number(m_state.FileRecordCount));
        setCaption(m_labels.rec, QStringLiteral("Rec"));
        showWaiting(false);
        break;
    case RecordingTick::File::Stopped:
        // The changed sample is not written; the file name stays until the next tick.
        endRecording();
        break;
    case RecordingTick::File::WriteFailed: {
        endRecording();
        m_state.SaveFileChosen = false;
        // Told once the tick is over: the tick itself never waits on the user.
        const QString reason = t.reason;
        QMetaObject::invokeMethod(
            this,
            [this, path, reason] {
                m_prompts.message(QStringLiteral("Recording stopped, cannot write %1").arg(path) +
                                      QLatin1String("\r\n") + reason,
                                  Prompts::Icon::Critical);
            },
            Qt::QueuedConnection);
        break;
    }
    }
    if (t.fresh)
        m_list.addSample(t.line);
}

void Recorder::runSaveCommand()
{
    if (m_state.FileRecording)
        stopRecording();
    else
        startRecording();
}

void Recorder::startRecording()
{
    if (!m_transfer.ChooseSaveFile(m_mainWindow))
        return;
    AppState& s = m_state;
    QString reason;
    if (!m_recording.start(s.SaveFileName, reason)) {
        s.SaveFileChosen = false;
        m_prompts.message(QStringLiteral("Cannot record to %1").arg(s.SaveFileName) +
                              QLatin1String("\r\n") + reason,
                          Prompts::Icon::Critical);
        return;
    }
    setCaption(m_labels.fileName, QFileInfo(s.SaveFileName).fileName());
    emit recordingLookChanged(true);
    if (m_labels.rec)
        m_labels.rec->show();
}

// A stop by the stop check or by a failed write: the button and the labels as when idle,
// `LblRec` left visible and the file name left until the next tick. The recording has
// closed its file already.
void Recorder::showWaiting(bool waiting)
{
    if (waiting == m_waitingShown)
        return;
    m_waitingShown = waiting;
    emit waitingLookChanged(waiting);
}

void Recorder::endRecording()
{
    m_recording.stop();
    showWaiting(false);
    emit recordingLookChanged(false);
    setCaption(m_labels.rec, QString());
    setCaption(m_labels.count, QString());
}

void Recorder::stopRecording()
{
    m_recording.stop();
    showWaiting(false);
    emit recordingLookChanged(false);
    if (m_labels.rec)
        m_labels.rec->hide();
    setCaption(m_labels.count, QString());
    setCaption(m_labels.fileName, QString());
    m_state.SaveFileChosen = false;
}
