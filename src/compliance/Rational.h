#pragma once

#include <QString>
#include <vector>

namespace data {
class TDM;
}
namespace store {
class DataSet;
}

namespace compliance {

// One design's stored results as the rational analysis reads them.
struct RationalInput {
    int qty = 0;
    double area = 0; // Window_Area, m2
    double u = 0;    // U_Factor, W/m2K
    double shgc = 0;
};

struct RationalFigures {
    int quantity = 0;
    long double energyLoss = 0; // sum of qty x area x U, W/K
    long double aveU = 0;       // quantity-weighted average U
    long double aveSHGC = 0;    // quantity-weighted average SHGC
};

RationalFigures rationalSums(const std::vector<RationalInput>& designs);

// The target is met when it is at least the actual energy loss.
inline bool meetsTarget(double target, double actual) {
    return target >= actual;
}

inline const QString RationalMeets =
    QStringLiteral("Project meets rational design parameters as specified above");
inline const QString RationalFails =
    QStringLiteral("Project does NOT meet rational design parameters as specified above");
inline QString rationalVerdict(bool meets) {
    return meets ? RationalMeets : RationalFails;
}

// Tgt_EnergyLoss and Act_EnergyLoss of a ProjectRational data set's current
// values (the edit buffer while editing); 0 without a row.
double rationalTarget(store::DataSet& rational);
double rationalActual(store::DataSet& rational);

// The "Analyse" command on the data module: sums the current project's
// designs (their stored results, not recalculated), puts the project's
// ProjectRational row in edit state with the three actual figures (not
// posted) and returns whether the target is met. The design cursor stays
// where it was.
bool RationalBtnClick(data::TDM& dm);

} // namespace compliance
