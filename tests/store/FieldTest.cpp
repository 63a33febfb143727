#include "support/TestSupport.h"
#include "store/DisplayFormat.h"
#include "store/StoreError.h"
#include "store/Table.h"

#include <gtest/gtest.h>

using namespace store;
using testing_support::rowCount;
using testing_support::ScratchDatabase;

TEST(Fields, EmptyNumberReadsZeroAndStaysEmptyUntilWritten) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    t.append();
    t.fieldByName("Project_Ref").setAsString("P");
    t.fieldByName("Design_No").setAsInteger(1);
    t.post();
    EXPECT_TRUE(t.fieldByName("Wind_Load").isNull());
    EXPECT_EQ(t.fieldByName("Wind_Load").asFloat(), 0.0);
    EXPECT_EQ(t.fieldByName("Wind_Load").asString(), "");
    EXPECT_EQ(rowCount(*s.db, "Design", "Wind_Load IS NULL"), 1);
    t.edit();
    t.fieldByName("Wind_Load").setAsFloat(0);
    t.post();
    EXPECT_FALSE(t.fieldByName("Wind_Load").isNull());
    EXPECT_EQ(rowCount(*s.db, "Design", "Wind_Load = 0"), 1);
}

TEST(Fields, TextIsCutToWidthAndEmptyTextIsStoredEmpty) {
    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    t.append();
    t.fieldByName("Project_Ref").setAsString("A-REFERENCE-LONGER-THAN-15");
    t.fieldByName("Design_No").setAsInteger(1);
    t.fieldByName("Design_Ref").setAsString("");
    t.fieldByName("Floor").setAsString(" G");
    t.post();
    EXPECT_EQ(t.fieldByName("Project_Ref").asString(), "A-REFERENCE-LON");
    EXPECT_TRUE(t.fieldByName("Design_Ref").isNull());
    EXPECT_EQ(rowCount(*s.db, "Design", "Design_Ref IS NULL"), 1);
    // Leading spaces are kept: the ground storey is a space and a G.
    EXPECT_EQ(t.fieldByName("Floor").asString(), " G");
}

TEST(Fields, TypesConvertOnReadAndWrite) {
    ScratchDatabase s;
    Table t(s.db.get(), "Project");
    t.open();
    t.append();
    t.fieldByName("Project_Ref").setAsString("P");
    t.fieldByName("Project_Date").setAsDate(QDate(2026, 3, 9));
    t.fieldByName("Def_WL").setAsString("1250.5");
    EXPECT_THROW(t.fieldByName("Def_WL").setAsString("12x"), StoreError);
    t.post();
    EXPECT_EQ(t.fieldByName("Project_Date").asString(), "09/03/2026");
    EXPECT_EQ(t.fieldByName("Def_WL").asFloat(), 1250.5);
    EXPECT_EQ(t.fieldByName("Def_WL").asInteger(), 1251);
    // Dates are kept as ISO text so that they sort by date.
    EXPECT_EQ(rowCount(*s.db, "Project", "Project_Date = '2026-03-09'"), 1);

    Table r(s.db.get(), "ProjectResults");
    r.open();
    r.append();
    r.fieldByName("Exempt").setAsBoolean(true);
    r.fieldByName("Floor_Area").setAsInteger(12);
    r.post();
    EXPECT_TRUE(r.fieldByName("Exempt").asBoolean());
    EXPECT_EQ(r.fieldByName("Exempt").asString(), "True");
    EXPECT_EQ(r.fieldByName("Floor_Area").asFloat(), 12.0);
    EXPECT_THROW(r.fieldByName("No_Such_Field"), StoreError);
}

TEST(Fields, DisplayFormats) {
    EXPECT_EQ(formatNumber(2.4, "##0.00"), "2.40");
    EXPECT_EQ(formatNumber(0.5891, "##0.000"), "0.589");
    EXPECT_EQ(formatNumber(0.0, "##0.00"), "0.00");
    EXPECT_EQ(formatNumber(2345, "### 000"), "2 345");
    EXPECT_EQ(formatNumber(45, "### 000"), "045");
    EXPECT_EQ(formatNumber(1234567.125, "### ##0.00"), "1 234 567.13");
    EXPECT_EQ(formatNumber(-3.25, "###0.00"), "-3.25");
    EXPECT_EQ(formatNumber(2.675, "##0.00"), "2.68");
    EXPECT_EQ(formatNumber(0.35, "0.000"), "0.350");
    EXPECT_EQ(formatNumber(12.05, "##0.0"), "12.1");
    EXPECT_EQ(formatNumber(3.41, ""), "3.41");

    ScratchDatabase s;
    Table t(s.db.get(), "Design");
    t.open();
    t.append();
    t.fieldByName("U_Factor").setAsFloat(3.4149);
    t.fieldByName("SpanL").setAsFloat(1200);
    EXPECT_EQ(t.fieldByName("U_Factor").displayText(), "3.41");
    EXPECT_EQ(t.fieldByName("SpanL").displayText(), "1 200");
    EXPECT_EQ(t.fieldByName("Window_Area").displayText(), "");
    t.cancel();
}
