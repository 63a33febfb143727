#include "Checks.h"

namespace calc {

using design::ColCount;
using design::RowCount;

QString messageNumber(double value) {
    return QString::number(value, 'g', 15);
}

QStringList designWarnings(const design::GridModel& grid, const design::Dimensions& dims,
                           const SashRows& sashes, const GlazingRow& glazing,
                           const QString& designRef, bool warningsOff) {
    if (warningsOff) return {};
    return designWarnings(CellWords(grid), dims, sashes, glazing, designRef, warningsOff);
}

QStringList designWarnings(const CellWords& words, const design::Dimensions& dims,
                           const SashRows& sashes, const GlazingRow& glazing,
                           const QString& designRef, bool warningsOff) {
    QStringList out;
    if (warningsOff) return out;
    const design::GridModel& grid = words.grid();
    auto forEachBase = [&](auto body) {
        for (int r = 0; r < RowCount; ++r)
            for (int c = 0; c < ColCount; ++c) {
                const design::Span s = grid.span(r, c);
                if (s.RowSpan < 1 || s.ColSpan < 1) continue;
                double W = 0, H = 0;
                design::GetDimension(grid, dims, r, c, W, H);
                body(r, c, W, H);
            }
    };
    // Each cell is held to the limits of its own sash type; a limit of 0 is no limit.
    // The few distinct words of a design are looked up once each.
    std::vector<const SashRow*> rowOfWord;
    for (const QString& stored : words.words()) {
        const QString word = design::sashTableWord(stored);
        rowOfWord.push_back(word == QLatin1String("None") ? nullptr : sashes.byType(word));
    }
    forEachBase([&](int r, int c, double W, double H) {
        const SashRow* row = rowOfWord[size_t(words.word(r, c))];
        if (!row) return;
        if (row->Max_Width != 0 && row->Max_Width < W && H != 0)
            out << QStringLiteral("WARNING - The maximum width of ") +
                       messageNumber(row->Max_Width) + QStringLiteral("mm for a ") +
                       row->Description + QStringLiteral(" has been exceeded for design in ") +
                       designRef;
        if (row->Max_Height != 0 && row->Max_Height < H && W != 0)
            out << QStringLiteral("WARNING - The maximum height of ") +
                       messageNumber(row->Max_Height) + QStringLiteral("mm for a ") +
                       row->Description + QStringLiteral(" has been exceeded in ") + designRef;
    });
    forEachBase([&](int, int, double W, double H) {
        const double area = W * H / 1000000.0;
        if (glazing.Max_Area < area && glazing.Max_Area > 0)
            out << QStringLiteral("WARNING - The maximum glazing area of ") +
                       messageNumber(glazing.Max_Area) + QStringLiteral(" sqm for ") +
                       glazing.Glass_Desc +
                       QStringLiteral(" has been exceeded, the pane area is ") +
                       messageNumber(area) + QStringLiteral("sqm in ") + designRef;
    });
    return out;
}

CostTotals costLoop(const design::GridModel& grid, const design::Dimensions& dims,
                    const SashRows& sashes, const QString& finish, double glazingCost) {
    return costLoop(CellWords(grid), dims, sashes, finish, glazingCost);
}

CostTotals costLoop(const CellWords& words, const design::Dimensions& dims, const SashRows& sashes,
                    const QString& finish, double glazingCost) {
    const design::GridModel& grid = words.grid();
    // Per distinct word its row and the factors that depend on the row alone,
    // worked out with the same operations the cell loop used to repeat.
    struct Factors {
        const SashRow* row;
        long double rate, discount, waste, factory, install;
    };
    const bool anodised = finish == QLatin1String("Anodised");
    std::vector<Factors> ofWord;
    for (const QString& word : words.words()) {
        const SashRow* row = sashes.byWord(word);
        if (!row) {
            ofWord.push_back({nullptr, 0, 0, 0, 0, 0});
            continue;
        }
        ofWord.push_back({row, anodised ? row->SHF_Anod : row->SHF_Cost,
                          1 - row->SHF_Discount / 100.0L, row->SHF_Waste / 100.0L + 1,
                          row->System_Factor * (static_cast<long double>(row->Factory_Cost) * row->Fact_Time),
                          row->System_Factor * static_cast<long double>(row->Install_Cost)});
    }
    CostTotals t;
    for (int c = 0; c < ColCount; ++c)
        for (int r = 0; r < RowCount; ++r) {
            if (words.none(r, c)) continue;
            double W = 0, H = 0;
            design::GetDimension(grid, dims, r, c, W, H);
            const Factors& f = ofWord[size_t(words.word(r, c))];
            if (!f.row) {
                const QString& word = words.words()[size_t(words.word(r, c))];
                if (!t.unpriced.contains(word)) t.unpriced << word;
                continue;
            }
            const design::Span s = grid.span(r, c);
            // A covered cell counts nothing; its base carries the merged size.
            const long double a = s.ColSpan >= 0 && s.RowSpan >= 0 ? W * H / 1000000.0L : 0.0L;
            long double x = f.rate * a;
            x = f.discount * x;
            x = f.waste * x;
            t.frame += f.row->System_Factor * x;
            t.glazing += f.row->System_Factor * (glazingCost * a);
            if (a != 0) {
                t.factory += f.factory;
                t.install += f.install;
            }
        }
    return t;
}

long double totalCostPerArea(const CostTotals& costs, long double area) {
    return area != 0 ? (costs.frame + costs.glazing + costs.factory) / area : 0.0L;
}

} // namespace calc
