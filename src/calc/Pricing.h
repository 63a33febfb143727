#pragma once

#include "Checks.h"

#include <QString>
#include <functional>
#include <vector>

namespace data {
class TDM;
}
namespace store {
class DataSet;
}

namespace calc {

// One window's price in parts, unrounded; display rounds once, to cents.
struct PriceParts {
    long double frame = 0, glazing = 0, factory = 0, install = 0;
    // What the window costs to make and supply, without installation.
    long double supply() const { return frame + glazing + factory; }
    long double total() const { return supply() + install; }
};

// A design's price, or why it has none. A design without current results or
// with a cell its system does not price has no price: never a 0 shown as one.
struct DesignPrice {
    enum class State { Priced, NotCalculated, Unpriced };
    State state = State::NotCalculated;
    QString reason; // for a design without a price, in the user's words
    PriceParts unit;
    long double area = 0; // m²
    int quantity = 0;
    QString designRef;
    int designNo = 0;

    bool priced() const { return state == State::Priced; }
    // Rate per m² of window; 0 without area.
    long double rate() const { return area != 0 ? unit.total() / area : 0.0L; }
    long double line() const { return unit.total() * quantity; }
};

// The price of cells already costed by the cost loop: unpriced when a typed
// cell's word is not among the system's sash rows, or a rate the cells used is
// negative or not finite (the row named).
DesignPrice priceFromCosts(const CostTotals& costs, const CellWords& words, const SashRows& sashes,
                           const QString& finish, const QString& systemName, double glazingCost,
                           const QString& glassCode);

// The stored design's price from its stored cells and the catalogue as it
// stands; "not calculated" while the design's results are zeroed (an input
// changed since the last calculation) or it was never calculated. Reads
// through cursors of its own: the data module's stay where they are.
DesignPrice storedDesignPrice(data::TDM& dm, store::DataSet& design);

// Runs `visit` on every design row of the project in reference order.
void forEachDesignByReference(data::TDM& dm, const QString& projectRef,
                              const std::function<void(store::DataSet&)>& visit);

// Every design of the project in reference order.
std::vector<DesignPrice> projectPrices(data::TDM& dm, const QString& projectRef);

// The project's designs without a price, each as "W01 (not calculated)".
QStringList unpricedDesigns(data::TDM& dm, const QString& projectRef);

// A quotation's totals over priced designs, each sum of unrounded values.
struct QuoteTotals {
    long double subtotal = 0;     // supply × quantity
    long double markup = 0;       // subtotal × markup %
    long double installation = 0; // installation × quantity
    long double vat = 0;          // (subtotal + markup + installation) × VAT %
    long double total = 0;
    int leftOut = 0; // designs without a price, not in the sums
};
QuoteTotals quoteTotals(const std::vector<DesignPrice>& prices, double markupPercent,
                        double vatPercent);

// A sum of money as shown: rounded once to cents, thousands grouped by a
// space, with the currency symbol in front ("R 12 345.67").
QString moneyText(long double amount, const QString& currency);

} // namespace calc
