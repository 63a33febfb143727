// Project folders under failure: a full disk, a killed process, a second writer.
// Nothing committed is lost and nothing half-made stays behind.
#include "FolderFixture.h"
#include "exchange/ProjectFolder.h"
#include "store/Sqlite.h"
#include "store/StoreError.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <gtest/gtest.h>

using namespace folder_fixture;
using testing_support::RecordingMessages;
using testing_support::ScratchDatabase;

namespace {

// A small tmpfs mounted for the test's life; `ok` is false where mounting is not allowed.
struct SmallDisk {
    explicit SmallDisk(const char* size) {
        ok = QProcess::execute("mount", {"-t", "tmpfs", "-o", QStringLiteral("size=%1").arg(size),
                                         "tmpfs", dir.path()}) == 0;
    }
    ~SmallDisk() {
        if (ok) QProcess::execute("umount", {dir.path()});
    }
    QString file(const QString& name) const { return QDir(dir.path()).filePath(name); }
    QTemporaryDir dir;
    bool ok = false;
};

// Fills the disk with ballast, then gives back `room` bytes of it.
void fillUp(const QString& file, qint64 room) {
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(4096, 'x');
    while (f.write(block) == block.size()) {
    }
    f.close();
    ASSERT_TRUE(f.resize(std::max<qint64>(0, f.size() - room)));
}

QString fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll().toBase64()) : QString();
}

} // namespace

TEST(ProjectFolderFailure, AnExportThatFillsTheDiskLeavesTheEarlierFolderAsItWas) {
    SmallDisk disk("300k");
    if (!disk.ok) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    ScratchDatabase source;
    fillProject(*source.db, "SMALL", 1);
    fillProject(*source.db, "BIG", 200);
    exchange::SaveProject(*source.db, "SMALL", disk.dir.path());
    std::map<QString, QString> earlier;
    for (const QString& name : QDir(disk.dir.path()).entryList(QDir::Files))
        earlier[name] = fileBytes(disk.file(name));
    ASSERT_EQ(earlier.size(), 9u);

    RecordingMessages messages;
    EXPECT_FALSE(exchange::saveProjectFolder(*source.db, "BIG", disk.dir.path(), messages));
    ASSERT_EQ(messages.errors.size(), 1);
    EXPECT_TRUE(messages.errors.first().contains("full", Qt::CaseInsensitive))
        << messages.errors.first().toStdString();
    std::map<QString, QString> now;
    for (const QString& name : QDir(disk.dir.path()).entryList(QDir::Files | QDir::Hidden))
        now[name] = fileBytes(disk.file(name));
    EXPECT_EQ(now, earlier);

    ScratchDatabase target;
    exchange::LoadProject(*target.db, disk.dir.path());
    EXPECT_EQ(dumpTable(*target.db, "DesignImage"), dumpTable(*source.db, "DesignImage", "SMALL"));
}

TEST(ProjectFolderFailure, ALoadThatFillsTheDiskChangesNothing) {
    SmallDisk disk("2m");
    if (!disk.ok) GTEST_SKIP() << "cannot mount a small tmpfs here (needs root)";
    ExportedProject source("BIG", 200);

    auto target = store::Database::create(disk.file("Quorvex.db"));
    target->createDataFolderTables();
    fillProject(*target, "KEEP", 2);
    const QString before = dumpDatabase(*target);
    fillUp(disk.file("ballast"), 160 * 1024);

    RecordingMessages messages;
    EXPECT_FALSE(exchange::loadProjectFolder(*target, source.folder(), messages));
    ASSERT_EQ(messages.errors.size(), 1);
    EXPECT_TRUE(messages.errors.first().contains("full", Qt::CaseInsensitive))
        << messages.errors.first().toStdString();
    EXPECT_EQ(dumpDatabase(*target), before);
    EXPECT_EQ(target->integrityCheck(), "ok");

    // With room again the same folder loads.
    QFile::remove(disk.file("ballast"));
    EXPECT_TRUE(exchange::loadProjectFolder(*target, source.folder(), messages));
    EXPECT_EQ(dumpTable(*target, "DesignImage", "BIG"),
              dumpTable(*source.db, "DesignImage", "BIG"));
    target.reset();
}

TEST(ProjectFolderFailure, AProcessKilledDuringALoadLeavesTheDataFolderBeforeOrAfterIt) {
    ExportedProject source("BIG", 200);

    QTemporaryDir work;
    const QString base = QDir(work.path()).filePath("base.db");
    QString before, after;
    {
        auto db = store::Database::create(base);
        db->createDataFolderTables();
        fillProject(*db, "KEEP", 2);
        fillProject(*db, "BIG", 3, 7);
        before = dumpDatabase(*db);
    }
    {
        const QString loaded = QDir(work.path()).filePath("loaded.db");
        ASSERT_TRUE(QFile::copy(base, loaded));
        auto db = store::Database::open(loaded);
        exchange::LoadProject(*db, source.folder());
        after = dumpDatabase(*db);
    }
    ASSERT_NE(before, after);

    int unchanged = 0, complete = 0;
    for (int delay : {0, 30, 60, 90, 120, 150, 180, 210, 250, 400, 700}) {
        SCOPED_TRACE(delay);
        const QString run = QDir(work.path()).filePath(QStringLiteral("run%1.db").arg(delay));
        ASSERT_TRUE(QFile::copy(base, run));
        QProcess loader;
        loader.start(QStringLiteral(FOLDER_LOADER), {run, source.folder()});
        ASSERT_TRUE(loader.waitForStarted());
        while (!loader.canReadLine() && loader.waitForReadyRead(10000)) {
        }
        ASSERT_EQ(loader.readLine().trimmed(), "start");
        QThread::msleep(delay);
        loader.kill();
        loader.waitForFinished();

        auto db = store::Database::open(run);
        EXPECT_EQ(db->integrityCheck(), "ok");
        const QString now = dumpDatabase(*db);
        EXPECT_TRUE(now == before || now == after);
        (now == before ? unchanged : complete) += 1;
    }
    std::printf("killed loads: %d left the data folder unchanged, %d complete\n", unchanged,
                complete);
}

TEST(ProjectFolderFailure, ALoadWhileAnotherProgramWritesWaitsThenChangesNothing) {
    ExportedProject source("JOB-1", 2);
    ScratchDatabase target;
    fillProject(*target.db, "KEEP", 1);
    const QString before = dumpDatabase(*target.db);

    // Another program holds the write lock for longer than the busy timeout.
    store::sql::Connection other(target.file(), store::sql::Connection::Mode::OpenExisting);
    other.exec("BEGIN IMMEDIATE");
    other.exec("INSERT INTO Project (Project_Ref) VALUES ('OTHER')");
    RecordingMessages messages;
    EXPECT_FALSE(exchange::loadProjectFolder(*target.db, source.folder(), messages));
    ASSERT_EQ(messages.errors.size(), 1);
    EXPECT_TRUE(messages.errors.first().contains("locked"))
        << messages.errors.first().toStdString();
    other.exec("ROLLBACK");
    EXPECT_EQ(dumpDatabase(*target.db), before);
    EXPECT_TRUE(exchange::loadProjectFolder(*target.db, source.folder(), messages));
}
