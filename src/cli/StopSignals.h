#pragma once

#include <QObject>

#include <csignal>

class QSocketNotifier;

/// SIGINT and SIGTERM as an event on the event loop, so a long-running command (watch,
/// record) ends its current line, closes its file and exits normally. While one of these
/// lives the two signals are blocked and read through a descriptor; afterwards they act as
/// before. Create it before any thread starts, so no other thread takes the signals.
class StopSignals : public QObject
{
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    /// False when the descriptor could not be made (the signals then end the program).
    [[nodiscard]] bool isWatching() const { return m_fd >= 0; }
    /// The signal that arrived first, 0 before any.
    [[nodiscard]] int received() const { return m_received; }

signals:
    /// SIGINT or SIGTERM arrived.
    void stopRequested(int signalNumber);

private:
    void readSignals();

    sigset_t m_previousMask{};
    int m_fd = -1;
    int m_received = 0;
    QSocketNotifier* m_notifier = nullptr;
};
