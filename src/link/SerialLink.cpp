#include "SerialLink.h"

#include "OpenMeterPort.h"
#include "Waits.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <algorithm>

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>

SerialLink::SerialLink(QIODevice* device, QObject* parent)
    : QObject(parent), m_device(device), m_port(qobject_cast<QSerialPort*>(device))
{
    connect(m_device, &QIODevice::readyRead, this, &SerialLink::readyRead);
    if (!m_port)
        return;
    m_port->setReadBufferSize(ReadBound);
    connect(m_port, &QSerialPort::errorOccurred, this, &SerialLink::portError);
    m_lineCheck.setInterval(LineCheckMs);
    m_lineCheck.setTimerType(Qt::CoarseTimer);
    connect(&m_lineCheck, &QTimer::timeout, this, &SerialLink::checkLine);
    m_lineCheck.start();
}

QByteArray SerialLink::readAll()
{
    if (!m_device->isOpen())
        return {};
    ++m_reads;
    resumeReads();
    // A serial port holds everything it has received in its buffer, so its count is exact;
    // QIODevice::readAll would allocate 64 KiB for every frame and give it back at once. The
    // one byte more makes the port look for new input, which it stops doing when its buffer
    // is full.
    if (m_port)
        return m_port->read(m_port->bytesAvailable() + 1);
    return m_device->readAll();
}

void SerialLink::restUntilNextRead()
{
    if (!m_port || !m_port->isOpen() || m_restingNotifier)
        return;
    // The port reads through a socket notifier of its own; it enables it again by itself
    // whenever it is read from, and resumeReads() does so for waits.
    const auto notifiers = m_port->findChildren<QSocketNotifier*>(Qt::FindDirectChildrenOnly);
    for (QSocketNotifier* notifier : notifiers) {
        if (notifier->type() == QSocketNotifier::Read && notifier->isEnabled()) {
            notifier->setEnabled(false);
            m_restingNotifier = notifier;
            return;
        }
    }
}

void SerialLink::resumeReads()
{
    if (m_restingNotifier && m_port->isOpen())
        m_restingNotifier->setEnabled(true);
    m_restingNotifier = nullptr;
}

qint64 SerialLink::inputCount() const
{
    return m_device->isOpen() ? m_device->bytesAvailable() : 0;
}

void SerialLink::discardInput()
{
    if (!m_device->isOpen())
        return;
    (void)readAll();
    if (m_port)
        m_port->clear(QSerialPort::Input);
}

bool SerialLink::writeByte(quint8 byte)
{
    return writeBytes(QByteArray(1, static_cast<char>(byte)));
}

bool SerialLink::writeBytes(const QByteArray& bytes)
{
    if (m_gone)
        return false;
    if (m_device->write(bytes) == bytes.size())
        return true;
    if (m_port)
        markGone(m_port->errorString());
    else
        emit writeFailed(m_device->errorString());
    return false;
}

// On a terminal in raw mode with VTIME 0, poll() reports the port readable only once VMIN
// bytes have arrived; reads stay non-blocking, so nothing else changes.
void SerialLink::setWakeThreshold(qsizetype bytes)
{
    if (!m_port || !m_port->isOpen())
        return;
    const auto threshold = static_cast<cc_t>(std::clamp<qsizetype>(bytes, 1, 255));
    if (m_wakeThreshold == threshold)
        return;
    termios tio{};
    if (::tcgetattr(m_port->handle(), &tio) != 0)
        return;
    m_wakeThreshold = threshold;
    if (tio.c_cc[VMIN] == threshold && tio.c_cc[VTIME] == 0)
        return;
    tio.c_cc[VMIN] = threshold;
    tio.c_cc[VTIME] = 0;
    if (::tcsetattr(m_port->handle(), TCSANOW, &tio) != 0)
        m_wakeThreshold = 0;
}

qint64 SerialLink::driverCount() const
{
    int waiting = 0;
    if (!m_port || !m_port->isOpen() || ::ioctl(m_port->handle(), FIONREAD, &waiting) != 0)
        return 0;
    return waiting;
}

