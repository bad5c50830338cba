// The comparator window end to end: "COMP" reads the emulator's table over the pty, a row
// loads the editors, Update writes the set back; and the reads that fail or are cut short.
#include "Comparator.h"
#include "Fetch.h"
#include "FrontPanel.h"
#include "SimMemory.h"

#include "GridView.h"
#include "TextGrid.h"
#include <QButtonGroup>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>

#include <QHeaderView>
#include <QTest>

#include <functional>
#include <memory>
#include <utility>

namespace {

Comparator* comparatorWindow(const FrontPanel& p)
{
    return p.window.findChild<Comparator*>(QStringLiteral("Comparator"));
}

GridView* grid(Comparator* w)
{
    return w->findChild<GridView*>(QStringLiteral("Grid"));
}

QStringList rowTexts(Comparator* w, int set)
{
    QStringList texts;
    for (int c = 0; c < 5; ++c)
        texts.append(grid(w)->grid()->cell(set, c));
    return texts;
}

// Reads the table and waits until the window shows it.
Comparator* readTable(FrontPanel& p)
{
    p.settledCommands();
    p.meter.sim.clearReceived();
    p.clickToolbar(QStringLiteral("COMP"));
    Comparator* w = comparatorWindow(p);
    if (w && w->windowTitle() != QLatin1String("Comparator"))
        return nullptr;
    return w;
}

void clickRow(Comparator* w, int set)
{
    GridView* g = grid(w);
    g->scrollTo(g->grid()->index(set - 1, 0));
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                      g->visualRect(g->grid()->index(set - 1, 1)).center());
}

void choose(Comparator* w, const QString& list, const QString& text)
{
    auto* box = w->findChild<QComboBox*>(list);
    box->setCurrentIndex(box->findText(text));
}

QString listed(Comparator* w, const QString& prefix)
{
    QString digits;
    for (int k = 1; k <= 4; ++k)
        digits += w->findChild<QComboBox*>(prefix + '_' + QString::number(k))->currentText();
    return digits;
}

bool timersRun(FrontPanel& p)
{
    PollTimers& t = p.controller->session().timers();
    return t.poll().isActive() && t.keepAlive().isActive();
}

// What the meter received after the status exchange: "R" and its parameter bytes.
QByteArray afterStatus(const QByteArray& received)
{
    return received.mid(received.indexOf('R'));
}

// What every editor shows: the digits and units chosen, the decimal options checked.
QStringList editorTexts(Comparator* w)
{
    QStringList texts;
    for (const QComboBox* box : w->findChildren<QComboBox*>())
        texts.append(box->objectName() + '=' + box->currentText());
    for (const QRadioButton* option : w->findChildren<QRadioButton*>())
        texts.append(option->objectName() + (option->isChecked() ? "+" : "-"));
    return texts;
}

QStringList gridTexts(Comparator* w)
{
    QStringList texts;
    for (int set = 1; set < grid(w)->grid()->rows(); ++set)
        texts.append(rowTexts(w, set).join('\t'));
    return texts;
}

using Busy = std::function<void(FrontPanel&)>;
using Fault = std::function<void(FrontPanel&)>;

} // namespace

Q_DECLARE_METATYPE(Busy)

class TestComparator : public QObject
{
    Q_OBJECT
private slots:
    void readShowsProgressThenTheSets();
    void gridLayout();
    void updateSendsTheEditedSet_data();
    void updateSendsTheEditedSet();
    void updateRewritesTheSetItSent();
    void clicksOutsideASetChangeNothing();
    void nonDigitsAreNotSent();
    void nothingElseTalksDuringARead_data();
    void nothingElseTalksDuringARead();
    void failedReadsChangeNothing_data();
    void failedReadsChangeNothing();
    void closingDuringTheReadEndsIt();
};

