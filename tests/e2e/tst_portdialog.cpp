// The port dialog as a user works it: typing into the real combo box, then Enter or OK, and
// the program's start on what was typed; the devices it lists, the port it remembers between
// runs, and how it and the link label show a long device path.
#include "AppState.h"
#include "Clock.h"
#include "ElidedLabel.h"
#include "Fetch.h"
#include "Panel.h"
#include "PortDialog.h"
#include "PortDiscovery.h"
#include "PortMemory.h"
#include "ScriptedPrompts.h"
#include "SimPort.h"
#include "StartOptions.h"
#include "Startup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCommandLineParser>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A USB adapter's stable name, far longer than "COM1".
const QString kLongName = QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

// One start of the program as far as the port: the dialog pre-filled as main() does it,
// then OK on whatever `choose` leaves in the box.
struct StartRun
{
    AppState state;
    ManualClock clock;
    ScriptedPrompts prompts;
    PortMemory memory;
    Startup startup{state, clock, prompts};
    PortDialog dialog;

    StartRun(const QList<SerialDevice>& devices, const QString& passingDevice = {})
    {
        memory.setPassingDevice(passingDevice);
        startup.rememberPortsIn(&memory);
        dialog.setDevices(devices);
        dialog.setPortText(initialPortText({}, {}, memory.lastPort()));
        QObject::connect(&dialog, &PortDialog::portChosen, &startup,
                         [this](const QString& text) { startup.openMainWindow(text); });
    }
    void ok(const QString& text)
    {
        dialog.findChild<QComboBox*>("TxtCOM")->setCurrentText(text);
        QTest::mouseClick(dialog.findChild<QPushButton*>("CmdOK"), Qt::LeftButton);
    }
};

} // namespace

class TestPortDialog : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void typedTextIsTakenAsTyped_data();
    void typedTextIsTakenAsTyped();
    void listsDevicesAfterTheComPorts();
    void remembersTheLastPortThatOpened();
    void commandLinePreFillsTheBox_data();
    void commandLinePreFillsTheBox();
    void longDevicePathShownWhole();

private:
    QTemporaryDir m_settings;
};

// Every case keeps its settings in a folder of its own, never in the user's.
void TestPortDialog::init()
{
    QVERIFY(m_settings.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
    QSettings(QStringLiteral("CellDesk"), QStringLiteral("CellDesk")).clear();
}

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

// The list is built from what the system reports; choosing an entry puts its text in the box.
void TestPortDialog::listsDevicesAfterTheComPorts()
{
    SimPort meter;
    QVERIFY(meter.sim.open());
    StartRun run({{"/dev/ttyUSB0", "FT232R USB UART", "FTDI", {"/dev/serial/by-id/" + kLongName}},
                  {meter.sim.devicePath(), "CellDesk demo meter", "", {}},
                  {"/dev/ttyS1", "16550A", "", {}}});
    auto* combo = run.dialog.findChild<QComboBox*>("TxtCOM");
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    QCOMPARE(items, (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8",
                                 meter.sim.devicePath(), "/dev/ttyUSB0",
                                 "/dev/serial/by-id/" + kLongName}));
    QCOMPARE(combo->itemData(1, Qt::ToolTipRole).toString(), QString("/dev/ttyS1\n16550A"));
    QCOMPARE(combo->itemData(9, Qt::ToolTipRole).toString(),
             QString("/dev/ttyUSB0\nFT232R USB UART\nFTDI"));
    QCOMPARE(run.dialog.portText(), QString("COM1"));
    QCOMPARE(combo->toolTip(), QString("/dev/ttyS0"));

    combo->setCurrentIndex(8);
    QCOMPARE(combo->toolTip(), meter.sim.devicePath() + "\nCellDesk demo meter");
    QTest::mouseClick(run.dialog.findChild<QPushButton*>("CmdOK"), Qt::LeftButton);
    QVERIFY(run.startup.panel());
    QVERIFY(run.prompts.asked.isEmpty());
}

