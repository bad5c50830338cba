// The text grid behind the list windows, and the save and print helpers over it.
#include "AppState.h"
#include "Clock.h"
#include "Fetch.h"
#include "FileBytes.h"
#include "FileSizeLimit.h"
#include "FileTransfer.h"
#include "GridView.h"
#include "MessageBoxPrompts.h"
#include "PrintedPdf.h"
#include "ScriptedPrompts.h"
#include "TextGrid.h"
#include "WindowToolbar.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <cmath>
#include <ctime>

#include <sys/stat.h>

namespace {

QStringList rowOf(const TextGrid& g, int row)
{
    QStringList cells;
    for (int c = 0; c < g.columns(); ++c)
        cells << g.cell(row, c);
    return cells;
}

// The helpers with what they work on: program state, scripted prompts and a window whose
// caption shows their progress.
struct Helpers
{
    AppState state;
    ScriptedPrompts prompts;
    ManualClock clock;
    FileTransfer transfer{state, prompts, clock};
    QWidget window;
    TextGrid grid{3};
    QStringList captions; // every caption the window showed

    Helpers()
    {
        window.setWindowTitle(QStringLiteral("Real Time List"));
        grid.setTitle(0, QStringLiteral("No.s"));
        grid.setTitle(1, QStringLiteral("Time"));
        grid.setTitle(2, QStringLiteral("In-Cap "));
        QObject::connect(&window, &QWidget::windowTitleChanged,
                         [this](const QString& t) { captions << t; });
    }
};

} // namespace

class TestGrid : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void addRowSplitsOnTabs_data();
    void addRowSplitsOnTabs();
    void setCellKeepsTheOtherCells();
    void modelShowsRecordsUnderTitles();
    void columnsAsWideAsTheirWidthTexts();
    void copySelectedCells_data();
    void copySelectedCells();
    void windowKeys_data();
    void windowKeys();
    void datedFileName_data();
    void datedFileName();
    void chooseSaveFile_data();
    void chooseSaveFile();
    void saveWritesEveryRowWithCaptions();
    void saveFailureIsTold_data();
    void saveFailureIsTold();
    void exportCsv_data();
    void exportCsv();
    void printToPdfLetsEventsRun();
    void printCancelledOrFailingRestoresEverything_data();
    void printCancelledOrFailingRestoresEverything();
    void printedPagesAreHeaded_data();
    void printedPagesAreHeaded();
    void saveDialogSuffixFromFilter_data();
    void saveDialogSuffixFromFilter();
};

// The CSV dates are local time with their offset: Central European time, as a rule.
void TestGrid::initTestCase()
{
    qputenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3");
    tzset();
}

void TestGrid::addRowSplitsOnTabs_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("cells");
    QTest::newRow("one field per column")
        << "1\t10:15:02\t 41.2" << QStringList{"1", "10:15:02", " 41.2"};
    QTest::newRow("missing fields are empty") << "7" << QStringList{"7", "", ""};
    QTest::newRow("empty field between tabs") << "1\t\t3" << QStringList{"1", "", "3"};
    QTest::newRow("fields beyond the columns not shown")
        << "a\tb\tc\td\te" << QStringList{"a", "b", "c"};
    QTest::newRow("trailing tab of a grid save") << "a\tb\tc\t" << QStringList{"a", "b", "c"};
    QTest::newRow("empty line") << "" << QStringList{"", "", ""};
}

void TestGrid::addRowSplitsOnTabs()
{
    TextGrid g(3);
    g.appendRow(QStringLiteral("x\ty\tz"));
    QFETCH(QString, line);
    g.appendRow(line);
    g.appendRow(QStringLiteral("p\tq\tr"));
    QCOMPARE(g.rows(), 4);
    QCOMPARE(rowOf(g, 2), fetched<QStringList>("cells"));
    // The neighbours are untouched.
    QCOMPARE(rowOf(g, 1), (QStringList{"x", "y", "z"}));
    QCOMPARE(rowOf(g, 3), (QStringList{"p", "q", "r"}));
    std::vector<QStringView> views;
    g.rowCells(2, views);
    QCOMPARE(int(views.size()), 3);
    for (int c = 0; c < 3; ++c)
        QCOMPARE(views[c].toString(), fetched<QStringList>("cells")[c]);
}

