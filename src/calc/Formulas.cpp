#include "Formulas.h"

#include "data/Messages.h"

#include <cmath>

namespace calc {

using design::ColCount;
using design::GridModel;
using design::None;
using design::RowCount;

const std::array<QString, 12> MemberWords = {
    QStringLiteral("Head"),     QStringLiteral("HeadSash"),   QStringLiteral("Sill"),
    QStringLiteral("SillSash"), QStringLiteral("Jamb"),       QStringLiteral("JambSash"),
    QStringLiteral("Vert"),     QStringLiteral("Vert1Sash"),  QStringLiteral("Vert2Sash"),
    QStringLiteral("Horiz"),    QStringLiteral("Horiz1Sash"), QStringLiteral("Horiz2Sash")};

const MemberValues* ProfileValueTable::find(const QString& word) const {
    for (size_t i = 0; i < MemberWords.size(); ++i)
        if (MemberWords[i] == word) return &members[i];
    return nullptr;
}

MemberValues* ProfileValueTable::find(const QString& word) {
    return const_cast<MemberValues*>(std::as_const(*this).find(word));
}

MemberValues& ProfileValueTable::at(const QString& word) {
    return *find(word);
}

long long TenPowerTo(int Power) {
    long long result = 1;
    for (int i = 0; i < Power; ++i)
        result *= 10;
    return result;
}

double RoundTo(double Value, int DecimalPlaces) {
    const long long power = TenPowerTo(DecimalPlaces);
    const long double scaled = static_cast<long double>(Value) * static_cast<long double>(power);
    // Beyond the 64-bit range (and for NaN and infinities) the conversion is
    // undefined; a double that large has no digits left at those places, so
    // it is its own rounding.
    constexpr long double limit = 9.2e18L;
    if (!(std::fabs(scaled) < limit)) return Value;
    // llrint rounds in the current mode, which is to nearest, ties to even.
    const long long n = std::llrint(scaled);
    return static_cast<double>(static_cast<long double>(n) / static_cast<long double>(power));
}

double AreaCOG(const ProfileValueTable& pvt, double Wide, double High, double TLeft, double TRight,
               double TTop, double TBottom) {
    return (Wide - TLeft - TRight - pvt.EdgeLeft - pvt.EdgeRight) *
           (High - TTop - TBottom - pvt.EdgeTop - pvt.EdgeBottom) / 1000000.0;
}

double GetPFD(const ProfileValueTable& pvt, const QString& ProfileType) {
    const MemberValues* m = pvt.find(ProfileType);
    return m ? m->PFD : 0.0;
}

double GetUFactorEdge(const ProfileValueTable& pvt, const QString& ProfileType,
                      data::Messages* messages) {
    if (ProfileType == QLatin1String("None") && messages)
        messages->showMessage(QStringLiteral("None profile needs correcting"));
    const MemberValues* m = pvt.find(ProfileType);
    return m ? m->UE : 0.0;
}

double UFactorProfileFrame(const ProfileValueTable& pvt, const QString& ProfileType,
                           double ProfilePFD, double ProfileLength, int MCorners) {
    const MemberValues* m = pvt.find(ProfileType);
    return AreaFrame(ProfileLength, ProfilePFD, MCorners) * (m ? m->UF : 0.0);
}

bool CheckAdjacent(const GridModel& grid, int RowPos, int ColPos, const QString& Side) {
    const design::Span s = grid.span(RowPos, ColPos);
    const int dR = s.ColSpan, dB = s.RowSpan;
    const QString side = Side.toUpper();
    auto typed = [&](int r, int c) {
        return r >= 0 && r < RowCount && c >= 0 && c < ColCount && grid.mode(r, c) != None;
    };
    if (side == QLatin1String("LEFT")) return ColPos != 0 && typed(RowPos, ColPos - 1);
    if (side == QLatin1String("TOP")) return RowPos != 0 && typed(RowPos - 1, ColPos);
    if (side == QLatin1String("RIGHT"))
        return ColPos != ColCount - s.ColSpan && typed(RowPos, ColPos + dR);
    if (side == QLatin1String("BOTTOM"))
        return RowPos != RowCount - s.RowSpan && typed(RowPos + dB, ColPos);
    return false;
}

long double CalcWindowArea(const GridModel& grid, const design::Dimensions& dims) {
    return CalcWindowArea(CellWords(grid), dims);
}

long double CalcWindowArea(const CellWords& words, const design::Dimensions& dims) {
    long double sum = 0;
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c)
            if (!words.none(r, c))
                sum += static_cast<long double>(dims.V[size_t(r)]) *
                       static_cast<long double>(dims.H[size_t(c)]);
    return sum / 1000000.0L;
}

