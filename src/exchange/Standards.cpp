#include "Standards.h"

#include "data/DataModule.h"
#include "data/Paths.h"
#include "store/Database.h"
#include "store/Query.h"
#include "store/Table.h"

#include <algorithm>

namespace exchange {

namespace {

const QString kProjectRef = QStringLiteral("Project_Ref");
const QString kDesignNo = QStringLiteral("Design_No");

// The fields a standard design gives the design it is applied to, in the
// order they are written.
const QStringList& appliedFields() {
    static const QStringList fields = [] {
        QStringList f{QStringLiteral("Glass_Supplier"), QStringLiteral("Glass_Code")};
        for (int i = 1; i <= 10; ++i)
            f << QStringLiteral("DimH%1").arg(i);
        for (int i = 1; i <= 5; ++i)
            f << QStringLiteral("DimV%1").arg(i);
        f << QStringLiteral("Window_Area") << QStringLiteral("U_Factor") << QStringLiteral("SHGC");
        for (int i = 1; i <= 5; ++i)
            f << QStringLiteral("Profile%1").arg(i);
        for (int i = 1; i <= 5; ++i)
            f << QStringLiteral("Die%1").arg(i);
        f << QStringLiteral("Continuous") << QStringLiteral("Profile_Length")
          << QStringLiteral("SpanL") << QStringLiteral("SpanR") << QStringLiteral("ActualIx")
          << QStringLiteral("ReqIx");
        return f;
    }();
    return fields;
}

// Writes the standard's cell values of `fields` over the target design's rows
// of `table`; a target row that is missing is skipped.
void applyCells(store::Table& target, const QVariant& targetRef, const QVariant& targetNo,
                const QVariant& standardRef, const QVariant& standardNo,
                const QStringList& fields) {
    store::Query q(target.database(),
                   QStringLiteral("Select * from %1 Where Project_Ref=? and Design_No=?")
                       .arg(target.tableName()));
    q.setSql(q.sql(), {standardRef, standardNo});
    q.open();
    for (; !q.eof(); q.next()) {
        if (!target.findKey({targetRef, targetNo, q.fieldByName(QStringLiteral("Row")).value(),
                             q.fieldByName(QStringLiteral("Column")).value()}))
            continue;
        target.edit();
        for (const QString& f : fields)
            target.fieldByName(f).setValue(q.fieldByName(f).value());
        target.post();
    }
}

} // namespace

bool isStandardProject(const QString& projectRef) {
    return projectRef.startsWith(QLatin1Char('_'));
}

void openStandardDesigns(store::Query& query, const QString& systemName) {
    const QString prefix = QLatin1Char('_') + systemName;
    query.close();
    query.setSql(QStringLiteral("Select * from Design Where Substring(Project_Ref from 1 for %1)=? "
                                "Order by Project_Ref desc, Design_Ref")
                     .arg(prefix.size()),
                 {prefix});
    query.open();
}

bool hasStandardDesigns(data::TDM& dm, const QString& systemName) {
    store::Query q(dm.database(), QString());
    openStandardDesigns(q, systemName);
    return !q.isEmpty();
}

QString standardPicture(const QString& workDir, const QString& designRef) {
    if (designRef.isEmpty() || designRef.contains(QLatin1Char('/')) ||
        designRef.contains(QLatin1Char('\\')) || designRef == QLatin1String("..") ||
        designRef == QLatin1String("."))
        return {};
    return data::resolvePicture(workDir, QStringLiteral("Images/Standards/") + designRef +
                                             QStringLiteral(".jpg"));
}

QString blankStandardPicture(const QString& workDir) {
    return data::resolvePicture(workDir, QStringLiteral("Images/Standards/Blank.jpg"));
}

IndexSlots fillIndex(store::Query& standards, const QString& workDir) {
    IndexSlots found;
    const QString blank = blankStandardPicture(workDir);
    for (IndexSlot& s : found)
        s.picture = blank;
    if (!standards.active()) return found;
    const int count = std::min(standards.recordCount(), IndexSlotCount);
    const int designRef = standards.fieldIndex(QStringLiteral("Design_Ref"));
    for (int k = 0; k < count; ++k) {
        const QString picture =
            standardPicture(workDir, standards.rowAt(k)[size_t(designRef)].toString());
        if (picture.isEmpty()) continue;
        found[size_t(k)] = {k, picture};
    }
    return found;
}

bool ApplyStandardDesign(data::TDM& dm, store::DataSet& standard) {
    store::Table& T = dm.DesignTable;
    if (!standard.active() || standard.isEmpty() || !T.active() || T.isEmpty()) return false;
    const QVariant standardRef = standard.fieldByName(kProjectRef).value();
    const QVariant standardNo = standard.fieldByName(kDesignNo).value();
    store::Transaction tx(*dm.database());
    try {
        T.edit();
        for (const QString& f : appliedFields())
            T.fieldByName(f).setValue(standard.fieldByName(f).value());
        T.post();
        const QVariant targetRef = T.fieldByName(kProjectRef).value();
        const QVariant targetNo = T.fieldByName(kDesignNo).value();
        applyCells(dm.DesignImageTable, targetRef, targetNo, standardRef, standardNo,
                   {QStringLiteral("ModeOfCell")});
        applyCells(dm.DesignMergeTable, targetRef, targetNo, standardRef, standardNo,
                   {QStringLiteral("RowSpan"), QStringLiteral("ColSpan")});
    } catch (...) {
        T.cancel();
        dm.DesignImageTable.cancel();
        dm.DesignMergeTable.cancel();
        throw;
    }
    tx.commit();
    return true;
}

} // namespace exchange
