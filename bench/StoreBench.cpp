// Timings of the table store operations the program leans on most.
#include "store/Database.h"
#include "store/Table.h"

#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

// A data folder with `projects` projects of `designs` designs each.
struct Folder {
    Folder(int projects, int designs) {
        db = store::Database::create(QDir(dir.path()).filePath("Quorvex.db"));
        db->createDataFolderTables();
        store::Transaction tx(*db);
        store::Table p(db.get(), "Project"), d(db.get(), "Design");
        p.open();
        d.open();
        for (int i = 0; i < projects; ++i) {
            const QString ref = QStringLiteral("P%1").arg(i, 5, 10, QLatin1Char('0'));
            p.append();
            p.fieldByName("Project_Ref").setAsString(ref);
            p.post();
            for (int n = 1; n <= designs; ++n) {
                d.append();
                d.fieldByName("Project_Ref").setAsString(ref);
                d.fieldByName("Design_No").setAsInteger(n);
                d.fieldByName("Design_Ref").setAsString(QStringLiteral("W%1").arg(n));
                d.post();
            }
        }
        tx.commit();
    }
    QTemporaryDir dir;
    std::unique_ptr<store::Database> db;
};

void SinglePostWithCommit(benchmark::State& state) {
    Folder f(1, 1);
    store::Table d(f.db.get(), "Design");
    d.open();
    int i = 0;
    for (auto _ : state) {
        d.edit();
        d.fieldByName("DimH1").setAsFloat(++i);
        d.post();  // outside a transaction: committed and synced at once
    }
}
BENCHMARK(SinglePostWithCommit)->Unit(benchmark::kMicrosecond);

void FindDesignByKey(benchmark::State& state) {
    Folder f(int(state.range(0)), 50);
    store::Table d(f.db.get(), "Design");
    d.open();
    int i = 0;
    for (auto _ : state) {
        const QString ref = QStringLiteral("P%1").arg(i++ % state.range(0), 5, 10, QLatin1Char('0'));
        benchmark::DoNotOptimize(d.findKey({ref, 25}));
    }
}
BENCHMARK(FindDesignByKey)->Arg(1000)->Unit(benchmark::kMicrosecond);

void WalkFiftyDesignRangeOfThousandProjects(benchmark::State& state) {
    Folder f(1000, 50);
    store::Table p(f.db.get(), "Project"), d(f.db.get(), "Design");
    p.open();
    d.setMasterFields({"Project_Ref"});
    d.setMaster(&p);
    d.open();
    int i = 0;
    for (auto _ : state) {
        p.findKey({QStringLiteral("P%1").arg(i++ % 1000, 5, 10, QLatin1Char('0'))});
        double sum = 0;
        for (d.first(); !d.eof(); d.next()) sum += d.fieldByName("Design_No").asFloat();
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(WalkFiftyDesignRangeOfThousandProjects)->Unit(benchmark::kMicrosecond);

void WriteOneDesignsHundredCellRows(benchmark::State& state) {
    Folder f(1, 1);
    store::Table img(f.db.get(), "DesignImage"), merge(f.db.get(), "DesignMerge");
    img.open();
    merge.open();
    int design = 0;
    for (auto _ : state) {
        ++design;
        store::Transaction tx(*f.db);
        for (int r = 0; r < 5; ++r) {
            for (int c = 0; c < 10; ++c) {
                img.append();
                img.fieldByName("Project_Ref").setAsString("P00000");
                img.fieldByName("Design_No").setAsInteger(design);
                img.fieldByName("Row").setAsInteger(r);
                img.fieldByName("Column").setAsInteger(c);
                img.fieldByName("ModeOfCell").setAsString("FIXED");
                img.post();
                merge.append();
                merge.fieldByName("Project_Ref").setAsString("P00000");
                merge.fieldByName("Design_No").setAsInteger(design);
                merge.fieldByName("Row").setAsInteger(r);
                merge.fieldByName("Column").setAsInteger(c);
                merge.fieldByName("RowSpan").setAsInteger(1);
                merge.fieldByName("ColSpan").setAsInteger(1);
                merge.post();
            }
        }
        tx.commit();
    }
}
BENCHMARK(WriteOneDesignsHundredCellRows)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
