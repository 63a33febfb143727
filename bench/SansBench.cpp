// Timings of the SANS 204 analysis over a 500-design project: the whole
// `glazecalc-cli sans204` command (opening the folder, recalculating every
// design, the storey list, Analyse and Calculate), and Analyse plus Calculate
// alone on a folder kept open.
#include "BenchProject.h"
#include "SilentMessages.h"
#include "cli/Commands.h"
#include "cli/ProjectSetup.h"
#include "compliance/Sans204.h"
#include "compliance/Storeys.h"
#include "data/DataModule.h"

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A working folder with the shipped data and a project "BENCH" whose
// designs repeat the sample project's (both storeys, five orientations).
struct Folder {
    explicit Folder(int designs) {
        const QString alias = QDir(config.path()).filePath("a.ini");
        data::TDM dm(messages, dir.path(), store::AliasRegistry(alias));
        addBenchProject(*dm.database(), "BENCH", designs);
        store::Table options(dm.database(), "ProjectOptions");
        options.open();
        options.append();
        options.fieldByName("Project_Ref").setAsString("BENCH");
        options.fieldByName("Climate_Zone").setAsInteger(1);
        options.fieldByName("Conductance").setAsFloat(1.2);
        options.fieldByName("Solar_Heat_Gain").setAsFloat(0.13);
        options.post();
    }
    QTemporaryDir dir, config;
    SilentMessages messages;
};

Folder& folder() {
    static Folder f(500);
    return f;
}

// The command line as a user runs it; its output goes nowhere.
void Sans204Command(benchmark::State& state) {
    Folder& f = folder();
    const QStringList args = {"--workdir", f.dir.path(), "sans204", "BENCH",     "--zone",   "1",
                              "--floor",   " G=72:0.30", "--floor", "1=58:0.20", "--keep-ph"};
    for (auto _ : state) {
        QString out, err;
        QTextStream o(&out), e(&err);
        if (cli::runCommandLine(args, o, e) != 0) state.SkipWithError(qPrintable(err));
        benchmark::DoNotOptimize(out);
    }
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(Sans204Command)->Unit(benchmark::kMillisecond)->MinTime(3);

// Analyse and Calculate alone, the designs' results already stored.
void AnalyseAndCalculate(benchmark::State& state) {
    Folder& f = folder();
    data::TDM dm(f.messages, f.dir.path(),
                 store::AliasRegistry(QDir(f.config.path()).filePath("a.ini")));
    cli::openProject(dm, "BENCH");
    compliance::linkComplianceTables(dm);
    compliance::BuildStoreyList(dm, {});
    for (auto _ : state) {
        compliance::SANSCalcBtnClick(dm, f.messages, compliance::AnalyseStep::NoChecks);
        compliance::Image20Click(dm, f.messages);
    }
    state.SetItemsProcessed(state.iterations() * 500);
}
BENCHMARK(AnalyseAndCalculate)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    // The calculation and the command line need Qt Gui's application object.
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
