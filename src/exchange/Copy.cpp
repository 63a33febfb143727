#include "Copy.h"

#include "Refusals.h"
#include "data/DataModule.h"
#include "design/DesignRecords.h"
#include "store/Database.h"
#include "store/Query.h"
#include "store/Sqlite.h"
#include "store/Table.h"

#include <QDate>
#include <cmath>

namespace exchange {

namespace {

using store::sql::quoteIdentifier;

const QString kProjectRef = QStringLiteral("Project_Ref");
const QString kDesignNo = QStringLiteral("Design_No");

QString dimField(char axis, int i) {
    return QStringLiteral("Dim%1%2").arg(QLatin1Char(axis)).arg(i);
}

// The die code of a profile as the profile lists look it up: by the system
// and the trimmed description; empty when the system has no such profile.
QString dieOf(store::Database& db, const QString& systemName, const QString& profile) {
    store::Query q(
        &db, QStringLiteral("Select * from SystemProfile Where System_Name=? and Profile_Desc=?"));
    q.setSql(q.sql(), {systemName, profile.trimmed()});
    q.open();
    return q.isEmpty() ? QString() : q.fieldByName(QStringLiteral("Profile_Code")).asString();
}

// The continuous member a new design of the system starts with. The window's
// system-name handling sets the same while it is shown; the command line and
// a hidden window get it here, so every copy starts alike.
QVariant startingContinuous(store::Database& db, const QString& systemName,
                            const QVariant& current) {
    store::Query q(&db, QStringLiteral("Select * from System Where System_Name=?"));
    q.setSql(q.sql(), {systemName});
    q.open();
    const QString code =
        q.isEmpty() ? QString() : q.fieldByName(QStringLiteral("Continuous")).asString();
    if (code == QLatin1String("V")) return QStringLiteral("Vertical");
    if (code == QLatin1String("H")) return QStringLiteral("Horizontal");
    if (code == QLatin1String("B"))
        return current.toString() == QLatin1String("Horizontal")
                   ? current
                   : QVariant(QStringLiteral("Vertical"));
    return current;
}

// Copies the rows of `table` that belong to a design of `sourceRef` to
// `newRef`, in one statement: the copy of a large project stays quick.
void copyDesignRows(store::Database& db, const QString& table, const QStringList& fields,
                    const QVariant& sourceRef, const QVariant& newRef) {
    db.checkWritable(table, nullptr);
    QStringList cols;
    for (const QString& f : fields)
        cols << quoteIdentifier(f);
    const QString list = cols.join(QStringLiteral(", "));
    QString text = QStringLiteral("INSERT INTO %1 (%2, %3) SELECT ?1, %3 FROM %1 WHERE %2 = ?2")
                       .arg(quoteIdentifier(table), quoteIdentifier(kProjectRef), list);
    // Cell rows of a design number the project does not hold are strays, not copied.
    if (table != QLatin1String("Design"))
        text += QStringLiteral(" AND %1 IN (SELECT %1 FROM %2 WHERE %3 = ?2)")
                    .arg(quoteIdentifier(kDesignNo), quoteIdentifier(QStringLiteral("Design")),
                         quoteIdentifier(kProjectRef));
    store::sql::Statement& st = db.cached(text);
    st.bind(1, newRef);
    st.bind(2, sourceRef);
    st.step();
}

const QStringList& copiedDesignFields() {
    static const QStringList fields = [] {
        QStringList f{QStringLiteral("Design_No"),   QStringLiteral("Design_Ref"),
                      QStringLiteral("Design_Qty"),  QStringLiteral("Elevation"),
                      QStringLiteral("Wind_Load"),   QStringLiteral("Floor"),
                      QStringLiteral("System_Type"), QStringLiteral("System_Name")};
        for (int i = 1; i <= 10; ++i)
            f << dimField('H', i);
        for (int i = 1; i <= 5; ++i)
            f << dimField('V', i);
        f << QStringLiteral("Finish") << QStringLiteral("Glass_Supplier")
          << QStringLiteral("Glass_Code");
        for (int i = 1; i <= 5; ++i)
            f << QStringLiteral("Profile%1").arg(i);
        for (int i = 1; i <= 5; ++i)
            f << QStringLiteral("Die%1").arg(i);
        f << QStringLiteral("Continuous");
        return f;
    }();
    return fields;
}

// What Copy Design takes from the design on screen.
struct DesignSource {
    QString projectRef, elevation, floor, systemType, systemName, finish, supplier, glassCode;
    double windLoad = 0;
    double dims[15] = {};
    QString profiles[5];
};

DesignSource readSource(store::Table& d) {
    auto text = [&](const char* f) { return d.fieldByName(QString::fromLatin1(f)).asString(); };
    DesignSource s;
    s.projectRef = text("Project_Ref");
    s.elevation = text("Elevation");
    s.windLoad = d.fieldByName(QStringLiteral("Wind_Load")).asFloat();
    s.floor = text("Floor");
    s.systemType = text("System_Type");
    s.systemName = text("System_Name");
    s.finish = text("Finish");
    s.supplier = text("Glass_Supplier");
    s.glassCode = text("Glass_Code");
    for (int i = 0; i < 5; ++i)
        s.profiles[i] = d.fieldByName(QStringLiteral("Profile%1").arg(i + 1)).asString();
    for (int i = 0; i < 10; ++i)
        s.dims[i] = d.fieldByName(dimField('H', i + 1)).asFloat();
    for (int i = 0; i < 5; ++i)
        s.dims[10 + i] = d.fieldByName(dimField('V', i + 1)).asFloat();
    return s;
}

} // namespace

bool isBlankReference(const QString& reference) {
    return reference.trimmed().isEmpty();
}

QString copyName(const QString& sourceName) {
    return (sourceName + QStringLiteral(" - Copy")).left(30);
}

double roundedWindLoad(double windLoad) {
    const double nearest = std::round(windLoad);
    if (std::fabs(windLoad - std::trunc(windLoad)) == 0.5) return 2 * std::round(windLoad / 2);
    return nearest;
}

bool ProjectRefFree(data::TDM& dm, const QString& newRef) {
    if (isBlankReference(newRef) || !dm.ProjectTable.findKey({newRef})) return true;
    dm.messages().showMessage(ProjectExistsMessage);
    return false;
}

int CopyDesign(data::TDM& dm, design::GridModel grid, const QString& newRef) {
    store::Table& D = dm.DesignTable;
    if (!D.active() || (D.isEmpty() && !D.editing())) return 0;
    if (isBlankReference(newRef)) {
        dm.messages().showMessage(BlankReferenceMessage);
        return 0;
    }
    if (const QString tooLong =
            tooLongFor(QStringLiteral("Design"), QStringLiteral("Design_Ref"), newRef);
        !tooLong.isEmpty()) {
        dm.messages().showMessage(tooLong + QStringLiteral(" Nothing was copied."));
        return 0;
    }
    store::Database& db = *dm.database();
    const DesignSource s = readSource(D);
    // A costing row a deleted design left under the number the copy will get
    // would clash by key half-way; said in words before anything is written.
    store::sql::Statement& held = db.cached(QStringLiteral(
        "SELECT \"Design_No\" FROM \"DesignCosting\" WHERE \"Project_Ref\" = ?1 AND "
        "\"Design_No\" = (SELECT coalesce(max(\"Design_No\"), 0) + 1 FROM \"Design\" "
        "WHERE \"Project_Ref\" = ?1)"));
    held.reset();
    held.bind(1, s.projectRef);
    if (held.step()) {
        const int clash = held.column(0).toInt();
        held.reset();
        dm.messages().showMessage(
            QStringLiteral("The table DesignCosting already holds a row for design %1 of \"%2\", "
                           "the number the copy would get; nothing was copied.")
                .arg(clash)
                .arg(s.projectRef));
        return 0;
    }
    held.reset();
    store::Table& costing = dm.DesignCostingTable;
    store::Transaction tx(db);
    int newNo = 0;
    try {
        D.append(); // the data module numbers the design and fills its defaults
        auto set = [&](const char* f, const QVariant& v) {
            D.fieldByName(QString::fromLatin1(f)).setValue(v);
        };
        set("Design_Ref", newRef);
        set("Design_Qty", 1);
        set("Elevation", s.elevation);
        set("Wind_Load", s.windLoad);
        set("Floor", s.floor);
        set("System_Type", s.systemType);
        set("System_Name", s.systemName);
        for (int i = 0; i < 10; ++i)
            D.fieldByName(dimField('H', i + 1)).setAsFloat(s.dims[i]);
        for (int i = 0; i < 5; ++i)
            D.fieldByName(dimField('V', i + 1)).setAsFloat(s.dims[10 + i]);
        const store::Field continuous = D.fieldByName(QStringLiteral("Continuous"));
        continuous.setValue(startingContinuous(db, s.systemName, continuous.value()));
        D.post();
        newNo = D.fieldByName(kDesignNo).asInteger();

        costing.append();
        costing.fieldByName(kProjectRef).setAsString(s.projectRef);
        costing.fieldByName(kDesignNo).setAsInteger(newNo);
        costing.fieldByName(QStringLiteral("Design_Ref")).setAsString(newRef);
        costing.post();

        D.edit();
        set("Finish", s.finish);
        set("Glass_Supplier", s.supplier);
        set("Glass_Code", s.glassCode);
        // Head, sill, jamb, mullion, transom: each die number follows its profile.
        for (int k = 0; k < 5; ++k) {
            D.fieldByName(QStringLiteral("Profile%1").arg(k + 1)).setAsString(s.profiles[k]);
            D.fieldByName(QStringLiteral("Die%1").arg(k + 1))
                .setAsString(dieOf(db, s.systemName, s.profiles[k]));
        }
        D.post();
        design::saveCells(dm.DesignImageTable, dm.DesignMergeTable, s.projectRef, newNo, grid);
    } catch (...) {
        // No cursor may keep a half-made row to post later.
        for (store::Table* t : {&D, &costing, &dm.DesignImageTable, &dm.DesignMergeTable})
            t->cancel();
        throw;
    }
    tx.commit();
    return newNo;
}

int CopyProject(data::TDM& dm, const QString& newRef) {
    store::Table& P = dm.ProjectTable;
    if (!P.active() || (P.isEmpty() && !P.editing())) return -1;
    if (isBlankReference(newRef)) {
        dm.messages().showMessage(BlankReferenceMessage);
        return -1;
    }
    // A new project not yet given its reference is nothing to copy.
    const QString sourceRef = P.fieldByName(kProjectRef).asString();
    if (sourceRef.isEmpty()) return -1;
    // What the user typed into the source project belongs to the copy.
    if (P.editing()) P.post();
    // Checked before the look-up: a cut reference would find another project.
    if (const QString tooLong = tooLongFor(QStringLiteral("Project"), kProjectRef, newRef);
        !tooLong.isEmpty()) {
        dm.messages().showMessage(tooLong + QStringLiteral(" Nothing was copied."));
        return -1;
    }
    if (!ProjectRefFree(dm, newRef)) return -1;

    store::Database& db = *dm.database();
    const QString held = tableHoldingReference(
        db,
        {QStringLiteral("Design"), QStringLiteral("DesignMerge"), QStringLiteral("DesignImage")},
        newRef);
    if (!held.isEmpty()) {
        dm.messages().showMessage(referenceClashMessage(held, newRef, QStringLiteral("copied")));
        return -1;
    }
    const store::TableDef projectDef = db.tableDef(QStringLiteral("Project"));
    const QVariant ref = store::DataSet::coerce(
        projectDef.fields[size_t(projectDef.fieldIndex(kProjectRef))], newRef);
    int designs = 0;
    {
        store::Transaction tx(db);
        copyDesignRows(db, QStringLiteral("Design"), copiedDesignFields(), sourceRef, ref);
        designs = int(db.connection().changes());
        copyDesignRows(db, QStringLiteral("DesignMerge"),
                       {kDesignNo, QStringLiteral("Row"), QStringLiteral("Column"),
                        QStringLiteral("RowSpan"), QStringLiteral("ColSpan")},
                       sourceRef, ref);
        copyDesignRows(db, QStringLiteral("DesignImage"),
                       {kDesignNo, QStringLiteral("Row"), QStringLiteral("Column"),
                        QStringLiteral("ModeOfCell")},
                       sourceRef, ref);

        // The project row through a cursor of its own: the data module's
        // new-project event would clear the window's grid mid-copy.
        store::Table project(&db, QStringLiteral("Project"));
        project.open();
        project.append();
        auto from = [&](const char* f) { return P.fieldByName(QString::fromLatin1(f)).value(); };
        project.fieldByName(kProjectRef).setValue(ref);
        project.fieldByName(QStringLiteral("Project_Name"))
            .setAsString(copyName(P.fieldByName(QStringLiteral("Project_Name")).asString()));
        project.fieldByName(QStringLiteral("Project_Date")).setAsDate(QDate::currentDate());
        project.fieldByName(QStringLiteral("Def_Finish")).setValue(from("Def_Finish"));
        if (!P.fieldByName(QStringLiteral("Def_WL")).isNull())
            project.fieldByName(QStringLiteral("Def_WL"))
                .setAsFloat(roundedWindLoad(P.fieldByName(QStringLiteral("Def_WL")).asFloat()));
        for (const char* f : {"Designed_By", "Detail1", "Detail2", "Detail3", "Detail4"})
            project.fieldByName(QString::fromLatin1(f)).setValue(from(f));
        project.post();
        tx.commit();
    }
    for (const char* t : {"Design", "DesignMerge", "DesignImage"})
        db.notifyChanged(QString::fromLatin1(t), nullptr);
    P.refresh();
    P.findKey({ref});
    return designs;
}

} // namespace exchange
