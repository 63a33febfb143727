#include "ProjectReports.h"

#include "ReportParts.h"
#include "data/DataModule.h"
#include "compliance/Rational.h"
#include "calc/Pricing.h"
#include "data/QuoteSettings.h"

namespace reports {

namespace {

constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;

struct Column {
    QString caption;
    const char* field; // null: the glazing description of the row
    double x, w;
    bool right;
    QString picture;
    QString unit; // under the caption
};

std::vector<Column> summaryColumns(bool prices) {
    if (!prices)
        return {
            {QStringLiteral("Ref."), "Design_Ref", 0, 17, false, {}, {}},
            {QStringLiteral("Qty"), "Design_Qty", 17, 9, true, {}, {}},
            {QStringLiteral("System"), "System_Name", 29, 43, false, {}, {}},
            {QStringLiteral("Finish"), "Finish", 73, 25, false, {}, {}},
            {QStringLiteral("Glazing Material"), "Glass_Code", 99, 21, false, {}, {}},
            {QString(), nullptr, 120, 32, false, {}, {}},
            {QStringLiteral("Area"), "Window_Area", 152, 13, true, QStringLiteral("###0.00"),
             QStringLiteral("m\u00b2")},
            {QStringLiteral("U-Value"), "U_Factor", 166, 13, true, QStringLiteral("##0.00"),
             QStringLiteral("W/m\u00b2K")},
            {QStringLiteral("SHGC"), "SHGC", 180, 10, true, QStringLiteral("##0.00"), {}},
        };
    // Narrower text columns make room for the unit and line prices at the right.
    return {
        {QStringLiteral("Ref."), "Design_Ref", 0, 14, false, {}, {}},
        {QStringLiteral("Qty"), "Design_Qty", 14, 7, true, {}, {}},
        {QStringLiteral("System"), "System_Name", 23, 28, false, {}, {}},
        {QStringLiteral("Finish"), "Finish", 52, 18, false, {}, {}},
        {QStringLiteral("Glazing Material"), "Glass_Code", 71, 18, false, {}, {}},
        {QString(), nullptr, 89, 23, false, {}, {}},
        {QStringLiteral("Area"), "Window_Area", 112, 11, true, QStringLiteral("###0.00"),
         QStringLiteral("m\u00b2")},
        {QStringLiteral("U-Value"), "U_Factor", 124, 12, true, QStringLiteral("##0.00"),
         QStringLiteral("W/m\u00b2K")},
        {QStringLiteral("SHGC"), "SHGC", 137, 9, true, QStringLiteral("##0.00"), {}},
    };
}

std::vector<Column> rationalColumns() {
    return {
        {QStringLiteral("Ref."), "Design_Ref", 0, 14, false, {}, {}},
        {QStringLiteral("Qty"), "Design_Qty", 14, 8, true, {}, {}},
        {QStringLiteral("System          "), "System_Name", 24, 35, false, {}, {}},
        {QStringLiteral("Finish"), "Finish", 60, 21, false, {}, {}},
        {QStringLiteral("Glazing Material     "), "Glass_Code", 82, 19, false, {}, {}},
        {QString(), nullptr, 101, 27, false, {}, {}},
        {QStringLiteral("Storey"), "Floor", 129, 11, false, {}, {}},
        {QStringLiteral("Orient."), "Elevation", 140, 12, false, {}, {}},
        {QStringLiteral("Area"), "Window_Area", 152, 13, true, QStringLiteral("###0.00"),
         QStringLiteral("m\u00b2")},
        {QStringLiteral("U-Value"), "U_Factor", 166, 13, true, QStringLiteral("##0.00"),
         QStringLiteral("W/m\u00b2K")},
        {QStringLiteral("SHGC"), "SHGC", 180, 10, true, QStringLiteral("##0.00"), {}},
    };
}

// The design list, the column header, the storey groups and the detail rows
// both reports share.
struct DesignList {
    Band& header;
    Band& group;
    Band& detail;
};

DesignList addDesignList(Report& report, data::TDM& dm, const std::vector<Column>& columns,
                         double rowHeight) {
    store::Query& Q = dm.DesignQuery;
    store::Query& G = dm.GlassQuery;
    store::Table& P = dm.ProjectTable;
    report.beforeReport = [&Q, &P] {
        Q.setSql(
            QStringLiteral("Select * from Design Where Project_Ref=? Order by Floor,Design_Ref"),
            {P.fieldByName(QStringLiteral("Project_Ref")).asString()});
        Q.open();
    };
    storeyOrderedSource(report, Q);

    Band& header = report.add(BandKind::ColumnHeader, 11);
    const QFont heading = reportFont(8, true, false, true);
    for (const Column& c : columns) {
        if (c.caption.isEmpty()) continue;
        header.label(
            {c.x, 1,
             c.field && QString::fromLatin1(c.field) == QLatin1String("Glass_Code") ? 50 : c.w, 5},
            c.caption, heading, c.right ? Right : Qt::AlignLeft | Qt::AlignVCenter);
        if (!c.unit.isEmpty()) header.label({c.x, 6, c.w, 4}, c.unit, reportFont(7, true), Right);
    }

    Band& group = report.add(BandKind::GroupHeader, 7);
    group.label({0, 1, 14, 5}, QStringLiteral("Floor :"), reportFont(9, true));
    group.value({15, 1, 20, 5}, bound(Q, QStringLiteral("Floor")), reportFont(9, true));

    Band& detail = report.add(BandKind::Detail, rowHeight);
    for (const Column& c : columns) {
        auto value = c.field ? bound(Q, QString::fromLatin1(c.field), c.picture)
                             : bound(G, QStringLiteral("Glass_Desc"));
        detail
            .value({c.x, 0.5, c.w, rowHeight - 0.5}, value, reportFont(7.5),
                   (c.right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop)
            .wrap = true;
    }
    detail.beforePrint = [&Q, &G] {
        G.setSql(QStringLiteral("Select * from Glazing Where Glass_Code=?"),
                 {Q.fieldByName(QStringLiteral("Glass_Code")).asString()});
        G.open();
        return true;
    };
    return {header, group, detail};
}

const QStringList SummaryDisclaimer = {
    QStringLiteral("Disclaimer:"),
    QStringLiteral("Whilst the information was prepared and is presented in good faith, Korvane "
                   "(Pty) Ltd hereby "
                   "accepts no liability for the above prices or for "),
    QStringLiteral(
        "any errors in and for any consequences of relying on the presented information, as it is "
        "intended for use as a guideline only"),
};

struct StoreyTotals {
    long double area = 0, areaU = 0;
    long double price = 0; // line prices of the priced designs
    int unpriced = 0;
};

} // namespace

Document summaryReport(data::TDM& dm, bool showPrices) {
    Report report;
    report.title = QStringLiteral("Fenestration Design Summary");
    addPageHeader(report, dm.ProjectTable, dm.WorkDir, report.title,
                  QStringLiteral("Project Ref      :"), 27);
    // The narrower glazing column of the priced layout takes three lines.
    const DesignList list = addDesignList(report, dm, summaryColumns(showPrices), showPrices ? 10.5 : 8);
    store::Query& Q = dm.DesignQuery;
    auto totals = std::make_shared<StoreyTotals>();
    auto project = std::make_shared<StoreyTotals>();
    auto price = std::make_shared<calc::DesignPrice>();
    const QString currency =
        showPrices ? data::QuoteSettings::load(dm).currency : QString();
    if (showPrices) {
        const QFont heading = reportFont(8, true, false, true);
        list.header.label({147, 1, 20, 5}, QStringLiteral("Unit price"), heading, Right);
        list.header.label({168, 1, 22, 5}, QStringLiteral("Line price"), heading, Right);
        auto readRow = list.detail.beforePrint;
        list.detail.beforePrint = [readRow, price, &dm, &Q] {
            *price = calc::storedDesignPrice(dm, Q);
            return readRow();
        };
        const QFont small = reportFont(7.5);
        list.detail.value({147, 0.5, 20, 7}, [price, currency] {
            return price->priced() ? calc::moneyText(price->unit.total(), currency)
                                   : QStringLiteral("no price");
        }, small, Qt::AlignRight | Qt::AlignTop);
        list.detail.value({168, 0.5, 22, 7}, [price, currency] {
            return price->priced() ? calc::moneyText(price->line(), currency) : QString();
        }, small, Qt::AlignRight | Qt::AlignTop);
    }
    list.group.afterPrint = [totals] { *totals = StoreyTotals(); };
    list.detail.afterPrint = [totals, project, price, &Q] {
        const long double area = Q.fieldByName(QStringLiteral("Window_Area")).asFloat();
        const long double qty = Q.fieldByName(QStringLiteral("Design_Qty")).asInteger();
        totals->area += area * qty;
        totals->areaU += area * qty * Q.fieldByName(QStringLiteral("U_Factor")).asFloat();
        for (StoreyTotals* t : {totals.get(), project.get()}) {
            if (price->priced())
                t->price += price->line();
            else
                ++t->unpriced;
        }
    };
    // Areas sit under the area column, whichever layout is printed.
    const double areaX = showPrices ? 112 : 152, areaW = showPrices ? 11 : 13;
    Band& footer = report.add(BandKind::GroupFooter, 12);
    const QFont bold = reportFont(8.5, true);
    footer.label({areaX - 62, 1, 61, 5}, QStringLiteral("Window Area : "), bold, Right);
    footer.value(
        {areaX, 1, areaW, 5}, [totals] { return QString::number(double(totals->area), 'f', 2); },
        bold, Right);
    footer.label({areaX + areaW + 1, 1, 20, 5}, QStringLiteral("m\u00b2"), bold);
    footer.label({areaX - 62, 6, 61, 5}, QStringLiteral("Total Area x U-Value : "), bold, Right);
    footer.value(
        {areaX, 6, areaW, 5}, [totals] { return QString::number(double(totals->areaU), 'f', 2); },
        bold, Right);
    footer.label({areaX + areaW + 1, 6, 20, 5}, QStringLiteral("W/K"), bold);
    if (showPrices)
        footer.value({147, 1, 43, 5}, [totals, currency] {
            return calc::moneyText(totals->price, currency) +
                   (totals->unpriced ? QStringLiteral(" *") : QString());
        }, bold, Right);

    Band& summary = report.add(BandKind::Summary, showPrices ? 30 : 18);
    double y = 2;
    if (showPrices) {
        summary.label({90, 2, 56, 5}, QStringLiteral("Project total : "), bold, Right);
        summary.value({147, 2, 43, 5}, [project, currency] {
            return calc::moneyText(project->price, currency);
        }, bold, Right);
        summary.value({0, 7, report.page.contentWidth(), 4.5}, [project] {
            return project->unpriced
                       ? QStringLiteral("* %1 design(s) without a price are not in the totals.")
                             .arg(project->unpriced)
                       : QString();
        }, reportFont(7.5, false, true));
        y = 13;
    }
    summary.label({0, y, 40, 4.5}, SummaryDisclaimer[0], reportFont(8, true));
    for (int i = 1; i < 3; ++i)
        summary.label({0, y + 4.5 * i, report.page.contentWidth(), 4.5}, SummaryDisclaimer[i],
                      reportFont(7));
    addPageFooter(report, dm.WorkDir);
    return report.layout();
}

Document rationalReport(data::TDM& dm) {
    Report report;
    report.title = QStringLiteral("Rational Design (SANS 10400XA)");
    Band& header = addPageHeader(report, dm.ProjectTable, dm.WorkDir, report.title,
                                 QStringLiteral("Project Ref     :"), 30);
    header.label({0, 23, 110, 5},
                 QStringLiteral("Results are valid for Naturally Ventilated buildings only."),
                 reportFont(9, true, true));
    store::Table& R = dm.ProjectRationalTable;
    const QFont plain = reportFont(8.5), bold = reportFont(9, true);
    Band block;
    block.height = 62;
    block.label({0, 1, 45, 5}, QStringLiteral("Target Tot Energy Loss:"), bold);
    block.value({46, 1, 25, 5}, bound(R, QStringLiteral("Tgt_EnergyLoss")), bold, Right);
    block.label({72, 1, 15, 5}, QStringLiteral("W/\u00b0K"), bold);
    // A sentence, its figure and unit on one line.
    auto sentence = [&](double y, const QString& text, const char* field, const QString& unit) {
        block.label({0, y, 150, 5}, text, plain);
        block.value({150, y, 22, 5}, bound(R, QString::fromLatin1(field)), plain, Right);
        block.label({173, y, 17, 5}, unit, plain);
    };
    block.label({0, 8, 60, 5}, QStringLiteral("ENERGY LOSS"), bold);
    sentence(13, QStringLiteral("The TARGET energy loss should be a maximum of : "),
             "Tgt_EnergyLoss", QStringLiteral("W/\u00b0K"));
    sentence(
        18,
        QStringLiteral(
            "The TOTAL Energy Loss with Aluminium Framing windows and doors with glazing is : "),
        "Act_EnergyLoss", QStringLiteral("W/\u00b0K"));
    block.label({0, 24, 60, 5}, QStringLiteral("CONDUCTANCE"), bold);
    sentence(
        29,
        QStringLiteral(
            "The AVERAGE conductance with Aluminium Framing windows and doors with glazing is : "),
        "Act_AveUVal", QStringLiteral("W/m\u00b2K"));
    block.label({0, 35, 60, 5}, QStringLiteral("SOLAR HEAT GAIN"), bold);
    sentence(40,
             QStringLiteral(
                 "The AVERAGE SHGC with Aluminium Framing windows and doors with glazing is :"),
             "Act_AveSHGC", QString());
    auto verdict = std::make_shared<QString>();
    block.value(
        {0, 46, 190, 5}, [verdict] { return *verdict; }, reportFont(9.5, true));
    block.label({0, 52, 60, 5}, QStringLiteral("DETAILED TABLE"), bold);
    block.label({0, 57, 150, 5},
                QStringLiteral(
                    "The table below provides the values for the windows and doors for all storys"),
                plain);
    block.beforePrint = [&R, verdict] {
        *verdict = compliance::rationalVerdict(
            compliance::meetsTarget(compliance::rationalTarget(R), compliance::rationalActual(R)));
        return true;
    };
    header.children.push_back(std::move(block));
    addDesignList(report, dm, rationalColumns(), 10.5);
    addPageFooter(report, dm.WorkDir);
    return report.layout();
}

} // namespace reports
