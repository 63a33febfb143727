// The import from the earlier version: the tables read through the reader
// process (the real glazecalc-cli), written into a scratch data folder.
#include "ParadoxFixture.h"
#include "exchange/LegacyImport.h"
#include "store/StoreError.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace exchange;
using namespace testing_support;

namespace {

ReaderOptions reader() {
    ReaderOptions o;
    o.program = QStringLiteral(QUORVEX_CLI);
    return o;
}

QVariant valueOf(store::Database& db, const QString& sql, const QVariantList& params) {
    store::sql::Statement st(db.connection(), sql);
    for (int i = 0; i < params.size(); ++i) st.bind(i + 1, params[i]);
    return st.step() ? st.column(0) : QVariant();
}

class LegacyImportTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder = QDir(dir.path()).filePath(QStringLiteral("Quorvex2/Data"));
        writeLegacyFolder(folder);
    }
    int rows(const QString& table, const QString& ref) {
        return rowCount(*scratch.db, table, QStringLiteral("Project_Ref = ?1"), {ref});
    }
    int total() {
        int n = 0;
        for (const char* t : {"Project", "Design", "DesignImage", "DesignMerge"})
            n += rowCount(*scratch.db, QString::fromLatin1(t));
        return n;
    }
    QTemporaryDir dir;
    QString folder;
    ScratchDatabase scratch;
};

TEST_F(LegacyImportTest, ProjectArrivesWithDesignsCellsAndStoredResults) {
    const LegacySource source = readLegacySource(folder, reader());
    // Standard projects are not offered.
    std::vector<QString> offered;
    for (int r : source.offeredProjects()) offered.push_back(source.project.rows[size_t(r)][0].toString());
    EXPECT_EQ(offered, (std::vector<QString>{"P1", "P2", QStringLiteral("Caf\u00e9")}));

    const ImportResult result = importLegacyProject(*scratch.db, source, QStringLiteral("P1"), QStringLiteral("NEW1"));
    EXPECT_EQ(result.outcome, ImportOutcome::Imported);
    EXPECT_EQ(importMessage(result.outcome), QStringLiteral("Project Imported Successfully"));
    EXPECT_EQ(result.designs, 2);
    EXPECT_EQ(rows("Project", "NEW1"), 1);
    EXPECT_EQ(rows("Design", "NEW1"), 2);
    EXPECT_EQ(rows("DesignImage", "NEW1"), 100);
    EXPECT_EQ(rows("DesignMerge", "NEW1"), 100);
    store::Database& db = *scratch.db;
    const QString project = QStringLiteral("SELECT %1 FROM Project WHERE Project_Ref = 'NEW1'");
    EXPECT_EQ(valueOf(db, project.arg("Project_Name"), {}).toString(), "Smith House");
    EXPECT_EQ(valueOf(db, project.arg("Project_Date"), {}).toString(), "2003-04-05");
    EXPECT_EQ(valueOf(db, project.arg("Def_WL"), {}).toDouble(), 1500.0);  // a long in the earlier table
    EXPECT_EQ(valueOf(db, project.arg("Detail1"), {}).toString(), "Erf 12");

    const QString design = QStringLiteral("SELECT %1 FROM Design WHERE Project_Ref = 'NEW1' AND Design_No = ?1");
    EXPECT_EQ(valueOf(db, design.arg("Floor"), {1}).toString(), " G");
    EXPECT_EQ(valueOf(db, design.arg("Design_Ref"), {2}).toString(), "W02");
    // Results as stored, not recalculated; empty numbers written as 0.
    EXPECT_DOUBLE_EQ(valueOf(db, design.arg("U_Factor"), {1}).toDouble(), 5.12345);
    EXPECT_DOUBLE_EQ(valueOf(db, design.arg("SHGC"), {1}).toDouble(), 0.61234);
    EXPECT_DOUBLE_EQ(valueOf(db, design.arg("ReqIx"), {1}).toDouble(), 10.25);
    const QVariant emptyDim = valueOf(db, design.arg("DimH2"), {1});
    EXPECT_TRUE(emptyDim.isValid());
    EXPECT_EQ(emptyDim.toDouble(), 0.0);
    EXPECT_EQ(valueOf(db, design.arg("U_Factor"), {2}).toDouble(), 0.0);
    EXPECT_EQ(valueOf(db, design.arg("Design_Qty"), {2}).toInt(), 0);
    EXPECT_FALSE(valueOf(db, design.arg("Sash_Type"), {1}).isValid());  // empty text stays empty

    const QString cell = QStringLiteral(
        "SELECT %1 FROM %2 WHERE Project_Ref = 'NEW1' AND Design_No = 1 AND Row = 0 AND \"Column\" = 1");
    EXPECT_EQ(valueOf(db, cell.arg("ModeOfCell", "DesignImage"), {}).toString(), "TOP");
    EXPECT_FALSE(valueOf(db, cell.arg("Glass_Code", "DesignImage"), {}).isValid());  // not taken
    EXPECT_EQ(valueOf(db, cell.arg("ColSpan", "DesignMerge"), {}).toInt(), 2);
}

