#include "LegacyImport.h"

#include "Refusals.h"
#include "store/DataSet.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFileInfo>

namespace exchange {

namespace {

const QString kProjectRef = QStringLiteral("Project_Ref");

// Finds a table file whatever the letter case of its name on disk.
QString tableFile(const QString& folder, const QString& name) {
    const QDir dir(folder);
    const QString exact = dir.filePath(name);
    if (QFileInfo::exists(exact)) return exact;
    for (const QString& entry : dir.entryList(QDir::Files))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return exact;
}

QString textAt(const LegacyTable& table, size_t row, int field) {
    return field < 0 ? QString() : table.rows[row][size_t(field)].toString();
}

// A text of the earlier tables longer than its field here: the import stops
// and its transaction is rolled back rather than cut the text.
struct Overlong {
    QString text;
};

// Inserts the rows of `source` whose Project_Ref is `sourceRef` into `tableName`,
// every field taken from the source field of the same name but Project_Ref
// and those in `skip`.
int copyRows(store::Database& db, const QString& tableName, const LegacyTable& source, const QString& sourceRef,
             const QString& newRef, const QStringList& skip = {}) {
    const store::TableDef* def = store::schema::find(tableName);
    QStringList columns, marks;
    std::vector<int> from;
    for (const store::FieldDef& f : def->fields) {
        columns << store::sql::quoteIdentifier(f.name);
        marks << QStringLiteral("?%1").arg(columns.size());
        from.push_back(skip.contains(f.name) || f.name == kProjectRef ? -1 : source.fieldIndex(f.name));
    }
    store::sql::Statement& insert =
        db.cached(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(store::sql::quoteIdentifier(tableName), columns.join(QStringLiteral(", ")),
                           marks.join(QStringLiteral(", "))));
    const int refField = source.fieldIndex(kProjectRef);
    int count = 0;
    for (size_t r = 0; r < source.rows.size(); ++r) {
        if (refField < 0 || textAt(source, r, refField) != sourceRef) continue;
        insert.reset();
        for (size_t i = 0; i < def->fields.size(); ++i) {
            const store::FieldDef& f = def->fields[i];
            QVariant value;
            if (f.name == kProjectRef)
                value = newRef;
            else if (from[i] >= 0) {
                const QVariant& raw = source.rows[r][size_t(from[i])];
                if (const QString tooLong = tooLongFor(f, raw.toString()); !tooLong.isEmpty())
                    throw Overlong{
                        QStringLiteral("%1, row %2: %3").arg(source.file).arg(r + 1).arg(tooLong)};
                value = store::DataSet::coerce(f, raw);
            }
            const bool number = f.type == store::FieldType::Number || f.type == store::FieldType::Integer;
            if (number && !value.isValid() && !skip.contains(f.name)) value = 0;
            insert.bind(int(i) + 1, store::DataSet::toStorage(f, value));
        }
        insert.step();
        ++count;
    }
    return count;
}

}  // namespace

std::vector<int> LegacySource::offeredProjects() const {
    std::vector<int> rows;
    const int ref = project.fieldIndex(kProjectRef);
    for (size_t r = 0; r < project.rows.size(); ++r)
        if (!textAt(project, r, ref).startsWith(QLatin1Char('_'))) rows.push_back(int(r));
    return rows;
}

int LegacySource::findProject(const QString& projectRef) const {
    const int ref = project.fieldIndex(kProjectRef);
    for (const int r : offeredProjects())
        if (textAt(project, size_t(r), ref) == projectRef) return r;
    return -1;
}

QString fixedLegacyFolder() { return QStringLiteral("C:\\Korvane\\Quorvex2\\Data"); }

bool isLegacyFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(tableFile(folder, QStringLiteral("Project.DB"))).isFile();
}

QString legacySourceFolder(const QString& remembered) {
    if (isLegacyFolder(fixedLegacyFolder())) return fixedLegacyFolder();
    return isLegacyFolder(remembered) ? remembered : QString();
}

LegacySource readLegacySource(const QString& folder, const ReaderOptions& options) {
    if (!QFileInfo(folder).isDir())
        throw LegacyError(QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(folder)));
    LegacySource source;
    source.folder = folder;
    source.project = readLegacyTable(tableFile(folder, QStringLiteral("Project.DB")), options);
    source.design = readLegacyTable(tableFile(folder, QStringLiteral("Design.DB")), options);
    source.image = readLegacyTable(tableFile(folder, QStringLiteral("DesignImage.DB")), options);
    source.merge = readLegacyTable(tableFile(folder, QStringLiteral("DesignMerge.DB")), options);
    if (source.project.fieldIndex(kProjectRef) < 0)
        throw LegacyError(QStringLiteral("%1 has no field Project_Ref.").arg(source.project.file));
    return source;
}

