#include "MeterLink.h"

#include "DisplayDecoder.h"
#include "SerialLink.h"
#include "Waits.h"

QString toggledPanelCaption(const QString& current, const QString& linkTag)
{
    if (current != PanelCaption)
        return PanelCaption;
    return PanelCaption + QStringLiteral("   970410") + linkTag;
}

MeterLink::MeterLink(SerialLink& serial, PortChoice port, QObject* parent)
    : QObject(parent), m_serial(serial), m_port(std::move(port))
{
    m_reopen.setInterval(ReopenIntervalMs);
    connect(&m_reopen, &QTimer::timeout, this, &MeterLink::tryReopen);
    connect(&m_serial, &SerialLink::gone, this, [this] {
        if (!closing())
            m_reopen.start();
    });
    connect(&m_serial, &SerialLink::back, this, [this] {
        m_reopen.stop();
        emit portReopened();
    });
}

void MeterLink::shutDown()
{
    m_closing = true;
    m_reopen.stop();
}

void MeterLink::tryReopen()
{
    if (closing())
        m_reopen.stop();
    else
        m_serial.reopen(m_port.devicePath);
}

void MeterLink::WaitForMeter(Loss cause)
{
    // Waits nest (a key pressed during the wait runs a status exchange that waits too): the
    // link counts as lost from the first entry until the last wait has heard the meter.
    if (m_depth++ == 0) {
        m_lost = true;
        m_cause = m_serial.isGone() ? Loss::PortGone : cause;
        emit linkLost();
    }
    // Only a display frame shows that the meter is back: blocks of another length, even
    // between STX and ETX, are not its display. The tail of each read is kept, so a frame
    // split between two reads still counts.
    QByteArray heard;
    while (!closing()) {
        emit blinkStep();
        WaitSeconds(0.2);
        if (m_serial.inputCount() == 0)
            continue;
        heard += m_serial.readAll();
        if (findDisplayFrame(heard) >= 0)
            break;
        heard = heard.right(DisplayFrameLength - 1);
    }
    if (--m_depth == 0) {
        m_lost = false;
        emit linkRestored(upCaption());
    }
}
