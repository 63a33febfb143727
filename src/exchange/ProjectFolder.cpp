#include "ProjectFolder.h"

#include "ExchangeFile.h"
#include "GlazingFiles.h"
#include "data/Messages.h"
#include "store/BatchMove.h"
#include "store/Database.h"
#include "store/Query.h"
#include "store/Sqlite.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <filesystem>
#include <memory>

namespace exchange {

using store::StoreError;

const std::vector<ProjectFolderFile>& projectFolderFiles() {
    static const std::vector<ProjectFolderFile> files = {
        {QStringLiteral("TProject.db"), QStringLiteral("Project"), true},
        {QStringLiteral("TProjectFloors.db"), QStringLiteral("ProjectFloors"), true},
        {QStringLiteral("TProjectOptions.db"), QStringLiteral("ProjectOptions"), true},
        {QStringLiteral("TProjectResults.db"), QStringLiteral("ProjectResults"), true},
        {QStringLiteral("TProjectRational.db"), QStringLiteral("ProjectRational"), true},
        {QStringLiteral("TDesign.db"), QStringLiteral("Design"), true},
        {QStringLiteral("TDesignCosting.db"), QStringLiteral("DesignCosting"), true},
        {QStringLiteral("TDesignMerge.db"), QStringLiteral("DesignMerge"), true},
        {QStringLiteral("TDesignImage.db"), QStringLiteral("DesignImage"), true},
        {QStringLiteral("TDesignResults.db"), QStringLiteral("DesignResults"), false},
    };
    return files;
}

namespace {

const QString kProjectRef = QStringLiteral("Project_Ref");
const char* const kCompanions[] = {"-journal", "-wal", "-shm"};

const store::TableDef& dataTable(const QString& name) {
    const store::TableDef* def = store::schema::find(name);
    if (!def) throw StoreError(QStringLiteral("Unknown table %1").arg(name));
    return *def;
}

void removeWithCompanions(const QString& file) {
    QFile::remove(file);
    for (const char* suffix : kCompanions)
        QFile::remove(file + QLatin1String(suffix));
}

// A folder carried over from a system that ignores letter case may name the
// files in another case; the exact name wins.
QString fileInFolder(const QDir& dir, const QString& name) {
    const QString exact = dir.filePath(name);
    if (QFileInfo::exists(exact)) return exact;
    for (const QString& entry : dir.entryList(QDir::Files | QDir::Hidden | QDir::System))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return dir.filePath(entry);
    return {};
}

// Writes the rows of a data table that `condition` picks into a new exchange file.
int writeExchangeFile(store::Database& db, const store::TableDef& def, const QString& condition,
                      const QVariantList& params, const QString& file) {
    auto out = store::Database::create(file);
    int rows = 0;
    {
        out->createTable(def);
        store::Query source(&db, QString());
        source.setSql(QStringLiteral("Select * from %1 Where %2").arg(def.name, condition), params);
        store::Table destination(out.get(), def.name);
        rows = store::BatchMove::execute(source, destination, store::BatchMove::Mode::Copy);
        destination.close();
        source.close();
    }
    out.reset();
    // One self-contained file without a log beside it: another installation
    // opens it read-only.
    store::sql::Connection(file, store::sql::Connection::Mode::OpenExisting)
        .exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
    return rows;
}

void replaceFile(const QString& temp, const QString& target) {
    for (const char* suffix : kCompanions)
        QFile::remove(target + QLatin1String(suffix));
    std::error_code ec;
    std::filesystem::rename(std::filesystem::path(QFile::encodeName(temp).toStdString()),
                            std::filesystem::path(QFile::encodeName(target).toStdString()), ec);
    if (ec)
        throw StoreError(QStringLiteral("Cannot replace %1: %2")
                             .arg(target, QString::fromStdString(ec.message())));
}

} // namespace

std::vector<FileRows> SaveProject(store::Database& db, const QString& projectRef,
                                  const QString& folder) {
    {
        store::Query project(&db, QString());
        project.setSql(QStringLiteral("Select * from Project Where Project_Ref=?"), {projectRef});
        project.open();
        if (project.isEmpty()) throw StoreError(QStringLiteral("Project Reference not Found !"));
    }
    const QDir dir(folder);
    if (folder.isEmpty() || !dir.exists())
        throw StoreError(
            QStringLiteral("The folder %1 does not exist.").arg(QDir::toNativeSeparators(folder)));

    std::vector<std::pair<QString, QString>> made; // temporary file, its final name
    std::vector<FileRows> written;
    try {
        for (const ProjectFolderFile& f : projectFolderFiles()) {
            if (!f.exported) continue;
            const QString target = dir.absoluteFilePath(f.fileName);
            const QString temp = target + QStringLiteral(".saving");
            made.emplace_back(temp, target);
            written.push_back({f.fileName, writeExchangeFile(db, dataTable(f.table),
                                                             QStringLiteral("Project_Ref=?"),
                                                             {projectRef}, temp)});
        }
        const QStringList glazings = madeGlazingsOf(db, projectRef);
        QStringList pick;
        QVariantList codes;
        for (const QString& code : glazings) {
            pick << QStringLiteral("Glass_Code=?");
            codes << code;
        }
        for (const ProjectFolderFile& f : glazingFolderFiles()) {
            const QString target = dir.absoluteFilePath(f.fileName);
            if (glazings.isEmpty()) { // what an earlier save left would come back with the project
                made.emplace_back(QString(), target);
                continue;
            }
            const QString temp = target + QStringLiteral(".saving");
            made.emplace_back(temp, target);
            written.push_back({f.fileName, writeExchangeFile(db, dataTable(f.table),
                                                             pick.join(QStringLiteral(" or ")), codes, temp)});
        }
        for (const auto& [temp, target] : made)
            if (temp.isEmpty()) removeWithCompanions(target);
            else replaceFile(temp, target);
    } catch (...) {
        for (const auto& [temp, target] : made)
            if (!temp.isEmpty()) removeWithCompanions(temp);
        throw;
    }
    return written;
}

LoadResult LoadProject(store::Database& db, const QString& folder) {
    LoadResult result;
    const QDir dir(folder);
    if (folder.isEmpty() || fileInFolder(dir, projectFolderFiles().front().fileName).isEmpty())
        return result;

    // Every file is read and checked before anything is merged.
    std::vector<std::pair<const ProjectFolderFile*, std::unique_ptr<ExchangeRows>>> tables;
    for (const ProjectFolderFile& f : projectFolderFiles()) {
        const QString path = fileInFolder(dir, f.fileName);
        if (path.isEmpty()) continue;
        tables.emplace_back(&f, readExchangeFile(path, f.fileName, dataTable(f.table)));
    }

    const ExchangeRows& projects = *tables.front().second;
    const int refIndex = projects.fieldIndex(kProjectRef);
    QSet<QString> refs;
    for (const auto& row : projects.rows()) {
        refs.insert(row[size_t(refIndex)].toString());
        result.projects << row[size_t(refIndex)].toString();
    }
    if (refs.isEmpty())
        throw FolderRefused{tables.front().first->fileName, QStringLiteral("holds no project")};
    // Rows of a project the folder does not carry would change another project.
    for (auto& [file, rows] : tables) {
        const int index = rows->fieldIndex(kProjectRef);
        if (!file->exported) {
            // The export never writes this file: one left in the folder may
            // hold other projects too. Only this load's rows belong to it.
            std::vector<std::vector<QVariant>> kept;
            for (const auto& row : rows->rows())
                if (refs.contains(row[size_t(index)].toString())) kept.push_back(row);
            result.otherProjectRows += int(rows->rows().size() - kept.size());
            rows = std::make_unique<ExchangeRows>(rows->def(), std::move(kept));
            continue;
        }
        for (size_t r = 0; r < rows->rows().size(); ++r) {
            const QString ref = rows->rows()[r][size_t(index)].toString();
            if (!refs.contains(ref))
                throw FolderRefused{
                    file->fileName,
                    QStringLiteral(
                        "row %1 belongs to the project \"%2\", which \"%3\" does not hold")
                        .arg(r + 1)
                        .arg(ref, tables.front().first->fileName)};
        }
    }

    ReadFiles glazings;
    for (const ProjectFolderFile& f : glazingFolderFiles()) {
        const QString path = fileInFolder(dir, f.fileName);
        if (!path.isEmpty()) glazings.emplace_back(&f, readExchangeFile(path, f.fileName, dataTable(f.table)));
    }
    checkGlazingFiles(glazings);

    store::Transaction tx(db);
    const auto newGlazings = newGlazingRows(db, glazings);
    for (size_t i = 0; i < glazings.size(); ++i) {
        store::Table destination(&db, glazings[i].first->table);
        const int moved =
            store::BatchMove::execute(*newGlazings[i], destination, store::BatchMove::Mode::AppendUpdate);
        destination.close();
        result.files.push_back({glazings[i].first->fileName, moved});
    }
    for (const auto& [file, rows] : tables) {
        store::Table destination(&db, file->table);
        const int moved =
            store::BatchMove::execute(*rows, destination, store::BatchMove::Mode::AppendUpdate);
        destination.close();
        result.files.push_back({file->fileName, moved});
    }
    tx.commit();
    result.outcome = LoadOutcome::Loaded;
    return result;
}

bool saveProjectFolder(store::Database& db, const QString& projectRef, const QString& folder,
                       data::Messages& messages, std::vector<FileRows>* written) {
    try {
        std::vector<FileRows> files = SaveProject(db, projectRef, folder);
        if (written) *written = std::move(files);
    } catch (const StoreError& e) {
        messages.showError(e.message());
        return false;
    }
    messages.showMessage(QStringLiteral("Project Saved"));
    return true;
}

bool loadProjectFolder(store::Database& db, const QString& folder, data::Messages& messages,
                       LoadResult* result) {
    LoadResult loaded;
    try {
        loaded = LoadProject(db, folder);
    } catch (const FolderRefused& refused) {
        messages.messageDlg(refused.message(), data::DlgType::Warning, {data::DlgButton::OK});
        return false;
    } catch (const StoreError& e) {
        messages.showError(e.message());
        return false;
    }
    if (result) *result = loaded;
    if (loaded.outcome == LoadOutcome::ProjectFileMissing) {
        messages.showMessage(
            QStringLiteral("WARNING - Some Project Files Missing - Can NOT Proceed!"));
        return false;
    }
    if (loaded.otherProjectRows > 0)
        messages.showMessage(
            QStringLiteral("\"TDesignResults.db\" also holds %1 row(s) of other projects; they "
                           "were left out.")
                .arg(loaded.otherProjectRows));
    messages.showMessage(QStringLiteral("Information - Project Loaded Successfully!"));
    return true;
}

} // namespace exchange
