#pragma once

#include "AllChannelGraph.h"
#include "RowTimes.h"
#include "SampleSchedule.h"
#include "TwipsScale.h"
#include "WindowHandlers.h"

#include <QWidget>

#include <optional>

class Clock;
class GraphView;
class Prompts;
class QAction;
class QComboBox;
class QLabel;
class QTimer;
class QToolBar;
struct CurrentReading;

/// The live all-channel graph `RealTimeAll` ("Real Time Graph"): once a second (`Timer1`) it
/// turns the front panel's seven value texts into numbers, appends the chosen channels to
/// their traces and stores all seven in the five-day history; a second without a young display
/// frame (FreshReading) is stored and drawn as a gap (NaN). Its toolbar offers "Resize"
/// (back to the channel dialog), "Print" and "Save image"; a click on the graph asks for the
/// detail graph.
///
/// The traces keep the latest TraceWindow samples and the record axis scrolls with them, so
/// a tick costs the same after five days as after five seconds; the history keeps the rest.
///
/// The toolbar also offers "Fit" (the key F, a double-click on the graph: every axis to the
/// traces), "Follow" (off at the start: the record axis on the newest samples and the value
/// axes fitted to them at every tick) and the list `XReading` (the record axis in seconds
/// since the start, the time of day of each sample or the elapsed time). Zooming or panning
/// by hand ends Follow, and a record axis moved by hand stays where it was put until the next
/// Fit or Follow.
class LiveGraphWindow : public QWidget
{
    Q_OBJECT
public:
    /// Samples the traces keep: the latest hour.
    static constexpr int TraceWindow = 3600;
    /// The record axis shows at least this many samples, so the first minute fills it.
    static constexpr int MinimumSpan = 60;

    /// The load step: beside `mainWindow`, legends and value-axis ranges from `graph`, all
    /// five value axes and seven traces in place, `Timer1` off. `clock` dates the printouts.
    LiveGraphWindow(AllChannelGraph& graph, const CurrentReading& reading, Prompts& prompts,
                    const Clock& clock, QWidget* mainWindow);

    /// `CWGraph1`.
    [[nodiscard]] GraphView* graph() const { return m_graph; }
    /// `Timer1`.
    [[nodiscard]] QTimer* timer() const { return m_timer; }
    /// `Toolbar1`.
    [[nodiscard]] QToolBar* toolbar() const { return m_toolbar; }
    /// A legend label by object name (`LblV`, `LblCap`, ...).
    [[nodiscard]] QLabel* label(const QString& name) const;
    /// Samples taken since the window opened (the record number of the latest point).
    [[nodiscard]] qint64 records() const { return m_records; }

    /// The reading comes in messages from a meter elsewhere (`name`, shown in the caption and
    /// the printouts) that may come less often than once a second: a reading is drawn again
    /// at the ticks until it is `holdMs` old (the lab's amber threshold), and only then a gap.
    void setFeed(const QString& name, qint64 holdMs);
    /// Timer1_Timer: the close check, then one sample.
    void tick();
    /// Toolbar1_ButtonClick: "Resize", "Print", "Fit" or "Save image".
    void runToolbarCommand(const QString& key);
    /// "Fit": every axis to the traces; a record axis moved by hand scrolls again.
    void fit();
    /// "Follow" on or off.
    void setFollow(bool on);
    [[nodiscard]] bool following() const { return m_following; }
    /// How the record axis reads.
    void setXReading(XReading reading);
    /// Asks for a printer and prints an image of the window on one page under the page
    /// header, without its toolbar and on white; the window is restored on every path.
    void print();
    /// Saves the graph with its title and legend as a PNG, SVG or PDF picture, of the graph's
    /// size or one the user types.
    void saveImage();
    /// What the window shows, for the printout's header and the picture's title: the live
    /// readings since it opened.
    [[nodiscard]] const QString& source() const { return m_source; }

signals:
    /// "Resize": the channel dialog is wanted again (the window closes itself).
    void resizeRequested();
    /// A click on the graph: the detail dialog is wanted.
    void graphClicked();
    /// The window was closed (unloaded): it samples no more.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    class PrintLook;

    void buildToolbar();
    void buildLegend(const CurrentReading& reading);
    void buildGraph();
    void showRecordAxis();
    void addViewControls();
    void movedByHand(Qt::Orientations directions);
    void setBackgroundColour(const QColor& colour);

    AllChannelGraph& m_state;
    const CurrentReading& m_reading;
    Prompts& m_prompts;
    const Clock& m_clock;
    QString m_source;
    TwipsScale m_scale;
    QToolBar* m_toolbar = nullptr;
    QWidget* m_legend = nullptr;
    GraphView* m_graph = nullptr;
    QTimer* m_timer = nullptr;
    qint64 m_records = 0;
    FreshReading m_fresh; // whether a young frame arrived since the last tick
    qint64 m_holdMs = 0;  // a fed reading is drawn again up to this age
    QAction* m_follow = nullptr;
    QComboBox* m_xReading = nullptr;
    bool m_following = false;
    bool m_xPinned = false;           // the record axis was moved by hand: no scrolling
    bool m_xFitted = false;           // the record axis spans the samples, not at least a minute
    WindowHandlers m_handlers{*this}; // a print or a save: its dialogs run events
};
