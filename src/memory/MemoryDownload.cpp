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

// The line is taken to be quiet again after this long without a byte.
constexpr double kQuietSeconds = 0.3;
// Least time between two progress texts.
constexpr qint64 kProgressStepMs = 200;
// Seconds one byte takes at 19200 baud, start and stop bit included.
constexpr double kByteSeconds = 10.0 / 19200.0;

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
      m_mainWindow(mainWindow), m_reader(channel, link)
{
    m_window = new MemoryManager(state, channel, prompts, transfer, mainWindow);
    connect(m_window, &MemoryManager::closed, this, [this] {
        m_windowClosed = m_running;
        if (m_reader.isReading())
            m_reader.cancel();
    });
    connect(&m_reader, &StreamReader::progress, this,
            [this](qsizetype received, qsizetype expected) {
                // A few steps a second read as smoothly, and cost less than a repaint at
                // every wake of the reader.
                if (!m_window || (received < expected && m_sinceProgress.isValid() &&
                                  m_sinceProgress.elapsed() < kProgressStepMs))
                    return;
                m_sinceProgress.start();
                m_window->messageLabel()->setText(
                    memoryProgressText(m_progressPrefix, received, expected));
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
    if (reading.lit(Cell::LcdAM) || reading.lit(Cell::LcdIntv)) {
        m_prompts.message(
            QStringLiteral("Error loading in this mode,\rplease check out and try again."),
            Prompts::Icon::None);
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
        tell(QStringLiteral("The meter did not answer, so its memory was not downloaded."),
             kTryAgain);
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
        if (!readStream(Stream::Auto, reply))
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
        if (!readStream(Stream::Manual, reply))
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

void MemoryDownload::drain(qsizetype remaining)
{
    SerialLink& serial = m_channel.serial();
    const double most = double(qMax<qsizetype>(remaining, 0)) * kByteSeconds + kQuietSeconds;
    QElapsedTimer elapsed;
    elapsed.start();
    while (!waitsAbandoned() && !serial.isGone() && elapsed.elapsed() < most * 1000.0) {
        serial.discardInput();
        (void)serial.waitForBytes(StreamReader::MaxBytesPerWake, kQuietSeconds);
        if (serial.inputCount() == 0)
            break;
    }
    serial.discardInput();
}

bool MemoryDownload::readStream(Stream stream, QByteArray& bytes)
{
    const bool automatic = stream == Stream::Auto;
    const char command = automatic ? Command::SendAutoMemory : Command::SendManualMemory;
    const StreamReader::ExpectedCount length = automatic ? autoReplyLength : manualReplyLength;
    m_progressPrefix = automatic ? 'A' : 'M';
    m_sinceProgress.invalidate();

    StreamReader::Result result;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (m_window)
            m_window->messageLabel()->setText(memoryProgressText(m_progressPrefix, 0, 1));
        result = m_reader.read(command, length, {});
        // A stream that never started is asked for once more; a failed status exchange is not.
        if (result.outcome != StreamReader::Outcome::NoReply || !result.statusAnswered)
            break;
    }
    switch (result.outcome) {
    case StreamReader::Outcome::Complete:
        bytes = result.bytes;
        return true;
    case StreamReader::Outcome::Cancelled:
        drain(result.expected - result.bytes.size());
        return false;
    case StreamReader::Outcome::ProgramClosing:
        return false;
    case StreamReader::Outcome::NoReply:
    case StreamReader::Outcome::StoppedShort:
    case StreamReader::Outcome::DisplayFrames: // the meter went back to its display
    case StreamReader::Outcome::LinkBroken:
        break;
    }
    const QString what = automatic ? QStringLiteral("automatically recorded data")
                                   : QStringLiteral("manually recorded data");
    if (!result.statusAnswered) {
        tell(QStringLiteral("The meter did not answer before sending its %1, so the download "
                            "stopped.")
                 .arg(what),
             kTryAgain);
    } else {
        tell(QStringLiteral("The download of the %1 stopped: %2 of %3 bytes received.")
                 .arg(what)
                 .arg(result.bytes.size())
                 .arg(result.expected),
             (result.bytes.isEmpty() ? QStringLiteral("The meter did not send them. ")
                                     : QStringLiteral("The meter stopped sending. ")) +
                 (automatic ? QString() : QStringLiteral("The sets already listed stay. ")) +
                 kTryAgain);
    }
    return false;
}