void TestComparator::readShowsProgressThenTheSets()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setPaced(true);
    QStringList captions;
    bool frozenDuringRead = false;
    p.settledCommands();
    p.meter.sim.clearReceived();
    connect(&p.meter.sim, &MeterSim::commandReceived, this, [&](char c) {
        if (c == 'W') {
            frozenDuringRead = p.state.DisplayFrozen && p.state.ComparatorBusy &&
                               !p.controller->session().timers().poll().isActive();
            connect(comparatorWindow(p), &QWidget::windowTitleChanged, this,
                    [&](const QString& t) { captions.append(t); });
        }
    });
    p.clickToolbar(QStringLiteral("COMP"));
    Comparator* w = comparatorWindow(p);
    QVERIFY(w && w->isVisible());
    QVERIFY(frozenDuringRead);
    QVERIFY2(captions.size() >= 4, qPrintable(captions.join('|')));
    QVERIFY(captions.first().endsWith("% Completed"));
    QCOMPARE(captions.at(captions.size() - 2), QString("100.0% Completed"));
    QCOMPARE(captions.last(), QString("Comparator"));
    QCOMPARE(p.settledExchanges(), QByteArray("AW"));

    QCOMPARE(grid(w)->grid()->rows(), 100);
    QCOMPARE(rowTexts(w, 1),
             (QStringList{"1", "01.25 / 40 mOhm", "00.20 / 40 mOhm", "12.05", "10.02"}));
    QCOMPARE(rowTexts(w, 10),
             (QStringList{"10", "0.500 / 4 Ohm", "0.020 / 4 Ohm", "4.200", "3.000"}));
    QCOMPARE(rowTexts(w, 99).first(), QString("99"));
    QCOMPARE(p.state.ComparatorTable[99],
             QString::fromLatin1(p.meter.sim.comparatorEntry(99).toHex().toUpper()));
    QVERIFY(!p.state.DisplayFrozen && !p.state.ComparatorBusy);
    QVERIFY(timersRun(p));
    // Set 1 is loaded, so Update at once writes it as read.
    QCOMPARE(w->selectedSet(), 1);
    QCOMPARE(listed(w, "HighO"), QString("0125"));
    QCOMPARE(listed(w, "LowV"), QString("1002"));
    QVERIFY(w->findChild<QPushButton*>("CmdUpdate")->isEnabled());
}

void TestComparator::gridLayout()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.clickToolbar(QStringLiteral("COMP"));
    Comparator* w = comparatorWindow(p);
    GridView* g = grid(w);
    const QList<int> widthChars{5, 17, 17, 16, 16};
    const QStringList headers{"No.s", "Ohm-H", "Ohm-L", "V-H", "V-L"};
    for (int c = 0; c < 5; ++c) {
        QCOMPARE(g->grid()->cell(0, c), headers[c]);
        QCOMPARE(g->model()->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), headers[c]);
        QCOMPARE(g->columnWidth(c),
                 g->fontMetrics().horizontalAdvance(QString(widthChars[c], 'A')) +
                     g->cellPadding());
    }
    QCOMPARE(w->findChild<QLabel*>("LblMessage")->text(),
             QString("Select a set of the above comparaor data and complete the following "
                     "settings then press update to confirm."));
    QStringList units;
    for (int i = 0; i < 2; ++i)
        units.append(w->findChild<QComboBox*>("HOhmUnit")->itemText(i));
    QCOMPARE(units, (QStringList{" Ohm", " mOhm"}));
    QCOMPARE(w->findChild<QComboBox*>("LowV_4")->count(), 10);
    QVERIFY(w->findChild<QRadioButton*>("LODec_3") && w->findChild<QRadioButton*>("LVDec_2"));
    QVERIFY(!w->findChild<QRadioButton*>("LVDec_3"));
}

