// The Cell Grading window end to end on the emulator: opened from the toolbar, it grades a tray
// hands off (rows, verdicts, statistics, histograms, a plan, the printed report and the CSV),
// and its keys: Space, Delete (asked, Cancel first), Enter (measured again, same ID) and a
// scanned ID that is already taken.
#include "CellGrading.h"
#include "CellTray.h"
#include "FrontPanel.h"
#include "GradeHistogram.h"
#include "GradeTable.h"
#include "PackPanel.h"
#include "PrintedPdf.h"
#include "SessionsDialog.h"

#include <QAbstractItemModel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// One steady cell on the display: 3.912 V, 41.23 mOhm in the 40 mOhm range.
SimReading steadyCell(const QString& volts = QStringLiteral("3.912"))
{
    SimReading r;
    r.voltage = volts;
    r.resistance = QStringLiteral("41.23");
    r.rangeCode = 1;
    r.temperature = QStringLiteral("25.0");
    return r;
}

SimReading probesOff()
{
    SimReading r = steadyCell(QStringLiteral("0.000"));
    r.resistance = QStringLiteral(" 0L ");
    return r;
}

QString cellText(CellGrading* w, int row, int column)
{
    return w->table().model()->index(row, column).data().toString();
}

int rows(CellGrading* w)
{
    return w ? w->table().model()->rowCount() : -1;
}

} // namespace

class TestCellGrading : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void gradesATrayHandsOff();
    void resistanceDigits_data();
    void resistanceDigits();
    void keys();
    void fromTheMeter();
    void closingEndsTheReadOfTheSets();
    void sessions();

private:
    CellGrading* open(FrontPanel& p);
    QTemporaryDir m_data;
};

// The cell database lives in a folder of its own, never the user's.
void TestCellGrading::initTestCase()
{
    QVERIFY(m_data.isValid());
    qputenv("XDG_DATA_HOME", m_data.path().toUtf8());
}

CellGrading* TestCellGrading::open(FrontPanel& p)
{
    // The rig's clock is set by hand; here it follows the real one, as the settle time does.
    p.clock.runWithRealTime();
    p.clickToolbar(QStringLiteral("Grade"));
    CellGrading* w = p.controller->grading();
    if (w)
        w->session().open(QString::fromLatin1(QTest::currentTestFunction()));
    return w;
}

void TestCellGrading::gradesATrayHandsOff()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setReading(probesOff());
    QPointer<CellGrading> w = open(p);
    QVERIFY(w);
    QCOMPARE(w->objectName(), QStringLiteral("CellGrading"));
    QVERIFY(QTest::qWaitForWindowExposed(w));
    auto* rMax = w->findChild<QLineEdit*>(QStringLiteral("TxtRMax"));
    rMax->setText(QStringLiteral("60"));
    emit rMax->editingFinished();

    CellTray tray(p.meter.sim, {{"x", 3.912, 0.0412, 25.1},
                                {"y", 4.105, 0.0612, 24.8},
                                {"z", 3.877, 0.0381, 25.3},
                                {"w", 3.950, 0.0457, 25.0}});
    tray.setTiming({.gapMs = 400, .rampMs = 300, .holdMs = 1300, .stepMs = 40});
    tray.start();
    QTRY_COMPARE_WITH_TIMEOUT(rows(w), 4, 20000);
    const QStringList verdicts{"PASS", "FAIL", "PASS", "PASS"};
    for (int r = 0; r < 4; ++r) {
        QCOMPARE(cellText(w, r, 0), QStringLiteral("A%1").arg(r + 1, 4, 10, QLatin1Char('0')));
        QCOMPARE(cellText(w, r, 6), verdicts[r]);
    }
    QVERIFY(cellText(w, 1, 7).startsWith(QStringLiteral("R 61.")));
    QVERIFY(w->findChild<QLabel*>("LblCounts")->text().contains(QStringLiteral("FAIL 1")));
    QCOMPARE(w->findChild<QLabel*>("LblStat_0_1")->text(), QStringLiteral("4"));
    auto* bars = qobject_cast<QCPBars*>(w->findChild<GradeHistogram*>("GraphR")->plottable(0));
    QVERIFY(bars);
    double counted = 0;
    for (auto it = bars->data()->constBegin(); it != bars->data()->constEnd(); ++it)
        counted += it->value;
    QCOMPARE(counted, 4.0);
    // The cells are in the database as they are shown.
    QCOMPARE(w->session().store().cells(w->session().info().key)->size(), 4);

    // A plan of the three passing cells, then the report with it.
    w->findChild<QSpinBox*>("TxtSeries")->setValue(3);
    w->findChild<QSpinBox*>("TxtParallel")->setValue(1);
    QVERIFY(w->pack().buildPlan());
    QTemporaryDir dir;
    const QString pdf = dir.filePath("report.pdf");
    p.prompts.printAnswers << true;
    p.prompts.setUpPrinter = pdfPrinter(pdf);
    w->runToolbarCommand(QStringLiteral("Print"));
    const QString printed = pdfText(pdf);
    for (const char* text :
         {"Cell Grading", "Limits: R max (mOhm) 60", "A0004", "R 61.", "Pack 3S1P", "Group 3"})
        QVERIFY2(printed.contains(QLatin1String(text)), text);
    QCOMPARE(pdfPages(pdf), 1);

    const QString csv = dir.filePath("cells.csv");
    p.prompts.fileAnswers << csv;
    w->runToolbarCommand(QStringLiteral("Export CSV"));
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 5);
    QVERIFY(lines[2].startsWith("A0002,") && lines[2].contains(",FAIL,R 61."));

    // Closed, it takes no more cells.
    w->close();
    QTRY_VERIFY(!w);
}

