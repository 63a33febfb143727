// Importing a 200-design project of the earlier version: the four tables read
// through the reader process (glazecalc-cli legacy-dump), then written into a
// data folder in one transaction.
#include "ParadoxFixture.h"
#include "exchange/LegacyImport.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Source {
    Source() {
        folder = QDir(dir.path()).filePath(QStringLiteral("Data"));
        testing_support::writeLegacyFolder(folder, 200);
        options.program = QStringLiteral(QUORVEX_CLI);
    }
    QTemporaryDir dir;
    QString folder;
    exchange::ReaderOptions options;
};

Source& source() {
    static Source s;
    return s;
}

void BM_ReadEarlierTables(benchmark::State& state) {
    for (auto _ : state) {
        const exchange::LegacySource s = exchange::readLegacySource(source().folder, source().options);
        benchmark::DoNotOptimize(s.design.rows.size());
    }
}
BENCHMARK(BM_ReadEarlierTables)->Unit(benchmark::kMillisecond);

void BM_Import200Designs(benchmark::State& state) {
    testing_support::ScratchDatabase scratch;
    int n = 0;
    for (auto _ : state) {
        const exchange::LegacySource s = exchange::readLegacySource(source().folder, source().options);
        const exchange::ImportResult r =
            exchange::importLegacyProject(*scratch.db, s, QStringLiteral("P1"), QStringLiteral("B%1").arg(++n));
        if (r.designs != 200) state.SkipWithError("the project did not arrive whole");
    }
}
BENCHMARK(BM_Import200Designs)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
