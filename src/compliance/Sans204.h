#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace data {
class TDM;
class Messages;
} // namespace data

namespace compliance {

// One design's share of its storey, as Calculate reads it (empty numbers as 0).
struct StoreyWindow {
    int qty = 0;
    double area = 0;  // Window_Area, m2
    double u = 0;     // U_Factor, W/m2K
    double shgc = 0;  // SHGC
    double solar = 0; // Solar_Factor
};

struct StoreySums {
    double windowArea = 0; // sum of area x qty
    double uTotal = 0;     // sum of U x qty x area
    double shgcTotal = 0;  // sum of SHGC x qty x area x solar factor
};

StoreySums storeySums(const std::vector<StoreyWindow>& windows);

// A storey's verdict against the allowances per m2 of net floor area.
struct FloorVerdict {
    double uAllow = 0, shgcAllow = 0;
    QString uResult, shgcResult; // "PASS", "FAIL" or "N/A"
    // Empty when the storey has no net floor area: no decision is made.
    std::optional<bool> exempt;
};

// Totals at or below the allowance pass; a window area of at most 15 % of
// the net floor area exempts the storey (both results "N/A").
FloorVerdict judgeFloor(const StoreySums& sums, double netFloorArea, double conductance,
                        double solarHeatGain);

inline const QString Pass = QStringLiteral("PASS");
inline const QString Fail = QStringLiteral("FAIL");
inline const QString NotApplicable = QStringLiteral("N/A");

inline const QString NoFactorsMessage =
    QStringLiteral("Please enter a P/H ratio and tab to fill in Solar Exposure Factors!");
inline const QString NoNetAreaMessage =
    QStringLiteral("The net floor erea for each floor must be specified!");
inline const QString KeepRatiosQuestion = QStringLiteral("Keep Existing P/H Rations?");
inline const QString NotCurrentSuffix =
    QStringLiteral(" Results not current, please check each design");
inline const QString NoFloorAreaMessage = QStringLiteral("No Floor Area Specified!");
inline const QString NoZoneMessage = QStringLiteral("A Climate Zone must be selected !");

// What the analysis of the current project still lacks, one line per storey
// or design: a storey a design uses without a net floor area (empty or 0) or
// without a default P/H with its factors, a design without a storey or an
// orientation, a kept design P/H outside the list. Empty when nothing is
// missing. Analyse checks the designs; Calculate their result rows as the
// RESULTS grid edits them (whose P/H the list beside it checks).
enum class MissingCheck { Designs, DesignResults };
QStringList missingAnalysisInput(data::TDM& dm, MissingCheck check);
// The one message naming all of them.
QString missingInputMessage(const QStringList& missing);

// The storeys of the project's design results that have no storey verdict
// with an exemption decision (not calculated, or calculated without a net
// floor area): no certificate may be printed for them.
QStringList unanalysedStoreys(data::TDM& dm);

// Where the analysis runs: the main window's pages, or the analysis windows,
// which refresh solar factors without the Ratios test and keep the project's
// rational-design results.
struct SansPlace {
    bool checkRatios = true;
    bool clearRational = true;
    // Calculate refuses result rows with missing input (missingAnalysisInput).
    bool checkInputs = true;
    static SansPlace mainWindow() { return {true, true, true}; }
    static SansPlace windows() { return {false, false, false}; }
};

// Fills the current DesignResults row from the current design. `setRatio`
// false (UpdateSANSRecord) keeps the row's P/H ratio. The row is left in edit.
void SaveSansRecord(data::TDM& dm, data::Messages& messages, bool setRatio = true);
inline void UpdateSANSRecord(data::TDM& dm, data::Messages& messages) {
    SaveSansRecord(dm, messages, false);
}

// Deletes the project's storey results and, when asked, its rational-design row.
void ClearPreviousResults(data::TDM& dm, bool rational = true);

enum class AnalyseStep {
    Checks,   // the storey checks of the main window's Analyse
    NoChecks, // the calculation window: no storey checks
};

// "Analyse": posts the storey row and (main window) checks it, asks whether to
// keep the designs' P/H ratios when the project has design results, then in one
// transaction rebuilds the DesignResults rows from the designs, clears the
// previous results and refreshes every solar factor. False when a check
// stopped it. Messages raised inside the transaction are shown after it ends.
bool SANSCalcBtnClick(data::TDM& dm, data::Messages& messages,
                      AnalyseStep step = AnalyseStep::Checks,
                      SansPlace place = SansPlace::mainWindow());

// "Calculate": refreshes the solar factors, clears the previous results and
// writes one ProjectResults row per storey, in one transaction.
// In the main window it first checks the result rows (missingAnalysisInput)
// and, when something is missing, names it all and calculates nothing (false).
bool Image20Click(data::TDM& dm, data::Messages& messages,
                  SansPlace place = SansPlace::mainWindow());

// Opening the "SANS Results" window: clears the project's storey results
// (keeping its rational-design row) and refreshes every design's solar factor
// without the Ratios test, in one transaction.
void OpenSansResults(data::TDM& dm, data::Messages& messages);

// Appends one storey's ProjectResults row (nothing for an empty project
// reference); reports a storey without net floor area.
void SaveFloorResult(data::TDM& dm, data::Messages& messages, const QString& floor,
                     const StoreySums& sums, double netFloorArea);

} // namespace compliance
