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
}

void MeterLink::WaitForMeter()
{
    m_lost = true;
    emit linkLost();
    while (!m_closing) {
        emit blinkStep();
        WaitSeconds(0.2);
        if (m_serial.inputCount() == 0)
            continue;
        const QByteArray input = m_serial.readAll();
        if (!input.isEmpty() && input.front() == Stx && input.back() == Etx)
            break;
    }
    m_lost = false;
    emit linkRestored(upCaption());
}
