#pragma once

#include "FileTransfer.h"
#include "MeterSession.h"
#include "RemoteKeys.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>

class CellGrading;
class CellStore;
class Clock;
class Comparator;
class HelpWindow;
class LabCommands;
class LiveGraph;
class LiveList;
class MemoryDownload;
class OpenFileCommand;
class Panel;
class Prompts;
class QIODevice;
class RTCSetup;
class Recorder;
class SamplingCommand;
struct AppState;
struct PortChoice;

/// The main window's behaviour: its load step, the live poll into its cells, the link label,
/// the remote keys and keep-alive, the "Range" button and the toolbar's dispatch. The window
/// itself only shows; the meter is reached only through the session.
class PanelController : public QObject
{
    Q_OBJECT
public:
    PanelController(AppState& state, Panel& window, QIODevice* port, const PortChoice& choice,
                    Clock& clock, Prompts& prompts, QObject* parent = nullptr);
    ~PanelController() override;

    /// The main window's load step: place it, reset the shared state and start the live poll
    /// and the keep-alive. The port is already open.
    void load();
    /// Toolbar1_ButtonClick: runs the command of the button with this key.
    void runToolbarCommand(const QString& key);
    /// Shows the user guide at the section with this heading (the start when empty).
    void showHelp(const QString& heading);
    /// Tells the program's version, licence and the libraries it uses.
    void showAbout();
    /// The demo meter can play a tray of cells: the Cell Grading window offers it.
    void offerDemoTray(std::function<void(bool)> play) { m_demoTray = std::move(play); }
    /// The Cell Grading window while it is open.
    [[nodiscard]] CellGrading* grading() const;

    [[nodiscard]] MeterSession& session() { return m_session; }
    [[nodiscard]] Recorder& recorder() { return *m_recorder; }
    [[nodiscard]] LiveList& liveList() { return *m_liveList; }
    [[nodiscard]] SamplingCommand& sampling() { return *m_sampling; }
    [[nodiscard]] OpenFileCommand& openFile() { return *m_openFile; }
    [[nodiscard]] LiveGraph& liveGraph() { return *m_liveGraph; }
    [[nodiscard]] MemoryDownload& memory() { return *m_memory; }
    [[nodiscard]] LabCommands& lab() { return *m_lab; }

private:
    void showChangedCells();
    void notePressTime();
    void releaseKey(KeyRow row, int index);
    void toggleCaption();
    void eraseAutoMemory();
    void openClockSetup();
    void readComparators();
    void openGrading();
    /// A long read runs; other exchanges would write into its answer.
    [[nodiscard]] bool longReadRunning() const;
    void closeProgram();

    AppState& m_state;
    Panel& m_window;
    Clock& m_clock;
    Prompts& m_prompts;
    MeterSession m_session;
    FileTransfer m_fileTransfer;
    LiveList* m_liveList = nullptr;
    Recorder* m_recorder = nullptr;
    SamplingCommand* m_sampling = nullptr;
    OpenFileCommand* m_openFile = nullptr;
    LiveGraph* m_liveGraph = nullptr;
    MemoryDownload* m_memory = nullptr;
    LabCommands* m_lab = nullptr;
    std::optional<qint64> m_pressMs; // when a key picture went down (shared by all keys)
    QPointer<RTCSetup> m_clockSetup; // until closed and done with its last exchange
    QPointer<Comparator> m_comparator;
    QPointer<HelpWindow> m_help;
    std::unique_ptr<CellStore> m_cellStore; // opened with the first Cell Grading window
    QPointer<CellGrading> m_grading;
    std::function<void(bool)> m_demoTray;
};