void TestGrid::setCellKeepsTheOtherCells()
{
    TextGrid g(3);
    QStringList lines;
    for (int r = 1; r <= 3000; ++r)
        lines << QStringLiteral("%1\tb%1\tc%1").arg(r);
    g.appendRows(lines);
    // Enough edits to make the grid pack its buffer at least once.
    for (int r = 1; r <= 3000; r += 2)
        g.setCell(r, 1, QStringLiteral("edited %1 with a longer text").arg(r));
    g.setCell(2, 2, QStringLiteral("tab\there"));
    g.setCell(0, 1, QStringLiteral("Time"));
    QCOMPARE(rowOf(g, 1), (QStringList{"1", "edited 1 with a longer text", "c1"}));
    QCOMPARE(rowOf(g, 2), (QStringList{"2", "b2", "tab here"}));
    QCOMPARE(rowOf(g, 2999), (QStringList{"2999", "edited 2999 with a longer text", "c2999"}));
    QCOMPARE(rowOf(g, 3000), (QStringList{"3000", "b3000", "c3000"}));
    QCOMPARE(g.cell(0, 1), QString("Time"));
    QCOMPARE(g.cell(3001, 0), QString());
    QCOMPARE(g.cell(1, 3), QString());
}

void TestGrid::modelShowsRecordsUnderTitles()
{
    TextGrid g(2);
    g.setTitle(0, QStringLiteral("No.s"));
    g.setTitle(1, QStringLiteral("T-Cap "));
    g.appendRow(QStringLiteral("1\t 0.5(m)"));
    QCOMPARE(g.rowCount(), 1);
    QCOMPARE(g.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), QString("T-Cap "));
    QCOMPARE(g.data(g.index(0, 1), Qt::DisplayRole).toString(), QString(" 0.5(m)"));
    QVERIFY(!(g.flags(g.index(0, 1)) & Qt::ItemIsEditable));
}

void TestGrid::columnsAsWideAsTheirWidthTexts()
{
    TextGrid g(2);
    GridView view;
    view.setGrid(&g);
    view.setColumnWidthTexts({QStringLiteral(" 000000 "), QStringLiteral("AAOutCapUnit")});
    const QFontMetrics m = view.fontMetrics();
    QVERIFY(view.cellPadding() > 0);
    QCOMPARE(view.columnWidth(0), m.horizontalAdvance(" 000000 ") + view.cellPadding());
    QCOMPARE(view.columnWidth(1), m.horizontalAdvance("AAOutCapUnit") + view.cellPadding());
    // A cell as wide as its width text shows whole: the delegate asks for no more room.
    g.appendRow(QStringLiteral("000000\tAAOutCapUnit"));
    QStyleOptionViewItem option;
    option.initFrom(&view);
    option.font = view.font();
    const QSize hint = view.itemDelegate()->sizeHint(option, g.index(0, 1));
    QVERIFY2(hint.width() <= view.columnWidth(1), qPrintable(QString::number(hint.width())));
}