void TestCellGrading::resistanceDigits_data()
{
    QTest::addColumn<std::optional<double>>("ohms");
    QTest::addColumn<QString>("shown");
    QTest::newRow("3 mOhm range") << std::optional(0.00345) << "3.450";
    QTest::newRow("40 mOhm range") << std::optional(0.0381) << "38.10";
    QTest::newRow("400 mOhm range") << std::optional(0.385) << "385.0";
    QTest::newRow("4 Ohm range") << std::optional(1.234) << "1234";
    QTest::newRow("zero") << std::optional(0.0) << "0.000";
    QTest::newRow("overload") << std::optional<double>() << "OL";
}

// The R column lines up the digits the display shows, whatever the range.
void TestCellGrading::resistanceDigits()
{
    QFETCH(std::optional<double>, ohms);
    QFETCH(QString, shown);
    QCOMPARE(GradeTable::resistanceText(ohms), shown);
}

void TestCellGrading::keys()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setReading(steadyCell());
    CellGrading* w = open(p);
    QVERIFY(w && QTest::qWaitForWindowExposed(w));
    QTRY_COMPARE_WITH_TIMEOUT(rows(w), 1, 10000); // taken as it settled
    QTest::qWait(1500);
    QCOMPARE(rows(w), 1); // held on the probes: still one

    // Space: the present reading at once, and the cell counts as taken.
    w->activateWindow();
    w->table().setFocus();
    QTest::keyClick(&w->table(), Qt::Key_Space);
    QCOMPARE(rows(w), 2);
    QCOMPARE(cellText(w, 1, 0), QStringLiteral("A0002"));

    // Delete asks, Cancel first: the answer Cancel keeps it, OK removes it.
    w->table().selectRow(0);
    QTest::keyClick(&w->table(), Qt::Key_Delete);
    QCOMPARE(p.prompts.of(ScriptedPrompts::Kind::Confirm).size(), 1);
    QCOMPARE(p.prompts.asked.last().defaultButton, Prompts::DefaultButton::Cancel);
    QCOMPARE(rows(w), 2);
    p.prompts.confirmAnswers << true;
    QTest::keyClick(&w->table(), Qt::Key_Delete);
    QCOMPARE(rows(w), 1);
    QCOMPARE(cellText(w, 0, 0), QStringLiteral("A0002"));

    // Enter: the next cell taken replaces the selected one's values and keeps its ID.
    w->table().selectRow(0);
    QTest::keyClick(&w->table(), Qt::Key_Return);
    p.meter.sim.setReading(probesOff());
    QTest::qWait(300);
    p.meter.sim.setReading(steadyCell(QStringLiteral("3.701")));
    QTRY_COMPARE_WITH_TIMEOUT(cellText(w, 0, 2), QStringLiteral("3.701"), 10000);
    QCOMPARE(rows(w), 1);
    QCOMPARE(cellText(w, 0, 0), QStringLiteral("A0002"));

    // A scanned ID the session has is refused; a new one names the next cell.
    auto* id = w->findChild<QLineEdit*>(QStringLiteral("TxtCellId"));
    id->setFocus();
    QTest::keyClicks(id, QStringLiteral("A0002"));
    QTest::keyClick(id, Qt::Key_Return);
    QCOMPARE(p.prompts.asked.last().text, QStringLiteral("Cell A0002 is in this session already."));
    id->clear();
    QTest::keyClicks(id, QStringLiteral("SN-4711"));
    QTest::keyClick(id, Qt::Key_Return);
    p.meter.sim.setReading(probesOff());
    QTest::qWait(300);
    p.meter.sim.setReading(steadyCell(QStringLiteral("4.020")));
    QTRY_COMPARE_WITH_TIMEOUT(rows(w), 2, 10000);
    QCOMPARE(cellText(w, 1, 0), QStringLiteral("SN-4711"));
    QCOMPARE(w->session().nextId(), QStringLiteral("A0003"));
}

