#pragma once

#include "AppState.h"
#include "Clock.h"
#include "Panel.h"
#include "PanelController.h"
#include "ScriptedPrompts.h"
#include "SimPort.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <QToolBar>

#include <memory>

/// The main window with its controller on the emulator's pty, started as at program start.
struct FrontPanel
{
    SimPort meter;
    AppState state;
    ManualClock clock;
    ScriptedPrompts prompts;
    Panel window;
    std::unique_ptr<PanelController> controller;

    /// Starts on the emulator's device as COM1; `behindLink` reaches it through a symbolic
    /// link instead, so the emulator can be unplugged and plugged in again.
    bool start(bool behindLink = false)
    {
        if (!(behindLink ? meter.openBehindLink(true) : meter.open(true)))
            return false;
        meter.sim.setFramePeriodMs(40);
        const PortChoice com1{1, behindLink ? meter.linkPath() : meter.sim.devicePath()};
        controller =
            std::make_unique<PanelController>(state, window, &meter.port, com1, clock, prompts);
        controller->load();
        window.show();
        return true;
    }
    template <typename T = QWidget> T* find(const QString& name) const
    {
        return window.findChild<T*>(name);
    }
    [[nodiscard]] QString text(const QString& name) const { return find<QLabel>(name)->text(); }
    [[nodiscard]] bool shown(const QString& name) const { return !find(name)->isHidden(); }
    void clickToolbar(const QString& key) const
    {
        for (QAction* action : find<QToolBar>("Toolbar1")->actions()) {
            if (action->property("Key").toString() == key)
                action->trigger();
        }
    }
    // Waits until the commands the meter received stop changing, then returns them.
    QByteArray settledCommands()
    {
        QByteArray last;
        do {
            last = meter.sim.commands();
            QTest::qWait(150);
        } while (meter.sim.commands() != last);
        return last;
    }
    /// The same with each status series written as one "A".
    QByteArray settledExchanges() { return withoutStatusRetries(settledCommands()); }
};