void TestComparator::updateSendsTheEditedSet_data()
{
    QTest::addColumn<int>("set");
    QTest::addColumn<std::function<void(Comparator*)>>("edit");
    QTest::addColumn<QByteArray>("message");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QStringList>("row");
    using Edit = std::function<void(Comparator*)>;
    QTest::newRow("set 5 as read")
        << 5 << Edit([](Comparator*) {}) << QByteArray::fromHex("520123005075001000A11205")
        << "A1120123005075001000"
        << QStringList{"5", "01.23 / 40 mOhm", "0.050 / 4 Ohm", "7.500", "10.00"};
    QTest::newRow("voltage 7500 with XX.XX clamped")
        << 5 << Edit([](Comparator* w) { w->findChild<QRadioButton*>("HVDec_2")->click(); })
        << QByteArray::fromHex("520123005060001000A12205") << "A1220123005060001000"
        << QStringList{"5", "01.23 / 40 mOhm", "0.050 / 4 Ohm", "60.00", "10.00"};
    QTest::newRow("digits and unit changed")
        << 5 << Edit([](Comparator* w) {
               choose(w, "HighO_1", "9");
               choose(w, "LOhmUnit", " mOhm");
           })
        << QByteArray::fromHex("529123005075001000A91205") << "A9129123005075001000"
        << QStringList{"5", "91.23 / 40 mOhm", "0.050 / 4 mOhm", "7.500", "10.00"};
}

void TestComparator::updateSendsTheEditedSet()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setComparatorEntry(5, QByteArray::fromHex("A1120123005075001000"));
    Comparator* w = readTable(p);
    QVERIFY(w);
    clickRow(w, fetched<int>("set"));
    QCOMPARE(w->selectedSet(), fetched<int>("set"));
    fetched<std::function<void(Comparator*)>>("edit")(w);
    p.settledCommands();
    p.meter.sim.clearReceived();
    w->findChild<QPushButton*>("CmdUpdate")->click();
    QTRY_COMPARE(afterStatus(p.meter.sim.received()).toHex(),
                 fetched<QByteArray>("message").toHex());
    QCOMPARE(p.settledCommands().count('A') + 12, p.meter.sim.received().size());
    QCOMPARE(p.state.ComparatorTable[5], fetched<QString>("entry"));
    QCOMPARE(rowTexts(w, 5), fetched<QStringList>("row"));
    QCOMPARE(QString::fromLatin1(p.meter.sim.comparatorEntry(5).toHex().toUpper()),
             fetched<QString>("entry"));
    QCOMPARE(listed(w, "HighV").left(1), fetched<QStringList>("row").at(3).left(1)); // clamp shown
    QVERIFY(timersRun(p));
}

// The current row moved by the keyboard does not load a set; Update writes the set it has.
void TestComparator::updateRewritesTheSetItSent()
{
    FrontPanel p;
    QVERIFY(p.start());
    Comparator* w = readTable(p);
    QVERIFY(w);
    const QStringList row8 = rowTexts(w, 8);
    clickRow(w, 3);
    choose(w, "HighO_1", "9");
    grid(w)->setFocus();
    for (int i = 0; i < 5; ++i)
        QTest::keyClick(grid(w), Qt::Key_Down);
    QCOMPARE(grid(w)->currentRow(), 8);
    w->findChild<QPushButton*>("CmdUpdate")->click();
    QTRY_VERIFY(p.meter.sim.received().contains('R'));
    QCOMPARE(p.settledCommands().right(1), QByteArray("R"));
    QCOMPARE(afterStatus(p.meter.sim.received()).back(), '\x03');
    QVERIFY(rowTexts(w, 3).at(1).startsWith("9"));
    QCOMPARE(rowTexts(w, 8), row8);
}

void TestComparator::clicksOutsideASetChangeNothing()
{
    FrontPanel p;
    QVERIFY(p.start());
    Comparator* w = readTable(p);
    QVERIFY(w);
    clickRow(w, 2);
    const QString loaded = listed(w, "HighO");
    GridView* g = grid(w);
    // The header, a row numbered outside 1..99, a row with a damaged entry, empty space.
    QTest::mouseClick(g->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(g->columnWidth(0) + 5, 5));
    g->grid()->setCell(4, 0, "100");
    clickRow(w, 4);
    p.state.ComparatorTable[5] = "A112";
    clickRow(w, 5);
    QStringList firstSix; // leaves empty space below the rows
    for (int row = 1; row <= 6; ++row) {
        QStringList cells;
        for (int c = 0; c < 5; ++c)
            cells.append(g->grid()->cell(row, c));
        firstSix.append(cells.join('\t'));
    }
    g->grid()->clearRecords();
    g->grid()->appendRows(firstSix);
    QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, QPoint(20, g->viewport()->height() - 3));
    QCOMPARE(w->selectedSet(), 2);
    QCOMPARE(listed(w, "HighO"), loaded);
}

