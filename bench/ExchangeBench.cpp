// Export and load of a 200-design project folder (target: each under 0.5 s).
#include "FolderFixture.h"
#include "exchange/ProjectFolder.h"
#include "store/Database.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A data folder with the project to carry and twenty others around it.
std::unique_ptr<store::Database> dataFolder(const QString& file, bool withProject) {
    auto db = store::Database::create(file);
    db->createDataFolderTables();
    for (int p = 0; p < 20; ++p)
        folder_fixture::fillProject(*db, QStringLiteral("OTHER-%1").arg(p), 20, p);
    if (withProject) folder_fixture::fillProject(*db, QStringLiteral("BIG-JOB"), 200);
    return db;
}

void SaveProject200Designs(benchmark::State& state) {
    QTemporaryDir dir;
    auto db = dataFolder(QDir(dir.path()).filePath("Quorvex.db"), true);
    const QString folder = QDir(dir.path()).filePath("folder");
    QDir().mkpath(folder);
    for (auto _ : state)
        exchange::SaveProject(*db, QStringLiteral("BIG-JOB"), folder);
}
BENCHMARK(SaveProject200Designs)->Unit(benchmark::kMillisecond)->UseRealTime();

// Loads into a data folder that does not hold the project (every row added)
// or already holds it (every row replaced).
void LoadProject200Designs(benchmark::State& state) {
    const bool over = state.range(0) == 1;
    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).filePath("folder");
    QDir().mkpath(folder);
    {
        auto source = dataFolder(QDir(dir.path()).filePath("source.db"), true);
        exchange::SaveProject(*source, QStringLiteral("BIG-JOB"), folder);
    }
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto db =
            dataFolder(QDir(dir.path()).filePath(QStringLiteral("target%1.db").arg(run++)), over);
        state.ResumeTiming();
        exchange::LoadProject(*db, folder);
        state.PauseTiming();
        db.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(LoadProject200Designs)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

} // namespace

BENCHMARK_MAIN();
