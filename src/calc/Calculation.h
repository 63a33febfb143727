#pragma once

#include <QSet>

#include "Checks.h"
#include "Formulas.h"
#include "design/GridModel.h"

#include <functional>
#include <map>
#include <optional>

namespace data {
class Messages;
class TDM;
} // namespace data

namespace store {
class DataSet;
class StoreError;
} // namespace store

namespace calc {

// What the design screen shows of the design being calculated: its grid and
// the texts of the selectors the calculation reads besides the record.
struct DesignView {
    design::GridModel* grid = nullptr;
    QString systemTypeText; // SystemTypeCB
    QString systemNameText; // SystemNameCB
    QString mullionDie;     // Die4Edit
    QString transomDie;     // Die5Edit
};

// Sets the view from the current Design record: selector texts and die codes
// from its fields, and the grid emptied and loaded from its stored cells.
void showDesignFromRecord(data::TDM& dm, DesignView& view);

// The calculation and the state the design screen keeps for it. The window
// holds one; the command line makes its own.
class CalcContext {
public:
    CalcContext(data::TDM& dm, data::Messages& messages);

    // Calculates the current design and stores its results. Returns false when
    // the table store failed (the error has been shown and nothing of the
    // calculation stays).
    bool CalcBtnClick(DesignView& view);
    // Calculates every design of the project in key order and returns to the first.
    bool UpdateAllValues(DesignView& view);
    // An input of the results changed (true): wipe the stored results and arm
    // the structural warning. Always enables the calculate command.
    void UpdateCalcBtn(bool changed);
    void CheckDesignBtnClick(const DesignView& view);
    // Shows the structural warning, unless already shown since the last change
    // or already told for the same design with the same figures.
    void DisplayIxWarning();
    // The same for figures not stored yet (the calculation in progress).
    void DisplayIxWarning(double reqIx, double actualIx);
    // The member values a calculation of this design record would read from
    // SystemValues; nothing is calculated or stored. Missing rows leave zeros.
    ProfileValueTable memberValues(store::DataSet& design);

    // Suppresses the validation and structural warnings.
    bool WarningsOff = true;
    // The structural warning has had its chance since the last change.
    bool IxWarningShown = true;
    bool CalcBtnEnabled = false;

    // Working state of the last calculation.
    ProfileValueTable ProfileValues;
    bool SashSystem = false;
    bool ValuesFound = false;
    CostTotals Costs;

    // Saves the shown design before it is calculated; by default the design's
    // record and cell rows through the data module's tables.
    std::function<void(const design::GridModel&)> saveDesign;
    // Run by UpdateAllValues after it moved to a design, so that the view
    // shows that design; by default showDesignFromRecord.
    std::function<void(DesignView&)> designShown;

private:
    QString warningKey(double reqIx, double actualIx);
    // The designs and figures whose structural warning has been shown.
    QSet<QString> warned_;
    // One SystemValues row's figures: U_COG, SHGC_COG, then UF, UE, PFD of sets 0, 1, 2.
    using ValueRow = std::array<double, 11>;

    void calculate(DesignView& view);
    // Reads the row the query finds and remembers it under `key` (which names
    // everything the query's parameters hold) until the reference rows are
    // forgotten; lookupValues looks there first.
    std::optional<ValueRow> systemValues(const QString& key, const QString& sql,
                                         const QVariantList& params);
    double profileIx(const QString& dieCode);
    bool lookupValues(store::DataSet& design);
    SashRows loadSashes(const QString& systemName);
    GlazingRow loadGlazing(const QString& glassCode);
    void writeCostRow(long double area);
    // Zeroes the design's results and costs.
    void zeroResults();
    // The design gets no results because of `badValue`; says which.
    void noResults(const QString& badValue);
    void failed(const store::StoreError& e);

    data::TDM& dm_;
    data::Messages& messages_;
    // Reference rows read by the calculations, kept from one command to the
    // next for as long as nobody can have changed their tables.
    std::map<QString, std::optional<ValueRow>> valueRows_;
    std::map<QString, SashRows> sashRows_;
    std::map<QString, GlazingRow> glazingRows_;
    std::map<QString, double> profileIx_;
    // What the kept rows were read under: another connection's commits
    // (SQLite's data version), the tables' shape, this program's changes told
    // on the reference tables and its rollbacks.
    struct ReferenceStamp {
        qint64 dataVersion = -1, schemaVersion = -1;
        std::array<quint64, 4> changes{};
        quint64 rollbacks = 0;
        bool operator==(const ReferenceStamp&) const = default;
    };
    ReferenceStamp referenceStamp_;
    // The first value handed on by the last lookups that is not finite.
    QString badMemberValue_;
    // Starts each command: forgets the kept reference rows when their tables may have changed.
    void checkReferenceRows();
};

// The fields UpdateCalcBtn(true) zeroes.
extern const QStringList DesignResultFields;
extern const QStringList CostingResultFields;

} // namespace calc
