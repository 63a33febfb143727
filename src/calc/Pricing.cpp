#include "Pricing.h"

#include "data/DataModule.h"
#include "design/DesignRecords.h"
#include "store/Query.h"
#include "store/Table.h"

#include <cmath>

namespace calc {

namespace {

QString text(store::DataSet& ds, const char* field) {
    return ds.fieldByName(QString::fromLatin1(field)).asString();
}

double number(store::DataSet& ds, const char* field) {
    return ds.fieldByName(QString::fromLatin1(field)).asFloat();
}

bool soundRate(double v) {
    return std::isfinite(v) && v >= 0;
}

// The first rate of a sash row the price would use that is negative or not finite.
QString badSashRate(const SashRow& row, bool anodised) {
    const std::pair<const char*, double> rates[] = {
        {anodised ? "SHF_Anod" : "SHF_Cost", anodised ? row.SHF_Anod : row.SHF_Cost},
        {"SHF_Waste", row.SHF_Waste},
        {"SHF_Discount", row.SHF_Discount},
        {"System_Factor", row.System_Factor},
        {"Factory_Cost", row.Factory_Cost},
        {"Fact_Time", row.Fact_Time},
        {"Install_Cost", row.Install_Cost},
    };
    for (const auto& [name, value] : rates)
        if (!soundRate(value)) return QString::fromLatin1(name) + QLatin1Char(' ') + QString::number(value);
    return {};
}

} // namespace

DesignPrice priceFromCosts(const CostTotals& costs, const CellWords& words, const SashRows& sashes,
                           const QString& finish, const QString& systemName, double glazingCost,
                           const QString& glassCode) {
    DesignPrice p;
    if (!costs.unpriced.isEmpty()) {
        QStringList types;
        for (const QString& w : costs.unpriced)
            types << design::sashTableWord(w);
        p.state = DesignPrice::State::Unpriced;
        p.reason = QStringLiteral("%1 %2 not priced for %3")
                       .arg(types.join(QStringLiteral(", ")),
                            types.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                            systemName);
        return p;
    }
    const bool anodised = finish == QLatin1String("Anodised");
    for (const QString& word : words.words()) {
        const SashRow* row = sashes.byWord(word);
        if (!row) continue;
        if (const QString bad = badSashRate(*row, anodised); !bad.isEmpty()) {
            p.state = DesignPrice::State::Unpriced;
            p.reason = QStringLiteral("the SystemSash row %1 / %2 has %3")
                           .arg(systemName, row->Sash_Type, bad);
            return p;
        }
    }
    if (!soundRate(glazingCost)) {
        p.state = DesignPrice::State::Unpriced;
        p.reason = QStringLiteral("the Glazing row %1 has Glazing_Cost %2")
                       .arg(glassCode, QString::number(glazingCost));
        return p;
    }
    p.state = DesignPrice::State::Priced;
    p.unit = {costs.frame, costs.glazing, costs.factory, costs.install};
    return p;
}

DesignPrice storedDesignPrice(data::TDM& dm, store::DataSet& design) {
    const QString projectRef = text(design, "Project_Ref");
    const int designNo = design.fieldByName(QStringLiteral("Design_No")).asInteger();
    const QString systemName = text(design, "System_Name");
    const QString glassCode = text(design, "Glass_Code");
    const double area = number(design, "Window_Area");

    DesignPrice p;
    if (!std::isfinite(area) || area <= 0) {
        p.reason = QStringLiteral("not calculated");
    } else {
        design::GridModel grid;
        store::Table image(dm.database(), QStringLiteral("DesignImage"));
        store::Table merge(dm.database(), QStringLiteral("DesignMerge"));
        image.open();
        merge.open();
        design::LoadGraphic(image, merge, projectRef, designNo, grid);
        store::Query q;
        q.setDatabase(dm.database());
        q.setSql(QStringLiteral("Select * from SystemSash Where System_Name=?"), {systemName});
        q.open();
        std::vector<SashRow> rows;
        for (; !q.eof(); q.next())
            rows.push_back(SashRow::fromRecord(q));
        q.close();
        double glazingCost = 0;
        q.setSql(QStringLiteral("Select * from Glazing Where Glass_Code=?"), {glassCode});
        q.open();
        if (!q.isEmpty()) glazingCost = number(q, "Glazing_Cost");
        q.close();
        const SashRows sashes(std::move(rows));
        const CellWords words(grid);
        const QString finish = text(design, "Finish");
        const CostTotals costs =
            costLoop(words, design::Dimensions::fromRecord(design), sashes, finish, glazingCost);
        p = priceFromCosts(costs, words, sashes, finish, systemName, glazingCost, glassCode);
    }
    p.area = std::isfinite(area) ? area : 0;
    p.quantity = design.fieldByName(QStringLiteral("Design_Qty")).asInteger();
    p.designRef = text(design, "Design_Ref");
    p.designNo = designNo;
    return p;
}

void forEachDesignByReference(data::TDM& dm, const QString& projectRef,
                              const std::function<void(store::DataSet&)>& visit) {
    store::Query q;
    q.setDatabase(dm.database());
    q.setSql(
        QStringLiteral("Select * from Design Where Project_Ref=? Order by Design_Ref,Design_No"),
        {projectRef});
    for (q.open(); !q.eof(); q.next())
        visit(q);
}

std::vector<DesignPrice> projectPrices(data::TDM& dm, const QString& projectRef) {
    std::vector<DesignPrice> all;
    forEachDesignByReference(dm, projectRef,
                             [&](store::DataSet& design) { all.push_back(storedDesignPrice(dm, design)); });
    return all;
}

QStringList unpricedDesigns(data::TDM& dm, const QString& projectRef) {
    QStringList out;
    for (const DesignPrice& p : projectPrices(dm, projectRef))
        if (!p.priced()) out << QStringLiteral("%1 (%2)").arg(p.designRef, p.reason);
    return out;
}

QuoteTotals quoteTotals(const std::vector<DesignPrice>& prices, double markupPercent,
                        double vatPercent) {
    QuoteTotals t;
    for (const DesignPrice& p : prices) {
        if (!p.priced()) {
            ++t.leftOut;
            continue;
        }
        t.subtotal += p.unit.supply() * p.quantity;
        t.installation += p.unit.install * p.quantity;
    }
    t.markup = t.subtotal * markupPercent / 100.0L;
    t.vat = (t.subtotal + t.markup + t.installation) * vatPercent / 100.0L;
    t.total = t.subtotal + t.markup + t.installation + t.vat;
    return t;
}

QString moneyText(long double amount, const QString& currency) {
    if (!std::isfinite(amount) || std::fabs(amount) > 1e15L) return QStringLiteral("\u2014");
    const long double cents = std::round(amount * 100.0L);
    const bool negative = cents < 0;
    const qint64 whole = qint64(std::fabs(cents)) / 100;
    const int fraction = int(qint64(std::fabs(cents)) % 100);
    QString digits = QString::number(whole);
    for (qsizetype i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(' '));
    QString out = digits + QLatin1Char('.') + QStringLiteral("%1").arg(fraction, 2, 10, QLatin1Char('0'));
    if (negative) out.prepend(QLatin1Char('-'));
    return currency.isEmpty() ? out : currency + QLatin1Char(' ') + out;
}

} // namespace calc
