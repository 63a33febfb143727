// One kind of damage per test, on a seeded folder with small pages (so that
// DesignImage's tree has interior pages below its root) and long glazing
// notes (so that rows continue on overflow pages). The rows that must
// survive come from the page map of the undamaged file, and the rebuilt
// tables are compared row by row with them.
#include "SampleFolder.h"
#include "maintenance/Procedures.h"
#include "store/Database.h"
#include "store/FolderMark.h"
#include "tablerepair/Headless.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <set>

namespace {

std::vector<QString> sorted(std::vector<QString> v) {
    std::sort(v.begin(), v.end());
    return v;
}

struct Damage : ::testing::Test {
    void SetUp() override {
        folder = QDir(tmp.path()).filePath("Data");
        sample::makeDataFolder(folder, 12);
        file = maintenance::databaseFileOf(folder);
        sample::exec(file, "UPDATE Glazing SET Notes = printf('%.*c', 3000 + rowid, 'n') || rowid "
                           "WHERE rowid % 4 = 1");
        sample::exec(file, "PRAGMA journal_mode=DELETE; PRAGMA page_size=1024; VACUUM;");
        ASSERT_EQ(sample::pageSize(file), 1024);
    }
    int rebuild() {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        return tablerepair::runHeadless({"tablerepair", "--rebuild", folder, "--no-backup"},
                                        QDir(tmp.path()).filePath("work"), o, e);
    }
    QString lineOf(const QString& table) const {
        for (const QString& l : out.split('\n'))
            if (l.startsWith(table + ": ")) return l.mid(table.size() + 2);
        return {};
    }
    // The work folders the runs left, oldest first.
    QStringList runFolders() const {
        return QDir(QDir(tmp.path()).filePath("work"))
            .entryList({"Rebuild-*"}, QDir::Dirs, QDir::Name);
    }
    std::vector<QString> workRows(const QString& run, const QString& workFile,
                                  const QString& table) const {
        const QString path = QDir(tmp.path()).filePath("work/" + run + "/" + workFile);
        return QFile::exists(path) ? sample::rowTexts(path, table) : std::vector<QString>{};
    }
    long long leafOf(const QString& table, bool interior, bool root) {
        const std::vector<sample::Page> pages = sample::pagesOf(file, table);
        std::vector<long long> picked;
        for (const sample::Page& p : pages)
            if (p.leaf != interior && (p.path == "/") == root) picked.push_back(p.pageNo);
        EXPECT_FALSE(picked.empty()) << table.toStdString();
        return picked.empty() ? 0 : picked[picked.size() / 2];
    }
    // Damages the file, rebuilds, and checks `table` against the rows on the
    // pages `lost` leaves intact. Prints the row of the damage table.
    sample::Expected expectRebuild(const char* kind, const QString& table,
                                   const std::function<bool(long long)>& lost,
                                   const std::function<void()>& damage, int exitCode,
                                   const QString& status) {
        const sample::Expected expected = sample::expectedRows(file, table, lost);
        const long long before = sample::rowTexts(file, table).size();
        damage();
        EXPECT_EQ(rebuild(), exitCode) << out.toStdString() << err.toStdString();
        const QString line = lineOf(table);
        EXPECT_TRUE(line.startsWith(status)) << line.toStdString();
        const std::vector<QString> kept = sample::rowTexts(file, table);
        EXPECT_EQ(sorted(kept), sorted(expected.onIntactPages)) << kind;
        // Rows cut off from their long values are named in the problem table.
        const QString run = runFolders().value(0);
        std::vector<QString> problemRows;
        for (const QString& r : workRows(run, "PROBLEM.DB", table))
            if (r.split('|')[4] != "<null>") problemRows.push_back(r);
        EXPECT_EQ(problemRows.size(), expected.cutOff.size()) << kind;
        // Nothing is left damaged, and the next rebuild finds nothing to mend.
        EXPECT_EQ(store::Database::open(file)->integrityCheck(), "ok") << kind;
        const QString first = out;
        EXPECT_EQ(rebuild(), 0) << kind << out.toStdString();
        out = first;
        if (getenv("QUORVEX_DAMAGE_TABLE"))
            std::printf("| %s | %lld | %zu | %zu | %zu | %lld | %d | %s |\n", kind, before,
                        expected.onIntactPages.size(), kept.size(), problemRows.size(),
                        before - qint64(kept.size()) - qint64(problemRows.size()), exitCode,
                        qPrintable(line.left(line.indexOf(" (found"))));
        return expected;
    }
    QTemporaryDir tmp;
    QString folder, file, out, err;
};

TEST_F(Damage, ALeafOverwrittenWholeLosesOnlyItsRowsAndSaysHowMany) {
    const long long leaf = leafOf("DesignImage", false, false);
    const long long cells = [&] {
        for (const sample::Page& p : sample::pagesOf(file, "DesignImage"))
            if (p.pageNo == leaf) return p.cells;
        return 0LL;
    }();
    expectRebuild(
        "leaf page overwritten whole", "DesignImage", [&](long long p) { return p == leaf; },
        [&] { sample::overwritePage(file, leaf, 3); }, 3,
        QStringLiteral("Rebuilt: %1 rows on 1 unreadable page lost").arg(cells));
    EXPECT_TRUE(lineOf("Design").startsWith("Rebuild complete. (found "));
}

TEST_F(Damage, GarbledCellPointersLoseThatPageOnlyAndNoJunkRowGetsIn) {
    const long long leaf = leafOf("DesignImage", false, false);
    expectRebuild(
        "cell pointers garbled", "DesignImage", [&](long long p) { return p == leaf; },
        [&] { sample::overwriteBytes(file, (leaf - 1) * 1024 + 8, 40, 9); }, 3, "Rebuilt: ");
}

TEST_F(Damage, AnInteriorPageBelowTheRootLosesNoRow) {
    const long long interior = leafOf("DesignImage", true, false);
    expectRebuild(
        "interior page", "DesignImage", [](long long) { return false; },
        [&] { sample::overwritePage(file, interior, 4); }, 0, "Rebuild complete. (found");
    EXPECT_TRUE(lineOf("DesignImage").endsWith("unreadable pages 1)")) << out.toStdString();
}

TEST_F(Damage, ALostRootPageLosesNoRowOfAShapeNoOtherTableHas) {
    const long long root = leafOf("DesignImage", true, true);
    expectRebuild(
        "root page", "DesignImage", [](long long) { return false; },
        [&] { sample::overwritePage(file, root, 5); }, 0, "Rebuild complete.");
}

TEST_F(Damage, ABrokenOverflowChainNamesItsRowAsDamaged) {
    const std::vector<long long> overflow = sample::overflowPagesOf(file, "Glazing");
    ASSERT_GT(overflow.size(), 6u);
    const long long page = overflow[overflow.size() / 2];
    const sample::Expected expected = expectRebuild(
        "overflow page of a long Notes", "Glazing", [&](long long p) { return p == page; },
        [&] { sample::overwritePage(file, page, 6); }, 0, "Rebuild complete.");
    ASSERT_EQ(expected.cutOff.size(), 1u);
    // The damaged row stands in the problem table with its key and the reason.
    const std::vector<QString> problems = workRows(runFolders().value(0), "PROBLEM.DB", "Glazing");
    ASSERT_EQ(problems.size(), 1u);
    const QStringList cols = problems[0].split('|');
    EXPECT_TRUE(cols[3].startsWith("overflow page")) << problems[0].toStdString();
    EXPECT_EQ(cols[6], expected.cutOff[0].split('|')[0]);
}

TEST_F(Damage, AKeyIndexPageLosesNoRow) {
    std::vector<long long> leaves;
    for (const sample::Page& p : sample::pagesOf(file, "DesignImage_key"))
        if (p.leaf) leaves.push_back(p.pageNo);
    ASSERT_GT(leaves.size(), 3u);
    expectRebuild(
        "key index page", "DesignImage", [](long long) { return false; },
        [&] { sample::overwritePage(file, leaves[leaves.size() / 2], 7); }, 0, "Rebuild complete.");
}

TEST_F(Damage, AFreeListTrunkOverwrittenBringsNoDeletedRowBack) {
    sample::exec(file, "DELETE FROM DesignImage WHERE Project_Ref IN ('P00003', 'P00007')");
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray head = f.read(40);
    f.close();
    const long long trunk = qFromBigEndian<quint32>(head.constData() + 32);
    ASSERT_GT(trunk, 1);
    expectRebuild(
        "free-list trunk", "DesignImage", [](long long) { return false; },
        [&] { sample::overwritePage(file, trunk, 8); }, 0, "Rebuild complete.");
}

TEST_F(Damage, ATruncatedFileKeepsEveryRowOnThePagesLeft) {
    const long long pages = QFileInfo(file).size() / 1024;
    const long long keptPages = pages * 8 / 10;
    auto cut = [&](long long p) { return p > keptPages; };
    // The table that loses most rows to the cut is checked.
    QString table;
    long long most = 0;
    for (const QString& t : maintenance::tableNamesOf(folder))
        if (const long long lost = sample::expectedRows(file, t, cut).onLostPages; lost > most)
            table = t, most = lost;
    ASSERT_FALSE(table.isEmpty());
    expectRebuild(
        "file truncated", table, cut, [&] { sample::truncateFile(file, keptPages * 1024); }, 3,
        "Rebuilt: ");
}

TEST_F(Damage, AZeroedHeaderIsWrittenAfreshWithEveryRow) {
    expectRebuild(
        "header zeroed", "DesignImage", [](long long) { return false; },
        [&] {
            QFile f(file);
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.write(QByteArray(100, '\0'));
        },
        0, "Rebuild complete.");
}

TEST_F(Damage, EachRunKeepsItsOwnKeyViolationsAndOriginals) {
    sample::exec(file, "DROP INDEX Project_key; INSERT INTO Project (Project_Ref, Project_Name) "
                       "VALUES ('P00003', 'Second copy'); CREATE INDEX Project_key ON "
                       "Project (Project_Ref)");
    EXPECT_EQ(rebuild(), 0) << err.toStdString();
    EXPECT_TRUE(lineOf("Project").contains("KEYVIOL 1,")) << out.toStdString();
    EXPECT_TRUE(
        out.contains("Rows moved aside, unreadable pages and the original rows are kept in "));
    EXPECT_EQ(rebuild(), 0);
    EXPECT_EQ(rebuild(), 0);
    // The first run's folder still holds the repeated row and the originals;
    // the clean runs after it left nothing behind.
    ASSERT_EQ(runFolders().size(), 1) << runFolders().join(",").toStdString();
    const std::vector<QString> repeats = workRows(runFolders()[0], "KEYVIOL.DB", "Project");
    ASSERT_EQ(repeats.size(), 1u);
    EXPECT_TRUE(repeats[0].startsWith("P00003|Second copy|"));
    EXPECT_EQ(workRows(runFolders()[0], "Backup.Db", "Project").size(),
              sample::rowTexts(file, "Project").size() + 1);
}

// A program of this project holding the folder, in each journal mode.
TEST_F(Damage, AFolderInUseIsNeverRebuiltInAnyJournalMode) {
    for (const char* mode : {"DELETE", "TRUNCATE", "PERSIST", "WAL"}) {
        QProcess holder;
        holder.start(FOLDER_HOLDER, {tmp.path(), mode});
        ASSERT_TRUE(holder.waitForReadyRead(20000)) << mode;
        ASSERT_EQ(holder.readLine().trimmed(), QByteArray("open ") + QByteArray(mode).toLower());
        const std::vector<QString> before = sample::rowTexts(file, "DesignImage");
        EXPECT_EQ(rebuild(), 1) << mode;
        EXPECT_TRUE(err.startsWith(store::FolderMark::inUseMessage())) << err.toStdString();
        EXPECT_TRUE(runFolders().isEmpty()) << mode;
        EXPECT_EQ(sample::rowTexts(file, "DesignImage"), before);
        holder.closeWriteChannel();
        ASSERT_TRUE(holder.waitForFinished(20000));
    }
    // While a rebuild holds the folder, a program cannot open it.
    {
        const auto rebuilding = store::FolderMark::take(folder, store::FolderMark::Kind::Exclusive);
        ASSERT_TRUE(rebuilding);
        QProcess holder;
        holder.start(FOLDER_HOLDER, {tmp.path(), "WAL"});
        ASSERT_TRUE(holder.waitForFinished(20000));
        EXPECT_EQ(holder.exitCode(), 1);
        EXPECT_TRUE(holder.readAll().contains("in use by another program"));
    }
    EXPECT_EQ(rebuild(), 0) << err.toStdString();
}

} // namespace
