// Drawing one design's elevation to SVG and to PDF.
#include "reports/ElevationOutput.h"

#include <QGuiApplication>
#include <benchmark/benchmark.h>

namespace {

// A sliding door beside a casement window with a fanlight: merges, sashes
// and fixed panes, every member width found.
reports::ElevationSource typicalDesign() {
    reports::ElevationSource s;
    s.dims.H = {600, 900, 900, 600};
    s.dims.V = {400, 1700};
    s.grid.setSpan(0, 1, 2, 1);
    s.grid.SetCellMode(0, 0, "TOP");
    s.grid.SetCellMode(0, 1, "FIXED");
    s.grid.SetCellMode(0, 3, "TOP");
    s.grid.SetCellMode(1, 0, "SIDEL");
    s.grid.SetCellMode(1, 1, "SLIDFL");
    s.grid.SetCellMode(1, 2, "SLIDL");
    s.grid.SetCellMode(1, 3, "TILTTURNR");
    for (const char* w : {"Head", "HeadSash", "Sill", "SillSash", "Jamb", "JambSash", "Vert",
                          "Vert1Sash", "Vert2Sash", "Horiz", "Horiz1Sash", "Horiz2Sash"})
        s.memberWidths[QString::fromLatin1(w)] = 48;
    s.designRef = "W01";
    s.designNo = 1;
    s.quantity = 2;
    s.projectRef = "SAMPLE-HOUSE";
    s.systemName = "Casement 38";
    s.glassCode = "OR-4CL";
    s.glassDesc = "Orvane 4 mm Clear Float";
    return s;
}

// All 50 cells typed: the most a design can hold.
reports::ElevationSource fullGrid() {
    reports::ElevationSource s = typicalDesign();
    s.grid.clear();
    s.dims.H.fill(500);
    s.dims.V.fill(600);
    static const char* words[] = {"FIXED", "TOP", "SIDEL", "SLIDR", "TILTTURNL"};
    for (int r = 0; r < design::RowCount; ++r)
        for (int c = 0; c < design::ColCount; ++c)
            s.grid.SetCellMode(r, c, QString::fromLatin1(words[(r + c) % 5]));
    return s;
}

void BM_ElevationSvg(benchmark::State& state) {
    const reports::ElevationSource s = state.range(0) ? fullGrid() : typicalDesign();
    for (auto _ : state)
        benchmark::DoNotOptimize(reports::elevationSvg(s));
    state.SetLabel(state.range(0) ? "50 cells" : "typical design");
}

void BM_ElevationPdf(benchmark::State& state) {
    const reports::ElevationSource s = state.range(0) ? fullGrid() : typicalDesign();
    for (auto _ : state)
        benchmark::DoNotOptimize(reports::elevationPdf(s));
    state.SetLabel(state.range(0) ? "50 cells" : "typical design");
}

BENCHMARK(BM_ElevationSvg)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ElevationPdf)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
