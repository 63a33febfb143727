// Two programs on one data folder: a writer waits for the other's lock instead
// of failing, gives up plainly when it outlasts the timeout, and the journal
// suits the file system the folder lies on.
#include "store/FileSystem.h"
#include "store/StoreError.h"
#include "store/Table.h"
#include "support/ServerCluster.h"
#include "support/TestSupport.h"

#include <QElapsedTimer>
#include <gtest/gtest.h>

using namespace store;
using testing_support::rowCount;
using testing_support::ScratchDatabase;

namespace {

void addDesign(Table& t, int no) {
    t.append();
    t.fieldByName("Project_Ref").setAsString("P");
    t.fieldByName("Design_No").setAsInteger(no);
    t.post();
}

QString pragma(Database& db, const char* name) {
    sql::Statement st(db.connection(), QStringLiteral("PRAGMA %1").arg(QLatin1String(name)));
    st.step();
    return st.column(0).toString();
}

struct ProbeStub {
    explicit ProbeStub(const QString& type) {
        setFileSystemProbe([type](const QString&) { return type; });
    }
    ~ProbeStub() { setFileSystemProbe({}); }
};

} // namespace

// A cursor that has read a row must not keep the snapshot of that moment: a
// later write of this program would then have to upgrade a stale read, which
// SQLite refuses at once with "database is locked" instead of waiting.
TEST(SharedUse, WriteAfterAnotherProgramCommittedDoesNotFailOnAnOldSnapshot) {
    ScratchDatabase s;
    Table mine(s.db.get(), "Design");
    mine.open();
    addDesign(mine, 1);
    mine.first();
    ASSERT_TRUE(mine.findKey({"P", 1}));

    auto other = Database::open(s.file());
    Table theirs(other.get(), "Design");
    theirs.open();
    addDesign(theirs, 2);

    EXPECT_NO_THROW(addDesign(mine, 3));
    mine.edit();
    mine.fieldByName("Design_Ref").setAsString("W3");
    EXPECT_NO_THROW(mine.post());
    EXPECT_EQ(rowCount(*s.db, "Design"), 3);
}

TEST(SharedUse, LockHeldLongerThanTheTimeoutFailsPlainlyAndChangesNothing) {
    if (testing_support::onServer()) GTEST_SKIP() << "a data folder's whole-file write lock; the server's row locks are tested apart";
    ScratchDatabase s;
    Table mine(s.db.get(), "Design");
    mine.open();
    addDesign(mine, 1);

    auto other = Database::open(s.file());
    other->begin(); // the other program's write transaction, never finished in time
    QElapsedTimer waited;
    waited.start();
    try {
        Transaction tx(*s.db);
        addDesign(mine, 2);
        tx.commit();
        FAIL() << "the write should not get the lock";
    } catch (const BusyError& e) {
        EXPECT_GE(waited.elapsed(), sql::BusyTimeoutMs - 500); // it waited before giving up
        EXPECT_TRUE(e.message().startsWith("The data folder is in use by another program"))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().contains("Nothing was changed"));
    }
    other->rollback();
    EXPECT_EQ(rowCount(*s.db, "Design"), 1);
    // Once the other program is done, the same write goes through.
    EXPECT_NO_THROW(addDesign(mine, 2));
    EXPECT_EQ(rowCount(*s.db, "Design"), 2);
}

TEST(JournalMode, NetworkAndFuseFileSystemsGetTheRollbackJournal) {
    for (const char* shared :
         {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse", "fuse.sshfs", "fuseblk"})
        EXPECT_TRUE(isSharedFileSystem(QString::fromLatin1(shared))) << shared;
    for (const char* local : {"ext4", "xfs", "btrfs", "tmpfs", "overlay", "apfs", "NTFS", ""})
        EXPECT_FALSE(isSharedFileSystem(QString::fromLatin1(local))) << local;
}

TEST(JournalMode, DatabaseOnAStubbedShareOpensWithTheRollbackJournal) {
    if (testing_support::onServer()) GTEST_SKIP() << "journals belong to database files";
    ScratchDatabase s;
    EXPECT_EQ(s.db->journalMode(), JournalMode::WriteAheadLog);
    EXPECT_EQ(pragma(*s.db, "journal_mode"), "wal");
    s.db.reset();
    {
        ProbeStub nfs(QStringLiteral("nfs4"));
        auto db = Database::open(s.file());
        EXPECT_EQ(db->journalMode(), JournalMode::Rollback);
        EXPECT_EQ(pragma(*db, "journal_mode"), "delete");
        EXPECT_EQ(journalModeText(db->journalMode()), "rollback journal");
        Table t(db.get(), "Design");
        t.open();
        addDesign(t, 1);
    }
    // Back on a local disk the file returns to the write-ahead log, rows intact.
    auto db = Database::open(s.file());
    EXPECT_EQ(pragma(*db, "journal_mode"), "wal");
    EXPECT_EQ(rowCount(*db, "Design"), 1);
}