// Ctrl+C copies the selected rows as a spreadsheet pastes them, Ctrl+A selects every row.
void TestGrid::copySelectedCells_data()
{
    QTest::addColumn<QList<int>>("clicked"); // records clicked, the first plainly, then Ctrl
    QTest::addColumn<bool>("all");           // Ctrl+A after the clicks
    QTest::addColumn<bool>("added");         // then a fourth record added and made current
    QTest::addColumn<QString>("copied");     // "kept" when the clipboard stays as it was
    const QString every = "1\t10:15:02\t105.0(m)\n2\t10:15:04\t 0.0(m)\n3\t\t OL \n";
    QTest::newRow("nothing selected") << QList<int>{} << false << false << "kept";
    QTest::newRow("one record, blanks kept")
        << QList<int>{2} << false << false << "2\t10:15:04\t 0.0(m)\n";
    QTest::newRow("two records in list order")
        << QList<int>{3, 1} << false << false << "1\t10:15:02\t105.0(m)\n3\t\t OL \n";
    QTest::newRow("every record") << QList<int>{2} << true << false << every;
    // A recording list moves on while the user copies: the rows selected stay so; a single
    // row is the list's own highlight, and moves on.
    QTest::newRow("every record, one added") << QList<int>{2} << true << true << every;
    QTest::newRow("one record, one added") << QList<int>{2} << false << true << "4\t\t\n";
}

void TestGrid::copySelectedCells()
{
    TextGrid grid(3);
    grid.setTitle(0, QStringLiteral("No.s"));
    grid.appendRows({"1\t10:15:02\t105.0(m)", "2\t10:15:04\t 0.0(m)", "3\t\t OL "});
    GridView view;
    view.setGrid(&grid);
    view.resize(400, 300);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    QGuiApplication::clipboard()->setText(QStringLiteral("kept"));
    Qt::KeyboardModifiers modifiers;
    for (int record : fetched<QList<int>>("clicked")) {
        const QRect cell = view.visualRect(grid.index(record - 1, 1));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, modifiers, cell.center());
        modifiers = Qt::ControlModifier;
    }
    if (fetched<bool>("all"))
        QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    if (fetched<bool>("added")) {
        grid.appendRow(u"4");
        view.setCurrentRow(4);
    }
    QTest::keySequence(&view, QKeySequence::Copy);
    QCOMPARE(QGuiApplication::clipboard()->text(), fetched<QString>("copied"));
}

// The keys of every list and graph window's toolbar: Ctrl+P runs Print and says so in its
// tooltip, Esc closes the window; other keys run nothing.
void TestGrid::windowKeys_data()
{
    QTest::addColumn<QKeySequence>("keys");
    QTest::addColumn<QStringList>("ran");
    QTest::addColumn<bool>("closed");
    QTest::newRow("Ctrl+P prints") << QKeySequence("Ctrl+P") << QStringList{"Print"} << false;
    QTest::newRow("Esc closes") << QKeySequence("Esc") << QStringList{} << true;
    QTest::newRow("Ctrl+S is no list key") << QKeySequence("Ctrl+S") << QStringList{} << false;
}

void TestGrid::windowKeys()
{
    QWidget window;
    QStringList ran;
    QToolBar* toolbar = windowToolbar(&window,
                                      {{QIcon(), QStringLiteral("Save"), QStringLiteral("Save As")},
                                       {QIcon(), QStringLiteral("Print")}},
                                      [&ran](const QString& key) { ran << key; });
    QCOMPARE(toolbar->actions().at(0)->toolTip(), QString("Save As"));
    QCOMPARE(toolbar->actions().at(1)->toolTip(), QString("Print (Ctrl+P)"));
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QTest::keySequence(&window, fetched<QKeySequence>("keys"));
    QCOMPARE(ran, fetched<QStringList>("ran"));
    QCOMPARE(window.isVisible(), !fetched<bool>("closed"));
}

// The save dialogs offer the date and time of now, sortable, as the name.
void TestGrid::datedFileName_data()
{
    QTest::addColumn<QDateTime>("at");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("name");
    QTest::newRow("morning") << QDateTime(QDate(2026, 12, 8), QTime(10, 49, 59)) << "txt"
                             << "celldesk-2026-12-08-1049.txt";
    QTest::newRow("afternoon, 24-hour") << QDateTime(QDate(2026, 3, 4), QTime(17, 5)) << "csv"
                                        << "celldesk-2026-03-04-1705.csv";
    QTest::newRow("midnight") << QDateTime(QDate(2027, 1, 1), QTime(0, 0)) << "txt"
                              << "celldesk-2027-01-01-0000.txt";
}

