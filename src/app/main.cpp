// CellDesk: the port dialog first; its choice opens the port and the main window.
// With --demo the meter emulator runs inside the program and the dialog offers its device.
#include "AppState.h"
#include "Clock.h"
#include "DemoBattery.h"
#include "MeterSim.h"
#include "PortDialog.h"
#include "Prompts.h"
#include "Startup.h"

#include <QApplication>
#include <QCommandLineParser>

#include <memory>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CellDesk"));
    QApplication::setApplicationVersion(QStringLiteral("7.1"));

    QCommandLineParser options;
    options.setApplicationDescription(
        QStringLiteral("Desktop companion of the battery test meter"));
    options.addHelpOption();
    const QCommandLineOption demo(QStringLiteral("demo"),
                                  QStringLiteral("Run against a built-in demo meter."));
    options.addOption(demo);
    options.process(app);

    std::unique_ptr<MeterSim> demoMeter;
    std::unique_ptr<DemoBattery> demoBattery;
    PortDialog dialog;
    if (options.isSet(demo)) {
        demoMeter = std::make_unique<MeterSim>();
        if (!demoMeter->open()) {
            qCritical("celldesk: the demo meter could not open a pseudo-terminal");
            return 1;
        }
        demoMeter->setPaced(true);
        demoMeter->setFramePeriodMs(300);
        demoBattery = std::make_unique<DemoBattery>(*demoMeter);
        demoBattery->start();
        dialog.setPortText(demoMeter->devicePath());
    }

    AppState state;
    SystemClock clock;
    MessageBoxPrompts prompts;
    Startup startup(state, clock, prompts);
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
