#pragma once

// The file list under test: the Open command as the main window holds it, without a meter,
// files to open, the list's titles and rows, clicks on its cells and titles, and a device
// that fails part-way as a failing disk does.
#include "AppState.h"
#include "AxisEdit.h"
#include "Clock.h"
#include "FailingDevice.h"
#include "Fetch.h"
#include "FileList.h"
#include "FileTransfer.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "GridView.h"
#include "OpenFileCommand.h"
#include "PrintedPdf.h"
#include "ScriptedPrompts.h"
#include "TextGrid.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>

#include <sys/stat.h>

/// The Open command as the main window holds it, without a meter.
struct FileRig
{
    AppState state;
    ScriptedPrompts prompts;
    ManualClock clock;
    FileTransfer transfer{state, prompts, clock};
    QWidget mainWindow;
    OpenFileCommand open{state, prompts, transfer, &mainWindow};
    QTemporaryDir dir;

    FileRig()
    {
        state.reading.RangeText = QStringLiteral("40 Ohm");
        state.reading.TempUnitText = QStringLiteral("Celsius");
        mainWindow.setGeometry(100, 50, 300, 400);
    }
    QString write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    /// Toolbar "Open" answered with `path`; the list it left open, or null. Held in a QPointer
    /// like every window under test, so a window that is gone fails the test instead of
    /// crashing it.
    QPointer<FileList> openFile(const QString& path)
    {
        prompts.fileAnswers << path;
        open.run();
        return open.window();
    }
    /// Opens `path` and waits until the list has read it.
    QPointer<FileList> load(const QString& path)
    {
        QPointer<FileList> list = openFile(path);
        if (list && !QTest::qWaitFor([&] { return !list || !list->isLoading(); }, 20000))
            return nullptr;
        return list;
    }
    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
};

inline QStringList titlesOf(const TextGrid& g)
{
    QStringList titles;
    for (int c = 0; c < g.columns(); ++c)
        titles << g.cell(0, c);
    return titles;
}

inline QStringList rowOf(const TextGrid& g, int row)
{
    QStringList cells;
    for (int c = 0; c < g.columns(); ++c)
        cells << g.cell(row, c);
    return cells;
}

// A recorder file of `records` lines: a slowly falling voltage.
inline QByteArray recorderFile(int records)
{
    QByteArray bytes = "No.s\tTime\tV\t400 mOhm\tAmp\tCelsius\tIn-Cap \tOut-Cap \tT-Cap \r\n";
    bytes.reserve(records * 70);
    for (int i = 1; i <= records; ++i) {
        const int s = i % 86400;
        bytes += QByteArray::number(i) + '\t' +
                 QStringLiteral("%1:%2:%3")
                     .arg(s / 3600, 2, 10, QLatin1Char('0'))
                     .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
                     .arg(s % 60, 2, 10, QLatin1Char('0'))
                     .toLatin1() +
                 '\t' + QByteArray::number(12.8 - i / 10000.0, 'f', 2) +
                 "\t 41.2\t-0.511\t 25.3\t105.0(m)\t0.0(m)\t105.0(m)\r\n";
    }
    return bytes;
}

// Whether this process holds `path` open.
inline bool fileHeldOpen(const QString& path)
{
    const QString target = QFileInfo(path).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/self/fd"));
    for (const QFileInfo& fd : fds.entryInfoList(QDir::Files | QDir::System)) {
        if (fd.symLinkTarget() == target)
            return true;
    }
    return false;
}

inline void clickCell(GridView& view, int gridRow, int column)
{
    const QRect cell = view.visualRect(view.model()->index(gridRow - 1, column));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, cell.center());
}

inline void clickTitle(GridView& view, int column)
{
    QHeaderView* header = view.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                    header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
}

const QStringList kRecorderTitles{"No.s",    "Time",   "V",       "400 mOhm", "Amp",
                                  "Celsius", "In-Cap", "Out-Cap", "T-Cap"};
