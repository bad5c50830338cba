#pragma once

#include <QList>
#include <QString>
#include <QStringView>

#include <array>
#include <memory>
#include <span>

struct CurrentReading;

/// The channels of the all-channel graphs and of their channel dialogs, in the order of their
/// value axes 2 to 6. Capacity stands for the three charge counters.
enum class GraphChannel
{
    Voltage,
    Current,
    Temperature,
    Resistance,
    Capacity
};
inline constexpr int GraphChannelCount = 5;

/// The value axis (2..6) of a channel in a freshly built all-channel graph.
[[nodiscard]] constexpr int graphAxisOf(GraphChannel channel)
{
    return static_cast<int>(channel) + 2;
}

/// The seven series the live graph samples, in the order its traces and history keep them
/// (not the reading's own group order).
enum class LiveSeries
{
    Voltage,
    Current,
    Temperature,
    Resistance,
    InCap,
    OutCap,
    TCap
};
inline constexpr int LiveSeriesCount = 7;

/// One sample of the seven series, in LiveSeries order.
using LiveSample = std::array<float, LiveSeriesCount>;

/// The (maximum, minimum) of one channel's value axis.
struct AxisPair
{
    float max = 0;
    float min = 0;
    bool operator==(const AxisPair&) const = default;
};
using AxisPairs = std::array<AxisPair, GraphChannelCount>;

/// Five days of one-second samples: one ring of 432001 values per series, all written
/// together. The memory is taken once, by allocate(), and then kept: it is never resized,
/// moved or cleared, and a write touches one value per series.
class ChannelRing
{
public:
    static constexpr int Capacity = 432001;

    [[nodiscard]] bool allocated() const { return m_values != nullptr; }
    /// Takes the memory (7 × 432001 values) unless it is taken already.
    void allocate();
    /// Restarts the history: the next write goes to index 0 and nothing is held. The values
    /// themselves stay where they are.
    void rewind();
    /// Stores `sample` at historyIndex() and moves the index on, from 432000 back to 0.
    /// Allocates first when needed (only the first time).
    void append(const LiveSample& sample);

    /// The next index to write, 0..432000.
    [[nodiscard]] int historyIndex() const { return m_index; }
    /// The samples held since the last rewind, at most Capacity.
    [[nodiscard]] int held() const { return m_held; }
    /// The value of `series` at ring index `index` (0..432000), as last written.
    [[nodiscard]] float at(LiveSeries series, int index) const;
    /// Copies the held samples of `series` oldest first into the start of `out` (which must
    /// hold at least held() values); returns how many were copied.
    std::size_t copyOldestFirst(LiveSeries series, std::span<float> out) const;

private:
    [[nodiscard]] const float* ring(LiveSeries series) const;

    std::unique_ptr<float[]> m_values; // series-major: Capacity values per series
    int m_index = 0;
    int m_held = 0;
};

/// The all-channel live graph's record, shared by the graph command, the channel dialog,
/// the live window and the detail dialog.
struct AllChannelGraph
{
    // Which channels the live graph draws (capacity covers the three charge traces).
    bool ShowVoltage = false;
    bool ShowCurrent = false;
    bool ShowTemperature = false;
    bool ShowResistance = false;
    bool ShowCapacity = false;
    AxisPairs ranges{};          ///< the live (maximum, minimum) of each channel's axis
    bool GraphActive = false;    ///< the live window is meant to run
    QString RangeAtOpen;         ///< the resistance range when the channel dialog was confirmed
    bool MilliAmpAtOpen = false; ///< the current was in mA when the graph command ran
    QString TempUnitAtOpen;      ///< the temperature unit when the channel dialog was confirmed
    ChannelRing ChannelHistory;  ///< the history; its index is the next position to write

    // The detail dialog's last choice, read back by the detail window's reset.
    std::array<bool, GraphChannelCount> DetailShow{};
    AxisPairs DetailRanges{};

    [[nodiscard]] bool shows(GraphChannel channel) const;
    void setShows(GraphChannel channel, bool shown);
    [[nodiscard]] std::array<bool, GraphChannelCount> choice() const;
    [[nodiscard]] AxisPair& range(GraphChannel c) { return ranges[std::size_t(c)]; }
    [[nodiscard]] const AxisPair& range(GraphChannel c) const { return ranges[std::size_t(c)]; }
};

/// The axis ranges the graph command starts from: voltage ±60; current ±6.5, ±65 or ±650 for
/// the current's point position 1, 2 or 3, else ±6500; temperature 60/−20 with the Celsius
/// flag, else 140/−4; resistance the leading number of the range label down to 0; capacity
/// ±10000.
[[nodiscard]] AxisPairs defaultGraphRanges(const CurrentReading& reading);

/// One display text as the live graph draws it. An overload ("OL") and a negative overload
/// ("-OL") go to fixed edges: voltage ±60, current ±600, resistance the leading number of
/// `rangeAtOpen`, temperature 60/−20 under "Celsius" and 140/−4 otherwise, charges ±9999.
/// Any other text gives its leading number (0 without one); a charge shown in mAh
/// (`milliCharge`) is divided by 1000, so every charge is drawn in Ah.
[[nodiscard]] float graphValue(LiveSeries series, QStringView text, bool milliCharge,
                               QStringView rangeAtOpen, QStringView tempUnitAtOpen);

/// The values that stand for an overload and a negative overload of `series` (graphValue of
/// "OL" and "-OL"): Fit leaves them out.
[[nodiscard]] QList<double> overloadStandIns(LiveSeries series, QStringView rangeAtOpen,
                                             QStringView tempUnitAtOpen);

/// The seven values of the reading's display texts, in LiveSeries order.
[[nodiscard]] LiveSample graphSample(const CurrentReading& reading, QStringView rangeAtOpen,
                                     QStringView tempUnitAtOpen);

/// The sample of a second in which no display frame arrived: all seven values NaN, which a
/// trace draws as a break in its line.
[[nodiscard]] LiveSample gapSample();

/// Whether the live graph must close at this tick: it is no longer active, or the current's
/// unit or the resistance range differs from the one it was opened with.
[[nodiscard]] bool liveGraphMustClose(const AllChannelGraph& graph, const CurrentReading& reading);

/// Increment step and display format of a numeric edit.
struct EditRule
{
    double step;
    QString format;
    bool operator==(const EditRule&) const = default;
};

/// The resistance edits' rule for a range label: leading number 4 gives 0.001 and "0.000",
/// 40 gives 0.01 and "0.00", anything else 0.1 and "0.0".
[[nodiscard]] EditRule resistanceEditRule(QStringView rangeText);

/// Whether a range label is in milliohms ("40 mOhm").
[[nodiscard]] bool isMilliOhmRange(QStringView rangeText);