// What opened is offered at the next start; what failed, and the demo meter's passing
// device, are not. A remembered device that has gone is still offered, and fails as usual.
void TestPortDialog::remembersTheLastPortThatOpened()
{
    SimPort meter;
    QVERIFY(meter.linkDir.isValid());
    QVERIFY(meter.sim.open());
    const QString device = meter.sim.devicePath();
    const QString adapter = meter.linkPath(); // the stable name of a USB adapter
    QVERIFY(meter.sim.makeLink(adapter));
    {
        StartRun first({});
        QCOMPARE(first.dialog.portText(), QString("COM1"));
        first.ok(adapter);
        QVERIFY(first.startup.panel());
    }
    {
        StartRun second({});
        QCOMPARE(second.dialog.portText(), adapter);
        second.ok("/dev/ttyCellDeskGone");
        QVERIFY(!second.startup.panel());
        second.ok("com2");
    }
    {
        StartRun third({}, device);
        QCOMPARE(third.dialog.portText(), adapter);
        third.ok(device); // opens, but is a passing device (the demo meter's): not kept
        QVERIFY(third.startup.panel());
    }
    meter.sim.unplug(); // the adapter is gone before the next start
    StartRun fourth({});
    QCOMPARE(fourth.dialog.portText(), adapter);
    fourth.ok(fourth.dialog.portText());
    QVERIFY(!fourth.startup.panel());
    QCOMPARE(fourth.prompts.asked.size(), 1);
    QCOMPARE(fourth.prompts.asked[0].text, QString("No device available !"));
    QVERIFY(fourth.prompts.asked[0].details.contains("does not exist"));
    QCOMPARE(fourth.memory.lastPort(), adapter);
}

void TestPortDialog::commandLinePreFillsTheBox_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("remembered");
    QTest::addColumn<QString>("text");
    const QString demo = QStringLiteral("<demo meter>");
    QTest::newRow("nothing") << QStringList{} << ""
                             << "COM1";
    QTest::newRow("remembered") << QStringList{} << "/dev/ttyUSB1"
                                << "/dev/ttyUSB1";
    QTest::newRow("--port over remembered")
        << QStringList{"--port", "/dev/ttyACM0"} << "/dev/ttyUSB1"
        << "/dev/ttyACM0";
    QTest::newRow("--port=COM3") << QStringList{"--port=COM3"} << ""
                                 << "COM3";
    QTest::newRow("--demo over remembered") << QStringList{"--demo"} << "COM2" << demo;
    QTest::newRow("--port over --demo") << QStringList{"--demo", "--port", "/dev/ttyUSB0"} << ""
                                        << "/dev/ttyUSB0";
}

void TestPortDialog::commandLinePreFillsTheBox()
{
    QCommandLineParser parser;
    describeStartOptions(parser);
    QVERIFY(parser.parse(QStringList{"celldesk"} + fetched<QStringList>("arguments")));
    const StartOptions options = startOptions(parser);
    PortDialog dialog;
    dialog.setPortText(
        initialPortText(options, QStringLiteral("<demo meter>"), fetched<QString>("remembered")));
    QCOMPARE(dialog.portText(), fetched<QString>("text"));
}

// A USB adapter's stable name is shown whole in the port dialog (as the box's text and in the
// list that drops down) and in the link label, there as its last name shortened in the middle,
// with the whole path as its tooltip; "COM1" and "No COM" stay as they are.
void TestPortDialog::longDevicePathShownWhole()
{
    SimPort meter;
    QVERIFY(meter.linkDir.isValid());
    QVERIFY(meter.sim.open());
    const QString path = meter.linkDir.filePath(kLongName);
    QVERIFY(meter.sim.makeLink(path));

    const QString byId = "/dev/serial/by-id/" + kLongName;
    StartRun run({{"/dev/ttyUSB0", "", "", {byId}}});
    run.dialog.setPortText(byId);
    run.dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&run.dialog));
    auto* combo = run.dialog.findChild<QComboBox*>("TxtCOM");
    QVERIFY(combo->lineEdit()->width() >= combo->fontMetrics().horizontalAdvance(byId));
    QVERIFY(combo->view()->minimumWidth() >= combo->fontMetrics().horizontalAdvance(byId));
    QCOMPARE(combo->toolTip(), byId + "\n/dev/ttyUSB0"); // the whole name, and its device
    auto* ok = run.dialog.findChild<QPushButton*>("CmdOK");
    QVERIFY(ok->geometry().left() > combo->geometry().right());
    QVERIFY(run.dialog.rect().contains(ok->geometry()));

    run.ok(path);
    QVERIFY(run.startup.panel());
    auto* label = run.startup.panel()->findChild<ElidedLabel*>("LblCOM");
    QVERIFY(label);
    QCOMPARE(label->text(), path);
    QCOMPARE(label->toolTip(), path);
    const QString shown = label->shownText();
    QVERIFY2(shown.contains(QChar(0x2026)) && shown.startsWith("usb-") && shown.endsWith("0"),
             qPrintable(shown));
    QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->contentsRect().width());

    for (const QString& caption : {QStringLiteral("COM1"), QStringLiteral("No COM")}) {
        label->setText(caption);
        QCOMPARE(label->shownText(), caption);
    }
}

QTEST_MAIN(TestPortDialog)
#include "tst_portdialog.moc"
