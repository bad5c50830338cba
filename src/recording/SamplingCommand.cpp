#include "SamplingCommand.h"

#include "AppState.h"
#include "CommandChannel.h"
#include "Prompts.h"
#include "SampleSchedule.h"
#include "SamplingChoice.h"
#include "SamplingExchange.h"

namespace {

QString intervalPrompt(int maximum)
{
    return QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= %1 ) ").arg(maximum);
}

} // namespace

SamplingCommand::SamplingCommand(AppState& state, CommandChannel& channel, Prompts& prompts,
                                 QWidget* mainWindow, QObject* parent)
    : QObject(parent), m_state(state), m_channel(channel), m_prompts(prompts),
      m_mainWindow(mainWindow)
{
}

void SamplingCommand::run()
{
    {
        SamplingChoice choice(m_state, m_mainWindow);
        // Closed without OK: nothing is asked or sent.
        if (choice.exec() != QDialog::Accepted)
            return;
    }
    if (m_state.PcSamplingChosen)
        setPcInterval();
    else
        setMeterInterval();
}

std::optional<int> SamplingCommand::askInterval(int maximum, const QString& defaultText)
{
    const QString entry = m_prompts.input(intervalPrompt(maximum),
                                          QStringLiteral("Input Sampling Time"), defaultText);
    if (entry.isEmpty())
        return std::nullopt;
    const std::optional<int> seconds = intervalFromEntry(entry, 1, maximum);
    if (!seconds) {
        m_prompts.message(QStringLiteral("Please enter a number from 1 to %1 !").arg(maximum),
                          Prompts::Icon::Critical);
    }
    return seconds;
}

void SamplingCommand::setPcInterval()
{
    const std::optional<int> seconds =
        askInterval(MaxPcSamplingSeconds, QString::number(qint64(m_state.PcSamplingSeconds)));
    if (!seconds)
        return;
    m_state.PcSamplingSeconds = static_cast<float>(*seconds);
    m_state.SampleTickCount = 0;
}

void SamplingCommand::setMeterInterval()
{
    // A long answer on its way would take these bytes for its own.
    if (m_state.longReadRunning())
        return;
    // Each exchange holds the line for itself; the input box between them does not talk to
    // the meter, so the display and the samples taken from it go on meanwhile.
    const std::optional<quint8> current = readMeterInterval(m_channel);
    if (!current) {
        m_prompts.message(SamplingNoAnswer, Prompts::Icon::Critical);
        return;
    }
    m_state.MeterSamplingSeconds = *current;
    const std::optional<int> seconds =
        askInterval(MaxMeterSamplingSeconds, QString::number(m_state.MeterSamplingSeconds));
    if (!seconds || m_state.longReadRunning())
        return;
    sendMeterInterval(m_channel, *seconds);
    m_state.MeterSamplingSeconds = static_cast<quint16>(*seconds);
}
