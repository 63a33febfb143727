#include "FolderFixture.h"
#include "data/DataModule.h"
#include "store/Query.h"
#include "store/Table.h"
#include "support/CliRun.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using testing_support::CliRun;

struct SansCli : testing_support::CliFolder {
    // The printed rows without the header, each split at its tabs.
    static std::vector<QStringList> rows(const CliRun& r) {
        std::vector<QStringList> out;
        const QStringList lines = r.out.split('\n', Qt::SkipEmptyParts);
        for (qsizetype i = 1; i < lines.size(); ++i)
            out.push_back(lines[i].split('\t'));
        return out;
    }
};

const QString Header = "Floor\tFloor_Area\tWindow_Area\tU_Allow\tU_Total\tSHGC_Allow\tSHGC_Total\t"
                       "U_Result\tSHGC_Result\tExempt";

} // namespace

TEST_F(SansCli, SampleProjectIsJudgedStoreyByStoreyInKeyOrder) {
    const CliRun r = run({"sans204", "SAMPLE-HOUSE"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.split('\n').first(), Header);
    const auto storeys = rows(r);
    ASSERT_EQ(storeys.size(), 2u);
    EXPECT_EQ(storeys[0][0], "G");
    EXPECT_EQ(storeys[1][0], "1");
    for (const QStringList& s : storeys) {
        ASSERT_EQ(s.size(), 10);
        const double floorArea = s[1].toDouble(), window = s[2].toDouble();
        // Zone 1 of the sample: 1.2 and 0.13 per m2 of net floor area.
        EXPECT_DOUBLE_EQ(s[3].toDouble(), 1.2 * floorArea);
        EXPECT_DOUBLE_EQ(s[5].toDouble(), 0.13 * floorArea);
        const bool exempt = window / floorArea <= 0.15;
        EXPECT_EQ(s[9], exempt ? "Yes" : "No");
        if (!exempt) {
            EXPECT_EQ(s[7], s[4].toDouble() <= s[3].toDouble() ? "PASS" : "FAIL");
            EXPECT_EQ(s[8], s[6].toDouble() <= s[5].toDouble() ? "PASS" : "FAIL");
        }
    }
    EXPECT_EQ(storeys[0][1], "72");
    EXPECT_EQ(storeys[1][1], "58");
    // The first floor, single glazed, fails its conductance allowance.
    EXPECT_EQ(storeys[1][7], "FAIL");
}

TEST_F(SansCli, OptionsSetTheZoneAndTheStoreysAndAnswerTheQuestion) {
    ASSERT_EQ(run({"sans204", "SAMPLE-HOUSE"}).rc, 0);
    // A second run asks about the ratios; without --keep-ph the answer is No.
    CliRun r = run(
        {"sans204", "SAMPLE-HOUSE", "--zone", "3", "--floor", "1=400:0.50", "--floor", " G=10"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.split('\n').contains("Keep Existing P/H Rations?"));
    auto storeys = rows(r);
    ASSERT_EQ(storeys.size(), 2u);
    EXPECT_EQ(storeys[0][1], "10");
    EXPECT_DOUBLE_EQ(storeys[0][3].toDouble(), 18); // zone 3: 1.8 per m2
    EXPECT_EQ(storeys[0][9], "No");
    EXPECT_EQ(storeys[1][1], "400");
    EXPECT_EQ(storeys[1][9], "Yes");
    EXPECT_EQ(storeys[1][7], "N/A");
    EXPECT_EQ(storeys[1][8], "N/A");

    // Read afresh each time, as another program would.
    auto ratio = [&](int designNo) {
        testing_support::RecordingMessages m;
        data::TDM dm(m, work.path());
        store::Query q(dm.database(), "Select * from DesignResults");
        q.setSql("Select * from DesignResults Where Project_Ref=? and Design_No=?",
                 {"SAMPLE-HOUSE", designNo});
        q.open();
        return q.fieldByName("Shading_Ratio").asFloat();
    };
    // Design 6 is on storey 1: No reset it to the storey's 0.50, and --keep-ph keeps that.
    EXPECT_EQ(ratio(6), 0.5);
    r = run({"sans204", "SAMPLE-HOUSE", "--floor", "1=400:0.20", "--keep-ph"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(ratio(6), 0.5);
    r = run({"sans204", "SAMPLE-HOUSE", "--floor", "1=400:0.20"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_EQ(ratio(6), 0.2);
}

TEST_F(SansCli, StoreyChecksAndBadInputFail) {
    // A storey or zone the data does not have: exit 1 with the reason.
    CliRun r = run({"sans204", "SAMPLE-HOUSE", "--floor", "7=10"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("has no storey \"7\""));
    r = run({"sans204", "SAMPLE-HOUSE", "--zone", "99"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("There is no climate zone 99"));
    for (const QStringList& bad :
         {QStringList{"sans204"}, QStringList{"sans204", "SAMPLE-HOUSE", "--floor", "1"},
          QStringList{"sans204", "SAMPLE-HOUSE", "--floor", "1=-4"},
          QStringList{"sans204", "SAMPLE-HOUSE", "--zone", "x"}})
        EXPECT_EQ(run(bad).rc, 2) << bad.join(' ').toStdString();
    EXPECT_EQ(run({"sans204", "NO-SUCH"}).rc, 1);

    // A project whose first storey has no factors yet.
    {
        testing_support::RecordingMessages m;
        data::TDM dm(m, work.path());
        store::Table f(dm.database(), "ProjectFloors");
        f.open();
        ASSERT_TRUE(f.findKey({"SAMPLE-HOUSE", "G"}));
        f.edit();
        f.fieldByName("N_Factor").clear();
        f.post();
    }
    r = run({"sans204", "SAMPLE-HOUSE"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_TRUE(r.err.contains("Storey G: no default P/H ratio")) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
}

TEST_F(SansCli, ReportIsWrittenInEveryFormat) {
    ASSERT_EQ(run({"sans204", "SAMPLE-HOUSE"}).rc, 0);
    for (const char* name : {"s.pdf", "s.xlsx", "s.txt", "s.csv"}) {
        const CliRun r = run({"report", "sans204", "SAMPLE-HOUSE", "-o", file(name)});
        ASSERT_EQ(r.rc, 0) << name << r.err.toStdString();
        EXPECT_TRUE(QFile::exists(file(name))) << name;
    }
    QFile txt(file("s.txt"));
    ASSERT_TRUE(txt.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(txt.readAll());
    EXPECT_TRUE(text.contains("Energy Efficiency Calculations: SANS 204 Certification Report"));
    EXPECT_TRUE(text.contains("Conductance result :\tDOES NOT COMPLY"));
    EXPECT_TRUE(text.contains("The net floor area is 58.0 m²"));
    EXPECT_EQ(run({"report", "sans204", "SAMPLE-HOUSE"}).rc, 2);
}

// Every option is checked before anything is written: a P/H outside the list,
// an unknown storey beside a good one, or a storey written without its blank
// exits 1, names the bad value and leaves every table as it was (before, 0.33
// stored the zone and the storey and exited 0 with the old zone's factors).
TEST_F(SansCli, ABadOptionIsNamedAndChangesNothing) {
    ASSERT_EQ(run({"sans204", "SAMPLE-HOUSE"}).rc, 0);
    auto dump = [&] {
        return folder_fixture::dumpDatabase(*store::Database::open(file("Data/Quorvex.db")));
    };
    const QString before = dump();
    CliRun r = run({"sans204", "SAMPLE-HOUSE", "--zone", "5", "--floor", "1=40:0.33"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "The P/H ratio 0.33 of storey \"1\" is not in the list of ratios: 0.00, "
                     "0.05, 0.10, 0.15, 0.20, 0.25, 0.30, 0.35, 0.40, 0.50, 0.60, 0.70, 0.80, "
                     "0.90, 1.00, 1.10, 1.20, 1.30, 1.40, 1.50, 1.60, 1.70, 1.80, 1.90, 2.00\n");
    EXPECT_TRUE(r.out.isEmpty());
    r = run({"sans204", "SAMPLE-HOUSE", "--zone", "5", "--floor", "1=40:0.5", "--floor", "QQ=5"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "Project \"SAMPLE-HOUSE\" has no storey \"QQ\"; its storeys are G, 1\n");
    r = run({"sans204", "SAMPLE-HOUSE", "--zone", "99", "--floor", "1=40:0.5"});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.err, "There is no climate zone 99\n");
    EXPECT_EQ(dump(), before);

    // A good run writes; its figures carry at most 10 significant digits
    // (zone 1 allows 1.2 per m2, and 1.2 x 72 is 86.39999999999999 in binary).
    r = run({"sans204", "SAMPLE-HOUSE", "--zone", "1", "--floor", "1=40:0.5"});
    ASSERT_EQ(r.rc, 0) << r.err.toStdString();
    EXPECT_NE(dump(), before);
    for (const QStringList& storey : rows(r))
        for (int c = 1; c <= 6; ++c)
            EXPECT_EQ(storey[c], QString::number(storey[c].toDouble(), 'g', 10))
                << storey.join(' ').toStdString();
    EXPECT_EQ(rows(r)[0][3], "86.4");
}