namespace {

using Kind = CellKind;

// "Typed" as CheckAdjacent means it: inside the grid and not "NONE".
bool typed(const CellWords& k, int r, int c) {
    return r >= 0 && r < RowCount && c >= 0 && c < ColCount && !k.none(r, c);
}

enum Side { Top, Left, Right, Bottom };

// Index into MemberWords of the member on one side of a base cell, as
// CheckType names it; -1 for "None" (a cell that holds no window).
int memberIndex(const CellWords& k, int r, int c, Side side, int rs, int cs) {
    // Edge word, its sash form, and the between word's three forms.
    static constexpr int words[4][5] = {
        {0, 1, 9, 10, 11}, {4, 5, 6, 7, 8}, {4, 5, 6, 7, 8}, {2, 3, 9, 10, 11}};
    const Kind own = k.kind(r, c);
    if (own == Kind::NoWindow) return -1;
    bool atEdge = false;
    int nr = r, nc = c;
    switch (side) {
    case Top:
        atEdge = r == 0;
        nr = r - 1;
        break;
    case Left:
        atEdge = c == 0;
        nc = c - 1;
        break;
    case Right:
        atEdge = c == ColCount - cs;
        nc = c + cs;
        break;
    case Bottom:
        atEdge = r == RowCount - rs;
        nr = r + rs;
        break;
    }
    const int* w = words[side];
    const bool inside = nr >= 0 && nr < RowCount && nc >= 0 && nc < ColCount;
    if (atEdge || !inside || k.kind(nr, nc) == Kind::NoWindow)
        return own == Kind::Sash ? w[1] : w[0];
    return w[2 + (own == Kind::Sash) + (k.kind(nr, nc) == Kind::Sash)];
}

// CheckAdjacent on the precomputed kinds.
bool adjacent(const CellWords& k, int r, int c, Side side, const design::Span& s) {
    switch (side) {
    case Left:
        return c != 0 && typed(k, r, c - 1);
    case Top:
        return r != 0 && typed(k, r - 1, c);
    case Right:
        return c != ColCount - s.ColSpan && typed(k, r, c + s.ColSpan);
    case Bottom:
        return r != RowCount - s.RowSpan && typed(k, r + s.RowSpan, c);
    }
    return false;
}

const MemberValues kNoMember{};

CellTerms cellTermsOf(const CellWords& k, const ProfileValueTable& pvt, int r, int c, double W,
                      double H, const design::Span& s) {
    const MemberValues* m[4];
    double P[4];
    for (int side = Top; side <= Bottom; ++side) {
        const int i = memberIndex(k, r, c, Side(side), s.RowSpan, s.ColSpan);
        m[side] = i < 0 ? &kNoMember : &pvt.members[size_t(i)];
        // A member shared with a typed neighbour counts half to each cell.
        P[side] = adjacent(k, r, c, Side(side), s) ? m[side]->PFD / 2 : m[side]->PFD;
    }
    const double PT = P[Top], PL = P[Left], PR = P[Right], PB = P[Bottom];

    CellTerms t;
    // Each frame area once; the sums take them in the same order as ever.
    const double FT = AreaFrame(W, PT, 2), FL = AreaFrame(H, PL, 2), FR = AreaFrame(H, PR, 2),
                 FB = AreaFrame(W, PB, 2);
    const double frame = FT * m[Top]->UF + FL * m[Left]->UF + FR * m[Right]->UF + FB * m[Bottom]->UF;
    t.frameSolar = frame * 0.3 / 34.1;
    t.frameArea = FT + FL + FR + FB;

    const double ET = AreaEdge(W, PL, PR, pvt.EdgeTop), EL = AreaEdge(H, PT, PB, pvt.EdgeLeft),
                 ER = AreaEdge(H, PT, PB, pvt.EdgeRight), EB = AreaEdge(W, PL, PR, pvt.EdgeBottom);
    const double edge = ET * m[Top]->UE + EL * m[Left]->UE + ER * m[Right]->UE + EB * m[Bottom]->UE;
    t.edgeArea = ET + EL + ER + EB;

    t.cogArea = AreaCOG(pvt, W, H, PL, PR, PT, PB);
    t.UA = frame + edge + t.cogArea * pvt.U_COG;
    t.glassSolar = pvt.SHGC_COG * (t.cogArea + t.edgeArea);
    return t;
}

} // namespace

CellTerms cellTerms(const GridModel& grid, const ProfileValueTable& pvt, int r, int c, double W,
                    double H) {
    return cellTermsOf(CellWords(grid), pvt, r, c, W, H, grid.span(r, c));
}

ThermalTotals thermalLoop(const GridModel& grid, const design::Dimensions& dims,
                          const ProfileValueTable& pvt) {
    return thermalLoop(CellWords(grid), dims, pvt);
}

ThermalTotals thermalLoop(const CellWords& kinds, const design::Dimensions& dims,
                          const ProfileValueTable& pvt) {
    const GridModel& grid = kinds.grid();
    ThermalTotals totals;
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c) {
            if (kinds.none(r, c)) {
                ++totals.noneCount;
                continue;
            }
            const design::Span s = grid.span(r, c);
            if (s.RowSpan * s.ColSpan <= 0 || s.RowSpan == -1 || s.ColSpan == -1) continue;
            double W = 0, H = 0;
            design::GetDimension(grid, dims, r, c, W, H);
            const CellTerms t = cellTermsOf(kinds, pvt, r, c, W, H, s);
            totals.UA += t.UA;
            totals.glassSolar += t.glassSolar;
            totals.frameSolar += t.frameSolar;
        }
    return totals;
}

} // namespace calc