void TestGrid::datedFileName()
{
    QCOMPARE(FileTransfer::datedFileName(fetched<QDateTime>("at"), fetched<QString>("suffix")),
             fetched<QString>("name"));
}

void TestGrid::chooseSaveFile_data()
{
    QTest::addColumn<QString>("answer");      // in a fresh folder with "rec2.txt" and "notes"
    QTest::addColumn<QList<bool>>("replace"); // answers to the replace question, if asked
    QTest::addColumn<QString>("saved");       // empty: nothing chosen
    QTest::newRow("a data file name") << "rec.txt" << QList<bool>{} << "rec.txt";
    // Else Open's data file filter would not show what was saved.
    QTest::newRow("no extension gets .txt") << "rec1" << QList<bool>{} << "rec1.txt";
    QTest::newRow("a trailing point gets txt") << "rec1." << QList<bool>{} << "rec1.txt";
    QTest::newRow("another extension stays") << "rec1.csv" << QList<bool>{} << "rec1.csv";
    QTest::newRow("an existing file keeps its name") << "notes" << QList<bool>{} << "notes";
    QTest::newRow("cancel") << "" << QList<bool>{} << "";
    // The dialog asked about "rec2"; "rec2.txt" is asked about here.
    QTest::newRow("final name exists, replaced") << "rec2" << QList<bool>{true} << "rec2.txt";
    QTest::newRow("final name exists, kept") << "rec2" << QList<bool>{false} << "";
}

void TestGrid::chooseSaveFile()
{
    Helpers h;
    QTemporaryDir dir;
    for (const char* name : {"rec2.txt", "notes"}) {
        QFile existing(dir.filePath(name));
        QVERIFY(existing.open(QIODevice::WriteOnly));
    }
    h.state.SaveFileName = QStringLiteral("/tmp/old-recording.txt");
    h.state.SaveFileChosen = true; // left so by a recording stopped by its stop check
    QFETCH(QString, answer);
    const QString saved = fetched<QString>("saved");
    const QList<bool> replace = fetched<QList<bool>>("replace");
    if (!answer.isEmpty())
        h.prompts.fileAnswers << dir.filePath(answer);
    h.prompts.confirmAnswers = replace;
    QCOMPARE(h.transfer.ChooseSaveFile(&h.window), !saved.isEmpty());
    QCOMPARE(h.state.SaveFileChosen, !saved.isEmpty());
    QCOMPARE(h.state.SaveFileName,
             saved.isEmpty() ? QString("/tmp/old-recording.txt") : dir.filePath(saved));
    const auto asked = h.prompts.of(ScriptedPrompts::Kind::SaveFile);
    QCOMPARE(asked.size(), 1);
    QCOMPARE(asked[0].filters, (QStringList{"Data Files (*.txt)", "All Files (*.*)"}));
    QCOMPARE(asked[0].defaultText, QString("celldesk-2026-12-06-1200.txt")); // the clock's now
    const auto questions = h.prompts.of(ScriptedPrompts::Kind::Confirm);
    QCOMPARE(questions.size(), replace.size());
    if (!questions.isEmpty()) {
        QCOMPARE(questions[0].text,
                 dir.filePath("rec2.txt") + " already exists.\nDo you want to replace it?");
        QCOMPARE(questions[0].defaultButton, Prompts::DefaultButton::Cancel);
    }
}

