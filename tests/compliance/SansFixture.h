#pragma once

#include "ReportFixture.h"

#include <vector>

// The shipped data folder with a test zone 9 (conductance 0.5, solar heat gain
// 0.06 per m2) whose P/H 0.20 row gives N 0.8 and E 1.0, and a way to add a
// project of designs with their storeys and orientations.
struct SansData : ReportData {
    void SetUp() override;
    struct Window {
        QString floor, ref, elevation;
        int qty;
        double area, u, shgc;
    };
    // A new project (current afterwards) with the tables linked for the analysis.
    void addSansProject(const QString& ref, const std::vector<Window>& windows);
    // Adds or replaces a storey row.
    void setStorey(const QString& floor, const QVariant& netArea, const QVariant& ratio,
                   bool fillFactors = true);
    void setZone(int zone);
    // The project's ProjectResults row of a storey, as a field -> value map.
    QVariantMap result(const QString& floor);
    int resultCount();
    // The DesignResults row of a design.
    QVariantMap designResult(int designNo);
};

// The worked storey: quantity 2 of 1.5 m2 at U 4.0, SHGC 0.5 facing N (0.8)
// and quantity 1 of 2.0 m2 at U 3.0, SHGC 0.6 facing E (1.0).
std::vector<SansData::Window> workedStorey(const QString& floor = QStringLiteral("1"));
