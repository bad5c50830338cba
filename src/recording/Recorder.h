#pragma once

#include "Recording.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

class FileTransfer;
class LiveList;
class Prompts;
class QIODevice;
class QLabel;
class QWidget;
struct AppState;

/// The main window's status labels that show a recording.
struct RecordingLabels
{
    QLabel* rec = nullptr;      ///< `LblRec`, the recording mark
    QLabel* count = nullptr;    ///< `LblCount`, records written
    QLabel* fileName = nullptr; ///< `LblFileName`, the file without its folder
};

/// PC recording in the main window: the one-second sample timer (`Timer2`), the Save button,
/// the labels, the save dialog, the real-time list and the prompts around a Recording, which
/// takes the samples and writes the file. The tick never waits or asks anything, so it
/// cannot be re-entered; it runs through dialogs and meter exchanges alike.
class Recorder : public QObject
{
    Q_OBJECT
public:
    /// Makes the device a recording writes to, not yet open (a QFile by default).
    using FileOpener = RecordingFile::Opener;

    Recorder(AppState& state, Prompts& prompts, FileTransfer& transfer, LiveList& list,
             QWidget* mainWindow, RecordingLabels labels, QObject* parent = nullptr);
    ~Recorder() override;

    /// Starts `Timer2` (the main window's load step); it runs until the program ends.
    void start() { m_timer.start(); }
    /// Timer2_Timer: one second has passed; takes a sample when one is due.
    void tick();
    /// Toolbar "Save": starts a recording, or stops the one that runs.
    void runSaveCommand();

    [[nodiscard]] QTimer& timer() { return m_timer; }
    void setFileOpener(FileOpener opener) { m_recording.setFileOpener(std::move(opener)); }

signals:
    /// The Save button's look: true while a recording runs.
    void recordingLookChanged(bool recording);
    /// True while a recording runs and `LblRec` says "waiting for a fresh reading".
    void waitingLookChanged(bool waiting);

private:
    void startRecording();
    void stopRecording();
    void endRecording();
    void showWaiting(bool waiting);

    AppState& m_state;
    Prompts& m_prompts;
    FileTransfer& m_transfer;
    LiveList& m_list;
    QWidget* m_mainWindow;
    RecordingLabels m_labels;
    QTimer m_timer;
    Recording m_recording; // the schedule, the samples and the file
    bool m_waitingShown = false;
};
