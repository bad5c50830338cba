#pragma once

#include <QObject>

#include <optional>

class CommandChannel;
class Prompts;
class QWidget;
struct AppState;

/// The toolbar's Sampling command: the choice between the PC's and the meter's sampling
/// interval, then an input box for the new interval. The PC interval takes effect at the
/// next tick; the meter's is read with "V" and set with "S" while the live poll and the
/// keep-alive are paused.
class SamplingCommand : public QObject
{
    Q_OBJECT
public:
    /// Longest wait for the meter's 3-byte interval answer, and how often it is asked.
    static constexpr double IntervalAnswerSeconds = 0.5;
    static constexpr int IntervalRequests = 3;

    SamplingCommand(AppState& state, CommandChannel& channel, Prompts& prompts, QWidget* mainWindow,
                    QObject* parent = nullptr);

    /// Runs the command (toolbar "Sampling").
    void run();

private:
    void setPcInterval();
    void setMeterInterval();
    /// The meter's interval from a good "V" answer, or nothing after three requests.
    std::optional<quint8> readMeterInterval();
    /// Asks for an interval in 1..`maximum`; nothing for Cancel or a non-number (told).
    std::optional<int> askInterval(int maximum, const QString& defaultText);

    AppState& m_state;
    CommandChannel& m_channel;
    Prompts& m_prompts;
    QWidget* m_mainWindow;
};
