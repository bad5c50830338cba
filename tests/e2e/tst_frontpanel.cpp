// The main window end to end: the real window (offscreen, controls found by name), the real
// serial port, and the meter emulator on a pseudo-terminal.
#include "Fetch.h"
#include "FrontPanel.h"
#include "HelpWindow.h"
#include "LcdScreen.h"
#include "Startup.h"

#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>

class TestFrontPanel : public QObject
{
    Q_OBJECT
private slots:
    void startupRefusesUnusablePorts_data();
    void startupRefusesUnusablePorts();
    void cellsMirrorTheMeter();
    void rangeCodeTwoClearsPictures();
    void editedCellBlinks();
    void keysSendTheirCommands_data();
    void keysSendTheirCommands();
    void holdEndsAtTheRelease_data();
    void holdEndsAtTheRelease();
    void rangeButtonAndCaption();
    void eraseAsksFirst_data();
    void eraseAsksFirst();
    void openRefusedWhileRecording();
    void noComBlinksAfterSilenceAndRecovers();
    void menuOpensHelpAndAbout();
};

void TestFrontPanel::startupRefusesUnusablePorts_data()
{
    QTest::addColumn<QString>("portText");
    QTest::addColumn<QString>("why");
    QTest::newRow("lower case com3 chooses nothing") << "com3"
                                                     << "No serial port was chosen";
    QTest::newRow("missing device") << "/dev/celldesk-no-such-port"
                                    << "does not exist";
}

void TestFrontPanel::startupRefusesUnusablePorts()
{
    AppState state;
    ManualClock clock;
    ScriptedPrompts prompts;
    Startup startup(state, clock, prompts);
    QVERIFY(!startup.openMainWindow(fetched<QString>("portText")));
    QVERIFY(!startup.panel());
    QCOMPARE(prompts.asked.size(), 1);
    QCOMPARE(prompts.asked[0].text, QString("No device available !"));
    QVERIFY2(prompts.asked[0].details.contains(fetched<QString>("why")),
             qPrintable(prompts.asked[0].details));
}

void TestFrontPanel::cellsMirrorTheMeter()
{
    FrontPanel p;
    QVERIFY(p.start());
    QCOMPARE(p.text("LblCOM"), QString("COM1"));
    SimReading r;
    r.voltage = "-1.234";
    r.resistance = "03.45";
    r.resistanceMinus = true;
    r.outCap = "12.34";
    r.capMilli = {false, true, false};
    r.tempUnit = SimReading::TempUnit::Fahrenheit;
    r.rangeCode = 1;
    p.meter.sim.setReading(r);
    QTRY_COMPARE(p.text("LblV"), QString("-1.234"));
    QCOMPARE(p.text("HighO_1"), QString("1"));
    QCOMPARE(p.text("HighO_4"), QString("4"));
    QVERIFY(p.shown("HighONeg"));
    QVERIFY(p.shown("HighODec_1") && !p.shown("HighODec_2"));
    QCOMPARE(p.text("LblOhm"), QString("03.45")); // no sign on resistance
    QVERIFY(p.shown("LowONeg"));
    QCOMPARE(p.text("LblmAh_1"), QString("12.34"));
    QVERIFY(p.shown("Lcdm_1") && !p.shown("Lcdm_0"));
    QVERIFY(p.shown("UnitF") && !p.shown("UnitC"));
    QCOMPARE(p.state.reading.TempUnitText, QString("Fahrenheih"));
    QVERIFY(p.shown("RS_2"));
    r.rangeCode = 4;
    p.meter.sim.setReading(r);
    QTRY_VERIFY(p.shown("RS_1"));
    QVERIFY(!p.shown("RS_2"));
    QCOMPARE(p.state.reading.RangeText, QString("4 mOhm"));
}

void TestFrontPanel::rangeCodeTwoClearsPictures()
{
    FrontPanel p;
    QVERIFY(p.start());
    SimReading r;
    r.rangeCode = 1;
    p.meter.sim.setReading(r);
    QTRY_VERIFY(p.shown("RS_2"));
    r.rangeCode = 2;
    p.meter.sim.setReading(r);
    QTRY_VERIFY(!p.shown("RS_2"));
    for (int k = 0; k < 7; ++k)
        QVERIFY(!p.shown(QString("RS_%1").arg(k)));
    QCOMPARE(p.state.reading.RangeText, QString("40 mOhm"));
}

