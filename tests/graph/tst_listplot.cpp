// The list plot's picture at the places its geometry fixes, and the range dialog's checks,
// key filter and Enter chain.
#include "Clock.h"
#include "Fetch.h"
#include "ListPlot.h"
#include "PlotRange.h"
#include "PlotRequest.h"
#include "PrintedPdf.h"
#include "ScriptedPrompts.h"
#include "TextGrid.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

Q_DECLARE_METATYPE(XReading)

namespace {

// 660 × 500 px of client area: X0 60, Y0 473, H 400, W 600.
constexpr int kWidth = 660;
constexpr int kHeight = 500;
constexpr int X0 = 60;
constexpr int Y0 = kHeight - 27;
constexpr int H = kHeight - 100;
constexpr int W = 600;

// A grid of `values` (column 2) with `times` (column 1), by default 00:00:01, 00:00:02 ...
void fill(TextGrid& grid, const QStringList& values, const QStringList& times)
{
    QStringList rows;
    for (int i = 0; i < values.size(); ++i)
        rows << QStringLiteral("%1\t%2\t%3")
                    .arg(i + 1)
                    .arg(times.isEmpty() ? QTime(0, 0).addSecs(i + 1).toString("hh:mm:ss")
                                         : times[i],
                         values[i]);
    grid.appendRows(rows);
}

PlotRequest request(int records, float valueMin = 0, float valueMax = 16)
{
    PlotRequest q;
    q.Title = QStringLiteral("V");
    q.FullScaleMin = -60;
    q.FullScaleMax = 60;
    q.ValueMin = valueMin;
    q.ValueMax = valueMax;
    q.RecordCount = float(records);
    q.RecordAxisMax = float(records);
    q.RecordFrom = 1;
    q.RecordTo = float(records);
    return q;
}

bool isBlue(QRgb c)
{
    return qBlue(c) > 200 && qRed(c) < 80 && qGreen(c) < 80;
}

bool isDark(QRgb c)
{
    return qRed(c) < 100 && qGreen(c) < 100 && qBlue(c) < 100;
}

// Whether any pixel of `rect` passes `test`.
template <typename Test> bool anyIn(const QImage& image, const QRect& rect, Test test)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (image.rect().contains(x, y) && test(image.pixel(x, y)))
                return true;
    return false;
}

struct Plot
{
    TextGrid grid{3};
    PlotRequest q;
    ScriptedPrompts prompts;
    ManualClock clock{QDateTime(QDate(2026, 12, 8), QTime(10, 15, 2))};
    std::unique_ptr<ListPlot> window;

    Plot(const QStringList& values, const PlotRequest& r, QSize size = {kWidth, kHeight},
         const QStringList& times = {})
        : q(r)
    {
        fill(grid, values, times);
        window = std::make_unique<ListPlot>(
            q, grid, std::array<ListPlotSeries, 3>{{{true, 2}, {}, {}}}, prompts, clock, nullptr);
        window->resize(size);
        window->show();
    }
    bool drawn()
    {
        QSignalSpy spy(window.get(), &ListPlot::drawn);
        return spy.wait(5000) || !window->isDrawing();
    }
    // X of record n of the range.
    [[nodiscard]] double x(int n) const { return X0 + (n - 1) * double(W) / q.RecordAxisMax; }
};

} // namespace

class TestListPlot : public QObject
{
    Q_OBJECT
private slots:
    void frameAndFirstSegment();
    void overloadsAtTheEdges_data();
    void overloadsAtTheEdges();
    void recordMarksAndLabels();
    void recordsStandAtTheirTimes_data();
    void recordsStandAtTheirTimes();
    void nothingBelowTheSizeLimit();
    void recordBeyondTheListEndsTheDrawing();
    void printsWithoutItsToolbar();
    void savesItsDrawing();
    void resizeWhileDrawingRestarts();
    void fitTriggers_data();
    void fitTriggers();
    void rangeChecks_data();
    void rangeChecks();
    void keyFilterAndEnterChain();
};

