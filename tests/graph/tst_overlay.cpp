// Recordings overlaid on the stored-data graph: the list's column (the golden discharge.txt)
// and a file added beside it whose Out-Cap was reset, on the capacity axis and in the span
// panel's figures.
#include "ChargeAxis.h"
#include "Clock.h"
#include "ColumnPlotRequest.h"
#include "Fetch.h"
#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "GridView.h"
#include "ScriptedPrompts.h"
#include "SpanBand.h"
#include "SpanPanel.h"
#include "StoredOverlay.h"
#include "TextGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <cmath>

Q_DECLARE_METATYPE(XReading)

namespace {

const ManualClock kClock(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 2)));

// The golden CSV with its Out-Cap reset to zero at 120 s, while the battery went on.
QByteArray resetCsv()
{
    QList<QByteArray> lines = goldenBytes("discharge.csv").split('\n');
    const QList<QByteArray> outCap{"0.0000", "0.0050", "0.0100", "0.0100", "0.0100"};
    for (int i = 0; i < outCap.size(); ++i) {
        QList<QByteArray> cells = lines[8 + i].split(',');
        cells[8] = outCap[i];
        lines[8 + i] = cells.join(',');
    }
    return lines.join('\n');
}

// A stored-data graph filled as a click on the voltage column of the golden data file fills
// it, with `added` added beside it.
struct Overlaid
{
    ScriptedPrompts prompts;
    GraphWindow window{GraphWindow::Kind::Stored, prompts, kClock};
    QTemporaryDir dir;

    explicit Overlaid(bool added = true)
    {
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        const ReadingSeries list = ReadingSeries::fromDataFile(goldenBytes("discharge.txt"));
        QStringList volts;
        QStringList times;
        for (const QByteArray& line : goldenBytes("discharge.txt").split('\n').mid(1, 12)) {
            const QList<QByteArray> cells = line.split('\t');
            times << cells[1];
            volts << cells[2];
        }
        PlotRequest request;
        const std::vector<float> values = preparePlotRequest(request, *columnKind(2, "V"), volts);
        window.setColumnSource([list] { return list; }, columnUnit(2, u"V", false));
        window.showColumn(request, values, RowTimes::fromTexts(times));
        window.setSource(QStringLiteral("/data/discharge.txt"));
        if (!added)
            return;
        QFile file(dir.filePath("reset.csv"));
        if (file.open(QIODevice::WriteOnly))
            file.write(resetCsv());
        file.close();
        window.addFile(file.fileName());
    }
};

// Column `trace` + 1 of the figures line `figure`.
QString figureOf(const GraphWindow& w, const QString& figure, int trace)
{
    const auto* grid = qobject_cast<const TextGrid*>(w.spanPanel()->figuresView()->model());
    for (int r = 1; r < grid->rows(); ++r) {
        if (grid->cell(r, 0) == figure)
            return grid->cell(r, trace + 1);
    }
    return QStringLiteral("(no line %1)").arg(figure);
}

} // namespace

class TestOverlay : public QObject
{
    Q_OBJECT
private slots:
    void twoRecordingsWithTheirLegends();
    void capacityAxisBreaksAtAReset();
    void spanFigures_data();
    void spanFigures();
    void unreadableFileIsTold();
    void cutLastLineIsTold();
    void exportIsWholeOrNone_data();
    void exportIsWholeOrNone();
};

void TestOverlay::twoRecordingsWithTheirLegends()
{
    Overlaid o;
    GraphView* g = o.window.graph();
    QVERIFY(g->legend->visible());
    QCOMPARE(g->legend->itemCount(), 2);
    auto* first = qobject_cast<QCPPlottableLegendItem*>(g->legend->item(0));
    auto* second = qobject_cast<QCPPlottableLegendItem*>(g->legend->item(1));
    QCOMPARE(first->plottable()->name(), QString("discharge.txt"));
    QCOMPARE(second->plottable()->name(), QString("reset.csv"));
    QVERIFY(first->plottable()->pen().color() != second->plottable()->pen().color());
    QCOMPARE(g->plot(2)->dataCount(), 12);

    auto* list = o.window.findChild<QListWidget*>("Traces");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(1)->text(), QString("reset.csv"));
    QVERIFY(o.window.spanPanel()->isVisibleTo(&o.window));

    // Removed, it leaves the graph and its legend; the list's own column stays.
    list->setCurrentRow(1);
    o.window.findChild<QPushButton*>("CmdRemoveFile")->click();
    QCOMPARE(g->legend->itemCount(), 1);
    QVERIFY(!g->legend->visible());
    QVERIFY(!g->plot(2)->visible());
    QCOMPARE(list->count(), 1);
    QVERIFY(!o.window.spanPanel()->isVisibleTo(&o.window));
}