// The meter's manual readings become cells; a comparator set read with "W" becomes the limits.
void TestCellGrading::fromTheMeter()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setReading(probesOff());
    CellGrading* w = open(p);
    QVERIFY(w && QTest::qWaitForWindowExposed(w));
    const int manual = p.meter.sim.manualCount();
    QVERIFY(manual > 0);
    w->findChild<QPushButton*>(QStringLiteral("CmdImport"))->click();
    QCOMPARE(rows(w), manual);
    QCOMPARE(cellText(w, manual - 1, 0),
             QStringLiteral("A%1").arg(manual, 4, 10, QLatin1Char('0')));
    QVERIFY(!p.state.longReadRunning());

    // Set 7: resistance 060.0 mOhm high, 045.0 mOhm low; voltage 4.200 high, 3.600 low.
    p.meter.sim.setComparatorEntry(7, QByteArray::fromHex("CC110600045042003600"));
    p.prompts.inputAnswers << QStringLiteral("7");
    w->findChild<QPushButton*>(QStringLiteral("CmdComparator"))->click();
    const QStringList editors{"TxtVMin", "TxtVMax", "TxtRMax", "TxtRWarn"};
    const QStringList shown{"3.6", "4.2", "60", "45"};
    for (int k = 0; k < editors.size(); ++k)
        QCOMPARE(w->findChild<QLineEdit*>(editors[k])->text(), shown[k]);
    QCOMPARE(w->session().info().limitsSource, QStringLiteral("comparator set 7"));
    QVERIFY(!p.state.longReadRunning());
}

// Closed while its read of the comparator sets waits, the window ends the read without a word.
void TestCellGrading::closingEndsTheReadOfTheSets()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setReading(probesOff());
    QPointer<CellGrading> w = open(p);
    QVERIFY(w && QTest::qWaitForWindowExposed(w));
    p.meter.sim.muteAnswers("W");
    connect(&p.meter.sim, &MeterSim::commandReceived, w, [&](char c) {
        if (c == 'W')
            QTimer::singleShot(200, w, [&] { w->close(); });
    });
    p.prompts.inputAnswers << QStringLiteral("7");
    w->findChild<QPushButton*>(QStringLiteral("CmdComparator"))->click();
    QTRY_VERIFY(!w);
    for (const ScriptedPrompts::Asked& asked : p.prompts.asked)
        QVERIFY2(asked.kind != ScriptedPrompts::Kind::Message, qPrintable(asked.text));
    QVERIFY(!p.state.longReadRunning());
}

// The sessions: a new one is opened, a rename to a name in use is refused, the one open in the
// window cannot be deleted, another is deleted only after a question whose default is Cancel.
void TestCellGrading::sessions()
{
    QTemporaryDir dir;
    CellStore store;
    QVERIFY(store.open(dir.filePath("cells.sqlite")));
    ManualClock clock;
    ScriptedPrompts prompts;
    GradeSession first;
    first.name = "tray 1";
    first.created = clock.now();
    QVERIFY(store.createSession(first));
    const auto names = [&] {
        QStringList out;
        const auto sessions = store.sessions();
        for (const GradeSession& s : *sessions)
            out << s.name;
        return out;
    };

    SessionsDialog dialog(store, prompts, clock, first.key);
    prompts.inputAnswers << "tray 2";
    dialog.newSession();
    QVERIFY(dialog.chosen() != 0 && dialog.chosen() != first.key);
    QCOMPARE(names(), (QStringList{"tray 2", "tray 1"}));

    SessionsDialog again(store, prompts, clock, dialog.chosen());
    auto* table = again.findChild<QTableWidget*>(QStringLiteral("GridSessions"));
    table->selectRow(1); // tray 1
    prompts.inputAnswers << "tray 2";
    again.renameSelected();
    QCOMPARE(prompts.asked.last().text, QStringLiteral("a session named tray 2 exists already"));
    table->selectRow(0); // tray 2, open in the window
    again.deleteSelected();
    QVERIFY(prompts.of(ScriptedPrompts::Kind::Confirm).isEmpty());
    QCOMPARE(names().size(), 2);
    table->selectRow(1);
    again.deleteSelected(); // Cancel
    QCOMPARE(prompts.asked.last().defaultButton, Prompts::DefaultButton::Cancel);
    QCOMPARE(names().size(), 2);
    prompts.confirmAnswers << true;
    again.deleteSelected();
    QCOMPARE(names(), QStringList{"tray 2"});
}

QTEST_MAIN(TestCellGrading)
#include "tst_cellgrading.moc"
