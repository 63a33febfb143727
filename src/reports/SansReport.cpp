#include "SansReport.h"

#include "ReportParts.h"
#include "data/DataModule.h"
#include "store/DisplayFormat.h"

#include <QFontMetricsF>
#include <QImage>
#include <QLocale>
#include <cmath>

namespace reports {

namespace {

constexpr Qt::Alignment Left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment Right = Qt::AlignRight | Qt::AlignVCenter;
constexpr Qt::Alignment Centre = Qt::AlignHCenter | Qt::AlignVCenter;
const QString Squared = QStringLiteral("\u00b2");

struct Column {
    QString heading;
    double x, w;
    Qt::Alignment align;
    QString unit; // printed under the heading
};

// The window table's columns; the headings' trailing blanks widen their underline.
const std::vector<Column>& columns() {
    static const std::vector<Column> c = {
        {QStringLiteral("Ref               "), 0, 17, Left, {}},
        {QStringLiteral("System                                  "), 17, 29, Left, {}},
        {QStringLiteral("Glazing  Material                                "), 46, 59, Left, {}},
        {QStringLiteral("Qty"), 105, 8, Right, {}},
        {QStringLiteral("Orient."), 114, 12, Centre, {}},
        {QStringLiteral("Area"), 126, 11, Right, QStringLiteral("m\u00b2")},
        {QStringLiteral("    P/H"), 137, 10, Right, {}},
        {QStringLiteral("Solar Fact"), 147, 18, Right, {}},
        {QStringLiteral("U-Value"), 165, 14, Right, QStringLiteral("W/m\u00b2K")},
        {QStringLiteral("SHGC"), 181, 9, Right, {}},
    };
    return c;
}

void addHeadings(Band& band) {
    const QFont heading = reportFont(7.5, true, false, true);
    for (const Column& c : columns()) {
        // A left-aligned heading may run past its column; the next one starts later.
        band.label({c.x, 1, c.align == Left ? c.w + 6 : c.w, 5}, c.heading, heading, c.align)
            .exported = true;
        if (!c.unit.isEmpty()) band.label({c.x, 6, c.w, 4}, c.unit, reportFont(7, true), c.align);
    }
}

// The storey's ProjectResults row, read when its group starts.
struct StoreyResult {
    bool found = false;
    QVariant floorArea, windowArea, uAllow, uTotal, shgcAllow, shgcTotal;
    QString uResult, shgcResult;
};

// The design and glazing texts of the row being printed.
struct DetailTexts {
    QString system, glazing;
};

QString numberText(store::DataSet& ds, const char* field, const QString& picture) {
    const store::Field f = ds.fieldByName(QString::fromLatin1(field));
    if (f.isNull()) return QString();
    return picture.isEmpty() ? f.asString() : store::formatNumber(f.asFloat(), picture);
}

} // namespace

QString shortenedToFit(const QString& text, const QFont& font, double widthMm) {
    // Measured at 1200 dots per inch: the page is laid out in millimetres and
    // painted on devices of any resolution.
    constexpr double dotsPerMm = 1200 / 25.4;
    QImage device(1, 1, QImage::Format_Mono);
    device.setDotsPerMeterX(int(dotsPerMm * 1000));
    device.setDotsPerMeterY(int(dotsPerMm * 1000));
    const QFontMetricsF fm(font, &device);
    auto fits = [&](const QString& t) { return fm.horizontalAdvance(t) / dotsPerMm <= widthMm; };
    if (fits(text)) return text;
    const QString ellipsis = QStringLiteral("\u2026");
    QStringList words = text.split(QLatin1Char(' '));
    while (words.size() > 1) {
        words.removeLast();
        const QString shorter = words.join(QLatin1Char(' ')).trimmed() + ellipsis;
        if (fits(shorter)) return shorter;
    }
    // A single word wider than the column is cut where it must be.
    QString word = words.value(0);
    while (!word.isEmpty() && !fits(word + ellipsis))
        word.chop(1);
    return word + ellipsis;
}

QString fixedText(const QVariant& value, int precision, int digits) {
    if (!value.isValid() || value.isNull()) return QString();
    const double v = value.toDouble();
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (std::isfinite(v) && std::fabs(v) >= std::pow(10.0, precision))
        return locale.toString(v, 'E', precision - 1);
    return locale.toString(v, 'f', digits);
}

QString netFloorSentence(const QVariant& floorArea, const QVariant& windowArea) {
    return QStringLiteral("The net floor area is ") + fixedText(floorArea) + QStringLiteral(" m") +
           Squared + QStringLiteral(" and the fenestration area is ") + fixedText(windowArea) +
           QStringLiteral(" m") + Squared;
}

double windowFloorPercent(double windowArea, double floorArea) {
    // Multiplied first, so that 6 m2 on 40 m2 is exactly 15.
    return floorArea == 0 ? 0 : windowArea * 100 / floorArea;
}

QString ratioSentence(double percent) {
    const QString p = fixedText(percent, 6, 1);
    if (percent > 15)
        return QStringLiteral("The window to floor ratio is greater than 15%, (") + p +
               QStringLiteral("%), therefore U and SHGC Calculations must be performed according "
                              "to SANS 204.");
    return QStringLiteral("The window to floor ratio is less than 15%, (") + p +
           QStringLiteral("%), therefore the floor is exempt from SANS 204 Calculations.");
}

QString conductanceAllowanceSentence(const QVariant& uAllow) {
    return QStringLiteral("The conductance allowance should be a maximum of : ") +
           fixedText(uAllow) + QStringLiteral(" W/K");
}

QString conductanceSentence(const QVariant& uTotal) {
    return QStringLiteral("The conductance with Aluminium Framing windows and doors with glazing "
                          "is : ") +
           fixedText(uTotal) + QStringLiteral(" W/K");
}

QString shgcAllowanceSentence(const QVariant& shgcAllow) {
    return QStringLiteral("The SHGC allowance should be a maximum of : ") + fixedText(shgcAllow);
}

QString shgcSentence(const QVariant& shgcTotal) {
    return QStringLiteral("The SHGC with Aluminium Framing windows and doors with glazing is : ") +
           fixedText(shgcTotal);
}

QString verdictText(const QString& result) {
    return result == QLatin1String("FAIL") ? QStringLiteral("DOES NOT COMPLY")
                                           : QStringLiteral("COMPLIES");
}

Document sansReport(data::TDM& dm) {
    Report report;
    report.title = QStringLiteral("Energy Efficiency Calculations: SANS 204 Certification Report");
    store::Table& P = dm.ProjectTable;
    store::Query& Q = dm.DesignResultsQuery;
    store::Query& PR = dm.ProjectResultsQuery;
    store::Query& DQ = dm.DesignQuery;
    store::Query& G = dm.GlassQuery;
    const QString ref = P.fieldByName(QStringLiteral("Project_Ref")).asString();
    auto continuation = std::make_shared<bool>(false);

    report.beforeReport = [&Q, ref, continuation] {
        *continuation = false;
        Q.close();
        Q.setSql(QStringLiteral(
                     "Select * from DesignResults Where Project_Ref=? Order by "
                     "Floor, Design_Ref"),
                 {ref});
        Q.open();
    };
    storeyOrderedSource(report, Q);

    // The zone as the project's options row holds it: the shown row (its edit
    // buffer included) where the main window links it, else a look-up.
    QVariant zone;
    store::Table& O = dm.ProjectOptionsTable;
    if (O.active() && O.master() == &P && (!O.isEmpty() || O.editing())) {
        zone = O.fieldByName(QStringLiteral("Climate_Zone")).value();
    } else {
        store::Query& OQ = dm.ProjectOptionsQuery;
        OQ.close();
        OQ.setSql(QStringLiteral("Select * from ProjectOptions Where Project_Ref=?"), {ref});
        OQ.open();
        if (!OQ.isEmpty()) zone = OQ.fieldByName(QStringLiteral("Climate_Zone")).value();
        OQ.close();
    }
    // The long title gets a line of its own under "Printed :", clear of the logo.
    Band& header =
        addPageHeader(report, P, dm.WorkDir, QString(), QStringLiteral("Project Ref      :"), 36);
    header.label({0, 5, report.page.contentWidth() - pxToMm(160) - 2, 6}, report.title,
                 reportFont(11.5, true));
    header.label({0, 23, 30, 5}, QStringLiteral("Climate Zone  :"), reportFont(9, true));
    header.label({32, 23, 30, 5}, zone.isValid() ? zone.toString() : QString(), reportFont(9));
    header.label({0, 29, 120, 5},
                 QStringLiteral("Results are valid for Naturally Ventilated buildings only."),
                 reportFont(9, true, true));

    Band& columnHeader = report.add(BandKind::ColumnHeader, 11);
    addHeadings(columnHeader);
    columnHeader.beforePrint = [continuation] { return *continuation; };

    auto storey = std::make_shared<StoreyResult>();
    Band& group = report.add(BandKind::GroupHeader, 8);
    group.beforePrint = [&Q, &PR, ref, storey] {
        *storey = StoreyResult();
        PR.close();
        PR.setSql(QStringLiteral("Select * from ProjectResults Where Project_Ref=? and Floor=?"),
                  {ref, Q.fieldByName(QStringLiteral("Floor")).value()});
        PR.open();
        if (!PR.isEmpty()) {
            auto v = [&PR](const char* f) {
                return PR.fieldByName(QString::fromLatin1(f)).value();
            };
            *storey = {true,
                       v("Floor_Area"),
                       v("Window_Area"),
                       v("U_Allow"),
                       v("U_Total"),
                       v("SHGC_Allow"),
                       v("SHGC_Total"),
                       v("U_Result").toString(),
                       v("SHGC_Result").toString()};
        }
        PR.close();
        return true;
    };
    const QFont storeyFont = reportFont(10, true, false, true), bold = reportFont(9, true),
                plain = reportFont(8), verdict = reportFont(9, true);
    const double w = report.page.contentWidth();
    group.label({0, 1, 20, 6}, QStringLiteral("Storey :"), storeyFont);
    group.value(
        {21, 1, 20, 6}, [&Q] { return Q.fieldByName(QStringLiteral("Floor")).asString(); },
        storeyFont);

    // The storey's figures and verdicts, only where Calculate left a result row.
    Band figures;
    figures.kind = BandKind::GroupHeader;
    figures.height = 53;
    figures.beforePrint = [storey] { return storey->found; };
    auto line = [&](double y, std::function<QString()> text) {
        figures.value({0, y, w, 5}, std::move(text), plain);
    };
    line(0, [storey] { return netFloorSentence(storey->floorArea, storey->windowArea); });
    // Without a floor area there is no ratio to exempt the storey by.
    line(5, [storey] {
        const double floorArea = storey->floorArea.toDouble();
        if (floorArea == 0) return QString();
        return ratioSentence(windowFloorPercent(storey->windowArea.toDouble(), floorArea));
    });
    figures.label({0, 11, 60, 5}, QStringLiteral("CONDUCTANCE"), bold);
    line(16, [storey] { return conductanceAllowanceSentence(storey->uAllow); });
    line(21, [storey] { return conductanceSentence(storey->uTotal); });
    figures.label({0, 26, 40, 5}, QStringLiteral("Conductance result :"), bold);
    figures.value(
        {41, 26, 60, 5}, [storey] { return verdictText(storey->uResult); }, verdict);
    figures.label({0, 32, 60, 5}, QStringLiteral("SOLAR HEAT GAIN"), bold);
    line(37, [storey] { return shgcAllowanceSentence(storey->shgcAllow); });
    line(42, [storey] { return shgcSentence(storey->shgcTotal); });
    figures.label({0, 47, 40, 5}, QStringLiteral("SHGC result :"), bold);
    figures.value(
        {41, 47, 60, 5}, [storey] { return verdictText(storey->shgcResult); }, verdict);
    group.children.push_back(std::move(figures));

    Band noResults;
    noResults.kind = BandKind::GroupHeader;
    noResults.height = 8;
    noResults.beforePrint = [storey] { return !storey->found; };
    noResults.label({0, 1, w, 5}, NoStoreyResults, bold);
    group.children.push_back(std::move(noResults));

    Band table;
    table.kind = BandKind::GroupHeader;
    table.height = 10;
    table.label({0, 0, 60, 5}, QStringLiteral("DETAILED TABLE"), bold);
    table.value(
        {0, 5, w, 5},
        [&Q] {
            return QStringLiteral("The table below provides the values for the windows and doors "
                                  "for floor ") +
                   Q.fieldByName(QStringLiteral("Floor")).asString() + QStringLiteral(":");
        },
        plain);
    group.children.push_back(std::move(table));
    Band child;
    child.kind = BandKind::GroupHeader;
    child.height = 11;
    addHeadings(child);
    group.children.push_back(std::move(child));

    auto texts = std::make_shared<DetailTexts>();
    Band& detail = report.add(BandKind::Detail, 5.5);
    detail.beforePrint = [&Q, &DQ, &G, texts] {
        *texts = DetailTexts();
        DQ.close();
        DQ.setSql(QStringLiteral("Select * from Design Where Project_Ref=? and Design_No=?"),
                  {Q.fieldByName(QStringLiteral("Project_Ref")).value(),
                   Q.fieldByName(QStringLiteral("Design_No")).value()});
        DQ.open();
        if (!DQ.isEmpty()) {
            const QString code = DQ.fieldByName(QStringLiteral("Glass_Code")).asString();
            G.close();
            G.setSql(QStringLiteral("Select * from Glazing Where Glass_Code=?"), {code});
            G.open();
            texts->system = DQ.fieldByName(QStringLiteral("System_Name")).asString();
            texts->glazing =
                code.trimmed() + QStringLiteral(" - ") +
                (G.isEmpty() ? QString() : G.fieldByName(QStringLiteral("Glass_Desc")).asString());
        }
        DQ.close();
        return true;
    };
    const QFont row = reportFont(7);
    const std::vector<Column>& c = columns();
    auto cell = [&](size_t i, std::function<QString()> text) {
        detail.value({c[i].x, 0.5, c[i].w, 5}, std::move(text), row, c[i].align);
    };
    cell(0, [&Q] { return Q.fieldByName(QStringLiteral("Design_Ref")).asString(); });
    cell(1, [texts] { return texts->system; });
    // Shortened between words, never clipped inside one.
    cell(2, [texts, row, width = c[2].w] { return shortenedToFit(texts->glazing, row, width); });
    cell(3, [&Q] { return numberText(Q, "Design_Qty", QString()); });
    cell(4, [&Q] { return Q.fieldByName(QStringLiteral("Elevation")).asString(); });
    cell(5, [&Q] { return numberText(Q, "Window_Area", QStringLiteral("###0.00")); });
    cell(6, [&Q] { return numberText(Q, "Shading_Ratio", QStringLiteral("##0.00")); });
    cell(7, [&Q] { return numberText(Q, "Solar_Factor", QString()); });
    cell(8, [&Q] { return numberText(Q, "U_Factor", QStringLiteral("###0.00")); });
    cell(9, [&Q] { return numberText(Q, "SHGC", QStringLiteral("###0.00")); });

    addPageFooter(report, dm.WorkDir);
    // The headings repeat at the top of every page after the first.
    report.bands.back().afterPrint = [continuation] { *continuation = true; };
    Document doc = report.layout();
    Q.close();
    G.close();
    return doc;
}

} // namespace reports
