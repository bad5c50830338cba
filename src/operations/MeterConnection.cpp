#include "MeterConnection.h"

#include "AppState.h"

#include <QEventLoop>
#include <QSerialPort>

#include <cmath>

MeterConnection::MeterConnection(AppState& state, QObject* parent) : QObject(parent), m_state(state)
{
    m_silence.setSingleShot(true);
    connect(&m_silence, &QTimer::timeout, this, &MeterConnection::giveUp);
}

// A command's last bytes wait in the port's buffer until the event loop writes them; a program
// that ends right after a command (an erase) must hand them to the driver first. The session
// uses the port; it goes first.
MeterConnection::~MeterConnection()
{
    if (m_port && m_port->isOpen() && m_port->bytesToWrite() > 0)
        m_port->waitForBytesWritten(FinalWriteMs);
    m_session.reset();
    m_port.reset();
}

PortOpenResult MeterConnection::open(const QString& portText)
{
    m_choice = choosePort(portText, m_state.PortNumber);
    m_state.PortNumber = m_choice.PortNumber;
    auto port = std::make_unique<QSerialPort>();
    const PortOpenResult opened = OpenMeterPort(*port, m_choice.devicePath);
    if (!opened.ok)
        return opened;
    m_port = std::move(port);
    m_session =
        std::make_unique<MeterSession>(m_port.get(), m_choice, m_state.reading, m_state.status,
                                       m_state.LinkTag, m_state.DisplayFrozen, m_clock);
    MeterLink& link = m_session->link();
    connect(&link, &MeterLink::linkLost, this, [this] {
        if (m_silence.interval() > 0)
            m_silence.start();
    });
    connect(&link, &MeterLink::linkRestored, &m_silence, &QTimer::stop);
    return opened;
}

bool MeterConnection::start(double seconds)
{
    m_session->start();
    PollCycle& poll = m_session->poll();
    if (poll.framesDecoded() == 0 && !m_gaveUp) {
        QEventLoop loop;
        QTimer limit;
        limit.setSingleShot(true);
        // The poll may be inside the link-lost wait when the time is up: only the end of the
        // session lets it return.
        connect(&limit, &QTimer::timeout, this, &MeterConnection::giveUp);
        connect(&poll, &PollCycle::frameDecoded, &loop, &QEventLoop::quit);
        connect(this, &MeterConnection::gaveUp, &loop, &QEventLoop::quit);
        limit.start(static_cast<int>(std::lround(seconds * 1000)));
        loop.exec();
    }
    return poll.framesDecoded() > 0 && !m_gaveUp;
}

void MeterConnection::giveUpWhenSilentFor(double seconds)
{
    if (seconds <= 0) {
        m_silence.stop();
        m_silence.setInterval(0);
        return;
    }
    m_silence.setInterval(std::max(1, static_cast<int>(std::lround(seconds * 1000))));
    if (m_session && m_session->link().isLost())
        m_silence.start();
}

CommandChannel::GoAhead MeterConnection::goAhead() const
{
    return [this] { return !m_gaveUp && !(m_session && m_session->link().closing()); };
}

void MeterConnection::giveUp()
{
    if (m_gaveUp)
        return;
    m_gaveUp = true;
    shutDown();
    emit gaveUp();
}

void MeterConnection::shutDown()
{
    m_silence.stop();
    if (m_session)
        m_session->shutDown();
}