void TestGrid::saveWritesEveryRowWithCaptions()
{
    Helpers h;
    QTemporaryDir dir;
    h.state.SaveFileName = dir.filePath("list.txt");
    QFile old(h.state.SaveFileName);
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(1000, 'x')); // replaced, not overwritten in place
    old.close();
    h.grid.appendRow(QStringLiteral("1\t10:15:02\t105.0(m)"));
    h.grid.appendRow(QStringLiteral("2\t\t"));
    h.state.SaveFileChosen = true;
    QVERIFY(h.transfer.SaveGridToFile(h.window, h.grid));
    QCOMPARE(fileBytes(h.state.SaveFileName),
             QByteArray("No.s\tTime\tIn-Cap \t\r\n1\t10:15:02\t105.0(m)\t\r\n2\t\t\t\r\n"));
    QCOMPARE(h.captions, (QStringList{"0Records Completed", "1Records Completed",
                                      "2Records Completed", "Real Time List"}));
    QVERIFY(!h.state.SaveFileChosen);
    QVERIFY(h.prompts.asked.isEmpty());
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestGrid::saveFailureIsTold_data()
{
    QTest::addColumn<QString>("path"); // "pipe" and "old.txt" are made in a temporary folder
    QTest::addColumn<QString>("reason");
    QTest::addColumn<int>("sizeLimit"); // bytes a file may grow to, as on a disk that fills; 0
    // Refused before the open, which would wait for a reader of the pipe for ever.
    QTest::newRow("a device") << "/dev/full"
                              << "/dev/full is not a regular file" << 0;
    QTest::newRow("a named pipe") << "pipe"
                                  << "pipe is not a regular file" << 0;
    QTest::newRow("no such folder") << "/tmp/celldesk-no-such-folder/list.txt"
                                    << "No such file or directory" << 0;
    // The old file stays as it was, not cut: the new one is written beside it.
    QTest::newRow("the disk fills") << "old.txt"
                                    << "File too large" << 40;
}

void TestGrid::saveFailureIsTold()
{
    Helpers h;
    QTemporaryDir dir;
    QString path = fetched<QString>("path");
    const QByteArray old(100, 'x');
    if (path == u"pipe")
        QCOMPARE(::mkfifo(QFile::encodeName(path = dir.filePath(path)).constData(), 0600), 0);
    if (path == u"old.txt") {
        QFile file(path = dir.filePath(path));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
    }
    h.state.SaveFileName = path;
    h.state.SaveFileChosen = true;
    for (int r = 1; r <= 20; ++r)
        h.grid.appendRow(QStringLiteral("%1\t10:15:02\t0.0").arg(r));
    {
        const FileSizeLimit limit{rlim_t(fetched<int>("sizeLimit"))};
        QVERIFY(!h.transfer.SaveGridToFile(h.window, h.grid));
    }
    // What was there stays as it was, and nothing else is left beside it.
    if (path.endsWith(u"old.txt"))
        QCOMPARE(fileBytes(path), old);
    QVERIFY(QDir(dir.path()).entryList(QDir::Files | QDir::System).size() <= 1);
    QCOMPARE(h.prompts.asked.size(), 1);
    const auto& told = h.prompts.asked[0];
    QVERIFY2(told.text.contains(path), qPrintable(told.text));
    QVERIFY2(told.text.contains(fetched<QString>("reason")), qPrintable(told.text));
    QCOMPARE(told.icon, Prompts::Icon::Critical);
    QVERIFY(told.title.isEmpty());
    QCOMPARE(h.window.windowTitle(), QString("Real Time List"));
    QVERIFY(!h.state.SaveFileChosen);
    QVERIFY(!QGuiApplication::overrideCursor());
}

