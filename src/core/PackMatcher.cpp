#include "PackMatcher.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// Bounds on the rounds of each improvement phase: each round strictly improves, so they end
// far sooner on any real tray; the bounds only keep a pathological one finite.
constexpr int kPairRounds = 200;
constexpr int kExtremeRounds = 20000;
constexpr int kResistanceRounds = 200;
constexpr int kGatherRounds = 16;

// The cells a pack is made of, as the search sees them: the balanced value of each (capacity,
// or conductance 1/R, which adds up in a parallel group) and its resistance.
class Search
{
public:
    Search(std::vector<double> value, std::vector<double> ohms, int series)
        : m_value(std::move(value)), m_ohms(std::move(ohms)), m_groups(size_t(series)),
          m_sums(size_t(series), 0.0)
    {
    }

    // Deals `chosen` (sorted by value, largest first) in a snake: 1..S, S..1, ...
    void snake(const std::vector<int>& chosen)
    {
        const int series = int(m_groups.size());
        for (size_t k = 0; k < chosen.size(); ++k) {
            const int row = int(k) / series;
            const int column = int(k) % series;
            m_groups[size_t(row % 2 == 0 ? column : series - 1 - column)].push_back(chosen[k]);
        }
        for (size_t g = 0; g < m_groups.size(); ++g)
            settle(int(g));
        m_tiny = 1e-12 * std::max(1e-300, std::abs(mean()));
    }

    void setPool(std::vector<int> pool)
    {
        m_pool = std::move(pool);
        std::sort(m_pool.begin(), m_pool.end(), [this](int a, int b) { return less(a, b); });
    }

    [[nodiscard]] const std::vector<std::vector<int>>& groups() const { return m_groups; }
    [[nodiscard]] const std::vector<double>& sums() const { return m_sums; }

    [[nodiscard]] double width() const
    {
        const auto [lo, hi] = std::minmax_element(m_sums.begin(), m_sums.end());
        return *hi - *lo;
    }

    // Swaps between every two groups while that brings their sums closer: the sum of squared
    // deviations falls with each swap, so the sums draw together as a whole.
    void balancePairs()
    {
        for (int round = 0; round < kPairRounds; ++round) {
            bool moved = false;
            for (int i = 0; i < int(m_groups.size()); ++i) {
                for (int j = i + 1; j < int(m_groups.size()); ++j) {
                    const int hi = m_sums[size_t(i)] >= m_sums[size_t(j)] ? i : j;
                    const int lo = hi == i ? j : i;
                    const double half = (m_sums[size_t(hi)] - m_sums[size_t(lo)]) / 2;
                    const Pair p = bestPair(hi, lo, half);
                    if (p.error < half - m_tiny) {
                        swap(hi, p.a, lo, p.b);
                        moved = true;
                    }
                }
            }
            if (!moved)
                break;
        }
    }

    // Narrows the gap between the largest and the smallest sum: each step takes the swap (with
    // another group or with a cell left over) that leaves the smallest gap.
    void narrowExtremes()
    {
        for (int round = 0; round < kExtremeRounds; ++round) {
            const auto [loIt, hiIt] = std::minmax_element(m_sums.begin(), m_sums.end());
            const int gmax = int(hiIt - m_sums.begin());
            const int gmin = int(loIt - m_sums.begin());
            const double now = *hiIt - *loIt;
            if (now <= m_tiny)
                break;
            Move best{.width = now - m_tiny};
            for (int g = 0; g < int(m_groups.size()); ++g) {
                if (g != gmax)
                    consider(best, gmax, g);
                if (g != gmin)
                    consider(best, g, gmin);
            }
            for (const int g : {gmax, gmin})
                considerPool(best, g);
            if (best.fromGroup < 0)
                break;
            if (best.toGroup >= 0)
                swap(best.fromGroup, best.a, best.toGroup, best.b);
            else
                replace(best.fromGroup, best.a, best.b);
        }
    }

