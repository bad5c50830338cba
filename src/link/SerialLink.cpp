#include "SerialLink.h"

#include "Waits.h"

#include <QCoreApplication>
#include <QSerialPort>

#include <algorithm>

#include <termios.h>

SerialLink::SerialLink(QIODevice* device, QObject* parent) : QObject(parent), m_device(device)
{
    connect(m_device, &QIODevice::readyRead, this, &SerialLink::readyRead);
}

QByteArray SerialLink::readAll()
{
    return m_device->readAll();
}

qint64 SerialLink::inputCount() const
{
    return m_device->bytesAvailable();
}

void SerialLink::discardInput()
{
    m_device->readAll();
    if (auto* port = qobject_cast<QSerialPort*>(m_device))
        port->clear(QSerialPort::Input);
}

bool SerialLink::writeByte(quint8 byte)
{
    return writeBytes(QByteArray(1, static_cast<char>(byte)));
}

bool SerialLink::writeBytes(const QByteArray& bytes)
{
    if (m_device->write(bytes) == bytes.size())
        return true;
    emit writeFailed(m_device->errorString());
    return false;
}

// On a terminal in raw mode with VTIME 0, poll() reports the port readable only once VMIN
// bytes have arrived; reads stay non-blocking, so nothing else changes.
void SerialLink::setWakeThreshold(qsizetype bytes)
{
    auto* port = qobject_cast<QSerialPort*>(m_device);
    if (!port || !port->isOpen())
        return;
    termios tio{};
    if (::tcgetattr(port->handle(), &tio) != 0)
        return;
    const auto threshold = static_cast<cc_t>(std::clamp<qsizetype>(bytes, 1, 255));
    if (tio.c_cc[VMIN] == threshold && tio.c_cc[VTIME] == 0)
        return;
    tio.c_cc[VMIN] = threshold;
    tio.c_cc[VTIME] = 0;
    ::tcsetattr(port->handle(), TCSANOW, &tio);
}

bool SerialLink::waitForBytes(qsizetype count, double seconds)
{
    const auto enough = [this, count] { return inputCount() >= count; };
    setWakeThreshold(count - inputCount());
    const bool arrived = waitUntil(seconds, enough, this);
    setWakeThreshold(1);
    if (!arrived)
        QCoreApplication::processEvents(); // collect what arrived below the threshold
    return arrived || enough();
}