// Export CSV: the date of the first row asked for (today offered, the clock's) unless the
// list knows it, a ".csv" file, written whole; a cancel writes nothing, a failure is told.
void TestGrid::exportCsv_data()
{
    QTest::addColumn<QDate>("date");
    QTest::addColumn<bool>("ask");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("answer"); // in a temporary folder; empty for Cancel
    QTest::addColumn<QStringList>("asked");
    QTest::addColumn<QString>("written"); // empty: nothing
    const QStringList asked{"Input 2026-12-06", "SaveFile csv"};
    QTest::newRow("today offered, .csv added")
        << QDate() << true << QStringList{"2026-12-08"} << "rows" << asked << "rows.csv";
    QTest::newRow("a name with a suffix kept")
        << QDate() << true << QStringList{" 2026-12-08 "} << "rows.txt" << asked << "rows.txt";
    QTest::newRow("a file's date offered")
        << QDate(2026, 12, 1) << true << QStringList{"2026-12-08"} << "rows"
        << QStringList{"Input 2026-12-01", "SaveFile csv"} << "rows.csv";
    QTest::newRow("no date: asked again")
        << QDate() << true << QStringList{"8.12.2026", "2026-02-30", "2026-12-08"} << "rows"
        << QStringList{"Input 2026-12-06", "Message",          "Input 8.12.2026",
                       "Message",          "Input 2026-02-30", "SaveFile csv"}
        << "rows.csv";
    QTest::newRow("date cancelled")
        << QDate() << true << QStringList{} << "rows" << QStringList{"Input 2026-12-06"} << "";
    QTest::newRow("file cancelled")
        << QDate() << true << QStringList{"2026-12-08"} << "" << asked << "";
    QTest::newRow("date known: not asked") << QDate(2026, 12, 8) << false << QStringList{} << "rows"
                                           << QStringList{"SaveFile csv"} << "rows.csv";
    QTest::newRow("no such folder: told")
        << QDate(2026, 12, 8) << false << QStringList{} << "no-such-folder/rows.csv"
        << QStringList{"SaveFile csv", "Message"} << "";
    // A disk that fills in the middle: told, and no cut file left.
    QTest::newRow("the disk fills: told")
        << QDate(2026, 12, 8) << false << QStringList{} << "full/rows.csv"
        << QStringList{"SaveFile csv", "Message"} << "";
}

