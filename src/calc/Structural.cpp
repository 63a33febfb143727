#include "Structural.h"

namespace calc {

using design::ColCount;
using design::RowCount;

void GetVSpan(const design::Dimensions& dims, int ColNo, long double& LeftSpan,
              long double& RightSpan) {
    if (ColNo == 0) {
        LeftSpan = 0;
        RightSpan = dims.H[0];
    } else if (ColNo >= 1 && ColNo <= 9) {
        LeftSpan = dims.H[size_t(ColNo - 1)];
        RightSpan = dims.H[size_t(ColNo)];
    }
}

namespace {

// Member lengths and span sums are sums of dimensions added in different
// orders (a merged cell against the single cells beside it), so two that are
// equal on paper may differ in the last bit; within this they tie.
constexpr long double kTieTolerance = 1e-6L;

bool atLeast(long double value, long double best) {
    return value >= best - kTieTolerance;
}

// The summed heights of column `index`'s typed base cells (vertical), or the
// summed widths of row `index`'s (horizontal).
long double memberLength(const CellWords& words, const design::Dimensions& dims, int index,
                         bool vertical) {
    const design::GridModel& grid = words.grid();
    long double length = 0;
    for (int k = 0; k < (vertical ? RowCount : ColCount); ++k) {
        const int r = vertical ? k : index, c = vertical ? index : k;
        const design::Span s = grid.span(r, c);
        if (s.RowSpan <= 0 || s.ColSpan <= 0 || words.none(r, c))
            continue;
        double w = 0, h = 0;
        design::GetDimension(grid, dims, r, c, w, h);
        length += vertical ? h : w;
    }
    return length;
}

} // namespace

void LongestProfile(const design::GridModel& grid, const design::Dimensions& dims,
                    const QString& Direction, long double& ProfileLength, long double& SpanL,
                    long double& SpanR) {
    LongestProfile(CellWords(grid), dims, Direction, ProfileLength, SpanL, SpanR);
}

void LongestProfile(const CellWords& grid, const design::Dimensions& dims,
                    const QString& Direction, long double& ProfileLength, long double& SpanL,
                    long double& SpanR) {
    const QString dir = Direction.toUpper();
    if (dir == QLatin1String("VERTICAL")) {
        long double best = 0, bestSpan = 0;
        int bestCol = 0;
        for (int c = 0; c < ColCount; ++c) {
            ProfileLength = memberLength(grid, dims, c, true);
            GetVSpan(dims, c, SpanL, SpanR);
            if (atLeast(ProfileLength, best)) {
                best = ProfileLength;
                if (atLeast(SpanL + SpanR, bestSpan)) {
                    bestSpan = SpanL + SpanR;
                    bestCol = c;
                }
            }
        }
        ProfileLength = best;
        GetVSpan(dims, bestCol, SpanL, SpanR);
    } else if (dir == QLatin1String("HORIZONTAL")) {
        long double best = 0;
        int bestRow = 0;
        for (int r = 0; r < RowCount; ++r) {
            ProfileLength = memberLength(grid, dims, r, false);
            if (atLeast(ProfileLength, best)) {
                best = ProfileLength;
                bestRow = r;
            }
        }
        ProfileLength = best;
        if (bestRow >= 1 && bestRow <= 4) {
            SpanL = dims.V[size_t(bestRow - 1)];
            SpanR = dims.V[size_t(bestRow)];
        }
    }
}

long double SpanRequiredIx(long double W, long double S, long double Lmm) {
    const long double L = Lmm / 10;
    const long double a = S / 10 / 2;
    const long double w = W / 10;
    const long double d = L > 411.5L ? L / 240 + 0.6L : L / 175;
    if (L > 2 * a) {
        const long double load = (L * a - a * a) / 10000 * w;
        if (L == 0 || a == 0) return 0;
        const long double L2 = L * L, L4 = L2 * L2, a2 = a * a;
        return load * L4 / ((L - a) * 1920 * ElasticModulus * d) *
               (25 - 40 * a2 / L2 + 16 * a2 * a2 / L4);
    }
    const long double load = a * 0.5L * L / 10000 * w;
    if (d == 0) return 0;
    return load * L * L * L / (ElasticModulus * 60 * d);
}

long double RequiredIx(long double windLoad, long double spanL, long double spanR,
                       long double length) {
    if (spanL == 0 || spanR == 0) return 0;
    return SpanRequiredIx(windLoad, spanL, length) + SpanRequiredIx(windLoad, spanR, length);
}

QString structuralVerdict(const QString& continuous, double reqIx, double actualIx) {
    if (!(actualIx > 0 && actualIx < reqIx)) return {};
    const QString member = continuous.compare(QLatin1String("Horizontal"), Qt::CaseInsensitive) == 0
                               ? QStringLiteral("Transom")
                               : QStringLiteral("Mullion");
    return QStringLiteral("%1 fails: actual Ix %2 below the required %3")
        .arg(member, QString::number(actualIx, 'f', 2), QString::number(reqIx, 'f', 2));
}

} // namespace calc
