#include "exchange/ProjectFolder.h"

#include "FolderFixture.h"
#include "store/Sqlite.h"
#include "store/StoreError.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace folder_fixture;
using exchange::LoadOutcome;
using exchange::LoadProject;
using exchange::SaveProject;
using testing_support::RecordingMessages;
using testing_support::ScratchDatabase;

namespace {

QStringList exportedTables() {
    QStringList t = projectTables();
    t.removeLast(); // DesignResults is read, never written
    return t;
}

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

struct Folder {
    QTemporaryDir dir;
    QString path() const { return dir.path(); }
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
};

} // namespace

TEST(ProjectFolder, ExportThenLoadGivesIdenticalRowsInAllNineTables) {
    ScratchDatabase source;
    fillProject(*source.db, "JOB-1", 3);
    fillProject(*source.db, "OTHER", 2, 5);
    Folder folder;
    const auto written = SaveProject(*source.db, "JOB-1", folder.path());

    // Nine files in order, each one table named as its data table with the same
    // fields, declarations and key; no temporary or journal file stays behind.
    ASSERT_EQ(written.size(), 9u);
    EXPECT_EQ(written[0].fileName, "TProject.db");
    EXPECT_EQ(written[8].fileName, "TDesignImage.db");
    EXPECT_EQ(written[8].rows, 150);
    QStringList expectedFiles;
    for (const QString& t : exportedTables())
        expectedFiles << "T" + t + ".db";
    expectedFiles.sort();
    QStringList files = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);
    files.sort();
    EXPECT_EQ(files, expectedFiles);
    // Another installation reads a file alone: not a write-ahead-log database.
    QFile project(folder.file("TProject.db"));
    ASSERT_TRUE(project.open(QIODevice::ReadOnly));
    EXPECT_EQ(project.read(20).at(18), 1);
    for (const QString& table : exportedTables()) {
        store::sql::Connection file(folder.file("T" + table + ".db"),
                                    store::sql::Connection::Mode::ReadOnly);
        store::sql::Statement tables(
            file, "SELECT group_concat(name) FROM sqlite_master WHERE type='table'");
        tables.step();
        EXPECT_EQ(tables.column(0).toString(), table);
        QStringList columns, expected;
        store::sql::Statement info(file, "PRAGMA table_info(\"" + table + "\")");
        while (info.step())
            columns << info.column(1).toString() + ' ' + info.column(2).toString();
        for (const store::FieldDef& f : store::schema::find(table)->fields)
            expected << f.name + ' ' + store::columnDeclaration(f);
        EXPECT_EQ(columns, expected);
        QStringList key;
        store::sql::Statement index(file, "PRAGMA index_info(\"" + table + "_key\")");
        while (index.step())
            key << index.column(2).toString();
        EXPECT_EQ(key, store::schema::find(table)->key);
    }

    ScratchDatabase target;
    const auto loaded = LoadProject(*target.db, folder.path());
    EXPECT_EQ(loaded.outcome, LoadOutcome::Loaded);
    EXPECT_EQ(loaded.projects, QStringList{"JOB-1"});
    for (const QString& table : exportedTables()) {
        const QStringList rows = dumpTable(*target.db, table);
        EXPECT_FALSE(rows.isEmpty()) << table.toStdString();
        EXPECT_EQ(rows, dumpTable(*source.db, table, "JOB-1")) << table.toStdString();
    }
    // The fields only whole-row copies carry arrive too.
    EXPECT_EQ(testing_support::rowCount(*target.db, "DesignImage", "Glass_Code IS NOT NULL"), 150);
    EXPECT_EQ(testing_support::rowCount(*target.db, "ProjectResults",
                                        "U_Ave IS NOT NULL AND SHGC_Ave IS NOT NULL"),
              3);
    EXPECT_EQ(testing_support::rowCount(*target.db, "Project", "Project_Ref = 'OTHER'"), 0);
}

