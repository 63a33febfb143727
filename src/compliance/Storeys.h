#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

namespace data {
class TDM;
class Messages;
} // namespace data
namespace store {
class DataSet;
}

namespace compliance {

// The eight orientation codes, in pick-list order.
const QStringList& orientationCodes();
// The factor field an orientation selects ("NE" -> "NE_Factor"); empty for
// any other text (codes are compared exactly).
QString factorField(const QString& elevation);
// The storey codes the storey pick lists offer: "G", then "1" to "20".
const QStringList& storeyCodes();
// A storey code as it is stored and compared: without the blanks around it,
// so " G" is the ground floor "G".
QString storeyCode(const QString& text);
// Storey order in lists and reports: the ground floor "G" first, then the
// numbered storeys by number ("2" before "10"), then any other code by its text.
bool storeyLess(const QString& a, const QString& b);
// Has every storey code written to Design, ProjectFloors, DesignResults and
// ProjectResults stored without its blanks, whoever writes it.
void keepStoreyCodesTidy(data::TDM& dm);
// Stores the current project's storey codes without their blanks: designs and
// design results, and storey rows (a " G" row merges into an existing "G" row,
// filling only what that row leaves empty). Returns the rows changed.
int tidyProjectStoreys(data::TDM& dm);
// The 25 P/H ratios of the pick lists, as they are shown.
const QStringList& phRatioTexts();

// Makes the project tables of the analysis details of the current project,
// as the main window does while it shows a project (and the results table,
// as showing the RESULTS page does).
void linkComplianceTables(data::TDM& dm);
// Makes ProjectResults a detail of Project on Project_Ref and opens it.
void linkProjectResults(data::TDM& dm);

// Showing the SANS 204 page: `recalculate` runs the design calculation over
// every design of the project; then every storey code a design uses gets a
// ProjectFloors row if it has none. Storey rows are never removed here.
// Returns the number of storey rows added.
int BuildStoreyList(data::TDM& dm, const std::function<void()>& recalculate);

// Leaving column `column` of the storey grid on the current storey row:
// 3 (net floor area) resets the default P/H to 0; 4 (default P/H) copies the
// eight factors of (project zone, P/H) when the factor table has that row.
// `post` false leaves the row in edit (the calculation window).
void FloorColExit(data::TDM& dm, int column, bool post = true);

// Choosing a climate zone: stores the zone number in the project's options
// row (starting one when the project has none) and copies the zone's
// allowances and factors. False, with nothing changed, for an unknown zone.
// `post` false leaves the row in edit (the calculation window).
bool ClimateZoneCloseUp(data::TDM& dm, const QVariant& zoneNo, bool post = true);

// Refreshes the current DesignResults row's Solar_Factor from the factor
// table for (project zone, the row's P/H). With `checkRatio` a P/H outside
// the Ratios table is reported and leaves the row alone. The row is left in
// edit when it changed. `messages` receives the report.
void UpdateShadingRatio(data::TDM& dm, data::Messages& messages, bool checkRatio = true);

inline const QString InvalidShadingRatio =
    QStringLiteral("Invalid Shading Ratio, Please select from drop-down List!");

} // namespace compliance