TEST_F(LegacyImportTest, SameProjectTwiceAndAProjectWithoutDesigns) {
    const LegacySource source = readLegacySource(folder, reader());
    EXPECT_EQ(importLegacyProject(*scratch.db, source, "P1", "A").outcome, ImportOutcome::Imported);
    EXPECT_EQ(importLegacyProject(*scratch.db, source, "P1", "B").outcome, ImportOutcome::Imported);
    EXPECT_EQ(rows("Design", "A"), 2);
    EXPECT_EQ(rows("Design", "B"), 2);
    EXPECT_EQ(rows("DesignImage", "B"), 100);

    const ImportResult empty = importLegacyProject(*scratch.db, source, "P2", "C");
    EXPECT_EQ(empty.outcome, ImportOutcome::Imported);
    EXPECT_EQ(rows("Project", "C"), 1);
    EXPECT_EQ(rows("Design", "C"), 0);
    EXPECT_EQ(valueOf(*scratch.db, "SELECT Def_WL FROM Project WHERE Project_Ref = 'C'", {}).toDouble(), 0.0);
    EXPECT_FALSE(valueOf(*scratch.db, "SELECT Project_Date FROM Project WHERE Project_Ref = 'C'", {}).isValid());

    // An accented reference from a code page 1252 table keeps its accent.
    EXPECT_EQ(importLegacyProject(*scratch.db, source, QStringLiteral("Caf\u00e9"), "D").outcome,
              ImportOutcome::Imported);
    EXPECT_EQ(valueOf(*scratch.db, "SELECT Designed_By FROM Project WHERE Project_Ref = 'D'", {}).toString(),
              QStringLiteral("Ren\u00e9"));
}

TEST_F(LegacyImportTest, RefusedReferencesChangeNothing) {
    const LegacySource source = readLegacySource(folder, reader());
    ASSERT_EQ(importLegacyProject(*scratch.db, source, "P1", "TAKEN").outcome, ImportOutcome::Imported);
    const int before = total();
    const struct {
        QString sourceRef, newRef;
        ImportOutcome outcome;
        QString message;
    } cases[] = {
        {"P2", "TAKEN", ImportOutcome::ReferenceExists,
         "New Project Reference Already Exists, Please Enter a Unique Reference"},
        {"P1", "", ImportOutcome::ReferenceEmpty, "Please Enter the New Project Reference for the imported project"},
        {"P1", "   ", ImportOutcome::ReferenceEmpty, "Please Enter the New Project Reference for the imported project"},
        {"P1", "SIXTEEN-CHARS-XX", ImportOutcome::ReferenceTooLong,
         "The New Project Reference may have at most 15 characters"},
        {"_CASEMENT", "STD", ImportOutcome::ProjectNotOffered,
         "Project _CASEMENT is a standard project; standard projects are not imported"},
        {"P9", "X", ImportOutcome::ProjectNotOffered, "Project P9 is not in the earlier database"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.newRef.toStdString());
        const ImportResult r = importLegacyProject(*scratch.db, source, c.sourceRef, c.newRef);
        EXPECT_EQ(r.outcome, c.outcome);
        EXPECT_EQ(importMessage(r.outcome, c.sourceRef), c.message);
        EXPECT_EQ(total(), before);
    }
}

// A source whose cells collide on the key fails in the middle of the writes:
// nothing of the project may stay behind.
TEST_F(LegacyImportTest, FailureHalfWayLeavesNothing) {
    LegacySource source = readLegacySource(folder, reader());
    source.image.rows.push_back(source.image.rows.front());
    EXPECT_THROW(importLegacyProject(*scratch.db, source, "P1", "HALF"), store::StoreError);
    EXPECT_EQ(total(), 0);
    EXPECT_FALSE(scratch.db->inTransaction());
}

// Missing and damaged tables give a message naming the file, quickly.
TEST_F(LegacyImportTest, DamagedSourceTablesAreNamed) {
    const QString design = QDir(folder).filePath(QStringLiteral("Design.DB"));
    const struct {
        const char* what;
        std::function<void()> damage;
        QString expected;
    } cases[] = {
        {"truncated", [&] { truncateFile(design, QFileInfo(design).size() / 2); }, "but its header says"},
        {"empty", [&] { writeBytes(design, {}); }, "the file is empty"},
        {"billions", [&] { patchFile(design, 0x06, QByteArray("\x00\x94\x35\x77", 4)); }, "claims 2000000000"},
        {"missing", [&] { QFile::remove(design); }, "does not exist"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        writeLegacyFolder(folder);
        c.damage();
        try {
            readLegacySource(folder, reader());
            ADD_FAILURE() << "a damaged table was read";
        } catch (const LegacyError& e) {
            EXPECT_TRUE(e.message().contains(QDir::toNativeSeparators(design))) << e.message().toStdString();
            EXPECT_TRUE(e.message().contains(c.expected)) << e.message().toStdString();
        }
    }
    EXPECT_THROW(readLegacySource(QDir(folder).filePath("nowhere"), reader()), LegacyError);
}

// A reader that hangs is stopped at the time limit; one that crashes is
// reported; neither takes the calling program with it.
TEST_F(LegacyImportTest, HangingOrCrashingReaderIsContained) {
    const QString script = QDir(dir.path()).filePath(QStringLiteral("reader.sh"));
    auto writeScript = [&](const QByteArray& body) {
        writeBytes(script, "#!/bin/sh\n" + body + "\n");
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    ReaderOptions o;
    o.program = script;
    o.timeoutMs = 500;
    const QString table = QDir(folder).filePath(QStringLiteral("Project.DB"));

    writeScript("exec sleep 30");
    QElapsedTimer timer;
    timer.start();
    try {
        readLegacyTable(table, o);
        ADD_FAILURE() << "a hanging reader returned";
    } catch (const LegacyError& e) {
        EXPECT_TRUE(e.message().contains("took longer than 0.5 seconds")) << e.message().toStdString();
    }
    EXPECT_LT(timer.elapsed(), 10000);

    writeScript("kill -SEGV $$");
    try {
        readLegacyTable(table, o);
        ADD_FAILURE() << "a crashed reader returned";
    } catch (const LegacyError& e) {
        EXPECT_TRUE(e.message().contains("the table reader stopped on it")) << e.message().toStdString();
    }
}

}  // namespace
