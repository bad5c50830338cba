#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Clock;
class Panel;
class PortMemory;
class PanelController;
class Prompts;
class QSerialPort;
struct AppState;

/// The program's start: from the port the user chose to the running main window, or to the
/// one fatal error, "No device available !".
class Startup : public QObject
{
    Q_OBJECT
public:
    Startup(AppState& state, Clock& clock, Prompts& prompts, QObject* parent = nullptr);
    ~Startup() override;

    /// Opens the port named by the port dialog's text and shows the main window. On failure
    /// tells the user why and returns false; the program must then end.
    bool openMainWindow(const QString& portText);

    /// Keeps each port that opens in `memory` (none by default).
    void rememberPortsIn(PortMemory* memory) { m_portMemory = memory; }
    /// The demo meter can play a tray of cells for the Cell Grading window.
    void offerDemoTray(std::function<void(bool)> play) { m_demoTray = std::move(play); }

    [[nodiscard]] Panel* panel() const { return m_panel.get(); }
    [[nodiscard]] PanelController* controller() const { return m_controller.get(); }

private:
    AppState& m_state;
    Clock& m_clock;
    Prompts& m_prompts;
    PortMemory* m_portMemory = nullptr;
    std::function<void(bool)> m_demoTray;
    std::unique_ptr<QSerialPort> m_port;
    std::unique_ptr<Panel> m_panel;
    std::unique_ptr<PanelController> m_controller;
};
