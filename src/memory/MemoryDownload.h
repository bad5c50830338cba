#pragma once

#include "MeterMemoryRead.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class CommandChannel;
class FileTransfer;
class MemoryManager;
class MeterLink;
class Prompts;
class QWidget;
struct AppState;

/// The toolbar's "Memory" command: downloads the meter's automatic and manual memory into the
/// memory window, its set grid and the program's stored sets and manual buffer.
///
/// Both timers rest for the whole run; the window updates while the data arrive. Each stream
/// is collected by the long-answer reader after its own status exchange, whose counts give its
/// length. A stream that never starts is asked for once more; one that stops short, one that
/// turns into display frames or outlives the link it started on, a status exchange that fails,
/// and a second silence end the download at once with a message naming the stream and the
/// bytes that came; nothing is decoded from such a stream. Closing the memory window cancels the
/// download, closing the program ends it at once; neither says anything. While it runs, every other
/// command that talks to the meter does nothing, and a second download never starts.
class MemoryDownload : public QObject
{
    Q_OBJECT
public:
    MemoryDownload(AppState& state, CommandChannel& channel, MeterLink& link, Prompts& prompts,
                   FileTransfer& transfer, QWidget* mainWindow, QObject* parent = nullptr);
    ~MemoryDownload() override;

    /// Runs the command (toolbar "Memory").
    void run();
    [[nodiscard]] bool isRunning() const { return m_running; }
    [[nodiscard]] MemoryManager* window() const;

private:
    /// Reads one stream, asking once more when it never starts. False when the download
    /// must end (the failure has been told, unless it was a cancel or the program closing).
    bool readStream(MemoryKind kind, QByteArray& bytes);
    void tell(const QString& text, const QString& details);

    AppState& m_state;
    CommandChannel& m_channel;
    Prompts& m_prompts;
    QWidget* m_mainWindow;
    MeterMemoryRead m_read;
    QPointer<MemoryManager> m_window;
    QElapsedTimer m_sinceProgress;
    bool m_running = false;
    bool m_windowClosed = false; // the user closed the window during this run
};
