// Timings of the copy commands: a whole project of 20, 50 and 200 designs
// (every design with its 50 + 50 cell rows) in one transaction, and one
// design with its cells.
#include "SilentMessages.h"
#include "data/DataModule.h"
#include "design/DesignRecords.h"
#include "exchange/Copy.h"
#include "store/Database.h"
#include "store/Sqlite.h"
#include "store/Table.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>

namespace {

// Every column of a table but the project reference, quoted for SQL.
QString otherColumns(store::Database& db, const QString& table) {
    QStringList cols;
    for (const store::FieldDef& f : db.tableDef(table).fields)
        if (f.name != QLatin1String("Project_Ref")) cols << store::sql::quoteIdentifier(f.name);
    return cols.join(QStringLiteral(", "));
}

// A working folder with the shipped data and a project "BENCH" of `designs`
// designs, each a repeat of one of the sample project's designs and cells.
struct Folder {
    explicit Folder(int designs) {
        dm = std::make_unique<data::TDM>(messages, dir.path());
        store::Database& db = *dm->database();
        store::Transaction tx(db);
        db.connection().exec(
            QStringLiteral("INSERT INTO Project (Project_Ref, Project_Name, Def_WL) "
                           "VALUES ('BENCH', 'Benchmark block', 1000.5)"));
        for (int n = 1; n <= designs; ++n) {
            const int source = 1 + (n - 1) % 9;
            for (const char* table : {"Design", "DesignImage", "DesignMerge"}) {
                QString cols = otherColumns(db, QString::fromLatin1(table));
                QString picked = cols;
                picked.replace(QStringLiteral("\"Design_No\""), QString::number(n));
                db.connection().exec(
                    QStringLiteral("INSERT INTO %1 (Project_Ref, %2) SELECT 'BENCH', %3 FROM %1 "
                                   "WHERE Project_Ref = 'SAMPLE-HOUSE' AND Design_No = %4")
                        .arg(QString::fromLatin1(table), cols, picked)
                        .arg(source));
            }
        }
        tx.commit();
        for (store::Table* t : {&dm->DesignTable, &dm->DesignImageTable, &dm->DesignMergeTable}) {
            t->close();
            t->setMasterFields({"Project_Ref"});
            t->setMaster(&dm->ProjectTable);
            t->open();
        }
        dm->DesignCostingTable.close();
        dm->DesignCostingTable.setMasterFields({"Project_Ref", "Design_No"});
        dm->DesignCostingTable.setMaster(&dm->DesignTable);
        dm->DesignCostingTable.open();
        dm->ProjectTable.refresh(); // the rows above were written below the cursor
        if (!dm->ProjectTable.findKey({"BENCH"})) qFatal("no benchmark project");
    }
    // Removes a copy again, outside the timing.
    void remove(const QString& ref) {
        for (const char* table :
             {"Project", "Design", "DesignImage", "DesignMerge", "DesignCosting"})
            dm->database()->deleteWhere(QString::fromLatin1(table), {"Project_Ref"}, {ref});
        dm->ProjectTable.refresh();
        dm->ProjectTable.findKey({"BENCH"});
    }
    QTemporaryDir dir;
    SilentMessages messages;
    std::unique_ptr<data::TDM> dm;
};

Folder& folder(int designs) {
    static std::map<int, std::unique_ptr<Folder>> folders;
    auto& f = folders[designs];
    if (!f) f = std::make_unique<Folder>(designs);
    return *f;
}

void CopyProject(benchmark::State& state) {
    Folder& f = folder(int(state.range(0)));
    int copies = 0;
    for (auto _ : state) {
        const QString ref = QStringLiteral("COPY-%1").arg(++copies);
        const int copied = exchange::CopyProject(*f.dm, ref);
        if (copied != state.range(0)) {
            state.SkipWithError(qPrintable(QStringLiteral("copied %1 designs").arg(copied)));
            break;
        }
        state.PauseTiming();
        f.remove(ref);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(CopyProject)->Arg(20)->Arg(50)->Arg(200)->Unit(benchmark::kMillisecond);

void CopyDesign(benchmark::State& state) {
    Folder& f = folder(50);
    f.dm->DesignTable.first();
    design::GridModel grid;
    design::LoadGraphic(f.dm->DesignImageTable, f.dm->DesignMergeTable, "BENCH", 1, grid);
    for (auto _ : state) {
        f.dm->DesignTable.first();
        const int no = exchange::CopyDesign(*f.dm, grid, "BENCH-C");
        if (no == 0) {
            state.SkipWithError("copy refused");
            break;
        }
        state.PauseTiming();
        f.dm->DesignTable.last();
        f.dm->DesignTable.deleteRow();
        state.ResumeTiming();
    }
}
BENCHMARK(CopyDesign)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
