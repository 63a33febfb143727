#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <functional>
#include <vector>

struct sqlite3;

// Reading what can still be read from a damaged database file.
namespace maintenance::salvage {

// A stretch of row ids whose rows could not be read; last < 0: up to the end.
struct Gap {
    qint64 first = 0;
    qint64 last = -1;
    QString reason;
};

struct ScanResult {
    qint64 rowsRead = 0;
    std::vector<Gap> gaps;
    // Nothing at all could be read although the table holds pages.
    bool rootUnreadable = false;
};

// Walks every row of `table` in row-id order and hands each readable one to
// `visit` (row id, column values). When a page cannot be read, the next
// readable row is found by seeking row ids past the damage (an unreadable
// page fails every seek that lands on it; a seek beyond it succeeds), so the
// rows on every other page are still delivered. `progress` gets the row id
// reached and the largest row id (0 when unknown).
ScanResult scanTable(sqlite3* db, const QString& table,
                     const std::function<void(qint64, const QVariantList&)>& visit,
                     const std::function<void(qint64, qint64)>& progress = {});

// True when the first bytes of a file are a sound database header.
bool headerIsSound(const QByteArray& header, qint64 fileSize);

// The page size that makes the file's pages look most like b-tree pages.
int guessPageSize(const QByteArray& head, qint64 fileSize);

// Writes a fresh header over a damaged one, keeping the pages. The free-page
// list is dropped (its pages are reclaimed by the vacuum that follows).
// Returns false with `error` set when the file cannot be mended.
bool repairHeader(const QString& file, QString* error);

// True when the file's free-page list reads whole: every trunk and leaf page
// inside the file, no page twice, as many pages as the header says.
bool freeListSound(const QString& file);
// Forgets a damaged free-page list (its pages are reclaimed by a vacuum).
bool dropFreeList(const QString& file, QString* error);

} // namespace maintenance::salvage