void TestListPlot::frameAndFirstSegment()
{
    Plot p({"4", "8", "12", "8"}, request(4));
    QVERIFY(p.drawn());
    const QImage& s = p.window->surface();
    QCOMPARE(s.size(), QSize(kWidth, kHeight));
    // The value axis at X0 - 2 from below the baseline to above the top; the record axis.
    for (const int y : {Y0 + 1, Y0 - H / 3, Y0 - H - 1})
        QVERIFY2(isDark(s.pixel(X0 - 2, y)), qPrintable(QString::number(y)));
    for (const int x : {X0, X0 + W / 2, X0 + W + 1})
        QVERIFY(isDark(s.pixel(x, Y0 + 2)));
    QVERIFY(!isDark(s.pixel(X0 - 6, Y0 + 2)));
    // Long ticks at the eighths reach X0 - 10, short ones at the sixteenths X0 - 7.
    QVERIFY(isDark(s.pixel(X0 - 9, Y0 - H / 8)));
    QVERIFY(!isDark(s.pixel(X0 - 9, Y0 - H / 16)));
    QVERIFY(isDark(s.pixel(X0 - 6, Y0 - H / 16)));
    // The first record draws no line; the first joins records 1 (4 → y 100) and 2 (8 → 200).
    QVERIFY(!anyIn(s, QRect(X0 - 12, Y0 - 110, 10, 20), isBlue));
    const double midX = (p.x(1) + p.x(2)) / 2;
    QVERIFY(anyIn(s, QRect(int(midX) - 1, Y0 - 150 - 2, 3, 5), isBlue));
    QVERIFY(anyIn(s, QRect(int(p.x(3)) - 1, Y0 - 300 - 2, 3, 5), isBlue));
    // The legend: the title in blue at (X0 - 30, Y0 - H - 20).
    QVERIFY(anyIn(s, QRect(X0 - 30, Y0 - H - 20, 12, 16), isBlue));
    QCOMPARE(p.window->windowTitle(), QString("Plot Data/File "));
}

// An overload 5 above the top, a negative overload (however written) 3 below the baseline.
void TestListPlot::overloadsAtTheEdges_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("y");
    QTest::newRow("OL") << " OL " << Y0 - H - 5;
    QTest::newRow("-OL with its blank") << "-OL " << Y0 + 3;
    QTest::newRow("minus before digits with L") << "-0.0L" << Y0 + 3;
    QTest::newRow("above the range") << "17" << Y0 - H - 5;
    QTest::newRow("below the range") << "-1" << Y0 + 3;
}

void TestListPlot::overloadsAtTheEdges()
{
    Plot p({"8", fetched<QString>("text"), "8"}, request(3));
    QVERIFY(p.drawn());
    const int x = int(p.x(2) + 0.5);
    const int y = fetched<int>("y");
    QVERIFY(anyIn(p.window->surface(), QRect(x - 1, y - 1, 3, 3), isBlue));
    // And not at the other edge.
    const int other = y < Y0 - H / 2 ? Y0 + 3 : Y0 - H - 5;
    QVERIFY(!anyIn(p.window->surface(), QRect(x - 1, other - 1, 3, 3), isBlue));
}

// Of 50 records read by number, dotted lines and labels at 1, 10, 20, 30, 40 and 50, short
// marks at the other tenths, nothing at the rest.
void TestListPlot::recordMarksAndLabels()
{
    QStringList values;
    for (int i = 0; i < 50; ++i)
        values << "2";
    Plot p(values, request(50));
    p.window->setXReading(XReading::Record);
    QVERIFY(p.drawn());
    const QImage& s = p.window->surface();
    const auto column = [&](int n, int top, int bottom) {
        const int x = int(p.x(n) + 0.5);
        return anyIn(s, QRect(x, top, 1, bottom - top + 1), isDark);
    };
    for (const int n : {1, 10, 20, 30, 40, 50}) {
        QVERIFY2(column(n, Y0 - H + 10, Y0 - H / 2 - 30), qPrintable(QString::number(n)));
        // The time label below the baseline.
        const int x = int(p.x(n));
        QVERIFY2(anyIn(s, QRect(x - 40, Y0 + 11, 60, 14), isDark), qPrintable(QString::number(n)));
    }
    const int shortTop = int(Y0 - H * 4.2 / 8) + 1;
    const int shortBottom = int(Y0 - H * 4.0 / 8) - 2;
    for (const int n : {5, 15, 25, 35, 45}) {
        QVERIFY2(column(n, shortTop, shortBottom), qPrintable(QString::number(n)));
        QVERIFY(!column(n, Y0 - H + 10, Y0 - H / 2 - 30));
    }
    for (const int n : {7, 13, 22})
        QVERIFY2(!column(n, shortTop, shortBottom), qPrintable(QString::number(n)));
}

void TestListPlot::recordsStandAtTheirTimes_data()
{
    QTest::addColumn<XReading>("reading");
    QTest::addColumn<QList<int>>("places"); // of the records, in pixels right of X0
    QTest::addColumn<QList<int>>("ticks");  // labelled dotted lines, likewise
    const QList<int> byTime{0, 20, 40, 460, 480};
    const QList<int> minutes{0, 100, 200, 300, 400};
    QTest::newRow("time of day") << XReading::Clock << byTime << minutes;
    QTest::newRow("elapsed time") << XReading::Elapsed << byTime << minutes;
    QTest::newRow("record number") << XReading::Record << QList<int>{0, 120, 240, 360, 480}
                                   << QList<int>{0, 120, 240, 360, 480};
}

