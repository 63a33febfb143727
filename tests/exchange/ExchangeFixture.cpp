#include "ExchangeFixture.h"

#include "store/Query.h"
#include "store/Table.h"

#include <QDir>
#include <QImage>

namespace exchange_testing {

void Exchange::SetUp() {
    qputenv("QUORVEX_IMAGES_DIR", noPictures.path().toUtf8());
    dm = std::make_unique<data::TDM>(messages, work.path(),
                                     store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    ASSERT_TRUE(dm->tablesOpen()) << messages.errors.join("\n").toStdString();
    dm->setMainWindow(&window);
    window.visible = false;
    link(dm->DesignTable, dm->ProjectTable, {"Project_Ref"});
    link(dm->DesignImageTable, dm->ProjectTable, {"Project_Ref"});
    link(dm->DesignMergeTable, dm->ProjectTable, {"Project_Ref"});
    link(dm->SystemProfileTypeTable, dm->DesignTable, {"System_Name"});
    link(dm->DesignCostingTable, dm->DesignTable, {"Project_Ref", "Design_No"});
    ASSERT_TRUE(dm->ProjectTable.findKey({"SAMPLE-HOUSE"}));
}

void Exchange::TearDown() {
    dm.reset();
    qunsetenv("QUORVEX_IMAGES_DIR");
}

void Exchange::link(store::Table& detail, store::Table& master, const QStringList& fields) {
    detail.close();
    detail.clearMaster();
    detail.setMasterFields(fields);
    detail.setMaster(&master);
    detail.open();
}

int Exchange::rows(const QString& table, const QString& where, const QVariantList& params) {
    return testing_support::rowCount(*dm->database(), table, where, params);
}

std::map<QString, int> Exchange::allCounts() {
    std::map<QString, int> counts;
    for (store::Table* t : dm->tablesInOpenOrder())
        counts[t->tableName()] = rows(t->tableName());
    return counts;
}

void Exchange::addProject(const QString& ref, const QString& name, const QVariant& defWL) {
    store::Table p(dm->database(), "Project");
    p.open();
    p.append();
    p.fieldByName("Project_Ref").setAsString(ref);
    p.fieldByName("Project_Name").setAsString(name);
    p.fieldByName("Def_WL").setValue(defWL);
    p.fieldByName("Def_Finish").setAsString("Anodised");
    p.fieldByName("Designed_By").setAsString("T. Tester");
    p.fieldByName("Detail1").setAsString("first line");
    p.fieldByName("Detail4").setAsString("last line");
    p.post();
}

void Exchange::addDesign(const QString& ref, int no, const QString& designRef,
                         const QString& system, double dimH1) {
    store::Table d(dm->database(), "Design");
    d.open();
    d.append();
    d.fieldByName("Project_Ref").setAsString(ref);
    d.fieldByName("Design_No").setAsInteger(no);
    d.fieldByName("Design_Ref").setAsString(designRef);
    d.fieldByName("Design_Qty").setAsInteger(3);
    d.fieldByName("System_Type").setAsString("Casement");
    d.fieldByName("System_Name").setAsString(system);
    d.fieldByName("DimH1").setAsFloat(dimH1);
    d.fieldByName("DimV1").setAsFloat(1200);
    d.fieldByName("Window_Area").setAsFloat(0.72);
    d.fieldByName("U_Factor").setAsFloat(5.9);
    d.post();
}

void Exchange::addCells(const QString& ref, int no, const QString& word) {
    store::Table image(dm->database(), "DesignImage"), merge(dm->database(), "DesignMerge");
    image.open();
    merge.open();
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 10; ++c) {
            image.append();
            image.fieldByName("Project_Ref").setAsString(ref);
            image.fieldByName("Design_No").setAsInteger(no);
            image.fieldByName("Row").setAsInteger(r);
            image.fieldByName("Column").setAsInteger(c);
            image.fieldByName("ModeOfCell").setAsString(r == 0 && c == 0 ? word : "NONE");
            image.post();
            merge.append();
            merge.fieldByName("Project_Ref").setAsString(ref);
            merge.fieldByName("Design_No").setAsInteger(no);
            merge.fieldByName("Row").setAsInteger(r);
            merge.fieldByName("Column").setAsInteger(c);
            merge.fieldByName("RowSpan").setAsInteger(1);
            merge.fieldByName("ColSpan").setAsInteger(1);
            merge.post();
        }
}

void Exchange::writePicture(const QString& relativePath) {
    const QString file = QDir(work.path()).filePath(relativePath);
    QDir().mkpath(QFileInfo(file).path());
    QImage image(30, 20, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    ASSERT_TRUE(image.save(file, "JPG"));
}

} // namespace exchange_testing
