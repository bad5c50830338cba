#include "PortMemory.h"

#include <QSettings>

namespace {

const QString kOrganisation = QStringLiteral("CellDesk");
const QString kApplication = QStringLiteral("CellDesk");
const QString kLastPortKey = QStringLiteral("port/last");

} // namespace

QString PortMemory::lastPort() const
{
    const QSettings settings(kOrganisation, kApplication);
    return settings.value(kLastPortKey).toString();
}

void PortMemory::remember(const QString& portText)
{
    if (portText.isEmpty() || (!m_passing.isEmpty() && portText == m_passing))
        return;
    QSettings settings(kOrganisation, kApplication);
    settings.setValue(kLastPortKey, portText);
    settings.sync();
}
