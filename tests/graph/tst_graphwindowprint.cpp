// The graph windows on paper and in pictures: Print (cancelled, failing), and Save image in
// each format and size, the window looking as before afterwards.
#include "GraphWindowRig.h"

class TestGraphWindowPrint : public QObject
{
    Q_OBJECT
private slots:
    void print_data();
    void print();
    void printCancelled();
    void printFails();
    void saveImage_data();
    void saveImage();
};

void TestGraphWindowPrint::print_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("byKeys"); // Ctrl+P instead of the button
    QTest::newRow("stored") << Kind::Stored << false;
    QTest::newRow("detail") << Kind::Detail << false;
    QTest::newRow("stored, Ctrl+P") << Kind::Stored << true;
    QTest::newRow("detail, Ctrl+P") << Kind::Detail << true;
}

void TestGraphWindowPrint::print()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("graph.pdf");
    ScriptedPrompts prompts;
    prompts.printAnswers = {true};
    prompts.setUpPrinter = [&](QPrinter& p) {
        pdfPrinter(pdf)(p);
        p.setPageSize(QPageSize(QPageSize::A4));
    };
    const Kind kind = fetched<Kind>("kind");
    const auto w = window(kind, prompts);
    w->setSource(QStringLiteral("/data/cell7.txt"));
    w->resize(w->width() - 30, w->height() + 20); // the user resized it: it comes back so
    w->show();
    const Look before = lookOf(*w);
    auto* button = w->findChild<QPushButton*>("CmdPrint");
    QCOMPARE(button->toolTip(), QString("Print (Ctrl+P)"));
    QApplication::setActiveWindow(w.get());
    QVERIFY(QTest::qWaitForWindowActive(w.get()));
    if (fetched<bool>("byKeys")) {
        QTest::keySequence(w.get(), QKeySequence("Ctrl+P"));
    } else {
        button->click();
    }
    QCOMPARE(prompts.of(ScriptedPrompts::Kind::Print).size(), 1);
    QCOMPARE(prompts.asked.size(), 1); // no message
    QCOMPARE(pdfPages(pdf), 1);
    QVERIFY(lookOf(*w) == before);

    // The page: the client area in print colours, without the frame; the stored graph in its
    // print width (11550 twips), drawn at three times the screen's density.
    const QImage page = pdfImage(pdf);
    QVERIFY(!page.isNull());
    const int width =
        kind == Kind::Stored ? TwipsScale::forScreen(w->screen()).px(11550) : before.size.width();
    QCOMPARE(page.width(), width * 3);
    QCOMPARE(page.height(), before.size.height() * 3);
    QVERIFY(share(page, before.background) < 0.001);
    QVERIFY(share(page, Qt::white) > 0.7); // the plot area too

    // Under the page's header, across the width inside margins of 10 mm.
    const QString text = pdfText(pdf);
    QVERIFY(text.contains(w->windowTitle() + QStringLiteral(" — /data/cell7.txt")));
    QVERIFY(text.contains(QStringLiteral("Printed 2026-12-08 10:15:02")));
    QVERIFY(text.contains(QStringLiteral("page 1 of 1")));
    const double a4 = 595, tenMm = 72 / 2.54;
    QVERIFY2(pdfImageWidth(pdf) <= a4 - 2 * tenMm && pdfImageWidth(pdf) > a4 - 2 * tenMm - 3,
             qPrintable(QString::number(pdfImageWidth(pdf))));
    // Esc closes it, as it closes a dialog.
    QTest::keyClick(w.get(), Qt::Key_Escape);
    QVERIFY(!w->isVisible());
}

void TestGraphWindowPrint::printCancelled()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts; // printAnswers empty: Cancel
    const auto w = window(Kind::Stored, prompts);
    w->show();
    const Look before = lookOf(*w);
    w->print();
    QCOMPARE(prompts.asked.size(), 1);
    QVERIFY(lookOf(*w) == before);
}

void TestGraphWindowPrint::printFails()
{
    ScriptedPrompts prompts;
    prompts.printAnswers = {true};
    prompts.setUpPrinter = [](QPrinter& p) {
        p.setOutputFormat(QPrinter::PdfFormat);
        p.setOutputFileName("/nonexistent-folder/graph.pdf");
    };
    const auto w = window(Kind::Stored, prompts);
    w->show();
    const Look before = lookOf(*w);
    prompts.whileAsking = [&](const ScriptedPrompts::Asked& a) {
        if (a.kind == ScriptedPrompts::Kind::Message)
            QVERIFY(lookOf(*w) == before); // restored before the message shows
    };
    w->print();
    const auto messages = prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), 1);
    QCOMPARE(messages[0].text, QString("The graph could not be printed."));
    QVERIFY(messages[0].details.contains("/nonexistent-folder/graph.pdf"));
    QVERIFY(lookOf(*w) == before);
    QVERIFY(w->findChild<QPushButton*>("CmdPrint")->isVisible());
}

