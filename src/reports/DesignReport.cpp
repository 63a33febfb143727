#include "DesignReport.h"

#include "DesignPicture.h"
#include "ReportParts.h"
#include "calc/Structural.h"
#include "data/DataModule.h"
#include "data/Paths.h"

#include <QFile>
#include <QFileInfo>

namespace reports {

namespace {

const QString Disclaimer[] = {
    QStringLiteral("To avoid the possibility of thermal stress fracture, it is advisable to "
                   "request that a thermal "
                   "stress  evaluation be conducted by a "),
    QStringLiteral("competent person (glazing). Whilst this information was prepared & is "
                   "presented in good faith, "
                   "Telmar's Glass Wholesalers CC "),
    QStringLiteral("hereby disclaim all liability howsoever arising from any error or omission in "
                   "it, & for any "
                   "consequences of relying on it."),
};

// The lookups the report prints besides the current rows; they live as long
// as the report's hooks.
struct DesignReportData {
    explicit DesignReportData(data::TDM& dm)
        : profileTypes(dm.database(), QString()), glazing(dm.database(), QString()) {}
    store::Query profileTypes;
    store::Query glazing;
    bool disclaimer = false;
};

// "Label", a bold ":" and the value, on one line of a block.
void addRow(Band& b, double x, double y, double labelW, const QString& caption,
            std::function<QString()> value, double valueW,
            Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter) {
    b.label({x, y, labelW, 5}, caption, reportFont(9));
    b.label({x + labelW, y, 3, 5}, QStringLiteral(":"), reportFont(9, true));
    b.value({x + labelW + 4, y, valueW, 5}, std::move(value), reportFont(9), align);
}

// "cm" with a raised "4".
void addCm4(Band& b, double x, double y) {
    b.label({x, y, 6, 5}, QStringLiteral("cm"), reportFont(9));
    b.label({x + 5, y - 1.2, 3, 3.5}, QStringLiteral("4"), reportFont(6));
}

void addDesignSummary(Report& report, data::TDM& dm) {
    store::Table& D = dm.DesignTable;
    Band& b = report.add(BandKind::Detail, 58);
    const struct {
        const char* caption;
        const char* field;
        const char* picture;
    } rows[] = {
        {"Design No.", "Design_No", ""},
        {"Reference", "Design_Ref", ""},
        {"Quantity", "Design_Qty", ""},
        {"Product ", "System_Name", ""},
        {"Window Area (m\u00b2)", "Window_Area", "##0.00"},
        {"U-value (W/m\u00b2K)", "U_Factor", "##0.00"},
        {"SHGC ", "SHGC", "##0.000"},
        {"Finish ", "Finish", ""},
        {"Wind Load (Pa) ", "Wind_Load", ""},
    };
    double y = 2;
    for (const auto& r : rows) {
        addRow(b, 0, y, 34, QString::fromUtf8(r.caption),
               bound(D, QString::fromLatin1(r.field), QString::fromLatin1(r.picture)), 42);
        y += 6;
    }
    auto picture = std::make_shared<QImage>();
    const QString workDir = dm.WorkDir;
    b.picture({report.page.contentWidth() - pxToMm(400), 2, pxToMm(400), pxToMm(200)}, picture,
              true);
    b.beforePrint = [picture, workDir] {
        // Only the picture written for this design; never one left from before.
        *picture = QImage();
        const QString file = designPictureFile(workDir);
        if (QFileInfo::exists(file)) picture->load(file);
        return true;
    };
}

Band profilesAndGlazing(Report& report, data::TDM& dm,
                        const std::shared_ptr<DesignReportData>& data) {
    store::Table& D = dm.DesignTable;
    Band b;
    b.height = 124;
    const double w = report.page.contentWidth();
    b.label({0, 0, 60, 5}, QStringLiteral("Korvane Profiles :"), reportFont(10, true, false, true));
    b.value({0, 6, 100, 5}, bound(D, QStringLiteral("System_Name")), reportFont(9, true));
    b.label({0, 13, 34, 5}, QStringLiteral("Profile No."), reportFont(9, true));
    b.label({62, 13, 60, 5}, QStringLiteral("Profile Description"), reportFont(9, true));
    for (int i = 1; i <= 5; ++i) {
        const double y = 13 + 6 * i;
        b.value({0, y, 30, 5}, bound(data->profileTypes, QStringLiteral("Profile%1").arg(i)),
                reportFont(9));
        b.label({30, y, 3, 5}, QStringLiteral(":"), reportFont(9, true));
        b.value({34, y, 27, 5}, bound(D, QStringLiteral("Die%1").arg(i)), reportFont(9));
        b.value({62, y, 70, 5}, bound(D, QStringLiteral("Profile%1").arg(i)), reportFont(9));
    }
    b.picture({w - 50, 12, 50, 38},
              loadPicture(dm.WorkDir, QStringLiteral("Images/ProfileSection.jpg")));
    addRow(b, 0, 51, 34, QStringLiteral("Continuous Member"),
           bound(D, QStringLiteral("Continuous")), 40);
    addRow(b, 0, 57, 34, QStringLiteral("Required Ix"),
           bound(D, QStringLiteral("ReqIx"), QStringLiteral("###0.00")), 20,
           Qt::AlignRight | Qt::AlignVCenter);
    addCm4(b, 60, 57);
    addRow(b, 0, 63, 34, QStringLiteral("Actual Ix"),
           bound(D, QStringLiteral("ActualIx"), QStringLiteral("###0.00")), 20,
           Qt::AlignRight | Qt::AlignVCenter);
    addCm4(b, 60, 63);
    // The same verdict as the DESIGN page's RESULTS line, so a failing member
    // is not left to the reader's arithmetic.
    b.value({68, 63, 80, 5},
            [&D] {
                return calc::structuralVerdict(D.fieldByName(QStringLiteral("Continuous")).asString(),
                                               D.fieldByName(QStringLiteral("ReqIx")).asFloat(),
                                               D.fieldByName(QStringLiteral("ActualIx")).asFloat());
            },
            reportFont(9, true))
        .color = Qt::red;

    store::Query& G = data->glazing;
    b.label({0, 72, 40, 5}, QStringLiteral("Glazing :"), reportFont(10, true, false, true));
    b.value({0, 78, 110, 5}, bound(G, QStringLiteral("Glass_Desc")), reportFont(9, true));
    const double rowW = 55;
    addRow(b, 0, 84, rowW, QStringLiteral("Code"), bound(D, QStringLiteral("Glass_Code")), 45);
    addRow(b, 0, 90, rowW, QStringLiteral("Low-e Surface"),
           bound(G, QStringLiteral("Lowe_Surface")), 45);
    addRow(b, 0, 96, rowW, QStringLiteral("Max Allowable Glass Area (m\u00b2)"),
           bound(G, QStringLiteral("Max_Area")), 45);
    addRow(b, 0, 102, rowW, QStringLiteral("U-value COG (W/m\u00b2K)"),
           bound(G, QStringLiteral("U_COG")), 45);
    addRow(b, 0, 108, rowW, QStringLiteral("SHGC COG"), bound(G, QStringLiteral("SHGC_COG")), 45);
    b.label({0, 115, 14, 5}, QStringLiteral("IGDB -"), reportFont(9, true));
    const struct {
        const char* caption;
        const char* field;
        double x;
    } igdb[] = {{"Glass 1", "IGDB1", 15}, {"Gap", "Gap_Size", 50}, {"Glass 2", "IGDB2", 80}};
    for (const auto& g : igdb) {
        b.label({g.x, 115, 13, 5}, QString::fromLatin1(g.caption), reportFont(9));
        b.value({g.x + 13, 115, 16, 5}, bound(G, QString::fromLatin1(g.field)), reportFont(9));
    }
    const double logoW = pxToMm(285), logoH = pxToMm(97);
    b.label({w - logoW, 78, 24, 5}, QStringLiteral("SAGDB No. :"), reportFont(9, true));
    b.value({w - logoW + 25, 78, 40, 5}, bound(G, QStringLiteral("SAGDB")), reportFont(9));
    auto logo = std::make_shared<QImage>();
    b.picture({w - logoW, 85, logoW, logoH}, logo);
    const QString workDir = dm.WorkDir;
    b.beforePrint = [&D, logo, data, workDir] {
        // An unknown supplier prints an empty box, never the last report's logo.
        *logo = QImage();
        const QString supplier = D.fieldByName(QStringLiteral("Glass_Supplier")).asString();
        const QString file = supplierLogoFile(supplier);
        if (!file.isEmpty()) {
            const QString found = data::resolvePicture(workDir, file);
            if (!found.isEmpty()) logo->load(found);
        }
        if (supplier == QLatin1String("Telmar")) data->disclaimer = true;
        return true;
    };
    return b;
}

Band disclaimerBand(const std::shared_ptr<DesignReportData>& data, double width) {
    Band b;
    b.height = 16;
    for (int i = 0; i < 3; ++i)
        b.label({0, 1.0 + 4.5 * i, width, 4.5}, Disclaimer[i], reportFont(7));
    b.beforePrint = [data] { return data->disclaimer; };
    return b;
}

} // namespace

QString supplierLogoFile(const QString& supplier) {
    static const std::pair<const char*, const char*> logos[] = {
        {"Orvane", "Images/OrvaneLogoWhite.jpg"},
        {"Haldor", "Images/HaldorLogoWhite.jpg"},
        {"Brevik", "Images/BrevikLogoWhite.jpg"},
        {"Telmar", "Images/TelmarLogoWhite.jpg"},
    };
    for (const auto& [code, file] : logos)
        if (supplier == QLatin1String(code)) return QString::fromLatin1(file);
    return QString();
}

Document designReport(data::TDM& dm) {
    Report report;
    report.title = QStringLiteral("Fenestration Design Report");
    auto data = std::make_shared<DesignReportData>(dm);
    store::Table& D = dm.DesignTable;
    report.beforeReport = [&D, data] {
        data->disclaimer = false;
        data->profileTypes.setSql(
            QStringLiteral("Select * from SystemProfileType Where System_Name=?"),
            {D.fieldByName(QStringLiteral("System_Name")).asString()});
        data->profileTypes.open();
        data->glazing.setSql(QStringLiteral("Select * from Glazing Where Glass_Code=?"),
                             {D.fieldByName(QStringLiteral("Glass_Code")).asString()});
        data->glazing.open();
    };
    addPageHeader(report, dm.ProjectTable, dm.WorkDir, report.title,
                  QStringLiteral("Project Ref      :"), 27);
    addDesignSummary(report, dm);
    Band& summary = report.bands.back();
    summary.children.push_back(profilesAndGlazing(report, dm, data));
    summary.children.back().children.push_back(disclaimerBand(data, report.page.contentWidth()));
    addPageFooter(report, dm.WorkDir);
    return report.layout();
}

Document designReportWithPicture(data::TDM& dm, const design::GridModel& grid) {
    if (dm.DesignTable.isEmpty())
        QFile::remove(designPictureFile(dm.WorkDir));
    else
        saveDesignPicture(grid, dm.DesignTable, dm.WorkDir);
    return designReport(dm);
}

} // namespace reports
