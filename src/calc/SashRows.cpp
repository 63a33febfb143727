#include "SashRows.h"

#include "store/DataSet.h"

namespace calc {

SashRow SashRow::fromRecord(store::DataSet& row) {
    auto num = [&](const char* f) { return row.fieldByName(QString::fromLatin1(f)).asFloat(); };
    SashRow s;
    s.Sash_Type = row.fieldByName(QStringLiteral("Sash_Type")).asString();
    s.Description = row.fieldByName(QStringLiteral("Description")).asString();
    s.Max_Width = num("Max_Width");
    s.Max_Height = num("Max_Height");
    s.SHF_Cost = num("SHF_Cost");
    s.SHF_Anod = num("SHF_Anod");
    s.SHF_Waste = num("SHF_Waste");
    s.SHF_Discount = num("SHF_Discount");
    s.System_Factor = num("System_Factor");
    s.Factory_Cost = num("Factory_Cost");
    s.Fact_Time = num("Fact_Time");
    s.Install_Cost = num("Install_Cost");
    return s;
}

SashRows::SashRows(std::vector<SashRow> rows) : rows_(std::move(rows)) {
    for (const SashRow& r : rows_)
        upperTypes_.push_back(r.Sash_Type.toUpper());
}

const SashRow* SashRows::byType(const QString& sashType) const {
    for (const SashRow& r : rows_)
        if (r.Sash_Type == sashType) return &r;
    return nullptr;
}

const SashRow* SashRows::byWord(const QString& storedWord) const {
    for (size_t i = 0; i < rows_.size(); ++i)
        if (upperTypes_[i] == storedWord) return &rows_[i];
    return nullptr;
}

} // namespace calc
