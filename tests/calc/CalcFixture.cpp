#include "CalcFixture.h"

#include "store/Query.h"

namespace calc_testing {

void addRow(store::Database& db, const QString& table, const Values& values) {
    store::Table t(&db, table);
    t.open();
    t.append();
    for (const auto& [field, value] : values)
        t.fieldByName(field).setValue(value);
    t.post();
}

void fillCatalogue(store::Database& db) {
    addRow(db, "Project", {{"Project_Ref", "P1"}, {"Def_WL", 1000}});
    addRow(db, "System",
           {{"System_Type", "Casement"}, {"System_Name", "Sys"}, {"Continuous", "B"}});
    addRow(db, "SystemProfileType",
           {{"System_Name", "Sys"},
            {"Profile1", "Head"},
            {"Profile2", "Sill"},
            {"Profile3", "Jamb"},
            {"Profile4", "Mullion"},
            {"Profile5", "Transom"}});
    addRow(db, "SystemSash",
           {{"System_Name", "Sys"},
            {"Sash_Type", "Fixed"},
            {"Max_Width", 3000},
            {"Max_Height", 3000},
            {"SHF_Cost", 500},
            {"SHF_Anod", 800},
            {"SHF_Discount", 10},
            {"SHF_Waste", 5},
            {"System_Factor", 1.2},
            {"Factory_Cost", 100},
            {"Fact_Time", 0.5},
            {"Description", "Fixed Light"}});
    addRow(db, "SystemSash",
           {{"System_Name", "Sys"},
            {"Sash_Type", "Top"},
            {"Max_Width", 1200},
            {"Max_Height", 2000},
            {"SHF_Cost", 400},
            {"SHF_Discount", 0},
            {"SHF_Waste", 0},
            {"System_Factor", 1},
            {"Factory_Cost", 50},
            {"Fact_Time", 2},
            {"Description", "Top Hung Sash"}});
    addRow(db, "Glazing",
           {{"Glass_Code", "G1"}, {"Glass_Desc", "Clear"}, {"Max_Area", 5}, {"Glazing_Cost", 300}});
    const std::pair<const char*, const char*> options[] = {
        {"Head", "H"}, {"Sill", "S"}, {"Jamb", "J"}, {"Vert", "M"}, {"Horiz", "T"}};
    for (const auto& [profile, option] : options) {
        Values v{{"System_Name", "Sys"}, {"Finish", "Powder"},    {"Glass_Code", "G1"},
                 {"Profile", profile},   {"Option_Desc", option}, {"U_COG", 2},
                 {"SHGC_COG", 0.5}};
        for (int i = 0; i < 3; ++i) {
            v.push_back({QStringLiteral("UF%1").arg(i), 5});
            v.push_back({QStringLiteral("UE%1").arg(i), 3});
            v.push_back({QStringLiteral("PFD%1").arg(i), 50});
        }
        addRow(db, "SystemValues", v);
    }
    addRow(db, "SystemProfile",
           {{"System_Name", "Sys"}, {"Profile_Code", "M1"}, {"Profile_Ix", 20}});
    addRow(db, "SystemProfile",
           {{"System_Name", "Sys"}, {"Profile_Code", "T1"}, {"Profile_Ix", 100}});
}

void addDesign(store::Database& db, int no, const QString& ref, const Values& extra) {
    Values v{{"Project_Ref", "P1"},
             {"Design_No", no},
             {"Design_Ref", ref},
             {"System_Type", "Casement"},
             {"System_Name", "Sys"},
             {"Finish", "Powder"},
             {"Glass_Code", "G1"},
             {"Profile1", "H"},
             {"Profile2", "S"},
             {"Profile3", "J"},
             {"Profile4", "M"},
             {"Profile5", "T"},
             {"Die4", "M1"},
             {"Die5", "T1"},
             {"Continuous", "Vertical"},
             {"Wind_Load", 1000},
             {"DimH1", 1000},
             {"DimV1", 1000}};
    for (const auto& e : extra) {
        auto it =
            std::find_if(v.begin(), v.end(), [&](const auto& p) { return p.first == e.first; });
        if (it != v.end())
            it->second = e.second;
        else
            v.push_back(e);
    }
    addRow(db, "Design", v);
}

void CalcModule::SetUp() {
    qputenv("QUORVEX_DATA_DIR", emptyData.path().toUtf8());
    qputenv("QUORVEX_IMAGES_DIR", QDir(work.path()).filePath("NoInstalledPictures").toUtf8());
    openModule();
    fillCatalogue(*dm->database());
}

void CalcModule::openModule() {
    dm = std::make_unique<data::TDM>(messages, work.path(),
                                    store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    ASSERT_TRUE(dm->tablesOpen());
    dm->setMainWindow(&window);
    window.visible = false;
    auto link = [](store::Table& detail, store::Table& master, const QStringList& fields) {
        detail.close();
        detail.clearMaster();
        detail.setMasterFields(fields);
        detail.setMaster(&master);
        detail.open();
    };
    link(dm->DesignTable, dm->ProjectTable, {"Project_Ref"});
    link(dm->DesignImageTable, dm->ProjectTable, {"Project_Ref"});
    link(dm->DesignMergeTable, dm->ProjectTable, {"Project_Ref"});
    link(dm->SystemSashTable, dm->DesignTable, {"System_Name"});
    link(dm->SystemProfileTypeTable, dm->DesignTable, {"System_Name"});
    link(dm->GlazingTable, dm->DesignTable, {"Glass_Code"});
    link(dm->DesignCostingTable, dm->DesignTable, {"Project_Ref", "Design_No"});
}

void CalcModule::TearDown() {
    dm.reset();
    qunsetenv("QUORVEX_DATA_DIR");
    qunsetenv("QUORVEX_IMAGES_DIR");
}

void CalcModule::saveCells(int designNo, const design::GridModel& grid) {
    store::Table image(dm->database(), "DesignImage"), merge(dm->database(), "DesignMerge");
    image.open();
    merge.open();
    design::saveCells(image, merge, "P1", designNo, grid);
}

double CalcModule::designValue(int no, const char* field) {
    store::Query q(dm->database(), "Select * from Design");
    q.setSql("Select * from Design Where Project_Ref=? and Design_No=?", {"P1", no});
    q.open();
    EXPECT_EQ(q.recordCount(), 1);
    return q.fieldByName(field).asFloat();
}

} // namespace calc_testing
