#include "DetailGraph.h"

#include "ChannelColours.h"
#include "ChannelLegend.h"
#include "GraphView.h"
#include "GraphWindow.h"

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
    return channelLegend(parent,
                         {QStringLiteral("Voltage"), QStringLiteral("Ampere"),
                          QStringLiteral("Fahrenheit"), QStringLiteral("mOhm"),
                          QStringLiteral("Capacity"), QStringLiteral("("), QStringLiteral("in"),
                          QStringLiteral("Out"), QStringLiteral("Total"), QStringLiteral(")")},
                         {true, true, true, true, true});
}
