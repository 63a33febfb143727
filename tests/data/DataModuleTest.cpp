#include "support/TestSupport.h"
#include "data/DataModule.h"
#include "store/StoreError.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace data;
using testing_support::FakeMainWindow;
using testing_support::fixturesDir;
using testing_support::RecordingMessages;
using testing_support::rowCount;

namespace {

// A data module on a fresh folder, with the project/design links the main
// window sets up and a stand-in main window.
struct Module : ::testing::Test {
    void SetUp() override {
        qputenv("QUORVEX_DATA_DIR", QDir(fixturesDir()).filePath("data").toUtf8());
        // An empty installed picture folder: only the working folder's pictures count.
        QDir(work.path()).mkpath("NoInstalledPictures");
        qputenv("QUORVEX_IMAGES_DIR", QDir(work.path()).filePath("NoInstalledPictures").toUtf8());
        dm = std::make_unique<TDM>(messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        ASSERT_TRUE(dm->tablesOpen());
        dm->setMainWindow(&window);
        window.visible = false;
        window.onClear = [this] { dm->ResetDims(); };
        link(dm->DesignTable, dm->ProjectTable, {"Project_Ref"});
        link(dm->DesignImageTable, dm->ProjectTable, {"Project_Ref"});
        link(dm->DesignMergeTable, dm->ProjectTable, {"Project_Ref"});
        link(dm->DesignResultsTable, dm->ProjectTable, {"Project_Ref"});
        link(dm->DesignCostingTable, dm->DesignTable, {"Project_Ref", "Design_No"});
        dm->ProjectTable.findKey({"HOUSE"});
    }
    void TearDown() override {
        dm.reset();
        qunsetenv("QUORVEX_DATA_DIR");
        qunsetenv("QUORVEX_IMAGES_DIR");
    }
    static void link(store::Table& detail, store::Table& master, const QStringList& fields) {
        detail.close();
        detail.clearMaster();
        detail.setMasterFields(fields);
        detail.setMaster(&master);
        detail.open();
    }
    int addDesign(const QString& designRef = "W") {
        dm->DesignTable.append();
        dm->DesignTable.fieldByName("Design_Ref").setAsString(designRef);
        dm->DesignTable.post();
        return dm->DesignTable.fieldByName("Design_No").asInteger();
    }
    // Gives the current design a row in every per-design table.
    void addDependents(const QString& ref, int no) {
        for (const char* table : {"DesignImage", "DesignMerge", "DesignResults", "DesignCosting"}) {
            store::Table t(dm->database(), table);
            t.open();
            t.append();
            t.fieldByName("Project_Ref").setAsString(ref);
            t.fieldByName("Design_No").setAsInteger(no);
            t.post();
        }
    }
    void addProjectRows(const QString& ref) {
        for (const char* table : {"ProjectOptions", "ProjectFloors", "ProjectResults", "ProjectRational"}) {
            store::Table t(dm->database(), table);
            t.open();
            t.append();
            t.fieldByName("Project_Ref").setAsString(ref);
            t.post();
        }
    }
    int rows(const QString& table, const QString& ref) {
        return rowCount(*dm->database(), table, "Project_Ref = ?1", {ref});
    }
    QTemporaryDir work, config;
    RecordingMessages messages;
    FakeMainWindow window;
    std::unique_ptr<TDM> dm;
};

}  // namespace

TEST_F(Module, FirstDesignOfAProjectGetsNumberOneAndTheProjectDefaults) {
    EXPECT_EQ(addDesign(), 1);
    store::Table& d = dm->DesignTable;
    EXPECT_EQ(d.fieldByName("Project_Ref").asString(), "HOUSE");
    EXPECT_EQ(d.fieldByName("Floor").asString(), "G");
    EXPECT_EQ(d.fieldByName("Elevation").asString(), "N");
    EXPECT_EQ(d.fieldByName("Design_Qty").asInteger(), 1);
    EXPECT_EQ(d.fieldByName("Finish").asString(), "Anodised");
    EXPECT_EQ(d.fieldByName("Wind_Load").asFloat(), 1200);
    EXPECT_EQ(window.clearCount, 1);
    // An appended row stands at the end, so the dimensions are left empty.
    EXPECT_TRUE(d.fieldByName("DimH1").isNull());

    // A project whose default wind load is 0 leaves the design's empty.
    dm->ProjectTable.findKey({"OFFICE"});
    EXPECT_EQ(addDesign(), 1);
    EXPECT_TRUE(d.fieldByName("Wind_Load").isNull());
    EXPECT_EQ(d.fieldByName("Finish").asString(), "Powder Coat");
}

TEST_F(Module, NumbersOfDeletedDesignsAreNotReusedUnlessTheHighestWent) {
    addDesign();
    addDesign();
    addDesign();
    dm->DesignTable.findKey({"HOUSE", 2});
    dm->DesignTable.deleteRow();
    EXPECT_EQ(addDesign(), 4);
    dm->DesignTable.findKey({"HOUSE", 4});
    dm->DesignTable.deleteRow();
    EXPECT_EQ(addDesign(), 4);
}

TEST_F(Module, ADesignInsertedBeforeARowHasItsDimensionsZeroedAndPosted) {
    addDesign();
    dm->DesignTable.first();
    dm->DesignTable.insert();
    EXPECT_EQ(dm->DesignTable.state(), store::DataSet::State::Browse);
    EXPECT_EQ(dm->DesignTable.fieldByName("Design_No").asInteger(), 2);
    EXPECT_FALSE(dm->DesignTable.fieldByName("DimH10").isNull());
    EXPECT_EQ(dm->DesignTable.fieldByName("DimV5").asFloat(), 0);
    EXPECT_EQ(rowCount(*dm->database(), "Design", "Design_No = 2 AND U_Factor = 0"), 1);
}

TEST_F(Module, ResetDimsZeroesTheCurrentDesignUnlessAtTheEnd) {
    addDesign();
    store::Table& d = dm->DesignTable;
    d.edit();
    d.fieldByName("DimH1").setAsFloat(900);
    d.fieldByName("U_Factor").setAsFloat(5.1);
    d.post();
    d.next();  // past the last row
    dm->ResetDims();
    EXPECT_EQ(rowCount(*dm->database(), "Design", "DimH1 = 900"), 1);
    d.first();
    dm->ResetDims();
    EXPECT_EQ(rowCount(*dm->database(), "Design", "DimH1 = 0 AND U_Factor = 0 AND Window_Area = 0"), 1);
}

TEST_F(Module, DeletingADesignRemovesItsDependentRowsWhateverItsReference) {
    addDesign("W1");
    addDependents("HOUSE", 1);
    addDesign("");  // a design without a reference
    addDependents("HOUSE", 2);
    dm->ProjectTable.findKey({"OFFICE"});
    addDesign("W1");
    addDependents("OFFICE", 1);
    dm->ProjectTable.findKey({"HOUSE"});

    dm->DesignTable.findKey({"HOUSE", 2});
    dm->DesignTable.deleteRow();
    for (const char* table : {"DesignImage", "DesignMerge", "DesignResults", "DesignCosting"}) {
        EXPECT_EQ(rowCount(*dm->database(), table, "Project_Ref = 'HOUSE' AND Design_No = 2"), 0) << table;
        EXPECT_EQ(rowCount(*dm->database(), table, "Project_Ref = 'HOUSE' AND Design_No = 1"), 1) << table;
        EXPECT_EQ(rows(table, "OFFICE"), 1) << table;
    }
    EXPECT_EQ(dm->DesignTable.recordCount(), 1);
}

TEST_F(Module, DeletingAProjectRemovesEveryRowOfItAndNothingElse) {
    addDesign("W1");
    addDependents("HOUSE", 1);
    addDesign("");
    addDependents("HOUSE", 2);
    addProjectRows("HOUSE");
    dm->ProjectTable.findKey({"OFFICE"});
    addDesign("O1");
    addDependents("OFFICE", 1);
    addProjectRows("OFFICE");

    dm->ProjectTable.findKey({"HOUSE"});
    dm->ProjectTable.deleteRow();
    for (const char* table : {"Project", "Design", "DesignImage", "DesignMerge", "DesignResults", "DesignCosting",
                              "ProjectOptions", "ProjectFloors", "ProjectResults", "ProjectRational"}) {
        EXPECT_EQ(rows(table, "HOUSE"), 0) << table;
        EXPECT_EQ(rows(table, "OFFICE"), 1) << table;
    }
    EXPECT_GE(window.clearCount, 1);
    // Design numbers start again at 1 when a project of that reference returns.
    dm->ProjectTable.append();
    dm->ProjectTable.fieldByName("Project_Ref").setAsString("HOUSE");
    dm->ProjectTable.post();
    EXPECT_EQ(addDesign(), 1);
    EXPECT_EQ(dm->DesignImageTable.recordCount(), 0);
}

TEST_F(Module, SystemChangeSetsTheContinuousChoices) {
    addDesign();
    store::Table& d = dm->DesignTable;
    auto choose = [&](const QString& system, const QString& before) {
        d.edit();
        d.fieldByName("Continuous").setAsString(before);
        d.fieldByName("System_Name").setAsString(system);
        return d.fieldByName("Continuous").asString();
    };
    // While the main window is hidden nothing happens.
    EXPECT_EQ(choose("Slider 30", "Vertical"), "Vertical");
    EXPECT_EQ(window.continuousItems, QStringList{"untouched"});

    window.visible = true;
    EXPECT_EQ(choose("Casement 38", "Horizontal"), "Vertical");
    EXPECT_EQ(window.continuousItems, QStringList{"Vertical"});
    EXPECT_EQ(choose("Slider 30", "Vertical"), "Horizontal");
    EXPECT_EQ(window.continuousItems, QStringList{"Horizontal"});
    EXPECT_EQ(choose("Casement TB", "Horizontal"), "Horizontal");
    EXPECT_EQ(window.continuousItems, (QStringList{"Vertical", "Horizontal"}));
    EXPECT_EQ(choose("Casement TB", ""), "Vertical");
    EXPECT_EQ(choose("Casement TB", "Diagonal"), "Vertical");
    EXPECT_EQ(choose("Odd One", "Horizontal"), "Horizontal");
    EXPECT_TRUE(window.continuousItems.isEmpty());
    EXPECT_EQ(choose("No Such System", "Diagonal"), "Diagonal");
    EXPECT_FALSE(dm->SystemQuery.active());
    // Set, not posted.
    EXPECT_EQ(d.state(), store::DataSet::State::Edit);
    d.cancel();
}

TEST_F(Module, SupplierChangeShowsTheLogoAndOffersThatSuppliersGlazing) {
    QDir(work.path()).mkpath("Images");
    for (const char* f : {"ORVANELOGO.JPG", "TelmarLogo.jpg", "NoSupplier.jpg"}) {
        QFile file(QDir(work.path()).filePath(QString("Images/") + f));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    addDesign();
    store::Table& d = dm->DesignTable;
    window.visible = true;
    auto pick = [&](const QString& supplier) {
        ASSERT_TRUE(dm->SupplierTable.locate("Glass_Supplier", supplier));
        d.edit();
        d.fieldByName("System_Name").setAsString("Casement 38");
        d.fieldByName("Glass_Supplier").setAsString(supplier);
    };
    pick("Orvane");
    EXPECT_TRUE(window.supplierPicture.endsWith("Images/ORVANELOGO.JPG"));  // letter case ignored
    EXPECT_TRUE(window.glazingInfoEnabled);
    ASSERT_TRUE(dm->SystemGlassQuery.active());
    EXPECT_EQ(dm->SystemGlassQuery.recordCount(), 2);
    pick("Telmar");
    EXPECT_TRUE(window.supplierPicture.endsWith("TelmarLogo.jpg"));
    EXPECT_EQ(dm->SystemGlassQuery.recordCount(), 1);
    // A name that differs only in letter case is no known supplier.
    pick("orvane");
    EXPECT_TRUE(window.supplierPicture.endsWith("NoSupplier.jpg"));
    EXPECT_FALSE(window.glazingInfoEnabled);
    EXPECT_EQ(dm->SystemGlassQuery.recordCount(), 0);
    d.cancel();
}

TEST_F(Module, AMissingSupplierPictureRaisesAnErrorAndTheValueStays) {
    addDesign();
    window.visible = true;
    ASSERT_TRUE(dm->SupplierTable.locate("Glass_Supplier", "Telmar"));
    store::Table& d = dm->DesignTable;
    d.edit();
    EXPECT_THROW(d.fieldByName("Glass_Supplier").setAsString("Telmar"), store::StoreError);
    EXPECT_EQ(d.fieldByName("Glass_Supplier").asString(), "Telmar");
    d.post();
    EXPECT_EQ(rowCount(*dm->database(), "Design", "Glass_Supplier = 'Telmar'"), 1);
}

TEST_F(Module, ClosingTheModuleClosesEveryTable) {
    dm->DataModuleDestroy();
    for (store::Table* t : dm->tablesInCloseOrder()) EXPECT_FALSE(t->active()) << t->tableName().toStdString();
    EXPECT_EQ(dm->tablesInCloseOrder().size(), 23u);
}
