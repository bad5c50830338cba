#pragma once

// The graph windows (stored-data, detail, live detail) built as the program builds them, for
// their tests: a stored-data graph filled with a voltage column, the window's labels and axis
// ranges, mouse drags on the graph, and the look a print or a picture must leave as it was.
#include "AxisEdit.h"
#include "Clock.h"
#include "ColumnPlotRequest.h"
#include "Fetch.h"
#include "FileSizeLimit.h"
#include "FitOnOpen.h"
#include "GraphPicture.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "PrintedPdf.h"
#include "ScriptedPrompts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <sys/stat.h>

using Kind = GraphWindow::Kind;
Q_DECLARE_METATYPE(GraphWindow::Kind)
Q_DECLARE_METATYPE(XReading)

// The time the printouts are dated with.
const ManualClock kClock(QDateTime(QDate(2026, 12, 8), QTime(10, 15, 2)));

// A stored-data graph filled as a click on a voltage column of `rows` records fills it, from
// `request` (the program's shared one).
inline std::unique_ptr<GraphWindow> storedGraph(ScriptedPrompts& prompts, int rows,
                                                PlotRequest& request)
{
    auto w = std::make_unique<GraphWindow>(Kind::Stored, prompts, kClock);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    QStringList texts;
    for (int i = 0; i < rows; ++i)
        texts << QString::number(12.5 - i * 0.01, 'f', 2);
    const std::vector<float> values = preparePlotRequest(request, *columnKind(2, "V"), texts);
    w->showColumn(request, values);
    return w;
}

inline std::unique_ptr<GraphWindow> storedGraph(ScriptedPrompts& prompts, int rows)
{
    PlotRequest request;
    return storedGraph(prompts, rows, request);
}

inline std::unique_ptr<GraphWindow> window(Kind kind, ScriptedPrompts& prompts)
{
    if (kind == Kind::Stored)
        return storedGraph(prompts, 120);
    auto w = std::make_unique<GraphWindow>(kind, prompts, kClock);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    return w;
}

inline QString text(const GraphWindow& w, const char* name)
{
    if (auto* l = w.findChild<QLabel*>(name))
        return l->text();
    return w.findChild<QPlainTextEdit*>(name)->toPlainText();
}

inline QCPRange range(const GraphWindow& w, int axis)
{
    return w.graph()->axis(axis)->range();
}

inline void mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), Qt::LeftButton, held,
                  Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

// Presses the left button at `from`, moves to `to` in steps and lets go.
inline void drag(GraphView* g, QPoint from, QPoint to)
{
    mouse(g, QEvent::MouseButtonPress, from, Qt::LeftButton);
    for (int step = 1; step <= 4; ++step)
        mouse(g, QEvent::MouseMove, from + (to - from) * step / 4, Qt::LeftButton);
    mouse(g, QEvent::MouseButtonRelease, to, Qt::NoButton);
}

struct Look
{
    bool frameShown;
    QColor plotArea;
    QColor background;
    QSize size;
    QRect graph;
    bool operator==(const Look&) const = default;
};

inline Look lookOf(const GraphWindow& w)
{
    return {!w.findChild<QFrame*>("FrmGraphic")->isHidden(), w.graph()->plotAreaColor(),
            w.palette().color(QPalette::Window), w.size(), w.graph()->geometry()};
}
