#include "Startup.h"

#include "AppState.h"
#include "OpenMeterPort.h"
#include "Panel.h"
#include "PanelController.h"
#include "PortMemory.h"
#include "PortName.h"
#include "Prompts.h"

#include <QCoreApplication>
#include <QSerialPort>

Startup::Startup(AppState& state, Clock& clock, Prompts& prompts, QObject* parent)
    : QObject(parent), m_state(state), m_clock(clock), m_prompts(prompts)
{
}

Startup::~Startup()
{
    // The controller uses the window and the port; it goes first.
    m_controller.reset();
    m_panel.reset();
}

bool Startup::openMainWindow(const QString& portText)
{
    const PortChoice choice = choosePort(portText, m_state.PortNumber);
    m_state.PortNumber = choice.PortNumber;
    m_port = std::make_unique<QSerialPort>();
    const PortOpenResult opened = OpenMeterPort(*m_port, choice.devicePath);
    if (!opened.ok) {
        m_prompts.message(QStringLiteral("No device available !"), Prompts::Icon::Critical,
                          QCoreApplication::applicationName(), opened.reason);
        m_port.reset();
        return false;
    }
    if (m_portMemory)
        m_portMemory->remember(portText);
    m_panel = std::make_unique<Panel>();
    m_controller = std::make_unique<PanelController>(m_state, *m_panel, m_port.get(), choice,
                                                     m_clock, m_prompts);
    if (m_demoTray)
        m_controller->offerDemoTray(m_demoTray);
    m_controller->load();
    m_panel->show();
    return true;
}
