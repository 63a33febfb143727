#include "support/TestSupport.h"
#include "store/Table.h"
#include "widgets/DataControls.h"
#include "widgets/DataSetModel.h"

#include <QAbstractItemModelTester>
#include <QTest>
#include <gtest/gtest.h>

using namespace store;
using testing_support::rowCount;
using testing_support::ScratchDatabase;

namespace {

struct Bound : ::testing::Test {
    void SetUp() override {
        project.open();
        for (const char* r : {"A", "B"}) {
            project.append();
            project.fieldByName("Project_Ref").setAsString(r);
            project.fieldByName("Def_WL").setAsFloat(r[0] == 'A' ? 600 : 1500);
            project.post();
        }
        project.first();
        widgets::setErrorHandler([this](const QString& t) { errors << t; });
    }
    void TearDown() override { widgets::setErrorHandler(nullptr); }
    ScratchDatabase s;
    Table project{s.db.get(), "Project"};
    QStringList errors;
};

}  // namespace

TEST_F(Bound, AnEditFollowsTheCursorAndWritesTheUsersTextOnPost) {
    widgets::DBEdit name;
    name.setDataField(&project, "Project_Name");
    widgets::DBEdit ref;
    ref.setDataField(&project, "Project_Ref");
    EXPECT_EQ(ref.text(), "A");
    QTest::keyClicks(&name, "Alpha");
    EXPECT_EQ(project.state(), DataSet::State::Edit);
    project.next();  // moving posts the typed text first
    EXPECT_EQ(ref.text(), "B");
    EXPECT_EQ(name.text(), "");
    EXPECT_EQ(rowCount(*s.db, "Project", "Project_Name = 'Alpha'"), 1);
    // A cancelled edit takes the typing with it.
    QTest::keyClicks(&name, "Beta");
    project.cancel();
    EXPECT_EQ(name.text(), "");
}

TEST_F(Bound, RefusedInputIsReportedAndNeverReachesTheRecord) {
    widgets::DBComboBox wl;
    wl.setEditable(true);
    wl.addItems({"600", "1000"});
    wl.setDataField(&project, "Def_WL");
    EXPECT_EQ(wl.currentText(), "600");
    wl.setFocus();
    wl.lineEdit()->selectAll();
    QTest::keyClicks(wl.lineEdit(), "12x");
    EXPECT_FALSE(wl.commit());
    EXPECT_EQ(errors.size(), 1);
    EXPECT_EQ(rowCount(*s.db, "Project", "Def_WL = 600"), 1);
    wl.lineEdit()->selectAll();
    QTest::keyClicks(wl.lineEdit(), "1250");
    EXPECT_TRUE(wl.commit());
    project.post();
    EXPECT_EQ(rowCount(*s.db, "Project", "Def_WL = 1250"), 1);
}

TEST_F(Bound, LabelsShowTheDisplayFormatAndCheckBoxesWriteLogicals) {
    Table results(s.db.get(), "ProjectResults");
    results.open();
    results.append();
    results.fieldByName("U_Total").setAsFloat(12.345);
    results.post();
    widgets::DBLabel label;
    label.setDataField(&results, "U_Total");
    EXPECT_EQ(label.text(), "12.35");
    widgets::DBCheckBox exempt("Exempt");
    exempt.setDataField(&results, "Exempt");
    EXPECT_FALSE(exempt.isChecked());
    exempt.click();
    results.post();
    EXPECT_EQ(rowCount(*s.db, "ProjectResults", "Exempt = 1"), 1);
}

TEST_F(Bound, LookupListsStoreTheKeyAndShowTheDescription) {
    Table zones(s.db.get(), "ClimateZone");
    zones.open();
    for (int z = 1; z <= 3; ++z) {
        zones.append();
        zones.fieldByName("Zone_No").setAsInteger(z);
        zones.fieldByName("Zone_Desc").setAsString(QString("Zone %1 description").arg(z));
        zones.post();
    }
    Table options(s.db.get(), "ProjectOptions");
    options.open();
    widgets::DBLookupComboBox zone;
    zone.setDataField(&options, "Climate_Zone");
    zone.setList(&zones, "Zone_No", "Zone_Desc");
    EXPECT_EQ(zone.count(), 3);
    EXPECT_EQ(zone.currentIndex(), -1);
    zone.setCurrentIndex(1);
    emit zone.activated(1);
    options.post();
    EXPECT_EQ(rowCount(*s.db, "ProjectOptions", "Climate_Zone = 2"), 1);
    EXPECT_EQ(zone.currentText(), "Zone 2 description");
}

TEST_F(Bound, GridModelShowsTheRangeAndEditsThroughTheBuffer) {
    widgets::DataSetModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setDataSet(&project);
    model.setColumns({{"Project_Ref", "Ref", true, {}}, {"Def_WL", "W/L", false, {}}});
    ASSERT_EQ(model.rowCount(), 2);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), "Ref");
    EXPECT_EQ(model.data(model.index(1, 1), Qt::DisplayRole).toString(), "1500");
    EXPECT_FALSE(model.setData(model.index(1, 0), "Z", Qt::EditRole));
    EXPECT_TRUE(model.setData(model.index(1, 1), "2000", Qt::EditRole));
    EXPECT_EQ(project.fieldByName("Project_Ref").asString(), "B");
    project.post();
    EXPECT_EQ(rowCount(*s.db, "Project", "Def_WL = 2000"), 1);
    project.append();
    project.fieldByName("Project_Ref").setAsString("C");
    project.post();
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_FALSE(model.setData(model.index(2, 1), "lots", Qt::EditRole));
    EXPECT_FALSE(errors.isEmpty());
}