void TestFrontPanel::editedCellBlinks()
{
    FrontPanel p;
    QVERIFY(p.start());
    SimReading r;
    r.functionCode = 0;
    r.blinkSelector = 5; // the second resistance digit is being edited
    p.meter.sim.setReading(r);
    QTRY_VERIFY(!p.shown("LowO_2"));
    QTRY_VERIFY(p.shown("LowO_2"));
    QTRY_VERIFY(!p.shown("LowO_2"));
    QVERIFY(p.shown("LowO_1"));
}

void TestFrontPanel::keysSendTheirCommands_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("heldMs");
    QTest::addColumn<char>("command");
    QTest::newRow("arrow 0 brief") << "CmdArrow_0" << 2000 << 'E';
    QTest::newRow("arrow 0 3 s") << "CmdArrow_0" << 3000 << 'K';
    QTest::newRow("arrow 0 exactly 5 s") << "CmdArrow_0" << 5000 << 'K';
    QTest::newRow("arrow 0 6 s") << "CmdArrow_0" << 6000 << 'L';
    QTest::newRow("arrow 1 long") << "CmdArrow_1" << 2001 << 'J';
    QTest::newRow("arrow 2 long") << "CmdArrow_2" << 9000 << '\\';
    QTest::newRow("arrow 3 any") << "CmdArrow_3" << 7000 << 'B';
    QTest::newRow("grey 0 very long") << "CmdGray_0" << 5001 << '[';
    QTest::newRow("grey 0 long") << "CmdGray_0" << 2500 << 'O';
    QTest::newRow("grey 1 brief") << "CmdGray_1" << 0 << 'G';
    QTest::newRow("grey 2 long") << "CmdGray_2" << 3000 << 'X';
}

void TestFrontPanel::keysSendTheirCommands()
{
    FrontPanel p;
    QVERIFY(p.start());
    QWidget* key = p.find(fetched<QString>("key"));
    QVERIFY(key);
    p.settledCommands();
    p.meter.sim.clearReceived();
    QTest::mousePress(key, Qt::LeftButton);
    p.clock.advanceMs(fetched<int>("heldMs"));
    QTest::mouseRelease(key, Qt::LeftButton);
    QCOMPARE(p.settledExchanges(), QByteArray("A") + fetched<char>("command"));
}

void TestFrontPanel::holdEndsAtTheRelease_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("heldMs");
    QTest::addColumn<int>("exchangeMs"); // how long the status exchange after the release takes
    QTest::addColumn<char>("command");
    QTest::newRow("click, exchange as long as a lost link") << "CmdArrow_0" << 100 << 8000 << 'E';
    QTest::newRow("click, slow exchange") << "CmdGray_0" << 0 << 2500 << 'H';
    QTest::newRow("held 3 s, slow exchange") << "CmdArrow_0" << 3000 << 4000 << 'K';
    QTest::newRow("held 6 s, quick exchange") << "CmdGray_2" << 6000 << 0 << 'X';
}

// The time the status exchange takes after the release is not the user's: a click whose
// exchange ended in a wait for the meter is still a click.
void TestFrontPanel::holdEndsAtTheRelease()
{
    FrontPanel p;
    QVERIFY(p.start());
    QWidget* key = p.find(fetched<QString>("key"));
    p.settledCommands();
    p.meter.sim.clearReceived();
    QTest::mousePress(key, Qt::LeftButton);
    p.clock.advanceMs(fetched<int>("heldMs"));
    // Runs inside the exchange's first wait.
    QTimer::singleShot(0, this, [&p] { p.clock.advanceMs(fetched<int>("exchangeMs")); });
    QTest::mouseRelease(key, Qt::LeftButton);
    QCOMPARE(p.settledExchanges(), QByteArray("A") + fetched<char>("command"));
}

void TestFrontPanel::rangeButtonAndCaption()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setStreaming(false); // frames would redraw the range pictures
    auto* range = p.find<QPushButton>("CmdRange");
    for (int click = 0; click < 9; ++click)
        range->click();
    QVERIFY(p.shown("RS_4")); // clicks show 0 1 2 3 4 5 6 5 4
    QCOMPARE(p.window.windowTitle(), QString("Panel   V7.1"));
    QTest::mouseClick(p.find("LblCOM"), Qt::LeftButton);
    QCOMPARE(p.window.windowTitle(), QString("Panel   V7.1   970410"));
    QTest::mouseClick(p.find("LblCOM"), Qt::LeftButton);
    QCOMPARE(p.window.windowTitle(), QString("Panel   V7.1"));
}

