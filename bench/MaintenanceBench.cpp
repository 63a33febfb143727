// Times verify all and rebuild all over a data folder with 1,000 projects
// (9,000 designs, 450,000 cell rows and as many merge rows), then the
// rebuild of DesignImage with its root page overwritten (the page salvage):
//   maintenance_bench [PROJECTS]
#include "SampleFolder.h"
#include "data/DataFolder.h"
#include "maintenance/Procedures.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

using namespace maintenance;

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int projects = argc > 1 ? std::atoi(argv[1]) : 1000;
    QTemporaryDir tmp;
    const QString folder = QDir(tmp.path()).filePath("Data");
    const QString work = QDir(tmp.path()).filePath("work");
    QDir().mkpath(work);
    QElapsedTimer clock;
    clock.start();
    sample::makeDataFolder(folder, projects);
    const auto counts = sample::rowCounts(data::databaseFile(folder));
    std::printf(
        "data folder: %d extra projects, %lld designs, %lld cell rows, %.1f MB, made in %lld ms\n",
        projects, counts.at("Design"), counts.at("DesignImage"),
        double(QFileInfo(data::databaseFile(folder)).size()) / 1e6, clock.elapsed());

    TBDEUtil util;
    const QStringList tables = tableNamesOf(folder);
    for (int round = 1; round <= 3; ++round) {
        clock.restart();
        int sound = 0;
        for (const QString& t : tables) {
            util.reopen();
            sound +=
                verifyTable(util, QDir(folder).filePath(t), workTablesIn(work).verify) == kVerifyOk;
        }
        const qint64 verifyMs = clock.elapsed();
        clock.restart();
        int rebuilt = 0;
        for (const QString& t : tables) {
            util.reopen();
            rebuilt += rebuildTable(util, QDir(folder).filePath(t), workTablesIn(work)) ==
                       RebuildOutcome::Complete;
        }
        const qint64 rebuildMs = clock.elapsed();
        clock.restart();
        QString why;
        const bool zipped = zipFolder(
            folder, QDir(tmp.path()).filePath(QStringLiteral("b%1.zip").arg(round)), &why);
        std::printf("round %d: verify all %lld ms (%d/%lld sound), rebuild all %lld ms (%d "
                    "rebuilt), backup zip %lld ms%s\n",
                    round, verifyMs, sound, qint64(tables.size()), rebuildMs, rebuilt,
                    clock.elapsed(), zipped ? "" : " (failed)");
    }
    // The salvage: DesignImage with its root page overwritten, read back page
    // by page from the whole file.
    std::vector<long long> interior;
    for (const sample::Page& p : sample::pagesOf(data::databaseFile(folder), "DesignImage"))
        if (!p.leaf) interior.push_back(p.pageNo);
    sample::overwritePage(data::databaseFile(folder), interior.front(), 1);
    util.reopen();
    clock.restart();
    TURebuildCounts salvaged;
    const RebuildOutcome outcome =
        rebuildTable(util, QDir(folder).filePath("DesignImage"), workTablesIn(work), &salvaged);
    std::printf("DesignImage with its root page overwritten: rebuilt in %lld ms, %s (%s)\n",
                clock.elapsed(), qPrintable(rebuildStatus(outcome, salvaged)),
                qPrintable(countsText(salvaged)));
    return 0;
}
