// The port dialog as a user works it: typing into the real combo box, then Enter or OK, and
// the program's start on what was typed.
#include "AppState.h"
#include "Clock.h"
#include "Fetch.h"
#include "PortDialog.h"
#include "ScriptedPrompts.h"
#include "SimPort.h"
#include "Startup.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

class TestPortDialog : public QObject
{
    Q_OBJECT
private slots:
    void typedTextIsTakenAsTyped_data();
    void typedTextIsTakenAsTyped();
};

void TestPortDialog::typedTextIsTakenAsTyped_data()
{
    QTest::addColumn<QString>("typed");  // "<meter>" stands for the emulator's device
    QTest::addColumn<bool>("enter");     // Enter in the box, or a click on OK
    QTest::addColumn<QString>("device"); // what opens; empty: nothing is chosen
    QTest::newRow("com1, Enter") << "com1" << true << "";
    QTest::newRow("com1, OK") << "com1" << false << "";
    QTest::newRow("com3") << "com3" << true << "";
    QTest::newRow("Com2") << "Com2" << false << "";
    QTest::newRow("COM1") << "COM1" << true << "/dev/ttyS0";
    QTest::newRow("typed device path") << "<meter>" << true << "<meter>";
}

void TestPortDialog::typedTextIsTakenAsTyped()
{
    SimPort meter;
    QVERIFY(meter.sim.open());
    const auto resolve = [&](QString text) {
        return text.replace(QStringLiteral("<meter>"), meter.sim.devicePath());
    };
    AppState state;
    ManualClock clock;
    ScriptedPrompts prompts;
    Startup startup(state, clock, prompts);
    PortDialog dialog;
    QString chosen;
    connect(&dialog, &PortDialog::portChosen, this, [&](const QString& text) {
        chosen = text;
        startup.openMainWindow(text);
    });
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));

    QLineEdit* box = dialog.findChild<QComboBox*>("TxtCOM")->lineEdit();
    box->setFocus();
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    const QString typed = resolve(fetched<QString>("typed"));
    QTest::keyClicks(box, typed);
    if (fetched<bool>("enter"))
        QTest::keyClick(box, Qt::Key_Return);
    else
        QTest::mouseClick(dialog.findChild<QPushButton*>("CmdOK"), Qt::LeftButton);

    QCOMPARE(chosen, typed);
    QVERIFY(!dialog.isVisible());
    const QString device = resolve(fetched<QString>("device"));
    if (device.isEmpty()) {
        QVERIFY(!startup.panel());
        QCOMPARE(prompts.asked.size(), 1);
        QCOMPARE(prompts.asked[0].text, QString("No device available !"));
        QVERIFY2(prompts.asked[0].details.contains("No serial port was chosen"),
                 qPrintable(prompts.asked[0].details));
    } else if (device == meter.sim.devicePath() || startup.panel()) {
        QVERIFY(startup.panel());
        QVERIFY(prompts.asked.isEmpty());
    } else {
        // A machine without that port: the message names the device that was tried.
        QCOMPARE(prompts.asked.size(), 1);
        QVERIFY2(prompts.asked[0].details.contains(device), qPrintable(prompts.asked[0].details));
    }
}

QTEST_MAIN(TestPortDialog)
#include "tst_portdialog.moc"
