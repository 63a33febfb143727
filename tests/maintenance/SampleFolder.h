#pragma once

#include <QString>
#include <functional>
#include <map>
#include <vector>

// Real data folders for the maintenance tests and benchmark, and the tools
// to damage them the way disks and power cuts do.
namespace sample {

// A data folder made from the shipped data plus `extraProjects` copies of
// the sample project (its designs, cells, merges, costs and storeys).
void makeDataFolder(const QString& dataDir, int extraProjects);

// Row counts of every table of a database file.
std::map<QString, long long> rowCounts(const QString& dbFile);

struct Page {
    long long pageNo = 0;
    QString path; // the page's place in its tree: "/" root, "/003/" a child ...
    bool leaf = false;
    long long cells = 0;
};
// The pages of a table's or an index's tree, in tree order.
std::vector<Page> pagesOf(const QString& dbFile, const QString& treeName);

// Rows of `table` still reachable when the pages in `lost` are gone (a leaf
// is reachable when it and every page above it survive).
long long rowsSurviving(const QString& dbFile, const QString& table,
                        const std::vector<long long>& lost);
long long rowsSurvivingTruncation(const QString& dbFile, const QString& table, long long keptPages);

// Runs statements on a database file outside the program's store.
void exec(const QString& dbFile, const QString& sql);
// Every row of a table as "value|value|..." in row-id order.
std::vector<QString> rowTexts(const QString& dbFile, const QString& table);
// The rows of `table` that stand on leaf pages not in `lostLeaves`, and the
// rows whose long values continue on a page in `lostLeaves` (an overflow
// page), both from the page map of the undamaged file.
struct Expected {
    std::vector<QString> onIntactPages;
    std::vector<QString> cutOff; // rows whose overflow chain is broken
    long long onLostPages = 0;
};
Expected expectedRows(const QString& dbFile, const QString& table,
                      const std::function<bool(long long)>& lost);
// The overflow pages of a table, "leaf path, cell, overflow number" order.
std::vector<long long> overflowPagesOf(const QString& dbFile, const QString& table);

int pageSize(const QString& dbFile);
void overwritePage(const QString& dbFile, long long pageNo, unsigned seed);
void overwriteBytes(const QString& dbFile, long long offset, int count, unsigned seed);
void truncateFile(const QString& dbFile, long long size);

} // namespace sample
