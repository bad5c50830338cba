#pragma once

// The live all-channel graph on a fresh AppState without a meter, for its tests: the graph
// command, its dialogs and windows found by object name, ticks with or without a new frame,
// and what the traces hold.
#include "AppState.h"
#include "AxisEdit.h"
#include "ChannelColours.h"
#include "ChannelDialog.h"
#include "Clock.h"
#include "Fetch.h"
#include "GraphPicture.h"
#include "GraphView.h"
#include "GraphWindow.h"
#include "LiveGraph.h"
#include "LiveGraphWindow.h"
#include "PlotColours.h"
#include "PrintedPdf.h"
#include "ScriptedPrompts.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <cmath>

using Choice = std::array<bool, GraphChannelCount>;
Q_DECLARE_METATYPE(Choice)

constexpr Choice kAll{true, true, true, true, true};
const QColor kTeal(0, 128, 128);
const char* const kChecks[] = {"CkV", "CkA", "CkTemp", "CkOhm", "CkCap"};
const char* const kSuffix[] = {"V", "A", "T", "O", "C"};
const char* const kFrames[] = {"VFrame", "AFrame", "TFrame", "OFrame", "CapFrame"};
const QStringList kCapacityLabels{"LblCap", "LblSymbol1", "LblIn",
                                  "LblOut", "LblTotal",   "LblSymbol2"};

template <typename T> T* child(const QWidget* w, const QString& name)
{
    T* c = w->findChild<T*>(name);
    if (!c)
        qWarning("no %s", qPrintable(name));
    return c;
}

inline AxisEdit* edit(const QWidget* d, const char* minMax, int channel)
{
    return child<AxisEdit>(d, QStringLiteral("Axis%1%2").arg(minMax, kSuffix[channel]));
}

inline QWidget* topLevel(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == name && w->isVisible())
            return w;
    }
    return nullptr;
}

struct Rig
{
    AppState state;
    ScriptedPrompts prompts;
    QWidget main;
    ManualClock clock{QDateTime(QDate(2026, 12, 8), QTime(23, 59, 58))};
    LiveGraph graph{state, prompts, clock, &main};

    Rig()
    {
        main.setGeometry(40, 60, 320, 240);
        main.show();
        CurrentReading& r = state.reading;
        r.valueTexts = {"12.53", " 41.2", "-0.511", " 25.3", "1500", "1.234", "0L"};
        r.capMilli = {true, false, false};
        r.pointPos[CurrentReading::Current] = 1;
        r.RangeText = "400 mOhm";
        r.TempUnitText = "Celsius";
        r.celsius = true;
    }

    ChannelDialog* graphDialog() { return qobject_cast<ChannelDialog*>(topLevel("AllGraph")); }
    ChannelDialog* detailDialog() { return qobject_cast<ChannelDialog*>(topLevel("GraphDetail")); }
    LiveGraphWindow* live() const
    {
        for (LiveGraphWindow* w : main.findChildren<LiveGraphWindow*>("RealTimeAll")) {
            if (w->isVisible())
                return w;
        }
        return nullptr;
    }
    GraphWindow* detail() { return qobject_cast<GraphWindow*>(topLevel("RealTimeGraph")); }

    static void check(QWidget* dialog, const Choice& choice)
    {
        for (int c = 0; c < GraphChannelCount; ++c)
            child<QCheckBox>(dialog, kChecks[c])->setChecked(choice[std::size_t(c)]);
    }
    static void ok(QWidget* dialog) { child<QPushButton>(dialog, "CmdOK")->click(); }

    // Toolbar "Graph", the boxes of `choice`, OK: the running live window.
    LiveGraphWindow* start(const Choice& choice)
    {
        graph.runGraphCommand();
        ChannelDialog* d = graphDialog();
        if (!d)
            return nullptr;
        check(d, choice);
        ok(d);
        return live();
    }
    /// Seconds in which a display frame arrived (the live poll counts each decoded frame in
    /// the reading), each with its tick.
    void ticks(int n)
    {
        for (int i = 0; i < n; ++i) {
            ++state.reading.frameNumber;
            live()->tick();
        }
    }
    void clickGraph() { emit live()->graph()->clicked(1, 0); }
    // Waits for closed windows to be deleted.
    static void settle()
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
};

inline QCPRange range(GraphView* g, int axis)
{
    return g->axis(axis)->range();
}

inline QList<double> values(GraphView* g, int plot)
{
    QList<double> v;
    if (QCPGraph* p = g->plot(plot)) {
        for (auto it = p->data()->constBegin(); it != p->data()->constEnd(); ++it)
            v << it->value;
    }
    return v;
}

// The values with each NaN (a gap) as -1e9, so that lists of them compare.
inline QList<double> gapsMarked(QList<double> values)
{
    for (double& v : values)
        v = std::isnan(v) ? -1e9 : v;
    return values;
}

inline QList<double> keys(GraphView* g, int plot)
{
    QList<double> k;
    if (QCPGraph* p = g->plot(plot)) {
        for (auto it = p->data()->constBegin(); it != p->data()->constEnd(); ++it)
            k << it->key;
    }
    return k;
}

inline bool shown(const QWidget* w, const QString& name)
{
    const QLabel* l = w->findChild<QLabel*>(name);
    return l && !l->isHidden();
}
