// Timings of the reports: one design report and a summary of a 200-design
// project, each laid out and written as PDF in memory.
#include "data/DataModule.h"
#include "SilentMessages.h"
#include "data/Messages.h"
#include "cli/ProjectSetup.h"
#include "design/GridModel.h"
#include "reports/DesignReport.h"
#include "reports/Output.h"
#include "reports/ProjectReports.h"
#include "store/Table.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

struct Folder {
    Folder()
        : dm(messages, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini"))) {}
    QTemporaryDir work, config;
    SilentMessages messages;
    data::TDM dm;
};

qint64 pdfBytes(const reports::Document& doc) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    reports::writePdf(doc, buffer);
    return bytes.size();
}

void BM_DesignReportPdf(benchmark::State& state) {
    Folder f;
    cli::openProject(f.dm, "SAMPLE-HOUSE");
    f.dm.DesignTable.findKey({"SAMPLE-HOUSE", 1});
    design::GridModel grid;
    grid.setSpan(0, 0, 2, 2);
    grid.SetCellMode(0, 0, design::Fixed);
    for (auto _ : state)
        benchmark::DoNotOptimize(pdfBytes(reports::designReportWithPicture(f.dm, grid)));
}
BENCHMARK(BM_DesignReportPdf)->Unit(benchmark::kMillisecond);

void BM_Summary200Pdf(benchmark::State& state) {
    Folder f;
    store::Table design(f.dm.database(), "Design");
    design.open();
    for (int i = 1; i <= 200; ++i) {
        design.append();
        design.fieldByName("Project_Ref").setAsString("SAMPLE-HOUSE");
        design.fieldByName("Design_No").setAsInteger(100 + i);
        design.fieldByName("Design_Ref").setAsString(QString("B%1").arg(i, 3, 10, QChar('0')));
        design.fieldByName("Design_Qty").setAsInteger(1 + i % 3);
        design.fieldByName("System_Name").setAsString("Casement 38");
        design.fieldByName("Glass_Code").setAsString("OR-4CL");
        design.fieldByName("Floor").setAsString(QString::number(i % 5));
        design.fieldByName("Window_Area").setAsFloat(1.2);
        design.fieldByName("U_Factor").setAsFloat(5.9);
        design.post();
    }
    cli::openProject(f.dm, "SAMPLE-HOUSE");
    int pages = 0;
    for (auto _ : state) {
        const reports::Document doc = reports::summaryReport(f.dm);
        pages = int(doc.pages.size());
        benchmark::DoNotOptimize(pdfBytes(doc));
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_Summary200Pdf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
