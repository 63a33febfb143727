// One unit's centre-of-glass calculation (U, SHGC and VT: three thermal
// solutions and the optics), which the New Glazing window reruns on every
// keystroke: single, double and triple units.
#include "glazing/Panes.h"

#include <benchmark/benchmark.h>

namespace {

void computeUnit(benchmark::State& state, QStringList panes, QStringList gaps) {
    glazing::Unit unit;
    QString reason;
    if (!glazing::parseUnit(panes, gaps, glazing::shippedPanes(), unit, reason)) {
        state.SkipWithError(reason.toStdString().c_str());
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(glazing::computeUnit(unit));
}

} // namespace

BENCHMARK_CAPTURE(computeUnit, single_clear6, QStringList{"clear6"}, QStringList{})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(computeUnit, double_lowe_argon90, QStringList{"clear6", "lowe-soft6"},
                  QStringList{"12:argon90"})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(computeUnit, triple_krypton90, QStringList{"clear4", "clear4", "lowe-soft6"},
                  QStringList{"12:krypton90", "12:krypton90"})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