TEST(ProjectFolder, ExportingTwiceReplacesTheNineFilesAndLeavesDesignResultsToTheLoad) {
    ExportedProject source("JOB-1", 4);

    // A design-results file from elsewhere in the folder.
    QStringList resultRows;
    {
        ScratchDatabase other;
        fillProject(*other.db, "JOB-1", 4, 9);
        resultRows = dumpTable(*other.db, "DesignResults");
        store::sql::Connection results(source.file("TDesignResults.db"),
                                       store::sql::Connection::Mode::CreateNew);
        QStringList columns;
        for (const store::FieldDef& f : store::schema::find("DesignResults")->fields)
            columns << f.name + ' ' + store::columnDeclaration(f);
        results.exec("CREATE TABLE DesignResults (" + columns.join(", ") + ")");
        results.exec("ATTACH DATABASE '" + other.file() + "' AS other");
        results.exec("INSERT INTO DesignResults SELECT * FROM other.DesignResults");
    }
    const QByteArray resultsBefore = fileHash(source.file("TDesignResults.db"));

    // The project changes, then goes out again: fewer designs, another name.
    source.db->connection().exec("DELETE FROM Design WHERE Design_No > 2");
    source.db->connection().exec("UPDATE Project SET Project_Name = 'Renamed'");
    const auto written = SaveProject(*source.db, "JOB-1", source.folder());
    EXPECT_EQ(written[5].fileName, "TDesign.db");
    EXPECT_EQ(written[5].rows, 2);
    EXPECT_EQ(fileHash(source.file("TDesignResults.db")), resultsBefore);
    EXPECT_EQ(QDir(source.folder()).entryList(QDir::Files | QDir::Hidden).size(), 10);

    ScratchDatabase target;
    LoadProject(*target.db, source.folder());
    EXPECT_EQ(dumpTable(*target.db, "Design"), dumpTable(*source.db, "Design", "JOB-1"));
    EXPECT_EQ(dumpTable(*target.db, "Project"), dumpTable(*source.db, "Project", "JOB-1"));
    EXPECT_EQ(dumpTable(*target.db, "DesignResults"), resultRows);
    EXPECT_EQ(fileHash(source.file("TDesignResults.db")), resultsBefore);
}

TEST(ProjectFolder, LoadingOverAnExistingProjectUpdatesItsRowsAndKeepsDesignsOnlyInTheDataFolder) {
    ExportedProject source("JOB-1", 3, 1);

    ScratchDatabase target;
    fillProject(*target.db, "JOB-1", 5, 2);
    fillProject(*target.db, "NEIGHBOUR", 2, 3);
    const QStringList neighbour = dumpTable(*target.db, "DesignImage", "NEIGHBOUR");
    const QStringList before = dumpTable(*target.db, "Design", "JOB-1");
    LoadProject(*target.db, source.folder());

    const QStringList designs = dumpTable(*target.db, "Design", "JOB-1");
    ASSERT_EQ(designs.size(), 5);
    EXPECT_EQ(designs.mid(0, 3), dumpTable(*source.db, "Design", "JOB-1"));
    EXPECT_EQ(designs.mid(3), before.mid(3)); // designs 4 and 5 stay as they were
    EXPECT_EQ(dumpTable(*target.db, "Project", "JOB-1"), dumpTable(*source.db, "Project", "JOB-1"));
    EXPECT_EQ(dumpTable(*target.db, "DesignImage", "JOB-1").mid(0, 150),
              dumpTable(*source.db, "DesignImage", "JOB-1"));
    EXPECT_EQ(dumpTable(*target.db, "DesignImage", "JOB-1").size(), 250);
    EXPECT_EQ(dumpTable(*target.db, "DesignImage", "NEIGHBOUR"), neighbour);
}