void TestGrid::exportCsv()
{
    Helpers h;
    QTemporaryDir dir;
    h.state.SaveFileName = QStringLiteral("/recording/in/use.txt");
    h.state.SaveFileChosen = true;
    TextGrid grid(9);
    const QStringList titles{"No.s",    "Time",    "V",        "400 mOhm", "mAmp",
                             "Celsius", "In-Cap ", "Out-Cap ", "T-Cap "};
    for (int c = 0; c < 9; ++c)
        grid.setTitle(c, titles[c]);
    grid.appendRow(u"1\t23:59:59\t12.53\t 41.2\t-511.0\t 25.3\t105.0(m)\t0.0(m)\t OL ");
    grid.appendRow(u"2\t00:00:01\t12.52\t 41.2\t-510.9\t 25.3\t105.3(m)\t0.0(m)\t0.000");
    h.prompts.inputAnswers = fetched<QStringList>("entries");
    const QString answer = fetched<QString>("answer");
    if (!answer.isEmpty())
        h.prompts.fileAnswers << dir.filePath(answer);

    // The CSV is some 300 bytes: the disk fills after 200 of them.
    const FileSizeLimit limit{answer.startsWith("full/") ? rlim_t(200) : 0};
    if (answer.startsWith("full/"))
        QVERIFY(QDir(dir.path()).mkdir("full"));
    const bool written = h.transfer.ExportCsv(h.window, grid, FileTransfer::csvSourceOf(grid),
                                              {fetched<QDate>("date"), fetched<bool>("ask")});
    QStringList asked;
    for (const auto& a : h.prompts.asked) {
        if (a.kind == ScriptedPrompts::Kind::Input)
            asked << "Input " + a.defaultText;
        else if (a.kind == ScriptedPrompts::Kind::SaveFile)
            asked << "SaveFile " + a.suffix;
        else
            asked << "Message";
    }
    QCOMPARE(asked, fetched<QStringList>("asked"));
    for (const auto& a : h.prompts.of(ScriptedPrompts::Kind::SaveFile)) {
        QCOMPARE(a.filters, (QStringList{"CSV Files (*.csv)", "All Files (*.*)"}));
        QCOMPARE(a.defaultText, QString("celldesk-2026-12-06-1200.csv"));
    }
    for (const auto& a : h.prompts.of(ScriptedPrompts::Kind::Input)) {
        QCOMPARE(a.text, QString("Enter the DATE of the first record\r\n(YYYY-MM-DD) "));
        QCOMPARE(a.title, QString("Export CSV"));
    }
    const QString name = fetched<QString>("written");
    QCOMPARE(written, !name.isEmpty());
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
             name.isEmpty() ? QStringList() : QStringList{name});
    if (!name.isEmpty()) {
        QCOMPARE(fileBytes(dir.filePath(name)),
                 csvBytes(csvHeader(TemperatureUnit::Celsius)) +
                     "1,2026-12-08T23:59:59,0,12.53,0.0412,-0.5110,25.3,0.1050,0.0000,,"
                     "OL:total_capacity,+01:00\n"
                     "2,2026-12-09T00:00:01,2,12.52,0.0412,-0.5109,25.3,0.1053,0.0000,"
                     "0.000,,+01:00\n");
    }
    if (answer.contains('/')) {
        const auto& told = h.prompts.asked.last();
        QVERIFY2(told.text.contains(dir.filePath(answer)), qPrintable(told.text));
        QVERIFY2(told.text.contains(answer.startsWith("full/") ? "File too large"
                                                               : "No such file or directory"),
                 qPrintable(told.text));
        QCOMPARE(told.icon, Prompts::Icon::Critical);
        QCOMPARE(QDir(dir.filePath("full")).entryList(QDir::Files | QDir::Hidden), QStringList());
    }
    // The recording's file stays the program's save file.
    QCOMPARE(h.state.SaveFileName, QString("/recording/in/use.txt"));
    QVERIFY(h.state.SaveFileChosen);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestGrid::printToPdfLetsEventsRun()
{
    Helpers h;
    QTemporaryDir dir;
    const QString pdf = dir.filePath("list.pdf");
    for (int r = 1; r <= 150; ++r) // more than a page
        h.grid.appendRow(QStringLiteral("%1\t10:15:02\t12.50(m)").arg(r));
    h.prompts.printAnswers << true;
    h.prompts.setUpPrinter = [&](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
    };
    // Events run between the lines: rows added meanwhile are not printed.
    QTimer during;
    QObject::connect(&during, &QTimer::timeout,
                     [&] { h.grid.appendRow(QStringLiteral("late\t\t")); });
    during.start(0);
    QVERIFY(h.transfer.PrintGrid(h.window, h.grid));
    during.stop();
    QVERIFY(h.prompts.of(ScriptedPrompts::Kind::Message).isEmpty());
    QVERIFY(fileBytes(pdf).startsWith("%PDF"));
    QCOMPARE(h.captions.first(), QString("0 record(s) completed"));
    QCOMPARE(h.captions.at(h.captions.size() - 2), QString("150 record(s) completed"));
    QCOMPARE(h.captions.last(), QString("Real Time List"));
    QVERIFY(h.grid.rows() > 151);
    QVERIFY(!QGuiApplication::overrideCursor());
}

void TestGrid::printCancelledOrFailingRestoresEverything_data()
{
    QTest::addColumn<bool>("answer");
    QTest::addColumn<QString>("pdf");
    QTest::addColumn<bool>("told");
    QTest::newRow("dialog cancelled") << false << "" << false;
    QTest::newRow("PDF path cannot be written")
        << true << "/tmp/celldesk-no-such-folder/list.pdf" << true;
}