// Under Capacity the list's curve runs on to 0.07 Ah; the added one's counter went back to 0 at
// its 8th row: its curve breaks there (a point without a value) and goes on from 0.03 Ah.
void TestOverlay::capacityAxisBreaksAtAReset()
{
    Overlaid o;
    o.window.setXReading(XReading::Capacity);
    GraphView* g = o.window.graph();
    QCOMPARE(g->shownReading(), XReading::Capacity);
    QCOMPARE(g->axis(1)->label(), QString("Capacity (Ah)"));
    const auto points = [g](int plot) {
        QList<QPointF> p;
        for (const QCPGraphData& d : *g->plot(plot)->data())
            p << QPointF(d.key, d.value);
        return p;
    };
    const QList<QPointF> list = points(1);
    QCOMPARE(list.size(), 12);
    QVERIFY(qFuzzyCompare(list.last().x(), 0.07));
    const QList<QPointF> added = points(2);
    QCOMPARE(added.size(), 13);
    QVERIFY(std::isnan(added[7].y()));
    QVERIFY(qFuzzyCompare(added[7].x(), 0.03));
    QVERIFY(qFuzzyCompare(added[8].x(), 0.03));
    QCOMPARE(float(added[8].y()), 3.2f);
    for (qsizetype i = 1; i < added.size(); ++i)
        QVERIFY2(added[i].x() >= added[i - 1].x(), qPrintable(QString::number(i)));
    QVERIFY(qFuzzyCompare(added.last().x(), 0.04));

    // Back to elapsed time, every point at its time again.
    o.window.setXReading(XReading::Elapsed);
    QCOMPARE(points(2).size(), 12);
    QCOMPARE(points(2)[7].x(), 120.0);
}

void TestOverlay::spanFigures_data()
{
    QTest::addColumn<XReading>("reading");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::addColumn<bool>("cutoff"); // the Cut-off button at 3 V instead of a span
    QTest::addColumn<QStringList>("chargeOut");
    QTest::addColumn<QStringList>("counterOut");
    QTest::addColumn<QString>("what");
    QTest::newRow("elapsed 0:00:00 to 0:01:00")
        << XReading::Elapsed << 0.0 << 60.0 << false << QStringList{"0.0300", "0.0300"}
        << QStringList{"0.0300", "0.0300"} << "From 0:00:00 to 0:01:00";
    // The added file's rows up to 0.03 Ah reach over its 60 s hole, which is not bridged.
    QTest::newRow("capacity 0 to 0.03 Ah")
        << XReading::Capacity << 0.0 << 0.03 << false << QStringList{"0.0300", "0.0300"}
        << QStringList{"0.0300", "0.0300"} << "From 0 to 0.03";
    QTest::newRow("records 8 to 10")
        << XReading::Record << 8.0 << 10.0 << false << QStringList{"0.0100", "0.0100"}
        << QStringList{"0.0100", "0.0100"} << "From 8 to 10";
    QTest::newRow("cut-off at 3 V")
        << XReading::Elapsed << 0.0 << 0.0 << true << QStringList{"0.0400", "0.0400"}
        << QStringList{"0.0700", "0.0400"} << "From the start to below 3 V";
}

