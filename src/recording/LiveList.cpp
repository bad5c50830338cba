#include "LiveList.h"

#include "AppState.h"
#include "RealTimeList.h"
#include "SampleSchedule.h"

LiveList::LiveList(AppState& state, Prompts& prompts, FileTransfer& transfer, QWidget* mainWindow,
                   QObject* parent)
    : QObject(parent), m_state(state), m_prompts(prompts), m_transfer(transfer),
      m_mainWindow(mainWindow)
{
}

void LiveList::runListCommand()
{
    const CurrentReading& reading = m_state.reading;
    m_state.ListRangeText = reading.RangeText;
    if (m_window && m_window->isVisible())
        return;
    m_state.ListTempUnitText = reading.TempUnitText;
    m_window = new RealTimeList(m_state, m_prompts, m_transfer, m_mainWindow);
    connect(m_window, &RealTimeList::closed, this, &LiveList::windowClosed);
    m_window->show();
    m_state.ListMilliAmps = reading.milliAmps;
    m_window->showCurrentTitle(reading.milliAmps);
    m_state.ListRecording = true;
}

void LiveList::addSample(const QString& readingLine)
{
    if (!m_state.ListRecording || !m_window)
        return;
    const qint32 count = ++m_state.ListRecordCount;
    m_window->addRow(QString::number(count) + QLatin1Char('\t') + readingLine);
    const SampleUnits started{m_state.ListRangeText, m_state.ListTempUnitText,
                              m_state.ListMilliAmps};
    if (mustStopRecording(count, m_state.reading, started))
        m_window->close();
}

void LiveList::windowClosed()
{
    m_state.ListRecording = false;
    m_state.ListRecordCount = 0;
    m_window = nullptr;
}

RealTimeList* LiveList::window() const
{
    return m_window;
}
