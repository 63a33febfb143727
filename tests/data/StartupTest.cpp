#include "support/TestSupport.h"
#include "data/DataFolder.h"
#include "data/DataModule.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace data;
using testing_support::fixturesDir;
using testing_support::RecordingMessages;
using testing_support::rowCount;

namespace {

struct Startup : ::testing::Test {
    void SetUp() override {
        qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
        aliasFile = QDir(config.path()).filePath("aliases.ini");
    }
    void TearDown() override { qunsetenv("QUORVEX_DATA_DIR"); }
    QString dataDir() const { return QDir(work.path()).filePath("Data"); }
    QTemporaryDir work, config;
    QString aliasFile;
    RecordingMessages messages;
};

}  // namespace

TEST_F(Startup, NewWorkingFolderGetsADataFolderFilledWithTheShippedRows) {
    TDM dm(messages, work.path(), store::AliasRegistry(aliasFile));
    EXPECT_TRUE(messages.errors.isEmpty()) << messages.errors.join("\n").toStdString();
    ASSERT_TRUE(dm.tablesOpen());
    EXPECT_EQ(dm.WorkDir, QDir(work.path()).absolutePath());
    EXPECT_EQ(dm.DatabaseName, "Quorvex");
    EXPECT_EQ(QDir(dm.dataFolder()).absolutePath(), QDir(dataDir()).absolutePath());
    EXPECT_TRUE(QFile::exists(databaseFile(dataDir())));
    EXPECT_EQ(rowCount(*dm.database(), "Project"), 3);
    EXPECT_EQ(rowCount(*dm.database(), "Project", "Project_Name = 'Smith house, Parktown'"), 1);
    // Tables stand on their first rows, unlinked.
    EXPECT_EQ(dm.ProjectTable.fieldByName("Project_Ref").asString(), "HOUSE");
    EXPECT_EQ(dm.SystemTable.recordCount(), 4);
    EXPECT_TRUE(dm.DesignTable.isEmpty());
    // Queries are bound but not open.
    EXPECT_FALSE(dm.ProjectQuery.active());
    EXPECT_EQ(dm.SystemValueQuery.sql(), "Select * from SystemValues");
}

TEST_F(Startup, ASavedAliasWinsWhateverFolderItNames) {
    QTemporaryDir elsewhere;
    const QString folder = QDir(elsewhere.path()).filePath("Shared");
    createDataFolder(folder, QDir(fixturesDir()).filePath("data"));
    store::AliasRegistry(aliasFile).saveAlias("Quorvex", folder);
    TDM dm(messages, work.path(), store::AliasRegistry(aliasFile));
    ASSERT_TRUE(dm.tablesOpen());
    EXPECT_EQ(dm.DatabaseName, "Quorvex");
    EXPECT_EQ(dm.database()->folder(), QDir(folder).absolutePath());
    // The working folder is left alone.
    EXPECT_FALSE(QFile::exists(dataDir()));
}

TEST_F(Startup, AnExistingFolderThatCannotBeOpenedIsReportedAndNeverOverwritten) {
    QDir().mkpath(dataDir());
    QFile stray(QDir(dataDir()).filePath("notes.txt"));
    ASSERT_TRUE(stray.open(QIODevice::WriteOnly));
    stray.write("keep me");
    stray.close();
    TDM dm(messages, work.path(), store::AliasRegistry(aliasFile));
    EXPECT_FALSE(dm.tablesOpen());
    ASSERT_EQ(messages.errors.size(), 1);
    EXPECT_TRUE(messages.errors.first().contains("Quorvex.db"));
    EXPECT_FALSE(QFile::exists(databaseFile(dataDir())));
    EXPECT_TRUE(QFile::exists(stray.fileName()));
}

TEST_F(Startup, AMissingTableStopsTheOpeningAtThatTable) {
    createDataFolder(dataDir(), QDir(fixturesDir()).filePath("data"));
    {
        auto db = store::Database::open(databaseFile(dataDir()));
        db->connection().exec("DROP TABLE SystemValues");
    }
    TDM dm(messages, work.path(), store::AliasRegistry(aliasFile));
    EXPECT_FALSE(dm.tablesOpen());
    ASSERT_EQ(messages.errors.size(), 1);
    EXPECT_TRUE(messages.errors.first().contains("SystemValues"));
    EXPECT_TRUE(dm.DesignMergeTable.active());
    EXPECT_FALSE(dm.SystemValuesTable.active());
    EXPECT_FALSE(dm.ProjectTable.active());
    EXPECT_EQ(rowCount(*dm.database(), "Project"), 3);
}

TEST(DataFolder, CsvQuotingAndRefusalToOverwrite) {
    const auto rows = parseCsv("a,\"b, c\",\" G\"\n\"say \"\"hi\"\"\",,\"two\nlines\"\r\n");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], (QStringList{"a", "b, c", " G"}));
    EXPECT_EQ(rows[1], (QStringList{"say \"hi\"", "", "two\nlines"}));
    EXPECT_THROW(parseCsv("\"open"), store::StoreError);

    QTemporaryDir dir;
    EXPECT_THROW(createDataFolder(dir.path(), fixturesDir()), store::StoreError);
}

TEST(DataFolder, ABadShippedFileLeavesNoHalfMadeFolder) {
    QTemporaryDir shipped, target;
    QFile bad(QDir(shipped.path()).filePath("Project.csv"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("Project_Ref,No_Such_Field\nA,1\n");
    bad.close();
    const QString data = QDir(target.path()).filePath("Data");
    EXPECT_THROW(createDataFolder(data, shipped.path()), store::StoreError);
    EXPECT_FALSE(QFile::exists(data));
}
