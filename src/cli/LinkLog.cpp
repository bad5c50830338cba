#include "LinkLog.h"

#include "CliCommon.h"
#include "Clock.h"
#include "MeterConnection.h"
#include "SerialLink.h"

LinkLog::LinkLog(MeterConnection& meter, const Clock& clock, QObject* parent)
    : QObject(parent), m_clock(clock), m_lastFrameMs(clock.monotonicMs())
{
    MeterSession& session = meter.session();
    MeterLink& link = session.link();
    const QString port = meter.port().devicePath;
    connect(&session.poll(), &PollCycle::frameDecoded, this,
            [this] { m_lastFrameMs = m_clock.monotonicMs(); });
    connect(&link, &MeterLink::linkLost, this, [this, &link, port] {
        switch (link.lossCause()) {
        case MeterLink::Loss::PortGone:
            m_goneTold = true;
            tell(QStringLiteral("the port %1 is gone (the adapter unplugged?); waiting for it")
                     .arg(port));
            return;
        case MeterLink::Loss::NoFrames:
            tell(QStringLiteral("%1 sends bytes that are no display frames; waiting for the "
                                "meter's display")
                     .arg(port));
            return;
        case MeterLink::Loss::Silence:
            tell(QStringLiteral("the meter on %1 is silent; waiting for it").arg(port));
            return;
        }
    });
    // The adapter may go while the link is already lost to a silent meter.
    connect(&session.serial(), &SerialLink::gone, this, [this, &link, port] {
        if (!link.isLost() || m_goneTold || link.closing())
            return;
        m_goneTold = true;
        tell(QStringLiteral("the port %1 is gone (the adapter unplugged?); waiting for it")
                 .arg(port));
    });
    connect(&link, &MeterLink::portReopened, this, [this, port] {
        m_goneTold = false;
        tell(QStringLiteral("the port %1 is back; waiting for the meter's display").arg(port));
    });
    connect(&link, &MeterLink::linkRestored, this, [this, &link, port] {
        // The link-lost wait also ends when the run stops: that is no sign of the meter.
        if (link.closing())
            return;
        m_goneTold = false;
        const qint64 gap = (m_clock.monotonicMs() - m_lastFrameMs + 500) / 1000;
        tell(QStringLiteral("the meter on %1 sends again, after %2 s without a reading")
                 .arg(port)
                 .arg(gap));
    });
}

void LinkLog::tell(const QString& text) const
{
    ::tell(m_clock.now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss ")) + text);
}