// Five records 2 s apart but for a hole of 42 s after the third: in time the hole is 21 steps
// wide and the ticks fall every 10 s, equally spaced; by number every step is alike.
void TestListPlot::recordsStandAtTheirTimes()
{
    Plot p({"2", "4", "6", "14", "10"}, request(5), {kWidth, kHeight},
           {"10:00:00", "10:00:02", "10:00:04", "10:00:46", "10:00:48"});
    p.window->setXReading(fetched<XReading>("reading"));
    QVERIFY(p.drawn());
    const QImage& s = p.window->surface();
    const QList<int> places = fetched<QList<int>>("places");
    const QList<int> values{2, 4, 6, 14, 10};
    for (qsizetype i = 0; i < places.size(); ++i) {
        const QRect at(X0 + places[i] - 2, Y0 - H * values[i] / 16 - 2, 5, 5);
        QVERIFY2(anyIn(s, at, isBlue), qPrintable(QString::number(i)));
    }
    // Between the horizontal grid lines at 5/8 and 6/8 of the height only the marks are dark.
    const auto line = [&](int x) {
        return anyIn(s, QRect(X0 + x, Y0 - H * 6 / 8 + 3, 1, H / 8 - 6), isDark);
    };
    for (const int x : fetched<QList<int>>("ticks")) {
        QVERIFY2(line(x), qPrintable(QString::number(x)));
        QVERIFY2(anyIn(s, QRect(X0 + x - 30, Y0 + 11, 60, 14), isDark),
                 qPrintable(QString::number(x)));
    }
    QVERIFY(!line(60));
}

void TestListPlot::nothingBelowTheSizeLimit()
{
    // 400 × 391 px of outer size at 96 dpi; the client area is smaller still.
    Plot p({"4", "8"}, request(2), QSize(380, 360));
    QVERIFY(p.drawn());
    const QImage& s = p.window->surface();
    QVERIFY(!anyIn(s, s.rect(), isDark));
    QVERIFY(!anyIn(s, s.rect(), isBlue));
}

// A range past the listed rows ends the drawing and hides the window, without a crash.
void TestListPlot::recordBeyondTheListEndsTheDrawing()
{
    PlotRequest q = request(5);
    Plot p({"4", "8", "12"}, q);
    QVERIFY(p.drawn());
    QVERIFY(p.window->isHidden());
    QVERIFY(!p.window->isDrawing());
}

