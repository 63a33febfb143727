// Real glazecalc-cli processes on one data folder: two writers at once, and a
// first start killed while it fills a new data folder.
#include "data/DataFolder.h"
#include "data/DataModule.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>

using testing_support::RecordingMessages;
using testing_support::rowCount;

namespace {

// Child processes read their aliases from a configuration of their own.
QProcessEnvironment childEnvironment(const QString& configHome) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    env.insert(QStringLiteral("HOME"), configHome);
    env.remove(QStringLiteral("QUORVEX_DATA_DIR"));
    return env;
}

struct SharedFolder : ::testing::Test {
    void start(QProcess& p, const QStringList& args) {
        p.setProcessEnvironment(childEnvironment(config.path()));
        p.setProgram(QStringLiteral(GLAZECALC_CLI));
        p.setArguments(QStringList{"--workdir", work.path()} + args);
        p.start();
        ASSERT_TRUE(p.waitForStarted());
    }
    int runToEnd(const QStringList& args) {
        QProcess p;
        start(p, args);
        p.waitForFinished(60000);
        return p.exitCode();
    }
    QString dataDir() const { return QDir(work.path()).filePath("Data"); }
    QStringList leftovers() const {
        return QDir(work.path())
            .entryList({"Data.*"}, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    }
    QTemporaryDir work, config;
};

} // namespace

TEST_F(SharedFolder, TwoProgramsWritingOneFolderForSeveralSecondsNeverFail) {
    ASSERT_EQ(runToEnd({"init"}), 0);
    // One recalculates the whole sample project, the other one design and the
    // project's rational figures, over and over.
    const QList<QStringList> jobs[2] = {
        {{"calc", "SAMPLE-HOUSE"}},
        {{"calc", "SAMPLE-HOUSE", "2"}, {"rational", "SAMPLE-HOUSE", "--target", "500"}}};
    QProcess procs[2];
    int runs[2] = {0, 0};
    QStringList failures;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 2; ++i)
        start(procs[i], jobs[i][0]);
    for (bool running = true; running && clock.elapsed() < 60000;) {
        running = false;
        for (int i = 0; i < 2; ++i) {
            if (procs[i].state() == QProcess::NotRunning) continue;
            if (!procs[i].waitForFinished(20)) {
                running = true;
                continue;
            }
            const QString err = QString::fromUtf8(procs[i].readAllStandardError());
            if (procs[i].exitStatus() != QProcess::NormalExit || procs[i].exitCode() != 0 ||
                err.contains("locked") || err.contains("in use"))
                failures << QStringLiteral("%1 -> %2: %3")
                                .arg(procs[i].arguments().join(' '))
                                .arg(procs[i].exitCode())
                                .arg(err);
            ++runs[i];
            // Several seconds of both writing at once.
            if (clock.elapsed() < 5000) {
                start(procs[i], jobs[i][runs[i] % jobs[i].size()]);
                running = true;
            }
        }
    }
    EXPECT_TRUE(failures.isEmpty()) << failures.join("\n").toStdString();
    EXPECT_GE(runs[0], 3);
    EXPECT_GE(runs[1], 3);

    RecordingMessages messages;
    data::TDM dm(messages, work.path(),
                 store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    ASSERT_TRUE(dm.tablesOpen());
    EXPECT_EQ(dm.database()->integrityCheck(), "ok");
    EXPECT_EQ(rowCount(*dm.database(), "ProjectRational",
                       "Project_Ref = 'SAMPLE-HOUSE' AND Tgt_EnergyLoss = 500"),
              1);
}

// Killed anywhere while it seeds, a first start leaves no data folder that
// could pass for a usable one; the next start builds a complete one and clears
// away what the killed one left.
TEST_F(SharedFolder, SeedingKilledAtRandomMomentsThenANormalStart) {
    const quint32 seed = QRandomGenerator::global()->generate();
    SCOPED_TRACE(QStringLiteral("random seed %1").arg(seed).toStdString());
    QRandomGenerator random(seed);
    QElapsedTimer clock;
    clock.start();
    ASSERT_EQ(runToEnd({"init"}), 0);
    const int fullRun = int(clock.elapsed());
    // Every table's row count of a complete folder.
    auto counts = [&](store::Database& db) {
        QStringList c;
        for (const QString& t : db.tableNames())
            c << QStringLiteral("%1 %2").arg(t).arg(rowCount(db, t));
        return c;
    };
    const QStringList complete = [&] {
        RecordingMessages m;
        data::TDM dm(m, work.path(), store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        return counts(*dm.database());
    }();
    ASSERT_EQ(complete.size(), 23);

    int interrupted = 0;
    for (int attempt = 0; attempt < 12; ++attempt) {
        QDir(dataDir()).removeRecursively();
        QProcess seeding;
        start(seeding, {"init"});
        QThread::msleep(random.bounded(fullRun + 1));
        seeding.kill();
        seeding.waitForFinished();
        if (!QFileInfo::exists(data::databaseFile(dataDir()))) ++interrupted;

        RecordingMessages messages;
        data::TDM dm(messages, work.path(),
                     store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        ASSERT_TRUE(dm.tablesOpen()) << messages.errors.join('\n').toStdString();
        EXPECT_TRUE(messages.errors.isEmpty());
        EXPECT_EQ(counts(*dm.database()), complete);
        EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();
    }
    // Most kills land while the folder is being filled.
    EXPECT_GT(interrupted, 0);
}

TEST_F(SharedFolder, LeftoverTemporaryFolderIsRemovedAtTheNextStart) {
    // What a crash during seeding left: a temporary folder with an empty database.
    const QString partial = dataDir() + ".partial-abc123";
    ASSERT_TRUE(QDir().mkpath(partial));
    QFile empty(QDir(partial).filePath("Quorvex.db"));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    {
        RecordingMessages messages;
        data::TDM dm(messages, work.path(),
                     store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
        ASSERT_TRUE(dm.tablesOpen());
        EXPECT_GT(rowCount(*dm.database(), "Project"), 0);
    }
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();

    // Beside a complete folder too (another program finished the seeding).
    ASSERT_TRUE(QDir().mkpath(partial));
    RecordingMessages messages;
    data::TDM dm(messages, work.path(),
                 store::AliasRegistry(QDir(config.path()).filePath("a.ini")));
    EXPECT_TRUE(dm.tablesOpen());
    EXPECT_TRUE(leftovers().isEmpty()) << leftovers().join(' ').toStdString();
}
