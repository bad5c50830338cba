#include "PanelController.h"

#include "AppState.h"
#include "CellGrading.h"
#include "CellStore.h"
#include "Clock.h"
#include "Commands.h"
#include "Comparator.h"
#include "EraseMemory.h"
#include "GraphLibrary.h"
#include "HelpWindow.h"
#include "LabCommands.h"
#include "LiveGraph.h"
#include "LiveList.h"
#include "MemoryDownload.h"
#include "MemoryManager.h"
#include "OpenFileCommand.h"
#include "Panel.h"
#include "Prompts.h"
#include "RTCSetup.h"
#include "Recorder.h"
#include "SamplingCommand.h"
#include "Waits.h"

#include <QCoreApplication>
#include <QLabel>
#include <QScreen>

namespace {

QString aboutText()
{
    return QStringLiteral(
               "CellDesk %1\n"
               "The desktop companion of a hand-held battery test meter.\n\n"
               "Licence: GPL-3.0-or-later. CellDesk is free software: you may share and change "
               "it under the terms of the GNU General Public License, version 3 or later. It "
               "comes with no warranty.\n\n"
               "Uses Qt %2 (LGPL-3.0), %3 (GPL-3.0-or-later) and the DSEG7 "
               "seven-segment font (SIL Open Font License 1.1).")
        .arg(QCoreApplication::applicationVersion(), QString::fromLatin1(qVersion()),
             graphLibrary());
}

} // namespace

PanelController::PanelController(AppState& state, Panel& window, QIODevice* port,
                                 const PortChoice& choice, Clock& clock, Prompts& prompts,
                                 QObject* parent)
    : QObject(parent), m_state(state), m_window(window), m_clock(clock), m_prompts(prompts),
      m_session(port, choice, state.reading, state.status, state.LinkTag, state.DisplayFrozen,
                clock, this),
      m_fileTransfer(state, prompts, clock)
{
    m_state.PortNumber = choice.PortNumber;

    m_liveList = new LiveList(state, prompts, m_fileTransfer, &m_window, this);
    m_recorder =
        new Recorder(state, prompts, m_fileTransfer, *m_liveList, &m_window,
                     {m_window.recLabel(), m_window.countLabel(), m_window.fileNameLabel()}, this);
    connect(m_recorder, &Recorder::recordingLookChanged, &m_window, &Panel::setRecordingLook);
    connect(m_recorder, &Recorder::waitingLookChanged, &m_window, &Panel::setWaitingLook);
    m_sampling = new SamplingCommand(state, m_session.channel(), prompts, &m_window, this);
    m_openFile = new OpenFileCommand(state, prompts, m_fileTransfer, &m_window, this);
    m_liveGraph = new LiveGraph(state, prompts, clock, &m_window, this);
    m_memory = new MemoryDownload(state, m_session.channel(), m_session.link(), prompts,
                                  m_fileTransfer, &m_window, this);
    m_lab = new LabCommands(m_session, state.reading, choice.devicePath, clock, prompts, &m_window,
                            this);

    connect(&m_session.poll(), &PollCycle::frameDecoded, this, [this] {
        m_window.setLcdStale(false); // a decoded frame: the reading is live again
        showChangedCells();
    });

    QLabel* linkLabel = m_window.linkLabel();
    MeterLink& link = m_session.link();
    connect(&link, &MeterLink::linkLost, linkLabel, [this, linkLabel] {
        linkLabel->setText(QStringLiteral("No COM"));
        m_window.setLcdStale(true);
    });
    connect(&link, &MeterLink::blinkStep, linkLabel,
            [linkLabel] { linkLabel->setVisible(linkLabel->isHidden()); });
    connect(&link, &MeterLink::linkRestored, linkLabel, [linkLabel](const QString& caption) {
        linkLabel->setText(caption);
        linkLabel->setVisible(true);
    });
    connect(&m_window, &Panel::linkLabelClicked, this, &PanelController::toggleCaption);

    connect(&m_window, &Panel::arrowPressed, this, &PanelController::notePressTime);
    connect(&m_window, &Panel::grayPressed, this, &PanelController::notePressTime);
    connect(&m_window, &Panel::arrowReleased, this,
            [this](int i) { releaseKey(KeyRow::Arrow, i); });
    connect(&m_window, &Panel::grayReleased, this, [this](int i) { releaseKey(KeyRow::Gray, i); });
    connect(&m_window, &Panel::rangeClicked, this, [this] {
        m_session.panel().stepRangePicture();
        showChangedCells();
    });
    connect(&m_window, &Panel::toolbarButtonClicked, this, &PanelController::runToolbarCommand);
    connect(&m_window, &Panel::closing, this, &PanelController::closeProgram);
    connect(&m_window, &Panel::helpRequested, this, &PanelController::showHelp);
    connect(&m_window, &Panel::aboutRequested, this, &PanelController::showAbout);
    connect(&m_window, &Panel::labRequested, m_lab, &LabCommands::openOverview);
    connect(&m_window, &Panel::publishToLabRequested, m_lab, &LabCommands::editPublishing);
}

// The settings windows pause the session's timers; they go before the session does.
PanelController::~PanelController()
{
    delete m_grading.data(); // it grades from the session and into the cell store
    delete m_clockSetup.data();
    delete m_comparator.data();
    delete m_memory;
    delete m_lab;
}