ImportResult importLegacyProject(store::Database& db, const LegacySource& source, const QString& sourceRef,
                                 const QString& newRef) {
    ImportResult result;
    result.newRef = newRef;
    const int projectRow = source.findProject(sourceRef);
    // A project without a reference would be removed, designs orphaned, by the
    // next save; the reference is the key of everything imported.
    if (newRef.trimmed().isEmpty()) {
        result.outcome = ImportOutcome::ReferenceEmpty;
    } else if (newRef.size() > store::schema::find(QStringLiteral("Project"))->fields[0].width) {
        result.outcome = ImportOutcome::ReferenceTooLong;
    } else if (projectRow < 0) {
        result.outcome = ImportOutcome::ProjectNotOffered;
    }
    if (result.outcome != ImportOutcome::Imported) return result;

    store::Transaction tx(db);
    store::sql::Statement& exists =
        db.cached(QStringLiteral("SELECT 1 FROM \"Project\" WHERE \"Project_Ref\" = ?1"));
    exists.reset();
    exists.bind(1, newRef);
    if (exists.step()) {
        exists.reset();
        result.outcome = ImportOutcome::ReferenceExists;
        return result;
    }
    exists.reset();
    result.clashTable = tableHoldingReference(
        db,
        {QStringLiteral("Design"), QStringLiteral("DesignImage"), QStringLiteral("DesignMerge")},
        newRef);
    if (!result.clashTable.isEmpty()) {
        result.outcome = ImportOutcome::ReferenceHeld;
        return result;
    }
    LegacyTable chosen = source.project;
    chosen.rows = {source.project.rows[size_t(projectRow)]};
    try {
        copyRows(db, QStringLiteral("Project"), chosen, sourceRef, newRef);
        result.designs = copyRows(db, QStringLiteral("Design"), source.design, sourceRef, newRef);
        result.cells = copyRows(db, QStringLiteral("DesignImage"), source.image, sourceRef, newRef,
                                {QStringLiteral("Glass_Code")});
        result.merges =
            copyRows(db, QStringLiteral("DesignMerge"), source.merge, sourceRef, newRef);
    } catch (const Overlong& o) {
        result = {ImportOutcome::ValueTooLong, 0, 0, 0, newRef, {}, o.text};
        return result;
    }
    tx.commit();
    for (const char* table : {"Project", "Design", "DesignImage", "DesignMerge"})
        db.notifyChanged(QString::fromLatin1(table), nullptr);
    return result;
}

QString importMessage(ImportOutcome outcome, const QString& sourceRef) {
    switch (outcome) {
    case ImportOutcome::Imported: return QStringLiteral("Project Imported Successfully");
    case ImportOutcome::ReferenceExists:
        return QStringLiteral("New Project Reference Already Exists, Please Enter a Unique Reference");
    case ImportOutcome::ReferenceEmpty:
        return QStringLiteral("Please Enter the New Project Reference for the imported project");
    case ImportOutcome::ReferenceTooLong:
        return QStringLiteral("The New Project Reference may have at most 15 characters");
    case ImportOutcome::ValueTooLong:
        return QStringLiteral(
            "A text of the earlier project is longer than its field; nothing was imported");
    case ImportOutcome::ReferenceHeld:
        return QStringLiteral(
            "Rows under the New Project Reference are in the way; nothing was imported");
    case ImportOutcome::ProjectNotOffered:
        return sourceRef.startsWith(QLatin1Char('_'))
                   ? QStringLiteral("Project %1 is a standard project; standard projects are not imported").arg(sourceRef)
                   : QStringLiteral("Project %1 is not in the earlier database").arg(sourceRef);
    }
    return {};
}

QString importMessage(const ImportResult& result, const QString& sourceRef) {
    if (result.outcome == ImportOutcome::ReferenceHeld)
        return referenceClashMessage(result.clashTable, result.newRef, QStringLiteral("imported"));
    if (result.outcome == ImportOutcome::ValueTooLong)
        return result.overlong + QStringLiteral(" Nothing was imported.");
    return importMessage(result.outcome, sourceRef);
}

}  // namespace exchange
