// The live all-channel graph on paper and in pictures: Print and Save image, a printer that
// fails or a print that is cancelled, and the window closed while its print runs.
#include "LiveGraphRig.h"

class TestLiveGraphPrint : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Rig::settle(); }
    void print();
    void saveImage();
    void printFailsOrIsCancelled_data();
    void printFailsOrIsCancelled();
    void closedWhilePrinting();
};

void TestLiveGraphPrint::print()
{
    Rig rig;
    LiveGraphWindow* w = rig.start({true, false, false, false, true});
    rig.ticks(5);
    QTemporaryDir dir;
    const QString pdf = dir.filePath("live.pdf");
    rig.prompts.printAnswers = {true};
    rig.prompts.setUpPrinter = [&](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName(pdf);
    };
    QToolBar* toolbar = child<QToolBar>(w, "Toolbar1");
    toolbar->actions().at(1)->trigger();
    QCOMPARE(rig.prompts.of(ScriptedPrompts::Kind::Print).size(), 1);
    QCOMPARE(pdfPages(pdf), 1);
    const QImage page = pdfImage(pdf);
    QVERIFY(!page.isNull());
    QVERIFY(share(page, kTeal) < 0.001);
    QVERIFY(share(page, Qt::white) > 0.6);
    // The page shows the graph without its toolbar: the top rows are white.
    QVERIFY(share(page.copy(0, 0, page.width(), page.height() / 100), Qt::white) > 0.99);
    QVERIFY(!toolbar->isHidden());
    QCOMPARE(w->palette().color(QPalette::Window), kTeal);
    QCOMPARE(w->graph()->plotAreaColor(), QColor(Qt::black));
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
    const QString text = pdfText(pdf);
    QVERIFY(text.contains("Real Time Graph — live readings since 2026-12-08 23:59:58"));
    QVERIFY(text.contains("Printed 2026-12-08 23:59:58"));
    QVERIFY(text.contains("page 1 of 1"));
}

// Save image at the size offered: the graph's, under a title and the legend of the channels
// shown, in print colours; the window keeps its own.
void TestLiveGraphPrint::saveImage()
{
    Rig rig;
    LiveGraphWindow* w = rig.start({true, false, false, false, true});
    rig.ticks(5);
    QTemporaryDir dir;
    rig.prompts.fileAnswers << dir.filePath("live");
    rig.prompts.whileAsking = [&](const ScriptedPrompts::Asked& a) {
        if (a.kind == ScriptedPrompts::Kind::Input)
            rig.prompts.inputAnswers << a.defaultText;
    };
    child<QToolBar>(w, "Toolbar1")->actions().at(2)->trigger();
    QVERIFY(rig.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
    const QImage picture = QImage(dir.filePath("live.png")).convertToFormat(QImage::Format_RGB888);
    QCOMPARE(picture.width(), w->graph()->width());
    const int head = picture.height() - w->graph()->height();
    QVERIFY(head > 20);
    QVERIFY(share(picture, kTeal) < 0.001);
    QVERIFY(share(picture, Qt::white) > 0.6);
    // "Voltage" in the legend, in its trace's colour as drawn on white; no "Ampere".
    const QImage legend = picture.copy(0, 0, picture.width(), head);
    QVERIFY(share(legend, readableOn(kChannelColours[0], Qt::white)) > 0.001);
    QCOMPARE(share(legend, readableOn(kChannelColours[1], Qt::white)), 0.0);
    QCOMPARE(w->graph()->plotAreaColor(), QColor(Qt::black));
}

void TestLiveGraphPrint::printFailsOrIsCancelled_data()
{
    QTest::addColumn<bool>("chosen");
    QTest::newRow("printer fails") << true;
    QTest::newRow("cancelled") << false;
}

void TestLiveGraphPrint::printFailsOrIsCancelled()
{
    const bool chosen = fetched<bool>("chosen");
    Rig rig;
    LiveGraphWindow* w = rig.start(kAll);
    rig.prompts.printAnswers = {chosen};
    rig.prompts.setUpPrinter = [](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName("/nonexistent-folder/live.pdf");
    };
    bool restoredBeforeMessage = false;
    rig.prompts.whileAsking = [&](const ScriptedPrompts::Asked& a) {
        if (a.kind == ScriptedPrompts::Kind::Message)
            restoredBeforeMessage =
                !w->toolbar()->isHidden() && w->palette().color(QPalette::Window) == kTeal;
    };
    w->runToolbarCommand("Print");
    const auto messages = rig.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), chosen ? 1 : 0);
    if (chosen) {
        QCOMPARE(messages[0].text, QString("The graph could not be printed."));
        QVERIFY(messages[0].details.contains("/nonexistent-folder/live.pdf"));
        QVERIFY(restoredBeforeMessage);
    }
    QVERIFY(!w->toolbar()->isHidden());
    QCOMPARE(w->palette().color(QPalette::Window), kTeal);
    QCOMPARE(w->graph()->plotAreaColor(), QColor(Qt::black));
    QVERIFY(w->timer()->isActive());
}

// A tick may close the window while the print dialog is open: the print ends on a window
// that still exists, and the window goes afterwards.
void TestLiveGraphPrint::closedWhilePrinting()
{
    Rig rig;
    QPointer<LiveGraphWindow> w = rig.start(kAll);
    rig.prompts.printAnswers = {false};
    rig.prompts.whileAsking = [&](const ScriptedPrompts::Asked&) {
        rig.state.reading.milliAmps = true;
        w->tick();
        Rig::settle();
        QVERIFY(w); // still there while the dialog is open
    };
    w->print();
    QVERIFY(!rig.state.allChannelGraph.GraphActive);
    Rig::settle();
    QVERIFY(!w);
}

QTEST_MAIN(TestLiveGraphPrint)
#include "tst_livegraphprint.moc"