    // Cells of the very same value may change groups freely: the sums stay as they are. Each
    // round orders the groups by their mean resistance and hands out each set of equal cells
    // over its places in that order, lowest resistance first, so that cells of like
    // resistance gather in one group.
    void gatherEqualValues()
    {
        const size_t series = m_groups.size();
        for (int round = 0; round < kGatherRounds; ++round) {
            std::vector<double> meanOhms(series, 0.0);
            for (size_t g = 0; g < series; ++g) {
                for (const int c : m_groups[g])
                    meanOhms[g] += m_ohms[size_t(c)];
                meanOhms[g] /= double(m_groups[g].size());
            }
            std::vector<int> rank(series);
            {
                std::vector<int> byOhms(series);
                std::iota(byOhms.begin(), byOhms.end(), 0);
                std::stable_sort(byOhms.begin(), byOhms.end(), [&](int a, int b) {
                    return meanOhms[size_t(a)] < meanOhms[size_t(b)];
                });
                for (size_t r = 0; r < series; ++r)
                    rank[size_t(byOhms[r])] = int(r);
            }
            // Every place of the pack, by value, then by the rank of its group.
            struct Place
            {
                int group;
                int at;
            };
            std::vector<Place> places;
            for (size_t g = 0; g < series; ++g) {
                for (size_t k = 0; k < m_groups[g].size(); ++k)
                    places.push_back({int(g), int(k)});
            }
            const auto cellAt = [this](const Place& p) {
                return m_groups[size_t(p.group)][size_t(p.at)];
            };
            std::stable_sort(places.begin(), places.end(), [&](const Place& a, const Place& b) {
                const double va = m_value[size_t(cellAt(a))];
                const double vb = m_value[size_t(cellAt(b))];
                return va < vb || (va == vb && rank[size_t(a.group)] < rank[size_t(b.group)]);
            });
            bool moved = false;
            for (size_t first = 0; first < places.size();) {
                size_t last = first + 1;
                const double v = m_value[size_t(cellAt(places[first]))];
                while (last < places.size() && m_value[size_t(cellAt(places[last]))] == v)
                    ++last;
                std::vector<int> equal;
                for (size_t k = first; k < last; ++k)
                    equal.push_back(cellAt(places[k]));
                std::stable_sort(equal.begin(), equal.end(), [this](int a, int b) {
                    return m_ohms[size_t(a)] < m_ohms[size_t(b)];
                });
                for (size_t k = first; k < last; ++k) {
                    int& slot = m_groups[size_t(places[k].group)][size_t(places[k].at)];
                    moved = moved || slot != equal[k - first];
                    slot = equal[k - first];
                }
                first = last;
            }
            for (size_t g = 0; g < series; ++g)
                settle(int(g));
            if (!moved)
                break;
        }
    }

    // Swaps cells between groups while that narrows the resistance range inside them and keeps
    // the gap between the sums within `allowed`.
    void narrowResistance()
    {
        const double allowed = width() + m_tiny;
        for (int round = 0; round < kResistanceRounds; ++round) {
            bool moved = false;
            for (int g = 0; g < int(m_groups.size()); ++g) {
                for (const bool top : {true, false}) {
                    if (improveResistance(g, top, allowed))
                        moved = true;
                }
            }
            if (!moved)
                break;
        }
    }

private:
    struct Pair
    {
        int a = -1; // position in the first group
        int b = -1; // position in the second group
        double error = kInfinity;
    };
    struct Move
    {
        double width = kInfinity;
        int fromGroup = -1;
        int a = -1;
        int toGroup = -1; // -1: `b` is a position in the pool
        int b = -1;
    };
    struct Extremes
    {
        int maxAt = 0, minAt = 0; // positions in the group
        double max1 = 0, max2 = 0, min1 = 0, min2 = 0;
    };

    [[nodiscard]] bool less(int a, int b) const
    {
        return m_value[size_t(a)] < m_value[size_t(b)] ||
               (m_value[size_t(a)] == m_value[size_t(b)] && a < b);
    }
    [[nodiscard]] double value(int group, int at) const
    {
        return m_value[size_t(m_groups[size_t(group)][size_t(at)])];
    }
    [[nodiscard]] double mean() const
    {
        return std::accumulate(m_sums.begin(), m_sums.end(), 0.0) / double(m_sums.size());
    }

