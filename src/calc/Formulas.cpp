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

double Square(double Number) {
    return Number * Number;
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

double AreaFrame(double Length, double PFD, int MEdges) {
    return (Length * PFD - MEdges * 0.5 * Square(PFD)) / 1000000.0;
}

double AreaEdge(double Long, double PFDa, double PFDb, double EdgePFD, int /*MEdges*/) {
    return ((Long - PFDa - PFDb) * EdgePFD - Square(EdgePFD)) / 1000000.0;
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
    long double sum = 0;
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c)
            if (grid.mode(r, c) != None)
                sum += static_cast<long double>(dims.V[size_t(r)]) *
                       static_cast<long double>(dims.H[size_t(c)]);
    return sum / 1000000.0L;
}

CellTerms cellTerms(const GridModel& grid, const ProfileValueTable& pvt, int r, int c, double W,
                    double H) {
    const design::Span s = grid.span(r, c);
    const QString T = design::CheckType(grid, r, c, QStringLiteral("TOP"), s.RowSpan, s.ColSpan);
    const QString L = design::CheckType(grid, r, c, QStringLiteral("LEFT"), s.RowSpan, s.ColSpan);
    const QString R = design::CheckType(grid, r, c, QStringLiteral("Right"), s.RowSpan, s.ColSpan);
    const QString B = design::CheckType(grid, r, c, QStringLiteral("Bottom"), s.RowSpan, s.ColSpan);
    // A member shared with a typed neighbour counts half to each cell.
    auto pfd = [&](const QString& word, const char* side) {
        const double p = GetPFD(pvt, word);
        return CheckAdjacent(grid, r, c, QString::fromLatin1(side)) ? p / 2 : p;
    };
    const double PT = pfd(T, "Top"), PL = pfd(L, "Left"), PR = pfd(R, "Right"),
                 PB = pfd(B, "Bottom");

    CellTerms t;
    const double frame =
        UFactorProfileFrame(pvt, T, PT, W, 2) + UFactorProfileFrame(pvt, L, PL, H, 2) +
        UFactorProfileFrame(pvt, R, PR, H, 2) + UFactorProfileFrame(pvt, B, PB, W, 2);
    t.frameSolar = frame * 0.3 / 34.1;
    t.frameArea =
        AreaFrame(W, PT, 2) + AreaFrame(H, PL, 2) + AreaFrame(H, PR, 2) + AreaFrame(W, PB, 2);

    const double ET = AreaEdge(W, PL, PR, pvt.EdgeTop), EL = AreaEdge(H, PT, PB, pvt.EdgeLeft),
                 ER = AreaEdge(H, PT, PB, pvt.EdgeRight), EB = AreaEdge(W, PL, PR, pvt.EdgeBottom);
    const double edge = ET * GetUFactorEdge(pvt, T) + EL * GetUFactorEdge(pvt, L) +
                        ER * GetUFactorEdge(pvt, R) + EB * GetUFactorEdge(pvt, B);
    t.edgeArea = ET + EL + ER + EB;

    t.cogArea = AreaCOG(pvt, W, H, PL, PR, PT, PB);
    t.UA = frame + edge + t.cogArea * pvt.U_COG;
    t.glassSolar = pvt.SHGC_COG * (t.cogArea + t.edgeArea);
    return t;
}

ThermalTotals thermalLoop(const GridModel& grid, const design::Dimensions& dims,
                          const ProfileValueTable& pvt) {
    ThermalTotals totals;
    for (int r = 0; r < RowCount; ++r)
        for (int c = 0; c < ColCount; ++c) {
            if (grid.mode(r, c) == None) {
                ++totals.noneCount;
                continue;
            }
            const design::Span s = grid.span(r, c);
            if (s.RowSpan * s.ColSpan <= 0 || s.RowSpan == -1 || s.ColSpan == -1) continue;
            double W = 0, H = 0;
            design::GetDimension(grid, dims, r, c, W, H);
            const CellTerms t = cellTerms(grid, pvt, r, c, W, H);
            totals.UA += t.UA;
            totals.glassSolar += t.glassSolar;
            totals.frameSolar += t.frameSolar;
        }
    return totals;
}

} // namespace calc
