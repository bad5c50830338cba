#pragma once

// CellDesk's main window on a meter's port, as a user starts it, for the end-to-end
// benchmarks.

#include "AppState.h"
#include "Clock.h"
#include "OpenMeterPort.h"
#include "Panel.h"
#include "PanelController.h"
#include "PortName.h"
#include "ScriptedPrompts.h"

#include <QSerialPort>

#include <cstdio>
#include <memory>

/// The port, a fresh state, the system clock, prompts that give only the answers they are
/// handed (every other question is cancelled), and the main window with its controller.
struct MainWindowOnPort
{
    QSerialPort port;
    AppState state;
    SystemClock clock;
    ScriptedPrompts prompts;
    Panel window;
    std::unique_ptr<PanelController> controller;

    /// Opens `device` and shows the main window loaded on it; false, told on stderr as
    /// `bench`'s, when the port does not open.
    bool open(const QString& device, const char* bench)
    {
        if (!OpenMeterPort(port, device).ok) {
            std::fprintf(stderr, "%s: cannot open %s\n", bench, qPrintable(device));
            return false;
        }
        controller = std::make_unique<PanelController>(state, window, &port, PortChoice{1, device},
                                                       clock, prompts);
        controller->load();
        window.show();
        return true;
    }
};