    // Keeps a group sorted by value and its sum exact (summed afresh, not nudged).
    void settle(int g)
    {
        std::vector<int>& cells = m_groups[size_t(g)];
        std::sort(cells.begin(), cells.end(), [this](int a, int b) { return less(a, b); });
        double sum = 0;
        for (const int c : cells)
            sum += m_value[size_t(c)];
        m_sums[size_t(g)] = sum;
    }

    void swap(int g, int a, int h, int b)
    {
        std::swap(m_groups[size_t(g)][size_t(a)], m_groups[size_t(h)][size_t(b)]);
        settle(g);
        settle(h);
    }

    void replace(int g, int a, int poolAt)
    {
        std::swap(m_groups[size_t(g)][size_t(a)], m_pool[size_t(poolAt)]);
        settle(g);
        std::sort(m_pool.begin(), m_pool.end(), [this](int x, int y) { return less(x, y); });
    }

    // The cells a of `hi` and b of `lo` whose difference comes closest to `target`; both
    // groups are sorted, so one pass over each finds it.
    [[nodiscard]] Pair bestPair(int hi, int lo, double target) const
    {
        const std::vector<int>& upper = m_groups[size_t(hi)];
        const std::vector<int>& lower = m_groups[size_t(lo)];
        Pair best;
        size_t p = 0;
        for (size_t a = 0; a < upper.size(); ++a) {
            const double want = m_value[size_t(upper[a])] - target;
            while (p + 1 < lower.size() && m_value[size_t(lower[p + 1])] <= want)
                ++p;
            for (size_t q = p; q < std::min(p + 2, lower.size()); ++q) {
                const double error =
                    std::abs(m_value[size_t(upper[a])] - m_value[size_t(lower[q])] - target);
                if (error < best.error)
                    best = {int(a), int(q), error};
            }
        }
        return best;
    }

    // The gap between the largest and smallest sum when group g's sum becomes `sg` and group
    // h's `sh` (h -1: no second group).
    [[nodiscard]] double widthWith(int g, double sg, int h, double sh) const
    {
        double lo = kInfinity;
        double hi = -kInfinity;
        for (int k = 0; k < int(m_sums.size()); ++k) {
            const double s = k == g ? sg : k == h ? sh : m_sums[size_t(k)];
            lo = std::min(lo, s);
            hi = std::max(hi, s);
        }
        return hi - lo;
    }

    void consider(Move& best, int hi, int lo) const
    {
        const double half = (m_sums[size_t(hi)] - m_sums[size_t(lo)]) / 2;
        if (half <= 0)
            return;
        const Pair p = bestPair(hi, lo, half);
        if (p.a < 0)
            return;
        const double d = value(hi, p.a) - value(lo, p.b);
        const double w = widthWith(hi, m_sums[size_t(hi)] - d, lo, m_sums[size_t(lo)] + d);
        if (w < best.width)
            best = {w, hi, p.a, lo, p.b};
    }

    void considerPool(Move& best, int g) const
    {
        if (m_pool.empty())
            return;
        const double excess = m_sums[size_t(g)] - mean();
        for (int a = 0; a < int(m_groups[size_t(g)].size()); ++a) {
            const double want = value(g, a) - excess;
            const auto at =
                std::lower_bound(m_pool.begin(), m_pool.end(), want,
                                 [this](int cell, double v) { return m_value[size_t(cell)] < v; });
            const int k = int(at - m_pool.begin());
            for (int q = std::max(0, k - 1); q <= std::min(k, int(m_pool.size()) - 1); ++q) {
                const double s =
                    m_sums[size_t(g)] - value(g, a) + m_value[size_t(m_pool[size_t(q)])];
                const double w = widthWith(g, s, -1, 0);
                if (w < best.width)
                    best = {w, g, a, -1, q};
            }
        }
    }

