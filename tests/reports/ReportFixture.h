#pragma once

#include "data/DataModule.h"
#include "reports/Engine.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

// A working folder seeded with the shipped catalogue and sample project, the
// data module on it with the tables linked as the main window links them,
// standing on the sample project.
struct ReportData : ::testing::Test {
    void SetUp() override;
    void TearDown() override { dm.reset(); }
    // A new project with the given designs (storey, reference, qty, area, U, SHGC).
    struct DesignRow {
        QString floor, ref;
        int qty;
        double area, u, shgc;
        QString glassCode = QStringLiteral("OR-4CL");
    };
    void addProject(const QString& ref, const std::vector<DesignRow>& designs);
    QTemporaryDir work, config;
    testing_support::RecordingMessages messages;
    std::unique_ptr<data::TDM> dm;
};

// The text pdftotext (layout mode) reads from the document's PDF, pages
// separated by form feeds.
QString pdfText(const reports::Document& doc);
// The PDF as PNG pages at 60 dots to the inch, written as `stem`-N.png.
QStringList pdfPages(const reports::Document& doc, const QString& stem);
// One page's lines with runs of spaces folded to one.
QStringList foldedLines(const QString& text);
// Checks that the texts occur in `all` in the order given.
void expectInOrder(const QString& all, const QStringList& texts);
