#include "LabCommands.h"

#include "LabOverview.h"
#include "LabPublisher.h"
#include "LabSettings.h"
#include "Prompts.h"
#include "PublishDialog.h"
#include "SessionPublishing.h"

#include <QSysInfo>

namespace {

// How long the program's end waits for the broker to take the goodbye.
constexpr int kFinishMs = 2000;

} // namespace

LabCommands::LabCommands(MeterSession& session, const CurrentReading& reading,
                         const QString& devicePath, const Clock& clock, Prompts& prompts,
                         QWidget* mainWindow, QObject* parent)
    : QObject(parent), m_session(session), m_reading(reading), m_devicePath(devicePath),
      m_clock(clock), m_prompts(prompts), m_mainWindow(mainWindow)
{
}

LabCommands::~LabCommands()
{
    delete m_overview.data();
}

LabOverview* LabCommands::overview() const
{
    return m_overview;
}

QString LabCommands::defaultName() const
{
    return defaultMeterName(QSysInfo::machineHostName(), m_devicePath);
}

void LabCommands::openOverview()
{
    if (m_overview) {
        m_overview->show();
        m_overview->raise();
        m_overview->activateWindow();
        return;
    }
    LabSettings settings = LabSettings::load();
    if (settings.url.isEmpty()) {
        settings.url = m_prompts.input(QStringLiteral("The lab's MQTT broker "
                                                      "(mqtt://host[:port] or mqtts://...):"),
                                       QStringLiteral("Lab"), QStringLiteral("mqtt://localhost"));
        if (settings.url.isEmpty())
            return;
    }
    QString problem;
    const std::optional<BrokerSettings> broker = settings.broker(problem);
    if (!broker) {
        m_prompts.message(problem, Prompts::Icon::Exclamation, QStringLiteral("Lab"));
        return;
    }
    settings.save();
    m_overview = new LabOverview(*broker, settings.prefix, m_clock, m_prompts, m_mainWindow);
    m_overview->setAttribute(Qt::WA_DeleteOnClose);
    m_overview->show();
}

void LabCommands::editPublishing()
{
    PublishDialog dialog(LabSettings::load(), defaultName(), m_prompts, m_mainWindow);
    if (dialog.exec() == QDialog::Accepted)
        publish(dialog.settings());
}

void LabCommands::startPublishing()
{
    publish(LabSettings::load());
}

void LabCommands::publish(const LabSettings& settings)
{
    finish();
    if (!settings.publish)
        return;
    QString problem;
    const std::optional<BrokerSettings> broker = settings.broker(problem);
    if (!broker) {
        m_prompts.message(QStringLiteral("The readings are not published: ") + problem,
                          Prompts::Icon::Exclamation, QStringLiteral("Publish to lab"));
        return;
    }
    LabPublisher::Options options;
    options.broker = *broker;
    options.prefix = settings.prefix;
    options.meter = settings.meterName.isEmpty() ? defaultName() : settings.meterName;
    m_publisher = std::make_unique<LabPublisher>(std::move(options));
    m_sessionPublishing = std::make_unique<SessionPublishing>(
        *m_publisher, m_session, m_reading, m_clock, SessionPublishing::Readings::EveryReading);
    m_publisher->start();
}

void LabCommands::finish()
{
    m_sessionPublishing.reset();
    if (m_publisher)
        m_publisher->finish(kFinishMs);
    m_publisher.reset();
}
