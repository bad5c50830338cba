#pragma once

#include <QList>
#include <QString>

#include <optional>
#include <span>

/// What a pack's parallel groups are balanced on.
enum class Balance
{
    Capacity,  ///< each group's sum of capacities
    Resistance ///< each group's parallel resistance, 1 / Σ(1/R)
};

/// A cell offered to a pack: capacity in Ah, internal resistance in Ohm.
/// The most groups in series, or cells in parallel, a plan may ask for.
inline constexpr int MaxPackCount = 10000;

struct PackCell
{
    QString id;
    std::optional<double> capacity;
    std::optional<double> resistance;
    bool passing = true; ///< only passing cells go into a pack
};

/// One parallel group of a plan.
struct PackGroup
{
    QList<qsizetype> cells;                 ///< indices into the cells offered, ascending
    std::optional<double> capacity;         ///< the sum, when every cell has a capacity
    std::optional<double> resistance;       ///< 1 / Σ(1/R), when every cell has a resistance
    std::optional<double> resistanceSpread; ///< (max − min) / mean of its cells' resistances
};

/// S groups of P cells and how well they match.
struct PackPlan
{
    int series = 0;
    int parallel = 0;
    Balance by = Balance::Capacity;
    QList<PackGroup> groups; ///< numbered 1..S in this order; empty when cells are missing
    /// (max − min) / mean of the groups' balanced values (capacity sums or parallel
    /// resistances).
    double spread = 0;
    /// The same for the sort-and-snake start alone, on the same cells.
    double startSpread = 0;
    qsizetype usable = 0;  ///< passing cells that have the balanced value
    qsizetype missing = 0; ///< how many more usable cells S × P needs; 0 when enough
};

/// (max − min) / mean of `values`; 0 for none or a mean of 0.
[[nodiscard]] double spreadOf(std::span<const double> values);

/// Builds a pack of `series` groups of `parallel` cells from the passing cells that have the
/// balanced value. It takes the S × P of them whose values lie closest together, deals them
/// sorted in a snake (1..S, S..1, ...), then swaps cells between groups (and with the cells
/// left over) while that narrows the spread between the groups, and last swaps cells of
/// nearly equal value between groups while that narrows the resistance spread inside them
/// without widening the spread between them. The same cells give the same plan.
[[nodiscard]] PackPlan matchPack(std::span<const PackCell> cells, int series, int parallel,
                                 Balance by);