void TestGrid::printCancelledOrFailingRestoresEverything()
{
    Helpers h;
    h.grid.appendRow(QStringLiteral("1\t10:15:02\t0.0"));
    h.prompts.printAnswers << fetched<bool>("answer");
    h.prompts.setUpPrinter = [](QPrinter& printer) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(fetched<QString>("pdf"));
    };
    QVERIFY(!h.transfer.PrintGrid(h.window, h.grid));
    QCOMPARE(h.window.windowTitle(), QString("Real Time List"));
    QVERIFY(!QGuiApplication::overrideCursor());
    const auto messages = h.prompts.of(ScriptedPrompts::Kind::Message);
    QCOMPARE(messages.size(), fetched<bool>("told") ? 1 : 0);
    if (!messages.isEmpty()) {
        QVERIFY(messages[0].text.contains(fetched<QString>("pdf")));
        QCOMPARE(messages[0].icon, Prompts::Icon::Critical);
    }
}

void TestGrid::printedPagesAreHeaded_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<double>("chosenMargin"); // mm, as the print dialog left them
    QTest::addColumn<double>("leftMargin");   // mm, as printed
    QTest::newRow("one page, narrow margins widened") << 1 << 4.0 << 10.0;
    QTest::newRow("many pages") << 150 << 4.0 << 10.0;
    QTest::newRow("wider margins kept") << 20 << 15.0 << 15.0;
}

// Every page carries the caption, what the list shows, the time printed, the column titles and
// "page n of m" with the true count; the lines themselves keep their columns.
void TestGrid::printedPagesAreHeaded()
{
    Helpers h;
    QTemporaryDir dir;
    const QString pdf = dir.filePath("list.pdf");
    for (int r = 1; r <= fetched<int>("rows"); ++r)
        h.grid.appendRow(QStringLiteral("%1\t10:15:02\t12.50(m)").arg(r));
    h.prompts.printAnswers << true;
    h.prompts.setUpPrinter = [&](QPrinter& printer) {
        pdfPrinter(pdf)(printer);
        const qreal m = fetched<double>("chosenMargin");
        printer.setPageMargins(QMarginsF(m, m, m, m), QPageLayout::Millimeter);
    };
    QVERIFY(h.transfer.PrintGrid(h.window, h.grid, QStringLiteral("/data/cell7.txt")));
    const int pages = pdfPages(pdf);
    const QString text = pdfText(pdf);
    QCOMPARE(text.count(QStringLiteral("Real Time List — /data/cell7.txt")), pages);
    QCOMPARE(text.count(QStringLiteral("Printed 2026-12-06 12:00:00")), pages);
    for (int n = 1; n <= pages + 1; ++n)
        QCOMPARE(text.contains(QStringLiteral("page %1 of %2").arg(n).arg(pages)), n <= pages);
    QVERIFY(text.contains(QStringLiteral("1      10:15:02  12.50(m) ")));
    QVERIFY(pages > 1 || fetched<int>("rows") < 50);
    // The column titles head every page's lines; each record is printed once.
    QCOMPARE(text.count(QStringLiteral("No.s   Time      In-Cap   ")), pages);
    QCOMPARE(text.count(QStringLiteral("10:15:02  12.50(m)")), fetched<int>("rows"));
    const double left = pdfLeftMargin(pdf) / 72 * 25.4;
    QVERIFY(left >= 10 && std::abs(left - fetched<double>("leftMargin")) < 0.5);
}

void TestGrid::saveDialogSuffixFromFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("suffix");
    const std::pair<const char*, const char*> rows[]{
        {"PNG Image (*.png)", "png"}, {"All Files (*.*)", ""}, {"Images (*.png *.jpg)", ""}};
    for (const auto& [filter, suffix] : rows)
        QTest::newRow(filter) << QString(filter) << QString(suffix);
}

void TestGrid::saveDialogSuffixFromFilter()
{
    QCOMPARE(filterSuffix(fetched<QString>("filter")), fetched<QString>("suffix"));
}

QTEST_MAIN(TestGrid)
#include "tst_grid.moc"
