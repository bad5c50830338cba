#include "SessionPublishing.h"

#include "Clock.h"
#include "LabPublisher.h"
#include "MeterSession.h"

SessionPublishing::SessionPublishing(LabPublisher& publisher, MeterSession& session,
                                     const CurrentReading& reading, const Clock& clock,
                                     Readings readings, QObject* parent)
    : QObject(parent)
{
    MeterLink& link = session.link();
    connect(&link, &MeterLink::linkLost, this, [&publisher] { publisher.setLinkUp(false); });
    connect(&link, &MeterLink::linkRestored, this, [&publisher, &link] {
        // The link-lost wait also ends when the session closes: no sign of the meter.
        if (!link.closing())
            publisher.setLinkUp(true);
    });
    if (readings == Readings::EveryReading) {
        connect(&session.poll(), &PollCycle::frameDecoded, this,
                [&publisher, &reading, &clock] { publisher.publishReading(reading, clock.now()); });
    }
}