void TestGraphWindowPrint::saveImage_data()
{
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<QString>("answer");    // the save dialog's
    QTest::addColumn<QStringList>("sizes"); // typed, one per question; Cancel after them
    QTest::addColumn<QString>("written");   // the file, or none
    QTest::addColumn<int>("messages");
    QTest::addColumn<int>("sizeLimit"); // bytes a file may grow to, as on a disk that fills; 0
    const QStringList size{"640 x 480"};
    QTest::newRow("PNG") << Kind::Stored << "plot.png" << size << "plot.png" << 0 << 0;
    QTest::newRow("SVG") << Kind::Detail << "detail.svg" << size << "detail.svg" << 0 << 0;
    QTest::newRow("PDF") << Kind::Detail << "detail.pdf" << size << "detail.pdf" << 0 << 0;
    QTest::newRow("typed without extension")
        << Kind::Stored << "plot" << size << "plot.png" << 0 << 0;
    QTest::newRow("sizes retyped")
        << Kind::Stored << "plot.png" << QStringList{"99 x 500", "640 x", "640X480"} << "plot.png"
        << 2 << 0;
    QTest::newRow("size cancelled") << Kind::Stored << "plot.png" << QStringList() << "" << 0 << 0;
    QTest::newRow("no such format") << Kind::Stored << "plot.xyz" << size << "" << 1 << 0;
    // Told, and no cut picture left: the picture is written beside its name.
    QTest::newRow("a disk that fills") << Kind::Stored << "plot.svg" << size << "" << 1 << 2000;
    // A named pipe is refused before it is opened, and stays.
    QTest::newRow("a named pipe") << Kind::Stored << "pipe.png" << size << "pipe.png" << 1 << 0;
}

// Save image writes the graph with its title and legend, in print colours, in the format the
// name asks for and of the size typed; the window looks as before.
void TestGraphWindowPrint::saveImage()
{
    QTemporaryDir dir;
    ScriptedPrompts prompts;
    const auto w = window(fetched<Kind>("kind"), prompts);
    w->setSource(QStringLiteral("/data/cell7.txt"));
    w->show();
    const Look before = lookOf(*w);
    const QString answer = dir.filePath(fetched<QString>("answer"));
    if (answer.endsWith("pipe.png"))
        QCOMPARE(::mkfifo(QFile::encodeName(answer).constData(), 0600), 0);
    prompts.fileAnswers << answer;
    prompts.inputAnswers = fetched<QStringList>("sizes");
    {
        const FileSizeLimit limit{rlim_t(fetched<int>("sizeLimit"))};
        w->findChild<QPushButton*>("CmdSaveImage")->click();
    }

    const auto asked = prompts.of(ScriptedPrompts::Kind::SaveFile);
    QCOMPARE(asked[0].filters, pictureFilters());
    QCOMPARE(asked[0].suffix, QString("png"));
    QCOMPARE(prompts.of(ScriptedPrompts::Kind::Input)[0].defaultText.section(' ', 0, 0),
             QString::number(w->graph()->width()));
    QCOMPARE(prompts.of(ScriptedPrompts::Kind::Message).size(), fetched<int>("messages"));
    QVERIFY(lookOf(*w) == before);

    const QString written = fetched<QString>("written");
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::System | QDir::Hidden),
             written.isEmpty() ? QStringList() : QStringList{written});
    if (answer.endsWith("pipe.png")) {
        const auto told = prompts.of(ScriptedPrompts::Kind::Message);
        QVERIFY2(told[0].details.contains(answer + " is not a regular file"),
                 qPrintable(told[0].details));
        QVERIFY(!QFileInfo(answer).isFile());
        return;
    }
    const QString path = dir.filePath(written);
    const QString title = w->windowTitle() + QStringLiteral(" — /data/cell7.txt");
    if (written.endsWith(".pdf")) {
        QVERIFY(pdfText(path).contains(title));
    } else if (written.endsWith(".svg")) {
        QFile svg(path);
        QVERIFY(svg.open(QIODevice::ReadOnly));
        const QByteArray bytes = svg.readAll();
        QVERIFY(bytes.contains("<title>" + title.toUtf8() + "</title>"));
        QVERIFY(bytes.contains("viewBox=\"0 0 640 480\""));
        QVERIFY(bytes.contains("Ampere")); // the legend
    } else if (!written.isEmpty()) {
        const QImage picture = QImage(path).convertToFormat(QImage::Format_RGB888);
        QCOMPARE(picture.size(), QSize(640, 480));
        QVERIFY(share(picture, Qt::white) > 0.6);
        QVERIFY(share(picture, before.background) < 0.001);
        QVERIFY(share(picture, Qt::black) > 0.001); // title, axes and numbers
    }
}

QTEST_MAIN(TestGraphWindowPrint)
#include "tst_graphwindowprint.moc"
