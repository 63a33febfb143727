// The store on a local PostgreSQL server next to the same work on a data
// folder, in one run: statements sent to the server (round trips) and times.
//
//   recalculating a 500-design project (UpdateAllValues);
//   stepping to the next design (its record and cells);
//   saving one design's cells (100 rows) in one transaction.
//
// The server is a throwaway cluster on a private Unix socket, started and
// stopped by this program. An office network adds 0.2–1 ms per round trip on
// top of the times shown here.
#include "BenchProject.h"
#include "SilentMessages.h"
#include "calc/Calculation.h"
#include "data/DataFolder.h"
#include "data/DataModule.h"
#include "data/ServerStore.h"
#include "design/DesignRecords.h"
#include "support/ServerCluster.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

namespace {

using Clock = std::chrono::steady_clock;

double medianMicros(int runs, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::micro>(Clock::now() - t0).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A working folder with the bench project, or the same rows on the server,
// with the main window's master/detail links.
struct Store {
    Store(const QString& workDir, const QString& server, bool seed) {
        data::setStoreServer(server);
        dm = std::make_unique<data::TDM>(messages, workDir);
        data::setStoreServer(QString());
        if (seed) addBenchProject(*dm->database(), "BENCH", 500);
        linkBenchProject(*dm);
        view.grid = &grid;
        calc::showDesignFromRecord(*dm, view);
    }
    quint64 trips() const { return dm->database()->roundTrips(); }
    SilentMessages messages;
    std::unique_ptr<data::TDM> dm;
    design::GridModel grid;
    calc::DesignView view;
};

struct Figures {
    double recalcUs = 0, stepUs = 0, saveUs = 0;
    double recalcTrips = 0, stepTrips = 0, saveTrips = 0;
};

Figures measure(Store& s) {
    Figures f;
    calc::CalcContext ctx(*s.dm, s.messages);
    ctx.UpdateAllValues(s.view); // cost rows exist from here on
    quint64 before = s.trips();
    f.recalcUs = medianMicros(5, [&] { ctx.UpdateAllValues(s.view); });
    f.recalcTrips = double(s.trips() - before) / 5 / 500;

    store::Table& D = s.dm->DesignTable;
    D.first();
    const int steps = 200;
    before = s.trips();
    const auto t0 = Clock::now();
    for (int i = 0; i < steps; ++i) {
        D.next();
        if (D.eof()) D.first();
        calc::showDesignFromRecord(*s.dm, s.view);
    }
    f.stepUs = std::chrono::duration<double, std::micro>(Clock::now() - t0).count() / steps;
    f.stepTrips = double(s.trips() - before) / steps;

    design::GridModel grid;
    for (int r = 0; r < design::RowCount; ++r)
        for (int c = 0; c < design::ColCount; ++c)
            grid.setMode(r, c, (r + c) % 2 ? "SIDEL" : "FIXED");
    int n = 1000;
    const int saves = 20;
    store::Database& db = *s.dm->database();
    before = s.trips();
    f.saveUs = medianMicros(saves, [&] {
        store::Transaction tx(db);
        design::saveCells(s.dm->DesignImageTable, s.dm->DesignMergeTable, "BENCH", ++n, grid);
        tx.commit();
    });
    f.saveTrips = double(s.trips() - before) / saves;
    return f;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir work;
    Figures folder, server;
    {
        Store s(work.path(), QString(), true);
        folder = measure(s);
    }
    const QString location = testing_support::ServerCluster::instance().freshDatabase();
    {
        QTemporaryDir seed;
        { Store s(seed.path(), QString(), true); }
        const auto t0 = Clock::now();
        data::copyStore(QDir(seed.path()).filePath("Data"), location);
        std::printf("copy-store of the bench folder to the server: %.0f ms\n",
                    std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
        Store s(work.path(), location, false);
        server = measure(s);
    }
    std::printf("%-44s %12s %12s %8s %12s  %s\n", "case", "folder (us)", "server (us)", "ratio",
                "round trips", "bound");
    auto row = [](const char* what, double a, double b, double trips, const char* bound) {
        std::printf("%-44s %12.1f %12.1f %8.2f %12.2f  %s\n", what, a, b, b / a, trips, bound);
    };
    row("recalculate 500 designs (per design trips)", folder.recalcUs, server.recalcUs, server.recalcTrips,
        "<= 2 per design");
    row("step to the next design", folder.stepUs, server.stepUs, server.stepTrips, "<= 3");
    row("save one design's cells (100 rows)", folder.saveUs, server.saveUs, server.saveTrips, "<= 4");
    return 0;
}
