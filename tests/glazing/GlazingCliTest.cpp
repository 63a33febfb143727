#include "store/Database.h"
#include "store/Sqlite.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

using testing_support::CliFolder;
using testing_support::rowCount;

namespace {

struct GlazingCli : CliFolder {
    std::unique_ptr<store::Database> open() {
        return store::Database::open(file("Data/Quorvex.db"));
    }
    // Row counts of the tables a glazing writes, in one string to compare whole.
    QString counts() {
        auto db = open();
        return QStringLiteral("%1/%2/%3")
            .arg(rowCount(*db, "Glazing"))
            .arg(rowCount(*db, "SystemValues"))
            .arg(rowCount(*db, "SystemGlass"));
    }
    void useGlass(int designNo, const QString& code) {
        auto db = open();
        db->connection().exec(QStringLiteral("UPDATE \"Design\" SET \"Glass_Code\"='%1' WHERE "
                                             "\"Project_Ref\"='SAMPLE-HOUSE' AND \"Design_No\"=%2")
                                  .arg(code)
                                  .arg(designNo));
    }
    QStringList calcLine(int designNo) {
        const auto r = run({"calc", "SAMPLE-HOUSE", QString::number(designNo)});
        EXPECT_EQ(r.rc, 0) << r.err.toStdString();
        return r.out.split('\n').value(1).split('\t');
    }
};

} // namespace

TEST_F(GlazingCli, ComputePrintsTheFiguresAndRefusesBadLayers) {
    auto r = run(
        {"glazing", "compute", "--pane", "clear6", "--gap", "12.7:argon90", "--pane", "clear6"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0], "U_COG\tSHGC_COG\tVT");
    const QStringList f = lines[1].split('\t');
    ASSERT_EQ(f.size(), 3);
    EXPECT_NEAR(f[0].toDouble(), 2.55, 0.02);
    EXPECT_NEAR(f[1].toDouble(), 0.70, 0.01);
    EXPECT_NEAR(f[2].toDouble(), 0.79, 0.01);

    // A pane typed from a data sheet without its visible figure: VT left empty.
    r = run({"glazing", "compute", "--pane", "t=6,tsol=0.771,rf=0.07,rb=0.07,ef=0.84,eb=0.84"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith("\t\n")) << r.out.toStdString();

    const struct {
        QStringList args;
        const char* reason;
    } bad[] = {
        {{"--pane", "t=6,tsol=0.9,rf=0.2,rb=0.07,ef=0.84,eb=0.84"}, "above 1"},
        {{"--pane", "t=6,tsol=0.7,rf=0.07,rb=0.07,ef=0,eb=0.84"}, "emissivity"},
        {{"--pane", "clear6", "--gap", "0:air", "--pane", "clear6"}, "width"},
        {{"--pane", "clear6", "--gap", "120:air", "--pane", "clear6"}, "width"},
        {{"--pane", "clear4", "--gap", "9:air", "--pane", "clear4", "--gap", "9:air", "--pane",
          "clear4", "--gap", "9:air", "--pane", "clear4"},
         "1 to 3 panes"},
    };
    for (const auto& b : bad) {
        r = run(QStringList{"glazing", "compute"} + b.args);
        EXPECT_EQ(r.rc, 1) << b.reason;
        EXPECT_TRUE(r.err.contains(b.reason)) << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty());
    }
}