void TestListPlot::printsWithoutItsToolbar()
{
    Plot p({"4", "8", "12"}, request(3));
    QVERIFY(p.drawn());
    QTemporaryDir dir;
    const QString pdf = dir.filePath("plot.pdf");
    p.prompts.printAnswers << true;
    p.prompts.setUpPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    auto* toolbar = p.window->findChild<QToolBar*>("Toolbar1");
    p.window->setSource(QStringLiteral("3 in No.2 Set"));
    p.window->runToolbarCommand("Print");
    QVERIFY(!toolbar->isHidden());
    QVERIFY(QFileInfo(pdf).size() > 1000);
    QVERIFY(p.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
    const QString text = pdfText(pdf);
    QVERIFY(text.contains("Plot Data/File — 3 in No.2 Set"));
    QVERIFY(text.contains("Printed 2026-12-08 10:15:02"));
    QVERIFY(text.contains("page 1 of 1"));
}

// Save image keeps the drawing pixel for pixel under a title line, without the toolbar.
void TestListPlot::savesItsDrawing()
{
    Plot p({"4", "8", "12"}, request(3));
    QVERIFY(p.drawn());
    QTemporaryDir dir;
    p.prompts.fileAnswers << dir.filePath("plot.png");
    p.window->findChild<QToolBar*>("Toolbar1")->actions().at(2)->trigger();
    QVERIFY(p.prompts.of(ScriptedPrompts::Kind::Input).isEmpty()); // the window's size
    const QImage& drawing = p.window->surface();
    const QImage picture(dir.filePath("plot.png"));
    const int head = picture.height() - drawing.height();
    QVERIFY(head > 20 && picture.width() == drawing.width());
    QCOMPARE(picture.copy(0, head, drawing.width(), drawing.height()),
             drawing.convertToFormat(picture.format()));
    QVERIFY(anyIn(picture, QRect(0, 0, picture.width(), head), isDark)); // the title
}

// A resize in the middle of a drawing starts it again at the new size instead of nesting one.
void TestListPlot::resizeWhileDrawingRestarts()
{
    QStringList values;
    for (int i = 0; i < 50; ++i)
        values << "2";
    Plot p(values, request(50));
    int reached = 0;
    QObject::connect(p.window.get(), &ListPlot::recordReached, p.window.get(), [&](int) {
        if (++reached == 1)
            p.window->resize(kWidth + 60, kHeight + 20);
    });
    QTRY_VERIFY(reached > 1 && !p.window->isDrawing());
    QCOMPARE(p.window->surface().size(), QSize(kWidth + 60, kHeight + 20));
    // The baseline of the new size carries the record axis.
    QVERIFY(isDark(p.window->surface().pixel(X0 + 100, kHeight + 20 - 27 + 2)));
    QCOMPARE(p.window->windowTitle(), QString("Plot Data/File "));
}

void TestListPlot::fitTriggers_data()
{
    QTest::addColumn<bool>("fits");
    QTest::newRow("toolbar Fit") << true;
    QTest::newRow("key F") << true;
    QTest::newRow("double-click on the plot") << true;
    QTest::newRow("double-click on the legend") << false;
}

// Fit draws every listed record over their values' range, the overload left out.
void TestListPlot::fitTriggers()
{
    PlotRequest q = request(4, -60, 60);
    q.RecordFrom = 2;
    q.RecordTo = 3;
    q.RecordAxisMax = 2;
    Plot p({"12.53", "12.50", "OL", "12.40"}, q);
    QVERIFY(p.drawn());
    QSignalSpy changed(p.window.get(), &ListPlot::requestChanged);
    const QString how = QTest::currentDataTag();
    if (how.contains("toolbar"))
        p.window->runToolbarCommand("Fit");
    else if (how.contains("key"))
        QTest::keyClick(p.window.get(), Qt::Key_F);
    else
        QTest::mouseDClick(p.window.get(), Qt::LeftButton, {},
                           how.contains("plot") ? QPoint(X0 + W / 2, Y0 - H / 2)
                                                : QPoint(X0 - 20, Y0 - H - 15));
    QTRY_VERIFY(!p.window->isDrawing()); // Fit draws at once
    const PlotRequest& r = p.window->request();
    if (!fetched<bool>("fits")) {
        QCOMPARE(changed.size(), 0);
        QCOMPARE(r.ValueMax, 60.f);
        return;
    }
    QCOMPARE(changed.size(), 1);
    // 12.40 to 12.53 and a margin, in eighths of 0.02.
    QVERIFY(qAbs(r.ValueMin - 12.38f) < 1e-4f);
    QVERIFY(qAbs(r.ValueMax - 12.54f) < 1e-4f);
    QCOMPARE(r.RecordFrom, 1.f);
    QCOMPARE(r.RecordTo, 4.f);
    QCOMPARE(r.RecordAxisMax, 4.f);
    // Record 4 (12.40) is drawn near the baseline now, not in the middle of the full scale.
    p.q = r;
    QVERIFY(anyIn(p.window->surface(), QRect(int(p.x(4)) - 2, Y0 - 50 - 3, 5, 7), isBlue));
}

void TestListPlot::rangeChecks_data()
{
    QTest::addColumn<QStringList>("boxes"); // Min, Max, From, To; none: as the dialog opened
    QTest::addColumn<QString>("message");
    QTest::addColumn<int>("records");
    const QString values = QStringLiteral("Invalid, -60 <= Value <= 60");
    const QString records = QStringLiteral("Invalid, 0 <= Records <= 25");
    QTest::newRow("Min below the full scale")
        << QStringList{"-70", "10", "1", "25"} << values << 25;
    QTest::newRow("Min equals Max") << QStringList{"10", "10", "1", "25"} << values << 25;
    QTest::newRow("Max above the full scale")
        << QStringList{"0", "60.5", "1", "25"} << values << 25;
    QTest::newRow("From 0") << QStringList{"0", "10", "0", "25"} << records << 25;
    QTest::newRow("To 26") << QStringList{"0", "10", "1", "26"} << records << 25;
    QTest::newRow("From equals To") << QStringList{"0", "10", "5", "5"} << records << 25;
    QTest::newRow("empty boxes read as 0") << QStringList{"", "", "", ""} << values << 25;
    QTest::newRow("whole ranges") << QStringList{"-60", "60", "1", "25"} << QString() << 25;
    QTest::newRow("narrowed") << QStringList{"-1.5", "2", "5", "9"} << QString() << 25;
    // Written in exponent form ("1e+05"), the count would read back as 1.
    QTest::newRow("100000 records as opened") << QStringList{} << QString() << 100000;
    QTest::newRow("over 100000 records")
        << QStringList{"-60", "60", "1", "100001"} << "Invalid, 0 <= Records <= 100000" << 100000;
}

void TestListPlot::rangeChecks()
{
    const int records = fetched<int>("records");
    const PlotRequest opened = request(records, -60, 60);
    ScriptedPrompts prompts;
    auto* dialog = new PlotRange(opened, prompts, nullptr);
    QPointer<PlotRange> alive = dialog;
    dialog->setPlotTitle("V");
    QCOMPARE(dialog->windowTitle(), QString("Plot Range ( V )"));
    QCOMPARE(dialog->findChild<QLineEdit*>("TxtT1")->text(), QString("-60"));
    QCOMPARE(dialog->findChild<QLineEdit*>("TxtR2")->text(), QString::number(records));
    dialog->show();
    QStringList boxes = fetched<QStringList>("boxes");
    const char* names[] = {"TxtT1", "TxtT2", "TxtR1", "TxtR2"};
    for (int i = 0; i < 4; ++i) {
        auto* box = dialog->findChild<QLineEdit*>(names[i]);
        if (boxes.size() < 4)
            boxes << box->text();
        else
            box->setText(boxes[i]);
    }
    QSignalSpy chosen(dialog, &PlotRange::rangeChosen);
    dialog->accept();
    const PlotRequest& q = dialog->request();
    const QString message = fetched<QString>("message");
    if (message.isEmpty()) {
        QCOMPARE(chosen.size(), 1);
        QCOMPARE(q.ValueMin, boxes[0].toFloat());
        QCOMPARE(q.ValueMax, boxes[1].toFloat());
        QCOMPARE(q.RecordFrom, boxes[2].toFloat());
        QCOMPARE(q.RecordTo, boxes[3].toFloat());
        QCOMPARE(q.RecordAxisMax, boxes[3].toFloat() - boxes[2].toFloat() + 1);
        QCOMPARE(q.Title, opened.Title);
        QTRY_VERIFY(!alive);
    } else {
        QCOMPARE(chosen.size(), 0);
        QCOMPARE(prompts.asked.size(), 1);
        QCOMPARE(prompts.asked[0].text, message);
        QCOMPARE(prompts.asked[0].icon, Prompts::Icon::Critical);
        QVERIFY(dialog->isVisible());
        QCOMPARE(q.ValueMin, -60.0f);
        QCOMPARE(q.RecordTo, float(records));
        delete dialog;
    }
}

void TestListPlot::keyFilterAndEnterChain()
{
    ScriptedPrompts prompts;
    auto* dialog = new PlotRange(request(25, -60, 60), prompts, nullptr);
    QPointer<PlotRange> alive = dialog;
    const PlotRequest& q = dialog->request();
    dialog->show();
    QApplication::setActiveWindow(dialog);
    QVERIFY(QTest::qWaitForWindowActive(dialog));
    auto* t1 = dialog->findChild<QLineEdit*>("TxtT1");
    auto* t2 = dialog->findChild<QLineEdit*>("TxtT2");
    auto* r1 = dialog->findChild<QLineEdit*>("TxtR1");
    auto* r2 = dialog->findChild<QLineEdit*>("TxtR2");
    for (QLineEdit* box : {t1, t2, r1, r2})
        box->clear();
    t1->setFocus();
    QTest::keyClicks(t1, "a-1x.5 ");
    QCOMPARE(t1->text(), QString("-1.5"));
    QTest::keyClick(t1, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), t2);
    QTest::keyClicks(t2, "2e0");
    QTest::keyClick(t2, Qt::Key_Enter);
    QCOMPARE(QApplication::focusWidget(), r1);
    QTest::keyClicks(r1, "-3.");
    QCOMPARE(r1->text(), QString("3"));
    QTest::keyClick(r1, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), r2);
    // Pasted text is filtered as typed text is.
    r2->insert("1a-2");
    QCOMPARE(r2->text(), QString("12"));
    QSignalSpy chosen(dialog, &PlotRange::rangeChosen);
    QTest::keyClick(r2, Qt::Key_Return);
    QCOMPARE(chosen.size(), 1);
    QCOMPARE(q.ValueMin, -1.5f);
    QCOMPARE(q.ValueMax, 20.0f);
    QCOMPARE(q.RecordAxisMax, 10.0f);
    QTRY_VERIFY(!alive);
}

QTEST_MAIN(TestListPlot)
#include "tst_listplot.moc"
