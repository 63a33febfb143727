#pragma once

#include "TableUtility.h"
#include "store/StoreError.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>

// The per-table verify and rebuild procedures both programs run, and the
// folder chores around them; no windows here.
namespace maintenance {

// An engine error raised from a service result; the text is what the user sees.
class EngineError : public store::StoreError {
public:
    EngineError(int code, const QString& message) : store::StoreError(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

// Holds one handle of the table utility service.
class TBDEUtil {
public:
    TBDEUtil(); // throws EngineError when the service cannot be opened
    ~TBDEUtil();
    TBDEUtil(const TBDEUtil&) = delete;
    TBDEUtil& operator=(const TBDEUtil&) = delete;

    TUHandle handle() const { return handle_; }
    // Closes and reopens the handle so a failure in one table does not carry over.
    void reopen();
    bool GetTCursorProps(const QString& tablePath, CURProps* props);
    void RegisterCallBack(TUProgressCallback callback);
    void UnRegisterCallBack();
    // Raises the engine error of a failed call.
    [[noreturn]] void raise(int result) const;

private:
    TUHandle handle_ = nullptr;
    TUProgressCallback callback_;
};

// The status text of a verify result and error level.
QString verifyVerdict(int result, int errorLevel);
inline const QString kVerifyOk = QStringLiteral("Table OK! No errors found.");

// The work tables a rebuild uses.
struct WorkTables {
    QString verify;
    QString backup;
    QString keyViol;
    QString problem;
    QString error = QStringLiteral("Rebuild.DB");
};
WorkTables workTablesIn(const QString& workFolder); // the tool's, in its work folder
WorkTables dataFolderWorkTables();                  // the main program's, bare names

// Verifies one table and gives the status text ("Unable to Verify Table!"
// when the service cannot even be asked).
QString verifyTable(TBDEUtil& util, const QString& tablePath, const QString& verifyTablePath);

// The work tables of one rebuild run, in a folder of their own under
// `parent` named after the run's time ("Rebuild-yyyy-MM-dd-HH-mm-ss"), so a
// later run never empties an earlier one's. Empty paths when the folder
// cannot be made.
WorkTables runWorkTables(const QString& parent, const QDateTime& now);
// After a run: the run's copies of the original rows and its verify table go
// when no row was moved aside; the folder goes when it is empty. Returns the
// folder when it stays (it holds moved rows), else an empty text.
QString tidyRunFolder(const WorkTables& work);
// What the user is told about a run folder that stays.
QString keptInText(const QString& folder);

// Complete: every row read is kept or moved aside. Lossy: rebuilt, but rows
// on unreadable pages are gone.
enum class RebuildOutcome { Complete, Lossy, Unsuccessful, FillFailed, NoDescriptor };
// Verifies (a failing verify raises the engine error), describes and rebuilds
// one table; `counts` receives what became of its rows.
RebuildOutcome rebuildTable(TBDEUtil& util, const QString& tablePath, const WorkTables& work,
                            TURebuildCounts* counts = nullptr);
// "Rebuild complete.", "Rebuilt: 134 rows on 1 unreadable page lost", ...
QString rebuildStatus(RebuildOutcome outcome, const TURebuildCounts& counts = {});
// "found 4450, kept 4316, KEYVIOL 0, PROBLEM 0, unreadable pages 1"
QString countsText(const TURebuildCounts& counts);

// The tables of a data folder by name; when the database cannot be read, the
// data folder's own table names, so a damaged folder can still be mended.
QStringList tableNamesOf(const QString& folder);

// Deletes the stale lock files ("*dox*.lck") of a folder; never a database's
// own journal or write-ahead files. False at the first that stays.
bool DeleteLockFiles(const QString& folder);
// Removes the main program's rebuild work tables from the data folder.
void DeleteWorkTables(const QString& dataFolder);

// The first table that another program holds, opening the folder's database
// exclusively; empty when none does.
QString heldTable(const QString& folder, const QStringList& tables);

// The archive a backup of `dataPath` goes to at `now`: beside the folder,
// "<folder>-yyyy-mm-dd.zip", then "-hh-mm", then "-ss" when taken.
QString archiveName(const QString& dataPath, const QDateTime& now,
                    const std::function<bool(const QString&)>& exists);
// Zips every file of the folder (databases through a consistent copy) into
// `archive`; false with `error` on any failure, leaving no archive behind.
bool zipFolder(const QString& dataPath, const QString& archive, QString* error);

// The tool's work folder: temp + login name + "/dbRebuild/".
QString workFolderFor(const QString& tempPath, const QString& loginName);
QString sanitizedLoginName(const QString& loginName);

// Support access codes: one that changes every hour and a fixed master code.
qint64 hourlyAccessCode(const QDateTime& now);
bool accessCodeAccepted(const QString& typed, const QDateTime& now);

// What both programs say instead of rebuilding when the tables are kept on a
// PostgreSQL server: it guards them itself, and pg_dump backs it up.
QString serverGuardsItsTables(const QString& server);

} // namespace maintenance
