// A report that cannot be written completely is a failure, and the file that
// was there before stays as it was.
#include "ReportFixture.h"
#include "reports/Output.h"
#include "reports/ReportParts.h"
#include "support/CliRun.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using namespace reports;

namespace {

// A report of `lines` detail bands, each a few dozen characters long.
Document longReport(int lines) {
    Report report;
    int pos = 0;
    report.add(BandKind::Detail, 5)
        .value(
            {0, 0, 180, 5},
            [&pos] { return QStringLiteral("Line %1 of a report that fills the disk").arg(pos); },
            reportFont(9));
    report.data.first = [&pos] { pos = 0; };
    report.data.eof = [&pos, lines] { return pos >= lines; };
    report.data.next = [&pos] { ++pos; };
    return report.layout();
}

QByteArray contents(const QString& file) {
    QFile f(file);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(unreadable)");
}

// A small file system of its own that the test fills up.
struct FullDisk : ::testing::Test {
    void SetUp() override {
        QProcess mount;
        mount.start("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", dir.path()});
        if (!mount.waitForFinished(10000) || mount.exitStatus() != QProcess::NormalExit ||
            mount.exitCode() != 0)
            GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root): "
                         << mount.readAllStandardError().toStdString();
        mounted = true;
    }
    void TearDown() override {
        if (!mounted) return;
        QProcess::execute("umount", {dir.path()});
    }
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
    // Writes an earlier report, then fills what space is left.
    void fillAfter(const QString& earlier) {
        QFile e(file(earlier));
        ASSERT_TRUE(e.open(QIODevice::WriteOnly));
        e.write("the earlier report\n");
        e.close();
        QFile filler(file("filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        const QByteArray block(1024, 'x');
        while (filler.write(block) == block.size()) {
        }
    }
    QTemporaryDir dir;
    bool mounted = false;
};

} // namespace

TEST_F(FullDisk, EveryFormatFailsAndLeavesTheEarlierFileAsItWas) {
    const Document doc = longReport(400);
    for (const char* name : {"r.txt", "r.csv", "r.pdf", "r.xlsx"}) {
        SCOPED_TRACE(name);
        QFile::remove(file("filler"));
        fillAfter(name);
        QString error;
        EXPECT_FALSE(saveDocument(doc, file(name), &error));
        EXPECT_TRUE(error.startsWith("Cannot write")) << error.toStdString();
        EXPECT_EQ(contents(file(name)), "the earlier report\n");
        QFile::remove(file(name));
    }
    // No temporary file stays behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"filler"});
    // With room again the same report is written whole.
    QFile::remove(file("filler"));
    QString error;
    ASSERT_TRUE(saveDocument(doc, file("r.txt"), &error)) << error.toStdString();
    EXPECT_EQ(contents(file("r.txt")), toPlainText(doc).toUtf8());
}

TEST_F(FullDisk, CommandLineReportOnAFullDiskExitsOneWithoutClaimingSuccess) {
    QTemporaryDir work;
    const auto run = [&](QStringList args) {
        return testing_support::runCli(QStringList{"--workdir", work.path()} + args);
    };
    ASSERT_EQ(run({"init"}).rc, 0);
    fillAfter("s.csv");
    const testing_support::CliRun r =
        run({"report", "summary", "SAMPLE-HOUSE", "-o", file("s.csv")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_FALSE(r.out.contains("Wrote"));
    EXPECT_TRUE(r.err.contains("Cannot write")) << r.err.toStdString();
    EXPECT_EQ(contents(file("s.csv")), "the earlier report\n");
}

// A device named as the output is written to in place, every byte checked,
// and never replaced by a file.
TEST(DeviceOutput, DevFullIsAFailureAndStaysADevice) {
    if (!QFileInfo::exists("/dev/full")) GTEST_SKIP() << "no /dev/full here";
    QString error;
    EXPECT_FALSE(writeFileSafely("some bytes", "/dev/full", &error));
    EXPECT_TRUE(error.startsWith("Cannot write /dev/full")) << error.toStdString();

    QTemporaryDir dir;
    const QString link = QDir(dir.path()).filePath("full.txt");
    ASSERT_TRUE(QFile::link("/dev/full", link));
    EXPECT_FALSE(saveDocument(longReport(3), link, &error));
    EXPECT_FALSE(QFileInfo("/dev/full").isFile());
    EXPECT_TRUE(QFileInfo(link).isSymLink());

    // /dev/null takes every byte: a success, and it stays a device too.
    EXPECT_TRUE(writeFileSafely("some bytes", "/dev/null", &error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo("/dev/null").isFile());
}
