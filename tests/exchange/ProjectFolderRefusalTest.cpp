// Damaged and hostile project folders: each is refused with the file and the
// problem named, and the data folder stays exactly as it was.
#include "FolderFixture.h"
#include "exchange/ExchangeFile.h"
#include "exchange/ProjectFolder.h"
#include "store/Sqlite.h"
#include "store/Table.h"
#include "support/TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace folder_fixture;
using testing_support::RecordingMessages;
using testing_support::ScratchDatabase;

namespace {

class Refusal : public ::testing::Test {
protected:
    void SetUp() override {
        fillProject(*source.db, "JOB-1", 40, 1);
        exchange::SaveProject(*source.db, "JOB-1", folder.path());
        // The data folder already holds an older state of the project and another one.
        fillProject(*target.db, "JOB-1", 3, 2);
        fillProject(*target.db, "KEEP", 2, 3);
        before = dumpDatabase(*target.db);
    }
    QString file(const QString& name) const { return QDir(folder.path()).filePath(name); }
    // Runs one statement on an exchange file of the folder.
    void alter(const QString& name, const QString& statement) {
        store::sql::Connection conn(file(name), store::sql::Connection::Mode::OpenExisting);
        conn.exec(statement);
    }
    // Loads the folder, expects a refusal naming `fileName` and `problem`, and
    // the data folder unchanged.
    void expectRefused(const QString& fileName, const QString& problem) {
        RecordingMessages messages;
        EXPECT_FALSE(exchange::loadProjectFolder(*target.db, folder.path(), messages));
        ASSERT_EQ(messages.texts.size(), 1);
        const QString text = messages.texts.first();
        EXPECT_TRUE(text.contains("\"" + fileName + "\"")) << text.toStdString();
        EXPECT_TRUE(text.contains(problem)) << text.toStdString();
        EXPECT_TRUE(text.contains("Nothing was changed")) << text.toStdString();
        EXPECT_EQ(dumpDatabase(*target.db), before);
    }

    ScratchDatabase source, target;
    QTemporaryDir folder;
    QString before;
};

QMap<QString, QByteArray> folderHashes(const QString& path) {
    QMap<QString, QByteArray> hashes;
    for (const QString& name : QDir(path).entryList(QDir::Files | QDir::Hidden)) {
        QFile f(QDir(path).filePath(name));
        f.open(QIODevice::ReadOnly);
        hashes[name] = QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
    }
    return hashes;
}

} // namespace

TEST_F(Refusal, ATextFileInPlaceOfATable) {
    QFile f(file("TDesign.db"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write("Project_Ref,Design_No\nJOB-1,1\n");
    f.close();
    expectRefused("TDesign.db", "is not a database file");
}

TEST_F(Refusal, ATableLackingAFieldOrHoldingAnotherTable) {
    alter("TDesign.db", "ALTER TABLE Design DROP COLUMN Wind_Load");
    expectRefused("TDesign.db", "lacks the field Wind_Load");
    alter("TDesign.db", "ALTER TABLE Design RENAME TO Designs");
    expectRefused("TDesign.db", "does not hold the table Design");
}

TEST_F(Refusal, AFieldOfAnotherType) {
    alter("TDesignImage.db", "DROP INDEX DesignImage_key");
    alter("TDesignImage.db", "ALTER TABLE DesignImage DROP COLUMN \"Row\"");
    alter("TDesignImage.db", "ALTER TABLE DesignImage ADD COLUMN \"Row\" TEXT(4)");
    expectRefused("TDesignImage.db", "has the field Row as text, where integer is expected");
}

TEST_F(Refusal, ValuesThatDoNotFitTheirFields) {
    const struct {
        const char* statement;
        const char* problem;
    } cases[] = {
        {"UPDATE Design SET Wind_Load = 'abc' WHERE Design_No = 2",
         "row 2: the field Wind_Load holds the text \"abc\" where a number is expected"},
        {"UPDATE Design SET Design_Qty = 2.5 WHERE Design_No = 3",
         "row 3: the field Design_Qty holds \"2.5\", which is not a whole number"},
        {"UPDATE Design SET Design_Qty = 3000000000 WHERE Design_No = 3",
         "not a whole number in range"},
        {"UPDATE Design SET DimH1 = 1e999 WHERE Design_No = 1",
         "the field DimH1 holds a number that is not finite"},
        {"UPDATE Design SET Design_Ref = x'00ff' WHERE Design_No = 1",
         "the field Design_Ref holds binary data"},
        {"UPDATE Design SET Design_Ref = CAST(x'41ff42' AS TEXT) WHERE Design_No = 1",
         "holds text that is not valid"},
        {"UPDATE Design SET Design_No = NULL WHERE Design_No = 4", "row 4 has no Design_No"},
        {"UPDATE Design SET Design_Ref = 'ELEVEN-CHAR' WHERE Design_No = 1",
         "row 1: the field Design_Ref holds \"ELEVEN-CHAR\" of 11 characters, where the field "
         "takes at most 10"},
        {"UPDATE Design SET Project_Ref = 'KEEP' WHERE Design_No = 5",
         "row 5 belongs to the project \"KEEP\", which \"TProject.db\" does not hold"},
    };
    const QString good = file("TDesign.db") + ".good";
    ASSERT_TRUE(QFile::copy(file("TDesign.db"), good));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.statement);
        QFile::remove(file("TDesign.db"));
        ASSERT_TRUE(QFile::copy(good, file("TDesign.db")));
        alter("TDesign.db", QString::fromUtf8(c.statement));
        expectRefused("TDesign.db", QString::fromUtf8(c.problem));
    }
    alter("TProject.db", "UPDATE Project SET Project_Date = '31/12/2024'");
    expectRefused("TProject.db",
                  "the field Project_Date holds the text \"31/12/2024\" where a date is expected");
    alter("TProject.db", "DELETE FROM Project");
    expectRefused("TProject.db", "holds no project");
}