TEST(ProjectFolder, AFolderOfAnotherReferenceAddsThatProject) {
    ExportedProject source("NEW-JOB", 2);
    ScratchDatabase target;
    fillProject(*target.db, "OLD-JOB", 1);
    const QString oldRows = dumpTable(*target.db, "Design").join('\n');
    RecordingMessages messages;
    ASSERT_TRUE(exchange::loadProjectFolder(*target.db, source.folder(), messages));
    EXPECT_EQ(messages.texts, QStringList{"Information - Project Loaded Successfully!"});
    EXPECT_EQ(testing_support::rowCount(*target.db, "Project"), 2);
    EXPECT_EQ(dumpTable(*target.db, "Design", "OLD-JOB").join('\n'), oldRows);
    EXPECT_EQ(dumpTable(*target.db, "Design", "NEW-JOB"),
              dumpTable(*source.db, "Design", "NEW-JOB"));
}

TEST(ProjectFolder, WithoutTProjectNothingIsLoaded) {
    ExportedProject source("JOB-1", 2);
    ASSERT_TRUE(QFile::remove(source.file("TProject.db")));
    ScratchDatabase target;
    const QString before = dumpDatabase(*target.db);
    RecordingMessages messages;
    EXPECT_FALSE(exchange::loadProjectFolder(*target.db, source.folder(), messages));
    EXPECT_EQ(messages.texts,
              QStringList{"WARNING - Some Project Files Missing - Can NOT Proceed!"});
    EXPECT_EQ(dumpDatabase(*target.db), before);
    // A folder that does not exist at all says the same.
    messages.texts.clear();
    EXPECT_FALSE(exchange::loadProjectFolder(*target.db, source.file("nowhere"), messages));
    EXPECT_EQ(messages.texts,
              QStringList{"WARNING - Some Project Files Missing - Can NOT Proceed!"});
}

TEST(ProjectFolder, OptionalFilesMayBeAbsentAndNamesMayDifferInLetterCase) {
    ExportedProject source("JOB-1", 2);
    ASSERT_TRUE(QFile::remove(source.file("TDesignMerge.db")));
    ASSERT_TRUE(QFile::rename(source.file("TDesign.db"), source.file("TDESIGN.DB")));
    ScratchDatabase target;
    const auto loaded = LoadProject(*target.db, source.folder());
    ASSERT_EQ(loaded.files.size(), 8u);
    EXPECT_EQ(dumpTable(*target.db, "Design"), dumpTable(*source.db, "Design"));
    EXPECT_EQ(testing_support::rowCount(*target.db, "DesignMerge"), 0);
}

TEST(ProjectFolder, SaveMessagesAndRefusals) {
    ScratchDatabase source;
    fillProject(*source.db, "JOB-1", 0);
    Folder folder;
    RecordingMessages messages;
    std::vector<exchange::FileRows> written;
    // A project without designs still gives all nine files, the design ones empty.
    ASSERT_TRUE(
        exchange::saveProjectFolder(*source.db, "JOB-1", folder.path(), messages, &written));
    EXPECT_EQ(messages.texts, QStringList{"Project Saved"});
    ASSERT_EQ(written.size(), 9u);
    EXPECT_EQ(written[0].rows, 1);
    for (size_t i = 5; i < 9; ++i)
        EXPECT_EQ(written[i].rows, 0) << written[i].fileName.toStdString();
    EXPECT_TRUE(QFile::exists(folder.file("TDesignImage.db")));

    // An unknown project or a missing folder writes nothing and says why.
    Folder empty;
    messages.texts.clear();
    EXPECT_FALSE(exchange::saveProjectFolder(*source.db, "NO-SUCH", empty.path(), messages));
    EXPECT_EQ(messages.errors, QStringList{"Project Reference not Found !"});
    EXPECT_TRUE(QDir(empty.path()).isEmpty());
    EXPECT_THROW(SaveProject(*source.db, "JOB-1", empty.path() + "/missing"), store::StoreError);
}
