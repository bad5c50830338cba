#include "DetailGraph.h"

#include "ChannelColours.h"
#include "GraphView.h"
#include "GraphWindow.h"

#include <QHBoxLayout>
#include <QLabel>

#include <array>

namespace {

// In plot order: voltage, current, temperature, resistance, In-Cap, Out-Cap, T-Cap.
const std::array<GraphWindow::DetailAxis, 7> kDetailTraceAxes{
    GraphWindow::VoltageAxis,    GraphWindow::CurrentAxis,  GraphWindow::TemperatureAxis,
    GraphWindow::ResistanceAxis, GraphWindow::CapacityAxis, GraphWindow::CapacityAxis,
    GraphWindow::CapacityAxis};

struct DesignRange
{
    double min;
    double max;
};
// Value axes 2-6 at design time; the detail dialog sets the ranges it uses.
const std::array<DesignRange, 5> kDetailRanges{
    {{-60, 60}, {-6500, 6500}, {-4, 140}, {0, 400}, {-10000, 10000}}};

struct LegendEntry
{
    const char* name;
    const char* text;
    int trace; // plot number whose colour the text takes, 0 for plain
};
const std::array<LegendEntry, 10> kLegend{{
    {"LblV", "Voltage", 1},
    {"LblA", "Ampere", 2},
    {"LblT", "Fahrenheit", 3},
    {"LblO", "mOhm", 4},
    {"LblCap", "Capacity", 0},
    {"LblSymbol1", "(", 0},
    {"LblIn", "in", 5},
    {"LblOut", "Out", 6},
    {"LblTotal", "Total", 7},
    {"LblSymbol2", ")", 0},
}};

} // namespace

void buildDetailGraph(GraphView& graph)
{
    for (int axis = GraphWindow::VoltageAxis; axis <= GraphWindow::CapacityAxis; ++axis) {
        if (axis != GraphWindow::VoltageAxis)
            graph.addValueAxis();
        const DesignRange r =
            kDetailRanges[static_cast<std::size_t>(axis - GraphWindow::VoltageAxis)];
        graph.setAxisRange(axis, r.min, r.max);
    }
    for (std::size_t i = 0; i < kDetailTraceAxes.size(); ++i) {
        graph.addPlot(kDetailTraceAxes[i], kChannelColours[i]);
        if (kDetailTraceAxes[i] != GraphWindow::CapacityAxis)
            graph.setAxisColor(kDetailTraceAxes[i], kChannelColours[i]);
    }
    graph.setAxisColor(GraphWindow::CapacityAxis, kCapacityAxisColour);
}

QWidget* detailLegend(QWidget* parent)
{
    auto* legend = new QWidget(parent);
    legend->setObjectName(QStringLiteral("Legend"));
    legend->setAutoFillBackground(true);
    QPalette strip = legend->palette();
    strip.setColor(QPalette::Window, Qt::black);
    legend->setPalette(strip);
    auto* row = new QHBoxLayout(legend);
    row->setContentsMargins(10, 0, 10, 0);
    row->setSpacing(6);
    QFont font = legend->font();
    font.setBold(true);
    for (const LegendEntry& e : kLegend) {
        auto* l = new QLabel(QString::fromLatin1(e.text), legend);
        l->setObjectName(QString::fromLatin1(e.name));
        l->setFont(font);
        QPalette p = l->palette();
        p.setColor(QPalette::WindowText,
                   e.trace ? kChannelColours[static_cast<std::size_t>(e.trace - 1)]
                           : kCapacityAxisColour);
        l->setPalette(p);
        row->addWidget(l);
        const QString name = l->objectName();
        // A gap after each channel's name, none inside the capacity's brackets; part of the
        // label, so a hidden channel leaves no gap.
        if (name == QLatin1String("LblV") || name == QLatin1String("LblA") ||
            name == QLatin1String("LblT") || name == QLatin1String("LblO"))
            l->setContentsMargins(0, 0, 14, 0);
    }
    row->addStretch();
    return legend;
}