TEST_F(GlazingCli, AddedGlazingIsCalculatedLikeTheOneItCopies) {
    const QStringList before = calcLine(3); // Slider 30 with OR-4CL, 5.88 / 0.85
    // Typed from its layers a 4 mm clear pane gives the catalogue's own figures,
    // so a design glazed with it must come out exactly as before.
    auto r = run({"glazing", "add", "MY-4CL", "--like", "OR-4CL", "--pane", "clear4", "--systems",
                  "Slider 30"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    {
        auto db = open();
        EXPECT_EQ(rowCount(*db, "SystemValues", "Glass_Code=?", {"MY-4CL"}),
                  rowCount(*db, "SystemValues", "Glass_Code=? and System_Name=?",
                           {"OR-4CL", "Slider 30"}));
        EXPECT_EQ(rowCount(*db, "SystemGlass", "Glass_Code=? and System_Name=? and Supplier=?",
                           {"MY-4CL", "Slider 30", "Orvane"}),
                  1);
        EXPECT_EQ(rowCount(*db, "Glazing",
                           "Glass_Code=? and U_COG=5.88 and SHGC_COG=0.85 and Glass_Type=?",
                           {"MY-4CL", "Single"}),
                  1);
    }
    useGlass(3, "MY-4CL");
    EXPECT_EQ(calcLine(3), before);

    // A triple made like a double: its edge-of-glass values follow the sealed-unit rule.
    r = run({"glazing", "add", "TRI-KR", "--like", "OR-DG6126", "--pane", "clear4", "--gap",
             "12:krypton90", "--pane", "clear4", "--gap", "12:krypton90", "--pane", "lowe-soft6",
             "--systems", "Casement 38"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    {
        auto db = open();
        EXPECT_EQ(rowCount(*db, "Glazing",
                           "Glass_Code=? and Glass_Type=? and Lowe_Surface=5 and Gap_Fill=?",
                           {"TRI-KR", "Triple", "Krypton90"}),
                  1);
        EXPECT_EQ(
            rowCount(*db, "SystemValues", "Glass_Code=? and (UE0 < 2.0 or UE0 > 2.5)", {"TRI-KR"}),
            0);
        EXPECT_GT(rowCount(*db, "SystemValues", "Glass_Code=?", {"TRI-KR"}), 0);
    }
    const double single = calcLine(1)[3].toDouble();
    useGlass(1, "TRI-KR");
    const double triple = calcLine(1)[3].toDouble();
    EXPECT_GT(triple, 0.5);
    EXPECT_LT(triple, single - 1.5);

    // Used by a design it stays; once free it goes with all its rows.
    const QString full = counts();
    r = run({"glazing", "delete", "TRI-KR"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("used by design SAMPLE-HOUSE/1")) << r.err.toStdString();
    EXPECT_EQ(counts(), full);
    useGlass(1, "OR-6CL");
    r = run({"glazing", "delete", "TRI-KR"});
    EXPECT_EQ(r.rc, 0) << r.err.toStdString();
    auto db = open();
    for (const char* table : {"Glazing", "SystemValues", "SystemGlass"})
        EXPECT_EQ(rowCount(*db, table, "Glass_Code=?", {"TRI-KR"}), 0) << table;
}

TEST_F(GlazingCli, RefusedAddsWriteNothing) {
    const QString before = counts();
    const QStringList layers{"--pane", "clear6", "--gap", "12:air", "--pane", "clear6"};
    const struct {
        QStringList args;
        const char* reason;
    } refused[] = {
        {{"OR-DG6126", "--like", "OR-DG6126"}, "exists already"},
        {{"A-CODE-OF-16-CHR", "--like", "OR-DG6126"}, "longer than 15"},
        {{"NEW1", "--like", "NO-SUCH"}, "unknown glazing"},
        {{"NEW1", "--like", "OR-DG6126", "--supplier", "Nobody"}, "unknown supplier"},
        {{"NEW1", "--like", "OR-DG6126", "--systems", "Slider 30"},
         "Slider 30 does not offer OR-DG6126"},
        {{"NEW1", "--like", "OR-DG6126", "--description", QString(51, 'x')}, "longer than 50"},
    };
    for (const auto& c : refused) {
        const auto r = run(QStringList{"glazing", "add"} + c.args + layers);
        EXPECT_EQ(r.rc, 1) << c.reason;
        EXPECT_TRUE(r.err.contains(c.reason)) << r.err.toStdString();
        EXPECT_EQ(counts(), before) << c.reason;
    }
    // A shipped glazing is no glazing made here.
    const auto r = run({"glazing", "delete", "OR-4CL"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("comes with the program"));
    EXPECT_EQ(counts(), before);
}

TEST_F(GlazingCli, ProjectFolderCarriesTheGlazingsItsDesignsUse) {
    auto r = run({"glazing", "add", "MY-DGKR", "--like", "OR-DG6126", "--pane", "clear6", "--gap",
                  "14:krypton90", "--pane", "lowe-soft6", "--systems", "Casement 38"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    useGlass(1, "MY-DGKR");
    const QStringList here = calcLine(1);
    const QString folder = file("out");
    r = run({"export", "SAMPLE-HOUSE", folder});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains("TGlazing.db\t1")) << r.out.toStdString();

    QTemporaryDir other;
    const auto there = [&](QStringList args) {
        return testing_support::runCli(QStringList{"--workdir", other.path()} + args);
    };
    ASSERT_EQ(there({"init"}).rc, 0);
    r = there({"load", folder});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    r = there({"calc", "SAMPLE-HOUSE", "1"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split('\n').value(1).split('\t'), here);
    // Loaded a second time, the glazing already there is kept, not doubled.
    auto db = store::Database::open(QDir(other.path()).filePath("Data/Quorvex.db"));
    const int values = rowCount(*db, "SystemValues", "Glass_Code=?", {"MY-DGKR"});
    EXPECT_GT(values, 0);
    db.reset();
    ASSERT_EQ(there({"load", folder}).rc, 0);
    db = store::Database::open(QDir(other.path()).filePath("Data/Quorvex.db"));
    EXPECT_EQ(rowCount(*db, "SystemValues", "Glass_Code=?", {"MY-DGKR"}), values);
    EXPECT_EQ(rowCount(*db, "SystemGlass", "Glass_Code=?", {"MY-DGKR"}), 1);

    // Rows of a glazing the folder does not carry would change the other
    // installation's catalogue: the whole folder is refused.
    {
        auto values = store::Database::open(QDir(folder).filePath("TSystemValues.db"));
        values->connection().exec(
            "UPDATE \"SystemValues\" SET \"Glass_Code\"='OR-4CL' WHERE rowid=1");
    }
    QTemporaryDir third;
    ASSERT_EQ(testing_support::runCli({"--workdir", third.path(), "init"}).rc, 0);
    r = testing_support::runCli({"--workdir", third.path(), "load", folder});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("TSystemValues.db")) << r.err.toStdString();
    db = store::Database::open(QDir(third.path()).filePath("Data/Quorvex.db"));
    EXPECT_EQ(rowCount(*db, "Glazing", "Glass_Code=?", {"MY-DGKR"}), 0);

    // Once no design uses it, a new save leaves no glazing files behind.
    useGlass(1, "OR-6CL");
    ASSERT_EQ(run({"export", "SAMPLE-HOUSE", folder}).rc, 0);
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("TGlazing.db")));
    EXPECT_FALSE(QFile::exists(QDir(folder).filePath("TSystemValues.db")));
}
