#pragma once

#include "LegacyReader.h"
#include "LegacyTable.h"

namespace store {
class Database;
}

namespace exchange {

// The four tables of the earlier version's data folder that an import reads.
struct LegacySource {
    QString folder;
    LegacyTable project, design, image, merge;

    // The rows of `project` offered for import: every project but the standard
    // ones (reference beginning with "_"), in the table's order.
    std::vector<int> offeredProjects() const;
    // The offered project row with this reference, or -1.
    int findProject(const QString& projectRef) const;
};

// Where the earlier version kept its data.
QString fixedLegacyFolder();
// True when `folder` holds the earlier version's Project.DB.
bool isLegacyFolder(const QString& folder);
// The folder to import from: the earlier version's own where it exists, else
// `remembered` when it still holds the tables; empty when the user must choose.
QString legacySourceFolder(const QString& remembered);

// Reads Project.DB, Design.DB, DesignImage.DB and DesignMerge.DB of `folder`
// through the reader process. Throws LegacyError naming what is missing or
// damaged.
LegacySource readLegacySource(const QString& folder, const ReaderOptions& options = {});

enum class ImportOutcome {
    Imported,
    ReferenceExists,
    ReferenceEmpty,
    ReferenceTooLong,
    ProjectNotOffered,
    ReferenceHeld, // no project has it, but rows of a table are keyed by it
    ValueTooLong   // a text of the earlier tables does not fit its field here
};

struct ImportResult {
    ImportOutcome outcome = ImportOutcome::Imported;
    int designs = 0, cells = 0, merges = 0;
    QString newRef;
    QString clashTable; // ReferenceHeld: the table holding rows under newRef
    QString overlong;   // ValueTooLong: the file, row, field and width
};

// Adds the earlier project `sourceRef` with its designs, cells and spans under
// `newRef`, in one transaction: all of it lands or, on an error of the store
// (thrown as StoreError), none. Results arrive as stored; an empty number is
// written as 0.
ImportResult importLegacyProject(store::Database& db, const LegacySource& source, const QString& sourceRef,
                                 const QString& newRef);

// The message the user sees for an outcome.
QString importMessage(ImportOutcome outcome, const QString& sourceRef = QString());
// The same for a whole result, naming the table of a clash.
QString importMessage(const ImportResult& result, const QString& sourceRef);

}  // namespace exchange
