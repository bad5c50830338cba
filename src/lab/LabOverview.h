#pragma once

#include "BrokerSettings.h"
#include "LabTable.h"
#include "MqttClient.h"

#include <QTimer>
#include <QWidget>

#include <map>
#include <memory>

class Clock;
class LiveGraph;
class Prompts;
class QLabel;
class QSpinBox;
class QTableView;

/// The "Lab Overview" window (`LabOverview`): every meter that publishes on the lab's broker,
/// one row each (LabTable), from the subscriptions <prefix>/+/reading and <prefix>/+/status.
/// It needs no meter of its own. `LblBroker` tells whether the broker is there, `StaleSeconds`
/// sets after how long without a reading a meter turns amber, and a double-click on a row
/// opens the all-channel live graph of that meter, fed from its messages.
class LabOverview : public QWidget
{
    Q_OBJECT
public:
    /// Subscribes at once; `opener` is the window it goes beside (null: none).
    LabOverview(const BrokerSettings& broker, const QString& prefix, const Clock& clock,
                Prompts& prompts, QWidget* opener = nullptr);
    ~LabOverview() override;

    [[nodiscard]] LabTable& table() { return m_table; }
    /// `Grid`.
    [[nodiscard]] QTableView* view() const { return m_view; }
    /// `LblBroker`.
    [[nodiscard]] QLabel* brokerLabel() const { return m_broker; }
    /// `StaleSeconds`.
    [[nodiscard]] QSpinBox* staleBox() const { return m_stale; }
    [[nodiscard]] const MqttClient& client() const { return m_client; }

    /// A double-click on `row`: the meter's live graph, through the channel dialog as the
    /// main window's Graph button opens it; an open one comes to the front.
    void openGraph(int row);
    /// The live graph side of `meter`, once a graph was asked for; else null.
    [[nodiscard]] LiveGraph* graphOf(const QString& meter) const;

private:
    struct MeterGraph;

    void showBroker(const QString& text);
    void feedGraph(const QString& meter);

    const Clock& m_clock;
    Prompts& m_prompts;
    QString m_prefix;
    MqttClient m_client;
    LabTable m_table;
    QLabel* m_broker = nullptr;
    QSpinBox* m_stale = nullptr;
    QTableView* m_view = nullptr;
    QTimer m_refresh;
    std::map<QString, std::unique_ptr<MeterGraph>> m_graphs;
};
