// Figures of pack matching: 1000 cells into 10S100P and 2000 into 20S100P, by capacity and by
// resistance: the time it takes and the spread between the groups, beside the spread of the
// sort-and-snake start alone on the same cells (goals: <= 1 s, at least ten times smaller).
#include "PackMatcher.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

// A tray as a capacity tester and the meter give it: capacities about 2.5 Ah in mAh steps,
// resistances about 40 mOhm in 0.01 mOhm steps.
QList<PackCell> tray(int count, quint32 seed)
{
    QRandomGenerator random(seed);
    const auto gauss = [&] {
        return std::sqrt(-2 * std::log(1 - random.generateDouble())) *
               std::cos(2 * std::numbers::pi * random.generateDouble());
    };
    QList<PackCell> cells;
    for (int i = 0; i < count; ++i) {
        PackCell c;
        c.id = QStringLiteral("C%1").arg(i + 1, 5, 10, QLatin1Char('0'));
        c.capacity = std::round((2.5 + 0.05 * gauss()) * 1000) / 1000;
        c.resistance = std::round((40 + 3 * gauss()) * 100) / 100 / 1000;
        cells.append(c);
    }
    return cells;
}

void run(int count, int series, int parallel, Balance by)
{
    const QList<PackCell> cells = tray(count, 2026u + quint32(count));
    QElapsedTimer clock;
    clock.start();
    const PackPlan plan = matchPack(cells, series, parallel, by);
    const double seconds = clock.nsecsElapsed() / 1e9;
    double worstInGroup = 0;
    double meanInGroup = 0;
    for (const PackGroup& g : plan.groups) {
        worstInGroup = std::max(worstInGroup, g.resistanceSpread.value_or(0));
        meanInGroup += g.resistanceSpread.value_or(0) / double(plan.groups.size());
    }
    std::printf(
        "pack cells=%d plan=%dS%dP by=%s seconds=%.3f spread=%.3g snake_spread=%.3g "
        "ratio=%.0f in_group_resistance_spread_mean=%.3g worst=%.3g (goals: <= 1 s, ratio >= 10)\n",
        count, series, parallel, by == Balance::Capacity ? "capacity" : "resistance", seconds,
        plan.spread, plan.startSpread, plan.spread > 0 ? plan.startSpread / plan.spread : INFINITY,
        meanInGroup, worstInGroup);
}

} // namespace

int main()
{
    for (const Balance by : {Balance::Capacity, Balance::Resistance}) {
        run(1000, 10, 100, by);
        run(2000, 20, 100, by);
        run(50, 4, 10, by);
    }
    return 0;
}
