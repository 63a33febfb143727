#pragma once

#include "data/DataModule.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace exchange_testing {

// A data module on a working folder seeded with the shipped catalogue,
// standard designs and sample project, linked as the main window links it,
// with a stand-in main window. The installed pictures are replaced by an
// empty folder so that a test decides which pictures exist.
struct Exchange : ::testing::Test {
    void SetUp() override;
    void TearDown() override;

    static void link(store::Table& detail, store::Table& master, const QStringList& fields);
    // Rows of a table matching `where`, counted below every cursor.
    int rows(const QString& table, const QString& where = QString(),
             const QVariantList& params = {});
    // Every table's row count, to prove that a refused command wrote nothing.
    std::map<QString, int> allCounts();
    // Adds a project and designs as plain rows (no events).
    void addProject(const QString& ref, const QString& name, const QVariant& defWL = 1000);
    void addDesign(const QString& ref, int no, const QString& designRef, const QString& system,
                   double dimH1 = 600);
    void addCells(const QString& ref, int no, const QString& word);
    void writePicture(const QString& relativePath);

    QTemporaryDir work, config, noPictures;
    testing_support::RecordingMessages messages;
    testing_support::FakeMainWindow window;
    std::unique_ptr<data::TDM> dm;
};

} // namespace exchange_testing
