// The Sampling command on the main window against the meter emulator: the choice dialog,
// the input boxes, the "V" and "S" exchanges and the live display between them.
#include "Fetch.h"
#include "FrontPanel.h"
#include "Recorder.h"
#include "SamplingChoice.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

const QString kTitle = QStringLiteral("Input Sampling Time");

// Runs `act` on the sampling dialog as soon as it is open.
void onSamplingChoice(const std::function<void(SamplingChoice&)>& act)
{
    auto* poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* dialog = qobject_cast<SamplingChoice*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*dialog);
    });
    poll->start(5);
}

void choose(SamplingChoice& dialog, const char* option)
{
    dialog.findChild<QRadioButton*>(option)->click();
    dialog.findChild<QPushButton*>("CmdOK")->click();
}

// The commands with each run of status requests as one: retried "A"s are the status
// exchange's own business.
QByteArray exchanges(QByteArray commands)
{
    while (commands.contains("AA"))
        commands.replace("AA", "A");
    return commands;
}

bool timersRunning(FrontPanel& p)
{
    PollTimers& t = p.controller->session().timers();
    return t.poll().isActive() && t.keepAlive().isActive();
}

} // namespace

class TestSampling : public QObject
{
    Q_OBJECT
private slots:
    void dialogOpensAtHalfTheMainWindowWithMeterChosen();
    void pcInterval_data();
    void pcInterval();
    void meterInterval_data();
    void meterInterval();
    void meterThatDoesNotAnswer_data();
    void meterThatDoesNotAnswer();
    void dialogClosedWithoutOkDoesNothing();
};

void TestSampling::dialogOpensAtHalfTheMainWindowWithMeterChosen()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.window.move(40, 30);
    QStringList seen;
    for (int opening = 0; opening < 2; ++opening) {
        onSamplingChoice([&](SamplingChoice& d) {
            const QRect main = p.window.frameGeometry();
            QCOMPARE(d.frameGeometry().topLeft(), QPoint(main.width() / 2, main.height() / 2));
            seen << d.windowTitle() << d.findChild<QRadioButton*>("OptMeter")->text()
                 << d.findChild<QRadioButton*>("OptPC")->text()
                 << d.findChild<QPushButton*>("CmdOK")->text();
            QVERIFY(d.findChild<QRadioButton*>("OptMeter")->isChecked());
            choose(d, "OptPC");
        });
        p.clickToolbar("Sampling"); // the PC branch, cancelled at its input box
        QVERIFY(p.state.PcSamplingChosen);
    }
    QCOMPARE(seen.size(), 8);
    QCOMPARE(seen.mid(0, 4),
             (QStringList{"Sampling Rate", "Meter Sampling Rate", "PC Sampling Rate", "OK"}));
}

void TestSampling::pcInterval_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<int>("tickCount");
    QTest::addColumn<QString>("message");
    QTest::newRow("7") << "7" << 7 << 0 << "";
    QTest::newRow("0 gives 1") << "0" << 1 << 0 << "";
    QTest::newRow("2.5 gives 2") << "2.5" << 2 << 0 << "";
    QTest::newRow("cancel keeps 2") << "" << 2 << 5 << "";
    QTest::newRow("not a number keeps 2")
        << "abc" << 2 << 5 << "Please enter a number from 1 to 86400 !";
}

void TestSampling::pcInterval()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.controller->recorder().timer().stop(); // the tick count is looked at below
    p.state.SampleTickCount = 5;
    p.settledCommands();
    p.meter.sim.clearReceived();
    QFETCH(QString, entry);
    if (!entry.isEmpty())
        p.prompts.inputAnswers << entry;
    bool pausedMeanwhile = true;
    p.prompts.whileAsking = [&](const ScriptedPrompts::Asked&) {
        pausedMeanwhile = !timersRunning(p);
    };
    onSamplingChoice([](SamplingChoice& d) { choose(d, "OptPC"); });
    p.clickToolbar("Sampling");
    const auto asked = p.prompts.of(ScriptedPrompts::Kind::Input);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].text, QString("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 86400 ) "));
    QCOMPARE(asked[0].title, kTitle);
    QCOMPARE(asked[0].defaultText, QString("2"));
    QCOMPARE(int(p.state.PcSamplingSeconds), fetched<int>("seconds"));
    QCOMPARE(p.state.SampleTickCount, fetched<int>("tickCount"));
    const auto messages = p.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.isEmpty() ? QString() : messages[0].text, fetched<QString>("message"));
    // No meter traffic and no pause.
    QVERIFY(!pausedMeanwhile);
    const QByteArray commands = exchanges(p.settledCommands());
    QVERIFY(!commands.contains('V') && !commands.contains('S'));
}