// The least time `bytes` more take on the line, less one byte (the wait that follows catches
// the last one), and never so long that the driver's buffer could fill up meanwhile.
double SerialLink::lineSeconds(qint64 bytes) const
{
    constexpr double MostRestSeconds = 0.1; // 192 bytes at 19200 baud; drivers hold 4 KiB
    if (!m_port || bytes <= 1 || m_port->baudRate() <= 0)
        return 0;
    return std::min(MostRestSeconds, double(bytes - 1) * 10.0 / m_port->baudRate());
}

bool SerialLink::waitForBytes(qsizetype count, double seconds)
{
    const bool goneAtStart = m_gone;
    const auto enough = [this, count] { return inputCount() >= count; };
    // A port that went ends the wait once it has been closed (that is queued behind the error).
    const auto wentAway = [&] { return !goneAtStart && m_gone && !m_closePending; };
    const auto over = [&] { return enough() || wentAway(); };
    // The port must be allowed to hold what this reader waits for. Waits nest strictly, so
    // each one puts back the bound it found.
    const qint64 bound = m_port ? m_port->readBufferSize() : 0;
    if (m_port && bound != 0 && count > bound)
        m_port->setReadBufferSize(count);
    // Bytes that are not even with the driver yet cannot come faster than the line brings
    // them: until then the port rests, since the kernel would wake the program for every
    // chunk in between. Window events go on meanwhile.
    const double rest = std::min(seconds, lineSeconds(count - inputCount() - driverCount()));
    if (rest > 0) {
        restUntilNextRead();
        waitUntil(rest, wentAway);
    }
    resumeReads();
    setWakeThreshold(count - inputCount());
    // A reader that runs during the wait (an exchange started by a timer) leaves its own wake
    // count behind: a frame's tail below it would stay with the driver, so this wait's count
    // is set again.
    int threshold = m_wakeThreshold;
    const auto overAndAwake = [&] {
        if (m_wakeThreshold != threshold) {
            setWakeThreshold(count - inputCount());
            threshold = m_wakeThreshold;
        }
        return over();
    };
    const bool ended = waitUntil(seconds - rest, overAndAwake);
    if (m_port && m_port->readBufferSize() != bound)
        m_port->setReadBufferSize(bound);
    if (!ended) {
        // Collect what arrived below the threshold. A wait that was met leaves the threshold
        // where it is: the next one mostly asks for the same count, and each sets its own.
        setWakeThreshold(1);
        QCoreApplication::processEvents();
    }
    return enough();
}

bool SerialLink::reopen(const QString& devicePath)
{
    if (!m_port || !m_gone)
        return !m_gone;
    if (m_closePending || !OpenMeterPort(*m_port, devicePath).ok)
        return false;
    m_gone = false;
    m_wakeThreshold = 0;
    m_restingNotifier = nullptr; // the reopened port reads through a notifier of its own
    m_lineCheck.start();
    emit back();
    return true;
}

// A pulled adapter shows as a resource error (EIO on write), or as a read error over and over
// (a hung-up terminal reads as end of file). Qt would retry either for ever.
void SerialLink::portError(QSerialPort::SerialPortError error)
{
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
        error != QSerialPort::WriteError)
        return;
    markGone(m_port->errorString());
}

// A hung-up line that nobody reads (the port's buffer full, so it is not polled) would only
// show at the next read; this finds it within LineCheckMs.
void SerialLink::checkLine()
{
    if (m_gone || !m_port->isOpen())
        return;
    pollfd line{static_cast<int>(m_port->handle()), POLLIN, 0};
    if (::poll(&line, 1, 0) == 1 && (line.revents & (POLLHUP | POLLERR | POLLNVAL)))
        markGone(QStringLiteral("the line hung up"));
}

void SerialLink::markGone(const QString& reason)
{
    if (m_gone)
        return;
    m_gone = true; // from here on nothing is written, and waits on the port end
    m_goneReason = reason;
    m_lineCheck.stop();
    // The error is reported from inside the port's own notifier, which closing would delete;
    // the port is closed as soon as the event loop runs.
    m_closePending = true;
    QMetaObject::invokeMethod(this, &SerialLink::closeGonePort, Qt::QueuedConnection);
}

void SerialLink::closeGonePort()
{
    m_closePending = false;
    if (m_port->isOpen()) {
        m_port->clear(QSerialPort::Output); // what was queued for the meter is dropped
        m_port->close();                    // the kernel may give the device name to a new adapter
    }
    emit gone(m_goneReason);
}