// A set with nibbles that are no digits leaves lists empty; Update then says so and sends
// nothing rather than writing those nibbles into the meter.
void TestComparator::nonDigitsAreNotSent()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setComparatorEntry(7, QByteArray::fromHex("2222FA12000000000000"));
    Comparator* w = readTable(p);
    QVERIFY(w);
    clickRow(w, 7);
    QCOMPARE(w->findChild<QComboBox*>("HighO_1")->currentIndex(), -1);
    QCOMPARE(listed(w, "HighO"), QString("12"));
    p.settledCommands();
    p.meter.sim.clearReceived();
    w->findChild<QPushButton*>("CmdUpdate")->click();
    QCOMPARE(p.prompts.asked.size(), 1);
    QCOMPARE(p.prompts.asked[0].icon, Prompts::Icon::Exclamation);
    QVERIFY(p.prompts.asked[0].text.contains("Set 7"));
    QCOMPARE(p.settledCommands(), QByteArray());
    choose(w, "HighO_1", "0");
    choose(w, "HighO_2", "0");
    w->findChild<QPushButton*>("CmdUpdate")->click();
    QTRY_VERIFY(p.meter.sim.received().contains('R'));
    QCOMPARE(p.state.ComparatorTable[7], QString("22220012000000000000"));
}

void TestComparator::nothingElseTalksDuringARead_data()
{
    QTest::addColumn<Busy>("meanwhile");
    QTest::newRow("COMP again") << Busy([](FrontPanel& p) { p.clickToolbar("COMP"); });
    QTest::newRow("TimeSet") << Busy([](FrontPanel& p) { p.clickToolbar("TimeSet"); });
    QTest::newRow("a key") << Busy(
        [](FrontPanel& p) { QTest::mouseClick(p.find("CmdGray_1"), Qt::LeftButton); });
}

void TestComparator::nothingElseTalksDuringARead()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.setPaced(true);
    bool done = false;
    connect(&p.meter.sim, &MeterSim::commandReceived, this, [&](char c) {
        if (c == 'W' && !done) {
            done = true;
            QTimer::singleShot(100, this, [&] { fetched<Busy>("meanwhile")(p); });
        }
    });
    QVERIFY(readTable(p));
    QVERIFY(done);
    QCOMPARE(p.settledExchanges(), QByteArray("AW"));
    const QByteArray read = p.meter.sim.commands();
    QVERIFY(!p.window.findChild<QDialog*>("RTCSetup"));
    // Once visible, COMP does nothing either.
    p.clickToolbar("COMP");
    QCOMPARE(p.settledCommands(), read);
}

// A read that brings no whole table says so and leaves the sets, the grid and the editors as
// they were, whether it is the first read or a later one; "COMP" then tries again.
void TestComparator::failedReadsChangeNothing_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<bool>("readBefore");
    QTest::addColumn<QString>("message"); // or how it starts
    // The meter breaks off after 500 bytes, and its display stays dark for a while.
    QTest::newRow("cut at 500, the meter hangs")
        << Fault([](FrontPanel& p) { p.meter.sim.cutAnswer('W', 500); }) << false
        << "The comparator table did not arrive (500 of 992 bytes).";
    // A meter that ignores "W" goes on with its display: frames are no table.
    QTest::newRow("W unanswered, frames go on")
        << Fault([](FrontPanel& p) { p.meter.sim.muteAnswers("W"); }) << true
        << "The comparator table did not arrive (0 of 992 bytes).";
    QTest::newRow("cut at 500, then frames")
        << Fault([](FrontPanel& p) { p.meter.sim.cutAnswer('W', 500, MeterSim::AfterCut::Frames); })
        << true << "The comparator table did not arrive (500 of 992 bytes).";
    // Pulled out 0.15 s into the answer and plugged in 0.3 s later: what the meter sends on
    // the reopened port is its display, not the rest of the table.
    QTest::newRow("unplugged during the answer, plugged in again") << Fault([](FrontPanel& p) {
        p.meter.sim.setPaced(true);
        auto pulled = std::make_shared<bool>(false); // once: the next read goes through
        QObject::connect(&p.meter.sim, &MeterSim::commandReceived, &p.window, [&p, pulled](char c) {
            if (c != 'W' || std::exchange(*pulled, true))
                return;
            QTimer::singleShot(150, &p.window, [&p] {
                p.meter.sim.unplug();
                QTimer::singleShot(300, &p.window, [&p] { p.meter.sim.replug(); });
            });
        });
    }) << true << "The comparator table did not arrive (";
}