TEST_F(Refusal, ATruncatedFile) {
    QFile f(file("TDesign.db"));
    ASSERT_GT(f.size(), 8192);
    ASSERT_TRUE(f.resize(f.size() / 2));
    RecordingMessages messages;
    EXPECT_FALSE(exchange::loadProjectFolder(*target.db, folder.path(), messages));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_TRUE(
        messages.texts.first().startsWith("The project folder was not loaded: \"TDesign.db\" "))
        << messages.texts.first().toStdString();
    EXPECT_EQ(dumpDatabase(*target.db), before);
}

TEST_F(Refusal, AFailureHalfWayRollsTheWholeLoadBack) {
    // The data folder's DesignImage is held by another cursor: the eighth file fails.
    store::Table holder(target.db.get(), "DesignImage");
    holder.open();
    holder.lockTable();
    RecordingMessages messages;
    EXPECT_FALSE(exchange::loadProjectFolder(*target.db, folder.path(), messages));
    ASSERT_EQ(messages.errors.size(), 1);
    EXPECT_TRUE(messages.errors.first().contains("DesignImage"))
        << messages.errors.first().toStdString();
    EXPECT_EQ(dumpDatabase(*target.db), before);
    holder.unlockTable();
    EXPECT_TRUE(exchange::loadProjectFolder(*target.db, folder.path(), messages));
}

TEST(ProjectFolderHostile, AReferenceHoldingQuotesAndSqlIsStoredExactlyAsWritten) {
    const QString ref = "Q\"');DROP--%_";
    ExportedProject source(ref, 2);
    ScratchDatabase target;
    fillProject(*target.db, "KEEP", 1);
    const QStringList keep = dumpTable(*target.db, "Design", "KEEP");
    const auto hashes = folderHashes(source.folder());
    const auto loaded = exchange::LoadProject(*target.db, source.folder());
    EXPECT_EQ(loaded.projects, QStringList{ref});
    EXPECT_EQ(testing_support::rowCount(*target.db, "Project", "Project_Ref = ?1", {ref}), 1);
    EXPECT_EQ(dumpTable(*target.db, "DesignImage", ref), dumpTable(*source.db, "DesignImage", ref));
    EXPECT_EQ(dumpTable(*target.db, "Design", "KEEP"), keep);
    EXPECT_EQ(target.db->tableNames().size(), 23);
    // The folder is read, never written: same files, same bytes, no journal left.
    EXPECT_EQ(folderHashes(source.folder()), hashes);
}

TEST(ProjectFolderHostile, ReadingAFileChecksItAgainstTheDataTableAlone) {
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("TProject.db");
    // Extra fields are ignored, a wider text field serves when its value fits
    // (a longer one is refused, never cut: see the refusals above),
    // a text column of ISO dates serves a date field and whole numbers a number field.
    writeSqliteFile(
        path,
        "CREATE TABLE Project (Extra BLOB, Project_Ref TEXT(40), Project_Name TEXT, Project_Date "
        "TEXT, "
        "Def_Finish TEXT(15), Def_WL INTEGER, Designed_By TEXT(20), Detail1 TEXT(70), "
        "Detail2 TEXT(70), Detail3 TEXT(70), Detail4 TEXT(70))",
        {"INSERT INTO Project VALUES (x'01', 'ABCDEFGHIJKLMNO', 'Name', '2024-02-29', "
         "'Anodised', 7, NULL, '', NULL, NULL, NULL)"});
    auto rows = exchange::readExchangeFile(path, "TProject.db", *store::schema::find("Project"));
    ASSERT_EQ(rows->rows().size(), 1u);
    const auto& row = rows->rows()[0];
    EXPECT_EQ(row[0].toString(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(row[2].toDate(), QDate(2024, 2, 29));
    EXPECT_EQ(row[4].typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(row[4].toDouble(), 7.0);
    EXPECT_FALSE(row[5].isValid());
    EXPECT_FALSE(row[6].isValid()); // empty text is stored as empty, as the store does
    // A directory in place of a file and a file with a damaged page are refused.
    ASSERT_TRUE(QDir(dir.path()).mkdir("TDesign.db"));
    EXPECT_THROW(exchange::readExchangeFile(QDir(dir.path()).filePath("TDesign.db"), "TDesign.db",
                                            *store::schema::find("Design")),
                 exchange::FolderRefused);
}