void PanelController::load()
{
    m_window.move(0, 0);
    if (const QScreen* screen = m_window.screen())
        m_window.fitHeight(screen->availableGeometry());
    m_state.ComparatorBusy = false;
    m_state.PcSamplingSeconds = 2;
    m_state.SampleTimeStamp = m_clock.now().toString(QStringLiteral("hh:mm:ss"));
    m_window.linkLabel()->setText(m_session.link().upCaption());
    m_window.linkLabel()->setToolTip(m_session.link().port().devicePath);
    m_window.showAllCells(m_session.panel());
    (void)m_session.panel().takeDirty();
    m_session.start();
    m_recorder->start();
    m_lab->startPublishing();
}

void PanelController::showChangedCells()
{
    m_window.showCells(m_session.panel(), m_session.panel().takeDirty());
}

void PanelController::toggleCaption()
{
    m_window.setWindowTitle(toggledPanelCaption(m_window.windowTitle(), m_state.LinkTag));
}

// The key face itself shows the pressed look from mouse-down to mouse-up; the press only
// starts the hold time, shared by all keys.
void PanelController::notePressTime()
{
    m_pressMs = m_clock.monotonicMs();
}

// The hold time is how long the user held the key: from the press to this release. It is
// taken before the status exchange, which can last long (retries, or a wait for a meter
// that fell silent) and must not turn a click into a long press.
void PanelController::releaseKey(KeyRow row, int index)
{
    if (longReadRunning())
        return;
    const double holdSeconds = m_pressMs ? (m_clock.monotonicMs() - *m_pressMs) / 1000.0 : 0.0;
    m_pressMs.reset();
    TimerPause pause(m_session.timers(), PollTimers::Both);
    m_session.channel().StatusQuery();
    if (const char command = keyCommand(row, index, holdSeconds))
        m_session.serial().writeByte(static_cast<quint8>(command));
}

void PanelController::runToolbarCommand(const QString& key)
{
    // Stopping a recording and opening the real-time list neither talk to the meter nor ask
    // anything: they work at any time, also during a download that lasts for hours.
    if (key == QLatin1String("Save") && m_state.FileRecording) {
        m_recorder->runSaveCommand();
        return;
    }
    if (key == QLatin1String("List")) {
        m_liveList->runListCommand();
        return;
    }
    if (key == QLatin1String("Grade")) {
        openGrading(); // sends nothing by itself
        return;
    }
    // A long answer on its way (memory, comparator table) owns the line: a command would write
    // into it, and a dialog would hold the reader under its own event loop. None starts.
    if (longReadRunning())
        return;
    if (key == QLatin1String("Save")) {
        m_recorder->runSaveCommand();
    } else if (key == QLatin1String("Open")) {
        if (m_state.FileRecording) {
            m_prompts.message(QStringLiteral("Recording Mode!\n\rPlease stop recording!"),
                              Prompts::Icon::Critical);
        } else {
            m_openFile->run();
        }
    } else if (key == QLatin1String("Graph")) {
        m_liveGraph->runGraphCommand();
    } else if (key == QLatin1String("Sampling")) {
        m_sampling->run();
    } else if (key == QLatin1String("Erase")) {
        eraseAutoMemory();
    } else if (key == QLatin1String("TimeSet")) {
        openClockSetup();
    } else if (key == QLatin1String("COMP")) {
        readComparators();
    } else if (key == QLatin1String("Memory")) {
        m_memory->run();
    }
    // "StopRec" has no command.
}

bool PanelController::longReadRunning() const
{
    return m_state.longReadRunning();
}

void PanelController::openClockSetup()
{
    // A closed clock window may still be finishing its exchange (a link-lost wait).
    if (m_clockSetup || longReadRunning())
        return;
    m_clockSetup = RTCSetup::open(m_state, m_session.channel(), m_clock, m_prompts, &m_window);
}

void PanelController::readComparators()
{
    if (longReadRunning())
        return;
    if (!m_comparator) {
        m_comparator =
            new Comparator(m_state, m_session.channel(), m_session.link(), m_prompts, &m_window);
    }
    m_comparator->readTable();
}

CellGrading* PanelController::grading() const
{
    return m_grading.data();
}

void PanelController::openGrading()
{
    if (!m_grading) {
        if (!m_cellStore) {
            auto store = std::make_unique<CellStore>();
            if (!store->open(CellStore::defaultPath())) {
                m_prompts.message(QStringLiteral("The cell database cannot be opened."),
                                  Prompts::Icon::Critical, QStringLiteral("Cell Grading"),
                                  store->error());
                return;
            }
            m_cellStore = std::move(store);
        }
        m_grading =
            new CellGrading(m_state, m_session, *m_cellStore, m_prompts, m_clock, &m_window);
        if (m_demoTray)
            m_grading->offerDemoTray(m_demoTray);
    }
    m_grading->show();
    m_grading->raise();
    m_grading->activateWindow();
}

void PanelController::eraseAutoMemory()
{
    if (longReadRunning())
        return;
    if (!m_prompts.confirm(eraseQuestion(MemoryKind::Automatic), Prompts::Icon::Exclamation, {},
                           Prompts::DefaultButton::Cancel) ||
        longReadRunning())
        return;
    if (eraseMeterMemory(m_session.channel(), MemoryKind::Automatic,
                         [] { return !waitsAbandoned(); }))
        MemoryManager::forgetErased(m_state, m_memory->window(), MemoryKind::Automatic);
}

void PanelController::showHelp(const QString& heading)
{
    if (!m_help) {
        m_help = new HelpWindow(&m_window);
        m_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
    m_help->showSection(heading);
}

void PanelController::showAbout()
{
    m_prompts.message(aboutText(), Prompts::Icon::Information, QStringLiteral("About CellDesk"));
}

void PanelController::closeProgram()
{
    m_lab->finish();
    m_session.shutDown();
    abandonWaits();
}
