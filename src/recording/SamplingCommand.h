#pragma once

#include <QObject>

#include <optional>

class CommandChannel;
class Prompts;
class QWidget;
struct AppState;

/// The toolbar's Sampling command: the choice between the PC's and the meter's sampling
/// interval, then an input box for the new interval. The PC interval takes effect at the
/// next tick; the meter's is read with "V" and set with "S", each exchange pausing the live
/// poll and the keep-alive for as long as it holds the line.
class SamplingCommand : public QObject
{
    Q_OBJECT
public:
    SamplingCommand(AppState& state, CommandChannel& channel, Prompts& prompts, QWidget* mainWindow,
                    QObject* parent = nullptr);

    /// Runs the command (toolbar "Sampling").
    void run();

private:
    void setPcInterval();
    void setMeterInterval();
    /// Asks for an interval in 1..`maximum`; nothing for Cancel or a non-number (told).
    std::optional<int> askInterval(int maximum, const QString& defaultText);

    AppState& m_state;
    CommandChannel& m_channel;
    Prompts& m_prompts;
    QWidget* m_mainWindow;
};