void TestFrontPanel::eraseAsksFirst_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QByteArray>("sent");
    QTest::newRow("OK: status exchange, then Y") << true << QByteArray("AY");
    QTest::newRow("Cancel: nothing") << false << QByteArray();
}

void TestFrontPanel::eraseAsksFirst()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.settledCommands();
    p.meter.sim.clearReceived();
    p.prompts.confirmAnswers = {fetched<bool>("ok")};
    p.clickToolbar("Erase");
    QCOMPARE(p.settledExchanges(), fetched<QByteArray>("sent"));
    QCOMPARE(p.prompts.asked.size(), 1);
    QCOMPARE(p.prompts.asked[0].text,
             QString("All the automatically recorded data in memory will be deleted!"));
    QCOMPARE(p.prompts.asked[0].icon, Prompts::Icon::Exclamation);
}

void TestFrontPanel::openRefusedWhileRecording()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.state.FileRecording = true;
    p.clickToolbar("Open");
    QCOMPARE(p.prompts.asked.size(), 1);
    QCOMPARE(p.prompts.asked[0].text, QString("Recording Mode!\n\rPlease stop recording!"));
    QCOMPARE(p.prompts.asked[0].icon, Prompts::Icon::Critical);
    QVERIFY(p.prompts.asked[0].title.isEmpty());
    QVERIFY(p.state.FileRecording);
    p.clickToolbar("StopRec"); // no command
    p.clickToolbar("erase");   // keys are case-sensitive
    QCOMPARE(p.prompts.asked.size(), 1);
}

void TestFrontPanel::noComBlinksAfterSilenceAndRecovers()
{
    FrontPanel p;
    QVERIFY(p.start());
    QTRY_VERIFY(p.state.reading.valueTexts[0] == "12.60");
    // The link-lost wait runs inside a poll tick, so the label is watched from its blink
    // steps; after a few of them the meter sends again.
    // Meanwhile the LCD shows its last reading in the unlit segments' tone: a word in that tone,
    // a digit not at all over its unlit 8.
    const auto ink = [&p](const char* cell) {
        return p.find(cell)->palette().color(QPalette::WindowText);
    };
    QCOMPARE(ink("LcdInCap"), LcdScreen::inkColor());
    QStringList texts;
    QList<bool> shown;
    QList<QColor> words;
    QList<QColor> digits;
    connect(&p.controller->session().link(), &MeterLink::blinkStep, this, [&] {
        texts << p.text("LblCOM");
        shown << p.shown("LblCOM");
        words << ink("LcdInCap");
        digits << ink("HighV_2");
        if (shown.size() == 4)
            p.meter.sim.setFault(MeterSim::Fault::None);
    });
    p.meter.sim.setFault(MeterSim::Fault::Silent);
    QTRY_VERIFY_WITH_TIMEOUT(shown.size() >= 4 && p.text("LblCOM") == "COM1", 20000);
    QVERIFY(p.shown("LblCOM"));
    QCOMPARE(texts.first(), QString("No COM"));
    QVERIFY(shown.contains(true) && shown.contains(false));
    QCOMPARE(words.first(), LcdScreen::unlitColor());
    QCOMPARE(digits.first().alpha(), 0);
    // The first frame after the silence brings the reading back.
    QTRY_COMPARE(ink("LcdInCap"), LcdScreen::inkColor());
    QCOMPARE(ink("HighV_2"), LcdScreen::inkColor());
}

// The panel's menu: About tells the licence and the libraries; Help and Keyboard shortcuts
// open one guide window, at its start or at the shortcuts.
void TestFrontPanel::menuOpensHelpAndAbout()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.find<QAction>("MenuAbout")->trigger();
    const auto told = p.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(told.size(), 1);
    QCOMPARE(told[0].title, QString("About CellDesk"));
    QCOMPARE(told[0].icon, Prompts::Icon::Information);
    for (const char* part : {"GPL-3.0-or-later", "Qt 6.", "QCustomPlot 2.1", "DSEG7"})
        QVERIFY2(told[0].text.contains(part), part);

    p.find<QAction>("MenuShortcuts")->trigger();
    auto* help = p.find<HelpWindow>("Help");
    QVERIFY(help && help->isVisible());
    QVERIFY(help->browser()->verticalScrollBar()->value() > 0);
    p.find<QAction>("MenuHelp")->trigger();
    QCOMPARE(p.window.findChildren<HelpWindow*>().size(), 1);
    QCOMPARE(help->browser()->verticalScrollBar()->value(), 0);
}

QTEST_MAIN(TestFrontPanel)
#include "tst_frontpanel.moc"
