#pragma once

#include <QObject>
#include <QPointer>

class ChannelDialog;
class Clock;
class GraphWindow;
class LiveGraphWindow;
class Prompts;
class QWidget;
struct AppState;

/// The all-channel live graph's side of the program: the toolbar's Graph command, the channel
/// dialog `AllGraph` that starts the live window `RealTimeAll`, and the detail dialog
/// `GraphDetail` that a click on the live graph (or the detail window's Reset) opens and
/// that fills the detail window `RealTimeGraph` from the collected history.
class LiveGraph : public QObject
{
    Q_OBJECT
public:
    /// `clock` stamps the live graph's samples with their time of day and dates the graphs'
    /// printouts.
    LiveGraph(AppState& state, Prompts& prompts, const Clock& clock, QWidget* mainWindow,
              QObject* parent = nullptr);
    /// Closes the detail window it opened (the other windows belong to the main window).
    ~LiveGraph() override;

    /// Toolbar "Graph": unless the live graph runs, the default ranges, the current's unit,
    /// and the channel dialog.
    void runGraphCommand();
    /// The reading comes from elsewhere than a meter on this machine (a meter on the lab's
    /// broker, `name`), in messages that may come less often than the graph samples: the live
    /// windows opened from now on carry the name in their caption and draw a reading again for
    /// up to `holdMs` after it arrived instead of a gap.
    void setFeed(const QString& name, qint64 holdMs);

    /// The open windows, or null: `AllGraph`, `GraphDetail`, `RealTimeAll`, `RealTimeGraph`.
    [[nodiscard]] ChannelDialog* graphDialog() const;
    [[nodiscard]] ChannelDialog* detailDialog() const;
    [[nodiscard]] LiveGraphWindow* window() const;
    [[nodiscard]] GraphWindow* detailWindow() const;

private:
    enum class DetailSource
    {
        GraphClick, ///< the live pairs and the live choice
        Reset       ///< the detail dialog's own last pairs and choice
    };

    void showGraphDialog();
    void startGraph();
    void graphClicked();
    void showDetailDialog(DetailSource source);
    void fillDetail();

    AppState& m_state;
    Prompts& m_prompts;
    const Clock& m_clock;
    QWidget* m_mainWindow;
    QPointer<ChannelDialog> m_graphDialog;
    QPointer<ChannelDialog> m_detailDialog;
    QPointer<LiveGraphWindow> m_window;
    QPointer<GraphWindow> m_detailWindow;
    QString m_feedName;
    qint64 m_holdMs = 0;
};