void TestComparator::failedReadsChangeNothing()
{
    FrontPanel p;
    QVERIFY(p.start(true));
    const bool readBefore = fetched<bool>("readBefore");
    Comparator* w = nullptr; // made by the first "COMP"
    if (readBefore) {
        w = readTable(p);
        QVERIFY(w);
        clickRow(w, 3);
        choose(w, "HighO_1", "9");
        w->close();
    }
    const ComparatorTexts table = p.state.ComparatorTable;
    const QStringList rows = w ? gridTexts(w) : QStringList();
    const QStringList editors = w ? editorTexts(w) : QStringList();
    const int selected = w ? w->selectedSet() : 0;

    fetched<Fault>("fault")(p);
    p.clickToolbar(QStringLiteral("COMP"));
    w = comparatorWindow(p);
    QVERIFY(w);
    QCOMPARE(p.prompts.asked.size(), 1);
    QVERIFY2(p.prompts.asked[0].text.startsWith(fetched<QString>("message")),
             qPrintable(p.prompts.asked[0].text));
    QCOMPARE(p.prompts.asked[0].icon, Prompts::Icon::Exclamation);
    QVERIFY(!w->isVisible());
    QCOMPARE(w->windowTitle(), QString("Comparator"));
    QVERIFY(!p.state.DisplayFrozen && !p.state.ComparatorBusy);
    QVERIFY(timersRun(p));
    // Nothing decoded from what came: sets, grid and editors as they were.
    QVERIFY(p.state.ComparatorTable == table);
    QCOMPARE(gridTexts(w), rows);
    if (readBefore)
        QCOMPARE(editorTexts(w), editors);
    QCOMPARE(w->selectedSet(), selected);
    QCOMPARE(w->findChild<QPushButton*>("CmdUpdate")->isEnabled(), readBefore);
    // "COMP" tries again once the meter answers and the link is up.
    p.meter.sim.clearAnswerShapes();
    QTRY_VERIFY_WITH_TIMEOUT(p.meter.port.isOpen() && p.text("LblCOM") == "COM1", 5000);
    p.prompts.asked.clear();
    QVERIFY(readTable(p));
    QVERIFY(p.prompts.asked.isEmpty());
    QCOMPARE(grid(w)->grid()->rows(), 100);
}

void TestComparator::closingDuringTheReadEndsIt()
{
    FrontPanel p;
    QVERIFY(p.start());
    p.meter.sim.muteAnswers("W");
    QElapsedTimer clock;
    connect(&p.meter.sim, &MeterSim::commandReceived, this, [&](char c) {
        if (c == 'W') {
            clock.start();
            QTimer::singleShot(200, this, [&] { comparatorWindow(p)->close(); });
        }
    });
    p.clickToolbar(QStringLiteral("COMP"));
    QVERIFY(clock.elapsed() < 200 + 400);
    QVERIFY(p.prompts.asked.isEmpty());
    QVERIFY(!comparatorWindow(p)->isVisible());
    QVERIFY(!p.state.DisplayFrozen && !p.state.ComparatorBusy);
    QVERIFY(timersRun(p));
}

QTEST_MAIN(TestComparator)
#include "tst_comparator.moc"
