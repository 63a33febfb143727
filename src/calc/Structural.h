#pragma once

#include "CellWords.h"
#include "design/Dimensions.h"
#include "design/GridModel.h"

namespace calc {

// E of the deflection formulas, in the unit the profiles' Ix is kept in.
constexpr long double ElasticModulus = 700000.0L;

// The widths of the columns left and right of the vertical member at the left
// edge of column ColNo. Other column numbers change nothing.
void GetVSpan(const design::Dimensions& dims, int ColNo, long double& LeftSpan,
              long double& RightSpan);

// The longest intermediate member for Direction ("Vertical" or "Horizontal",
// any case) and the spans on its two sides. Any other direction leaves the
// results unchanged.
void LongestProfile(const design::GridModel& grid, const design::Dimensions& dims,
                    const QString& Direction, long double& ProfileLength, long double& SpanL,
                    long double& SpanR);
void LongestProfile(const CellWords& words, const design::Dimensions& dims,
                    const QString& Direction, long double& ProfileLength, long double& SpanL,
                    long double& SpanR);

// The Ix a member of length Lmm (mm) needs against wind load W (Pa) over span S (mm) from one side.
long double SpanRequiredIx(long double W, long double S, long double Lmm);

// Both sides; 0 when either span is 0.
long double RequiredIx(long double windLoad, long double spanL, long double spanR,
                       long double length);

// The verdict on a design's continuous member while its figures fail
// (0 < actual < required), e.g. "Mullion fails: actual Ix 14.60 below the
// required 15.21"; empty while it holds or is not calculated. A vertical
// continuous member is the mullion, a horizontal one the transom.
QString structuralVerdict(const QString& continuous, double reqIx, double actualIx);

} // namespace calc
