#pragma once

#include "CellWords.h"
#include "design/Dimensions.h"
#include "design/GridModel.h"

#include <QString>
#include <array>

namespace data {
class Messages;
}

namespace calc {

// The twelve member words, in the order the profile values are kept.
extern const std::array<QString, 12> MemberWords;

struct MemberValues {
    double UF = 0;  // frame U-factor
    double UE = 0;  // edge-of-glass U-factor
    double PFD = 0; // projected frame dimension, mm
};

// The values one calculation works with: per member word its frame, edge and
// PFD figures, the centre-of-glass figures and the four edge-of-glass widths.
struct ProfileValueTable {
    std::array<MemberValues, 12> members{};
    double U_COG = 0;
    double SHGC_COG = 0;
    double EdgeTop = 0, EdgeBottom = 0, EdgeLeft = 0, EdgeRight = 0;

    // Null for a word that is none of the twelve.
    MemberValues* find(const QString& word);
    const MemberValues* find(const QString& word) const;
    MemberValues& at(const QString& word); // the word must be one of the twelve
    void resetMembers() { members.fill(MemberValues{}); }
    void setEdgeWidths(double mm) { EdgeTop = EdgeBottom = EdgeLeft = EdgeRight = mm; }
};

// The member areas are worked out for every side of every cell: defined here
// so that the cell loops inline them.
inline double Square(double Number) {
    return Number * Number;
}
long long TenPowerTo(int Power);
// Value rounded to DecimalPlaces, ties to the even neighbour.
double RoundTo(double Value, int DecimalPlaces);

inline double AreaFrame(double Length, double PFD, int MEdges) {
    return (Length * PFD - MEdges * 0.5 * Square(PFD)) / 1000000.0;
}
inline double AreaEdge(double Long, double PFDa, double PFDb, double EdgePFD, int /*MEdges*/ = 2) {
    return ((Long - PFDa - PFDb) * EdgePFD - Square(EdgePFD)) / 1000000.0;
}
double AreaCOG(const ProfileValueTable& pvt, double Wide, double High, double TLeft, double TRight,
               double TTop, double TBottom);

// Lookups by member word. "None" (and any word that is not a member) gives 0;
// GetUFactorEdge shows "None profile needs correcting" for "None" when
// `messages` is given.
double GetPFD(const ProfileValueTable& pvt, const QString& ProfileType);
double GetUFactorEdge(const ProfileValueTable& pvt, const QString& ProfileType,
                      data::Messages* messages = nullptr);
double UFactorProfileFrame(const ProfileValueTable& pvt, const QString& ProfileType,
                           double ProfilePFD, double ProfileLength, int MCorners);

// Whether the member on `Side` of the base cell at (RowPos, ColPos) is shared
// with another typed cell.
bool CheckAdjacent(const design::GridModel& grid, int RowPos, int ColPos, const QString& Side);

// The window area, m²: every typed grid position's column width times row height.
long double CalcWindowArea(const design::GridModel& grid, const design::Dimensions& dims);
long double CalcWindowArea(const CellWords& words, const design::Dimensions& dims);

// What one base cell adds to the design's sums.
struct CellTerms {
    double UA = 0;         // heat loss, frame + edge + centre of glass, W/K
    double glassSolar = 0; // m²
    double frameSolar = 0; // m²
    // The parts, for checking that the regions make up the pane.
    double frameArea = 0, edgeArea = 0, cogArea = 0;
};

CellTerms cellTerms(const design::GridModel& grid, const ProfileValueTable& pvt, int r, int c,
                    double W, double H);

struct ThermalTotals {
    double UA = 0;
    double glassSolar = 0;
    double frameSolar = 0;
    int noneCount = 0;
};

// The thermal loop over every cell of the grid.
ThermalTotals thermalLoop(const design::GridModel& grid, const design::Dimensions& dims,
                          const ProfileValueTable& pvt);
ThermalTotals thermalLoop(const CellWords& words, const design::Dimensions& dims,
                          const ProfileValueTable& pvt);

} // namespace calc
