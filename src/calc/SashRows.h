#pragma once

#include <QString>
#include <vector>

namespace store {
class DataSet;
}

namespace calc {

// One SystemSash row: a sash type's limits and cost factors in one system.
struct SashRow {
    QString Sash_Type;
    QString Description;
    double Max_Width = 0, Max_Height = 0;
    double SHF_Cost = 0, SHF_Anod = 0, SHF_Waste = 0, SHF_Discount = 0;
    double System_Factor = 0, Factory_Cost = 0, Fact_Time = 0, Install_Cost = 0;

    static SashRow fromRecord(store::DataSet& row);
};

// The sash rows of one system, in key order.
class SashRows {
public:
    SashRows() = default;
    explicit SashRows(std::vector<SashRow> rows);
    // The row whose Sash_Type is exactly `sashType` (the key lookup).
    const SashRow* byType(const QString& sashType) const;
    // The first row whose upper-cased Sash_Type equals the stored cell word.
    const SashRow* byWord(const QString& storedWord) const;

private:
    std::vector<SashRow> rows_;
    // Each row's Sash_Type upper-cased, made once rather than per cell.
    std::vector<QString> upperTypes_;
};

// The design's glazing row; all 0 when the design's glass is not in the table.
struct GlazingRow {
    QString Glass_Desc;
    double Max_Area = 0;
    double Glazing_Cost = 0;
};

} // namespace calc