void TestSampling::meterInterval_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("sent"); // -1: no "S"
    QTest::addColumn<QString>("message");
    QTest::newRow("7") << "7" << 7 << "";
    QTest::newRow("255.5 gives 255") << "255.5" << 255 << "";
    QTest::newRow("300 gives 255") << "300" << 255 << "";
    QTest::newRow("-4 gives 1") << "-4" << 1 << "";
    QTest::newRow("cancel") << "" << -1 << "";
    QTest::newRow("not a number") << "nan" << -1 << "Please enter a number from 1 to 255 !";
}

void TestSampling::meterInterval()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setSamplingSeconds(9);
    p.settledCommands();
    p.meter.sim.clearReceived();
    QFETCH(QString, entry);
    QFETCH(int, sent);
    if (!entry.isEmpty())
        p.prompts.inputAnswers << entry;
    // The input box does not talk to the meter: the display goes on while it is open.
    quint64 framesMeanwhile = 0;
    p.prompts.whileAsking = [&](const ScriptedPrompts::Asked& a) {
        if (a.kind == ScriptedPrompts::Kind::Input) {
            const quint64 before = p.controller->session().poll().framesDecoded();
            QTest::qWait(300);
            framesMeanwhile = p.controller->session().poll().framesDecoded() - before;
        }
    };
    onSamplingChoice([](SamplingChoice& d) { choose(d, "OptMeter"); });
    p.clickToolbar("Sampling");
    QVERIFY(framesMeanwhile > 2);
    QVERIFY(timersRunning(p));
    const auto asked = p.prompts.of(ScriptedPrompts::Kind::Input);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].text, QString("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= 255 ) "));
    QCOMPARE(asked[0].title, kTitle);
    QCOMPARE(asked[0].defaultText, QString("9"));
    const QByteArray commands = exchanges(p.settledCommands());
    const QByteArray received = p.meter.sim.received();
    if (sent < 0) {
        QCOMPARE(commands, QByteArray("AV"));
        QCOMPARE(p.state.MeterSamplingSeconds, quint16(9));
        QCOMPARE(p.meter.sim.samplingSeconds(), quint8(9));
    } else {
        // Status, "V", status, "S" and the byte t.
        QCOMPARE(commands, QByteArray("AVAS"));
        QVERIFY(received.endsWith(QByteArray("S") + char(sent)));
        QCOMPARE(p.meter.sim.samplingSeconds(), quint8(sent));
        QCOMPARE(p.state.MeterSamplingSeconds, quint16(sent));
    }
    const auto messages = p.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.isEmpty() ? QString() : messages[0].text, fetched<QString>("message"));
    if (!messages.isEmpty())
        QCOMPARE(messages[0].icon, Prompts::Icon::Critical);
}

void TestSampling::meterThatDoesNotAnswer_data()
{
    QTest::addColumn<int>("answerBytes");
    QTest::newRow("no answer") << 0;
    QTest::newRow("short answer") << 2;
}

void TestSampling::meterThatDoesNotAnswer()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.state.MeterSamplingSeconds = 4;
    p.meter.sim.cutAnswer('V', fetched<int>("answerBytes"));
    p.settledCommands();
    p.meter.sim.clearReceived();
    onSamplingChoice([](SamplingChoice& d) { choose(d, "OptMeter"); });
    p.clickToolbar("Sampling");
    QVERIFY(p.prompts.of(ScriptedPrompts::Kind::Input).isEmpty());
    const auto messages = p.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QString("No answer from the meter !"));
    QCOMPARE(messages[0].icon, Prompts::Icon::Critical);
    QVERIFY(messages[0].title.isEmpty());
    QCOMPARE(exchanges(p.settledCommands()), QByteArray("AVAVAV"));
    QCOMPARE(p.state.MeterSamplingSeconds, quint16(4));
    QVERIFY(timersRunning(p));
}

void TestSampling::dialogClosedWithoutOkDoesNothing()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.settledCommands();
    p.meter.sim.clearReceived();
    onSamplingChoice([](SamplingChoice& d) {
        d.findChild<QRadioButton*>("OptPC")->click();
        d.reject(); // the close box or Esc
    });
    p.clickToolbar("Sampling");
    QVERIFY(p.prompts.asked.isEmpty());
    QVERIFY(!p.state.PcSamplingChosen);
    QVERIFY(p.settledCommands().isEmpty());
    QVERIFY(timersRunning(p));
}

QTEST_MAIN(TestSampling)
#include "tst_sampling.moc"
