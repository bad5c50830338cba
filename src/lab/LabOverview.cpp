#include "LabOverview.h"

#include "AppState.h"
#include "LiveGraph.h"
#include "LiveGraphWindow.h"
#include "WindowPlacement.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

namespace {

// Column widths: as wide as these texts in the table's font.
const std::array<const char*, LabTable::ColumnCount> kWidthTexts{
    "bench3-ttyUSB0-x", "link lost", "23 h 59 min", "-12.345 V",  "-1234 mA",
    "400.0 mOhm",       "-12.3 C",   "1234.5 mAh",  "1234.5 mAh", "1234.5 mAh"};

} // namespace

// One meter's live graph: the program-wide records a live graph reads, here for a meter on
// the broker, whose reading the messages fill.
struct LabOverview::MeterGraph
{
    AppState state;
    std::unique_ptr<LiveGraph> graph;
};

LabOverview::LabOverview(const BrokerSettings& broker, const QString& prefix, const Clock& clock,
                         Prompts& prompts, QWidget* opener)
    : QWidget(opener, Qt::Window), m_clock(clock), m_prompts(prompts), m_prefix(prefix),
      m_client(broker), m_table(clock)
{
    setObjectName(QStringLiteral("LabOverview"));
    setWindowTitle(QStringLiteral("Lab Overview"));

    m_broker = new QLabel(this);
    m_broker->setObjectName(QStringLiteral("LblBroker"));
    m_stale = new QSpinBox(this);
    m_stale->setObjectName(QStringLiteral("StaleSeconds"));
    m_stale->setRange(1, 86400);
    m_stale->setSuffix(QStringLiteral(" s"));
    m_stale->setValue(LabTable::DefaultStaleSeconds);
    m_stale->setToolTip(QStringLiteral("A meter turns amber when its last reading is older"));
    connect(m_stale, &QSpinBox::valueChanged, this, [this](int seconds) {
        m_table.setStaleSeconds(seconds);
        for (const auto& [name, g] : m_graphs) {
            if (g->graph)
                g->graph->setFeed(name, qint64(seconds) * 1000);
        }
    });

    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("Grid"));
    m_view->setModel(&m_table);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->verticalHeader()->hide();
    m_view->setWordWrap(false);
    const QFontMetrics metrics(m_view->font());
    for (int c = 0; c < LabTable::ColumnCount; ++c) {
        const QString title = m_table.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        const int width =
            std::max(metrics.horizontalAdvance(QString::fromLatin1(kWidthTexts[std::size_t(c)])),
                     metrics.horizontalAdvance(title));
        m_view->setColumnWidth(c, width + 16);
    }
    m_view->horizontalHeader()->setStretchLastSection(true);
    // A meter's name (often a host's and an adapter's) is shown whole.
    connect(&m_table, &LabTable::rowsInserted, this, [this] {
        const int shown = m_view->columnWidth(LabTable::Meter);
        m_view->resizeColumnToContents(LabTable::Meter);
        m_view->setColumnWidth(LabTable::Meter,
                               std::max(shown, m_view->columnWidth(LabTable::Meter)));
    });
    connect(m_view, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { openGraph(index.row()); });

    auto* top = new QHBoxLayout;
    top->addWidget(m_broker, 1);
    auto* staleCaption = new QLabel(QStringLiteral("Amber after"), this);
    staleCaption->setBuddy(m_stale);
    top->addWidget(staleCaption);
    top->addWidget(m_stale);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_view, 1);

    int width = 0;
    for (int c = 0; c < LabTable::ColumnCount; ++c)
        width += m_view->columnWidth(c);
    resize(width + 40, 420);
    WindowPlacement::manage(this);
    if (opener)
        WindowPlacement::setOpener(this, opener);

    m_refresh.setInterval(1000);
    connect(&m_refresh, &QTimer::timeout, &m_table, &LabTable::refresh);
    m_refresh.start();

    connect(&m_table, &LabTable::readingTaken, this, &LabOverview::feedGraph);
    connect(&m_client, &MqttClient::received, this,
            [this](const QByteArray& topic, const QByteArray& payload) {
                m_table.take(m_prefix, topic, payload);
            });
    connect(&m_client, &MqttClient::connected, this,
            [this] { showBroker(QStringLiteral("%1: connected").arg(m_client.brokerUrl())); });
    connect(&m_client, &MqttClient::connectionLost, this,
            [this](const QString& reason, int retryMs) {
                showBroker(QStringLiteral("%1: not available (%2); next try in %3 s")
                               .arg(m_client.brokerUrl(), reason)
                               .arg(retryMs / 1000));
            });
    showBroker(QStringLiteral("%1: connecting").arg(m_client.brokerUrl()));
    m_client.subscribe(labSubscription(prefix, LabTopicKind::Reading));
    m_client.subscribe(labSubscription(prefix, LabTopicKind::Status));
    m_client.start();
}

LabOverview::~LabOverview()
{
    // The graph windows are this window's children, but read their meter's records, which go
    // first.
    for (const auto& [name, g] : m_graphs)
        delete g->graph->window();
}

void LabOverview::showBroker(const QString& text)
{
    m_broker->setText(text);
}

LiveGraph* LabOverview::graphOf(const QString& meter) const
{
    const auto it = m_graphs.find(meter);
    return it == m_graphs.end() ? nullptr : it->second->graph.get();
}

void LabOverview::feedGraph(const QString& meter)
{
    const auto it = m_graphs.find(meter);
    if (it == m_graphs.end())
        return;
    if (const std::optional<int> row = m_table.roster().rowOf(meter))
        it->second->state.reading = m_table.roster().at(*row).reading;
}

void LabOverview::openGraph(int row)
{
    if (row < 0 || row >= m_table.roster().size())
        return;
    const LabMeter& meter = m_table.roster().at(row);
    std::unique_ptr<MeterGraph>& g = m_graphs[meter.name];
    if (!g) {
        g = std::make_unique<MeterGraph>();
        // A meter's graph offers all its channels at first.
        for (int c = 0; c < GraphChannelCount; ++c)
            g->state.allChannelGraph.setShows(GraphChannel(c), true);
        g->graph = std::make_unique<LiveGraph>(g->state, m_prompts, m_clock, this);
        g->graph->setFeed(meter.name, qint64(m_stale->value()) * 1000);
    }
    g->state.reading = meter.reading;
    if (LiveGraphWindow* open = g->graph->window()) {
        open->raise();
        open->activateWindow();
        return;
    }
    g->graph->runGraphCommand();
}
