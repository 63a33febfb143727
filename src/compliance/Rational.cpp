#include "Rational.h"

#include "data/DataModule.h"

namespace compliance {

RationalFigures rationalSums(const std::vector<RationalInput>& designs) {
    RationalFigures f;
    long double su = 0, ss = 0;
    for (const RationalInput& d : designs) {
        f.quantity += d.qty;
        f.energyLoss += static_cast<long double>(d.area) * d.u * d.qty;
        su += static_cast<long double>(d.u) * d.qty;
        ss += static_cast<long double>(d.shgc) * d.qty;
    }
    if (f.quantity != 0) {
        f.aveU = su / f.quantity;
        f.aveSHGC = ss / f.quantity;
    }
    return f;
}

namespace {

double figure(store::DataSet& rational, const char* field) {
    if (!rational.active() || (rational.isEmpty() && !rational.editing())) return 0;
    return rational.fieldByName(QString::fromLatin1(field)).asFloat();
}

} // namespace

double rationalTarget(store::DataSet& rational) {
    return figure(rational, "Tgt_EnergyLoss");
}
double rationalActual(store::DataSet& rational) {
    return figure(rational, "Act_EnergyLoss");
}

bool RationalBtnClick(data::TDM& dm) {
    const QString projectRef =
        dm.ProjectTable.fieldByName(QStringLiteral("Project_Ref")).asString();
    // A query of its own, so that the design shown on the window is not moved.
    store::Query designs(dm.database(), QStringLiteral("Select * from Design Where Project_Ref=?"));
    designs.setSql(designs.sql(), {projectRef});
    designs.open();
    std::vector<RationalInput> inputs;
    for (designs.first(); !designs.eof(); designs.next())
        inputs.push_back({designs.fieldByName(QStringLiteral("Design_Qty")).asInteger(),
                          designs.fieldByName(QStringLiteral("Window_Area")).asFloat(),
                          designs.fieldByName(QStringLiteral("U_Factor")).asFloat(),
                          designs.fieldByName(QStringLiteral("SHGC")).asFloat()});
    const RationalFigures f = rationalSums(inputs);
    store::Table& R = dm.ProjectRationalTable;
    if (!R.editing()) R.edit();
    R.fieldByName(QStringLiteral("Act_EnergyLoss")).setAsFloat(double(f.energyLoss));
    R.fieldByName(QStringLiteral("Act_AveUVal")).setAsFloat(double(f.aveU));
    R.fieldByName(QStringLiteral("Act_AveSHGC")).setAsFloat(double(f.aveSHGC));
    return meetsTarget(rationalTarget(R), rationalActual(R));
}

} // namespace compliance
