#include "ReportFixture.h"

#include "cli/ProjectSetup.h"
#include "reports/Output.h"
#include "store/Table.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

void ReportData::SetUp() {
    dm = std::make_unique<data::TDM>(messages, work.path(),
                                    store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    ASSERT_TRUE(dm->tablesOpen()) << messages.errors.join("\n").toStdString();
    ASSERT_TRUE(cli::openProject(*dm, "SAMPLE-HOUSE"));
}

void ReportData::addProject(const QString& ref, const std::vector<DesignRow>& designs) {
    store::Table project(dm->database(), "Project");
    project.open();
    project.append();
    project.fieldByName("Project_Ref").setAsString(ref);
    project.fieldByName("Project_Name").setAsString("Test " + ref);
    project.fieldByName("Project_Date").setAsDate(QDate(2025, 6, 1));
    project.fieldByName("Designed_By").setAsString("Tester");
    project.post();
    store::Table design(dm->database(), "Design");
    design.open();
    int no = 0;
    for (const DesignRow& d : designs) {
        design.append();
        design.fieldByName("Project_Ref").setAsString(ref);
        design.fieldByName("Design_No").setAsInteger(++no);
        design.fieldByName("Design_Ref").setAsString(d.ref);
        design.fieldByName("Design_Qty").setAsInteger(d.qty);
        design.fieldByName("System_Name").setAsString("Casement 38");
        design.fieldByName("Finish").setAsString("Powder Coat");
        design.fieldByName("Glass_Code").setAsString(d.glassCode);
        design.fieldByName("Floor").setAsString(d.floor);
        design.fieldByName("Elevation").setAsString("N");
        design.fieldByName("Window_Area").setAsFloat(d.area);
        design.fieldByName("U_Factor").setAsFloat(d.u);
        design.fieldByName("SHGC").setAsFloat(d.shgc);
        design.post();
    }
    dm->ProjectTable.refresh();
    ASSERT_TRUE(dm->ProjectTable.findKey({ref}));
}

namespace {

QString writeTemp(const reports::Document& doc, QTemporaryDir& dir) {
    const QString file = dir.filePath("report.pdf");
    QString error;
    EXPECT_TRUE(reports::saveDocument(doc, file, &error)) << error.toStdString();
    return file;
}

} // namespace

QString pdfText(const reports::Document& doc) {
    QTemporaryDir dir;
    const QString file = writeTemp(doc, dir);
    QProcess p;
    p.start("pdftotext", {"-layout", file, "-"});
    EXPECT_TRUE(p.waitForFinished(20000));
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList pdfPages(const reports::Document& doc, const QString& stem) {
    QTemporaryDir dir;
    const QString file = writeTemp(doc, dir);
    QProcess p;
    p.start("pdftoppm", {"-png", "-r", "60", file, stem});
    EXPECT_TRUE(p.waitForFinished(20000));
    QFileInfo info(stem);
    return QDir(info.absolutePath())
        .entryList({info.fileName() + "-*.png"}, QDir::Files, QDir::Name);
}

QStringList foldedLines(const QString& text) {
    static const QRegularExpression spaces("\\s+");
    QStringList lines;
    for (QString line : text.split('\n')) {
        line = line.replace(spaces, " ").trimmed();
        if (!line.isEmpty()) lines << line;
    }
    return lines;
}

void expectInOrder(const QString& all, const QStringList& texts) {
    qsizetype at = 0;
    for (const QString& text : texts) {
        const qsizetype found = all.indexOf(text, at);
        EXPECT_GE(found, 0) << "missing or out of order: " << text.toStdString();
        if (found >= 0) at = found + text.size();
    }
}
