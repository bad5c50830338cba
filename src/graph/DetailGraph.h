#pragma once

class GraphView;
class QWidget;

// The detail graph's own parts: five value axes with their design ranges and colours, and the
// legend strip above the graph.

/// Adds the value axes (voltage, current, temperature, resistance, capacity; GraphWindow's
/// DetailAxis numbers) and the seven plots (GraphWindow's DetailPlot numbers) to `graph`.
void buildDetailGraph(GraphView& graph);
/// The legend strip `Legend`: "Voltage", "Ampere", "Fahrenheit", "mOhm", "Capacity (in Out
/// Total)", each label (`LblV`, `LblA`, ...) in its trace's colour on black.
[[nodiscard]] QWidget* detailLegend(QWidget* parent);
