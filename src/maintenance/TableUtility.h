#pragma once

#include "store/Schema.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

// The table utility service: verification, rebuilding and properties of one
// table of a data folder's database file, on SQLite's own checks. A table is
// named by a path: the data folder + "/" + the table name (an ending ".db" is
// ignored), so callers address tables as they address files.
namespace maintenance {

// Results of the service calls: 0 is success, anything else an engine code.
enum : int {
    TU_OK = 0,
    TUERR_HEADERCORRUPT = 8961, // the file is not a readable database
    TUERR_INVALIDPARAM = 9986,  // a null or empty argument
    TUERR_NOSUCHTABLE = 11010,  // no such table in the folder's database
    TUERR_INVALIDCODE = 11020,  // a driver the service does not know
    TUERR_LOCKED = 10243,       // another program holds the database
    TUERR_NOTRECOVERED = 12033, // the rebuild could not be completed
    TUERR_WRITE = 13059,        // a work table or the database could not be written
};

// Progress report of a running step. The phase code says which part runs:
// below 0x1000000 the header, 0x01xxxxxx the indexes, 0x02xxxxxx the data,
// 0x08xxxxxx the rebuild.
struct TUProgress {
    int percentDone = 0;
    std::uint32_t phase = 0;
    QString message;
};
enum : std::uint32_t {
    TUPHASE_HEADER = 0x00000001,
    TUPHASE_INDEXES = 0x01000000,
    TUPHASE_DATA = 0x02000000,
    TUPHASE_REBUILD = 0x08000000,
};
// Returns 0 to go on (the engine's default action).
using TUProgressCallback = std::function<int(const TUProgress&)>;

struct TUSession;
using TUHandle = TUSession*;

// The seven counts of a table's restructure descriptor.
struct TUDescCounts {
    int fields = 0;
    int indexes = 0;
    int securityRecords = 0;
    int validityChecks = 0;
    int referentialChecks = 0;
    int optionalParams = 0;
    int optionalDataLength = 0;
};

struct TUIndexDesc {
    QString name;
    QStringList fields;
    bool primary = false;
    bool unique = false;
};

// What a rebuilt table becomes: its name, driver, error table and the arrays
// sized by the counts.
struct CRTblDesc {
    QString tableName;
    QString driverType;
    QString errorTable;
    TUDescCounts counts;
    std::vector<store::FieldDef> fields;
    std::vector<TUIndexDesc> indexes;
};

// Cursor properties shown as a table's information.
struct CURProps {
    int fields = 0;
    int recordSize = 0;
    int indexes = 0;
    int validityChecks = 0;
    int referentialChecks = 0;
    int restructureVersion = 0;
    int auxPasswords = 0;
    int codePage = 0;
    int blockSize = 0;
    int tableLevel = 0;
};

int TUInit(TUHandle* handle);
int TUExit(TUHandle handle);
void TURegisterCallback(TUHandle handle, TUProgressCallback callback);

// Checks the table and its key index; `errorLevel` receives 0 (no errors) to
// 4 (reconstruction may not be possible). The findings are written to the
// verify table when one is named.
int TUVerifyTable(TUHandle handle, const QString& tablePath, const QString& driverType,
                  const QString& verifyTable, const QString& password, int options,
                  int* errorLevel);
int TUGetCRTblDescCount(TUHandle handle, const QString& tablePath, TUDescCounts* counts);
int TUFillCRTblDesc(TUHandle handle, CRTblDesc* desc, const QString& tablePath,
                    const QString& password);
// Builds the table afresh from every row that can still be read; repeated keys
// go to the key-violation table, unreadable stretches and altered rows to the
// problem and error tables, the readable original rows to the backup table.
int TURebuildTable(TUHandle handle, const QString& tablePath, const QString& driverType,
                   const QString& backupTable, const QString& keyViolTable,
                   const QString& problemTable, const CRTblDesc* desc);
int TUFillCURProps(TUHandle handle, const QString& tablePath, CURProps* props);

// What the last rebuild on a handle did with the table's rows.
struct TURebuildCounts {
    qint64 found = 0;           // rows read, whole or damaged
    qint64 kept = 0;            // rows in the rebuilt table
    qint64 keyViolations = 0;   // rows moved to the key-violation table
    qint64 problems = 0;        // rows moved to the problem table
    qint64 unreadablePages = 0; // pages of the table that could not be read
    qint64 lost = 0;            // rows on unreadable pages; -1 when it cannot be told
};
int TUGetRebuildCounts(TUHandle handle, TURebuildCounts* counts);

// The last failure's text, for the error box of a caller that raises it.
QString TUErrorText(TUHandle handle);

// The database file a folder's tables live in: "Quorvex.db", else the first
// ".db" file by name. Empty when the folder holds none.
QString databaseFileOf(const QString& folder);

} // namespace maintenance