void TestOverlay::spanFigures()
{
    Overlaid o;
    o.window.setXReading(fetched<XReading>("reading"));
    if (fetched<bool>("cutoff"))
        o.window.findChild<QPushButton*>("CmdCutoff")->click();
    else
        o.window.overlay()->band().setSpan(fetched<double>("from"), fetched<double>("to"));
    const QStringList chargeOut = fetched<QStringList>("chargeOut");
    const QStringList counterOut = fetched<QStringList>("counterOut");
    for (int t = 0; t < 2; ++t) {
        QCOMPARE(figureOf(o.window, "Charge out (Ah)", t), chargeOut[t]);
        QCOMPARE(figureOf(o.window, "Out-Cap rise (Ah)", t), counterOut[t]);
        QCOMPARE(figureOf(o.window, "Charge in (Ah)", t), QString("0.0000"));
    }
    QCOMPARE(o.window.findChild<QLabel*>("LblSpan")->text(), fetched<QString>("what"));
    // Every figure of a quantity with the same decimals, so a column lines up.
    QCOMPARE(figureOf(o.window, "Start (V)", 0).size(), QString("4.000").size());
    const QStringList lines = o.window.spanPanel()->figuresText().split('\n');
    QCOMPARE(lines.first(), QString("Figure\tdischarge.txt\treset.csv"));
    QVERIFY(o.window.spanPanel()->figuresCsv().startsWith("Figure,discharge.txt,reset.csv\n"));
}

void TestOverlay::unreadableFileIsTold()
{
    Overlaid o(false);
    QVERIFY(!o.window.addFile(o.dir.filePath("missing.csv")));
    QCOMPARE(o.prompts.asked.size(), 1);
    QCOMPARE(o.prompts.asked.first().text, QString("The recording was not added."));
    QCOMPARE(o.prompts.asked.first().details,
             "cannot read " + o.dir.filePath("missing.csv") + ": No such file or directory");
    QCOMPARE(o.window.overlay()->traceCount(), 1);
}

// A data file whose last line was cut off (a recording stopped mid-write) is added without
// that line, and the user is told so.
void TestOverlay::cutLastLineIsTold()
{
    Overlaid o(false);
    QByteArray bytes = goldenBytes("discharge.txt");
    bytes.chop(bytes.size() - bytes.lastIndexOf("\r\n", bytes.size() - 3) - 2);
    bytes += "12\t00:02:10\t3.1";
    QFile file(o.dir.filePath("cut.txt"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    file.close();
    QVERIFY(o.window.addFile(file.fileName()));
    QCOMPARE(o.prompts.asked.size(), 1);
    QCOMPARE(o.prompts.asked.first().text,
             QString("The recording was added without its last line."));
    QVERIFY2(o.prompts.asked.first().details.startsWith(file.fileName() + ": line 13 was cut off"),
             qPrintable(o.prompts.asked.first().details));
    QCOMPARE(o.window.graph()->plot(2)->dataCount(), 11);
}

void TestOverlay::exportIsWholeOrNone_data()
{
    QTest::addColumn<QString>("name");    // the path chosen, in the test's folder
    QTest::addColumn<int>("limit");       // bytes a file may grow to, 0 for no limit
    QTest::addColumn<QString>("details"); // the message's reason, empty when saved
    QTest::newRow("saved") << "figures.csv" << 0 << "";
    QTest::newRow("a folder") << "folder.csv" << 0 << "%1 is not a regular file";
    QTest::newRow("the disk fills") << "figures.csv" << 64 << "cannot write %1: File too large";
}

// The figures saved whole, or a message with the reason and no file under the name.
void TestOverlay::exportIsWholeOrNone()
{
    Overlaid o;
    o.window.findChild<QPushButton*>("CmdCutoff")->click();
    QVERIFY(QDir(o.dir.path()).mkdir("folder.csv"));
    const QString path = o.dir.filePath(fetched<QString>("name"));
    o.prompts.fileAnswers << path;
    {
        const FileSizeLimit full(rlim_t(fetched<int>("limit")));
        o.window.findChild<QPushButton*>("CmdExportFigures")->click();
    }
    const QString details = fetched<QString>("details");
    QFile saved(path);
    if (details.isEmpty()) {
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), o.window.spanPanel()->figuresCsv());
        QCOMPARE(o.prompts.asked.size(), 1); // the save dialog only
        return;
    }
    QCOMPARE(o.prompts.asked.size(), 2);
    QCOMPARE(o.prompts.asked.last().details, details.arg(path));
    QVERIFY(QFileInfo(path).isDir() || !saved.exists());
}

QTEST_MAIN(TestOverlay)
#include "tst_overlay.moc"