    [[nodiscard]] Extremes extremes(int g) const
    {
        const std::vector<int>& cells = m_groups[size_t(g)];
        Extremes e{0, 0, -kInfinity, -kInfinity, kInfinity, kInfinity};
        for (int k = 0; k < int(cells.size()); ++k) {
            const double r = m_ohms[size_t(cells[size_t(k)])];
            if (r > e.max1) {
                e.max2 = e.max1;
                e.max1 = r;
                e.maxAt = k;
            } else if (r > e.max2) {
                e.max2 = r;
            }
            if (r < e.min1) {
                e.min2 = e.min1;
                e.min1 = r;
                e.minAt = k;
            } else if (r < e.min2) {
                e.min2 = r;
            }
        }
        return e;
    }

    // The resistance range of a group with the cell at `out` taken away and resistance `in`
    // added.
    [[nodiscard]] static double rangeWith(const Extremes& e, int out, double in, size_t size)
    {
        if (size == 1)
            return 0;
        const double max = std::max(out == e.maxAt ? e.max2 : e.max1, in);
        const double min = std::min(out == e.minAt ? e.min2 : e.min1, in);
        return max - min;
    }

    // Moves the highest (`top`) or lowest resistance of group g to another group, against a
    // cell whose resistance suits g better, when the sums allow it.
    bool improveResistance(int g, bool top, double allowed)
    {
        const Extremes eg = extremes(g);
        const int a = top ? eg.maxAt : eg.minAt;
        const int cellA = m_groups[size_t(g)][size_t(a)];
        const double ra = m_ohms[size_t(cellA)];
        const double va = m_value[size_t(cellA)];
        const size_t size = m_groups[size_t(g)].size();
        const double rangeG = eg.max1 - eg.min1;
        double bestGain = 1e-12 * std::max(std::abs(eg.max1), 1e-300);
        int bestH = -1;
        int bestB = -1;
        for (int h = 0; h < int(m_groups.size()); ++h) {
            if (h == g)
                continue;
            const Extremes eh = extremes(h);
            const double rangeH = eh.max1 - eh.min1;
            const std::vector<int>& cells = m_groups[size_t(h)];
            for (int b = 0; b < int(cells.size()); ++b) {
                const double rb = m_ohms[size_t(cells[size_t(b)])];
                const double gain = rangeG + rangeH - rangeWith(eg, a, rb, size) -
                                    rangeWith(eh, b, ra, cells.size());
                if (gain <= bestGain)
                    continue;
                const double d = va - m_value[size_t(cells[size_t(b)])];
                if (widthWith(g, m_sums[size_t(g)] - d, h, m_sums[size_t(h)] + d) > allowed)
                    continue;
                bestGain = gain;
                bestH = h;
                bestB = b;
            }
        }
        if (bestH < 0)
            return false;
        swap(g, a, bestH, bestB);
        return true;
    }

    std::vector<double> m_value;
    std::vector<double> m_ohms;
    std::vector<std::vector<int>> m_groups;
    std::vector<double> m_sums;
    std::vector<int> m_pool;
    double m_tiny = 0;
};

// The plan's groups from the search's, each cell as its index among the cells offered.
QList<PackGroup> planGroups(std::span<const PackCell> cells, const std::vector<qsizetype>& usable,
                            const std::vector<std::vector<int>>& groups)
{
    QList<PackGroup> out;
    for (const std::vector<int>& members : groups) {
        PackGroup group;
        for (const int m : members)
            group.cells.append(usable[size_t(m)]);
        std::sort(group.cells.begin(), group.cells.end());
        double capacity = 0;
        double conductance = 0;
        std::vector<double> ohms;
        bool allCapacities = true;
        for (const qsizetype c : group.cells) {
            const PackCell& cell = cells[size_t(c)];
            allCapacities = allCapacities && cell.capacity;
            capacity += cell.capacity.value_or(0);
            if (cell.resistance && *cell.resistance > 0) {
                conductance += 1.0 / *cell.resistance;
                ohms.push_back(*cell.resistance);
            }
        }
        if (allCapacities)
            group.capacity = capacity;
        if (qsizetype(ohms.size()) == group.cells.size() && !ohms.empty()) {
            group.resistance = 1.0 / conductance;
            group.resistanceSpread = spreadOf(ohms);
        }
        out.append(group);
    }
    return out;
}

