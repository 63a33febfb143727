#include "SampleFolder.h"
#include "maintenance/Procedures.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace maintenance;

namespace {

const QString kNeedsRebuild = QStringLiteral("Errors Found.  Table needs to be rebuilt.");

// A data folder of 20 projects beyond the shipped ones, a work folder and one
// service handle.
struct DamagedFolder : ::testing::Test {
    void SetUp() override {
        folder = QDir(tmp.path()).filePath("Data");
        work = QDir(tmp.path()).filePath("work");
        QDir().mkpath(work);
        sample::makeDataFolder(folder, 20);
        file = databaseFileOf(folder);
        before = sample::rowCounts(file);
    }
    QString path(const QString& table) const { return QDir(folder).filePath(table); }
    QString verify(const QString& table) {
        util.reopen();
        return verifyTable(util, path(table), workTablesIn(work).verify);
    }
    std::map<QString, QString> verifyAll() {
        std::map<QString, QString> out;
        for (const QString& t : tableNamesOf(folder))
            out[t] = verify(t);
        return out;
    }
    void rebuildAll() {
        for (const QString& t : tableNamesOf(folder)) {
            util.reopen();
            EXPECT_EQ(rebuildTable(util, path(t), workTablesIn(work)), RebuildOutcome::Complete)
                << t.toStdString();
        }
    }
    void expectAllSound() {
        for (const auto& [table, verdict] : verifyAll())
            EXPECT_EQ(verdict, kVerifyOk) << table.toStdString();
        auto db = store::Database::open(file);
        EXPECT_EQ(db->integrityCheck(), "ok");
    }
    QStringList workRows(const QString& workFile, const QString& table) {
        auto db = store::Database::open(QDir(work).filePath(workFile));
        store::sql::Statement st(db->connection(),
                                 QStringLiteral("SELECT * FROM \"%1\"").arg(table));
        QStringList rows;
        while (st.step()) {
            QStringList cols;
            for (int i = 0; i < st.columnCount(); ++i)
                cols << st.column(i).toString();
            rows << cols.join('|');
        }
        return rows;
    }
    QTemporaryDir tmp;
    QString folder, work, file;
    std::map<QString, long long> before;
    TBDEUtil util;
};

TEST_F(DamagedFolder, ASoundFolderVerifiesCleanAndRebuildsWithEveryRow) {
    ASSERT_EQ(tableNamesOf(folder).size(), 23);
    expectAllSound();
    rebuildAll();
    EXPECT_EQ(sample::rowCounts(file), before);
    expectAllSound();
}

TEST_F(DamagedFolder, OverwrittenPagesInTheMiddleOfDesignImageLoseOnlyTheirRows) {
    std::vector<long long> leaves;
    for (const sample::Page& p : sample::pagesOf(file, "DesignImage"))
        if (p.leaf) leaves.push_back(p.pageNo);
    ASSERT_GT(leaves.size(), 20u);
    const std::vector<long long> lost{leaves[leaves.size() / 2 - 3], leaves[leaves.size() / 2],
                                      leaves[leaves.size() / 2 + 1]};
    const long long expected = sample::rowsSurviving(file, "DesignImage", lost);
    ASSERT_LT(expected, before["DesignImage"]);
    for (long long p : lost)
        sample::overwritePage(file, p, unsigned(p));

    const auto verdicts = verifyAll();
    EXPECT_EQ(verdicts.at("DesignImage"), kNeedsRebuild);
    EXPECT_EQ(verdicts.at("DesignMerge"), kVerifyOk);
    EXPECT_EQ(verdicts.at("Project"), kVerifyOk);

    util.reopen();
    TURebuildCounts counts;
    ASSERT_EQ(rebuildTable(util, path("DesignImage"), workTablesIn(work), &counts),
              RebuildOutcome::Lossy);
    EXPECT_EQ(counts.lost, before["DesignImage"] - expected);
    EXPECT_EQ(counts.unreadablePages, 3);
    EXPECT_EQ(rebuildStatus(RebuildOutcome::Lossy, counts),
              QStringLiteral("Rebuilt: %1 rows on 3 unreadable pages lost").arg(counts.lost));
    auto after = sample::rowCounts(file);
    EXPECT_EQ(after["DesignImage"], expected);
    after["DesignImage"] = before["DesignImage"];
    EXPECT_EQ(after, before);
    // The unreadable pages are on record, the readable rows in the backup.
    EXPECT_EQ(workRows("PROBLEM.DB", "DesignImage").size(), 3);
    EXPECT_EQ(workRows("Backup.Db", "DesignImage").size(), expected);
    expectAllSound();
}

TEST_F(DamagedFolder, AnOverwrittenKeyIndexPageLosesNoRow) {
    std::vector<long long> leaves;
    for (const sample::Page& p : sample::pagesOf(file, "DesignImage_key"))
        if (p.leaf) leaves.push_back(p.pageNo);
    ASSERT_GT(leaves.size(), 5u);
    sample::overwritePage(file, leaves[leaves.size() / 2], 7);

    EXPECT_EQ(verify("DesignImage"), kNeedsRebuild);
    util.reopen();
    ASSERT_EQ(rebuildTable(util, path("DesignImage"), workTablesIn(work)),
              RebuildOutcome::Complete);
    EXPECT_EQ(sample::rowCounts(file), before);
    expectAllSound();
}

TEST_F(DamagedFolder, ARepeatedKeyGoesToTheKeyViolationTable) {
    {
        // What a crash between a row and its index entry leaves: a second
        // row with the key of another.
        auto db = store::Database::open(file);
        db->connection().exec("DROP INDEX Project_key");
        db->connection().exec(
            "INSERT INTO Project (Project_Ref, Project_Name) VALUES ('P00003', 'Second copy')");
        db->connection().exec("CREATE INDEX Project_key ON Project (Project_Ref)");
    }
    EXPECT_EQ(verify("Project"), kNeedsRebuild);
    util.reopen();
    ASSERT_EQ(rebuildTable(util, path("Project"), workTablesIn(work)), RebuildOutcome::Complete);
    EXPECT_EQ(sample::rowCounts(file), before);
    const QStringList repeats = workRows("KEYVIOL.DB", "Project");
    ASSERT_EQ(repeats.size(), 1);
    EXPECT_TRUE(repeats[0].startsWith("P00003|Second copy|")) << repeats[0].toStdString();
    expectAllSound();
}

TEST_F(DamagedFolder, ATruncatedFileKeepsEveryRowBeforeTheCut) {
    const long long size = QFileInfo(file).size();
    const int page = sample::pageSize(file);
    const long long kept = (size / page) * 7 / 10;
    // Every row on a leaf before the cut survives, whether or not the pages
    // above its leaf do.
    std::map<QString, long long> expected;
    for (const auto& [table, rows] : before)
        expected[table] = sample::expectedRows(file, table, [&](long long p) {
                              return p > kept;
                          }).onIntactPages.size();
    ASSERT_LT(expected["DesignMerge"] + expected["DesignImage"],
              before["DesignMerge"] + before["DesignImage"]);
    sample::truncateFile(file, kept * page);

    const auto verdicts = verifyAll();
    int damaged = 0;
    for (const auto& [table, verdict] : verdicts) {
        if (expected[table] < before[table]) {
            EXPECT_NE(verdict, kVerifyOk) << table.toStdString();
            ++damaged;
        }
    }
    EXPECT_GT(damaged, 0);
    for (const QString& t : tableNamesOf(folder)) {
        util.reopen();
        const RebuildOutcome outcome = rebuildTable(util, path(t), workTablesIn(work));
        EXPECT_EQ(outcome,
                  expected[t] < before[t] ? RebuildOutcome::Lossy : RebuildOutcome::Complete)
            << t.toStdString();
    }
    EXPECT_EQ(sample::rowCounts(file), expected);
    expectAllSound();
}

TEST_F(DamagedFolder, AGarbageHeaderIsWrittenAfreshAndNoRowIsLost) {
    sample::overwriteBytes(file, 0, 100, 11);
    for (const auto& [table, verdict] : verifyAll())
        EXPECT_EQ(verdict, "File header is corrupt.") << table.toStdString();
    rebuildAll();
    EXPECT_EQ(sample::rowCounts(file), before);
    expectAllSound();
    // The program's own store opens it again as a data folder.
    auto db = store::Database::open(file);
    EXPECT_NO_THROW(db->tableDef("Design"));
}

TEST_F(DamagedFolder, ProgressMovesThroughTheFourPhasesUpToAHundred) {
    std::map<std::uint32_t, std::vector<int>> seen;
    util.RegisterCallBack([&](const TUProgress& p) {
        seen[p.phase & 0xff000000u].push_back(p.percentDone);
        return 0;
    });
    verifyTable(util, path("DesignImage"), QString());
    ASSERT_EQ(rebuildTable(util, path("DesignImage"), workTablesIn(work)),
              RebuildOutcome::Complete);
    for (std::uint32_t phase : {std::uint32_t(0), std::uint32_t(TUPHASE_INDEXES),
                                std::uint32_t(TUPHASE_DATA), std::uint32_t(TUPHASE_REBUILD)}) {
        const std::vector<int>& p = seen[phase];
        ASSERT_FALSE(p.empty()) << phase;
        EXPECT_EQ(p.back(), 100) << phase;
        EXPECT_TRUE(std::all_of(p.begin(), p.end(), [](int v) { return v >= 0 && v <= 100; }));
    }
    // Data and rebuild report the steps between.
    EXPECT_GT(seen[TUPHASE_DATA].size(), 20u);
    EXPECT_GT(seen[TUPHASE_REBUILD].size(), 20u);
    util.UnRegisterCallBack();
}

TEST_F(DamagedFolder, TextLongerThanItsFieldIsCutAndKeptWhole) {
    {
        auto db = store::Database::open(file);
        db->connection().exec(
            "UPDATE Project SET Project_Name = 'A name far longer than thirty characters, typed "
            "elsewhere' WHERE Project_Ref = 'P00001'");
    }
    EXPECT_EQ(verify("Project"), "Complete. Errors found.");
    util.reopen();
    ASSERT_EQ(rebuildTable(util, path("Project"), workTablesIn(work)), RebuildOutcome::Complete);
    auto db = store::Database::open(file);
    store::sql::Statement st(db->connection(),
                             "SELECT Project_Name FROM Project WHERE Project_Ref='P00001'");
    ASSERT_TRUE(st.step());
    EXPECT_EQ(st.column(0).toString(), "A name far longer than thirty ");
    // The row as it was stands in the error table beside the data.
    auto errors = store::Database::open(QDir(folder).filePath("Rebuild.DB"));
    store::sql::Statement e(errors->connection(), "SELECT Project_Name FROM Project");
    ASSERT_TRUE(e.step());
    EXPECT_TRUE(e.column(0).toString().endsWith("typed elsewhere"));
}

TEST_F(DamagedFolder, ServiceAnswersForMissingTablesBadArgumentsAndForeignFiles) {
    int level = -1;
    EXPECT_EQ(TUVerifyTable(util.handle(), path("NoSuchTable"), "PARADOX", "", "", 0, &level),
              TUERR_NOSUCHTABLE);
    EXPECT_EQ(verify("NoSuchTable"), "Error accessing table.  Table does not exists.");
    EXPECT_EQ(TUVerifyTable(util.handle(), "", "PARADOX", "", "", 0, &level), TUERR_INVALIDPARAM);
    EXPECT_EQ(TUVerifyTable(util.handle(), path("Design"), "PARADOX", "", "", 0, nullptr),
              TUERR_INVALIDPARAM);
    EXPECT_EQ(TUVerifyTable(util.handle(), path("Design"), "DBASE", "", "", 0, &level),
              TUERR_INVALIDCODE);
    EXPECT_EQ(TUVerifyTable(util.handle(), path("Design.DB"), "PARADOX", "", "", 0, &level), TU_OK);
    EXPECT_EQ(level, 0);
    // A file that is no database at all.
    QFile::remove(file);
    QFile text(file);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write(QByteArray(8192, 'x'));
    text.close();
    EXPECT_EQ(TUVerifyTable(util.handle(), path("Design"), "PARADOX", "", "", 0, &level),
              TUERR_HEADERCORRUPT);
    // A rebuild cannot make a database of it and says so.
    CRTblDesc desc;
    desc.fields = store::schema::find("Design")->fields;
    EXPECT_EQ(
        TURebuildTable(util.handle(), path("Design"), "PARADOX", "b.db", "k.db", "p.db", &desc),
        TUERR_HEADERCORRUPT);
}

TEST_F(DamagedFolder, TablePropertiesAndDescriptorFollowTheTable) {
    CURProps props;
    ASSERT_TRUE(util.GetTCursorProps(path("Design"), &props));
    EXPECT_EQ(props.fields, 47);
    EXPECT_EQ(props.indexes, 1);
    EXPECT_EQ(props.blockSize, 4096);
    EXPECT_EQ(props.codePage, 65001);
    EXPECT_EQ(props.tableLevel, 4);
    EXPECT_GT(props.recordSize, 47 * 4);
    EXPECT_FALSE(util.GetTCursorProps(path("Nothing"), &props));

    TUDescCounts counts;
    ASSERT_EQ(TUGetCRTblDescCount(util.handle(), path("DesignImage"), &counts), TU_OK);
    EXPECT_EQ(counts.fields, 6);
    EXPECT_EQ(counts.indexes, 1);
    CRTblDesc desc;
    desc.counts = counts;
    ASSERT_EQ(TUFillCRTblDesc(util.handle(), &desc, path("DesignImage"), ""), TU_OK);
    ASSERT_EQ(desc.indexes.size(), 1u);
    EXPECT_EQ(desc.indexes[0].fields, QStringList({"Project_Ref", "Design_No", "Row", "Column"}));
    desc.counts.fields = 5; // arrays sized for another table
    EXPECT_NE(TUFillCRTblDesc(util.handle(), &desc, path("DesignImage"), ""), TU_OK);
}

TEST(Verdicts, EveryResultAndLevelHasItsText) {
    EXPECT_EQ(verifyVerdict(0, 0), "Table OK! No errors found.");
    EXPECT_EQ(verifyVerdict(0, 1), "Complete. Errors found.");
    EXPECT_EQ(verifyVerdict(0, 2), "Unable to complete verification.");
    EXPECT_EQ(verifyVerdict(0, 3), "Errors Found.  Table needs to be rebuilt.");
    EXPECT_EQ(verifyVerdict(0, 4), "Errors Found.  Reconstruction may not be possible.");
    EXPECT_EQ(verifyVerdict(0, 5), "Unable to Verify Table!");
    EXPECT_EQ(verifyVerdict(0, -1), "Unable to Verify Table!");
    for (int level : {0, 1, 3, 4, 7})
        EXPECT_EQ(verifyVerdict(8961, level), "File header is corrupt.");
    EXPECT_EQ(verifyVerdict(0x2702, 0), "Invalid Parameter (NULL).");
    EXPECT_EQ(verifyVerdict(0x2B02, 2), "Error accessing table.  Table does not exists.");
    EXPECT_EQ(verifyVerdict(0x2B0C, 0), "Error accessing table.  Invalid code.");
    EXPECT_EQ(verifyVerdict(12345, 0), "Unable to Verify Table!");
}

} // namespace
