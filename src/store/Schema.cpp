#include "Schema.h"

namespace store {

namespace {

FieldDef F(const char* name, std::pair<FieldType, int> type, const char* format = "") {
    return FieldDef{QString::fromLatin1(name), type.first, type.second, QString::fromLatin1(format)};
}
std::pair<FieldType, int> T(int width) { return {FieldType::Text, width}; }
std::pair<FieldType, int> N() { return {FieldType::Number, 0}; }
std::pair<FieldType, int> I() { return {FieldType::Integer, 0}; }
std::pair<FieldType, int> L() { return {FieldType::Logical, 0}; }
std::pair<FieldType, int> D() { return {FieldType::Date, 0}; }
std::pair<FieldType, int> M() { return {FieldType::Memo, 0}; }

std::vector<TableDef> buildTables() {
    return {
    {"SystemType", "SystemType.db", {"System_Type"},
     {
      F("System_Type", T(20)),
      F("Min_WL", N()),
      F("Max_WL", N()),
      F("Glazing_Type", T(1)),
      F("Type_Active", L()),
     }},
    {"System", "System.db", {},
     {
      F("System_Type", T(20)),
      F("System_Name", T(30)),
      F("System_Description", T(80)),
      F("System_No", I()),
      F("System_Image", T(20)),
      F("System_Active", L()),
      F("Continuous", T(1)),
     }},
    {"Design", "Design.DB", {"Project_Ref", "Design_No"},
     {
      F("Project_Ref", T(15)),
      F("Design_No", I()),
      F("Design_Ref", T(10)),
      F("Design_Qty", I()),
      F("System_Type", T(20)),
      F("System_Name", T(30)),
      F("Finish", T(15)),
      F("Glass_Code", T(20)),
      F("Sash_Type", T(10)),
      F("Wind_Load", N()),
      F("Elevation", T(2)),
      F("Floor", T(2)),
      F("DimH1", N()),
      F("DimH2", N()),
      F("DimH3", N()),
      F("DimH4", N()),
      F("DimH5", N()),
      F("DimV1", N()),
      F("DimV2", N()),
      F("DimV3", N()),
      F("DimV4", N()),
      F("DimV5", N()),
      F("Window_Area", N(), "##0.00"),
      F("U_Factor", N(), "##0.00"),
      F("SHGC", N(), "##0.000"),
      F("Profile1", T(30)),
      F("Profile2", T(30)),
      F("Profile3", T(30)),
      F("Profile4", T(30)),
      F("Die1", T(13)),
      F("Die2", T(13)),
      F("Die3", T(13)),
      F("Die4", T(13)),
      F("Glass_Supplier", T(20)),
      F("Continuous", T(10)),
      F("DimH6", N()),
      F("DimH7", N()),
      F("DimH8", N()),
      F("DimH9", N()),
      F("DimH10", N()),
      F("Profile_Length", N(), "### 000"),
      F("SpanL", N(), "### 000"),
      F("SpanR", N(), "### 000"),
      F("ActualIx", N(), "###0.00"),
      F("ReqIx", N(), "###0.00"),
      F("Profile5", T(30)),
      F("Die5", T(13)),
     }},
    {"SystemGlass", "SystemGlass.DB", {},
     {
      F("System_Name", T(30)),
      F("Glass_No", I()),
      F("Glass_Code", T(20)),
      F("Bead", T(10)),
      F("Gasket1", T(10)),
      F("Gasket2", T(10)),
      F("Glass_Desc", T(50)),
      F("Supplier", T(10)),
     }},
    {"SystemSash", "SystemSash.DB", {"System_Name", "Sash_Type"},
     {
      F("System_Name", T(30)),
      F("Sash_Type", T(15)),
      F("Max_Width", N()),
      F("Max_Height", N()),
      F("SHF_Cost", N()),
      F("SHF_Waste", N()),
      F("System_Factor", N()),
      F("Description", T(30)),
      F("Factory_Cost", N()),
      F("Install_Cost", N()),
      F("SHF_Discount", N()),
      F("Fact_Time", N()),
      F("SHF_Anod", N()),
     }},
    {"SystemProfile", "SystemProfile.DB", {},
     {
      F("System_Name", T(30)),
      F("Profile_Type", T(15)),
      F("Profile_No", I()),
      F("Profile_Code", T(13)),
      F("Profile_Desc", T(30)),
      F("Profile_Width", N()),
      F("Profile_Ix", N()),
      F("Profile_Iy", N()),
      F("Active", L()),
     }},
    {"Glazing", "Glazing.DB", {"Glass_Code"},
     {
      F("Glass_Code", T(20)),
      F("Glass_Desc", T(50)),
      F("Glass_Type", T(10)),
      F("IGDB1", T(6)),
      F("IGDB2", T(6)),
      F("Nominal1", N()),
      F("Nominal2", N()),
      F("Lowe_Surface", I()),
      F("Gap_Size", N()),
      F("Gap_Fill", T(10)),
      F("Spacer", T(10)),
      F("Total_Thick", N()),
      F("Max_Area", N()),
      F("Max_Width", N()),
      F("Max_Height", N()),
      F("U_COG", N()),
      F("SHGC_COG", N()),
      F("Glass_Supplier", T(20)),
      F("Notes", M()),
      F("Glazing_Cost", N()),
      F("Glazing_Waste", N()),
      F("SAGDB", T(20)),
     }},
    {"DesignImage", "DesignImage.db", {"Project_Ref", "Design_No", "Row", "Column"},
     {
      F("Project_Ref", T(15)),
      F("Design_No", I()),
      F("Row", I()),
      F("Column", I()),
      F("ModeOfCell", T(10)),
      F("Glass_Code", T(20)),
     }},
    {"DesignMerge", "DesignMerge.db", {"Project_Ref", "Design_No", "Row", "Column"},
     {
      F("Project_Ref", T(15)),
      F("Design_No", I()),
      F("Row", I()),
      F("Column", I()),
      F("RowSpan", I()),
      F("ColSpan", I()),
     }},
    {"SystemValues", "SystemValues.DB", {},
     {
      F("System_Name", T(30)),
      F("Finish", T(15)),
      F("Glass_Code", T(15)),
      F("Sash", T(30)),
      F("Profile", T(15)),
      F("Option_No", I()),
      F("Option_Desc", T(30)),
      F("U_COG", N()),
      F("SHGC_COG", N()),
      F("UF0", N()),
      F("UF1", N()),
      F("UF2", N()),
      F("UE0", N()),
      F("UE1", N()),
      F("UE2", N()),
      F("PFD0", N()),
      F("PFD1", N()),
      F("PFD2", N()),
     }},
    {"Project", "Project.DB", {"Project_Ref"},
     {
      F("Project_Ref", T(15)),
      F("Project_Name", T(30)),
      F("Project_Date", D()),
      F("Def_Finish", T(15)),
      F("Def_WL", N()),
      F("Designed_By", T(20)),
      F("Detail1", T(70)),
      F("Detail2", T(70)),
      F("Detail3", T(70)),
      F("Detail4", T(70)),
     }},
    {"SystemProfileType", "SystemProfileType.DB", {"System_Name"},
     {
      F("System_Name", T(30)),
      F("Profile1", T(15)),
      F("Profile2", T(15)),
      F("Profile3", T(15)),
      F("Profile4", T(15)),
      F("Profile5", T(15)),
     }},
    {"ProjectFloors", "ProjectFloors.DB", {"Project_Ref", "Floor"},
     {
      F("Project_Ref", T(15)),
      F("Floor", T(2)),
      F("Total_Area", N(), "##0.00"),
      F("Effective_Area", N(), "##0.00"),
      F("Shading_Ratio", N(), "##0.00"),
      F("N_Factor", N(), "##0.00"),
      F("NE_Factor", N(), "##0.00"),
      F("E_Factor", N(), "##0.00"),
      F("SE_Factor", N(), "##0.00"),
      F("S_Factor", N(), "##0.00"),
      F("SW_Factor", N(), "##0.00"),
      F("W_Factor", N(), "##0.00"),
      F("NW_Factor", N(), "##0.00"),
     }},
    {"ProjectOptions", "ProjectOptions.DB", {"Project_Ref"},
     {
      F("Project_Ref", T(15)),
      F("Climate_Zone", I()),
      F("Conductance", N()),
      F("Solar_Heat_Gain", N()),
      F("Default_Frame", T(20)),
      F("Default_Glazing", T(20)),
      F("N_Factor", N()),
      F("NE_Factor", N()),
      F("E_Factor", N()),
      F("SE_Factor", N()),
      F("S_Factor", N()),
      F("SW_Factor", N()),
      F("W_Factor", N()),
      F("NW_Factor", N()),
     }},
    {"ClimateZone", "ClimateZone.DB", {},
     {
      F("Zone_No", I()),
      F("Ratio", N()),
      F("Zone_Desc", T(30)),
      F("Conductance", N()),
      F("SHGC", N()),
      F("N_Factor", N()),
      F("NE_Factor", N()),
      F("E_Factor", N()),
      F("SE_Factor", N()),
      F("S_Factor", N()),
      F("SW_Factor", N()),
      F("W_Factor", N()),
      F("NW_Factor", N()),
     }},
    {"DesignResults", "DesignResults.DB", {"Project_Ref", "Design_No"},
     {
      F("Project_Ref", T(15)),
      F("Design_No", I()),
      F("Design_Ref", T(10)),
      F("Design_Qty", I()),
      F("Elevation", T(2)),
      F("Floor", T(2)),
      F("Window_Area", N(), "### ##0.00"),
      F("U_Factor", N(), "### ##0.00"),
      F("SHGC", N(), "### ##0.00"),
      F("U_Constant", N(), "##0.0"),
      F("SHGC_Constant", N(), "##0.00"),
      F("Shading_Ratio", N(), "##0.00"),
      F("Solar_Factor", N(), "##0.00"),
      F("U_Total", N(), "##0.00"),
      F("SHGC_Total", N(), "##0.00"),
     }},
    {"ProjectResults", "ProjectResults.DB", {"Project_Ref", "Floor"},
     {
      F("Project_Ref", T(15)),
      F("Floor", T(2)),
      F("Floor_Area", N(), "###0.00"),
      F("Window_Area", N(), "###0.00"),
      F("Shading_Ratio", N(), "###0.00"),
      F("U_Constant", N(), "###0.00"),
      F("SHGC_Constant", N(), "###0.00"),
      F("U_Allow", N(), "###0.00"),
      F("SHGC_Allow", N(), "###0.00"),
      F("U_Total", N(), "###0.00"),
      F("SHGC_Total", N(), "###0.00"),
      F("U_Result", T(4)),
      F("SHGC_Result", T(4)),
      F("Exempt", L()),
      F("U_Ave", N(), "###0.00"),
      F("SHGC_Ave", N(), "###0.00"),
     }},
    {"ProjectRational", "ProjectRational.db", {"Project_Ref"},
     {
      F("Project_Ref", T(15)),
      F("Tgt_EnergyLoss", N(), "### ##0.0"),
      F("Tgt_AveUVal", N(), "### ##0.0"),
      F("Tgt_AveSHGC", N(), "0.000"),
      F("Act_EnergyLoss", N(), "### ##0.0"),
      F("Act_AveUVal", N(), "### ##0.0"),
      F("Act_AveSHGC", N(), "0.000"),
     }},
    {"SolarExposureFactors", "SolarExposureFactors.DB", {"Zone", "Ratio"},
     {
      F("Zone", I()),
      F("Ratio", N()),
      F("N_Factor", N()),
      F("NE_Factor", N()),
      F("E_Factor", N()),
      F("SE_Factor", N()),
      F("S_Factor", N()),
      F("SW_Factor", N()),
      F("W_Factor", N()),
      F("NW_Factor", N()),
     }},
    {"Finish", "Finish.DB", {"Finish"},
     {
      F("Finish", T(15)),
      F("Finish_Desc", T(30)),
      F("Finish_Type", T(1)),
      F("Finish_Cost", N()),
      F("Finish_Active", L()),
     }},
    {"Supplier", "Supplier.db", {},
     {
      F("Glass_Supplier", T(20)),
      F("Supplier_Name", T(30)),
     }},
    {"Ratios", "Ratios.db", {"Ratio"},
     {
      F("Ratio", N()),
     }},
    {"DesignCosting", "DesignCosting.DB", {"Project_Ref", "Design_No"},
     {
      F("Project_Ref", T(15)),
      F("Design_No", I()),
      F("Design_Ref", T(10)),
      F("Frame_Cost", N(), "currency"),
      F("Glazing_Cost", N(), "currency"),
      F("Total_Cost", N(), "currency"),
      F("Window_Area", N()),
      F("Factory_Cost", N()),
     }},
    };
}

}  // namespace

namespace {

// Callers nearly always spell the name as defined; the exact compare is cheap
// (most names differ in length, first or last letter: DimH1 ... DimH9), and
// column names never differ from each other by case alone.
template <typename Name>
int findField(const std::vector<FieldDef>& fields, Name name) {
    const qsizetype n = name.size();
    for (size_t i = 0; i < fields.size(); ++i) {
        const QString& f = fields[i].name;
        if (f.size() == n && (n == 0 || (f.front() == name.front() && f.back() == name.back())) &&
            f == name)
            return int(i);
    }
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

} // namespace

int TableDef::fieldIndex(const QString& fieldName) const { return findField(fields, fieldName); }

int TableDef::fieldIndex(QLatin1StringView fieldName) const { return findField(fields, fieldName); }

QString fieldTypeName(FieldType type) {
    switch (type) {
    case FieldType::Text: return QStringLiteral("text");
    case FieldType::Integer: return QStringLiteral("integer");
    case FieldType::Number: return QStringLiteral("number");
    case FieldType::Logical: return QStringLiteral("logical");
    case FieldType::Date: return QStringLiteral("date");
    case FieldType::Memo: return QStringLiteral("memo");
    }
    return {};
}

namespace schema {

const std::vector<TableDef>& tables() {
    static const std::vector<TableDef> all = buildTables();
    return all;
}

const TableDef* find(const QString& tableName) {
    for (const TableDef& t : tables())
        if (t.name.compare(tableName, Qt::CaseInsensitive) == 0) return &t;
    return nullptr;
}

}  // namespace schema

}  // namespace store
