#include "MemoryDownload.h"

#include "AppState.h"
#include "BusyPointer.h"
#include "CommandChannel.h"
#include "Commands.h"
#include "GridView.h"
#include "MemoryManager.h"
#include "MeterMemory.h"
#include "Prompts.h"
#include "SerialLink.h"
#include "StatusPanel.h"
#include "TextGrid.h"
#include "Waits.h"

#include <QElapsedTimer>
#include <QLabel>

namespace {

// Least time between two progress texts.
constexpr qint64 kProgressStepMs = 200;

const QString kTryAgain =
    QStringLiteral("Check that the meter is switched on and connected, then click Memory again.");

// Raised for the whole run, lowered on every way out.
class RunningFlag
{
public:
    RunningFlag(bool& running, bool& busy) : m_running(running), m_busy(busy)
    {
        m_running = m_busy = true;
    }
    ~RunningFlag() { m_running = m_busy = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& m_running;
    bool& m_busy;
};

} // namespace

MemoryDownload::MemoryDownload(AppState& state, CommandChannel& channel, MeterLink& link,
                               Prompts& prompts, FileTransfer& transfer, QWidget* mainWindow,
                               QObject* parent)
    : QObject(parent), m_state(state), m_channel(channel), m_prompts(prompts),
      m_mainWindow(mainWindow), m_read(channel, link)
{
    m_window = new MemoryManager(state, channel, prompts, transfer, mainWindow);
    connect(m_window, &MemoryManager::closed, this, [this] {
        m_windowClosed = m_running;
        if (m_read.isReading())
            m_read.cancel();
    });
    connect(&m_read, &MeterMemoryRead::progress, this,
            [this](char prefix, qsizetype received, qsizetype expected) {
                // A few steps a second read as smoothly, and cost less than a repaint at
                // every wake of the reader. Each request starts at 0, shown at once.
                if (!m_window ||
                    (received > 0 && received < expected && m_sinceProgress.isValid() &&
                     m_sinceProgress.elapsed() < kProgressStepMs))
                    return;
                if (received > 0)
                    m_sinceProgress.start();
                m_window->messageLabel()->setText(memoryProgressText(prefix, received, expected));
            });
}

// The window holds on to the meter's channel; it goes before the session does.
MemoryDownload::~MemoryDownload()
{
    delete m_window.data();
}

MemoryManager* MemoryDownload::window() const
{
    return m_window;
}

void MemoryDownload::tell(const QString& text, const QString& details)
{
    NormalPointer normal;
    m_prompts.message(text, Prompts::Icon::Critical, {}, details);
}

void MemoryDownload::run()
{
    const CurrentReading& reading = m_state.reading;
    if (const QString refusal = MeterMemoryRead::refusal(reading); !refusal.isEmpty()) {
        m_prompts.message(refusal, Prompts::Icon::None);
        return;
    }
    if (!m_window || m_window->isVisible() || m_running || m_state.longReadRunning())
        return;

    const RunningFlag running(m_running, m_state.MemoryBusy);
    m_windowClosed = false;
    const BusyPointer busy;
    const TimerPause pause(m_channel.timers(), PollTimers::Both);
    SerialLink& serial = m_channel.serial();
    const bool answered = m_channel.StatusQuery();
    if (waitsAbandoned())
        return;
    if (!answered) {
        tell(MeterMemoryRead::noAnswerText(), kTryAgain);
        return;
    }
    // This download replaces what the last one left, whatever comes of it.
    m_state.StoredSets.clear();
    m_state.ManualBuffer.clear();

    if (autoReplyLength(m_channel.status()) == 0 && m_channel.status().ManualCount == 0) {
        NormalPointer normal;
        m_prompts.message(QStringLiteral("No Data in Memory"), Prompts::Icon::Critical);
        return;
    }

    MemoryManager* window = m_window;
    if (autoReplyLength(m_channel.status()) > 0) {
        window->showForDownload();
        window->sizeLabel()->setText(memorySizeText(m_channel.status()));
        window->remainLabel()->setText(memoryRemainText(m_channel.status(), reading.memoryFull));
        QByteArray reply;
        if (!readStream(MemoryKind::Automatic, reply))
            return;
        const MemorySplit split = splitAutoMemory(reply);
        m_state.StoredSets = split.sets;
        QStringList rows;
        rows.reserve(split.sets.size());
        for (int n = 1; n <= split.sets.size(); ++n)
            rows.append(setGridRow(n, split.sets.at(n - 1)));
        window->setGrid().appendRows(rows);
        if (split.unreadBytes > 0) {
            const int firstUnread = int(split.sets.size()) + 1;
            NormalPointer normal;
            m_prompts.message(
                QStringLiteral("The automatic memory could not be read from set %1 on (%2 bytes).")
                    .arg(firstUnread)
                    .arg(split.unreadBytes),
                Prompts::Icon::Exclamation, {},
                split.sets.isEmpty()
                    ? QStringLiteral("The data do not start with a set, so no set is listed.")
                    : QStringLiteral("Sets 1 to %1 are listed.").arg(split.sets.size()));
        }
    } else {
        NormalPointer normal;
        m_prompts.message(QStringLiteral("No Automatically Recroded Data in Memoy!"),
                          Prompts::Icon::Information);
    }
    // Closing the window stops the download, also between the two streams.
    if (!m_window || m_windowClosed || waitsAbandoned())
        return;

    if (m_channel.status().ManualCount != 0) {
        if (!window->isVisible()) {
            window->showForDownload();
            window->sizeLabel()->setText(memorySizeText(m_channel.status()));
            window->remainLabel()->setText(manualOnlyRemainText(m_channel.status()));
        }
        QByteArray reply;
        if (!readStream(MemoryKind::Manual, reply))
            return;
        m_state.ManualBuffer = reply;
    } else {
        NormalPointer normal;
        m_prompts.message(QStringLiteral("No Manually Recroded Data in Memoy!"),
                          Prompts::Icon::Information);
    }
    // Bytes past the expected count are not part of any answer.
    serial.discardInput();
}

bool MemoryDownload::readStream(MemoryKind kind, QByteArray& bytes)
{
    m_sinceProgress.invalidate();
    const MeterMemoryRead::Result result = m_read.read(kind);
    switch (result.ending) {
    case MeterMemoryRead::Ending::Complete:
        bytes = result.bytes;
        return true;
    case MeterMemoryRead::Ending::Cancelled:
    case MeterMemoryRead::Ending::ProgramClosing:
        return false;
    case MeterMemoryRead::Ending::Failed:
        break;
    }
    tell(result.text, result.reason.isEmpty()
                          ? kTryAgain
                          : result.reason +
                                (kind == MemoryKind::Automatic
                                     ? QString()
                                     : QStringLiteral("The sets already listed stay. ")) +
                                kTryAgain);
    return false;
}
