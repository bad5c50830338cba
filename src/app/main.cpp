// CellDesk: the port dialog first; its choice opens the port and the main window.
// With --demo the meter emulator runs inside the program and the dialog offers its device;
// with --lab only the Lab Overview opens.
#include "AppState.h"
#include "CellTray.h"
#include "Clock.h"
#include "DemoBattery.h"
#include "FitOnOpen.h"
#include "LabOverview.h"
#include "LabSettings.h"
#include "MessageBoxPrompts.h"
#include "MeterSim.h"
#include "PlotCommand.h"
#include "PortDialog.h"
#include "PortDiscovery.h"
#include "PortMemory.h"
#include "StartOptions.h"
#include "Startup.h"
#include "WindowPlacement.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>

#include <cstdio>
#include <memory>

int main(int argc, char* argv[])
{
    QCoreApplication::setOrganizationName(QStringLiteral("CellDesk"));
    QCoreApplication::setApplicationName(QStringLiteral("CellDesk"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CELLDESK_VERSION));
    // Answered before the windowed application starts: that needs a display.
    if (const std::optional<int> code = answerInfoOptions(argc, argv))
        return *code;
    // A picture of recordings for a script: drawn without a display, and the program ends.
    if (const std::optional<int> code = runPlotOption(argc, argv))
        return *code;

    QApplication app(argc, argv);
    QApplication::setDesktopFileName(QStringLiteral("celldesk"));

    QCommandLineParser parser;
    describeStartOptions(parser);
    parser.process(app);
    const StartOptions options = startOptions(parser);

    // Each window opens where the user last left it, each graph as last chosen.
    QSettings windowPlaces(QStringLiteral("CellDesk"), QStringLiteral("CellDesk"));
    WindowPlacement::rememberIn(&windowPlaces);
    FitOnOpen::choice().keepIn(&windowPlaces);

    if (!options.lab.isEmpty()) {
        // The overview alone: it needs no meter on this machine. The broker is remembered for
        // the main window's "Lab".
        LabSettings lab = LabSettings::load();
        lab.url = options.lab;
        QString problem;
        const std::optional<BrokerSettings> broker = lab.broker(problem);
        if (!broker) {
            std::fprintf(stderr, "celldesk: %s\n", qUtf8Printable(problem));
            return 1;
        }
        lab.save();
        SystemClock clock;
        MessageBoxPrompts prompts;
        LabOverview overview(*broker, lab.prefix, clock, prompts);
        overview.show();
        return QApplication::exec();
    }

    PortMemory portMemory;
    std::unique_ptr<MeterSim> demoMeter;
    std::unique_ptr<DemoBattery> demoBattery;
    std::unique_ptr<CellTray> demoTray;
    QList<SerialDevice> devices = systemSerialDevices();
    if (options.demo) {
        demoMeter = std::make_unique<MeterSim>();
        if (!demoMeter->open()) {
            qCritical("celldesk: the demo meter could not open a pseudo-terminal");
            return 1;
        }
        demoMeter->setPaced(true);
        demoMeter->setFramePeriodMs(300);
        demoBattery = std::make_unique<DemoBattery>(*demoMeter);
        demoBattery->start();
        // The Cell Grading window offers a tray of 50 cells instead of the battery.
        demoTray = std::make_unique<CellTray>(*demoMeter, CellTray::generated(50));
        // Listed with the other devices, but gone at the next start: never remembered.
        devices.append({demoMeter->devicePath(),
                        QStringLiteral("CellDesk demo meter"),
                        QStringLiteral("emulated on a pseudo-terminal"),
                        {}});
        portMemory.setPassingDevice(demoMeter->devicePath());
    }
    PortDialog dialog;
    dialog.setDevices(devices);
    dialog.setPortText(initialPortText(options, demoMeter ? demoMeter->devicePath() : QString(),
                                       portMemory.lastPort()));

    AppState state;
    SystemClock clock;
    MessageBoxPrompts prompts;
    Startup startup(state, clock, prompts);
    startup.rememberPortsIn(&portMemory);
    if (demoTray) {
        startup.offerDemoTray([&](bool play) {
            if (play == demoTray->isRunning())
                return;
            if (play) {
                demoBattery->stop();
                demoTray->start();
            } else {
                demoTray->stop();
                demoBattery->start();
            }
        });
    }
    int exitCode = 0;
    QObject::connect(&dialog, &PortDialog::portChosen, &startup, [&](const QString& text) {
        if (!startup.openMainWindow(text)) {
            exitCode = 1;
            QApplication::exit(1);
        }
    });
    dialog.show();
    const int loopCode = QApplication::exec();
    return exitCode != 0 ? exitCode : loopCode;
}
