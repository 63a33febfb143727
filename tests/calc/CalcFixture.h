#pragma once

#include "data/DataModule.h"
#include "design/DesignRecords.h"
#include "design/GridModel.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace calc_testing {

using Values = std::vector<std::pair<QString, QVariant>>;

void addRow(store::Database& db, const QString& table, const Values& values);

// A data folder holding one small catalogue, system "Sys" with "Fixed" and
// "Top" sashes, glass "G1", every member 50 mm deep with frame U 5 and edge
// U 3, centre of glass U 2 and SHGC 0.5, and project "P1" without designs.
void fillCatalogue(store::Database& db);

// Design `no` of P1: one system, finish, glass and profiles that all have
// values; `extra` overrides or adds fields.
void addDesign(store::Database& db, int no, const QString& ref, const Values& extra = {});

// A data module on a fresh folder filled with that catalogue, with the links
// the main window keeps.
struct CalcModule : ::testing::Test {
    void SetUp() override;
    void TearDown() override;
    void openModule();
    void saveCells(int designNo, const design::GridModel& grid);
    double designValue(int no, const char* field);

    QTemporaryDir work, config, emptyData;
    testing_support::RecordingMessages messages;
    testing_support::FakeMainWindow window;
    std::unique_ptr<data::TDM> dm;
};

} // namespace calc_testing
