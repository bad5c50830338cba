#include "RTCSetup.h"

#include "AppState.h"
#include "ClickLabel.h"
#include "Clock.h"
#include "ClockExchange.h"
#include "CommandChannel.h"
#include "MeterClock.h"
#include "Prompts.h"
#include "TwipsScale.h"
#include "Waits.h"
#include "WindowPlacement.h"

#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kMeterTime = QStringLiteral("Meter Time");
const QString kPcTime = QStringLiteral("PC System Time");

} // namespace

RTCSetup* RTCSetup::open(AppState& state, CommandChannel& channel, Clock& clock, Prompts& prompts,
                         QWidget* mainWindow)
{
    if (state.reading.MeterRecordingFlag) {
        prompts.message(RecordingModeRefusal, Prompts::Icon::Critical);
        return nullptr;
    }
    auto* window = new RTCSetup(state, channel, clock, prompts, mainWindow);
    window->show();
    return window;
}

RTCSetup::RTCSetup(AppState& state, CommandChannel& channel, Clock& clock, Prompts& prompts,
                   QWidget* mainWindow)
    : QDialog(mainWindow), m_state(state), m_channel(channel), m_clock(clock), m_prompts(prompts)
{
    setObjectName(QStringLiteral("RTCSetup"));
    setWindowTitle(QStringLiteral("Setup"));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* frame = new QGroupBox(QStringLiteral("Time"), this);
    frame->setObjectName(QStringLiteral("FrameTime"));
    QFont lineFont = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    lineFont.setPointSizeF(lineFont.pointSizeF() * 1.5);
    lineFont.setBold(true);
    const auto makeLine = [&](const QString& name, const QString& text, const QString& tip) {
        auto* line = new ClickLabel(text, frame);
        line->setObjectName(name);
        line->setFont(lineFont);
        line->setAlignment(Qt::AlignCenter);
        line->setFrameShape(QFrame::Panel);
        line->setFrameShadow(QFrame::Sunken);
        line->setAutoFillBackground(true);
        // The colours of the meter's own glass.
        QPalette glass = line->palette();
        glass.setColor(QPalette::Window, QColor(0xC9, 0xD3, 0xB4));
        glass.setColor(QPalette::WindowText, QColor(0x1E, 0x24, 0x1A));
        line->setPalette(glass);
        line->setMinimumWidth(QFontMetrics(lineFont).horizontalAdvance(kPcTime) + 24);
        line->setMinimumHeight(QFontMetrics(lineFont).height() + 12);
        line->setCursor(Qt::PointingHandCursor);
        line->setToolTip(tip);
        return line;
    };
    m_meterLine = makeLine(QStringLiteral("LblMeterTime"), kMeterTime,
                           QStringLiteral("Click to read the meter's clock, click again to stop"));
    m_pcLine = makeLine(QStringLiteral("LblPCTime"), kPcTime,
                        QStringLiteral("Click to hide or show the PC's clock"));
    auto* lines = new QGridLayout(frame);
    const auto caption = [frame](const QString& text) {
        auto* label = new QLabel(text, frame);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        return label;
    };
    lines->addWidget(caption(QStringLiteral("Meter:")), 0, 0);
    lines->addWidget(m_meterLine, 0, 1);
    lines->addWidget(caption(QStringLiteral("PC:")), 1, 0);
    lines->addWidget(m_pcLine, 1, 1);
    lines->setColumnStretch(1, 1);

    m_setButton = new QPushButton(QStringLiteral("Set Meter Time To System Time"), this);
    m_setButton->setObjectName(QStringLiteral("CmdSetTime"));
    m_setButton->setAutoDefault(false);
    auto* exitButton = new QPushButton(QStringLiteral("Exit"), this);
    exitButton->setObjectName(QStringLiteral("CmdExit"));
    exitButton->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_setButton, 1);
    buttons->addWidget(exitButton);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_meterLine, &ClickLabel::clicked, this, [this] { m_meterRead = !m_meterRead; });
    connect(m_pcLine, &ClickLabel::clicked, this, [this] { m_pcClock = !m_pcClock; });
    connect(m_setButton, &QPushButton::clicked, this, &RTCSetup::setMeterTime);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::reject);

    m_timer.setObjectName(QStringLiteral("Timer1"));
    m_timer.setParent(this);
    m_timer.setInterval(TickMs);
    connect(&m_timer, &QTimer::timeout, this, &RTCSetup::tick);

    place(mainWindow);
    WindowPlacement::manage(this);
    m_timer.start();
}

RTCSetup::~RTCSetup() = default;

// Centred over the main window, 1000 twips below its top.
void RTCSetup::place(QWidget* mainWindow)
{
    adjustSize();
    if (!mainWindow)
        return;
    const QRect main = mainWindow->frameGeometry();
    const TwipsScale scale = TwipsScale::forScreen(mainWindow->screen());
    move(main.left() + (main.width() - width()) / 2, main.top() + scale.px(1000));
}

void RTCSetup::done(int result)
{
    if (!m_running.close())
        return;
    m_setPending = false;
    m_timer.stop();
    QDialog::done(result);
}

void RTCSetup::tick()
{
    // The waits of a running read or set let this timer fire again: skip that firing. Another
    // exchange with the meter (a key, the keep-alive, a long read of another window) holds the
    // line until it ends: a clock request must not land in its answer.
    if (m_running.running() || m_running.closed() || lineBusy())
        return;
    const WindowHandlers::Scope running(m_running);
    if (m_state.reading.MeterRecordingFlag) {
        reject();
        return;
    }
    if (m_meterRead)
        readMeterClock();
    else
        m_meterLine->setText(kMeterTime);
    if (m_running.closed())
        return;
    m_pcLine->setText(m_pcClock ? pcClockLine(m_clock.now()) : kPcTime);
    runPendingSet();
}

void RTCSetup::readMeterClock()
{
    const auto goAhead = [this] { return !m_running.closed() && m_meterRead && !waitsAbandoned(); };
    const std::optional<QByteArray> answer = ::readMeterClock(m_channel, goAhead);
    if (!goAhead())
        return; // closed, the read switched off, or the program ending meanwhile
    if (answer) {
        // An answer whose digits are no time has no clock to show this tick; the next asks
        // again.
        m_meterLine->setText(meterClockLine(*answer).value_or(kMeterTime));
        return;
    }
    m_meterRead = false;
    m_meterLine->setText(kMeterTime);
    m_prompts.message(QStringLiteral("The meter does not answer the clock request."),
                      Prompts::Icon::Exclamation, {},
                      QStringLiteral("Check the cable and that the meter is switched on, then "
                                     "click \"Meter Time\" to read its clock again."));
}

bool RTCSetup::lineBusy() const
{
    return m_state.longReadRunning() || m_channel.timers().paused(PollTimers::Poll);
}

void RTCSetup::setMeterTime()
{
    if (m_running.closed() || m_state.longReadRunning())
        return;
    // A set clicked during a read, another set or another exchange runs when that has ended.
    if (m_running.running() || lineBusy()) {
        m_setPending = true;
        return;
    }
    const WindowHandlers::Scope running(m_running);
    sendClock();
    runPendingSet();
}

void RTCSetup::sendClock()
{
    m_timer.stop();
    setMeterClock(m_channel, m_clock.now(),
                  [this] { return !m_running.closed() && !waitsAbandoned(); });
    if (!m_running.closed())
        m_timer.start();
}

void RTCSetup::runPendingSet()
{
    while (m_setPending && !m_running.closed()) {
        m_setPending = false;
        sendClock();
    }
}
