// Timings of the calculation: the pure formulas of one pane and of a full
// design, one "Calculate Values" with its database writes, and the
// recalculation of whole projects that showing the SUMMARY page costs.
#include "data/DataModule.h"
#include "BenchProject.h"
#include "SilentMessages.h"
#include "data/Messages.h"
#include "calc/Calculation.h"
#include "calc/Structural.h"
#include "design/DesignRecords.h"
#include "store/Query.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>

namespace {

// All 50 cells typed: five rows of ten panes, sashes and fixed lights alternating.
design::GridModel fullGrid() {
    design::GridModel g;
    for (int r = 0; r < design::RowCount; ++r)
        for (int c = 0; c < design::ColCount; ++c)
            g.setMode(r, c, (r + c) % 2 ? "SIDEL" : "FIXED");
    return g;
}

design::Dimensions fullDims() {
    design::Dimensions d;
    d.H.fill(600);
    d.V.fill(900);
    return d;
}

void OnePaneFormulas(benchmark::State& state) {
    design::GridModel g;
    g.setMode(0, 0, "FIXED");
    const calc::ProfileValueTable t = sampleValues();
    for (auto _ : state)
        benchmark::DoNotOptimize(calc::cellTerms(g, t, 0, 0, 1000, 1000));
}
BENCHMARK(OnePaneFormulas);

void FullDesignFormulas(benchmark::State& state) {
    const design::GridModel g = fullGrid();
    const design::Dimensions d = fullDims();
    const calc::ProfileValueTable t = sampleValues();
    const calc::SashRows sashes(
        {calc::SashRow{"Fixed", "Fixed", 3000, 3000, 800, 900, 7.5, 12.5, 1, 210, 0.6},
         calc::SashRow{"SideL", "Side", 700, 1500, 1500, 1600, 7.5, 12.5, 1, 210, 1.4}});
    for (auto _ : state) {
        benchmark::DoNotOptimize(calc::thermalLoop(g, d, t));
        benchmark::DoNotOptimize(calc::CalcWindowArea(g, d));
        benchmark::DoNotOptimize(calc::costLoop(g, d, sashes, "Powder Coat", 300));
        benchmark::DoNotOptimize(
            calc::designWarnings(g, d, sashes, calc::GlazingRow{"Clear", 2, 300}, "W1", false));
        long double len = 0, l = 0, r = 0;
        calc::LongestProfile(g, d, "Vertical", len, l, r);
        benchmark::DoNotOptimize(calc::RequiredIx(1000, l, r, len));
    }
}
BENCHMARK(FullDesignFormulas);

// A working folder seeded with the shipped catalogue and a project "BENCH"
// whose designs repeat the sample project's designs, cells included.
struct Folder {
    explicit Folder(int designs) {
        dm = std::make_unique<data::TDM>(messages, dir.path());
        addBenchProject(*dm->database(), "BENCH", designs);
        auto link = [](store::Table& detail, store::Table& master, const QStringList& fields) {
            detail.close();
            detail.setMasterFields(fields);
            detail.setMaster(&master);
            detail.open();
        };
        link(dm->DesignTable, dm->ProjectTable, {"Project_Ref"});
        link(dm->DesignCostingTable, dm->DesignTable, {"Project_Ref", "Design_No"});
        dm->ProjectTable.findKey({"BENCH"});
        view.grid = &grid;
        calc::showDesignFromRecord(*dm, view);
    }
    QTemporaryDir dir;
    SilentMessages messages;
    std::unique_ptr<data::TDM> dm;
    design::GridModel grid;
    calc::DesignView view;
};

Folder& folder(int designs) {
    static std::map<int, std::unique_ptr<Folder>> folders;
    auto& f = folders[designs];
    if (!f) f = std::make_unique<Folder>(designs);
    return *f;
}

void CalcBtnClickWithWrites(benchmark::State& state) {
    Folder& f = folder(1);
    calc::CalcContext ctx(*f.dm, f.messages);
    ctx.WarningsOff = false;
    for (auto _ : state)
        ctx.CalcBtnClick(f.view);
}
BENCHMARK(CalcBtnClickWithWrites)->Unit(benchmark::kMicrosecond);

void UpdateAllValues(benchmark::State& state) {
    Folder& f = folder(int(state.range(0)));
    calc::CalcContext ctx(*f.dm, f.messages);
    for (auto _ : state)
        ctx.UpdateAllValues(f.view);
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(UpdateAllValues)->Arg(20)->Arg(50)->Arg(500)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