// The values the groups are balanced on: capacity sums or parallel resistances.
double groupsSpread(const std::vector<double>& sums, Balance by)
{
    std::vector<double> values(sums);
    if (by == Balance::Resistance) {
        for (double& v : values)
            v = v > 0 ? 1.0 / v : 0.0;
    }
    return spreadOf(values);
}

} // namespace

double spreadOf(std::span<const double> values)
{
    if (values.empty())
        return 0;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    const double mean = std::accumulate(values.begin(), values.end(), 0.0) / double(values.size());
    return mean != 0 ? (*hi - *lo) / mean : 0.0;
}

PackPlan matchPack(std::span<const PackCell> cells, int series, int parallel, Balance by)
{
    PackPlan plan;
    plan.series = series;
    plan.parallel = parallel;
    plan.by = by;
    if (series < 1 || parallel < 1)
        return plan;

    std::vector<qsizetype> usable;
    std::vector<double> value;
    std::vector<double> ohms;
    for (qsizetype i = 0; i < qsizetype(cells.size()); ++i) {
        const PackCell& c = cells[size_t(i)];
        const std::optional<double> v = by == Balance::Capacity ? c.capacity : c.resistance;
        if (!c.passing || !v || !std::isfinite(*v) || *v <= 0)
            continue;
        usable.push_back(i);
        value.push_back(by == Balance::Capacity ? *v : 1.0 / *v);
        ohms.push_back(c.resistance && *c.resistance > 0 ? *c.resistance : std::nan(""));
    }
    plan.usable = qsizetype(usable.size());
    const qsizetype needed = qsizetype(series) * parallel;
    if (plan.usable < needed) {
        plan.missing = needed - plan.usable;
        return plan;
    }

    // The S × P cells whose values lie closest together; of equal windows the middle one.
    std::vector<int> order(usable.size());
    std::iota(order.begin(), order.end(), 0);
    std::sort(order.begin(), order.end(), [&](int a, int b) {
        return value[size_t(a)] < value[size_t(b)] ||
               (value[size_t(a)] == value[size_t(b)] && a < b);
    });
    const size_t n = size_t(needed);
    const size_t middle = (order.size() - n) / 2;
    size_t start = 0;
    double narrowest = kInfinity;
    for (size_t k = 0; k + n <= order.size(); ++k) {
        const double w = value[size_t(order[k + n - 1])] - value[size_t(order[k])];
        const bool nearer =
            w == narrowest && (k > middle ? k - middle : middle - k) <
                                  (start > middle ? start - middle : middle - start);
        if (w < narrowest || nearer) {
            narrowest = w;
            start = k;
        }
    }
    std::vector<int> chosen(order.begin() + qsizetype(start), order.begin() + qsizetype(start + n));
    std::reverse(chosen.begin(), chosen.end());
    std::vector<int> pool(order.begin(), order.begin() + qsizetype(start));
    pool.insert(pool.end(), order.begin() + qsizetype(start + n), order.end());

    // Cells may move in from those left over: the ranges are compared only when every
    // usable cell has a resistance.
    const bool allOhms =
        std::all_of(ohms.begin(), ohms.end(), [](double r) { return std::isfinite(r); });
    Search search(value, ohms, series);
    search.snake(chosen);
    plan.startSpread = groupsSpread(search.sums(), by);
    search.setPool(pool);
    search.balancePairs();
    search.narrowExtremes();
    if (allOhms) {
        search.gatherEqualValues();
        search.narrowResistance();
    }
    plan.groups = planGroups(cells, usable, search.groups());
    std::vector<double> values;
    for (const PackGroup& g : plan.groups)
        values.push_back(by == Balance::Capacity ? g.capacity.value_or(0)
                                                 : g.resistance.value_or(0));
    plan.spread = spreadOf(values);
    return plan;
}
